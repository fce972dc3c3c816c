// Finding a program's windows from another process and reading them (Windows). Everything
// here works across processes: window texts are read with WM_GETTEXT, which Wine copies.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Top-level windows of a process (all processes when `process_id` is 0).
std::vector<HWND> top_level_windows(DWORD process_id, bool visible_only);

// The process's main frame: a visible top-level window holding an MDI client area.
HWND find_frame_window(DWORD process_id);
// Every visible multiple-document frame on the desktop, of any process.
std::vector<HWND> all_frame_windows();
// The hidden window that receives the process's device notifications: a "Static" window
// named "DeviceChangeWnd".
HWND find_device_change_window(DWORD process_id);
// The status bar of a frame.
HWND find_status_bar(HWND frame);

// WM_GETTEXT; for a status bar this is the text of its first pane.
std::wstring window_text(HWND window);
std::wstring class_name(HWND window);

// Visible top-level windows of the process other than `frame`: its dialogs and message boxes.
std::vector<HWND> open_dialogs(DWORD process_id, HWND frame);

}  // namespace e2e
