// Texts derived from the update server's address and the caller's server path. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// How the update server is reached. `unusable` stands for a "Server" setting that is present
// but names no server this library may use: nothing is contacted then, and every query fails.
enum class update_transport { ftp, https, unusable };

// The update server: the vendor's host unless the machine setting "Server" names another.
struct server_address {
    update_transport transport = update_transport::ftp;
    std::wstring host;
    std::uint16_t port = 21;
    // HTTPS only: the path the server's files sit under, "" or "/a/b" (no trailing '/').
    std::wstring root;
};

inline constexpr std::wstring_view default_update_host = L"ftp.orvatec.com";
inline constexpr std::uint16_t default_update_port = 21;

// Reads "host" or "host:port" (FTP, port 1 to 65535) or "https://host[:port][/root]" (see
// parse_https_source). Nothing for an empty host, a bad port, any other scheme ("http://",
// "ftp://") or anything else malformed.
std::optional<server_address> parse_server_address(std::wstring_view text);

// A port number written as 1 to 5 decimal digits, 1 to 65535; nothing for anything else.
std::optional<std::uint16_t> parse_port(std::wstring_view digits);

// The server to use: the vendor's FTP server when there is no setting, the setting when it
// parses, and an unusable address when a setting is there but does not parse. A broken setting
// must not quietly send an administrator's machine to another server than the one configured.
server_address choose_server_address(std::optional<std::wstring_view> override_text);

// Where the Check Online button points: host followed by the server path, cut just before the
// last '/' when that stands at position 1 or later. "ftp.orvatec.com" and
// "/pub/calculators/OrvK58x/Orv_Vanta_Kit.exe" give "ftp.orvatec.com/pub/calculators/OrvK58x".
std::wstring browse_location(std::wstring_view host, std::wstring_view server_path);

// Where Check Online points for `server`: browse_location for FTP, the server directory's URL
// for HTTPS (https_directory_url), nothing for an unusable setting.
std::wstring source_browse_location(const server_address& server, std::wstring_view server_path);

// The package's path on the server: the server path's directory (through its last '/') followed
// by the found name. Nothing when the server path has no '/' after its first character.
std::optional<std::wstring> remote_package_path(std::wstring_view server_path,
                                                std::wstring_view found_name);

// Registry path of a product's settings below HKEY_CURRENT_USER:
// "Software\Orvatec\UpdateCheck\" and the product id in lower-case hexadecimal.
std::wstring settings_key_for(std::uint16_t product_id);

// The settings key before any export has named a product.
inline constexpr std::wstring_view initial_settings_key = L"Software\\Orvatec\\CheckForUpdates";

}  // namespace orv
