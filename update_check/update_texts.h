// Texts of the update dialog by the caller's language id: English from the library's string
// table (1033), the built-in Simplified Chinese texts (2052), and for any other language no
// text at all. Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orv {

// The text with string id `id` in `language_id`; nothing for a language without texts.
std::optional<std::wstring> update_text(std::uint32_t language_id, unsigned id);

// The same, with an empty text standing in for a language without texts (for labels, which
// are always set).
std::wstring update_label(std::uint32_t language_id, unsigned id);

}  // namespace orv
