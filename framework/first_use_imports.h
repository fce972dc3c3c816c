// Functions of system DLLs that are bound at their first call (first_use_imports.cpp).
#pragma once

#include <windows.h>

namespace fw {

// The address of `function` in the system DLL `dll`, loaded from the system directory only;
// null with the last error ERROR_MOD_NOT_FOUND or ERROR_PROC_NOT_FOUND when it cannot be had.
FARPROC system_function(const wchar_t* dll, const char* function);

}  // namespace fw
