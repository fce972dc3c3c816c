#include "update_check/package_trust_rules.h"

#include <algorithm>

namespace orv {
namespace {

constexpr std::size_t pin_length = 64;

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool is_separator(char c) {
    return c == ';' || c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
}

}  // namespace

std::optional<std::string> normalize_pin(std::string_view text) {
    if (text.size() != pin_length || !std::all_of(text.begin(), text.end(), is_hex)) {
        return std::nullopt;
    }
    std::string pin(text);
    std::transform(pin.begin(), pin.end(), pin.begin(), lower);
    return pin;
}

std::vector<std::string> parse_pin_list(std::string_view text) {
    std::vector<std::string> pins;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && is_separator(text[at])) ++at;
        std::size_t end = at;
        while (end < text.size() && !is_separator(text[end])) ++end;
        if (end > at) {
            if (auto pin = normalize_pin(text.substr(at, end - at))) pins.push_back(*pin);
        }
        at = end;
    }
    return pins;
}

bool pin_is_listed(const std::vector<std::string>& pins, std::string_view pin) {
    auto wanted = normalize_pin(pin);
    return wanted && std::find(pins.begin(), pins.end(), *wanted) != pins.end();
}

std::string hex_of(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 0x0F]);
    }
    return text;
}

package_kind sniff_package_kind(std::string_view head) {
    static constexpr std::string_view compound_file("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (head.size() >= compound_file.size() && head.substr(0, 8) == compound_file) {
        return package_kind::windows_installer;
    }
    if (head.size() >= 2 && head[0] == 'M' && head[1] == 'Z') return package_kind::windows_program;
    return package_kind::other;
}

package_verdict judge_signature(std::uint32_t status, bool pins_configured,
                                bool signer_pin_listed) {
    if (!pins_configured) {
        return status == trust_ok ? package_verdict::trusted : package_verdict::signature_refused;
    }
    bool digest_holds =
        status == trust_ok || status == trust_untrusted_root || status == trust_chaining;
    if (!digest_holds) return package_verdict::signature_refused;
    return signer_pin_listed ? package_verdict::trusted : package_verdict::publisher_unknown;
}

}  // namespace orv
