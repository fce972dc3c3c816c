// The working directory of the Windows app tests: a folder of their own holding a version file
// with 0x7222201200000000, as the program finds it beside the updater.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>

namespace {

class version_file_environment : public ::testing::Environment {
public:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        folder_ = std::filesystem::temp_directory_path() /
                  (L"vanta-app-tests-" + std::to_wstring(::GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
        std::ofstream(folder_ / "version", std::ios::binary) << "K58x=7222201200000000;\r\n";
        std::filesystem::current_path(folder_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path folder_;
};

const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new version_file_environment);

}  // namespace
