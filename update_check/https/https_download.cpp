#include "update_check/https/https_download.h"

#include "update_check/https/https_connection.h"
#include "update_check/https/https_paths.h"
#include "update_check/package_download.h"

namespace orv {

std::optional<remote_package> open_https_package(HINTERNET session, const server_address& server,
                                                 const std::wstring& remote_path,
                                                 std::uint64_t listed_size) {
    std::optional<std::wstring> request_path = https_package_request(server, remote_path);
    if (!request_path) return std::nullopt;
    std::optional<https_response> response = https_get(session, server, *request_path);
    if (!response) return std::nullopt;
    const std::uint64_t listed = listed_size;
    if (response->content_length) {
        if (*response->content_length > max_package_bytes) return std::nullopt;
        if (listed > 0 && *response->content_length != listed) return std::nullopt;
    }
    remote_package package;
    package.connection = std::move(response->connection);
    package.stream = std::move(response->request);
    package.listed_size = listed;
    package.exact_size = listed > 0 ? listed : response->content_length.value_or(0);
    return package;
}

}  // namespace orv
