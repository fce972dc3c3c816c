// The update dialog's Chinese texts, built into the library (the English ones live in its
// string table under the same ids), and the retry text's formatting. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

inline constexpr std::uint32_t language_english = 1033;
inline constexpr std::uint32_t language_simplified_chinese = 2052;
inline constexpr std::uint32_t language_traditional_chinese_taiwan = 1028;
inline constexpr std::uint32_t language_traditional_chinese_hong_kong = 3076;
inline constexpr std::uint32_t language_traditional_chinese_macau = 5124;

// The text with string id `id` (149 to 165), or nothing for an id without a built-in text.
std::optional<std::wstring_view> simplified_chinese_text(unsigned id);
std::optional<std::wstring_view> traditional_chinese_text(unsigned id);

// The built-in text of `id` for `language_id`: Simplified Chinese for 2052, Traditional for
// 1028, 3076 and 5124; nothing for any other language or id.
std::optional<std::wstring_view> builtin_text(std::uint32_t language_id, unsigned id);

// `pattern` with its first "%i" replaced by `number` in decimal ("Retry #%i..." -> "Retry #2...").
std::wstring format_retry_text(std::wstring_view pattern, int number);

// A status text as assistive technology should read it: one line, each run of line breaks
// and blanks one space, none at either end.
std::wstring spoken_text(std::wstring_view text);

}  // namespace orv
