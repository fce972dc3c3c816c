// The version-string exports report the calling program's file version (this test program
// carries 1.0.0.20), with their buffer rules; a program without a version resource gets 0.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "tests/update_check/orv_library.h"

namespace {

using orv_test::library;

// Callers may bind by name as well as by ordinal: every export carries its undecorated name,
// and the name leads to the same function as the ordinal.
TEST(ExportNames, EachNameResolvesToItsOrdinal) {
    ASSERT_TRUE(library().complete());
    const std::pair<const char*, WORD> exports[] = {
        {"OrvCheckForUpdateW", 32},         {"OrvCheckForUpdateA", 33},
        {"OrvGetModuleVersionStringA", 42}, {"OrvGetModuleVersionStringW", 43},
        {"OrvSetAutoUpdateCheck", 44},      {"OrvGetAutoUpdateCheck", 45},
        {"OrvSetUpdateFrequency", 46},      {"OrvGetUpdateFrequency", 47},
        {"OrvGetNextUpdateDays", 48},       {"OrvSetNextUpdateDays", 49},
    };
    for (const auto& [name, ordinal] : exports) {
        FARPROC by_name = ::GetProcAddress(library().module, name);
        EXPECT_TRUE(by_name) << name;
        EXPECT_EQ(by_name, ::GetProcAddress(library().module, MAKEINTRESOURCEA(ordinal))) << name;
    }
    EXPECT_FALSE(::GetProcAddress(library().module, "OrvCheckForUpdateW@20")) << "decorated";
}

TEST(VersionExports, WideCopiesWhatFitsAndReturnsTheFullLength) {
    ASSERT_TRUE(library().complete());
    wchar_t nine[9];
    std::wmemset(nine, L'#', 9);
    EXPECT_EQ(library().version_w(nine, 9), 8u);
    EXPECT_STREQ(nine, L"1.0.0.20");

    wchar_t eight[9];
    std::wmemset(eight, L'#', 9);
    EXPECT_EQ(library().version_w(eight, 8), 8u);
    EXPECT_STREQ(eight, L"1.0.0.2");
    EXPECT_EQ(eight[8], L'#');

    wchar_t one[2] = {L'#', L'#'};
    EXPECT_EQ(library().version_w(one, 1), 8u);
    EXPECT_EQ(one[0], L'\0');
    EXPECT_EQ(one[1], L'#');

    wchar_t none[2] = {L'#', L'#'};
    EXPECT_EQ(library().version_w(none, 0), 8u);
    EXPECT_EQ(none[0], L'#');
    EXPECT_EQ(library().version_w(nullptr, 100), 8u);
}

TEST(VersionExports, AnsiReportsBytesNeededOrWritten) {
    ASSERT_TRUE(library().complete());
    // 9 bytes with the terminator, plus 2.
    EXPECT_EQ(library().version_a(nullptr, 0), 11);
    EXPECT_EQ(library().version_a(nullptr, 50), 11);

    char nine[12];
    std::memset(nine, '#', sizeof(nine));
    EXPECT_EQ(library().version_a(nine, 9), 9);
    EXPECT_STREQ(nine, "1.0.0.20");

    char big[64];
    EXPECT_EQ(library().version_a(big, sizeof(big)), 9);
    EXPECT_STREQ(big, "1.0.0.20");

    char five[5];
    EXPECT_EQ(library().version_a(five, 5), 0);
}

// Runs orv_check_caller (beside this program) with `arguments`; its exit code, or ~0u when it
// could not start or did not end within `timeout_ms`.
DWORD run_caller(const std::wstring& arguments, DWORD timeout_ms = 60000) {
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring caller(path);
    caller = caller.substr(0, caller.rfind(L'\\') + 1) + L"orv_check_caller.exe";
    std::wstring command = L"\"" + caller + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(caller.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        return ~0u;
    }
    DWORD code = ~0u;
    if (::WaitForSingleObject(process.hProcess, timeout_ms) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(process.hProcess, &code);
    } else {
        ::TerminateProcess(process.hProcess, 9);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

TEST(VersionExports, ProgramWithoutVersionResourceGetsZero) {
    // orv_check_caller has no version resource; it reports what the exports gave it.
    // 0: both exports returned 0 and left the buffers untouched.
    EXPECT_EQ(run_caller(L"version"), 0u);
}

TEST(LibraryLifetime, AWorkerKeepsTheLibraryLoadedAfterItsCallerFreedIt) {
    // The caller frees the library while the scheduled check's worker is still retrying. 0: the
    // process lived on, the library stayed mapped while the worker ran and went when it ended
    // (4: unloaded under the worker, which usually ends the process with a fault instead).
    EXPECT_EQ(run_caller(L"free-early 0x7E51", 90000), 0u);
}

}  // namespace
