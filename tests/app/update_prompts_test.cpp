// The Update menu's commands and the later-firmware question, answered by a user on a second
// thread: which question is asked about which calculator, and what OK and Cancel set off.
#include <gtest/gtest.h>

#include <fstream>

#include "app/resource.h"
#include "framework/resources.h"
#include "tests/app/language_fixture.h"
#include "tests/app/update_flow_fixture.h"

namespace vanta_test {
namespace {

constexpr UINT question = MB_OKCANCEL | MB_ICONQUESTION;

TEST_F(update_flow_test, with_nothing_connected_the_commands_beep_say_so_and_start_nothing) {
    start();
    // Were the help opened by mistake, it would ask for a PDF reader and show up as a window.
    pdf_association no_reader(L"");
    std::ofstream(L"Updater Help.pdf") << "%PDF-1.4";
    std::ofstream(L"Updater Help CHS.pdf") << "%PDF-1.4";

    const std::pair<UINT, user_action> dismissals[] = {
        {ID_UPDATE_CALCULATOR, press(IDCANCEL)},
        {ID_FORMAT_AND_UPDATE_CALCULATOR, close_box()},
        {ID_UPDATE_CALCULATOR, press_key(VK_ESCAPE)},
    };
    std::size_t beeps = 0;
    for (const auto& [id, dismiss] : dismissals) {
        SCOPED_TRACE(id);
        std::vector<shown_window> shown = as_user([&] { command(id); }, {dismiss});
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].caption, L"Firmware Update");
        EXPECT_EQ(shown[0].owner, frame->hwnd());
        EXPECT_EQ(shown[0].beeps_before, ++beeps) << "the beep comes first";
    }
    EXPECT_EQ(calls().beeps, std::vector<UINT>(3, MB_ICONASTERISK));

    SCOPED_TRACE("Help closes the box, then opens the help");
    HWND box = nullptr;
    bool box_shown_at_help = true;
    std::vector<shown_window> shown = as_user([&] { command(ID_UPDATE_CALCULATOR); },
                                              {[&](HWND window) {
                                                   box = window;
                                                   press(IDOK)(window);
                                               },
                                               [&](HWND window) {
                                                   box_shown_at_help = ::IsWindowVisible(box);
                                                   press(IDOK)(window);
                                               }});
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, L"Firmware Update");
    EXPECT_EQ(shown[1].message, L"Please install Adobe PDF Reader to view the help file.");
    EXPECT_FALSE(box_shown_at_help);
    EXPECT_EQ(calls().beeps.size(), 4u);

    EXPECT_TRUE(calls().starts.empty());
    EXPECT_FALSE(frame->updater_started());

    SCOPED_TRACE("with a calculator listed there is nothing to say");
    plug_in(1, current_firmware);
    EXPECT_FALSE(frame->check_no_calculator());
    EXPECT_EQ(calls().beeps.size(), 4u);
    ::DeleteFileW(L"Updater Help.pdf");
    ::DeleteFileW(L"Updater Help CHS.pdf");
}

