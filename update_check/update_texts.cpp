#include "update_check/update_texts.h"

#include "framework/resources.h"
#include "update_check/rules/builtin_texts.h"
#include "update_check/orv_calc_manager_app.h"

namespace orv {

std::wstring update_text(std::uint32_t language_id, unsigned id) {
    if (auto text = builtin_text(language_id, id)) return std::wstring(*text);
    std::wstring text;
    fw::load_string(the_app().module(), id, text);
    return text;
}

}  // namespace orv
