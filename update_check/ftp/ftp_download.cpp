#include "update_check/ftp/ftp_download.h"

#include <cstdint>

#include "update_check/ftp/ftp_connection.h"

namespace orv {
namespace {

// The size the server lists for `remote_path`; false when it cannot be listed.
bool listed_size(HINTERNET connection, const std::wstring& remote_path, std::uint64_t& size) {
    WIN32_FIND_DATAW entry{};
    internet_handle find(::FtpFindFirstFileW(connection, remote_path.c_str(), &entry,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE,
                                             0));
    if (!find) return false;
    size = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    return true;
}

}  // namespace

std::optional<remote_package> open_ftp_package(HINTERNET session, const server_address& server,
                                               const std::wstring& remote_path) {
    remote_package package;
    package.connection = connect_update_server(session, server);
    if (!package.connection) return std::nullopt;
    if (!listed_size(package.connection.get(), remote_path, package.listed_size)) {
        return std::nullopt;
    }
    package.exact_size = package.listed_size;
    package.stream = internet_handle(::FtpOpenFileW(
        package.connection.get(), remote_path.c_str(), GENERIC_READ,
        FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!package.stream) return std::nullopt;
    return package;
}

}  // namespace orv
