// The dialog's texts by the caller's language id: Chinese, German, French, Spanish, Brazilian
// Portuguese, Japanese and Korean built in, English from the string table, and English for
// every other language. A server that never greets keeps the dialog in its connecting state
// while the test reads it.
#include "tests/update_check/check_fixture.h"
#include "tests/update_check/silent_server.h"

namespace orv_test {
namespace {

using dialog_driver::control_text;
using dialog_driver::control_visible;
using dialog_driver::press_button;
using dialog_driver::window_title;

using DialogLanguage = check_fixture;

TEST_F(DialogLanguage, EnglishWhileConnecting) {
    product_settings product(0x3303);
    silent_server silent;
    ASSERT_TRUE(silent.listening());
    ftp_fixture::scoped_update_server server(silent.address());
    modal_call call(
        [&] { lib().check_w(product.id(), L"/en/Orv_Vanta_Kit.exe", L"_2012_2_22", 12, 1033); });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(window_title(dialog), L"Check for Update");
    EXPECT_EQ(control_text(dialog, status_text), L"\nConnecting to server...");
    EXPECT_EQ(control_text(dialog, get_it_button), L"Cancel");
    EXPECT_TRUE(control_visible(dialog, get_it_button));
    EXPECT_FALSE(control_visible(dialog, not_now_button));
    EXPECT_TRUE(control_visible(dialog, auto_check_box));
    EXPECT_FALSE(control_visible(dialog, progress_bar));
    // Esc: the dialog ends without anything opened, even with 0x8 in the flag word.
    ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(call.returned());
}

TEST_F(DialogLanguage, SimplifiedChineseWhileConnectingAndWhenAnUpdateIsAvailable) {
    product_settings product(0x3301);
    {
        silent_server silent;
        ASSERT_TRUE(silent.listening());
        ftp_fixture::scoped_update_server server(silent.address());
        modal_call call(
            [&] { lib().check_w(product.id(), L"/zh/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 2052); });
        HWND dialog = wait_for_update_dialog();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(window_title(dialog), L"检查更新");
        EXPECT_EQ(control_text(dialog, status_text), L"\n正在连接到服务器...");
        EXPECT_EQ(control_text(dialog, get_it_button), L"取消");
        EXPECT_EQ(control_text(dialog, auto_check_box), L"自动检查更新");
        EXPECT_FALSE(control_visible(dialog, not_now_button));
        // Cancel while the worker still waits for the server: the dialog goes, the worker
        // carries on with the shared query and finds no window to report to.
        ASSERT_TRUE(press_button(dialog, get_it_button));
        ASSERT_TRUE(call.returned());
    }

    publish_package(L"zh/Orv_Vanta_Kit_2012_3_1.exe");
    modal_call call(
        [&] { lib().check_w(product.id(), L"/zh/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 2052); });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog_driver::wait_for_text(dialog, status_text,
                                             L"更新可用。\n\n您现在可以下载并安装新版本。"));
    EXPECT_EQ(window_title(dialog), L"检查更新");
    EXPECT_EQ(control_text(dialog, get_it_button), L"立即更新");
    EXPECT_EQ(control_text(dialog, not_now_button), L"暂不更新");
    ASSERT_TRUE(press_button(dialog, not_now_button));
    ASSERT_TRUE(call.returned());
    EXPECT_EQ(::GetFileAttributesW(marker_path().c_str()), INVALID_FILE_ATTRIBUTES);
}

// A language id and the texts its dialog shows: Traditional Chinese for Taiwan, Hong Kong and
// Macau, German for Austria (a country the German texts do not name), English for every
// language without built-in texts (never blank captions or labels).
struct language_case {
    int language;
    const wchar_t* caption;
    const wchar_t* connecting;
    const wchar_t* cancel;
    const wchar_t* update_available;
    const wchar_t* not_now;
};

class DialogLanguages : public check_fixture,
                        public ::testing::WithParamInterface<language_case> {};

TEST_P(DialogLanguages, ShowTheirTextsWhileConnectingAndWhenAnUpdateIsAvailable) {
    const language_case& c = GetParam();
    product_settings product(0x3310);  // one case at a time: the same product will do
    const std::wstring folder = L"lang" + std::to_wstring(c.language);
    const std::wstring path = L"/" + folder + L"/Orv_Vanta_Kit.exe";
    {
        silent_server silent;
        ASSERT_TRUE(silent.listening());
        ftp_fixture::scoped_update_server server(silent.address());
        modal_call call(
            [&] { lib().check_w(product.id(), path.c_str(), L"_2012_2_22", 4, c.language); });
        HWND dialog = wait_for_update_dialog();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(window_title(dialog), c.caption);
        EXPECT_EQ(control_text(dialog, status_text), c.connecting);
        EXPECT_EQ(control_text(dialog, get_it_button), c.cancel);
        EXPECT_FALSE(control_text(dialog, auto_check_box).empty());
        ASSERT_TRUE(press_button(dialog, get_it_button));
        ASSERT_TRUE(call.returned());
    }

    publish_package(folder + L"/Orv_Vanta_Kit_2012_3_1.exe");
    modal_call call(
        [&] { lib().check_w(product.id(), path.c_str(), L"_2012_2_22", 4, c.language); });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog_driver::wait_for_text(dialog, status_text, c.update_available));
    EXPECT_EQ(control_text(dialog, not_now_button), c.not_now);
    ASSERT_TRUE(press_button(dialog, not_now_button));
    ASSERT_TRUE(call.returned());
}

constexpr language_case traditional(int language) {
    return {language,
            L"檢查更新",
            L"\n正在連線到伺服器...",
            L"取消",
            L"有可用的更新。\n\n您現在可以下載並安裝新版本。",
            L"暫不更新"};
}

INSTANTIATE_TEST_SUITE_P(
    Languages, DialogLanguages,
    ::testing::Values(traditional(1028), traditional(3076), traditional(5124),
                      language_case{0x0C07, L"Nach Updates suchen",
                                    L"\nVerbindung zum Server wird hergestellt...", L"Abbrechen",
                                    L"Ein Update ist verfügbar.\n\nSie können die neue Version "
                                    L"jetzt herunterladen\nund installieren.",
                                    L"Nicht jetzt"},
                      language_case{
                          0x0410, L"Check for Update", L"\nConnecting to server...", L"Cancel",
                          L"An update is available.\n\nYou can download and install a new "
                          L"version now.",
                          L"Not Now"}));

}  // namespace
}  // namespace orv_test
