// Starting the external firmware updater, "Updater.exe" in the process's current working
// directory. The program neither waits for the updater nor watches it. UI thread only (the
// current directory is process-wide state).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The longest application path the process start accepts, in characters without the
// terminator (the path is built in a buffer of MAX_PATH characters).
inline constexpr std::size_t max_updater_path = 259;

// `directory` followed by "\Updater.exe" (a root such as "C:\" keeps its one separator).
// Nothing when the result would be longer than max_updater_path: the path is never cut.
std::optional<std::wstring> updater_path_in(std::wstring_view directory);

// The updater in the current working directory; nothing when the directory cannot be read or
// the path would be too long.
std::optional<std::wstring> updater_application_path();

// " /autostart /format" when `format`, else " /autostart": the whole command line, with its
// leading blank and without the program's path.
const wchar_t* updater_command_line(bool format);

// Starts `application` with `command_line` at normal priority, in the program's own
// environment and current directory, inheriting no handles; the process and thread handles are
// closed at once. True when the process was created.
bool start_updater(const std::wstring& application, const wchar_t* command_line);
