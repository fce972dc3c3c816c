// Texts of the update dialog by the caller's language id: the built-in Chinese texts (2052;
// 1028, 3076 and 5124), and for every other language, or an id without a built-in text, the
// English ones from the library's string table. Never an empty caption, label or status line
// for want of a translation. Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// The text with string id `id` in `language_id`, else in English.
std::wstring update_text(std::uint32_t language_id, unsigned id);

}  // namespace orv
