// What menu_reader hands the probe inside the other process.
#pragma once

#include <windows.h>

#include <string>

struct menu_probe_request {
    HWND window;
    wchar_t output[MAX_PATH];
};

// Inside the probe DLL: writes `text` (UTF-16) to the file `path` names, replacing it. Returns
// the probe's answer: 1 when written, 0 when not.
DWORD write_probe_output(const wchar_t* path, const std::wstring& text);
