#include "update_check/update_server.h"

#include <windows.h>

#include <optional>
#include <string>

namespace orv {

server_address update_server() {
    std::optional<std::wstring> setting = machine_server_setting();
    std::optional<std::wstring_view> override_text;
    if (setting) override_text = *setting;
    return choose_server_address(override_text);
}

}  // namespace orv
