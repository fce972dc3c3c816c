#include "update_check/package_download.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "framework/unique_handle.h"
#include "update_check/rules/download_progress.h"
#include "update_check/ftp/ftp_download.h"
#include "update_check/https/https_download.h"
#include "update_check/remote_package.h"
#include "update_check/update_session.h"

namespace orv {
namespace {

std::optional<remote_package> open_package(HINTERNET session, const server_address& server,
                                           const std::wstring& remote_path,
                                           std::uint64_t listed_size) {
    switch (server.transport) {
        case update_transport::ftp:
            return open_ftp_package(session, server, remote_path);
        case update_transport::https:
            return open_https_package(session, server, remote_path, listed_size);
        case update_transport::unusable:
            break;
    }
    return std::nullopt;
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
                      std::uint64_t listed_size, HANDLE local_file,
                      const download_callbacks& callbacks, std::size_t read_size) {
    if (server.transport == update_transport::unusable || !local_file ||
        local_file == INVALID_HANDLE_VALUE) {
        return false;
    }
    internet_handle session = open_update_session();
    if (!session) return false;
    if (callbacks.started) callbacks.started();
    std::optional<remote_package> remote =
        open_package(session.get(), server, remote_path, listed_size);
    if (!remote || remote->listed_size > max_package_bytes) return false;
    HANDLE file = local_file;

    download_progress progress(remote->listed_size, callbacks.progress);
    std::vector<BYTE> buffer(read_size > 0 ? read_size : 1024);
    std::uint64_t total = 0;
    for (;;) {
        DWORD received = 0;
        if (!::InternetReadFile(remote->stream.get(), buffer.data(),
                                static_cast<DWORD>(buffer.size()), &received)) {
            return false;
        }
        if (received == 0) break;
        total += received;
        if (total > max_package_bytes) return false;
        if (!write_all(file, buffer.data(), received)) return false;
        progress.add(received);
    }
    // A listed size is a promise: a transfer cut short or padded is not the package.
    if (remote->exact_size > 0 && total != remote->exact_size) return false;
    progress.complete();
    return true;
}

}  // namespace orv
