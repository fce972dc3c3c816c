// Compares a translation with the English resources and names each gap: a string, menu, menu
// item, dialog or control that is missing or extra, a text left empty, format specifiers that
// differ in number, kind or order, and a mnemonic used twice on one menu level or dialog.
// Portable.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/translation_check/rc_script.h"

namespace translation_check {

struct gap {
    std::string language;  // the translation: its file, or the library and language id
    std::string resource;  // "string IDS_RESTART_APPLICATION (109)", "menu IDR_MAINFRAME (128)"
    std::string problem;
};

std::string describe(const gap& found);

// The format specifiers of `text` in order: printf conversions ("%i", "%0.2d", "%ls") and
// message inserts ("%1", "%2!d!"); "%%" is none.
std::vector<std::string> format_specifiers(std::string_view text);

// The mnemonic of a menu or control text: the character after a single '&', lower-cased
// (ASCII and Latin-1 letters); none for a text without one ("&&" is a plain '&').
std::optional<std::string> mnemonic(std::string_view text);

// Symbolic ids with their numbers, as reports show them: "IDS_RESTART_APPLICATION (109)".
class id_names {
public:
    id_names() = default;
    explicit id_names(std::map<std::string, long> numbers) : numbers_(std::move(numbers)) {}
    std::string name(const std::string& symbol) const;
    std::optional<long> number(const std::string& symbol) const;

private:
    std::map<std::string, long> numbers_;
};

// Every gap of `translation` against `english`.
std::vector<gap> compare_scripts(const rc_script& english, const rc_script& translation,
                                 const std::string& language, const id_names& names);

// Mnemonics shared on one menu level or in one dialog of `script` (English's own, say).
std::vector<gap> mnemonic_gaps(const rc_script& script, const std::string& language,
                               const id_names& names);

// Texts kept in code rather than in a script: every English id must have a translated text,
// not empty, with the same format specifiers; `translated_ids` are the ids the translation
// has, any beyond the English ones are gaps too.
using text_lookup = std::function<std::optional<std::string>(long id)>;
std::vector<gap> compare_texts(const std::map<long, std::string>& english,
                               const text_lookup& translated,
                               const std::vector<long>& translated_ids,
                               const std::string& language);

}  // namespace translation_check
