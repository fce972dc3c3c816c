// The main frame's device list and hardware pane, driven by simulated calculators that are
// present at creation or arrive and leave later through real WM_DEVICECHANGE messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/resource.h"
#include "framework/framework_ids.h"
#include "framework/resources.h"
#include "framework/window_dpi.h"
#include "tests/app/frame_fixture.h"

namespace vanta_test {
namespace {

// The version file of the test run holds 0x7222201200000000.
constexpr std::uint64_t older_firmware = 0x7222201100000000ull;
constexpr std::uint64_t current_firmware = 0x7222201200000000ull;
constexpr std::uint64_t newer_firmware = 0x7322201200000000ull;

const std::wstring initial_pane_text = L"Hardware Detected:  %0.2d" + std::wstring(101, L' ');

TEST_F(frame_test, starts_with_nothing_attached) {
    start();

    EXPECT_TRUE(frame->devices().empty());
    EXPECT_EQ(main_frame::detected_count(), 0);
    EXPECT_EQ(status_text(frame->hwnd()), initial_pane_text) << "the indicator text until idle";
    idle();
    EXPECT_EQ(status_text(frame->hwnd()), no_calculator_text);
    EXPECT_EQ(take_later_firmware_prompts(frame->hwnd()), 0);
}

TEST_F(frame_test, status_bar_has_the_hardware_pane_stretched_then_the_key_indicators) {
    start();
    HWND bar = ::GetDlgItem(frame->hwnd(), AFX_IDW_STATUS_BAR);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(::GetWindowLongW(bar, GWL_STYLE) & WS_VISIBLE);

    int edges[8] = {};
    ASSERT_EQ(::SendMessageW(bar, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 4);
    RECT client{};
    ::GetClientRect(bar, &client);
    int indicators_width = client.right - edges[0];
    EXPECT_GT(edges[0], client.right / 2) << "pane 0 takes the width the others leave";
    EXPECT_GT(indicators_width, 0);

    ::MoveWindow(frame->hwnd(), 0, 0, 900, 500, TRUE);
    ::SendMessageW(bar, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges));
    ::GetClientRect(bar, &client);
    EXPECT_EQ(client.right - edges[0], indicators_width) << "only pane 0 grows and shrinks";

    EXPECT_EQ(frame->status_bar().pane_id(0), static_cast<UINT>(ID_INDICATOR_HARDWARE));
    EXPECT_EQ(frame->status_bar().pane_id(1), static_cast<UINT>(ID_INDICATOR_CAPS));
    EXPECT_EQ(frame->status_bar().pane_id(2), static_cast<UINT>(ID_INDICATOR_NUM));
    EXPECT_EQ(frame->status_bar().pane_id(3), static_cast<UINT>(ID_INDICATOR_SCRL));
}

// The frame moved to a monitor of another DPI. Windows tells it with WM_DPICHANGED (Wine never
// sends it, so the test does).
class frame_dpi_test : public frame_test, public ::testing::WithParamInterface<UINT> {
protected:
    struct bar_sizes {
        int font_height = 0;
        std::vector<int> fixed_panes;  // the key indicators' widths
    };
    bar_sizes measure() const {
        HWND bar = ::GetDlgItem(frame->hwnd(), AFX_IDW_STATUS_BAR);
        bar_sizes sizes;
        LOGFONTW font{};
        if (::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(bar, WM_GETFONT, 0, 0)),
                         sizeof(font), &font) == sizeof(font)) {
            sizes.font_height = std::abs(font.lfHeight);
        }
        int edges[4] = {};
        ::SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges));
        RECT client{};
        ::GetClientRect(bar, &client);
        edges[3] = client.right;
        for (int i = 1; i < 4; ++i) sizes.fixed_panes.push_back(edges[i] - edges[i - 1]);
        return sizes;
    }
    void move_to_dpi(UINT dpi, const RECT& suggested) {
        ::SendMessageW(frame->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
    }
};

