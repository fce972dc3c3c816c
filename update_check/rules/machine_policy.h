// How the library's machine-wide settings are chosen and read, without Windows. Each value is
// looked up first in the policy key (HKLM\Software\Policies\Orvatec\UpdateCheck, where Group
// Policy and management tools write), then in the product's own machine key
// (HKLM\Software\Orvatec\UpdateCheck); a value present in the policy key wins, whatever the
// other key holds. Both keys are administrators-only, and both are read in the 64-bit view.
// machine_settings.h reads the registry; the rules here say what the bytes mean. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orv {

// The key paths under HKEY_LOCAL_MACHINE, and the value names the library reads there.
inline constexpr const wchar_t* machine_policy_key = L"Software\\Policies\\Orvatec\\UpdateCheck";
inline constexpr const wchar_t* update_machine_key = L"Software\\Orvatec\\UpdateCheck";
inline constexpr const wchar_t* machine_value_server = L"Server";  // REG_SZ
inline constexpr const wchar_t* machine_value_trusted_publishers =
    L"TrustedPublishers";  // REG_MULTI_SZ
inline constexpr const wchar_t* machine_value_auto_update_check = L"AutoUpdateCheck";  // REG_DWORD
inline constexpr const wchar_t* machine_value_allow_unprotected_folder =
    L"AllowUnprotectedDownloadFolder";  // REG_DWORD

// The registry's type codes that matter here.
inline constexpr std::uint32_t registry_string = 1;        // REG_SZ
inline constexpr std::uint32_t registry_dword = 4;         // REG_DWORD
inline constexpr std::uint32_t registry_multi_string = 7;  // REG_MULTI_SZ

// The largest value that is read at all; a larger one is present but unusable.
inline constexpr std::size_t max_machine_value_bytes = 64 * 1024;

// One value as a key holds it. `complete` is false when it is there but could not be read
// whole (too large, or the read failed): it counts as present, and as unusable.
struct registry_value {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
    bool complete = true;
};

// The value that decides: the policy key's when it has one, else the machine key's.
std::optional<registry_value> deciding_value(std::optional<registry_value> policy,
                                             std::optional<registry_value> machine);

// The "Server" text: nothing when absent; "" (which no address parses, so nothing is
// contacted) when present but not a REG_SZ of at most 511 characters; otherwise the text up to
// its first NUL.
std::optional<std::wstring> server_text(const std::optional<registry_value>& value);

// The "TrustedPublishers" pins: none when absent; nothing at all (every package refused) when
// present but not a REG_MULTI_SZ of one pin per string (parse_machine_pins).
std::optional<std::vector<std::string>> trusted_publisher_pins(
    const std::optional<registry_value>& value);

// "AutoUpdateCheck": scheduled checks are allowed when the value is absent or a REG_DWORD
// other than 0. A value of another type reads as 0: an administrator who set something meant
// to restrict, and a check that stays quiet contacts nothing.
bool machine_allows_scheduled_checks(const std::optional<registry_value>& value);

// A REG_DWORD that is exactly 1 ("AllowUnprotectedDownloadFolder"); anything else is no.
bool dword_is_one(const std::optional<registry_value>& value);

}  // namespace orv
