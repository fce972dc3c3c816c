#include "update_check/update_server.h"

#include <windows.h>

#include <optional>
#include <string>

namespace orv {

fw::registry_key open_machine_settings() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, update_machine_key, 0,
                        KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return {};
    }
    return fw::registry_key(key);
}

std::optional<std::wstring> machine_server_setting() {
    fw::registry_key key = open_machine_settings();
    if (!key) return std::nullopt;
    wchar_t text[512] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    // RRF_RT_REG_SZ: any other type is ignored; the call returns its own status.
    LSTATUS status =
        ::RegGetValueW(key.get(), nullptr, L"Server", RRF_RT_REG_SZ, nullptr, text, &size);
    if (status != ERROR_SUCCESS || size < sizeof(wchar_t)) return std::nullopt;
    std::size_t length = size / sizeof(wchar_t);
    while (length > 0 && text[length - 1] == L'\0') --length;
    if (length == 0) return std::nullopt;
    return std::wstring(text, length);
}

server_address update_server() {
    std::optional<std::wstring> setting = machine_server_setting();
    std::optional<std::wstring_view> override_text;
    if (setting) override_text = *setting;
    return choose_server_address(override_text);
}

}  // namespace orv
