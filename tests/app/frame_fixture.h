// Hosting the main frame in a test: simulated calculators behind the frame's device seams,
// notifications sent to its hidden window as the system sends them, and what a user would see
// of the status bar.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/main_frame.h"
#include "tests/support/sim_device_bus/device_change_sender.h"
#include "tests/support/sim_device_bus/sim_device_queries.h"

namespace vanta_test {

inline constexpr wchar_t no_calculator_text[] = L"No Calculator Detected";
inline constexpr wchar_t new_hardware_text[] = L"New Hardware Detected";

// A main frame that counts the recovery arrivals it is told about, then handles them as
// usual.
class observed_frame : public main_frame {
public:
    using main_frame::main_frame;
    int recovery_arrivals = 0;
    void on_recovery_device_arrival() override {
        ++recovery_arrivals;
        main_frame::on_recovery_device_arrival();
    }
};

// Firmware version bytes as the identify reply carries them (most significant first).
vanta_sim::calc_config calculator_with_version(std::uint64_t version);
vanta_sim::calc_config device_with_ids(std::uint16_t vendor_id, std::uint16_t product_id);

// A calculator's device path (as the platform reports them: lower case).
std::wstring calculator_path(int number);

// The text of pane 0 as another process would read it (WM_GETTEXT on the bar).
std::wstring status_text(HWND frame);
// Takes the queued later-firmware prompt commands off the frame's queue and counts them.
int take_later_firmware_prompts(HWND frame);
// Handles whatever is queued for this thread (WM_QUIT included, which is dropped).
void drain_messages();

class frame_test : public ::testing::Test {
protected:
    vanta_sim::sim_hid_platform platform;
    vanta_sim::sim_device_queries queries{platform};
    std::unique_ptr<observed_frame> frame;

    void SetUp() override;
    void TearDown() override;

    // Creates the frame, which enumerates the devices present now.
    void start();
    main_frame::device_seams seams() { return {&queries, &platform}; }
    LRESULT arrive(const std::wstring& path);
    LRESULT arrive(const GUID& interface_class, const std::wstring& path);
    LRESULT remove(const std::wstring& path);
    HWND notification_window() const { return frame->dev_change_wnd().hwnd(); }
    // Runs the idle-time update of the frame's status bar.
    void idle() { frame->on_idle_update(); }
    std::wstring listed_path(std::size_t index) const {
        return frame->devices().at(index)->device_path;
    }
};

}  // namespace vanta_test
