// Starting vanta: with nothing attached, with devices attached, and a second start while it
// runs. One vanta process per journey.
#include "tests/e2e/vanta_test_support.h"
#include "tests/support/dialog_driver/dialog_driver.h"
#include "tests/support/test_hid_stack/harness/app_windows.h"

namespace {

using namespace e2e_tests;

TEST(vanta_startup, nothing_attached_then_a_second_start_exits_at_once) {
    SKIP_WITHOUT_VANTA();
    e2e::vanta_app app(L"vanta_startup.nothing_attached");
    ASSERT_TRUE(app.ready());
    ASSERT_TRUE(app.start());
    EXPECT_EQ(app.title(), L"Orv Vanta Kit");
    EXPECT_TRUE(app.wait_for_status(no_calculator)) << "status: " << e2e::narrow(app.status());
    EXPECT_TRUE(app.dialogs().empty());
    EXPECT_TRUE(app.screenshot(L"startup_no_calculator"));

    // The second process ends by itself without ever showing a window.
    auto second = app.start_another();
    ASSERT_TRUE(second);
    bool second_showed_frame = false;
    dialog_driver::wait_until(
        [&] {
            second_showed_frame |= e2e::find_frame_window(second->id()) != nullptr;
            return !second->running();
        },
        dialog_driver::milliseconds(20000));
    EXPECT_FALSE(second->running());
    EXPECT_FALSE(second_showed_frame);

    // The first one goes on as before.
    EXPECT_TRUE(app.process()->running());
    EXPECT_EQ(app.status(), no_calculator);
    EXPECT_TRUE(app.stop()) << "vanta should end when its frame is closed";
}

TEST(vanta_startup, devices_attached_before_the_start_are_found_by_enumeration) {
    SKIP_WITHOUT_VANTA();
    e2e::vanta_app app(L"vanta_startup.devices_attached");
    ASSERT_TRUE(app.ready());
    auto mouse = app.devices().plug(hid_stack::mouse_device());
    auto recovery = app.devices().plug(hid_stack::recovery_device());
    auto calc = app.devices().plug(hid_stack::calculator_device(u"Desk", current_firmware));
    ASSERT_TRUE(app.start());
    EXPECT_TRUE(app.wait_for_status(new_hardware)) << "status: " << e2e::narrow(app.status());

    // Identified once, by the enumeration; a recovery device present at start-up offers
    // nothing, and neither it nor the mouse is ever talked to.
    EXPECT_EQ(app.devices().commands(calc), bytes{0xFA});
    EXPECT_TRUE(app.dialogs().empty());
    EXPECT_TRUE(app.devices().received(recovery).empty());
    EXPECT_TRUE(app.devices().received(mouse).empty());
    EXPECT_TRUE(app.screenshot(L"startup_with_calculator"));

    ASSERT_TRUE(app.pull_out(calc));
    EXPECT_EQ(app.status(), no_calculator);
    EXPECT_TRUE(app.stop());
}

}  // namespace
