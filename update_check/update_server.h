// Which update server to talk to: the vendor's FTP host on port 21, unless the environment
// variable ORV_UPDATE_SERVER holds "host" or "host:port" (mirrors, tests). Any thread; read
// afresh at the start of each query and download.
#pragma once

#include "update_check/server_paths.h"

namespace orv {

server_address update_server();

}  // namespace orv
