// One GET on an HTTPS update server, shared by the list file and the package download. Any
// thread; blocking.
//
// WinINet checks the server's certificate against the system's roots and the host name; no
// flag here relaxes that, and a certificate error fails the request like any failed
// connection. Redirects are not followed (a redirect answers with its own status, which is not
// 200), the user's cache and cookies are neither read nor written, and WinINet shows no UI.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "update_check/internet_handle.h"
#include "update_check/rules/server_paths.h"

namespace orv {

struct https_response {
    internet_handle connection;
    internet_handle request;
    // The Content-Length the server sent; nothing when it sent none.
    std::optional<std::uint64_t> content_length;
};

// Sends GET `request_path` (already checked by is_safe_request_path) to `server` within
// `session`. Nothing unless the connection, the TLS handshake and the request succeeded and the
// status is 200, and a Content-Length, when sent, is a plain decimal number.
std::optional<https_response> https_get(HINTERNET session, const server_address& server,
                                        const std::wstring& request_path);

}  // namespace orv
