// The list file an HTTPS update server publishes beside its packages, in place of the directory
// listing HTTP lacks. Every byte of it comes from the network. Portable: no Windows headers.
//
// UTF-8 with an optional byte-order mark; lines end in LF or CR LF. Each entry is a file name,
// one or more spaces or tabs, and the file's size in bytes in decimal (0: unknown), optionally
// followed by spaces or tabs. Blank lines and lines beginning with '#' are ignored; a line that
// is not an entry, or whose name has a character other than A-Z a-z 0-9 . _ -, is skipped, so
// names can go into a request path as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

inline constexpr std::size_t max_package_list_bytes = 64 * 1024;
inline constexpr std::size_t max_package_list_entries = 1000;

struct package_list_entry {
    std::wstring name;
    std::uint64_t size = 0;
};

// The entries in the file's order. Nothing when the file is larger than max_package_list_bytes
// or holds more than max_package_list_entries entries: such a list is not one we publish.
std::optional<std::vector<package_list_entry>> parse_package_list(std::string_view bytes);

}  // namespace orv