TEST_P(frame_dpi_test, status_bar_font_and_panes_scale_with_the_new_dpi_and_back) {
    start();
    const UINT from = fw::system_dpi();
    const UINT to = GetParam();
    const bar_sizes before = measure();
    ASSERT_GT(before.font_height, 0) << "the bar has a font of its own";

    const RECT suggested{40, 30, 40 + 1000, 30 + 700};
    move_to_dpi(to, suggested);
    RECT placed{};
    ::GetWindowRect(frame->hwnd(), &placed);
    EXPECT_TRUE(::EqualRect(&placed, &suggested)) << "the frame takes the suggested place";
    const bar_sizes after = measure();
    EXPECT_NEAR(after.font_height, ::MulDiv(before.font_height, to, from), 1);
    for (std::size_t i = 0; i < before.fixed_panes.size(); ++i) {
        // Text is measured again in the new font, whose glyphs round their own way.
        const int expected = ::MulDiv(before.fixed_panes[i], to, from);
        EXPECT_NEAR(after.fixed_panes[i], expected, expected / 10 + 1) << "pane " << i + 1;
    }

    move_to_dpi(from, RECT{0, 0, 800, 600});
    const bar_sizes back = measure();
    EXPECT_EQ(back.font_height, before.font_height);
    EXPECT_EQ(back.fixed_panes, before.fixed_panes);
}

