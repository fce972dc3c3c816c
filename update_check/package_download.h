// Fetching the package file from the update server into a local file. Runs on the calling
// thread and returns when the transfer has ended; it cannot be cancelled.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "update_check/server_paths.h"

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

// Downloads `remote_path` from `server` into `local_path`, which is created, or emptied when it
// exists. True when everything arrived. After a failure, whatever was written stays.
bool download_package(const server_address& server, const std::wstring& remote_path,
                      const std::wstring& local_path, const download_callbacks& callbacks,
                      std::size_t read_size = download_read_size);

}  // namespace orv
