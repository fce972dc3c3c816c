// The DPI a window's contents are sized for. vanta is aware of each monitor's DPI (per monitor,
// v2), so sizes follow the DPI of the window they are for, never a fixed 96. UI thread only.
#pragma once

#include <windows.h>

namespace fw {

// The DPI at which the screen's metrics and fonts (SystemParametersInfo, GetSystemMetrics)
// come: the DPI the system had when the user logged on.
UINT system_dpi();
// The DPI of `window`'s monitor where the system tells it (Windows 10 on); the system DPI
// elsewhere or without a window.
UINT window_dpi(HWND window);
// `value`, a size at `from_dpi`, at `to_dpi`.
inline int scale_dpi(int value, UINT to_dpi, UINT from_dpi = USER_DEFAULT_SCREEN_DPI) {
    return ::MulDiv(value, static_cast<int>(to_dpi), static_cast<int>(from_dpi));
}

}  // namespace fw
