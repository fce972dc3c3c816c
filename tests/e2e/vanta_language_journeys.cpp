// vanta in Simplified Chinese: the texts come from vantaCHS.dll's string table, a language
// chosen from the menu takes effect at the next start, and the screenshots show whether the
// characters are drawn. Menus are read from outside: Wine hands out menu handles that any
// process can read.
#include <algorithm>
#include <set>

#include "tests/e2e/vanta_saved_settings.h"
#include "tests/e2e/vanta_test_support.h"
#include "tests/support/dialog_driver/dialog_driver.h"
#include "tests/support/menu_probe/menu_reader.h"
#include "tests/support/test_hid_stack/harness/file_system.h"
#include "tests/support/test_hid_stack/harness/registry_values.h"

namespace {

using namespace e2e_tests;

constexpr UINT first_language = 28416;
constexpr UINT about_command = 57664;

// A string of the library's own table, read as data: what vanta should show.
std::wstring library_string(const std::wstring& library, UINT id) {
    HMODULE module = ::LoadLibraryExW(library.c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return {};
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    std::wstring result(text ? text : L"", length > 0 ? length : 0);
    ::FreeLibrary(module);
    return result;
}

// The menu bar's titles and the File menu's items, as a user reads them.
std::vector<std::wstring> menu_texts(e2e::vanta_app& app) {
    std::vector<std::wstring> texts;
    const auto items = menu_reader::read(app.process()->handle(), app.frame());
    if (!items) return texts;
    for (const menu_reader::item& item : *items) {
        if (item.depth == 0) texts.push_back(item.text);
    }
    if (texts.empty()) return texts;
    for (const menu_reader::item& item : menu_reader::children(*items, 0, texts.front())) {
        texts.push_back(item.text);
    }
    return texts;
}

// Opens the File popup as far as vanta can tell (the message the system sends it first) and
// returns the items of the Language submenu it then holds.
std::vector<menu_reader::item> open_language_menu(e2e::vanta_app& app) {
    const auto items = menu_reader::read(app.process()->handle(), app.frame());
    if (!items || items->empty()) return {};
    const menu_reader::item* file = menu_reader::find_popup(*items, 0, items->front().text);
    if (!file) return {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(app.frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file->submenu), 0,
                          SMTO_BLOCK, 10000, &ignored);
    const auto opened = menu_reader::read(app.process()->handle(), app.frame());
    if (!opened) return {};
    // The Language item is the File menu's second.
    const std::vector<menu_reader::item> file_items =
        menu_reader::children(*opened, 0, opened->front().text);
    if (file_items.size() < 2) return {};
    return menu_reader::children(*opened, 1, file_items[1].text);
}

// A message box or dialog of the process (never the frame, whose title may be the same).
HWND wait_for_box(DWORD process, const std::wstring& caption) {
    dialog_driver::window_query query;
    query.caption = caption;
    query.process_id = process;
    query.class_name = L"#32770";
    return dialog_driver::wait_for_window(query);
}

#define SKIP_WITHOUT_CHINESE(library)                                             \
    do {                                                                          \
        SKIP_WITHOUT_VANTA();                                                     \
        if (!e2e::file_exists(library)) GTEST_SKIP() << "vantaCHS.dll not built"; \
    } while (0)

TEST(vanta_language, chinese_status_texts_come_from_the_resource_library) {
    const std::wstring library = e2e::join(e2e::program_dir(), L"vantaCHS.dll");
    SKIP_WITHOUT_CHINESE(library);
    const std::wstring none = library_string(library, 107), found = library_string(library, 108);
    ASSERT_FALSE(none.empty());
    ASSERT_FALSE(found.empty());
    saved_dwords restore(e2e::vanta_settings_key, {L"LanguageId"});
    EXPECT_NE(none, no_calculator) << "the library should be translated";

    e2e::vanta_setup setup;
    setup.language_id = 0x0804;
    e2e::vanta_app app(L"vanta_language.chinese", setup);
    ASSERT_TRUE(app.ready());
    ASSERT_TRUE(app.start());
    EXPECT_TRUE(app.wait_for_status(none)) << e2e::narrow(app.status());
    EXPECT_TRUE(app.screenshot(L"chinese_no_calculator"));

    auto calc = app.plug_in(hid_stack::calculator_device(u"\u8BA1\u7B97\u5668", current_firmware));
    EXPECT_EQ(app.status(), found);
    EXPECT_TRUE(app.screenshot(L"chinese_with_calculator"));
    EXPECT_TRUE(app.stop());
}

TEST(vanta_language, a_planted_library_gives_its_texts_but_its_code_never_runs) {
    // A German library whose entry point would leave "vantaDEU.dll.ran" beside it, chosen by
    // the stored language.
    const std::wstring planted = e2e::join(e2e::program_dir(), L"vanta_test_marker.dll");
    SKIP_WITHOUT_VANTA();
    ASSERT_TRUE(e2e::file_exists(planted));
    saved_dwords restore(e2e::vanta_settings_key, {L"LanguageId"});

    e2e::vanta_setup setup;
    setup.language_id = 0x0407;
    e2e::vanta_app app(L"vanta_language.planted", setup);
    ASSERT_TRUE(app.ready());
    const std::wstring library = e2e::join(app.app_dir(), L"vantaDEU.dll");
    ASSERT_TRUE(e2e::copy_file(planted, library));
    ASSERT_TRUE(app.start());
    EXPECT_TRUE(app.wait_for_status(L"Kein Rechner erkannt")) << e2e::narrow(app.status());
    const std::vector<std::wstring> menus = menu_texts(app);
    ASSERT_FALSE(menus.empty());
    EXPECT_EQ(menus.front(), L"&File") << "what it lacks comes from the program";
    EXPECT_FALSE(e2e::file_exists(library + L".ran")) << "its entry point ran";
    EXPECT_TRUE(app.stop());
}

TEST(vanta_language, choosing_chinese_takes_effect_at_the_next_start) {
    const std::wstring library = e2e::join(e2e::program_dir(), L"vantaCHS.dll");
    SKIP_WITHOUT_CHINESE(library);
    saved_dwords restore(e2e::vanta_settings_key, {L"LanguageId"});
    const std::vector<std::wstring> english_menus = {
        L"&File", L"&Update", L"&Help", L"Check for Updates", L"&Language", L"", L"&Exit"};

    // An English session: the Language submenu offers English (checked) and Chinese.
    e2e::vanta_app english(L"vanta_language.choose");
    ASSERT_TRUE(english.ready());
    ASSERT_TRUE(english.start());
    EXPECT_EQ(menu_texts(english), english_menus);
    std::vector<menu_reader::item> languages = open_language_menu(english);
    ASSERT_EQ(languages.size(), 2u);
    EXPECT_EQ(languages[0].text, L"English");
    EXPECT_NE(languages[1].text.find(L"中文"), std::wstring::npos) << "its own name";
    EXPECT_EQ(languages[0].id, first_language);
    EXPECT_EQ(languages[1].id, first_language + 1);
    EXPECT_TRUE(languages[0].checked && languages[0].radio);
    EXPECT_FALSE(languages[1].checked);
    EXPECT_TRUE(english.screenshot(L"language_english"));

    // Choosing Chinese asks for a restart (its text and the stored choice are checked in
    // language_menu_test); the journey goes on from what was stored.
    ASSERT_TRUE(english.command(languages[1].id));
    HWND restart = wait_for_box(english.process()->id(), L"Orv Vanta Kit");
    ASSERT_TRUE(restart);
    EXPECT_TRUE(english.screenshot(L"language_restart_message"));
    ASSERT_TRUE(dialog_driver::press_button(restart, IDOK));
    ASSERT_TRUE(dialog_driver::wait_until_gone(restart));
    EXPECT_TRUE(english.stop());

    // The next start reads the stored choice: menus, status and About box in Chinese.
    e2e::vanta_setup stored;
    stored.language_id =
        e2e::read_dword(HKEY_CURRENT_USER, e2e::vanta_settings_key, L"LanguageId").value_or(0);
    e2e::vanta_app chinese(L"vanta_language.restarted", stored);
    ASSERT_TRUE(chinese.ready());
    ASSERT_TRUE(chinese.start());
    const std::vector<std::wstring> chinese_menus = {
        L"文件(&F)", L"更新(&U)", L"帮助(&H)", L"检查更新", L"语言(&L)", L"", L"退出(&X)"};
    EXPECT_EQ(menu_texts(chinese), chinese_menus);
    EXPECT_TRUE(chinese.wait_for_status(library_string(library, 107)));
    languages = open_language_menu(chinese);
    ASSERT_EQ(languages.size(), 2u);
    EXPECT_FALSE(languages[0].checked);
    EXPECT_TRUE(languages[1].checked);
    EXPECT_TRUE(chinese.screenshot(L"language_chinese"));

    ASSERT_TRUE(chinese.command(about_command));
    HWND about = wait_for_box(chinese.process()->id(), L"关于 Orv Vanta Kit");
    ASSERT_TRUE(about);
    EXPECT_EQ(dialog_driver::control_text(about, 1003), L"Version 2012 2 22");
    EXPECT_EQ(dialog_driver::control_text(about, IDOK), L"确定");
    EXPECT_TRUE(chinese.screenshot(L"language_chinese_about"));
    ASSERT_TRUE(dialog_driver::press_button(about, IDOK));
    ASSERT_TRUE(dialog_driver::wait_until_gone(about));
    EXPECT_TRUE(chinese.stop());
}

// A Hong Kong user with the Traditional libraries installed: the Hong Kong build of the
// translation loads, its language is the one checked in the Language menu, and the update
// library gets it too (its dialog speaks Traditional Chinese).
TEST(vanta_language, traditional_chinese_for_hong_kong) {
    const std::wstring library = e2e::join(e2e::program_dir(), L"vantaZHH.dll");
    SKIP_WITHOUT_CHINESE(library);
    saved_dwords restore(e2e::vanta_settings_key, {L"LanguageId"});
    saved_dwords restore_schedule(update_settings_key, {L"AutoUpdateCheck"});
    e2e::vanta_setup setup;
    setup.language_id = 0x0C04;
    setup.traditional_chinese_libraries = true;
    setup.registry = {{update_settings_key, L"AutoUpdateCheck", 0}};
    e2e::vanta_app app(L"vanta_language.hong_kong", setup);
    ASSERT_TRUE(app.ready());
    ASSERT_TRUE(app.start());
    EXPECT_EQ(menu_texts(app), (std::vector<std::wstring>{L"檔案(&F)", L"更新(&U)", L"說明(&H)",
                                                          L"檢查更新", L"語言(&L)", L"",
                                                          L"結束(&X)"}));
    EXPECT_TRUE(app.wait_for_status(L"未偵測到計算機"));
    const std::vector<menu_reader::item> languages = open_language_menu(app);
    ASSERT_EQ(languages.size(), 5u) << "English, Simplified and the three Traditional builds";
    // Taiwan, Hong Kong and Macau share a language name; each says its region too.
    std::set<std::wstring> names;
    for (const menu_reader::item& item : languages) names.insert(item.text);
    EXPECT_EQ(names.size(), languages.size());
    EXPECT_TRUE(std::any_of(languages.begin(), languages.end(), [](const menu_reader::item& item) {
        return item.text.find(L" \u2013 \u53F0\u7063") != std::wstring::npos;  // " – 台灣"
    }));
    EXPECT_EQ(std::count_if(languages.begin(), languages.end(),
                            [](const menu_reader::item& item) { return item.checked; }),
              1);
    EXPECT_TRUE(app.screenshot(L"language_traditional_chinese"));

    ASSERT_TRUE(app.command(about_command));
    HWND about = wait_for_box(app.process()->id(), L"關於 Orv Vanta Kit");
    ASSERT_TRUE(about);
    EXPECT_EQ(dialog_driver::control_text(about, IDOK), L"確定");
    EXPECT_TRUE(app.screenshot(L"language_traditional_chinese_about"));
    ASSERT_TRUE(dialog_driver::press_button(about, IDOK));
    ASSERT_TRUE(dialog_driver::wait_until_gone(about));

    ASSERT_TRUE(app.command(check_for_updates));
    HWND check = wait_for_box(app.process()->id(), L"檢查更新");
    ASSERT_TRUE(check) << "the library got 3076";
    EXPECT_TRUE(app.screenshot(L"update_check_traditional_chinese"));
    ::PostMessageW(check, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(dialog_driver::wait_until_gone(check));
    EXPECT_TRUE(app.stop());
}

}  // namespace
