#include "update_check/rules/package_trust_rules.h"

#include <algorithm>

#include "update_check/rules/package_selection.h"

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

std::optional<std::vector<std::string>> parse_machine_pins(std::string_view multi_sz) {
    std::vector<std::string> pins;
    std::size_t at = 0;
    while (at < multi_sz.size()) {
        std::size_t end = multi_sz.find('\0', at);
        if (end == std::string_view::npos) end = multi_sz.size();
        if (end == at) break;  // the empty string that ends the list
        auto pin = normalize_pin(multi_sz.substr(at, end - at));
        if (!pin) return std::nullopt;
        pins.push_back(*pin);
        at = end + 1;
    }
    if (pins.empty()) return std::nullopt;
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

package_kind launchable_kind(std::wstring_view extension, std::string_view head) {
    package_kind found = sniff_package_kind(head);
    if (equals_ignoring_case(extension, L".exe") && found == package_kind::windows_program) {
        return found;
    }
    if (equals_ignoring_case(extension, L".msi") && found == package_kind::windows_installer) {
        return found;
    }
    return package_kind::other;
}

bool start_needs_administrator(std::uint32_t error) { return error == 740; }

std::wstring download_folder_sddl(bool elevated, std::wstring_view user_sid) {
    // P: inherit nothing from the temporary directory. OICI: files and folders inside get the
    // same entries. FA: full control.
    std::wstring sddl = L"D:P";
    if (!elevated && !user_sid.empty()) sddl += L"(A;OICI;FA;;;" + std::wstring(user_sid) + L")";
    sddl += L"(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    return sddl;
}

std::wstring product_name_for(std::wstring_view base_name) {
    std::wstring name(base_name);
    std::replace(name.begin(), name.end(), L'_', L' ');
    return name;
}

std::optional<std::uint64_t> listed_product_version(std::wstring_view suffix) {
    std::uint64_t parts[4] = {};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at == suffix.size()) break;  // the parts not given are 0
            if (suffix[at] != L'_' && suffix[at] != L'.') return std::nullopt;
            ++at;
        }
        std::size_t start = at;
        while (at < suffix.size() && suffix[at] >= L'0' && suffix[at] <= L'9' && at - start < 6) {
            parts[i] = parts[i] * 10 + static_cast<std::uint64_t>(suffix[at] - L'0');
            ++at;
        }
        if (at == start || parts[i] > 0xFFFF) return std::nullopt;
    }
    if (at != suffix.size()) return std::nullopt;
    return parts[0] << 48 | parts[1] << 32 | parts[2] << 16 | parts[3];
}

std::optional<std::uint64_t> installer_release_version(std::wstring_view release_version,
                                                       std::wstring_view product_version) {
    std::optional<std::uint64_t> release = listed_product_version(release_version);
    std::optional<std::uint64_t> product = listed_product_version(product_version);
    if (!release || !product || (*release & 0xFFFF) != 0) return std::nullopt;
    const std::uint64_t year = *release >> 48;
    if (year < 2000 || year - 2000 > 255) return std::nullopt;
    const std::uint64_t expected = (year - 2000) << 48 | (*release & 0x0000FFFFFFFF0000);
    return *product == expected ? release : std::nullopt;
}

bool identity_matches(const package_identity& identity, std::wstring_view base_name,
                      std::wstring_view suffix) {
    std::optional<std::uint64_t> version = listed_product_version(suffix);
    std::wstring product = product_name_for(base_name);
    return version && !product.empty() && identity.product_version == *version &&
           identity.product_name == product && identity.file_description == product + L" Setup";
}

package_verdict judge_signature(std::uint32_t status, bool pins_configured,
                                bool signer_pin_listed) {
    bool digest_holds =
        status == trust_ok || status == trust_untrusted_root || status == trust_chaining;
    if (!digest_holds) return package_verdict::signature_refused;
    if (!pins_configured) return package_verdict::publisher_unknown;
    return signer_pin_listed ? package_verdict::trusted : package_verdict::publisher_unknown;
}

}  // namespace orv
