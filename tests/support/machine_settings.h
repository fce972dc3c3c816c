// The update library's machine settings (HKLM\Software\Orvatec\UpdateCheck) as tests set them
// in their own Wine prefix: in the 64-bit registry view, where an administrator's tools write
// them on 64-bit Windows (a 32-bit test program would otherwise write WOW6432Node).
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

// Stores `name` with `type` and `data` (all of it, terminators included), or removes the value
// when `data` is empty. True when the key then holds what was asked.
inline bool set_update_machine_value(const wchar_t* name, DWORD type, const std::wstring& data) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvatec\\UpdateCheck", 0, nullptr, 0,
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

// Wine keeps no owner or DACL: every file reads as the user's own, so the library's download
// place never shows as protected there. A test that downloads accepts that, as an
// administrator may (`allow` false removes the setting again).
inline bool allow_unprotected_download_folder(bool allow) {
    const DWORD one = 1;
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvatec\\UpdateCheck", 0, nullptr, 0,
                          KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LSTATUS status =
        allow ? ::RegSetValueExW(key, L"AllowUnprotectedDownloadFolder", 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&one), sizeof(one))
              : ::RegDeleteValueW(key, L"AllowUnprotectedDownloadFolder");
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS || (!allow && status == ERROR_FILE_NOT_FOUND);
}

}  // namespace test_support
