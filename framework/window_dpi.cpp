#include "framework/window_dpi.h"

#include "framework/first_use_imports.h"

namespace fw {

UINT system_dpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT window_dpi(HWND window) {
    // GetDpiForWindow is new in Windows 10: an import of it would keep the program from
    // starting on Windows 7 and 8, so it is looked up (from the system directory) instead.
    using dpi_for_window = UINT(WINAPI*)(HWND);
    static const auto for_window =
        reinterpret_cast<dpi_for_window>(system_function(L"user32.dll", "GetDpiForWindow"));
    const UINT dpi = window && for_window ? for_window(window) : 0;
    return dpi != 0 ? dpi : system_dpi();
}

}  // namespace fw
