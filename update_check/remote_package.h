// What a transport hands the shared download once the server has agreed to send a package: the
// open stream, and the sizes the bytes are held to. Any thread.
#pragma once

#include <cstdint>

#include "update_check/internet_handle.h"

namespace orv {

struct remote_package {
    // The connection the stream belongs to; closed after the stream.
    internet_handle connection;
    internet_handle stream;
    // The size the listing gave (0: unknown); the progress steps are taken from it.
    std::uint64_t listed_size = 0;
    // When above 0, the body must be exactly this long: a transfer cut short or padded is not
    // the package.
    std::uint64_t exact_size = 0;
};

}  // namespace orv
