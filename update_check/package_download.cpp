#include "update_check/package_download.h"

#include <cstdint>
#include <vector>

#include "framework/unique_handle.h"
#include "update_check/download_progress.h"
#include "update_check/ftp_connection.h"

namespace orv {
namespace {

// A new file, write-only, others may read but not write. Whatever is already there (a file,
// a link) is never opened, truncated or followed: the download fails instead.
fw::file_handle open_local_file(const std::wstring& local_path) {
    return fw::file_handle(::CreateFileW(local_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                         nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

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

bool write_all(HANDLE file, const BYTE* data, DWORD count) {
    while (count > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, data, count, &written, nullptr) || written == 0) return false;
        data += written;
        count -= written;
    }
    return true;
}

}  // namespace

bool download_package(const server_address& server, const std::wstring& remote_path,
                      const std::wstring& local_path, const download_callbacks& callbacks,
                      std::size_t read_size) {
    internet_handle session = open_update_session();
    if (!session) return false;
    if (callbacks.started) callbacks.started();
    internet_handle connection = connect_update_server(session.get(), server);
    if (!connection) return false;
    fw::file_handle file = open_local_file(local_path);
    if (!file) return false;
    std::uint64_t size = 0;
    if (!listed_size(connection.get(), remote_path, size) || size > max_package_bytes) return false;
    internet_handle remote(::FtpOpenFileW(
        connection.get(), remote_path.c_str(), GENERIC_READ,
        FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!remote) return false;

    download_progress progress(size, callbacks.progress);
    std::vector<BYTE> buffer(read_size > 0 ? read_size : 1024);
    std::uint64_t total = 0;
    for (;;) {
        DWORD received = 0;
        if (!::InternetReadFile(remote.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                &received)) {
            return false;
        }
        if (received == 0) break;
        total += received;
        if (total > max_package_bytes) return false;
        if (!write_all(file.get(), buffer.data(), received)) return false;
        progress.add(received);
    }
    // A listed size is a promise: a transfer cut short or padded is not the package.
    if (size > 0 && total != size) return false;
    progress.complete();
    return true;
}

}  // namespace orv
