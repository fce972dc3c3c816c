// The firmware version reference: the calculator's USB ids, the program's own version, and the
// reference version delivered with the program in the version file ("version" in the current
// working directory), against which calculators' firmware is judged. Portable: no Windows
// headers. UI thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vanta_version.h"

// Packs a release's three components (each at most two hexadecimal digits for the second and
// third, four for the first) so that split_version gives them back. A second component below
// 0x10 sits under the four ignored top bits (0x7222201200000000 for 0x2012, 0x02, 0x22); a
// larger one (months 10 to 12) needs the form with low bits set, which split_version moves up
// by four.
constexpr std::uint64_t pack_version(std::uint32_t first, std::uint32_t second,
                                     std::uint32_t third) {
    if (second < 0x10) {
        return 0x7ull << 60 | std::uint64_t{second} << 56 | std::uint64_t{third} << 48 |
               std::uint64_t{first} << 32;
    }
    return std::uint64_t{second} << 52 | std::uint64_t{third} << 44 | std::uint64_t{first} << 28 |
           1u;
}

// The program's own version, from the build's VANTA_VERSION (year, month, day).
inline constexpr std::uint64_t program_version =
    pack_version(VANTA_VERSION_FIRST, VANTA_VERSION_SECOND, VANTA_VERSION_THIRD);

// The three components of a version, compared and printed in this order.
struct version_components {
    std::int32_t first = 0;
    std::int32_t second = 0;
    std::int32_t third = 0;
};

// Splits a version: the top four bits are ignored, and a value with any of its lowest twelve
// bits set is first shifted left by four; then first = bits 32-47, second = bits 56-63,
// third = bits 48-55.
version_components split_version(std::uint64_t version);

// The three components of `version`, first, second, third, printed with a pattern in printf
// style (e.g. L"Version %x %x %x"). Only "%x" and "%X" (flags '-', '0', '#' and a width
// allowed) convert, each taking the next component; "%%" is a '%'. Anything else, a fourth
// conversion included, stands as written, so no pattern can read a value that is not there.
// At most 63 characters.
std::wstring format_version(const wchar_t* format, std::uint64_t version);

// The reference value in the first line of a version file: the hexadecimal number between the
// first "=" and the first ";" after it. nullopt when the line has no such pair, or no
// hexadecimal digits there, or more than sixteen significant ones.
std::optional<std::uint64_t> parse_version_line(std::string_view first_line);

class version_reference {
public:
    // The calculator's USB ids.
    const std::uint16_t vendor_id = 0x3C5D;
    const std::uint16_t product_id = 0x7E21;

    // Reads the version file if its first line gives a value, and splits that value. Keeps
    // what it had when the file is missing or unreadable or gives no value.
    void load_version_file();

    // -1 when `version` is older than the reference, 0 when equal, 1 when newer or when there
    // is no reference (the file is looked for again first while none has been read).
    int compare_version(std::uint64_t version);

    std::uint64_t file_version_value() const noexcept { return file_version_value_; }
    version_components file_version() const noexcept {
        return {file_version_first_, file_version_second_, file_version_third_};
    }

private:
    std::int32_t file_version_first_ = 0;
    std::int32_t file_version_second_ = 0;
    std::int32_t file_version_third_ = 0;
    std::uint64_t file_version_value_ = 0;
};
