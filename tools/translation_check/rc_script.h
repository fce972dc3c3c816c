// What a translation check needs of a resource script (.rc, UTF-8): its string tables, menus
// and dialogs, by their symbolic ids, with every text unescaped. Everything else (icons,
// accelerators, version resources, preprocessor lines) is passed over. Portable.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace translation_check {

struct menu_item {
    std::string text;  // empty for a separator
    std::string id;    // the command's symbol; empty for a popup or separator
    bool popup = false;
    bool separator = false;
    std::vector<menu_item> items;  // a popup's own items
};

struct dialog_control {
    std::string id;                   // as written: a symbol or a number such as -1
    std::optional<std::string> text;  // controls without a text (an icon, an edit box) have none
    bool no_prefix = false;           // SS_NOPREFIX: '&' is shown as it is, no mnemonic
};

struct dialog {
    std::string caption;
    std::vector<dialog_control> controls;
};

struct rc_script {
    std::map<std::string, std::string> strings;
    std::map<std::string, std::vector<menu_item>> menus;
    std::map<std::string, dialog> dialogs;
};

// Parses `text`; what it cannot make sense of it skips.
rc_script parse_rc_script(std::string_view text);

// The numeric "#define NAME value" lines of a header, for naming ids in reports.
std::map<std::string, long> parse_defines(std::string_view text);

}  // namespace translation_check
