#include "update_check/rules/machine_policy.h"

#include <utility>

#include "update_check/rules/package_trust_rules.h"

namespace orv {
namespace {

constexpr std::size_t max_server_characters = 511;

// UTF-16LE bytes as wide characters, up to the first NUL or the end.
std::wstring utf16_text(const std::vector<std::uint8_t>& bytes) {
    std::wstring text;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        auto c = static_cast<wchar_t>(bytes[at] | bytes[at + 1] << 8);
        if (c == L'\0') break;
        text.push_back(c);
    }
    return text;
}

// UTF-16LE bytes narrowed to one char per character (pins are ASCII; anything else becomes
// '?', which no pin holds), NULs kept.
std::string narrow_utf16(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        unsigned c = bytes[at] | bytes[at + 1] << 8;
        text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return text;
}

std::optional<std::uint32_t> dword_of(const registry_value& value) {
    if (!value.complete || value.type != registry_dword || value.bytes.size() != 4) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value.bytes[0]) | value.bytes[1] << 8 | value.bytes[2] << 16 |
           static_cast<std::uint32_t>(value.bytes[3]) << 24;
}

}  // namespace

std::optional<registry_value> deciding_value(std::optional<registry_value> policy,
                                             std::optional<registry_value> machine) {
    return policy ? std::move(policy) : std::move(machine);
}

std::optional<std::wstring> server_text(const std::optional<registry_value>& value) {
    if (!value) return std::nullopt;
    if (!value->complete || value->type != registry_string) return std::wstring();
    std::wstring text = utf16_text(value->bytes);
    if (text.size() > max_server_characters) return std::wstring();
    return text;
}

std::optional<std::vector<std::string>> trusted_publisher_pins(
    const std::optional<registry_value>& value) {
    if (!value) return std::vector<std::string>{};
    if (!value->complete || value->type != registry_multi_string ||
        value->bytes.size() > max_machine_pins_bytes) {
        return std::nullopt;
    }
    return parse_machine_pins(narrow_utf16(value->bytes));
}

bool machine_allows_scheduled_checks(const std::optional<registry_value>& value) {
    if (!value) return true;
    std::optional<std::uint32_t> number = dword_of(*value);
    return number && *number != 0;
}

bool dword_is_one(const std::optional<registry_value>& value) {
    return value && dword_of(*value) == std::optional<std::uint32_t>(1);
}

}  // namespace orv
