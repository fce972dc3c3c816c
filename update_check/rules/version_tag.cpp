#include "update_check/rules/version_tag.h"

#include <limits>
#include <string>

namespace orv {
namespace {

bool is_space(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

bool is_separator(wchar_t c) { return c == L'_' || c == L'.'; }

// Splits the first token off `rest`; false when `rest` holds no separator.
bool next_token(std::wstring_view& rest, std::wstring_view& token) {
    std::size_t at = 0;
    while (at < rest.size() && !is_separator(rest[at])) ++at;
    if (at == rest.size()) return false;
    token = rest.substr(0, at);
    rest.remove_prefix(at + 1);
    return true;
}

// `text` without the separators at its start and its end: they separate no tokens, so
// "_2012_2_22" reads as the same version as "2012_2_22".
std::wstring_view strip_outer_separators(std::wstring_view text) {
    while (!text.empty() && is_separator(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_separator(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::int32_t token_number(std::wstring_view token) {
    std::size_t at = 0;
    while (at < token.size() && is_space(token[at])) ++at;
    bool negative = false;
    if (at < token.size() && (token[at] == L'+' || token[at] == L'-')) {
        negative = token[at] == L'-';
        ++at;
    }
    constexpr long long upper = std::numeric_limits<std::int32_t>::max();
    constexpr long long lower = std::numeric_limits<std::int32_t>::min();
    long long value = 0;
    for (; at < token.size() && token[at] >= L'0' && token[at] <= L'9'; ++at) {
        // Past the 32-bit range the value is clamped anyway; stop growing it there.
        if (value <= upper + 1) value = value * 10 + (token[at] - L'0');
    }
    if (negative) value = -value;
    if (value > upper) return static_cast<std::int32_t>(upper);
    if (value < lower) return static_cast<std::int32_t>(lower);
    return static_cast<std::int32_t>(value);
}

QueryState compare_version_tokens(std::wstring_view server_suffix, std::wstring_view version_tag) {
    std::wstring server_text = std::wstring(strip_outer_separators(server_suffix)) + L".";
    std::wstring local_text = std::wstring(strip_outer_separators(version_tag)) + L".";
    std::wstring_view server_rest = server_text;
    std::wstring_view local_rest = local_text;
    std::wstring_view server_token;
    while (next_token(server_rest, server_token)) {
        std::wstring_view local_token;
        std::int32_t local = next_token(local_rest, local_token) ? token_number(local_token) : -1;
        std::int32_t server = token_number(server_token);
        if (server > local) return QueryState::Newer;
        if (server < local) return QueryState::NotNewer;
    }
    return QueryState::NotNewer;
}

}  // namespace orv
