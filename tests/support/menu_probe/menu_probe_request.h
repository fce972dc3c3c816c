// What menu_reader hands the probe inside the other process.
#pragma once

#include <windows.h>

struct menu_probe_request {
    HWND window;
    wchar_t output[MAX_PATH];
};
