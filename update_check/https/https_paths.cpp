#include "update_check/https/https_paths.h"

#include "update_check/rules/package_selection.h"

namespace orv {
namespace {

constexpr std::wstring_view https_scheme = L"https://";

bool is_ascii_letter_or_digit(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

bool is_url_safe(wchar_t c) {
    return is_ascii_letter_or_digit(c) || c == L'.' || c == L'_' || c == L'-' || c == L'~';
}

bool is_host_name(std::wstring_view host) {
    if (host.empty() || host.size() > 253) return false;
    for (wchar_t c : host) {
        if (!is_ascii_letter_or_digit(c) && c != L'.' && c != L'-') return false;
    }
    return true;
}

std::optional<std::wstring> joined_request(const server_address& server, std::wstring_view path) {
    // Without its own leading '/' the path would run into the root's last segment.
    if (server.transport != update_transport::https || path.empty() || path.front() != L'/') {
        return std::nullopt;
    }
    std::wstring request = server.root + std::wstring(path);
    if (!is_safe_request_path(request)) return std::nullopt;
    return request;
}

}  // namespace

bool has_https_scheme(std::wstring_view text) {
    return equals_ignoring_case(text.substr(0, https_scheme.size()), https_scheme);
}

bool is_safe_request_path(std::wstring_view path) {
    if (path.empty() || path.front() != L'/') return false;
    std::size_t start = 1;
    for (;;) {
        std::size_t end = path.find(L'/', start);
        std::wstring_view segment = path.substr(
            start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start);
        if (segment.empty() || segment == L"." || segment == L"..") return false;
        for (wchar_t c : segment) {
            if (!is_url_safe(c)) return false;
        }
        if (end == std::wstring_view::npos) return true;
        start = end + 1;
    }
}

std::optional<server_address> parse_https_source(std::wstring_view text) {
    if (!has_https_scheme(text)) return std::nullopt;
    std::wstring_view rest = text.substr(https_scheme.size());
    std::size_t slash = rest.find(L'/');
    std::wstring_view authority = rest.substr(0, slash);
    std::wstring_view root =
        slash == std::wstring_view::npos ? std::wstring_view() : rest.substr(slash);
    server_address server;
    server.transport = update_transport::https;
    server.port = default_https_port;
    std::size_t colon = authority.find(L':');
    if (colon != std::wstring_view::npos) {
        auto port = parse_port(authority.substr(colon + 1));
        if (!port) return std::nullopt;
        server.port = *port;
        authority = authority.substr(0, colon);
    }
    if (!is_host_name(authority)) return std::nullopt;
    if (!root.empty() && !is_safe_request_path(root)) return std::nullopt;
    server.host = std::wstring(authority);
    server.root = std::wstring(root);
    return server;
}

std::optional<std::wstring> https_list_request(const server_address& server,
                                               std::wstring_view pattern_base) {
    return joined_request(server, std::wstring(pattern_base) + L".list");
}

std::optional<std::wstring> https_package_request(const server_address& server,
                                                  std::wstring_view remote_path) {
    return joined_request(server, remote_path);
}

std::optional<std::wstring> https_directory_url(const server_address& server,
                                                std::wstring_view server_path) {
    std::size_t slash = server_path.rfind(L'/');
    if (slash == std::wstring_view::npos || server_path.front() != L'/') return std::nullopt;
    std::wstring directory = server.root + std::wstring(server_path.substr(0, slash + 1));
    if (directory != L"/" && !is_safe_request_path(directory.substr(0, directory.size() - 1))) {
        return std::nullopt;
    }
    std::wstring url = std::wstring(https_scheme) + server.host;
    if (server.port != default_https_port) url += L":" + std::to_wstring(server.port);
    return url + directory;
}

}  // namespace orv
