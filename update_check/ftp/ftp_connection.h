// The FTP connection to the update server, shared by the FTP listing and download. Any thread.
#pragma once

#include "update_check/internet_handle.h"
#include "update_check/rules/server_paths.h"

namespace orv {

// An anonymous, passive FTP connection to `server` within `session`.
internet_handle connect_update_server(HINTERNET session, const server_address& server);

}  // namespace orv
