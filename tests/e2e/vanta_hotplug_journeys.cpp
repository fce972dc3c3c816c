// Calculators and other HID devices plugged in and pulled out while vanta runs, in different
// orders, as seen in the status pane. Each notification is handled before plug_in and
// pull_out return, so the pane is read right after them.
#include "tests/e2e/vanta_test_support.h"
#include "tests/support/dialog_driver/dialog_driver.h"

namespace {

using namespace e2e_tests;
using hid_stack::calculator_device;

std::wstring lower(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

std::wstring upper(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

TEST(vanta_hotplug, plugging_and_pulling_in_different_orders) {
    SKIP_WITHOUT_VANTA();
    e2e::vanta_app app(L"vanta_hotplug.orders");
    ASSERT_TRUE(app.ready());
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.wait_for_status(no_calculator)) << e2e::narrow(app.status());

    SCOPED_TRACE("devices that are not usable calculators change nothing");
    auto mouse = app.plug_in(hid_stack::mouse_device());
    EXPECT_EQ(app.status(), no_calculator);
    auto silent = app.plug_in(calculator_device(u"Zero", 0));  // identify gives version 0
    EXPECT_EQ(app.status(), no_calculator);
    EXPECT_EQ(app.devices().commands(silent), bytes{0xFA});
    EXPECT_TRUE(app.notify({0x8000, L"\\\\?\\usb#root_hub#1", e2e::usb_hub_interface_class}));
    EXPECT_EQ(app.status(), no_calculator);
    EXPECT_TRUE(app.devices().received(mouse).empty());

    SCOPED_TRACE("two calculators, the second pulled first");
    auto first = app.plug_in(calculator_device(u"First", current_firmware));
    EXPECT_EQ(app.status(), new_hardware);
    EXPECT_EQ(app.devices().commands(first), bytes{0xFA});
    auto second = app.plug_in(calculator_device(u"Second", current_firmware));
    EXPECT_EQ(app.status(), new_hardware);
    EXPECT_TRUE(app.screenshot(L"hotplug_two_calculators"));
    ASSERT_TRUE(app.pull_out(second));
    EXPECT_EQ(app.status(), new_hardware);
    ASSERT_TRUE(app.pull_out(mouse));
    EXPECT_EQ(app.status(), new_hardware) << "pulling a mouse changes nothing";
    ASSERT_TRUE(app.pull_out(silent));
    EXPECT_EQ(app.status(), new_hardware) << "the unlisted device was never counted";
    ASSERT_TRUE(app.pull_out(first));
    EXPECT_EQ(app.status(), no_calculator);

    SCOPED_TRACE("two calculators, the first pulled first");
    auto third = app.plug_in(calculator_device(u"Third", current_firmware));
    auto fourth = app.plug_in(calculator_device(u"Fourth", current_firmware));
    ASSERT_TRUE(app.pull_out(third));
    EXPECT_EQ(app.status(), new_hardware);
    ASSERT_TRUE(app.pull_out(fourth));
    EXPECT_EQ(app.status(), no_calculator);

    SCOPED_TRACE("a removal matches whatever the case of its letters");
    auto fifth = app.plug_in(calculator_device(u"Fifth", current_firmware));
    ASSERT_EQ(app.status(), new_hardware);
    ASSERT_TRUE(app.devices().pull(fifth));
    EXPECT_TRUE(app.notify({0x8004, lower(fifth.path)}));
    EXPECT_EQ(app.status(), no_calculator);
    auto sixth = app.plug_in(calculator_device(u"Sixth", current_firmware));
    ASSERT_TRUE(app.devices().pull(sixth));
    EXPECT_TRUE(app.notify({0x8004, upper(sixth.path)}));
    EXPECT_EQ(app.status(), no_calculator);

    SCOPED_TRACE("a calculator plugged in again is a new device");
    auto again = app.plug_in(calculator_device(u"First", current_firmware));
    EXPECT_EQ(app.status(), new_hardware);
    EXPECT_EQ(app.devices().commands(again), bytes{0xFA});
    EXPECT_TRUE(app.dialogs().empty()) << "no version file: no prompt ever follows an arrival";
    ASSERT_TRUE(app.pull_out(again));

    SCOPED_TRACE("a calculator that stops answering is pulled out in the middle of identify");
    auto stuck_description = calculator_device(u"Stuck", current_firmware);
    stuck_description.calc.stall_from_poll = 0;
    e2e::sim_device stuck;
    auto arrival = app.plug_in_async(stuck_description, stuck);
    ASSERT_TRUE(
        dialog_driver::wait_until([&] { return app.devices().commands(stuck) == bytes{0xFA}; }));
    ASSERT_TRUE(app.devices().pull(stuck));
    EXPECT_TRUE(arrival->wait(10000)) << "the failed poll must end the wait";
    EXPECT_EQ(app.status(), no_calculator);
    EXPECT_TRUE(app.notify({0x8004, stuck.path}));
    EXPECT_EQ(app.status(), no_calculator);
    EXPECT_TRUE(app.stop());
}

}  // namespace
