// Hosting the firmware update flow: a main frame with simulated calculators, run in a working
// directory of its own that holds the version file (0x7222201200000000, from the test
// environment) and a copy of the "Updater.exe" stand-in. The flow's system calls (the beep,
// the prompts, the process start) are recorded on their way to the real functions, and a
// second thread plays the user: it waits for each window the flow opens and answers it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/unique_handle.h"
#include "tests/app/frame_fixture.h"
#include "tests/app/import_spy.h"
#include "tests/support/sim_device_bus/device_change_sender.h"

namespace vanta_test {

inline constexpr std::uint64_t older_firmware = 0x7222201100000000ull;
inline constexpr std::uint64_t current_firmware = 0x7222201200000000ull;
inline constexpr std::uint64_t newer_firmware = 0x7322201200000000ull;

inline constexpr wchar_t later_text[] =
    L"A later version of the firmware is available. Would you like to update?";
inline constexpr wchar_t current_text[] =
    L"Your firmware version is already current. Would you still like to update?";
inline constexpr wchar_t newer_text[] =
    L"Your calculator version is already current. Do you still wish to continue ?";

// One CreateProcessW call of the flow, as it was asked for.
struct process_start {
    std::wstring application;
    std::wstring command_line;
    bool command_line_writable = false;
    bool security_attributes = false;  // any given
    BOOL inherit_handles = TRUE;
    DWORD creation_flags = 0;
    bool environment = false;  // a block of its own given
    bool directory = false;    // a directory of its own given
    DWORD startup_size = 0;
    bool startup_rest_zero = false;
    BOOL created = FALSE;
    // The handles as the flow received them; the flow is expected to close them at once.
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
    // Our own handle on the process, to wait for its end.
    std::shared_ptr<fw::kernel_handle> watch;
};

// One MessageBoxW call.
struct prompt_call {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
    int answer = 0;
};

// What the spies saw, oldest first.
struct system_calls {
    std::vector<UINT> beeps;
    std::vector<prompt_call> prompts;
    std::vector<process_start> starts;
};

// A window the user saw, before acting on it.
struct shown_window {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring message;  // a message box's text (static control 0xFFFF)
    HWND owner = nullptr;
    std::size_t beeps_before = 0;  // beeps heard before it showed up
    bool frame_enabled = true;     // whether the frame took input meanwhile
};

// What the user does with a window.
using user_action = std::function<void(HWND)>;
user_action press(int id);
// A key pressed while the window has the keyboard (VK_RETURN, VK_ESCAPE).
user_action press_key(WORD key);
// The close box.
user_action close_box();

// A copy of the "Updater.exe" stand-in in `folder`.
bool place_updater(const std::filesystem::path& folder);

// Paths compared as the file system does, without regard to case.
bool same_path(const std::wstring& a, const std::wstring& b);

// `start` asked for the updater in `directory` with `command_line` and exactly the arguments
// the program passes, the process was created, and both of its handles were closed by the time
// the flow returned.
void expect_updater_start(const process_start& start, const std::filesystem::path& directory,
                          const std::wstring& command_line);
// `run` (a line of the stand-in's record) is a start in `directory` with `command_line`.
void expect_updater_run(const std::vector<std::wstring>& run,
                        const std::filesystem::path& directory, const std::wstring& command_line);

class update_flow_test : public frame_test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs `modal` on this thread; meanwhile a second thread answers, in order, each window of
    // this process that shows up, the n-th with actions[n]. Windows beyond the actions are
    // closed and still reported, so an unexpected window shows up in the result.
    std::vector<shown_window> as_user(const std::function<void()>& modal,
                                      std::vector<user_action> actions);
    // A menu command, as choosing it would run it.
    void command(UINT id) { EXPECT_TRUE(frame->execute_command(id)); }
    // Plugs calculator `number` in and, once the frame exists, tells it; a later-firmware
    // prompt stays queued.
    vanta_sim::sim_device& plug_in(int number, std::uint64_t version);
    // Pulls calculator `number` out and tells the frame.
    void pull_out(int number);
    // How often calculator `number` (the last one plugged in under it) received 0xE6.
    std::uint32_t update_starts(int number);

    // The spies' record.
    const system_calls& calls() const;
    // Waits for the updaters started so far, then starts a fresh record and log.
    void forget_calls();
    // Each started updater's record (command line, working directory, own path), once every
    // started updater has ended.
    std::vector<std::vector<std::wstring>> updater_runs();

    std::filesystem::path folder;  // the working directory
    std::filesystem::path log;     // where the stand-in records its starts
    std::wstring recovery_path =
        L"\\\\?\\hid#vid_066f&pid_3770#6&1a2b3c4d&0&0000#"
        L"{4d1e55b2-f16f-11cf-88cb-001111000030}";

private:
    std::vector<std::unique_ptr<import_spy>> spies_;
    std::map<int, vanta_sim::sim_device*> plugged_;
};

}  // namespace vanta_test
