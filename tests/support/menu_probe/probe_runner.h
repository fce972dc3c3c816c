// Runs an export of the probe DLL (menu_probe.dll, beside the test program) inside another
// process, for one of its windows, and returns what the export wrote (Windows). Wine keeps
// menus and GDI objects such as a control's font in the process that made them, so only code
// running there can read them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace probe_runner {

// `export_name` is a DWORD WINAPI routine taking a menu_probe_request; it returns 1 once it
// has written its output. `process` must allow creating threads and writing memory (a handle
// from CreateProcessW does). Nothing when the probe cannot be run there or fails.
std::optional<std::wstring> run(HANDLE process, const char* export_name, HWND window);

}  // namespace probe_runner
