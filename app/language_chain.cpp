#include "app/language_chain.h"

#include <algorithm>

namespace language_chain {

bool try_language(language_id& current, const loader& load) {
    if (current == 0) return false;
    if (load(current)) return true;

    const unsigned tried_sublanguage = sublanguage(current);
    // Without a primary language the neutral form is 0, which is no language to load.
    if (tried_sublanguage != 0 && primary_language(current) != 0) {
        current = neutral_form(current);
        if (load(current)) return true;
    }
    if (tried_sublanguage != 1) {
        current = default_form(current);
        if (load(current)) return true;
    }
    return false;
}

bool select_startup_language(language_id own, language_id& current, const candidate_query& query,
                             const loader& load) {
    for (startup_source source : startup_order) {
        current = query(source);
        if (try_language(current, load)) return true;
    }
    current = own;
    return try_language(current, load);
}

language_id parse_resource_locale(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    if (text.size() - i >= 2 && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        i += 2;
    }
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9') {
            digit = static_cast<unsigned>(c - L'0');
        } else if (c >= L'a' && c <= L'f') {
            digit = static_cast<unsigned>(c - L'a' + 10);
        } else if (c >= L'A' && c <= L'F') {
            digit = static_cast<unsigned>(c - L'A' + 10);
        } else {
            break;
        }
        value = (value << 4) | digit;
    }
    // A locale id keeps its language in the low word; the sort order above it is no concern.
    return static_cast<language_id>(value & 0xFFFF);
}

language_id first_translation_language(const std::uint8_t* table, std::size_t bytes) {
    if (table == nullptr || bytes < sizeof(language_id)) return 0;
    return static_cast<language_id>(table[0] | (table[1] << 8));
}

std::optional<std::size_t> chosen_index(unsigned command, std::size_t count) {
    if (command < first_language_command || command > last_language_command) return std::nullopt;
    const std::size_t index = command - first_language_command;
    if (index >= count) return std::nullopt;
    return index;
}

std::optional<std::size_t> checked_index(const std::vector<language_id>& languages,
                                         language_id current) {
    std::optional<std::size_t> checked;
    const std::size_t offered = menu_item_count(languages.size());
    for (std::size_t i = 0; i < offered; ++i) {
        if (languages[i] == current) checked = i;
    }
    return checked;
}

std::wstring unnamed_language(language_id id) { return std::to_wstring(id) + L" - ???"; }

std::vector<std::wstring> distinct_menu_names(const std::vector<language_id>& languages,
                                              std::vector<std::wstring> names,
                                              const region_query& region) {
    const std::size_t count = std::min(languages.size(), names.size());
    std::vector<bool> shared(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = i + 1; j < count; ++j) {
            if (names[i] == names[j] && languages[i] != languages[j]) shared[i] = shared[j] = true;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!shared[i]) continue;
        const std::wstring where = region(languages[i]);
        if (!where.empty()) names[i] += L" \u2013 " + where;
    }
    return names;
}

std::wstring format_restart_text(std::wstring_view pattern, std::wstring_view application_name) {
    std::wstring text;
    text.reserve(pattern.size() + application_name.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == L's') {
                text.append(application_name);
                ++i;
                continue;
            }
            if (pattern[i + 1] == L'%') {
                text.push_back(L'%');
                ++i;
                continue;
            }
        }
        text.push_back(pattern[i]);
    }
    return text;
}

}  // namespace language_chain
