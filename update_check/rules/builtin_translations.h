// The update dialog's texts in German, French, Spanish, Brazilian Portuguese, Japanese and
// Korean: one table per language, ids 149 to 165. Used by builtin_texts.cpp only. Portable.
#pragma once

#include <array>
#include <string_view>
#include <utility>

namespace orv::translations {

using text_table = std::array<std::pair<unsigned, std::wstring_view>, 17>;

extern const text_table german;
extern const text_table french;
extern const text_table spanish;
extern const text_table portuguese_brazil;
extern const text_table japanese;
extern const text_table korean;

}  // namespace orv::translations
