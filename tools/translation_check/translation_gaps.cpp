#include "tools/translation_check/translation_gaps.h"

#include <cstddef>
#include <set>

namespace translation_check {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) text += ' ';
        text += part;
    }
    return text.empty() ? "none" : text;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Gaps of one translated text against its English one.
void compare_text(std::string_view english, std::string_view translated, const gap& where,
                  std::vector<gap>& gaps) {
    if (translated.empty() && !english.empty()) {
        gaps.push_back({where.language, where.resource, "empty, English " + quoted(english)});
        return;
    }
    const std::vector<std::string> wanted = format_specifiers(english);
    const std::vector<std::string> found = format_specifiers(translated);
    if (wanted != found) {
        gaps.push_back({where.language, where.resource,
                        "format specifiers " + joined(found) + " where English has " +
                            joined(wanted) + ": " + quoted(translated)});
    }
}

// A menu item or control as the comparison sees it: its kind and id.
std::string shape(const menu_item& item) {
    if (item.separator) return "separator";
    if (item.popup) return "popup";
    return item.id;
}

std::vector<std::string> shapes(const std::vector<menu_item>& level) {
    std::vector<std::string> out;
    for (const menu_item& item : level) out.push_back(shape(item));
    return out;
}

void compare_menu_level(const std::vector<menu_item>& english,
                        const std::vector<menu_item>& translated, const gap& where,
                        std::vector<gap>& gaps) {
    if (shapes(english) != shapes(translated)) {
        gaps.push_back({where.language, where.resource,
                        "items " + joined(shapes(translated)) + " where English has " +
                            joined(shapes(english))});
        return;
    }
    for (std::size_t i = 0; i < english.size(); ++i) {
        if (english[i].separator) continue;
        gap item = where;
        item.resource +=
            english[i].popup ? ", popup " + quoted(english[i].text) : ", item " + english[i].id;
        compare_text(english[i].text, translated[i].text, item, gaps);
        if (english[i].popup) compare_menu_level(english[i].items, translated[i].items, item, gaps);
    }
}

void level_mnemonics(const std::vector<menu_item>& level, const gap& where,
                     std::vector<gap>& gaps) {
    std::map<std::string, std::string> seen;
    for (const menu_item& item : level) {
        if (const auto key = mnemonic(item.text)) {
            const auto [first, fresh] = seen.emplace(*key, item.text);
            if (!fresh) {
                gaps.push_back({where.language, where.resource,
                                "mnemonic '" + *key + "' on both " + quoted(first->second) +
                                    " and " + quoted(item.text)});
            }
        }
        if (item.popup) {
            gap inner = where;
            inner.resource += ", popup " + quoted(item.text);
            level_mnemonics(item.items, inner, gaps);
        }
    }
}

std::vector<std::string> control_ids(const dialog& box) {
    std::vector<std::string> ids;
    for (const dialog_control& control : box.controls) ids.push_back(control.id);
    return ids;
}

void compare_dialog(const dialog& english, const dialog& translated, const gap& where,
                    std::vector<gap>& gaps) {
    gap caption = where;
    caption.resource += ", caption";
    compare_text(english.caption, translated.caption, caption, gaps);
    if (control_ids(english) != control_ids(translated)) {
        gaps.push_back({where.language, where.resource,
                        "controls " + joined(control_ids(translated)) + " where English has " +
                            joined(control_ids(english))});
        return;
    }
    for (std::size_t i = 0; i < english.controls.size(); ++i) {
        const auto& wanted = english.controls[i].text;
        const auto& found = translated.controls[i].text;
        if (!wanted) continue;
        gap control = where;
        control.resource += ", control " + english.controls[i].id;
        compare_text(*wanted, found.value_or(""), control, gaps);
    }
}

void dialog_mnemonics(const dialog& box, const gap& where, std::vector<gap>& gaps) {
    std::map<std::string, std::string> seen;
    for (const dialog_control& control : box.controls) {
        if (!control.text || control.no_prefix) continue;
        if (const auto key = mnemonic(*control.text)) {
            const auto [first, fresh] = seen.emplace(*key, *control.text);
            if (!fresh) {
                gaps.push_back({where.language, where.resource,
                                "mnemonic '" + *key + "' on both " + quoted(first->second) +
                                    " and " + quoted(*control.text)});
            }
        }
    }
}

template <typename Map, typename Compare>
void compare_resources(const Map& english, const Map& translated, const std::string& kind,
                       const std::string& language, const id_names& names, std::vector<gap>& gaps,
                       Compare compare) {
    for (const auto& [id, resource] : english) {
        const gap where{language, kind + " " + names.name(id), ""};
        const auto found = translated.find(id);
        if (found == translated.end()) {
            gaps.push_back({language, where.resource, "missing"});
        } else {
            compare(resource, found->second, where);
        }
    }
    for (const auto& [id, resource] : translated) {
        if (!english.count(id)) {
            gaps.push_back({language, kind + " " + names.name(id), "not in the English resources"});
        }
    }
}

}  // namespace

