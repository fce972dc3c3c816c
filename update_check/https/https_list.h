// One listing attempt on an HTTPS update server: fetch its list file and choose the package
// from it. Any thread; blocking.
#pragma once

#include <optional>
#include <string>

#include "update_check/https/package_list.h"
#include "update_check/rules/server_paths.h"

namespace orv {

// Fetches "<root><pattern_base>.list" from `server` and returns the entry that the shared
// selection (select_listed_package) takes, the entries read in the file's order, with its
// listed size. Nothing when the server cannot be reached, the list cannot be fetched or
// parsed, or no entry qualifies.
std::optional<package_list_entry> list_https_package(const server_address& server,
                                                     const std::wstring& pattern_base,
                                                     const std::wstring& extension);

}  // namespace orv
