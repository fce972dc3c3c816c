// One listing attempt on the update server. Any thread; blocking.
#pragma once

#include <optional>
#include <string>

#include "update_check/server_paths.h"

namespace orv {

// Lists `pattern_base` + "*" + `extension` on `server` and returns the file name of the first
// listed entry that is a versioned package (see is_versioned_package): the entries are taken
// in the server's order, not sorted. Nothing when the server cannot be reached, the listing
// fails or no entry qualifies.
std::optional<std::wstring> ListServerPackage(const server_address& server,
                                              const std::wstring& pattern_base,
                                              const std::wstring& extension);

}  // namespace orv
