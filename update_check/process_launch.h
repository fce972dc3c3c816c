// Starting other programs for the update dialog. Any thread.
#pragma once

#include <string>

namespace orv {

// Starts `command_line` (program and arguments in one text) with the given show state; the
// process and thread handles are closed at once. False for an empty line or a failed start.
bool run_command_line(const std::wstring& command_line, int show_state);

// Opens `target` with the program registered for ".htm" pages, quoting the target unless it
// is quoted already. False when no such program is registered or it cannot be started.
bool open_with_browser(const std::wstring& target, int show_state);

}  // namespace orv
