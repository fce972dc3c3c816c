// The decisions of the interface-language choice that need no Windows: the order in which
// language ids are tried at start-up and after a failed load, the Language menu's command ids,
// and the restart text. The Win32 side (language_support) supplies the loading and the
// system's answers. Portable: no Windows headers. UI thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace language_chain {

// A Windows language identifier: primary language in bits 0 to 9, sublanguage in bits 10 to
// 15 (0 the neutral form, 1 the default form).
using language_id = std::uint16_t;

inline constexpr language_id primary_language(language_id id) {
    return static_cast<language_id>(id & 0x3FF);
}
inline constexpr unsigned sublanguage(language_id id) { return id >> 10; }
inline constexpr language_id neutral_form(language_id id) { return primary_language(id); }
inline constexpr language_id default_form(language_id id) {
    return static_cast<language_id>(primary_language(id) | 0x400);
}

// Loads the resources of exactly `id`; true when they are now in use.
using loader = std::function<bool(language_id id)>;

// Tries `current`, then its neutral form (unless it is neutral already), then its default
// form (unless it is the default form already), and stops at the first that loads. `current`
// ends as the last id tried. 0 is never tried, not even as the neutral form of an id without
// a primary language.
bool try_language(language_id& current, const loader& load);

// Where the start-up candidates come from, in the order they are tried.
enum class startup_source {
    stored,            // the user's earlier choice ("LanguageId")
    user_interface,    // the user's interface language
    system_interface,  // the system's interface language
    user_default,      // the user's default language
    system_default,    // the system's default language
};
inline constexpr startup_source startup_order[] = {
    startup_source::stored,       startup_source::user_interface, startup_source::system_interface,
    startup_source::user_default, startup_source::system_default,
};

// Asks the system for one candidate; only asked when the candidates before it failed.
using candidate_query = std::function<language_id(startup_source source)>;

// Tries each candidate with try_language in startup_order, and when none loads, makes `own`
// current and tries it (for the program's own language the loader succeeds at once; with
// `own` 0 nothing is loaded and `current` ends as 0). True when a candidate or `own` loaded.
bool select_startup_language(language_id own, language_id& current, const candidate_query& query,
                             const loader& load);

// The language of a "ResourceLocale" registry text: hexadecimal digits after optional blanks
// and an optional "0x", read as a locale id whose low 16 bits are the language. 0 when the
// text holds no hexadecimal number.
language_id parse_resource_locale(std::wstring_view text);

// The language of a version resource's translation table ("\VarFileInfo\Translation": pairs
// of 16-bit little-endian language id and code page, as `bytes` bytes): the first entry's
// language. 0 when the table is too short to hold one.
language_id first_translation_language(const std::uint8_t* table, std::size_t bytes);

// Language menu: one command per offered language, 28416 + its index.
inline constexpr unsigned first_language_command = 28416;
inline constexpr std::size_t max_menu_languages = 256;
inline constexpr unsigned last_language_command = first_language_command + max_menu_languages - 1;

// How many of `count` listed languages the menu can offer.
inline constexpr std::size_t menu_item_count(std::size_t count) {
    return count < max_menu_languages ? count : max_menu_languages;
}

// The index of the language that command `command` chooses among `count` listed ones, or
// nothing for a command outside them.
std::optional<std::size_t> chosen_index(unsigned command, std::size_t count);

// The menu index that carries the check mark: the last entry equal to `current` among those
// the menu offers; nothing when none is.
std::optional<std::size_t> checked_index(const std::vector<language_id>& languages,
                                         language_id current);

// A language without a name: "<id in decimal> - ???".
std::wstring unnamed_language(language_id id);

// The Language menu's texts: `names[i]` names `languages[i]`. Where two different languages
// would show the same name, each of them shows "name – region" instead (`region` answers with
// the language's own name of its country or region; with an empty answer the name stays), so
// that neither the eye nor a screen reader mixes them up. Unique names stay as they are.
using region_query = std::function<std::wstring(language_id id)>;
std::vector<std::wstring> distinct_menu_names(const std::vector<language_id>& languages,
                                              std::vector<std::wstring> names,
                                              const region_query& region);

// The restart text: `pattern` (from a language library, so untrusted) with each "%s" replaced
// by `application_name` and each "%%" by "%". Any other '%' stays as it stands: the pattern
// can never read arguments that are not there.
std::wstring format_restart_text(std::wstring_view pattern, std::wstring_view application_name);

}  // namespace language_chain
