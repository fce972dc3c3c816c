// The private download folder under attack: the descriptor it is created with, and a program
// of the same user that swaps the folder, replaces the file or plants a library beside it
// while a download runs. The genuine package is opened or nothing is; the attacker's program
// never runs.
#include <windows.h>
#include <sddl.h>

#include <atomic>
#include <cstring>
#include <ostream>

#include "tests/app/import_spy.h"
#include "tests/update_check/check_fixture.h"
#include "update_check/download_folder.h"
#include "update_check/rules/package_trust_rules.h"

namespace orv_test {
namespace {

using dialog_driver::press_button;

using create_directory_fn = BOOL(WINAPI*)(LPCWSTR, LPSECURITY_ATTRIBUTES);
create_directory_fn real_create_directory = nullptr;
std::wstring received_descriptor;

BOOL WINAPI record_create_directory(LPCWSTR path, LPSECURITY_ATTRIBUTES attributes) {
    received_descriptor = L"(none)";
    LPWSTR text = nullptr;
    if (attributes && attributes->lpSecurityDescriptor &&
        ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            attributes->lpSecurityDescriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
            nullptr)) {
        received_descriptor = text;
        ::LocalFree(text);
    }
    return real_create_directory(path, attributes);
}

using DownloadFolder = check_fixture;

// Wine ignores DACLs, so what is checked is what CreateDirectoryW is handed; holding the
// folder is enforced by Wine as by Windows.
TEST_F(DownloadFolder, IsCreatedProtectedAndHeldWhereItIs) {
    vanta_test::import_spy spy("kernel32.dll", "CreateDirectoryW",
                               reinterpret_cast<void*>(&record_create_directory));
    ASSERT_TRUE(spy.installed());
    real_create_directory = reinterpret_cast<create_directory_fn>(spy.original());
    std::optional<orv::download_folder> folder =
        orv::download_folder::create(temporary_directory());
    ASSERT_TRUE(folder);
    EXPECT_EQ(received_descriptor,
              orv::download_folder_sddl(orv::process_is_elevated(), orv::process_user_sid()));
    std::wstring path = folder->path().substr(0, folder->path().size() - 1);
    EXPECT_FALSE(::MoveFileW(path.c_str(), (path + L"-away").c_str()));
    EXPECT_FALSE(::RemoveDirectoryW(path.c_str()));
    folder.reset();
    EXPECT_EQ(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The first "OrvUpdate-" folder in `directory` (ending with '\'), without the '\'.
std::wstring download_folder_in(const std::wstring& directory) {
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((directory + L"OrvUpdate-*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return {};
    ::FindClose(find);
    return directory + entry.cFileName;
}

// A program of the same user on the Windows side: it tries to rename the folder away and put
// one of its own in its place, to replace the package and to add a library beside it, for as
// long as the download runs.
class windows_attacker {
public:
    windows_attacker(std::wstring temporary, std::wstring own_program, std::wstring package_name)
        : temporary_(std::move(temporary)),
          own_program_(std::move(own_program)),
          package_name_(std::move(package_name)),
          thread_([this] { run(); }) {}
    ~windows_attacker() {
        stop_ = true;
        thread_.join();
    }
    bool saw_folder() const { return saw_folder_; }

private:
    void run() {
        while (!stop_) {
            std::wstring folder = download_folder_in(temporary_);
            if (folder.empty()) {
                ::Sleep(1);
                continue;
            }
            saw_folder_ = true;
            if (::MoveFileW(folder.c_str(), (folder + L"-away").c_str()) &&
                ::CreateDirectoryW(folder.c_str(), nullptr)) {
                ::CopyFileW(own_program_.c_str(), (folder + L"\\" + package_name_).c_str(), TRUE);
            }
            std::wstring package = folder + L"\\" + package_name_;
            if (::GetFileAttributesW(package.c_str()) != INVALID_FILE_ATTRIBUTES) {
                ::CopyFileW(own_program_.c_str(), (folder + L"\\swap.exe").c_str(), FALSE);
                ::MoveFileExW((folder + L"\\swap.exe").c_str(), package.c_str(),
                              MOVEFILE_REPLACE_EXISTING);
                ::CopyFileW(own_program_.c_str(), (folder + L"\\version.dll").c_str(), TRUE);
            }
        }
    }

    std::wstring temporary_;
    std::wstring own_program_;
    std::wstring package_name_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> saw_folder_{false};
    std::thread thread_;
};

// How the attacker runs: as a Windows thread of this program, or as a Linux process started
// beside the test by tests/update_check/swap_folder.py, which no Windows share mode can stop.
struct attack_case {
    const char* name;
    bool linux_side;
};

void PrintTo(const attack_case& c, std::ostream* out) { *out << c.name; }

class FolderAttack : public check_fixture, public ::testing::WithParamInterface<attack_case> {};

TEST_P(FolderAttack, OpensTheGenuinePackageOrNothingAndNeverTheAttackersProgram) {
    bool swapper_running = ::GetEnvironmentVariableW(L"ORV_FOLDER_SWAPPER", nullptr, 0) > 0;
    if (GetParam().linux_side != swapper_running) {
        GTEST_SKIP() << "run by the folder swapper's own test";
    }
    const std::wstring name = L"Orv_Vanta_Kit_2012_3_1.exe";
    std::wstring directory =
        L"attack_" + std::wstring(GetParam().name, GetParam().name + std::strlen(GetParam().name));
    publish_package(directory + L"/" + name);
    // The attacker's program records any start of it here.
    std::wstring attacker_log = temporary_directory() + L"attacker.log";
    scoped_environment log(L"VANTA_UPDATER_LOG", attacker_log);
    product_settings product(0x3420);
    std::optional<windows_attacker> attacker;
    if (!GetParam().linux_side) {
        attacker.emplace(temporary_directory(), program_directory() + L"updater_stub.exe", name);
    }
    std::wstring server_path = L"/" + directory + L"/Orv_Vanta_Kit.exe";
    modal_call call(
        [&] { lib().check_w(product.id(), server_path.c_str(), L"_2012_2_22", 4, 1033); });
    ASSERT_TRUE(get_offered_package());
    // A refusal says so in a box; an opened package leaves its marker.
    std::string marker;
    HWND box = nullptr;
    ASSERT_TRUE(dialog_driver::wait_until([&] {
        box = dialog_driver::wait_for_window(L"Error", ::GetCurrentProcessId(),
                                             std::chrono::milliseconds(0));
        return box || ftp_fixture::read_file(marker_path(), marker);
    }));
    if (box) {
        ASSERT_TRUE(press_button(box, IDOK));
    }
    ASSERT_TRUE(call.returned());
    if (attacker) {
        EXPECT_TRUE(attacker->saw_folder());
        attacker.reset();
    } else {
        // The swapper renamed the folder and linked its name to a folder of its own.
        EXPECT_FALSE(files_named(L"swapped.txt").empty());
    }
    // The marker comes from the package alone: the attacker's program (the updater stand-in)
    // would have logged its start instead, and the wait above would have failed.
    EXPECT_EQ(::GetFileAttributesW(attacker_log.c_str()), INVALID_FILE_ATTRIBUTES);
}

INSTANTIATE_TEST_SUITE_P(Attackers, FolderAttack,
                         ::testing::Values(attack_case{"windows_program", false},
                                           attack_case{"linux_process", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orv_test
