// Starting other programs for the update dialog. Any thread.
#pragma once

#include <string>

#include "update_check/rules/package_trust_rules.h"

namespace orv {

enum class package_start { started, failed, needs_administrator };

// Starts a verified package of `kind` at `path` (the held file's own path) in `folder` (the
// held folder's own path), never through the user's file associations: a program directly
// with CreateProcessW, an installer package with msiexec.exe from the system directory. TEMP
// and TMP point into `folder`, so that what an installer unpacks is as protected as the
// package. A program that asks for administrator rights the caller lacks is not started
// (needs_administrator): it is never elevated out of a folder the user can change.
package_start start_package(const std::wstring& path, const std::wstring& folder,
                            package_kind kind);

// Starts `command_line` (program and arguments in one text) with the given show state; the
// process and thread handles are closed at once. False for an empty line or a failed start.
bool run_command_line(const std::wstring& command_line, int show_state);

// Opens `target` with the program registered for ".htm" pages, quoting the target unless it
// is quoted already. False when no such program is registered or it cannot be started.
bool open_with_browser(const std::wstring& target, int show_state);

}  // namespace orv
