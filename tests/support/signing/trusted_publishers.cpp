#include "tests/support/signing/trusted_publishers.h"

#include <windows.h>

namespace test_signing {

std::wstring test_publisher_pin(const std::wstring& directory) {
    HANDLE file = ::CreateFileW((directory + L"\\test_publisher.pin").c_str(), GENERIC_READ,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char text[65] = {};
    DWORD got = 0;
    BOOL ok = ::ReadFile(file, text, 64, &got, nullptr);
    ::CloseHandle(file);
    if (!ok || got != 64) return {};
    return std::wstring(text, text + 64);
}

bool set_trusted_publishers(const std::vector<std::wstring>& pins) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvatec\\UpdateCheck", 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LSTATUS status;
    if (pins.empty()) {
        status = ::RegDeleteValueW(key, L"TrustedPublishers");
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    } else {
        std::wstring text;
        for (const auto& pin : pins) text += pin + L'\0';
        text += L'\0';
        status = ::RegSetValueExW(key, L"TrustedPublishers", 0, REG_MULTI_SZ,
                                  reinterpret_cast<const BYTE*>(text.data()),
                                  static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace test_signing
