// Registry values that tests set up and read back (Windows). Keys are created as needed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

struct registry_dword {
    std::wstring key;  // under HKEY_CURRENT_USER
    std::wstring name;
    DWORD value = 0;
};

bool set_string(HKEY root, const std::wstring& key, const std::wstring& name,
                const std::wstring& value);
bool set_dword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
std::optional<DWORD> read_dword(HKEY root, const std::wstring& key, const std::wstring& name);
// True when the value is gone afterwards (also when it was never there).
bool delete_value(HKEY root, const std::wstring& key, const std::wstring& name);

}  // namespace e2e