// The user changed the text size while vanta runs: Windows changes the non-client metrics and
// tells the top-level windows.
TEST_F(frame_dpi_test, status_bar_font_and_panes_follow_a_text_size_change_and_back) {
    start();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    std::vector<bar_sizes> sizes{measure()};
    for (int factor : {2, 1}) {
        NONCLIENTMETRICSW changed = metrics;
        changed.lfStatusFont.lfHeight *= factor;
        ASSERT_TRUE(::SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(changed), &changed, 0));
        ::SendMessageW(frame->hwnd(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
        sizes.push_back(measure());
    }
    EXPECT_NEAR(sizes[1].font_height, 2 * sizes[0].font_height, 1);
    for (std::size_t i = 0; i < sizes[0].fixed_panes.size(); ++i) {
        EXPECT_GT(sizes[1].fixed_panes[i], sizes[0].fixed_panes[i]) << "pane " << i + 1;
    }
    EXPECT_EQ(sizes[2].font_height, sizes[0].font_height);
    EXPECT_EQ(sizes[2].fixed_panes, sizes[0].fixed_panes);
}

INSTANTIATE_TEST_SUITE_P(monitor, frame_dpi_test, ::testing::Values(144u, 192u),
                         [](const auto& info) { return "dpi" + std::to_string(info.param); });

TEST_F(frame_test, key_indicators_show_their_text_while_the_toggle_is_on) {
    start();
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    BYTE saved[256];
    std::copy(std::begin(keys), std::end(keys), std::begin(saved));

    keys[VK_CAPITAL] = 0x01;
    keys[VK_NUMLOCK] = 0x00;
    keys[VK_SCROLL] = 0x01;
    ::SetKeyboardState(keys);
    idle();
    HWND bar = ::GetDlgItem(frame->hwnd(), AFX_IDW_STATUS_BAR);
    auto pane = [bar](int index) {
        wchar_t text[64] = {};
        ::SendMessageW(bar, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    EXPECT_EQ(pane(1), L"CAP");
    EXPECT_EQ(pane(2), L"");
    EXPECT_EQ(pane(3), L"SCRL");

    keys[VK_CAPITAL] = 0x00;
    keys[VK_NUMLOCK] = 0x01;
    ::SetKeyboardState(keys);
    idle();
    EXPECT_EQ(pane(1), L"");
    EXPECT_EQ(pane(2), L"NUM");

    ::SetKeyboardState(saved);
}

TEST_F(frame_test, calculator_present_at_start_is_listed_during_creation) {
    vanta_sim::sim_device& calc =
        platform.add_device(calculator_path(1), calculator_with_version(older_firmware));
    start();

    ASSERT_EQ(frame->devices().size(), 1u);
    EXPECT_EQ(listed_path(0), vanta_kit::upper_case_path(calculator_path(1)));
    EXPECT_EQ(main_frame::detected_count(), 1);
    EXPECT_EQ(calc.model().commands_received(0xFA), 1u) << "identified once, no arrival";
    EXPECT_EQ(status_text(frame->hwnd()), new_hardware_text) << "set when it was listed";
    EXPECT_EQ(take_later_firmware_prompts(frame->hwnd()), 1) << "older firmware";
    idle();
    EXPECT_EQ(status_text(frame->hwnd()), new_hardware_text);
}

TEST_F(frame_test, only_calculators_older_than_the_version_file_bring_the_prompt) {
    platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    platform.add_device(calculator_path(2), calculator_with_version(newer_firmware));
    start();
    EXPECT_EQ(frame->devices().size(), 2u);
    EXPECT_EQ(take_later_firmware_prompts(frame->hwnd()), 0);

    platform.add_device(calculator_path(3), calculator_with_version(older_firmware));
    arrive(calculator_path(3));
    EXPECT_EQ(frame->devices().size(), 3u);
    EXPECT_EQ(take_later_firmware_prompts(frame->hwnd()), 1);
}

TEST_F(frame_test, arrival_lists_the_calculator_with_the_capabilities_of_its_device) {
    start();
    vanta_sim::calc_config odd_reports = calculator_with_version(current_firmware);
    odd_reports.input_report_length = 32;
    odd_reports.output_report_length = 32;
    vanta_sim::sim_device& calc = platform.add_device(calculator_path(4), odd_reports);

    EXPECT_EQ(arrive(calculator_path(4)), TRUE);

    // Identification over 32-byte reports only works with the device's own record.
    ASSERT_EQ(frame->devices().size(), 1u);
    EXPECT_EQ(listed_path(0), vanta_kit::upper_case_path(calculator_path(4)));
    EXPECT_EQ(calc.model().commands_received(0xFA), 1u);
    EXPECT_EQ(status_text(frame->hwnd()), new_hardware_text);
    EXPECT_EQ(main_frame::detected_count(), 1);
}

TEST_F(frame_test, a_device_whose_identify_gives_zero_is_dropped_silently) {
    start();
    idle();
    // One that cannot be opened for transfers, one that reports version 0.
    platform.add_device(calculator_path(5), calculator_with_version(older_firmware))
        .faults()
        .deny_write_open = true;
    platform.add_device(calculator_path(6), calculator_with_version(0));

    arrive(calculator_path(5));
    arrive(calculator_path(6));

    EXPECT_TRUE(frame->devices().empty());
    EXPECT_EQ(main_frame::detected_count(), 0);
    EXPECT_EQ(status_text(frame->hwnd()), no_calculator_text);
    EXPECT_EQ(take_later_firmware_prompts(frame->hwnd()), 0);
    EXPECT_EQ(platform.open_handles(), 0u) << "the dropped entry's link is closed";
}

TEST_F(frame_test, removal_of_a_device_that_is_not_listed_changes_nothing) {
    platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    start();

    EXPECT_EQ(remove(L"\\\\?\\hid#vid_046d&pid_c077#mouse"), TRUE);

    ASSERT_EQ(frame->devices().size(), 1u);
    EXPECT_EQ(main_frame::detected_count(), 1);
    EXPECT_EQ(status_text(frame->hwnd()), new_hardware_text);
}

TEST_F(frame_test, removal_path_differing_in_ascii_case_matches) {
    platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    start();
    idle();

    std::wstring mixed = calculator_path(1);
    for (std::size_t i = 0; i < mixed.size(); i += 2) mixed[i] = ::towupper(mixed[i]);
    platform.remove_device(calculator_path(1));
    remove(mixed);

    EXPECT_TRUE(frame->devices().empty());
    EXPECT_EQ(main_frame::detected_count(), 0);
    EXPECT_EQ(status_text(frame->hwnd()), no_calculator_text);
}

TEST_F(frame_test, of_two_calculators_the_other_stays_when_one_is_removed) {
    for (int removed : {1, 2}) {
        SCOPED_TRACE(removed);
        platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
        platform.add_device(calculator_path(2), calculator_with_version(current_firmware));
        start();
        ASSERT_EQ(main_frame::detected_count(), 2);

        platform.remove_device(calculator_path(removed));
        remove(calculator_path(removed));

        ASSERT_EQ(frame->devices().size(), 1u);
        EXPECT_EQ(listed_path(0), vanta_kit::upper_case_path(calculator_path(3 - removed)));
        EXPECT_EQ(main_frame::detected_count(), 1);
        EXPECT_EQ(status_text(frame->hwnd()), new_hardware_text);
        idle();
        EXPECT_EQ(status_text(frame->hwnd()), new_hardware_text);
        EXPECT_EQ(platform.find_device(calculator_path(3 - removed))->open_handles(), 2u)
            << "the remaining calculator's link stays open";

        frame.reset();
        platform.remove_device(calculator_path(3 - removed));
    }
}

TEST_F(frame_test, an_arrival_of_a_listed_interface_adds_no_second_entry) {
    // Plugged in while the frame was being created: found by the walk, then announced.
    vanta_sim::sim_device& calc =
        platform.add_device(calculator_path(1), calculator_with_version(older_firmware));
    start();
    EXPECT_EQ(take_later_firmware_prompts(frame->hwnd()), 1);

    arrive(calculator_path(1));

    EXPECT_EQ(frame->devices().size(), 1u);
    EXPECT_EQ(main_frame::detected_count(), 1);
    EXPECT_EQ(calc.model().commands_received(0xFA), 1u);
    EXPECT_EQ(take_later_firmware_prompts(frame->hwnd()), 0) << "asked once";

    platform.remove_device(calculator_path(1));
    remove(calculator_path(1));
    EXPECT_TRUE(frame->devices().empty());
    EXPECT_EQ(status_text(frame->hwnd()), no_calculator_text);
}

TEST_F(frame_test, an_arrival_replaces_a_listed_entry_whose_link_has_closed) {
    vanta_sim::sim_device& calc =
        platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    start();
    ASSERT_EQ(frame->devices().size(), 1u);
    // The link fails (the transport closes itself), and the device announces itself again.
    frame->devices()[0]->provider->close();
    arrive(calculator_path(1));

    ASSERT_EQ(frame->devices().size(), 1u);
    EXPECT_NE(frame->devices()[0]->provider->is_open(), 0) << "the new entry's link";
    EXPECT_EQ(calc.model().commands_received(0xFA), 2u) << "identified again";
    EXPECT_EQ(main_frame::detected_count(), 1);
    EXPECT_EQ(status_text(frame->hwnd()), new_hardware_text);

    frame.reset();
    platform.remove_device(calculator_path(1));
}

TEST_F(frame_test, a_calculator_plugged_in_again_gets_a_new_entry_and_identify) {
    start();
    vanta_sim::sim_device* first =
        &platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    arrive(calculator_path(1));
    platform.remove_device(calculator_path(1));
    remove(calculator_path(1));
    EXPECT_EQ(status_text(frame->hwnd()), no_calculator_text);

    vanta_sim::sim_device& again =
        platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    arrive(calculator_path(1));

    EXPECT_EQ(first->model().commands_received(0xFA), 1u);
    EXPECT_EQ(again.model().commands_received(0xFA), 1u);
    EXPECT_EQ(frame->devices().size(), 1u);
    EXPECT_EQ(status_text(frame->hwnd()), new_hardware_text);
}

TEST_F(frame_test, idle_update_restores_the_pane_after_anything_else_wrote_into_it) {
    start();
    frame->status_bar().set_pane_text(0, L"Something else");
    idle();
    EXPECT_EQ(status_text(frame->hwnd()), no_calculator_text);

    platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    arrive(calculator_path(1));
    frame->status_bar().set_pane_text(0, L"Something else");
    idle();
    EXPECT_EQ(status_text(frame->hwnd()), new_hardware_text);
}

// Resources of a language library that lacks the hardware texts.
class missing_strings_test : public frame_test {
protected:
    void SetUp() override {
        frame_test::SetUp();
        library_ = ::LoadLibraryW(L"vanta_test_no_strings.dll");
        ASSERT_NE(library_, nullptr);
        std::wstring text;
        ASSERT_FALSE(fw::load_string(library_, IDS_NO_CALCULATOR_DETECTED, text));
    }
    void TearDown() override {
        fw::set_resource_module(nullptr);
        frame_test::TearDown();
        if (library_) ::FreeLibrary(library_);
    }
    HMODULE library_ = nullptr;
};

TEST_F(missing_strings_test, hardware_pane_falls_back_to_the_built_in_texts) {
    platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    start();
    fw::set_resource_module(library_);

    idle();
    EXPECT_EQ(status_text(frame->hwnd()), L"New Hardware Detected");
    platform.remove_device(calculator_path(1));
    remove(calculator_path(1));
    EXPECT_EQ(status_text(frame->hwnd()), L"No Hardware Detected");
    idle();
    EXPECT_EQ(status_text(frame->hwnd()), L"No Hardware Detected");
    platform.add_device(calculator_path(2), calculator_with_version(current_firmware));
    arrive(calculator_path(2));
    EXPECT_EQ(status_text(frame->hwnd()), L"New Hardware Detected");
}

TEST_F(frame_test, destroying_the_frame_stops_notifications_then_releases_entries) {
    platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    platform.add_device(calculator_path(2), calculator_with_version(current_firmware));
    start();
    HWND notifications = notification_window();
    ASSERT_EQ(platform.open_handles(), 4u);

    // The window goes as on closing; the object lives on until its owner lets go.
    frame->destroy();
    EXPECT_FALSE(::IsWindow(notifications)) << "no device message can arrive any more";
    EXPECT_EQ(frame->hid_notification(), nullptr);
    EXPECT_EQ(frame->hub_notification(), nullptr);
    EXPECT_EQ(frame->devices().size(), 2u);

    frame.reset();
    EXPECT_EQ(platform.open_handles(), 0u);
    EXPECT_EQ(main_frame::detected_count(), 0);
}

}  // namespace
}  // namespace vanta_test
