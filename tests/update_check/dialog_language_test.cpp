// The dialog's texts by the caller's language id: Simplified Chinese built in, English from
// the string table, nothing at all for other languages. A server that never greets keeps the
// dialog in its connecting state while the test reads it.
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

TEST_F(DialogLanguage, OtherLanguagesShowNoText) {
    product_settings product(0x3302);
    {
        silent_server silent;
        ASSERT_TRUE(silent.listening());
        ftp_fixture::scoped_update_server server(silent.address());
        modal_call call(
            [&] { lib().check_w(product.id(), L"/de/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1031); });
        HWND dialog = wait_for_update_dialog();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(window_title(dialog), L"");
        EXPECT_EQ(control_text(dialog, status_text), L"");
        EXPECT_EQ(control_text(dialog, auto_check_box), L"");
        EXPECT_EQ(control_text(dialog, get_it_button), L"");
        EXPECT_EQ(control_text(dialog, not_now_button), L"");
        EXPECT_TRUE(control_visible(dialog, auto_check_box));
        ASSERT_TRUE(press_button(dialog, get_it_button));
        ASSERT_TRUE(call.returned());
    }

    publish_package(L"de/Orv_Vanta_Kit_2012_3_1.exe");
    modal_call call(
        [&] { lib().check_w(product.id(), L"/de/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1031); });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    // The update-available state shows both buttons, still without labels or status.
    ASSERT_TRUE(dialog_driver::wait_until([&] { return control_visible(dialog, not_now_button); }));
    EXPECT_EQ(control_text(dialog, status_text), L"");
    EXPECT_EQ(control_text(dialog, get_it_button), L"");
    ASSERT_TRUE(press_button(dialog, not_now_button));
    ASSERT_TRUE(call.returned());
}

}  // namespace
}  // namespace orv_test
