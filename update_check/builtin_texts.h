// The update dialog's Simplified Chinese texts, built into the library (the English ones live
// in its string table under the same ids), and the retry text's formatting. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

inline constexpr std::uint32_t language_english = 1033;
inline constexpr std::uint32_t language_simplified_chinese = 2052;

// The text with string id `id` (149 to 162), or nothing for an id without a built-in text.
std::optional<std::wstring_view> simplified_chinese_text(unsigned id);

// `pattern` with its first "%i" replaced by `number` in decimal ("Retry #%i..." -> "Retry #2...").
std::wstring format_retry_text(std::wstring_view pattern, int number);

}  // namespace orv
