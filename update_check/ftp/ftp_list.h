// One listing attempt on an FTP update server. Any thread; blocking.
#pragma once

#include <optional>
#include <string>

#include "update_check/rules/server_paths.h"

namespace orv {

// Lists `pattern_base` + "*" + `extension` on `server` and returns the name of the entry that
// the shared selection (select_listed_package) takes, in the server's order. Nothing when the
// server cannot be reached, the listing fails or no entry qualifies.
std::optional<std::wstring> list_ftp_package(const server_address& server,
                                             const std::wstring& pattern_base,
                                             const std::wstring& extension);

}  // namespace orv
