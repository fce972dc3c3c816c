// The screenshot PNG writer, decoded by zlib: what the harness writes must be a valid PNG
// with exactly the pixels given, however they repeat.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "tests/support/test_hid_stack/png_writer.h"

namespace {

using bytes = std::vector<std::uint8_t>;

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

bytes inflate_all(const bytes& stream, std::size_t expected) {
    bytes out(expected + 16);
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(out.data(), &size, stream.data(), static_cast<uLong>(stream.size())),
              Z_OK);
    out.resize(size);
    return out;
}

bytes sample_data(std::size_t size, std::uint32_t seed) {
    bytes data(size);
    for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        // Long runs, short repeats and noise, as in a screenshot.
        data[i] = (i / 700) % 3 == 0   ? 0xF0
                  : (i / 700) % 3 == 1 ? static_cast<std::uint8_t>(i % 7)
                                       : static_cast<std::uint8_t>(seed >> 16);
    }
    return data;
}

TEST(png_writer, deflate_streams_decode_to_their_input) {
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3},
                             std::size_t{258}, std::size_t{40000}, std::size_t{200000}}) {
        const bytes data = sample_data(size, static_cast<std::uint32_t>(size));
        const bytes packed = hid_stack::zlib_compress(data.data(), data.size());
        EXPECT_EQ(inflate_all(packed, size), data) << size << " bytes";
    }
    const bytes flat(100000, 0xAB);
    EXPECT_LT(hid_stack::zlib_compress(flat.data(), flat.size()).size(), 1000u);
}

TEST(png_writer, checksums_match_zlib) {
    const bytes data = sample_data(5000, 7);
    EXPECT_EQ(hid_stack::crc32(data.data(), data.size()), ::crc32(0, data.data(), 5000));
    EXPECT_EQ(hid_stack::adler32(data.data(), data.size()), ::adler32(1, data.data(), 5000));
}

TEST(png_writer, image_rows_come_back_with_their_chunks_intact) {
    const std::uint32_t width = 5, height = 3;
    const std::size_t stride = 16;  // padding after each row must not be encoded
    bytes pixels(stride * height, 0xEE);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width * 3; ++x)
            pixels[y * stride + x] = static_cast<std::uint8_t>(y * 40 + x);
    }
    const bytes png = hid_stack::encode_png(width, height, pixels.data(), stride);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(bytes(png.begin(), png.begin() + 8),
              (bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));

    bytes idat;
    std::vector<std::string> types;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = be32(&png[at]);
        const std::string type(png.begin() + at + 4, png.begin() + at + 8);
        types.push_back(type);
        EXPECT_EQ(be32(&png[at + 8 + length]), ::crc32(0, &png[at + 4], length + 4)) << type;
        if (type == "IHDR") {
            EXPECT_EQ(be32(&png[at + 8]), width);
            EXPECT_EQ(be32(&png[at + 12]), height);
            EXPECT_EQ(png[at + 16], 8);
            EXPECT_EQ(png[at + 17], 2);
        }
        if (type == "IDAT") idat.insert(idat.end(), &png[at + 8], &png[at + 8] + length);
        at += 12 + length;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    const bytes raw = inflate_all(idat, (width * 3 + 1) * height);
    ASSERT_EQ(raw.size(), (width * 3 + 1) * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        EXPECT_EQ(raw[y * (width * 3 + 1)], 0) << "filter type of row " << y;
        EXPECT_TRUE(std::equal(pixels.begin() + y * stride, pixels.begin() + y * stride + width * 3,
                               raw.begin() + y * (width * 3 + 1) + 1));
    }
}

}  // namespace
