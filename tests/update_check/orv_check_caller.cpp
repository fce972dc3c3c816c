// Calls OrvUpdateCheck.dll the way a program does, by ordinal, for tests that need the caller
// in a process of its own:
//   orv_check_caller check <product> <server path> <version tag> <flags> <language>
//       OrvCheckForUpdateW; exits with 3 if the call returns.
//   orv_check_caller w-then-a <product> <server path> <version tag> <language>
//       OrvCheckForUpdateW with flags 9 (the test has switched automatic checks off, so nothing
//       runs), then OrvCheckForUpdateA with flags 4; exits with 3 if that returns.
//   orv_check_caller free-early <product>
//       Loads the library itself, starts a scheduled check (flags 2) against a port where
//       nothing listens, so its worker spends several seconds retrying, and frees the library at
//       once. Exits with 0 when the library stayed loaded after FreeLibrary and went away once
//       the worker had ended; 4 when it was gone at once, 5 when it never went.
//   orv_check_caller version
//       Both version-string exports; exits with 0 when both report no version (this program
//       has no version resource) and leave their buffers alone, else 1.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/support/ftp_server/ftp_fixture.h"
#include "tests/update_check/orv_library.h"

namespace {

std::string narrow(const wchar_t* text) {
    int length = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), length, nullptr, nullptr);
    result.resize(result.size() - 1);
    return result;
}

int report_version() {
    const auto& lib = orv_test::library();
    wchar_t wide[16] = {L'#', L'\0'};
    char ansi[16] = {'#', '\0'};
    bool none = lib.version_w(wide, 16) == 0 && lib.version_a(ansi, 16) == 0 &&
                lib.version_a(nullptr, 0) == 0 && wide[0] == L'#' && ansi[0] == '#';
    return none ? 0 : 1;
}

// A fault in any thread ends the process with 6 at once (rather than in Wine's debugger).
LONG WINAPI end_on_fault(EXCEPTION_POINTERS*) {
    ::TerminateProcess(::GetCurrentProcess(), 6);
    return EXCEPTION_EXECUTE_HANDLER;
}

int free_early(int product) {
    ::SetUnhandledExceptionFilter(&end_on_fault);
    // A server where nothing listens: the worker retries for at least two delays. The
    // machine setting is shared; the test that runs this holds its resource lock.
    if (!ftp_fixture::set_update_server(L"127.0.0.1:1")) return 2;
    HMODULE module = ::LoadLibraryW(L"OrvUpdateCheck.dll");
    if (!module) return 2;
    auto check = reinterpret_cast<orv_test::check_w_fn>(
        reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(32))));
    if (!check) return 2;
    check(product, L"/pub/vanta/vanta", L"1.0", 2, 0x0409);
    ::FreeLibrary(module);
    // The worker is between its attempts for at least two retry delays (3 s each).
    if (!::GetModuleHandleW(L"OrvUpdateCheck.dll")) return 4;
    for (int waited = 0; waited < 60000; waited += 100) {
        if (!::GetModuleHandleW(L"OrvUpdateCheck.dll")) {
            // A worker that ran on in the unloaded code would fault in this time.
            ::Sleep(1000);
            return 0;
        }
        ::Sleep(100);
    }
    return 5;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args || count < 2) return 2;
    std::wstring mode = args[1];
    if (mode == L"free-early" && count == 3) return free_early(std::wcstol(args[2], nullptr, 0));
    const auto& lib = orv_test::library();
    if (!lib.complete()) return 2;
    if (mode == L"version") return report_version();
    if (mode == L"check" && count == 7) {
        lib.check_w(std::wcstol(args[2], nullptr, 0), args[3], args[4],
                    std::wcstoul(args[5], nullptr, 0), std::wcstol(args[6], nullptr, 0));
        return 3;
    }
    if (mode == L"w-then-a" && count == 6) {
        int product = std::wcstol(args[2], nullptr, 0);
        int language = std::wcstol(args[5], nullptr, 0);
        lib.check_w(product, args[3], args[4], 9, language);
        lib.check_a(product, narrow(args[3]).c_str(), narrow(args[4]).c_str(), 4, language);
        return 3;
    }
    return 2;
}
