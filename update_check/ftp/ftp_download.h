// Opening a package on an FTP update server for the shared download. Any thread; blocking.
#pragma once

#include <optional>
#include <string>

#include "update_check/remote_package.h"
#include "update_check/rules/server_paths.h"

namespace orv {

// Connects within `session`, lists `remote_path` again for its size (which the bytes are then
// held to) and opens it for a binary transfer. Nothing when any step fails.
std::optional<remote_package> open_ftp_package(HINTERNET session, const server_address& server,
                                               const std::wstring& remote_path);

}  // namespace orv
