// The update dialog's translated texts, built into the library (the English ones live in its
// string table under the same ids), and the retry text's formatting. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orv {

inline constexpr std::uint32_t language_english = 1033;
inline constexpr std::uint32_t language_simplified_chinese = 2052;
inline constexpr std::uint32_t language_traditional_chinese_taiwan = 1028;
inline constexpr std::uint32_t language_traditional_chinese_hong_kong = 3076;
inline constexpr std::uint32_t language_traditional_chinese_macau = 5124;
inline constexpr std::uint32_t language_german = 0x0407;
inline constexpr std::uint32_t language_french = 0x040C;
inline constexpr std::uint32_t language_spanish = 0x0C0A;
inline constexpr std::uint32_t language_portuguese_brazil = 0x0416;
inline constexpr std::uint32_t language_japanese = 0x0411;
inline constexpr std::uint32_t language_korean = 0x0412;

// The text with string id `id` (149 to 165), or nothing for an id without a built-in text.
std::optional<std::wstring_view> simplified_chinese_text(unsigned id);
std::optional<std::wstring_view> traditional_chinese_text(unsigned id);

// The built-in text of `id` for `language_id`: Simplified Chinese for 2052, Traditional for
// 1028, 3076 and 5124; German, French, Spanish, Brazilian Portuguese, Japanese and Korean for
// every locale of their primary language (0x0C07 Austrian German and 0x0007, the neutral form
// vanta may pass, both get the German texts; 0x0816 gets the Brazilian ones); nothing for any
// other language or id.
std::optional<std::wstring_view> builtin_text(std::uint32_t language_id, unsigned id);

// One language id per built-in translation, for checks that walk them all.
std::span<const std::uint32_t> builtin_text_languages();

// The first and last string ids of the update dialog's texts.
inline constexpr unsigned first_dialog_text = 149;
inline constexpr unsigned last_dialog_text = 165;

// `pattern` with its first "%i" replaced by `number` in decimal ("Retry #%i..." -> "Retry #2...").
std::wstring format_retry_text(std::wstring_view pattern, int number);

// A status text as assistive technology should read it: one line, each run of line breaks
// and blanks one space, none at either end.
std::wstring spoken_text(std::wstring_view text);

}  // namespace orv
