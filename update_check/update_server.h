// Which update server to talk to: the vendor's FTP host on port 21, unless the machine setting
// "Server" (REG_SZ; policy key first, machine_settings.h) holds "host" or
// "host:port" (FTP) or "https://host[:port][/root]" (HTTPS). A value that is there but not one
// of these (another type, malformed, another scheme) makes the server unusable: every query
// fails and nothing is contacted, not even the vendor's server. Only an administrator can
// change where the packages come from: the environment and HKEY_CURRENT_USER are not
// consulted. Any thread; read afresh at the start of each query, and the download goes to the
// host its query used.
#pragma once

#include <optional>
#include <string>

#include "update_check/machine_settings.h"
#include "update_check/rules/server_paths.h"

namespace orv {

server_address update_server();

}  // namespace orv
