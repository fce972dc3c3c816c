// The stream a document serializes itself through: an open file, read when loading and written
// when storing. UI thread only.
#pragma once

#include <windows.h>

#include <cstddef>

namespace fw {

class archive {
public:
    enum class mode { load, store };

    archive(HANDLE file, mode direction) : file_(file), mode_(direction) {}

    bool is_loading() const noexcept { return mode_ == mode::load; }
    bool is_storing() const noexcept { return mode_ == mode::store; }

    // All `size` bytes or false.
    bool read(void* data, std::size_t size);
    bool write(const void* data, std::size_t size);

private:
    HANDLE file_;
    mode mode_;
};

}  // namespace fw
