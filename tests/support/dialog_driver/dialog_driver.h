// Drives windows as a user would, for Windows tests: wait for a window by caption, press its
// buttons, read its controls. Works on windows of another thread of the same process (the
// dialog runs modally on a second thread, the test drives it from its own) and on windows of
// another process. Never call it from the thread that owns the window: pressing posts, but
// reading texts sends messages and waits for the owner to answer.
//
//   HWND box = dialog_driver::wait_for_window(L"Check for Update", ::GetCurrentProcessId());
//   ASSERT_TRUE(box);
//   EXPECT_TRUE(dialog_driver::wait_for_text(box, 1013, L"\nConnecting to server..."));
//   EXPECT_TRUE(dialog_driver::press_button(box, 3));
//   EXPECT_TRUE(dialog_driver::wait_until_gone(box));
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace dialog_driver {

using std::chrono::milliseconds;
inline constexpr milliseconds default_timeout{15000};

// Polls `condition` every few milliseconds until it holds (true) or `timeout` passes (false).
bool wait_until(const std::function<bool()>& condition, milliseconds timeout = default_timeout);

// What identifies the window sought. Empty or zero fields are not checked.
struct window_query {
    std::wstring caption;      // exact title
    bool any_caption = false;  // true: match whatever the title, even an empty one
    DWORD process_id = 0;      // owning process
    std::wstring class_name;   // for instance L"#32770" for dialogs and message boxes
    int control_id = 0;        // the window must have a child control with this id
    HWND exclude = nullptr;    // a window not to match (a predecessor still closing)
};

// The first visible top-level window that matches, or null.
HWND find_window(const window_query& query);

// Waits for a visible top-level window that matches; null after `timeout`.
HWND wait_for_window(const window_query& query, milliseconds timeout = default_timeout);
HWND wait_for_window(const std::wstring& caption, DWORD process_id = 0,
                     milliseconds timeout = default_timeout);

// Waits until `window` no longer exists.
bool wait_until_gone(HWND window, milliseconds timeout = default_timeout);

// Clicks button `id` of `dialog` (BM_CLICK, posted: the click is handled by the window's own
// thread, and the caller does not wait for what the click sets off). False when the control
// is missing, hidden or disabled, since a user could not click it either.
bool press_button(HWND dialog, int id);

// Asks `window` to close, as its close box would (WM_CLOSE, posted).
bool close_window(HWND window);

// The title of `window`, or the text of control `id` of `dialog`.
std::wstring window_title(HWND window);
std::wstring control_text(HWND dialog, int id);

// Whether control `id` exists and its own visibility flag is set.
bool control_visible(HWND dialog, int id);
bool control_exists(HWND dialog, int id);

// Waits until control `id` shows exactly `text`.
bool wait_for_text(HWND dialog, int id, const std::wstring& text,
                   milliseconds timeout = default_timeout);

// Position of `window` on the screen, and whether it stays above other windows.
RECT window_rect(HWND window);
bool is_topmost(HWND window);

// Under Wine on a display without a window manager (Xvfb), hiding a top-level window waits two
// seconds for a manager that never answers, so every dialog that closes costs 2 s. This marks
// the windows of `program` ("name.exe"; this program when empty) as unmanaged by writing
// HKCU\\Software\\Wine\\AppDefaults\\<program>\\X11 Driver "Managed"="N" (Windows ignores it).
// Wine reads it when a process loads its display driver, which can happen before main (a
// program that links comctl32 does): call it for a child program before starting it, or put
// the same key in a .reg file that a CTest fixture imports with "regedit /S" (as the update
// checker's tests do).
bool skip_window_manager_waits(const std::wstring& program = {});

}  // namespace dialog_driver
