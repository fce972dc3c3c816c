#include "update_check/settings_store.h"

#include <windows.h>

#include "framework/unique_handle.h"

namespace orv {
namespace {

// Opens the key, creating it when missing; `created` tells which happened.
fw::registry_key open_settings(const std::wstring& settings_key, bool& created) {
    fw::registry_key key;
    wchar_t key_class[] = L"String";
    DWORD disposition = 0;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, settings_key.c_str(), 0, key_class,
                                       REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                                       &disposition);
    if (status != ERROR_SUCCESS) key.release();
    created = disposition == REG_CREATED_NEW_KEY;
    return key;
}

}  // namespace

std::uint32_t read_setting(const std::wstring& settings_key, const wchar_t* name,
                           std::uint32_t default_value) {
    bool created = false;
    fw::registry_key key = open_settings(settings_key, created);
    if (!key || created) return default_value;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    LSTATUS status =
        ::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size == 0) return default_value;
    return value;
}

bool write_setting(const std::wstring& settings_key, const wchar_t* name, std::uint32_t value) {
    bool created = false;
    fw::registry_key key = open_settings(settings_key, created);
    if (!key) return false;
    DWORD data = value;
    LSTATUS status = ::RegSetValueExW(key.get(), name, 0, REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&data), sizeof(data));
    return status == ERROR_SUCCESS;
}

}  // namespace orv
