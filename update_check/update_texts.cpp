#include "update_check/update_texts.h"

#include "framework/resources.h"
#include "update_check/builtin_texts.h"
#include "update_check/orv_calc_manager_app.h"

namespace orv {

std::optional<std::wstring> update_text(std::uint32_t language_id, unsigned id) {
    if (language_id == language_english) {
        std::wstring text;
        fw::load_string(the_app().module(), id, text);
        return text;
    }
    if (language_id == language_simplified_chinese) {
        if (auto text = simplified_chinese_text(id)) return std::wstring(*text);
        return std::wstring();
    }
    return std::nullopt;
}

std::wstring update_label(std::uint32_t language_id, unsigned id) {
    return update_text(language_id, id).value_or(std::wstring());
}

}  // namespace orv
