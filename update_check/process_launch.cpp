#include "update_check/process_launch.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "framework/unique_handle.h"

namespace orv {
namespace {

bool is_variable(const std::wstring& entry, const wchar_t* name) {
    std::size_t length = std::char_traits<wchar_t>::length(name);
    return entry.size() > length && entry[length] == L'=' &&
           ::CompareStringOrdinal(entry.c_str(), static_cast<int>(length), name,
                                  static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

// This process's environment with TEMP and TMP set to `folder`, as a sorted block.
std::vector<wchar_t> environment_with_temp(const std::wstring& folder) {
    std::vector<std::wstring> entries;
    if (wchar_t* block = ::GetEnvironmentStringsW()) {
        for (const wchar_t* at = block; *at; at += std::char_traits<wchar_t>::length(at) + 1) {
            std::wstring entry(at);
            if (!is_variable(entry, L"TEMP") && !is_variable(entry, L"TMP")) {
                entries.push_back(std::move(entry));
            }
        }
        ::FreeEnvironmentStringsW(block);
    }
    entries.push_back(L"TEMP=" + folder);
    entries.push_back(L"TMP=" + folder);
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    std::vector<wchar_t> result;
    for (const std::wstring& entry : entries) {
        result.insert(result.end(), entry.begin(), entry.end());
        result.push_back(L'\0');
    }
    result.push_back(L'\0');
    return result;
}

std::wstring system_program(const wchar_t* name) {
    wchar_t directory[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::wstring(directory, length) + L"\\" + name;
}

// CreateProcessW at normal priority, inheriting no handles; the process and thread handles are
// closed at once. `program` null: the first word of `command_line` names it. `environment`
// null: this process's. `folder` null: this process's working directory. The last error on
// failure.
bool create_process(const wchar_t* program, const std::wstring& command_line, int show_state,
                    wchar_t* environment, const wchar_t* folder) {
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> writable(command_line.begin(), command_line.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show_state);
    PROCESS_INFORMATION process{};
    const DWORD flags =
        NORMAL_PRIORITY_CLASS | (environment ? CREATE_UNICODE_ENVIRONMENT : DWORD{0});
    if (!::CreateProcessW(program, writable.data(), nullptr, nullptr, FALSE, flags, environment,
                          folder, &startup, &process)) {
        return false;
    }
    fw::kernel_handle process_handle(process.hProcess);
    fw::kernel_handle thread_handle(process.hThread);
    return true;
}

// A verified package's start: `program` itself (never searched for), in `folder`, with TEMP
// and TMP pointing there.
bool start_in_folder(const std::wstring& program, const std::wstring& command_line,
                     const std::wstring& folder) {
    std::vector<wchar_t> environment = environment_with_temp(folder);
    return create_process(program.c_str(), command_line, SW_SHOW, environment.data(),
                          folder.c_str());
}

}  // namespace

package_start start_package(const std::wstring& path, const std::wstring& folder,
                            package_kind kind) {
    if (kind == package_kind::windows_installer) {
        std::wstring msiexec = system_program(L"msiexec.exe");
        bool started =
            !msiexec.empty() &&
            start_in_folder(msiexec, L"\"" + msiexec + L"\" /i \"" + path + L"\"", folder);
        return started ? package_start::started : package_start::failed;
    }
    if (kind != package_kind::windows_program) return package_start::failed;
    if (start_in_folder(path, L"\"" + path + L"\"", folder)) return package_start::started;
    return start_needs_administrator(::GetLastError()) ? package_start::needs_administrator
                                                       : package_start::failed;
}

bool run_command_line(const std::wstring& command_line, int show_state) {
    return !command_line.empty() &&
           create_process(nullptr, command_line, show_state, nullptr, nullptr);
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
