#include "update_check/process_launch.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

#include "framework/unique_handle.h"

namespace orv {

bool run_command_line(const std::wstring& command_line, int show_state) {
    if (command_line.empty()) return false;
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> writable(command_line.begin(), command_line.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show_state);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                          nullptr, nullptr, &startup, &process)) {
        return false;
    }
    fw::kernel_handle process_handle(process.hProcess);
    fw::kernel_handle thread_handle(process.hThread);
    return true;
}

bool open_with_browser(const std::wstring& target, int show_state) {
    wchar_t program[776] = {};
    DWORD length = 776;
    HRESULT result = ::AssocQueryStringW(ASSOCF_NOTRUNCATE | ASSOCF_INIT_IGNOREUNKNOWN,
                                         ASSOCSTR_EXECUTABLE, L".htm", nullptr, program, &length);
    if (FAILED(result) || program[0] == L'\0') return false;
    std::wstring command_line = L"\"" + std::wstring(program) + L"\"";
    if (!target.empty()) {
        if (target.front() == L'"') {
            command_line += L" " + target;
        } else {
            command_line += L" \"" + target + L"\"";
        }
    }
    return run_command_line(command_line, show_state);
}

}  // namespace orv
