// Bit 0x8 of the flag word: the calling process ends (exit code 0) as soon as the package has
// been opened. The caller is orv_check_caller in a process of its own; the test drives its
// dialog across the process boundary.
#include "tests/update_check/check_fixture.h"

namespace orv_test {
namespace {

using namespace std::chrono_literals;

class EndCaller : public check_fixture {
protected:
    // Starts orv_check_caller with `arguments`; its environment is this process's (server,
    // temporary directory, marker).
    PROCESS_INFORMATION start_caller(const std::wstring& arguments) {
        std::wstring program = program_directory() + L"orv_check_caller.exe";
        std::wstring command = L"\"" + program + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, nullptr, &startup, &process));
        return process;
    }

    // Presses Get It in the caller's dialog and returns the caller's exit code.
    DWORD get_it_and_wait(const PROCESS_INFORMATION& process) {
        dialog_driver::window_query query;
        query.caption = L"Check for Update";
        query.process_id = process.dwProcessId;
        HWND dialog = dialog_driver::wait_for_window(query);
        EXPECT_TRUE(dialog);
        EXPECT_TRUE(dialog_driver::wait_for_text(dialog, status_text, update_available));
        EXPECT_TRUE(dialog_driver::press_button(dialog, get_it_button));
        DWORD code = 99;
        if (::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
            ::GetExitCodeProcess(process.hProcess, &code);
        } else {
            ::TerminateProcess(process.hProcess, 98);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return code;
    }
};

TEST_F(EndCaller, EndsTheCallerOnceThePackageIsOpen) {
    product_settings product(0x3601);
    publish_package(L"endw/Orv_Vanta_Kit_2012_3_1.exe");
    PROCESS_INFORMATION process = start_caller(L"check " + std::to_wstring(product.id()) +
                                               L" /endw/Orv_Vanta_Kit.exe _2012_2_22 12 1033");
    ASSERT_TRUE(process.hProcess);
    // 0 is the library's exit code; 3 would mean the call returned.
    EXPECT_EQ(get_it_and_wait(process), 0u);
    std::vector<std::wstring> marker = wait_for_marker();
    ASSERT_GE(marker.size(), 1u);
    EXPECT_NE(marker[0].find(L"Orv_Vanta_Kit_2012_3_1.exe"), std::wstring::npos);
}

TEST_F(EndCaller, AnsiCallKeepsWhatTheLastWideCallSaid) {
    product_settings product(0x3602);
    // The wide call with flags 9 must only store "end the caller": no check may run.
    ASSERT_TRUE(product.set_dword(L"AutoUpdateCheck", 0));
    publish_package(L"enda/Orv_Vanta_Kit_2012_3_1.exe");
    PROCESS_INFORMATION process = start_caller(L"w-then-a " + std::to_wstring(product.id()) +
                                               L" /enda/Orv_Vanta_Kit.exe _2012_2_22 1033");
    ASSERT_TRUE(process.hProcess);
    EXPECT_EQ(get_it_and_wait(process), 0u);
    EXPECT_GE(wait_for_marker().size(), 1u);
    // With automatic checks off the wide call started nothing, and the process ended before
    // the dialog could be destroyed: no date was scheduled.
    EXPECT_FALSE(product.dword(L"NextUpdateDate"));
}

}  // namespace
}  // namespace orv_test
