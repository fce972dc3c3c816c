#include "app/updater_launch.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "framework/unique_handle.h"

namespace {

constexpr wchar_t updater_file[] = L"Updater.exe";
constexpr DWORD directory_buffer = MAX_PATH;

static_assert(max_updater_path + 1 == static_cast<std::size_t>(MAX_PATH));

}  // namespace

std::optional<std::wstring> updater_path_in(std::wstring_view directory) {
    std::wstring path(directory);
    if (path.empty() || path.back() != L'\\') path += L'\\';
    path += updater_file;
    if (path.size() > max_updater_path) return std::nullopt;
    return path;
}

std::optional<std::wstring> updater_application_path() {
    wchar_t directory[directory_buffer] = {};
    const DWORD length = ::GetCurrentDirectoryW(directory_buffer, directory);
    // 0 is a failure; a value as large as the buffer is the size the directory would need, and
    // the buffer then holds nothing usable.
    if (length == 0 || length >= directory_buffer) return std::nullopt;
    return updater_path_in(std::wstring_view(directory, length));
}

const wchar_t* updater_command_line(bool format) {
    return format ? L" /autostart /format" : L" /autostart";
}

bool start_updater(const std::wstring& application, const wchar_t* command_line) {
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> command(command_line, command_line + std::wcslen(command_line) + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(application.c_str(), command.data(), nullptr, nullptr, FALSE,
                          NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    fw::kernel_handle(process.hThread).reset();
    fw::kernel_handle(process.hProcess).reset();
    return true;
}
