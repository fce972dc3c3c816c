// Opening a package on an HTTPS update server for the shared download. Any thread; blocking.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "update_check/remote_package.h"
#include "update_check/rules/server_paths.h"

namespace orv {

// GETs `remote_path` ("<dir>/<chosen name>") under the server's root. `listed_size` is the
// one the query's listing gave (0: unknown); a Content-Length that differs from it
// fails, and so does one above max_package_bytes. Nothing when the request fails.
std::optional<remote_package> open_https_package(HINTERNET session, const server_address& server,
                                                 const std::wstring& remote_path,
                                                 std::uint64_t listed_size);

}  // namespace orv
