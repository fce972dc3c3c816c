// PNG screenshots of what the (virtual) display shows, taken with GDI from the screen, so
// they show other processes' windows as a user would see them. Windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// <build>\e2e\screenshots, created on first use.
std::wstring screenshot_dir();

// Brings `window` to the top, waits until the picture has settled (two captures in a row
// alike, at most a few seconds), and writes the screen area it covers, frame included.
bool save_window_png(HWND window, const std::wstring& file);
// The area covering all the given windows (a frame and a dialog over it, say).
bool save_windows_png(const std::vector<HWND>& windows, const std::wstring& file);
bool save_screen_png(const std::wstring& file);

}  // namespace e2e
