#include "tests/support/test_hid_stack/png_writer.h"

#include <array>
#include <cstring>

namespace hid_stack {

namespace {

constexpr std::size_t window_size = 32768;
constexpr std::size_t min_match = 3;
constexpr std::size_t max_match = 258;
constexpr int max_chain = 48;

constexpr std::array<std::uint16_t, 29> length_base = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> length_extra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> distance_base = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> distance_extra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                         4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Deflate packs bits from the least significant end; Huffman codes go most significant bit
// first, so they are reversed on the way in.
class bit_writer {
public:
    explicit bit_writer(std::vector<std::uint8_t>& out) : out_(out) {}
    void bits(std::uint32_t value, int count) {
        buffer_ |= value << filled_;
        filled_ += count;
        while (filled_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(buffer_));
            buffer_ >>= 8;
            filled_ -= 8;
        }
    }
    void code(std::uint32_t code, int length) {
        std::uint32_t reversed = 0;
        for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
        bits(reversed, length);
    }
    void flush() {
        if (filled_ > 0) out_.push_back(static_cast<std::uint8_t>(buffer_));
        buffer_ = 0;
        filled_ = 0;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint32_t buffer_ = 0;
    int filled_ = 0;
};

void literal_or_length(bit_writer& w, unsigned symbol) {
    if (symbol <= 143) {
        w.code(0x30 + symbol, 8);
    } else if (symbol <= 255) {
        w.code(0x190 + (symbol - 144), 9);
    } else if (symbol <= 279) {
        w.code(symbol - 256, 7);
    } else {
        w.code(0xC0 + (symbol - 280), 8);
    }
}

void match(bit_writer& w, std::size_t length, std::size_t distance) {
    std::size_t i = length_base.size() - 1;
    while (length_base[i] > length) --i;
    literal_or_length(w, static_cast<unsigned>(257 + i));
    w.bits(static_cast<std::uint32_t>(length - length_base[i]), length_extra[i]);
    std::size_t j = distance_base.size() - 1;
    while (distance_base[j] > distance) --j;
    w.code(static_cast<std::uint32_t>(j), 5);
    w.bits(static_cast<std::uint32_t>(distance - distance_base[j]), distance_extra[j]);
}

std::uint32_t hash3(const std::uint8_t* p) {
    return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & (window_size - 1);
}

void put_be32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void chunk(std::vector<std::uint8_t>& png, const char* type,
           const std::vector<std::uint8_t>& data) {
    put_be32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put_be32(png, crc32(png.data() + start, png.size() - start));
}

}  // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t adler32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> zlib_compress(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> out = {0x78, 0x01};
    bit_writer w(out);
    w.bits(1, 1);  // final block
    w.bits(1, 2);  // fixed Huffman codes

    std::vector<std::int32_t> head(window_size, -1);
    std::vector<std::int32_t> previous(window_size, -1);
    auto insert = [&](std::size_t at) {
        const std::uint32_t h = hash3(data + at);
        previous[at & (window_size - 1)] = head[h];
        head[h] = static_cast<std::int32_t>(at);
    };

    std::size_t at = 0;
    while (at < size) {
        std::size_t best_length = 0, best_distance = 0;
        if (at + min_match <= size) {
            const std::size_t limit = std::min(max_match, size - at);
            std::int32_t candidate = head[hash3(data + at)];
            for (int chain = 0; chain < max_chain && candidate >= 0; ++chain) {
                const std::size_t from = static_cast<std::size_t>(candidate);
                if (at - from > window_size) break;
                std::size_t length = 0;
                while (length < limit && data[from + length] == data[at + length]) ++length;
                if (length > best_length) {
                    best_length = length;
                    best_distance = at - from;
                    if (length == limit) break;
                }
                const std::int32_t next = previous[from & (window_size - 1)];
                if (next >= candidate) break;  // the slot was reused by a newer position
                candidate = next;
            }
        }
        if (best_length >= min_match) {
            match(w, best_length, best_distance);
            for (std::size_t k = 0; k < best_length; ++k) {
                if (at + k + min_match <= size) insert(at + k);
            }
            at += best_length;
        } else {
            literal_or_length(w, data[at]);
            if (at + min_match <= size) insert(at);
            ++at;
        }
    }
    literal_or_length(w, 256);  // end of block
    w.flush();
    put_be32(out, adler32(data, size));
    return out;
}

std::vector<std::uint8_t> encode_png(std::uint32_t width, std::uint32_t height,
                                     const std::uint8_t* rows, std::size_t stride) {
    // Filter type 0 on every row: the match finder already catches repeated rows.
    const std::size_t row_bytes = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> raw;
    raw.reserve((row_bytes + 1) * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rows + y * stride, rows + y * stride + row_bytes);
    }

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    put_be32(header, width);
    put_be32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", zlib_compress(raw.data(), raw.size()));
    chunk(png, "IEND", {});
    return png;
}

}  // namespace hid_stack
