// The update library's machine settings as tests set them in their own Wine prefix, in the
// machine key HKLM\Software\Orvatec\UpdateCheck or the policy key
// HKLM\Software\Policies\Orvatec\UpdateCheck: in the 64-bit registry view, where an
// administrator's tools write them on 64-bit Windows (a 32-bit test program would otherwise
// write WOW6432Node).
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

inline constexpr wchar_t update_machine_key[] = L"Software\\Orvatec\\UpdateCheck";
inline constexpr wchar_t update_policy_key[] = L"Software\\Policies\\Orvatec\\UpdateCheck";

// Stores `name` with `type` and `data` (all of it, terminators included) in `key_path`, or
// removes the value when `data` is empty. True when the key then holds what was asked.
inline bool set_update_value(const wchar_t* key_path, const wchar_t* name, DWORD type,
                             const std::wstring& data) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, nullptr, 0,
                          KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LSTATUS status;
    if (data.empty()) {
        status = ::RegDeleteValueW(key, name);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    } else {
        status = ::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                  static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

inline bool set_update_machine_value(const wchar_t* name, DWORD type, const std::wstring& data) {
    return set_update_value(update_machine_key, name, type, data);
}

inline bool set_update_policy_value(const wchar_t* name, DWORD type, const std::wstring& data) {
    return set_update_value(update_policy_key, name, type, data);
}

// A REG_DWORD as set_update_value takes its data.
inline std::wstring dword_data(DWORD value) {
    return std::wstring(reinterpret_cast<const wchar_t*>(&value), sizeof(value) / sizeof(wchar_t));
}

// Removes the policy key with all its values; true when it is gone.
inline bool remove_update_policy() {
    LSTATUS status = ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, update_policy_key, KEY_WOW64_64KEY, 0);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// Wine keeps no owner or DACL: every file reads as the user's own, so the library's download
// place never shows as protected there. A test that downloads accepts that, as an
// administrator may (`allow` false removes the setting again).
inline bool allow_unprotected_download_folder(bool allow) {
    return set_update_machine_value(L"AllowUnprotectedDownloadFolder", REG_DWORD,
                                    allow ? dword_data(1) : std::wstring());
}

}  // namespace test_support
