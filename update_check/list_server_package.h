// One listing attempt on the update server. Any thread; blocking.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "update_check/rules/server_paths.h"

namespace orv {

// Lists `pattern_base` + "*" + `extension` on `server` (FTP) or reads `pattern_base` + ".list"
// (HTTPS) and returns the file name of the first listed entry that is a versioned package (see
// is_versioned_package): the entries are taken in the server's order, not sorted. Nothing when
// the server cannot be reached or is unusable, the listing fails or no entry qualifies. With
// `listed_size`, an HTTPS listing stores the chosen entry's size there for the download.
std::optional<std::wstring> ListServerPackage(const server_address& server,
                                              const std::wstring& pattern_base,
                                              const std::wstring& extension,
                                              std::uint64_t* listed_size = nullptr);

}  // namespace orv