std::string describe(const gap& found) {
    return found.language + ": " + found.resource + ": " + found.problem;
}

std::vector<std::string> format_specifiers(std::string_view text) {
    static const std::string_view conversions = "diouxXcsSpfFeEgGaAn";
    std::vector<std::string> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        // No space flag: "50 % de" in a French text is no "% d".
        while (j < text.size() &&
               std::string_view("-+#0").find(text[j]) != std::string_view::npos) {
            ++j;
        }
        while (j < text.size() && (is_digit(text[j]) || text[j] == '*')) ++j;
        if (j < text.size() && text[j] == '.') {
            ++j;
            while (j < text.size() && (is_digit(text[j]) || text[j] == '*')) ++j;
        }
        for (std::string_view length : {"I64", "ll", "hh", "h", "l", "L", "z", "j", "t", "w"}) {
            if (text.substr(j, length.size()) == length) {
                j += length.size();
                break;
            }
        }
        if (j < text.size() && conversions.find(text[j]) != std::string_view::npos) {
            found.emplace_back(text.substr(i, j - i + 1));
            i = j;
            continue;
        }
        // Not a conversion: a message insert "%1" (with its "!d!" format), or no specifier.
        std::size_t k = i + 1;
        if (k < text.size() && text[k] >= '1' && text[k] <= '9') {
            while (k < text.size() && is_digit(text[k])) ++k;
            if (k < text.size() && text[k] == '!') {
                const std::size_t close = text.find('!', k + 1);
                if (close != std::string_view::npos) k = close + 1;
            }
            found.emplace_back(text.substr(i, k - i));
            i = k - 1;
        }
    }
    return found;
}

std::optional<std::string> mnemonic(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        const auto lead = static_cast<unsigned char>(text[i + 1]);
        if (lead < 0x80) {
            char c = static_cast<char>(lead);
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            return std::string(1, c);
        }
        // One UTF-8 sequence; Latin-1's capitals (U+00C0 to U+00DE but U+00D7) lower-cased.
        std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        std::string key(text.substr(i + 1, length));
        if (key.size() == 2 && lead == 0xC3) {
            const auto second = static_cast<unsigned char>(key[1]);
            if (second >= 0x80 && second <= 0x9E && second != 0x97) {
                key[1] = static_cast<char>(second + 0x20);
            }
        }
        return key;
    }
    return std::nullopt;
}

std::string id_names::name(const std::string& symbol) const {
    const auto found = number(symbol);
    return found ? symbol + " (" + std::to_string(*found) + ")" : symbol;
}

std::optional<long> id_names::number(const std::string& symbol) const {
    const auto found = numbers_.find(symbol);
    if (found == numbers_.end()) return std::nullopt;
    return found->second;
}

std::vector<gap> compare_scripts(const rc_script& english, const rc_script& translation,
                                 const std::string& language, const id_names& names) {
    std::vector<gap> gaps;
    compare_resources(english.strings, translation.strings, "string", language, names, gaps,
                      [&](const std::string& wanted, const std::string& found, const gap& where) {
                          compare_text(wanted, found, where, gaps);
                      });
    compare_resources(english.menus, translation.menus, "menu", language, names, gaps,
                      [&](const auto& wanted, const auto& found, const gap& where) {
                          compare_menu_level(wanted, found, where, gaps);
                      });
    compare_resources(english.dialogs, translation.dialogs, "dialog", language, names, gaps,
                      [&](const dialog& wanted, const dialog& found, const gap& where) {
                          compare_dialog(wanted, found, where, gaps);
                      });
    for (gap& found : mnemonic_gaps(translation, language, names)) gaps.push_back(found);
    return gaps;
}

std::vector<gap> mnemonic_gaps(const rc_script& script, const std::string& language,
                               const id_names& names) {
    std::vector<gap> gaps;
    for (const auto& [id, menu] : script.menus) {
        level_mnemonics(menu, {language, "menu " + names.name(id), ""}, gaps);
    }
    for (const auto& [id, box] : script.dialogs) {
        dialog_mnemonics(box, {language, "dialog " + names.name(id), ""}, gaps);
    }
    return gaps;
}

std::vector<gap> compare_texts(const std::map<long, std::string>& english,
                               const text_lookup& translated,
                               const std::vector<long>& translated_ids,
                               const std::string& language) {
    std::vector<gap> gaps;
    for (const auto& [id, text] : english) {
        const gap where{language, "string " + std::to_string(id), ""};
        const std::optional<std::string> found = translated(id);
        if (!found) {
            gaps.push_back({language, where.resource, "missing"});
        } else {
            compare_text(text, *found, where, gaps);
        }
    }
    for (long id : translated_ids) {
        if (!english.count(id)) {
            gaps.push_back(
                {language, "string " + std::to_string(id), "not in the English resources"});
        }
    }
    return gaps;
}

}  // namespace translation_check
