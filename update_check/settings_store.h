// A product's settings: REG_DWORD values in its key below HKEY_CURRENT_USER. The key is opened
// (and created when missing) on every access; no handle is kept between calls. Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

inline constexpr const wchar_t* setting_auto_update_check = L"AutoUpdateCheck";
inline constexpr const wchar_t* setting_update_frequency = L"UpdateCheckFrequency";
inline constexpr const wchar_t* setting_next_update_date = L"NextUpdateDate";

// The value, or `default_value` when the key had to be created, the value is missing, is not a
// REG_DWORD or is empty.
std::uint32_t read_setting(const std::wstring& settings_key, const wchar_t* name,
                           std::uint32_t default_value);

// Stores `value` as a 4-byte REG_DWORD; true only when the key opened and the value was set.
bool write_setting(const std::wstring& settings_key, const wchar_t* name, std::uint32_t value);

}  // namespace orv
