// Where resources come from. vanta switches its resource module to a language library at
// start-up; the update library always loads from its own module. Any thread may load strings;
// only the UI thread switches the module, before other threads exist.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The module that strings, menus and dialogs are loaded from (the program itself until a
// language library is chosen).
HINSTANCE resource_module();
void set_resource_module(HINSTANCE module);

// Loads string `id` from `module`. Returns false, leaving `text` empty, when the string is
// missing (an empty entry counts as missing).
bool load_string(HINSTANCE module, UINT id, std::wstring& text);

// The same from the current resource module.
bool load_string(UINT id, std::wstring& text);

// The string, or `fallback` when the current resources lack it.
std::wstring load_string_or(UINT id, const wchar_t* fallback);

// The module to load resource `id` of `type` (RT_MENU, RT_ICON, ...) from: the current
// resource module when it has one, else the module this code is linked into, so that a
// language library need not carry what it does not translate.
HINSTANCE find_resource_module(UINT id, LPCWSTR type);

// The system's own text for the error code `error` (FormatMessage), without the line break it
// ends in; the code as a number when the system has no text for it.
std::wstring system_error_text(DWORD error);

}  // namespace fw
