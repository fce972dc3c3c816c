// The version file as the program reads it ("version" in the current working directory) and
// compare_version against it, with a calculator version from the fuzzer.
//
// Input: eight bytes of calculator firmware version (big-endian), then the file's bytes.
// Invariants: no sanitizer finding; compare_version gives -1, 0 or 1; a read reference equals
// itself and orders consistently against the calculator's version; the first-line parser
// agrees with what the file load took.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/version_reference.h"
#include "fuzz/fuzz_input.h"

namespace {

char folder[] = "/tmp/vanta-fuzz-version-XXXXXX";

void remove_folder() {
    std::remove("version");
    rmdir(folder);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The program reads "version" from its working directory: give the target one of its own.
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) std::abort();
    std::atexit(remove_folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::input in(data, size);
    const std::uint64_t calculator = in.u64();
    const std::size_t offset = size - in.remaining();
    std::FILE* file = std::fopen("version", "wb");
    if (file == nullptr) std::abort();
    std::fwrite(data + offset, 1, size - offset, file);
    std::fclose(file);

    version_reference reference;
    const int order = reference.compare_version(calculator);
    FUZZ_CHECK(order >= -1 && order <= 1);
    const std::uint64_t value = reference.file_version_value();
    if (value == 0) {
        FUZZ_CHECK(order == 1);
        return 0;
    }
    FUZZ_CHECK(reference.compare_version(value) == 0);
    // The same value, seen from the other side.
    version_reference other;
    std::remove("version");
    FUZZ_CHECK(other.compare_version(calculator) == 1);

    // The file's first line (up to '\n'), as the parser sees it.
    std::string_view text(reinterpret_cast<const char*>(data + offset), size - offset);
    std::string_view line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() < 4096) FUZZ_CHECK(parse_version_line(line) == value);
    return 0;
}
