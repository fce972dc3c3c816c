// WinINet session and FTP connection to the update server, shared by the listing and the
// download. Each attempt opens its own and closes them when done. Any thread.
#pragma once

#include "update_check/internet_handle.h"
#include "update_check/server_paths.h"

namespace orv {

// A session with the agent "Microsoft Internet Explorer" and the system's proxy settings.
internet_handle open_update_session();

// An anonymous, passive FTP connection to `server` within `session`.
internet_handle connect_update_server(HINTERNET session, const server_address& server);

}  // namespace orv
