// Fetching the package file from the update server into a local file. Runs on the calling
// thread and returns when the transfer has ended; it cannot be cancelled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include <windows.h>

#include "update_check/rules/server_paths.h"

namespace orv {

struct download_callbacks {
    // The session is open and the transfer begins (the dialog shows its progress bar).
    std::function<void()> started;
    // The bar's new position, in the steps that reading 1,024 bytes at a time gives.
    std::function<void(int percent)> progress;
};

// How much one read asks the server for. Larger reads change nothing but the speed: the
// progress steps stay those of 1,024-byte reads.
inline constexpr std::size_t download_read_size = 1024 * 1024;

// No package is larger: a download that lists or sends more fails, so that a server cannot
// fill the disk.
inline constexpr std::uint64_t max_package_bytes = 512ull * 1024 * 1024;

// Downloads `remote_path` from `server` into the new, empty file open as `local_file` (write
// access). The server's transport opens the remote file (FTP lists it again for its size; HTTPS
// goes by `listed_size`, the size its list file gave, 0 when unknown); an unusable server fails at
// once. True when everything arrived: as many bytes as the listing announced when it
// announced any, and never more than max_package_bytes. After a failure the caller deletes
// the file.
bool download_package(const server_address& server, const std::wstring& remote_path,
                      std::uint64_t listed_size, HANDLE local_file,
                      const download_callbacks& callbacks,
                      std::size_t read_size = download_read_size);

}  // namespace orv
