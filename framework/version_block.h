// The layout check a version resource must pass before the system's version functions read
// it. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fw {

// Whether `block` (`size` bytes) is a 32-bit (Unicode) VS_VERSIONINFO, as the resource
// section of a Windows program holds it: wLength, wValueLength and wType (0 or 1), then the
// key L"VS_VERSION_INFO" with its terminator, wLength no more than `size` and enough for the
// key. VerQueryValueW converts the strings of a 16-bit (ANSI) block in place, writing past
// the end of a bare resource, so only this layout may be handed to it.
inline bool is_unicode_version_block(const std::uint8_t* block, std::size_t size) {
    constexpr char16_t key[] = u"VS_VERSION_INFO";
    constexpr std::size_t header = 6;
    constexpr std::size_t key_bytes = sizeof(key);  // with the terminator
    if (!block || size < header + key_bytes) return false;
    std::size_t length = static_cast<std::size_t>(block[0] | block[1] << 8);
    std::size_t type = static_cast<std::size_t>(block[4] | block[5] << 8);
    if (length < header + key_bytes || length > size || type > 1) return false;
    for (std::size_t i = 0; i < key_bytes / 2; ++i) {
        char16_t c = static_cast<char16_t>(block[header + 2 * i] | block[header + 2 * i + 1] << 8);
        if (c != key[i]) return false;
    }
    return true;
}

}  // namespace fw
