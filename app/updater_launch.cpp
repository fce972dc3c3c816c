#include "app/updater_launch.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "app/resource.h"
#include "framework/resources.h"
#include "framework/unique_handle.h"

namespace {

constexpr wchar_t updater_file[] = L"Updater.exe";
constexpr DWORD directory_buffer = MAX_PATH;
constexpr wchar_t not_started_text[] = L"Updater.exe could not be started.";

static_assert(max_updater_path + 1 == static_cast<std::size_t>(MAX_PATH));

// The last error of a call that failed; a failure that left no code is still a failure.
DWORD last_failure() {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

// The updater in the current working directory; nothing, with the reason in `error`, when the
// directory cannot be read or the path would be too long.
std::optional<std::wstring> updater_application_path(DWORD& error) {
    wchar_t directory[directory_buffer] = {};
    const DWORD length = ::GetCurrentDirectoryW(directory_buffer, directory);
    if (length == 0) {
        error = last_failure();
        return std::nullopt;
    }
    // A value as large as the buffer is the size the directory would need, and the buffer then
    // holds nothing usable.
    std::optional<std::wstring> path = length < directory_buffer
                                           ? updater_path_in(std::wstring_view(directory, length))
                                           : std::nullopt;
    if (!path) error = ERROR_FILENAME_EXCED_RANGE;
    return path;
}

DWORD create_process(const std::wstring& application, const wchar_t* command_line) {
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> command(command_line, command_line + std::wcslen(command_line) + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(application.c_str(), command.data(), nullptr, nullptr, FALSE,
                          NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
        return last_failure();
    }
    fw::kernel_handle(process.hThread).reset();
    fw::kernel_handle(process.hProcess).reset();
    return ERROR_SUCCESS;
}

}  // namespace

std::optional<std::wstring> updater_path_in(std::wstring_view directory) {
    std::wstring path(directory);
    if (path.empty() || path.back() != L'\\') path += L'\\';
    path += updater_file;
    if (path.size() > max_updater_path) return std::nullopt;
    return path;
}

const wchar_t* updater_command_line(bool format) {
    return format ? L" /autostart /format" : L" /autostart";
}

std::uint32_t start_updater(bool format) {
    DWORD error = ERROR_SUCCESS;
    const std::optional<std::wstring> application = updater_application_path(error);
    if (!application) return error;
    return create_process(*application, updater_command_line(format));
}

std::wstring updater_start_failure_text(std::uint32_t error) {
    return fw::load_string_or(IDS_UPDATER_NOT_STARTED, not_started_text) + L"\n" +
           fw::system_error_text(error);
}
