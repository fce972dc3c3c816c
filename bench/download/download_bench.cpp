// Download and listing speed of the update library against a local FTP or HTTPS server, run by
// hand through run.sh (which starts the servers and compares with curl).
//   download_bench download <remote path> <local path> [read size] [repeats] [listed size]
//   download_bench list <server path> [repeats]
//   download_bench verify <local path> [repeats]   (the check before opening, with the pins,
//                                                   for a package named Orv_Vanta_Kit_<version>)
// The server comes from the machine setting "Server", which run.sh writes. An HTTPS download
// holds the body to the size its listing gave, which run.sh passes as [listed size] (the query
// that would have listed it is not timed). Prints one line of figures per run.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "update_check/list_server_package.h"
#include "framework/unique_handle.h"
#include "update_check/package_download.h"
#include "update_check/rules/package_selection.h"
#include "update_check/package_trust.h"
#include "update_check/shell_paths.h"
#include "update_check/update_server.h"

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

int run_download(const std::wstring& remote, const std::wstring& local, std::size_t read_size,
                 std::uint64_t listed_size) {
    int steps = 0;
    int last = -1;
    // The first step comes with the first read: from there on only data moves, so the time
    // from it to the end gives the transfer's own rate, without the FTP commands before it.
    clock_type::time_point first_step;
    orv::download_callbacks callbacks;
    callbacks.progress = [&](int percent) {
        if (steps++ == 0) first_step = clock_type::now();
        last = percent;
    };
    auto start = clock_type::now();
    bool ok = false;
    {
        // The download writes into a new file, as the dialog's held folder gives it.
        fw::file_handle file(::CreateFileW(local.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = orv::download_package(orv::update_server(), remote, listed_size, file.get(), callbacks,
                                   read_size);
    }
    double elapsed = seconds_since(start);
    double streaming = steps > 0 ? seconds_since(first_step) : 0.0;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(local.c_str(), GetFileExInfoStandard, &data);
    double bytes = static_cast<double>(data.nFileSizeLow) +
                   static_cast<double>(data.nFileSizeHigh) * 4294967296.0;
    double streamed = bytes > static_cast<double>(read_size) ? bytes - read_size : 0.0;
    std::printf(
        "download ok=%d bytes=%.0f seconds=%.3f MB/s=%.1f transfer_MB/s=%.1f read_size=%u "
        "steps=%d last=%d\n",
        ok ? 1 : 0, bytes, elapsed, bytes / elapsed / 1e6,
        streaming > 0 ? streamed / streaming / 1e6 : 0.0, static_cast<unsigned>(read_size), steps,
        last);
    return ok ? 0 : 1;
}

int run_list(const std::wstring& server_path, int repeats) {
    std::wstring base = orv::pattern_base(server_path);
    std::wstring extension = orv::path_extension(server_path);
    orv::server_address server = orv::update_server();
    for (int i = 0; i < repeats; ++i) {
        auto start = clock_type::now();
        auto found = orv::ListServerPackage(server, base, extension);
        double elapsed = seconds_since(start);
        std::printf("list found=%d name=%ls seconds=%.3f\n", found ? 1 : 0,
                    found ? found->c_str() : L"-", elapsed);
    }
    return 0;
}

// The check made before a package is opened, on the file as the dialog holds it.
int run_verify(const std::wstring& path, int repeats) {
    std::vector<std::string> pins = orv::configured_publisher_pins();
    orv::listed_package listed{L"Orv_Vanta_Kit", orv::path_extension(path), {}};
    listed.suffix = orv::version_suffix(orv::path_without_extension(orv::path_file_name(path)),
                                        listed.base_name);
    int failures = 0;
    for (int i = 0; i < repeats; ++i) {
        auto start = clock_type::now();
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        orv::package_kind kind = orv::package_kind::other;
        bool ok =
            file != INVALID_HANDLE_VALUE &&
            orv::verify_package(file, path, pins, listed, kind) == orv::package_verdict::trusted;
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        std::printf("verify ok=%d pins=%u seconds=%.3f\n", ok ? 1 : 0,
                    static_cast<unsigned>(pins.size()), seconds_since(start));
        failures += ok ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"download" && argc >= 4) {
        // A read size of 0 stands for the library's own.
        std::size_t read_size = argc >= 5 ? std::wcstoul(argv[4], nullptr, 10) : 0;
        if (read_size == 0) read_size = orv::download_read_size;
        int repeats = argc >= 6 ? std::wcstol(argv[5], nullptr, 10) : 1;
        std::uint64_t listed_size = argc >= 7 ? std::wcstoull(argv[6], nullptr, 10) : 0;
        int failures = 0;
        for (int i = 0; i < repeats; ++i) {
            failures += run_download(argv[2], argv[3], read_size, listed_size);
        }
        return failures == 0 ? 0 : 1;
    }
    if (mode == L"verify" && argc >= 3) {
        return run_verify(argv[2], argc >= 4 ? std::wcstol(argv[3], nullptr, 10) : 3);
    }
    if (mode == L"list" && argc >= 3) {
        return run_list(argv[2], argc >= 4 ? std::wcstol(argv[3], nullptr, 10) : 3);
    }
    std::fprintf(stderr,
                 "usage: download_bench download <remote> <local> [read size] [repeats] "
                 "[listed size]\n"
                 "       download_bench list <server path> [repeats]\n"
                 "       download_bench verify <local path> [repeats]\n");
    return 2;
}
