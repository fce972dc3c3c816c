// OrvUpdateCheck.dll as a caller sees it: loaded with LoadLibraryW, every function resolved by
// its ordinal.
#pragma once

#include <windows.h>

namespace orv_test {

using check_w_fn = void(__stdcall*)(int, const wchar_t*, const wchar_t*, unsigned, int);
using check_a_fn = void(__stdcall*)(int, const char*, const char*, unsigned, int);
using version_a_fn = int(__stdcall*)(char*, unsigned);
using version_w_fn = unsigned(__stdcall*)(wchar_t*, unsigned);
using set_value_fn = void(__stdcall*)(int, int);
using get_int_fn = int(__stdcall*)(int);
using get_ushort_fn = unsigned short(__stdcall*)(int);

struct orv_library {
    HMODULE module = nullptr;
    check_w_fn check_w = nullptr;           // 32
    check_a_fn check_a = nullptr;           // 33
    version_a_fn version_a = nullptr;       // 42
    version_w_fn version_w = nullptr;       // 43
    set_value_fn set_auto_check = nullptr;  // 44
    get_int_fn get_auto_check = nullptr;    // 45
    set_value_fn set_frequency = nullptr;   // 46
    get_ushort_fn get_frequency = nullptr;  // 47
    get_int_fn get_next_days = nullptr;     // 48
    set_value_fn set_next_days = nullptr;   // 49

    // True when the library loaded and every ordinal resolved.
    bool complete() const;
};

// Loads the library once per process (it stays loaded: background checks may still run).
const orv_library& library();

}  // namespace orv_test
