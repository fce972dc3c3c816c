// Window classes of the framework's own windows, registered on first use in the module that
// links the framework.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The module this code is linked into (the program, or a DLL that links the framework).
HINSTANCE code_module();

// Registers (once) a class with DefWindowProcW as its procedure: the framework binds every
// window to its object from the first message, so the class procedure only serves as the
// default. Returns the class name to create windows with.
const wchar_t* register_window_class(const std::wstring& name, UINT style, HICON icon,
                                     HBRUSH background);

}  // namespace fw
