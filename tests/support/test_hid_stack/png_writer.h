// PNG encoding for the harness's screenshots, self-contained so that a test under Wine needs
// no image library or outside tool. Deflate with fixed Huffman codes and a hash-chain match
// finder: window contents are mostly flat colour and repeated rows, which this packs well.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hid_stack {

// An 8-bit RGB image; `rows` points at the top row, each row `stride` bytes after the one
// above, three bytes (red, green, blue) per pixel.
std::vector<std::uint8_t> encode_png(std::uint32_t width, std::uint32_t height,
                                     const std::uint8_t* rows, std::size_t stride);

// The pieces, for tests: a zlib stream (RFC 1950) of one fixed-Huffman deflate block, and the
// checksums PNG and zlib use.
std::vector<std::uint8_t> zlib_compress(const std::uint8_t* data, std::size_t size);
std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t adler32(const std::uint8_t* data, std::size_t size);

}  // namespace hid_stack
