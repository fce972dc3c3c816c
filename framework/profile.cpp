#include "framework/profile.h"

#include <vector>

namespace fw {

profile::profile(std::wstring vendor_key, std::wstring application_name)
    : vendor_key_(std::move(vendor_key)), application_name_(std::move(application_name)) {}

std::wstring profile::application_key_path() const {
    return L"Software\\" + vendor_key_ + L"\\" + application_name_;
}

std::wstring profile::section_path(const std::wstring& section) const {
    std::wstring path = application_key_path();
    if (!section.empty()) path += L"\\" + section;
    return path;
}

registry_key profile::open_section(const std::wstring& section, bool for_writing) const {
    registry_key key;
    if (!is_set()) return key;
    std::wstring path = section_path(section);
    if (for_writing) {
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
            key.reset();
        }
    } else if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) !=
               ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

unsigned int profile::get_int(const std::wstring& section, const std::wstring& entry,
                              int default_value) const {
    registry_key key = open_section(section, false);
    if (!key) return static_cast<unsigned int>(default_value);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegQueryValueExW(key.get(), entry.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return static_cast<unsigned int>(default_value);
    }
    return value;
}

bool profile::write_int(const std::wstring& section, const std::wstring& entry, int value) const {
    registry_key key = open_section(section, true);
    if (!key) return false;
    DWORD data = static_cast<DWORD>(value);
    return ::RegSetValueExW(key.get(), entry.c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&data), sizeof(data)) == ERROR_SUCCESS;
}

std::wstring profile::get_string(const std::wstring& section, const std::wstring& entry,
                                 const std::wstring& default_value) const {
    registry_key key = open_section(section, false);
    if (!key) return default_value;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), entry.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return default_value;
    }
    // The stored text need not end in a terminator; room for one is added.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), entry.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return default_value;
    }
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
}

bool profile::write_string(const std::wstring& section, const std::wstring& entry,
                           const std::wstring& value) const {
    registry_key key = open_section(section, true);
    if (!key) return false;
    return ::RegSetValueExW(
               key.get(), entry.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool profile::delete_entry(const std::wstring& section, const std::wstring& entry) const {
    registry_key key = open_section(section, true);
    return key && ::RegDeleteValueW(key.get(), entry.c_str()) == ERROR_SUCCESS;
}

bool profile::delete_section(const std::wstring& section) const {
    if (section.empty()) return false;
    registry_key key = open_section(std::wstring(), true);
    return key && ::RegDeleteKeyW(key.get(), section.c_str()) == ERROR_SUCCESS;
}

}  // namespace fw
