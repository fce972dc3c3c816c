#include "tests/update_check/product_settings.h"

#include <cwchar>

namespace orv_test {

product_settings::product_settings(int product_id) : id_(product_id) {
    wchar_t name[64];
    std::swprintf(name, 64, L"Software\\Orvatec\\UpdateCheck\\%x", product_id & 0xFFFF);
    key_ = name;
    remove();
}

product_settings::~product_settings() { remove(); }

bool product_settings::delete_value(const wchar_t* name) const {
    return ::RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name) == ERROR_SUCCESS;
}

bool product_settings::key_exists() const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

std::optional<std::uint32_t> product_settings::dword(const wchar_t* name) const {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                       &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

bool product_settings::set_dword(const wchar_t* name, std::uint32_t value) const {
    DWORD data = value;
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name, REG_DWORD, &data,
                             sizeof(data)) == ERROR_SUCCESS;
}

bool product_settings::set_string(const wchar_t* name, const std::wstring& value) const {
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name, REG_SZ, value.c_str(),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

void product_settings::remove() const { ::RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }

std::uint16_t dos_date_in_days(int days) {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    ticks.QuadPart += static_cast<ULONGLONG>(days) * 86400ULL * 10000000ULL;
    FILETIME later{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME date{};
    ::FileTimeToSystemTime(&later, &date);
    return static_cast<std::uint16_t>((date.wYear - 1980) << 9 | date.wMonth << 5 | date.wDay);
}

}  // namespace orv_test
