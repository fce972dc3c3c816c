#include "update_check/machine_settings.h"

#include <windows.h>

#include "framework/unique_handle.h"

namespace orv {
namespace {

// The value `name` of HKLM\`key` (64-bit view); nothing when the key or the value is absent.
std::optional<registry_value> value_in(const wchar_t* key_path, const wchar_t* name) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                        &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    fw::registry_key key(opened);
    registry_value value;
    DWORD type = 0;
    DWORD size = 0;
    // Registry calls return their own status.
    LSTATUS status = ::RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    value.type = type;
    if (status != ERROR_SUCCESS || size > max_machine_value_bytes) {
        value.complete = false;
        return value;
    }
    value.bytes.resize(size);
    status = ::RegQueryValueExW(key.get(), name, nullptr, &type, value.bytes.data(), &size);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;  // removed meanwhile
    // Changed meanwhile (ERROR_MORE_DATA, another type): unusable rather than half read.
    value.complete = status == ERROR_SUCCESS && type == value.type && size <= value.bytes.size();
    value.bytes.resize(value.complete ? size : 0);
    return value;
}

}  // namespace

std::optional<registry_value> machine_value(const wchar_t* name) {
    return deciding_value(value_in(machine_policy_key, name), value_in(update_machine_key, name));
}

std::optional<std::wstring> machine_server_setting() {
    return server_text(machine_value(machine_value_server));
}

std::optional<std::vector<std::string>> machine_publisher_pins() {
    return trusted_publisher_pins(machine_value(machine_value_trusted_publishers));
}

bool machine_allows_scheduled_checks() {
    return orv::machine_allows_scheduled_checks(machine_value(machine_value_auto_update_check));
}

bool unprotected_download_folder_allowed() {
    return dword_is_one(machine_value(machine_value_allow_unprotected_folder));
}

}  // namespace orv