TEST_F(update_flow_test, update_commands_ask_how_the_firmware_compares_and_start_only_on_ok) {
    const std::pair<std::uint64_t, const wchar_t*> firmwares[] = {{older_firmware, later_text},
                                                                  {current_firmware, current_text},
                                                                  {newer_firmware, newer_text}};
    const std::pair<UINT, const wchar_t*> commands[] = {
        {ID_UPDATE_CALCULATOR, L" /autostart"},
        {ID_FORMAT_AND_UPDATE_CALCULATOR, L" /autostart /format"}};
    for (const auto& [version, text] : firmwares) {
        for (const auto& [id, command_line] : commands) {
            for (int answer : {IDOK, IDCANCEL}) {
                SCOPED_TRACE(testing::Message() << std::hex << version << std::dec << " command "
                                                << id << " answer " << answer);
                plug_in(1, version);
                start();
                take_later_firmware_prompts(frame->hwnd());

                std::vector<shown_window> shown = as_user([&] { command(id); }, {press(answer)});

                ASSERT_EQ(shown.size(), 1u);
                EXPECT_EQ(shown[0].caption, L"Firmware Upgrade");
                EXPECT_EQ(shown[0].message, text);
                ASSERT_EQ(calls().prompts.size(), 1u);
                EXPECT_EQ(calls().prompts[0].owner, frame->hwnd());
                EXPECT_EQ(calls().prompts[0].type, question);
                EXPECT_TRUE(calls().beeps.empty());
                if (answer == IDOK) {
                    ASSERT_EQ(calls().starts.size(), 1u);
                    expect_updater_start(calls().starts[0], folder, command_line);
                    EXPECT_EQ(update_starts(1), 1u);
                    EXPECT_TRUE(frame->updater_started());
                    std::vector<std::vector<std::wstring>> runs = updater_runs();
                    ASSERT_EQ(runs.size(), 1u);
                    expect_updater_run(runs[0], folder, command_line);
                } else {
                    EXPECT_TRUE(calls().starts.empty());
                    EXPECT_EQ(update_starts(1), 0u);
                    EXPECT_FALSE(frame->updater_started());
                }
                frame.reset();
                forget_calls();
            }
        }
    }
}

TEST_F(update_flow_test, an_older_calculator_arriving_brings_the_question_by_itself) {
    start();
    plug_in(1, older_firmware);
    std::vector<shown_window> shown = as_user(drain_messages, {press(IDOK)});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, L"Firmware Upgrade");
    EXPECT_EQ(shown[0].message, later_text);
    ASSERT_EQ(calls().prompts.size(), 1u);
    EXPECT_EQ(calls().prompts[0].owner, frame->hwnd());
    EXPECT_EQ(calls().prompts[0].type, question);
    ASSERT_EQ(calls().starts.size(), 1u);
    expect_updater_start(calls().starts[0], folder, L" /autostart");
    EXPECT_EQ(update_starts(1), 1u);
    EXPECT_TRUE(frame->updater_started());
    frame->set_updater_started(false);

    SCOPED_TRACE("Cancel");
    pull_out(1);
    plug_in(2, older_firmware);
    shown = as_user(drain_messages, {press(IDCANCEL)});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(calls().starts.size(), 1u);
    EXPECT_EQ(update_starts(2), 0u);
    EXPECT_FALSE(frame->updater_started());

    SCOPED_TRACE("current and newer calculators bring no question");
    plug_in(3, current_firmware);
    plug_in(4, newer_firmware);
    EXPECT_TRUE(as_user(drain_messages, {}).empty());

    SCOPED_TRACE("a calculator that left before its question came up");
    pull_out(2);
    pull_out(3);
    pull_out(4);
    plug_in(5, older_firmware);
    pull_out(5);
    EXPECT_TRUE(as_user(drain_messages, {}).empty());
    EXPECT_EQ(calls().prompts.size(), 2u);
    EXPECT_EQ(calls().starts.size(), 1u);
    EXPECT_EQ(updater_runs().size(), 1u);
}

TEST_F(update_flow_test, with_two_calculators_every_road_acts_on_the_first_listed) {
    plug_in(1, current_firmware);
    start();

    // The second one's arrival asks, about the first one.
    plug_in(2, older_firmware);
    std::vector<shown_window> shown = as_user(drain_messages, {press(IDOK)});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, later_text);
    EXPECT_EQ(update_starts(1), 1u);
    EXPECT_EQ(update_starts(2), 0u);

    // The menu compares the first one's firmware.
    shown = as_user([&] { command(ID_FORMAT_AND_UPDATE_CALCULATOR); }, {press(IDOK)});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, current_text);
    EXPECT_EQ(update_starts(1), 2u);
    EXPECT_EQ(update_starts(2), 0u);

    // Once the first is gone, the second is the first listed.
    pull_out(1);
    shown = as_user([&] { command(ID_UPDATE_CALCULATOR); }, {press(IDOK)});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, later_text);
    EXPECT_EQ(update_starts(2), 1u);

    ASSERT_EQ(calls().starts.size(), 3u);
    EXPECT_EQ(calls().starts[1].command_line, L" /autostart /format");
    EXPECT_EQ(updater_runs().size(), 3u);
}

