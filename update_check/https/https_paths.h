// The names an HTTPS update source is reached by: its setting, the list file's and the
// packages' request paths, and the directory Check Online opens. Portable: no Windows headers.
//
// Request paths go to the server as written, so they are built only from characters that need
// no escaping in a URL path: A-Z a-z 0-9 . _ - ~ and '/'. Anything else makes them nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "update_check/rules/server_paths.h"

namespace orv {

inline constexpr std::uint16_t default_https_port = 443;

// Whether `text` begins with "https://" (ASCII case ignored).
bool has_https_scheme(std::wstring_view text);

// Reads "https://host[:port][/root]": a host of letters, digits, '.' and '-'; a port of 1 to
// 65535 (443 without one); a root of '/'-separated segments, none empty, "." or "..", without a
// trailing '/'. Nothing for anything else (user names, queries, fragments, IPv6 literals).
std::optional<server_address> parse_https_source(std::wstring_view text);

// Whether `path` may go into a request as written: it begins with '/', and every segment is
// non-empty, not "." or "..", and made of URL-safe characters only.
bool is_safe_request_path(std::wstring_view path);

// The list file's request path for the caller's server path: root, then `pattern_base`
// (the server path without its extension, see pattern_base()), then ".list".
std::optional<std::wstring> https_list_request(const server_address& server,
                                               std::wstring_view pattern_base);

// A package's request path: root, then `remote_path` ("<dir>/<chosen name>").
std::optional<std::wstring> https_package_request(const server_address& server,
                                                  std::wstring_view remote_path);

// "https://host[:port][/root]<dir>/" for the caller's server path "<dir>/<name>"; the port is
// left out when it is 443.
std::optional<std::wstring> https_directory_url(const server_address& server,
                                                std::wstring_view server_path);

}  // namespace orv
