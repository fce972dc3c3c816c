#include "framework/archive.h"

namespace fw {

bool archive::read(void* data, std::size_t size) {
    auto* bytes = static_cast<BYTE*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!is_loading() || !::ReadFile(file_, bytes, chunk, &got, nullptr) || got == 0) {
            return false;
        }
        bytes += got;
        size -= got;
    }
    return true;
}

bool archive::write(const void* data, std::size_t size) {
    auto* bytes = static_cast<const BYTE*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD put = 0;
        if (!is_storing() || !::WriteFile(file_, bytes, chunk, &put, nullptr) || put == 0) {
            return false;
        }
        bytes += put;
        size -= put;
    }
    return true;
}

}  // namespace fw