TEST_F(update_flow_test, a_calculator_pulled_out_while_its_question_is_open_gets_no_command) {
    plug_in(1, current_firmware);
    plug_in(2, current_firmware);
    start();
    auto pull_out_then_ok = [&](int number) {
        return [this, number](HWND box) {
            pull_out(number);  // the notification is handled by the question's own loop
            press(IDOK)(box);
        };
    };

    // The updater still starts, as the user asked; no calculator gets the command, not even
    // the one that is first in the list by the time the answer comes.
    std::vector<shown_window> shown =
        as_user([&] { command(ID_UPDATE_CALCULATOR); }, {pull_out_then_ok(1)});
    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(frame->devices().size(), 1u);
    ASSERT_EQ(calls().starts.size(), 1u);
    expect_updater_start(calls().starts[0], folder, L" /autostart");
    EXPECT_EQ(update_starts(1), 0u);
    EXPECT_EQ(update_starts(2), 0u);
    EXPECT_TRUE(frame->updater_started());

    // The same with the question that follows an arrival (it asks about calculator 2).
    plug_in(3, older_firmware);
    shown = as_user(drain_messages, {pull_out_then_ok(2)});
    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(calls().starts.size(), 2u);
    EXPECT_EQ(update_starts(2), 0u);
    EXPECT_EQ(update_starts(3), 0u);

    // Pulled out and plugged in again while the question is open: the calculator listed under
    // that device path when the answer comes gets the command.
    shown = as_user([&] { command(ID_UPDATE_CALCULATOR); }, {[&](HWND box) {
                        pull_out(3);
                        plug_in(3, current_firmware);
                        press(IDOK)(box);
                    }});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, later_text) << "asked about the calculator as it was";
    EXPECT_EQ(update_starts(3), 1u);
    EXPECT_EQ(updater_runs().size(), 3u);
}

// Resources of a language library that has none of the flow's strings and dialogs.
TEST_F(update_flow_test, without_the_strings_the_questions_use_built_in_texts_and_no_caption) {
    HMODULE library = ::LoadLibraryW(L"vanta_test_no_strings.dll");
    ASSERT_NE(library, nullptr);
    plug_in(1, older_firmware);
    start();
    fw::set_resource_module(library);

    std::vector<std::wstring> texts;
    auto ask = [&](const std::function<void()>& modal) {
        for (const shown_window& shown : as_user(modal, {press(IDCANCEL)})) {
            texts.push_back(shown.message);
        }
    };
    ask(drain_messages);  // the question that followed the arrival
    ask([&] { command(ID_UPDATE_CALCULATOR); });
    pull_out(1);
    plug_in(2, current_firmware);
    ask([&] { command(ID_UPDATE_CALCULATOR); });
    pull_out(2);
    plug_in(3, newer_firmware);
    ask([&] { command(ID_UPDATE_CALCULATOR); });
    EXPECT_EQ(texts, (std::vector<std::wstring>{later_text, later_text, current_text, newer_text}));
    for (const prompt_call& prompt : calls().prompts) EXPECT_EQ(prompt.caption, L"");

    // The dialogs come from the program's own resources.
    pull_out(3);
    platform.add_device(recovery_path, device_with_ids(0x066F, 0x3770));
    std::vector<shown_window> shown = as_user(
        [&] {
            command(ID_UPDATE_CALCULATOR);
            arrive(recovery_path);
        },
        {press(IDCANCEL), press(IDCANCEL)});
    fw::set_resource_module(nullptr);
    ::FreeLibrary(library);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, L"Firmware Update");
    EXPECT_EQ(shown[1].caption, L"Calculator Detected");
    EXPECT_TRUE(calls().starts.empty());
}

}  // namespace
}  // namespace vanta_test
