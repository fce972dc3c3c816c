#include "update_check/update_server.h"

#include <windows.h>

#include <optional>
#include <string>

namespace orv {

server_address update_server() {
    wchar_t text[512] = {};
    DWORD length = ::GetEnvironmentVariableW(L"ORV_UPDATE_SERVER", text, 512);
    std::optional<std::wstring_view> override_text;
    if (length > 0 && length < 512) override_text = std::wstring_view(text, length);
    return choose_server_address(override_text);
}

}  // namespace orv
