#include "update_check/https/package_list.h"

namespace orv {
namespace {

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool is_name_character(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

// One line without its end; nothing when it is not an entry.
std::optional<package_list_entry> parse_entry(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && is_name_character(line[at])) ++at;
    if (at == 0 || at == line.size() || !is_blank(line[at])) return std::nullopt;
    package_list_entry entry;
    entry.name.assign(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(at));
    while (at < line.size() && is_blank(line[at])) ++at;
    std::size_t digits = 0;
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at, ++digits) {
        const auto digit = static_cast<std::uint64_t>(line[at] - '0');
        if (entry.size > (UINT64_MAX - digit) / 10) return std::nullopt;
        entry.size = entry.size * 10 + digit;
    }
    if (digits == 0) return std::nullopt;
    while (at < line.size() && is_blank(line[at])) ++at;
    if (at != line.size()) return std::nullopt;
    return entry;
}

}  // namespace

std::optional<std::vector<package_list_entry>> parse_package_list(std::string_view bytes) {
    if (bytes.size() > max_package_list_bytes) return std::nullopt;
    if (bytes.substr(0, byte_order_mark.size()) == byte_order_mark) {
        bytes.remove_prefix(byte_order_mark.size());
    }
    std::vector<package_list_entry> entries;
    while (!bytes.empty()) {
        std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        auto entry = parse_entry(line);
        if (!entry) continue;
        if (entries.size() == max_package_list_entries) return std::nullopt;
        entries.push_back(std::move(*entry));
    }
    return entries;
}

}  // namespace orv
