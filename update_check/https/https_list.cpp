#include "update_check/https/https_list.h"

#include <string>
#include <vector>

#include "update_check/update_session.h"
#include "update_check/https/https_connection.h"
#include "update_check/https/https_paths.h"
#include "update_check/rules/package_selection.h"
#include "update_check/shell_paths.h"

namespace orv {
namespace {

// The whole body, or nothing when it fails or grows beyond what a list may hold: reading stops
// one byte past the limit, whatever the server announced.
std::optional<std::string> read_list(const https_response& response) {
    if (response.content_length && *response.content_length > max_package_list_bytes) {
        return std::nullopt;
    }
    std::string body;
    std::vector<char> buffer(16 * 1024);
    for (;;) {
        DWORD received = 0;
        if (!::InternetReadFile(response.request.get(), buffer.data(),
                                static_cast<DWORD>(buffer.size()), &received)) {
            return std::nullopt;
        }
        if (received == 0) break;
        body.append(buffer.data(), received);
        if (body.size() > max_package_list_bytes) return std::nullopt;
    }
    if (response.content_length && *response.content_length != body.size()) return std::nullopt;
    return body;
}

}  // namespace

std::optional<package_list_entry> list_https_package(const server_address& server,
                                                     const std::wstring& pattern_base,
                                                     const std::wstring& extension) {
    std::optional<std::wstring> request_path = https_list_request(server, pattern_base);
    if (!request_path) return std::nullopt;
    internet_handle session = open_update_session();
    if (!session) return std::nullopt;
    std::optional<https_response> response = https_get(session.get(), server, *request_path);
    if (!response) return std::nullopt;
    std::optional<std::string> body = read_list(*response);
    if (!body) return std::nullopt;
    std::optional<std::vector<package_list_entry>> entries = parse_package_list(*body);
    if (!entries) return std::nullopt;

    // The same rules, in the same order, as for a directory listing; the entry last read is the
    // one chosen, and its listed size goes with it.
    std::size_t read = 0;
    std::optional<std::wstring> chosen = select_listed_package(
        [&](listed_name& listed) {
            if (read == entries->size()) return false;
            listed.name = (*entries)[read++].name;
            listed.stem = path_without_extension(listed.name);
            return true;
        },
        path_file_name(pattern_base), extension);
    if (!chosen) return std::nullopt;
    return (*entries)[read - 1];
}

}  // namespace orv
