// The Language submenu of a main frame hosted here, built as the File popup opens, and the
// choice of a language: stored at once, announced in the chosen language, taking effect only
// at the next start.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/resource.h"
#include "app/velmo_app.h"
#include "framework/resources.h"
#include "tests/app/frame_fixture.h"
#include "tests/app/language_fixture.h"

namespace vanta_test {
namespace {

constexpr UINT first_language = 28416;

std::wstring menu_text(HMENU menu, UINT position) {
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    return text;
}

class language_menu_test : public frame_test {
protected:
    void SetUp() override {
        frame_test::SetUp();
        the_app.set_startup(::GetModuleHandleW(nullptr), SW_HIDE);
        the_app.set_registry_key(L"Orvatec");
        ASSERT_TRUE(folder_.add_chinese());
        start();
        frame->set_language_support(&support_);
        support_.set_current_language(0x0409);
        ASSERT_TRUE(support_.load_language());
    }

    HMENU file_menu() const { return ::GetSubMenu(::GetMenu(frame->hwnd()), 0); }
    // What the system sends as the File popup opens.
    HMENU open_file_menu() {
        frame->send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file_menu()), 0);
        return ::GetSubMenu(file_menu(), 1);
    }

    saved_value stored_{vanta_key, L"LanguageId"};
    program_folder folder_{L"menu"};
    language_support support_{folder_.program()};
};

TEST_F(language_menu_test, lists_the_own_language_then_the_libraries_with_a_radio_check) {
    HMENU languages = open_file_menu();
    ASSERT_NE(languages, nullptr);
    ASSERT_EQ(::GetMenuItemCount(languages), 2);
    EXPECT_EQ(::GetMenuItemID(languages, 0), first_language);
    EXPECT_EQ(::GetMenuItemID(languages, 1), first_language + 1);
    EXPECT_EQ(menu_text(languages, 0), L"English");
    EXPECT_EQ(menu_text(languages, 1), language_support::language_display_name(0x0804));

    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_STATE;
    ASSERT_TRUE(::GetMenuItemInfoW(languages, 0, TRUE, &item));
    EXPECT_TRUE(item.fType & MFT_RADIOCHECK);
    EXPECT_TRUE(item.fState & MFS_CHECKED);
    EXPECT_FALSE(::GetMenuState(languages, 1, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(::GetMenuState(file_menu(), ID_LANGUAGE, MF_BYCOMMAND) & MF_GRAYED);

    // Each opening builds it afresh from what is installed now, and the mark follows the
    // current language.
    ASSERT_TRUE(::DeleteFileW(folder_.path(L"vantaCHS.dll").c_str()));
    support_.set_current_language(0x0804);
    HMENU rebuilt = open_file_menu();
    EXPECT_NE(rebuilt, languages);
    EXPECT_FALSE(::IsMenu(languages)) << "the replaced submenu is destroyed";
    ASSERT_EQ(::GetMenuItemCount(rebuilt), 1);
    EXPECT_FALSE(::GetMenuState(rebuilt, 0, MF_BYPOSITION) & MF_CHECKED)
        << "0x0804 is no longer offered";
}

TEST_F(language_menu_test, lists_every_installed_language_by_its_own_name) {
    ASSERT_TRUE(folder_.add_more_languages());
    HMENU languages = open_file_menu();
    ASSERT_NE(languages, nullptr);
    std::set<std::wstring> names;
    for (int i = 0; i < ::GetMenuItemCount(languages); ++i) names.insert(menu_text(languages, i));
    const std::set<std::wstring> expected = {
        L"English", language_support::language_display_name(0x0804),
        L"Deutsch", L"français",
        L"español", L"português",
        L"日本語",  L"한국어"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(::GetMenuItemCount(languages), 8);
    EXPECT_EQ(menu_text(languages, 0), L"English") << "the own language first";
}

TEST_F(language_menu_test, choosing_stores_the_id_and_says_restart_in_the_new_language) {
    open_file_menu();
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, vanta_key, L"LanguageId");

    std::vector<seen_window> seen =
        answer_modal([&] { EXPECT_TRUE(frame->execute_command(first_language + 1)); }, IDOK,
                     [&](HWND) {
                         // While the message shows, the choice is stored and the menus are the old
                         // ones.
                         EXPECT_EQ(read_dword(vanta_key, L"LanguageId"), 0x0804u);
                         EXPECT_EQ(menu_text(::GetMenu(frame->hwnd()), 0), L"&File");
                     });

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, app_title);
    EXPECT_EQ(seen[0].text, L"请重新启动应用程序。");
    EXPECT_FALSE(seen[0].cancel_visible) << "an OK button only";
    EXPECT_EQ(read_dword(vanta_key, L"LanguageId"), 0x0804u);
    // The program goes on in the language it started with.
    EXPECT_EQ(support_.current_language(), 0x0409);
    EXPECT_EQ(support_.resource_library(), nullptr);
    EXPECT_EQ(fw::resource_module(), ::GetModuleHandleW(nullptr));
    EXPECT_EQ(fw::load_string_or(IDS_NO_CALCULATOR_DETECTED, L""), L"No Calculator Detected");
}

TEST_F(language_menu_test, a_chinese_session_goes_on_in_chinese_after_choosing_english) {
    support_.set_current_language(0x0804);
    ASSERT_TRUE(support_.load_language());
    open_file_menu();

    std::vector<seen_window> seen = answer_modal([&] { frame->execute_command(first_language); });

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Please restart application.");
    EXPECT_EQ(read_dword(vanta_key, L"LanguageId"), 0x0409u);
    EXPECT_EQ(support_.current_language(), 0x0804);
    EXPECT_EQ(fw::load_string_or(IDS_NO_CALCULATOR_DETECTED, L""), L"未检测到计算器");
    EXPECT_NE(support_.resource_library(), nullptr);
    EXPECT_EQ(fw::resource_module(), support_.resource_library());
}

TEST_F(language_menu_test, a_library_gone_since_the_menu_was_built_is_stored_all_the_same) {
    open_file_menu();
    ASSERT_TRUE(::DeleteFileW(folder_.path(L"vantaCHS.dll").c_str()));

    std::vector<seen_window> seen =
        answer_modal([&] { frame->execute_command(first_language + 1); });

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Please restart application.") << "from the resources in use";
    EXPECT_EQ(read_dword(vanta_key, L"LanguageId"), 0x0804u);
    EXPECT_EQ(support_.current_language(), 0x0409);
}

TEST_F(language_menu_test, commands_beyond_the_listed_languages_do_nothing) {
    open_file_menu();
    ASSERT_TRUE(write_dword(vanta_key, L"LanguageId", 0x0409));

    std::vector<seen_window> seen = answer_modal([&] {
        frame->execute_command(first_language + 2);
        frame->execute_command(first_language + 255);
    });

    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(read_dword(vanta_key, L"LanguageId"), 0x0409u);
}

}  // namespace
}  // namespace vanta_test
