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
    // A value of another type answers ERROR_UNSUPPORTED_TYPE (REG_EXPAND_SZ too: RRF_NOEXPAND
    // keeps the environment out of it), one too long ERROR_MORE_DATA; the call returns its own
    // status.
    LSTATUS status = ::RegGetValueW(key.get(), nullptr, L"Server", RRF_RT_REG_SZ | RRF_NOEXPAND,
                                    nullptr, text, &size);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    // Present but unreadable as text: an empty text, which no address parses, so that nothing
    // is contacted rather than a server the administrator did not name.
    if (status != ERROR_SUCCESS) return std::wstring();
    std::size_t length = size / sizeof(wchar_t);
    while (length > 0 && text[length - 1] == L'\0') --length;
    return std::wstring(text, length);
}

bool unprotected_download_folder_allowed() {
    fw::registry_key key = open_machine_settings();
    DWORD value = 0;
    DWORD size = sizeof(value);
    return key &&
           ::RegGetValueW(key.get(), nullptr, L"AllowUnprotectedDownloadFolder", RRF_RT_REG_DWORD,
                          nullptr, &value, &size) == ERROR_SUCCESS &&
           value == 1;
}

server_address update_server() {
    std::optional<std::wstring> setting = machine_server_setting();
    std::optional<std::wstring_view> override_text;
    if (setting) override_text = *setting;
    return choose_server_address(override_text);
}

}  // namespace orv
