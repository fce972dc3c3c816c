// Functions of system DLLs that are bound at their first call (first_use_imports.cpp).
#pragma once

#include <windows.h>

// The name of the pointer through which a dllimport call to `name` goes: stdcall functions
// carry their argument bytes in 32-bit names (__imp__Name@N); 64-bit names are plain.
#ifdef _WIN64
#define FW_IMPORT_POINTER(name, bytes) "__imp_" #name
#else
#define FW_IMPORT_POINTER(name, bytes) "__imp__" #name "@" #bytes
#endif

namespace fw {

// The address of `function` in the system DLL `dll`, loaded from the system directory only;
// null with the last error ERROR_MOD_NOT_FOUND or ERROR_PROC_NOT_FOUND when it cannot be had.
FARPROC system_function(const wchar_t* dll, const char* function);

}  // namespace fw
