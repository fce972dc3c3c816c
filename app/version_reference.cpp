#include "app/version_reference.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A first line longer than this is not a version line; reading stops there so that a large
// file without line breaks is not read into memory whole.
constexpr std::size_t max_first_line = 4096;

constexpr std::uint64_t top_bits_mask = 0x0FFFFFFFFFFFFFFFull;
constexpr std::uint64_t low_bits_mask = 0xFFFull;

int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Leading blanks skipped, an optional "0x" accepted, then digits up to the first non-digit.
std::optional<std::uint64_t> parse_hex(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    if (text.size() - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        hex_digit_value(text[i + 2]) >= 0) {
        i += 2;
    }
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; i < text.size(); ++i) {
        int digit = hex_digit_value(text[i]);
        if (digit < 0) break;
        if (value > (UINT64_MAX >> 4)) return std::nullopt;  // more than 64 bits
        value = (value << 4) | static_cast<std::uint64_t>(digit);
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
}

std::optional<std::string> read_first_line(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string line;
    char c;
    while (line.size() < max_first_line && file.get(c) && c != '\n') line.push_back(c);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

int compare_component(std::int32_t a, std::int32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

// The longest version text, as the fixed buffer of the printf form it replaces allowed.
constexpr std::size_t max_version_text = 63;
constexpr std::size_t max_field_width = max_version_text;

struct hex_conversion {
    std::size_t length = 0;  // characters from '%' through 'x'; 0 when not a conversion
    bool left = false;       // '-' flag
    bool zeros = false;      // '0' flag
    bool prefix = false;     // '#' flag
    bool upper = false;      // 'X'
    std::size_t width = 0;
};

// Reads "%[-0#]*[width](x|X)" at `at` (which points at the '%').
hex_conversion read_hex_conversion(const wchar_t* at) {
    hex_conversion conversion;
    std::size_t i = 1;
    for (;; ++i) {
        if (at[i] == L'-') {
            conversion.left = true;
        } else if (at[i] == L'0') {
            conversion.zeros = true;
        } else if (at[i] == L'#') {
            conversion.prefix = true;
        } else {
            break;
        }
    }
    for (; at[i] >= L'0' && at[i] <= L'9'; ++i) {
        conversion.width = std::min(conversion.width * 10 + static_cast<std::size_t>(at[i] - L'0'),
                                    max_field_width);
    }
    if (at[i] != L'x' && at[i] != L'X') return {};
    conversion.upper = at[i] == L'X';
    conversion.length = i + 1;
    return conversion;
}

// printf's rendering of one unsigned value under a "%x" conversion.
std::wstring format_hex(unsigned value, const hex_conversion& conversion) {
    const wchar_t* digits = conversion.upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring number;
    do {
        number.insert(number.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    std::wstring prefix;
    if (conversion.prefix && number != L"0") prefix = conversion.upper ? L"0X" : L"0x";
    const std::size_t used = prefix.size() + number.size();
    const std::size_t pad = conversion.width > used ? conversion.width - used : 0;
    if (conversion.left) return prefix + number + std::wstring(pad, L' ');
    if (conversion.zeros) return prefix + std::wstring(pad, L'0') + number;
    return std::wstring(pad, L' ') + prefix + number;
}

}  // namespace

version_components split_version(std::uint64_t version) {
    std::uint64_t v = version & top_bits_mask;
    if (v & low_bits_mask) v <<= 4;
    version_components parts;
    parts.first = static_cast<std::int32_t>((v >> 32) & 0xFFFF);
    parts.second = static_cast<std::int32_t>((v >> 56) & 0xFF);
    parts.third = static_cast<std::int32_t>((v >> 48) & 0xFF);
    return parts;
}

std::optional<std::uint64_t> parse_version_line(std::string_view first_line) {
    std::size_t equals = first_line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    std::size_t semicolon = first_line.find(';');
    // A ";" before the "=" leaves no text between them.
    if (semicolon == std::string_view::npos || semicolon < equals) return std::nullopt;
    return parse_hex(first_line.substr(equals + 1, semicolon - equals - 1));
}

void version_reference::load_version_file() {
    std::error_code error;
    std::filesystem::path directory = std::filesystem::current_path(error);
    if (error) return;
    std::optional<std::string> line = read_first_line(directory / "version");
    if (!line || line->empty()) return;
    if (std::optional<std::uint64_t> value = parse_version_line(*line)) {
        file_version_value_ = *value;
    }
    if (file_version_value_ != 0) {
        version_components parts = split_version(file_version_value_);
        file_version_first_ = parts.first;
        file_version_second_ = parts.second;
        file_version_third_ = parts.third;
    }
}

int version_reference::compare_version(std::uint64_t version) {
    if (file_version_value_ == 0) load_version_file();
    if (file_version_value_ == 0) return 1;
    version_components parts = split_version(version);
    if (int order = compare_component(parts.first, file_version_first_)) return order;
    if (int order = compare_component(parts.second, file_version_second_)) return order;
    return compare_component(parts.third, file_version_third_);
}

std::wstring format_version(const wchar_t* format, std::uint64_t version) {
    if (format == nullptr) return {};
    const version_components parts = split_version(version);
    const unsigned values[] = {static_cast<unsigned>(parts.first),
                               static_cast<unsigned>(parts.second),
                               static_cast<unsigned>(parts.third)};
    std::size_t next_value = 0;
    std::wstring text;
    auto append = [&text](std::wstring_view piece) {
        text.append(piece.substr(0, max_version_text - std::min(text.size(), max_version_text)));
    };
    for (const wchar_t* at = format; *at != L'\0' && text.size() < max_version_text;) {
        if (*at != L'%') {
            append(std::wstring_view(at, 1));
            ++at;
            continue;
        }
        if (at[1] == L'%') {
            append(L"%");
            at += 2;
            continue;
        }
        // Only "%x" and "%X" with optional flags and width are conversions, and only the first
        // three of them; anything else stands as written.
        const hex_conversion conversion = read_hex_conversion(at);
        if (conversion.length == 0 || next_value == std::size(values)) {
            append(std::wstring_view(at, 1));
            ++at;
            continue;
        }
        append(format_hex(values[next_value++], conversion));
        at += conversion.length;
    }
    return text;
}
