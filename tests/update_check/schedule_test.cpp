// Background checks: when a scheduled check runs, how it moves "NextUpdateDate", and the
// notification dialog it opens when the server has a package.
#include "tests/update_check/check_fixture.h"

namespace orv_test {
namespace {

using dialog_driver::control_visible;
using dialog_driver::press_button;

class Schedule : public check_fixture {
protected:
    // Waits for the notification dialog of a started background check, checks its form,
    // closes it with Not Now and waits for the dialog's own scheduling write, which comes
    // after its window has gone: a later write of the test must not be overtaken by it.
    void expect_notification_and_close(const product_settings& product) {
        HWND dialog = wait_for_update_dialog();
        ASSERT_TRUE(dialog) << "no background check ran";
        ASSERT_TRUE(dialog_driver::wait_for_text(dialog, status_text, update_available));
        RECT rect = dialog_driver::window_rect(dialog);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_TRUE(dialog_driver::is_topmost(dialog));
        EXPECT_EQ(dialog_driver::window_title(dialog), L"Check for Update");
        EXPECT_TRUE(control_visible(dialog, get_it_button));
        EXPECT_TRUE(control_visible(dialog, not_now_button));
        EXPECT_TRUE(control_visible(dialog, auto_check_box));
        EXPECT_TRUE(settled_on(dialog, not_now_button));
        EXPECT_TRUE(announcements_.heard(update_available));
        const std::optional<std::uint32_t> scheduled = product.dword(L"NextUpdateDate");
        ASSERT_TRUE(product.delete_value(L"NextUpdateDate"));
        // Not Now only: the flag words here carry 0x8, and Get It would end this process.
        ASSERT_TRUE(press_button(dialog, not_now_button));
        ASSERT_TRUE(dialog_driver::wait_until_gone(dialog));
        ASSERT_TRUE(dialog_driver::wait_until([&] { return product.dword(L"NextUpdateDate").has_value(); }))
            << "the closed dialog scheduled nothing";
        EXPECT_EQ(product.dword(L"NextUpdateDate"), scheduled) << "the same date again";
    }

private:
    // From before the check starts: the notification opens announcing its state.
    status_announcements announcements_;
};

TEST_F(Schedule, ScheduledCheckRunsWhenDueAndMovesTheDate) {
    product_settings product(0x3701);
    publish_package(L"sched/Orv_Vanta_Kit_2012_3_1.exe");
    ASSERT_FALSE(product.key_exists());

    // First use: no date stored, so the check is due. The call returns at once.
    lib().check_w(product.id(), L"/sched/Orv_Vanta_Kit.exe", L"_2012_2_22", 9, 1033);
    EXPECT_TRUE(product.key_exists());
    EXPECT_EQ(product.dword(L"NextUpdateDate"), dos_date_in_days(30));
    EXPECT_EQ(lib().get_next_days(product.id()), 30);
    expect_notification_and_close(product);

    // Not due any more: nothing starts and the date stays (a started check would move it to 7).
    lib().set_frequency(product.id(), 7);
    lib().check_w(product.id(), L"/sched/Orv_Vanta_Kit.exe", L"_2012_2_22", 9, 1033);
    EXPECT_EQ(product.dword(L"NextUpdateDate"), dos_date_in_days(30));

    // Due again from the stored date on.
    lib().set_next_days(product.id(), 0);
    lib().check_w(product.id(), L"/sched/Orv_Vanta_Kit.exe", L"_2012_2_22", 9, 1033);
    EXPECT_EQ(product.dword(L"NextUpdateDate"), dos_date_in_days(7));
    expect_notification_and_close(product);
}

TEST_F(Schedule, SwitchedOffChecksRunOnlyWhenForced) {
    product_settings product(0x3702);
    publish_package(L"forced/Orv_Vanta_Kit_2012_3_1.exe");
    lib().set_auto_check(product.id(), 0);

    lib().check_w(product.id(), L"/forced/Orv_Vanta_Kit.exe", L"_2012_2_22", 9, 1033);
    EXPECT_FALSE(product.dword(L"NextUpdateDate"));

    lib().check_w(product.id(), L"/forced/Orv_Vanta_Kit.exe", L"_2012_2_22", 10, 1033);
    EXPECT_EQ(product.dword(L"NextUpdateDate"), dos_date_in_days(30));
    expect_notification_and_close(product);
}

TEST_F(Schedule, ABackgroundCheckKeepsWhatItsCallStored) {
    product_settings first(0x3703);
    product_settings second(0x3704);
    publish_package(L"first/Orv_Vanta_Kit_2012_3_1.exe");
    lib().check_w(first.id(), L"/first/Orv_Vanta_Kit.exe", L"_2012_2_22", 2, 2052);
    // A later call names another product, path and language before the worker gets far.
    lib().set_auto_check(second.id(), 0);
    lib().check_w(second.id(), L"/nowhere/Other.exe", L"_1", 1, 1033);

    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog_driver::wait_for_text(dialog, status_text,
                                             L"更新可用。\n\n您现在可以下载并安装新版本。"));
    EXPECT_EQ(dialog_driver::window_title(dialog), L"检查更新");
    // Flag word 2: the check box shows, and Get It may be pressed (no 0x8).
    ASSERT_TRUE(press_button(dialog, get_it_button));
    // The download and its signature check come first: a busy machine takes its time.
    ASSERT_TRUE(dialog_driver::wait_until_gone(dialog, std::chrono::seconds(60)));
    std::vector<std::wstring> marker = wait_for_marker();
    ASSERT_GE(marker.size(), 1u);
    EXPECT_NE(marker[0].find(L"Orv_Vanta_Kit_2012_3_1.exe"), std::wstring::npos);
    // The dialog scheduled the first product's next check, not the second's.
    EXPECT_EQ(first.dword(L"NextUpdateDate"), dos_date_in_days(30));
    EXPECT_FALSE(second.dword(L"NextUpdateDate"));
}

}  // namespace
}  // namespace orv_test
