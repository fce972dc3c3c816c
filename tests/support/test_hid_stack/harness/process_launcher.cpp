#include "tests/support/test_hid_stack/harness/process_launcher.h"

#include <cwctype>
#include <map>

#include "tests/support/test_hid_stack/harness/wine_prefix_setup.h"

namespace e2e {

namespace {

// Windows compares environment variable names without regard to case.
struct name_less {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    }
};

}  // namespace

std::wstring environment_block(const environment_changes& changes) {
    std::map<std::wstring, std::wstring, name_less> variables;
    std::vector<std::wstring> hidden;  // "=C:=C:\..." entries: kept as they are, first
    if (wchar_t* strings = ::GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
            const std::wstring text = entry;
            const std::size_t equals = text.find(L'=', 1);
            if (text[0] == L'=' || equals == std::wstring::npos) {
                hidden.push_back(text);
            } else {
                variables[text.substr(0, equals)] = text.substr(equals + 1);
            }
        }
        ::FreeEnvironmentStringsW(strings);
    }
    for (const auto& [name, value] : changes) variables[name] = value;

    std::wstring block;
    for (const auto& entry : hidden) block += entry + L'\0';
    for (const auto& [name, value] : variables) block += name + L"=" + value + L'\0';
    block += L'\0';
    return block;
}

std::optional<child_process> child_process::launch(const launch_options& options, DWORD* error) {
    if (options.test_hid_stack) {
        const std::size_t slash = options.application.find_last_of(L"\\/");
        if (!load_test_hid_stack(options.application.substr(slash + 1))) {
            if (error) *error = ERROR_ACCESS_DENIED;
            return std::nullopt;
        }
    }
    std::wstring block = environment_block(options.environment);
    std::wstring command_line = L"\"" + options.application + L"\"";
    if (!options.arguments.empty()) command_line += L" " + options.arguments;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(
            options.application.c_str(), command_line.data(), nullptr, nullptr, FALSE,
            CREATE_UNICODE_ENVIRONMENT, block.data(),
            options.working_directory.empty() ? nullptr : options.working_directory.c_str(),
            &startup, &info)) {
        if (error) *error = ::GetLastError();
        return std::nullopt;
    }
    ::CloseHandle(info.hThread);
    return child_process(info.hProcess, info.dwProcessId);
}

bool child_process::running() const {
    return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> child_process::wait_for_exit(DWORD timeout_ms) {
    if (!process_ || ::WaitForSingleObject(process_.get(), timeout_ms) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

void child_process::terminate() {
    if (running()) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 10000);
    }
}

}  // namespace e2e
