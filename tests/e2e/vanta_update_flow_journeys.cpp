// The firmware update flow of the released vanta.exe: the question that follows an older
// calculator, the Update menu's commands, the "Firmware Update" box and the offer for a
// recovery device, answered as a user would, with the "Updater.exe" stand-in recording how it
// was started and the simulated calculators recording what they received. One vanta process
// per journey; screenshots of every dialog.
#include "tests/e2e/vanta_test_support.h"
#include "tests/support/dialog_driver/dialog_driver.h"

namespace {

using namespace e2e_tests;
using hid_stack::calculator_device;

constexpr UINT update_calculator = 32786;
constexpr UINT format_and_update_calculator = 32777;
constexpr int format_and_update_button = 1002;
constexpr std::uint64_t older_firmware = 0x7222201100000000;
constexpr std::uint64_t newer_firmware = 0x7322201200000000;
constexpr char version_file[] = "K58x=7222201200000000;\r\n";

constexpr wchar_t later_text[] =
    L"A later version of the firmware is available. Would you like to update?";
constexpr wchar_t current_text[] =
    L"Your firmware version is already current. Would you still like to update?";
constexpr wchar_t newer_text[] =
    L"Your calculator version is already current. Do you still wish to continue ?";

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The stand-in's record of a start from vanta's working directory with `command_line`.
std::string updater_start(e2e::vanta_app& app, const std::string& command_line) {
    const std::string work = e2e::narrow(app.work_dir());
    return lower(command_line + "\t" + work + "\t" + work + "\\Updater.exe");
}

// Waits until the stand-in has recorded `count` starts, and returns them (lower-cased).
std::vector<std::string> updater_starts(e2e::vanta_app& app, std::size_t count) {
    dialog_driver::wait_until([&] { return app.updater_starts().size() >= count; });
    std::vector<std::string> starts;
    for (const std::string& line : app.updater_starts()) starts.push_back(lower(line));
    return starts;
}

// Answers the question vanta asks now with `button`, after checking its text and taking a
// screenshot when `screenshot` is given.
void answer_question(e2e::vanta_app& app, const std::wstring& text, int button,
                     const std::wstring& screenshot = {}) {
    HWND box = app.wait_for_dialog(L"Firmware Upgrade");
    ASSERT_TRUE(box) << "no question";
    EXPECT_EQ(dialog_driver::control_text(box, 0xFFFF), text);
    EXPECT_TRUE(dialog_driver::control_visible(box, IDCANCEL)) << "OK and Cancel";
    if (!screenshot.empty()) {
        EXPECT_TRUE(app.screenshot(screenshot));
    }
    EXPECT_TRUE(dialog_driver::press_button(box, button));
    EXPECT_TRUE(dialog_driver::wait_until_gone(box));
}

bool received(e2e::vanta_app& app, const e2e::sim_device& calc, const bytes& commands) {
    return dialog_driver::wait_until([&] { return app.devices().commands(calc) == commands; },
                                     dialog_driver::milliseconds(5000));
}

TEST(vanta_update_flow, questions_and_update_commands_start_the_updater_from_the_working_dir) {
    SKIP_WITHOUT_VANTA();
    e2e::vanta_setup setup;
    setup.version_file = version_file;
    e2e::vanta_app app(L"vanta_update_flow.questions", setup);
    ASSERT_TRUE(app.ready());
    auto older = app.devices().plug(calculator_device(u"Older", older_firmware));
    ASSERT_TRUE(app.start());

    SCOPED_TRACE("the question follows the start with an older calculator; OK starts the update");
    answer_question(app, later_text, IDOK, L"update_flow_later_firmware_question");
    EXPECT_EQ(updater_starts(app, 1),
              (std::vector<std::string>{updater_start(app, " /autostart")}));
    EXPECT_TRUE(received(app, older, {0xFA, 0xE6}));

    SCOPED_TRACE("Update Calculator, then Cancel: nothing");
    ASSERT_TRUE(app.command(update_calculator));
    answer_question(app, later_text, IDCANCEL);
    ASSERT_TRUE(app.pull_out(older));

    SCOPED_TRACE("Update Calculator with current firmware");
    auto current = app.plug_in(calculator_device(u"Current", current_firmware));
    // An arrival's question is posted; this command is posted after it, so the first question
    // to appear would be that one: it must be the current-firmware one the command asks.
    ASSERT_TRUE(app.command(update_calculator));
    answer_question(app, current_text, IDOK, L"update_flow_current_firmware_question");
    EXPECT_TRUE(app.dialogs().empty()) << "no question for current firmware";
    EXPECT_TRUE(received(app, current, {0xFA, 0xE6}));
    ASSERT_TRUE(app.pull_out(current));

    SCOPED_TRACE("Format && Update Calculator with newer firmware");
    auto newer = app.plug_in(calculator_device(u"Newer", newer_firmware));
    ASSERT_TRUE(app.command(format_and_update_calculator));
    answer_question(app, newer_text, IDOK, L"update_flow_newer_firmware_question");
    EXPECT_TRUE(received(app, newer, {0xFA, 0xE6}));
    EXPECT_EQ(updater_starts(app, 3),
              (std::vector<std::string>{updater_start(app, " /autostart"),
                                        updater_start(app, " /autostart"),
                                        updater_start(app, " /autostart /format")}));
    ASSERT_TRUE(app.pull_out(newer));

    SCOPED_TRACE("nothing connected: the Firmware Update box");
    ASSERT_TRUE(app.command(update_calculator));
    HWND box = app.wait_for_dialog(L"Firmware Update");
    ASSERT_TRUE(box);
    EXPECT_TRUE(app.screenshot(L"update_flow_no_calculator"));
    EXPECT_TRUE(dialog_driver::press_button(box, IDCANCEL));
    EXPECT_TRUE(dialog_driver::wait_until_gone(box));
    EXPECT_EQ(app.updater_starts().size(), 3u);
    EXPECT_TRUE(app.stop());
}

TEST(vanta_update_flow, a_recovery_device_is_offered_the_updater_without_a_command_byte) {
    SKIP_WITHOUT_VANTA();
    e2e::vanta_app app(L"vanta_update_flow.recovery");
    ASSERT_TRUE(app.ready());
    auto calc = app.devices().plug(calculator_device(u"Desk", current_firmware));
    ASSERT_TRUE(app.start());

    SCOPED_TRACE("Format && Update Calculator");
    e2e::sim_device recovery;
    auto arrival = app.plug_in_async(hid_stack::recovery_device(), recovery);
    HWND offer = app.wait_for_dialog(L"Calculator Detected");
    ASSERT_TRUE(offer);
    EXPECT_TRUE(app.screenshot(L"update_flow_calculator_detected"));
    EXPECT_TRUE(dialog_driver::press_button(offer, format_and_update_button));
    EXPECT_TRUE(arrival->wait());
    EXPECT_EQ(updater_starts(app, 1),
              (std::vector<std::string>{updater_start(app, " /autostart /format")}));
    EXPECT_EQ(app.devices().commands(calc), bytes{0xFA}) << "no command byte on this road";
    EXPECT_TRUE(app.devices().received(recovery).empty());

    SCOPED_TRACE("the next recovery device follows the start: no offer");
    ASSERT_TRUE(app.pull_out(recovery));
    auto again = app.plug_in(hid_stack::recovery_device());
    EXPECT_TRUE(app.dialogs().empty());

    SCOPED_TRACE("the one after that is offered the updater again; Cancel");
    ASSERT_TRUE(app.pull_out(again));
    e2e::sim_device third;
    arrival = app.plug_in_async(hid_stack::recovery_device(), third);
    offer = app.wait_for_dialog(L"Calculator Detected");
    ASSERT_TRUE(offer);
    EXPECT_TRUE(dialog_driver::press_button(offer, IDCANCEL));
    EXPECT_TRUE(arrival->wait());
    EXPECT_EQ(app.updater_starts().size(), 1u);
    EXPECT_TRUE(app.stop());
}

}  // namespace
