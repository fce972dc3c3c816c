// Replays corpus files through a fuzz target without libFuzzer, for the ordinary sanitizer
// build's tests: each argument is a file or a folder of files. Exits non-zero when an argument
// cannot be read or holds no input at all; a finding aborts the process as under libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool replay_file(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // A target may change the working directory when it starts.
    std::vector<std::filesystem::path> paths;
    for (int i = 1; i < argc; ++i) paths.push_back(std::filesystem::absolute(argv[i]));
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    std::size_t replayed = 0;
    for (const std::filesystem::path& path : paths) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
                if (!entry.is_regular_file()) continue;
                if (!replay_file(entry.path())) return 2;
                ++replayed;
            }
        } else {
            if (!replay_file(path)) return 2;
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
