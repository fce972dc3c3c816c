// Owner of one WinINet handle (session, connection, find or file handle).
#pragma once

#include <windows.h>
#include <wininet.h>

#include "framework/unique_handle.h"

namespace orv {

struct internet_handle_traits {
    using type = HINTERNET;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::InternetCloseHandle(h); }
};
using internet_handle = fw::unique_handle<internet_handle_traits>;

}  // namespace orv
