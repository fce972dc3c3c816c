// Reads a fuzzer's bytes as a sequence of small values. Past the end every read gives zero
// (and empty strings), so a target never needs to check how much is left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

class input {
public:
    input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ == size_; }
    std::size_t remaining() const { return size_ - at_; }

    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t u16() {
        const std::uint16_t low = byte();
        return static_cast<std::uint16_t>(low | (byte() << 8));
    }
    std::uint64_t u64() {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i) value = (value << 8) | byte();
        return value;
    }
    // Up to `count` bytes into `out`; the rest of `out` is left as it was. How many were read.
    std::size_t bytes(std::uint8_t* out, std::size_t count) {
        std::size_t taken = 0;
        while (taken < count && at_ < size_) out[taken++] = data_[at_++];
        return taken;
    }
    // A string of UTF-16 units whose unit count comes first (one byte).
    std::wstring short_text() { return text(byte()); }
    // `units` UTF-16 units, little-endian, as far as the input goes.
    std::wstring text(std::size_t units) {
        std::wstring out;
        while (units-- > 0 && remaining() >= 2) out.push_back(static_cast<wchar_t>(u16()));
        return out;
    }
    // Everything left, as UTF-16 units.
    std::wstring rest_as_text() { return text(remaining() / 2); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Stops the run so that the fuzzer records the input, with a reason on stderr.
[[noreturn]] void fail(const char* invariant);

}  // namespace fuzz

#define FUZZ_CHECK(condition)                       \
    do {                                            \
        if (!(condition)) ::fuzz::fail(#condition); \
    } while (false)
