// The translation check on small resource scripts: what it reads of a script, and each kind
// of gap it must name (and the near misses it must let pass).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/translation_check/rc_script.h"
#include "tools/translation_check/translation_gaps.h"

namespace translation_check {
namespace {

constexpr char english_script[] = R"rc(
// A comment "with a quote"
#include "resource.h"
#define IGNORED 1
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
IDR_MAINFRAME ICON "vanta.ico"
IDR_MAINFRAME MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "&Open", ID_OPEN
        MENUITEM SEPARATOR
        MENUITEM "E&xit", ID_EXIT
    END
    POPUP "&Help"
    BEGIN
        MENUITEM "&About", ID_ABOUT
    END
END
IDR_MAINFRAME ACCELERATORS
BEGIN
    "N", ID_NEW, VIRTKEY, CONTROL
END
STRINGTABLE
BEGIN
    IDS_COUNT "Found %i of %s, %1 left"
    IDS_QUOTE "Say ""hi""\n100%% sure"
END
IDD_BOX DIALOGEX 0, 0, 100, 50
STYLE DS_SETFONT | WS_CAPTION
CAPTION "Box"
FONT 8, "MS Shell Dlg"
BEGIN
    ICON IDR_MAINFRAME, -1, 1, 1, 20, 20
    LTEXT "&Name:", -1, 1, 1, 10, 8
    CONTROL "&Remember", IDC_REMEMBER, "Button",
            BS_AUTOCHECKBOX | WS_TABSTOP, 1, 1, 10, 8
    LTEXT "Ver && Info", IDC_VERSION, 1, 1, 10, 8, SS_NOPREFIX
    PUSHBUTTON "Cancel", IDCANCEL, 1, 1, 10, 8
END
VS_VERSION_INFO VERSIONINFO
FILEVERSION 1,0,0,0
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        VALUE "FileDescription", "Not a string of the table"
    END
END
)rc";

// The English script with `from` replaced by `to` once.
std::string translated(const std::string& from, const std::string& to) {
    std::string text = english_script;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::vector<std::string> gaps_of(const std::string& translation) {
    const id_names names({{"IDS_COUNT", 101}, {"IDR_MAINFRAME", 128}});
    std::vector<std::string> found;
    for (const gap& g : compare_scripts(parse_rc_script(english_script),
                                        parse_rc_script(translation), "test.rc", names)) {
        found.push_back(describe(g));
    }
    return found;
}

TEST(rc_script, reads_strings_menus_and_dialogs_and_passes_over_the_rest) {
    const rc_script script = parse_rc_script(english_script);
    ASSERT_EQ(script.strings.size(), 2u);
    EXPECT_EQ(script.strings.at("IDS_QUOTE"), "Say \"hi\"\n100%% sure");
    ASSERT_EQ(script.menus.size(), 1u);
    const auto& menu = script.menus.at("IDR_MAINFRAME");
    ASSERT_EQ(menu.size(), 2u);
    ASSERT_EQ(menu[0].items.size(), 3u);
    EXPECT_EQ(menu[0].items[0].id, "ID_OPEN");
    EXPECT_TRUE(menu[0].items[1].separator);
    ASSERT_EQ(script.dialogs.size(), 1u);
    const dialog& box = script.dialogs.at("IDD_BOX");
    EXPECT_EQ(box.caption, "Box");
    ASSERT_EQ(box.controls.size(), 5u);
    EXPECT_EQ(box.controls[0].id, "-1");
    EXPECT_FALSE(box.controls[0].text) << "an icon's name is no text";
    EXPECT_EQ(box.controls[2].id, "IDC_REMEMBER") << "a control over two lines";
    EXPECT_EQ(box.controls[2].text, "&Remember");
    EXPECT_TRUE(box.controls[3].no_prefix);
}

TEST(rc_script, reads_numeric_defines_only) {
    const auto defines =
        parse_defines("#define A 100\n  #define B 0x6F00 // menu\n#define C (X+1)\n");
    EXPECT_EQ(defines.at("A"), 100);
    EXPECT_EQ(defines.at("B"), 0x6F00);
    EXPECT_FALSE(defines.count("C"));
}

TEST(format_specifiers, are_found_in_order_with_their_flags_and_inserts) {
    using list = std::vector<std::string>;
    EXPECT_EQ(format_specifiers("Found %i of %s, %1 left"), (list{"%i", "%s", "%1"}));
    EXPECT_EQ(format_specifiers("Hardware: %0.2d   "), (list{"%0.2d"}));
    EXPECT_EQ(format_specifiers("%ls and %2!d! and %I64u"), (list{"%ls", "%2!d!", "%I64u"}));
    EXPECT_EQ(format_specifiers("100%% sure, 50% off, 50 % de"), list{});
    EXPECT_EQ(format_specifiers("ends in %"), list{});
}

TEST(mnemonic, is_the_letter_after_a_single_ampersand) {
    EXPECT_EQ(mnemonic("&File"), "f");
    EXPECT_EQ(mnemonic("E&xit"), "x");
    EXPECT_EQ(mnemonic("Format && Update"), std::nullopt);
    EXPECT_EQ(mnemonic("A && &B"), "b");
    EXPECT_EQ(mnemonic("ファイル(&F)"), "f");
    EXPECT_EQ(mnemonic("&Édition"), mnemonic("&édition")) << "Latin-1 capitals fold";
    EXPECT_EQ(mnemonic("trailing &"), std::nullopt);
}

TEST(compare_scripts, a_whole_translation_has_no_gap) {
    std::string text = translated("\"&File\"", "\"&Datei\"");
    text.replace(text.find("\"Cancel\""), 8, "\"Abbrechen\"");
    EXPECT_EQ(gaps_of(text), std::vector<std::string>{});
    // The order of the resources in the file is no concern.
    EXPECT_EQ(gaps_of(translated("IDS_QUOTE \"Say \"\"hi\"\"\\n100%% sure\"", "") +
                      "STRINGTABLE\nBEGIN\n IDS_QUOTE \"Sag \"\"hallo\"\"\"\nEND\n"),
              std::vector<std::string>{});
}

TEST(compare_scripts, names_missing_extra_and_empty_texts) {
    EXPECT_EQ(gaps_of(translated("    IDS_COUNT \"Found %i of %s, %1 left\"\n", "")),
              std::vector<std::string>{"test.rc: string IDS_COUNT (101): missing"});
    EXPECT_EQ(gaps_of(translated("IDS_QUOTE", "IDS_QUOTE \"x\"\n IDS_MORE")),
              std::vector<std::string>{"test.rc: string IDS_MORE: not in the English resources"});
    EXPECT_EQ(gaps_of(translated("\"Cancel\"", "\"\"")),
              std::vector<std::string>{
                  "test.rc: dialog IDD_BOX, control IDCANCEL: empty, English \"Cancel\""});
    const auto no_dialog = gaps_of(translated("IDD_BOX DIALOGEX", "IDD_OTHER DIALOGEX"));
    ASSERT_EQ(no_dialog.size(), 2u);
    EXPECT_EQ(no_dialog[0], "test.rc: dialog IDD_BOX: missing");
}

TEST(compare_scripts, names_format_specifiers_that_differ_in_number_kind_or_order) {
    for (const char* changed : {"Found %s of %i, %1 left", "Found %d of %s, %1 left",
                                "Found %i of %s left", "Found %i of %s, %2 left"}) {
        const auto gaps = gaps_of(translated("Found %i of %s, %1 left", changed));
        ASSERT_EQ(gaps.size(), 1u) << changed;
        EXPECT_NE(gaps[0].find("string IDS_COUNT (101): format specifiers"), std::string::npos)
            << gaps[0];
    }
    EXPECT_EQ(gaps_of(translated("Found %i of %s, %1 left", "%1: %i von %s gefunden")).size(), 1u)
        << "inserts keep their place";
}

TEST(compare_scripts, names_menu_items_and_controls_that_differ_from_the_english_ids) {
    const auto menu =
        gaps_of(translated("MENUITEM \"E&xit\", ID_EXIT", "MENUITEM \"E&xit\", ID_QUIT"));
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_NE(menu[0].find("menu IDR_MAINFRAME (128), popup \"&File\": items ID_OPEN separator "
                           "ID_QUIT where English has ID_OPEN separator ID_EXIT"),
              std::string::npos)
        << menu[0];
    EXPECT_EQ(gaps_of(translated("        MENUITEM SEPARATOR\n", "")).size(), 1u);
    const auto controls = gaps_of(translated("IDC_REMEMBER, \"Button\"", "IDC_FORGET, \"Button\""));
    ASSERT_EQ(controls.size(), 1u);
    EXPECT_NE(controls[0].find("dialog IDD_BOX: controls"), std::string::npos) << controls[0];
}

TEST(compare_scripts, names_a_mnemonic_shared_on_one_menu_level_or_in_one_dialog) {
    // Same level: a gap.
    const auto level = gaps_of(translated("\"E&xit\"", "\"&Ouvrir encore\""));
    ASSERT_EQ(level.size(), 1u);
    EXPECT_NE(level[0].find("mnemonic 'o' on both \"&Open\" and \"&Ouvrir encore\""),
              std::string::npos)
        << level[0];
    // Different levels ("&File" and "&Help" hold "&Open" and "&About"): none.
    EXPECT_EQ(gaps_of(translated("\"&About\"", "\"&Open source\"")), std::vector<std::string>{});
    EXPECT_EQ(gaps_of(translated("\"&Help\"", "\"&File 2\"")).size(), 1u) << "the top level";
    // In a dialog, case does not matter; "&&" and SS_NOPREFIX statics show no mnemonic.
    EXPECT_EQ(gaps_of(translated("\"Cancel\"", "\"&remember\"")).size(), 1u);
    EXPECT_EQ(gaps_of(translated("\"Cancel\"", "\"Save && &Quit\"")), std::vector<std::string>{});
    EXPECT_EQ(gaps_of(translated("\"Ver && Info\"", "\"Ver &Remember\"")),
              std::vector<std::string>{});
}

TEST(compare_texts, names_missing_extra_empty_and_changed_texts_by_id) {
    const std::map<long, std::string> english = {{149, "Get It"}, {156, "Retry #%i..."}};
    std::map<long, std::string> german = {{149, "Abrufen"}, {156, "Versuch %i..."}};
    auto lookup = [&german](long id) -> std::optional<std::string> {
        const auto found = german.find(id);
        if (found == german.end()) return std::nullopt;
        return found->second;
    };
    auto gaps = [&] {
        std::vector<long> ids;
        for (const auto& entry : german) ids.push_back(entry.first);
        std::vector<std::string> out;
        for (const gap& g : compare_texts(english, lookup, ids, "de")) out.push_back(describe(g));
        return out;
    };
    EXPECT_EQ(gaps(), std::vector<std::string>{});
    german[156] = "Versuch %d...";
    EXPECT_EQ(gaps().size(), 1u);
    german[156] = "";
    EXPECT_EQ(gaps(), std::vector<std::string>{"de: string 156: empty, English \"Retry #%i...\""});
    german.erase(156);
    german[170] = "Mehr";
    EXPECT_EQ(gaps(), (std::vector<std::string>{"de: string 156: missing",
                                                "de: string 170: not in the English resources"}));
}

}  // namespace
}  // namespace translation_check
