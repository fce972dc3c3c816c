// Starting the external firmware updater, "Updater.exe" in the process's current working
// directory. The program neither waits for the updater nor watches it. UI thread only (the
// current directory is process-wide state, and the failure text comes from the current
// resources).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The longest application path the process start accepts, in characters without the
// terminator (the path is built in a buffer of MAX_PATH characters).
inline constexpr std::size_t max_updater_path = 259;

// `directory` followed by "\Updater.exe" (a root such as "C:\" keeps its one separator).
// Nothing when the result would be longer than max_updater_path: the path is never cut.
std::optional<std::wstring> updater_path_in(std::wstring_view directory);

// " /autostart /format" when `format`, else " /autostart": the whole command line, with its
// leading blank and without the program's path.
const wchar_t* updater_command_line(bool format);

// Starts the updater of the current working directory with the command line for `format`, at
// normal priority, in the program's own environment and current directory, inheriting no
// handles; the process and thread handles are closed at once. 0 when the process was created,
// else the system's error code of the failure (ERROR_FILENAME_EXCED_RANGE when the path would
// not fit).
std::uint32_t start_updater(bool format);

// What the user is told after a failed start: "Updater.exe could not be started." from the
// string table (an English literal without it), then the system's text for `error` on a line
// of its own.
std::wstring updater_start_failure_text(std::uint32_t error);
