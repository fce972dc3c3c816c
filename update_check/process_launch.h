// Starting other programs for the update dialog. Any thread.
#pragma once

#include <string>

#include "update_check/rules/package_trust_rules.h"

namespace orv {

// Starts a verified package of `kind` at `path` (the held file's own path) in `folder` (the
// held folder's own path), never through the user's file associations: a program directly
// with CreateProcessW, an installer package with msiexec.exe from the system directory. TEMP
// and TMP point into `folder`, so that what an installer unpacks is as protected as the
// package. A program that needs administrator rights the caller lacks is started again with
// the shell's "runas", on the same path, so that Windows asks the user. False when it could
// not be started.
bool start_package(const std::wstring& path, const std::wstring& folder, package_kind kind);

// Starts `command_line` (program and arguments in one text) with the given show state; the
// process and thread handles are closed at once. False for an empty line or a failed start.
bool run_command_line(const std::wstring& command_line, int show_state);

// Opens `target` with the program registered for ".htm" pages, quoting the target unless it
// is quoted already. False when no such program is registered or it cannot be started.
bool open_with_browser(const std::wstring& target, int show_state);

}  // namespace orv
