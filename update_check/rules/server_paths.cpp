#include "update_check/rules/server_paths.h"

#include "update_check/https/https_paths.h"

namespace orv {

std::optional<server_address> parse_server_address(std::wstring_view text) {
    if (has_https_scheme(text)) return parse_https_source(text);
    server_address address;
    std::size_t colon = text.rfind(L':');
    address.host = std::wstring(text.substr(0, colon));
    if (address.host.empty()) return std::nullopt;
    if (address.host.find_first_of(L":/\\ ") != std::wstring::npos) return std::nullopt;
    if (colon == std::wstring_view::npos) return address;
    std::optional<std::uint16_t> port = parse_port(text.substr(colon + 1));
    if (!port) return std::nullopt;
    address.port = *port;
    return address;
}

std::optional<std::uint16_t> parse_port(std::wstring_view digits) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    unsigned long port = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') return std::nullopt;
        port = port * 10 + static_cast<unsigned long>(c - L'0');
    }
    if (port == 0 || port > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

server_address choose_server_address(std::optional<std::wstring_view> override_text) {
    if (!override_text) {
        server_address vendor;
        vendor.host = std::wstring(default_update_host);
        vendor.port = default_update_port;
        return vendor;
    }
    if (auto parsed = parse_server_address(*override_text)) return *parsed;
    server_address unusable;
    unusable.transport = update_transport::unusable;
    return unusable;
}

std::wstring browse_location(std::wstring_view host, std::wstring_view server_path) {
    std::wstring location = std::wstring(host) + std::wstring(server_path);
    std::size_t slash = location.rfind(L'/');
    if (slash != std::wstring::npos && slash >= 1) location.resize(slash);
    return location;
}

std::wstring source_browse_location(const server_address& server, std::wstring_view server_path) {
    switch (server.transport) {
        case update_transport::ftp:
            return browse_location(server.host, server_path);
        case update_transport::https:
            return https_directory_url(server, server_path).value_or(std::wstring());
        case update_transport::unusable:
            break;
    }
    return {};
}

std::optional<std::wstring> remote_package_path(std::wstring_view server_path,
                                                std::wstring_view found_name) {
    std::size_t slash = server_path.rfind(L'/');
    if (slash == std::wstring_view::npos || slash == 0) return std::nullopt;
    return std::wstring(server_path.substr(0, slash + 1)) + std::wstring(found_name);
}

std::wstring settings_key_for(std::uint16_t product_id) {
    static constexpr wchar_t digits[] = L"0123456789abcdef";
    std::wstring hex;
    do {
        hex.insert(hex.begin(), digits[product_id & 0xF]);
        product_id = static_cast<std::uint16_t>(product_id >> 4);
    } while (product_id != 0);
    return L"Software\\Orvatec\\UpdateCheck\\" + hex;
}

}  // namespace orv
