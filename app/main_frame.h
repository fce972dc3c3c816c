// The program's main window: an MDI frame with a status bar whose first pane says whether a
// calculator is connected, and the list of connected calculators. Discovery reports arrivals
// and removals to it (as its device_sink), through the hidden DevChangeWnd at run time and by
// enumerate_calculators at creation.
//
// The frame's code is split by concern:
//   main_frame.cpp              construction, creation, destruction, status bar
//   main_frame_devices.cpp      the device list, hot-plug set-up, the hardware pane
//   main_frame_dev_change_wnd.cpp  the hidden window that receives WM_DEVICECHANGE
//   main_frame_update_flow.cpp  the firmware update commands and the recovery device
//   main_frame_help.cpp         the Help and Check for Updates commands
//   main_frame_language.cpp     the Language submenu and the choice of a language
// Each concern maps its own commands from a map_..._commands() member called by the
// constructor.
//
// UI thread only. Device messages can arrive while a modal dialog of the frame is open, so the
// device list may change under any handler that runs a modal loop: such handlers must look up
// entries again afterwards instead of keeping pointers across the loop.
#pragma once

#include <windows.h>

#include <dbt.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/device_entry.h"
#include "app/language_support.h"
#include "calc_link/discovery.h"
#include "calc_link/hid_platform.h"
#include "framework/mdi_frame_window.h"
#include "framework/status_bar.h"
#include "framework/unique_handle.h"

class main_frame : public fw::mdi_frame_window, public vanta_kit::device_sink {
public:
    // The hidden window that device-change notifications are registered for.
    class DevChangeWnd : public fw::window {
    public:
        // The frame that holds this window; none until hot-plug set-up is complete.
        main_frame* owner = nullptr;

        // An arrival or removal of a HID interface reaches the owner; everything else
        // (other events, other device types and interface classes, no record) is ignored.
        // Always true.
        bool on_device_change(unsigned event_type, const DEV_BROADCAST_HDR* record);

    protected:
        LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    };

    // Where the frame reaches devices: the device queries of discovery and the HID platform of
    // the calculator links it opens. Tests pass simulated ones.
    struct device_seams {
        vanta_kit::device_queries* queries;
        vanta_kit::hid_platform* platform;
    };
    // The real SetupAPI, HID class driver and file operations.
    static device_seams system_device_seams();

    explicit main_frame(device_seams seams = system_device_seams());
    ~main_frame() override;

    // Discovery (main_frame_devices.cpp).
    // Creates the hidden window and registers it for HID and USB hub interface
    // notifications; without the window nothing is registered.
    void setup_hot_plug();
    // Adds the calculators that are attached now. Runs once, from creation.
    void enumerate_calculators();
    // Opens and identifies the calculator at `path`; a calculator that answers with a
    // version is listed, and one whose firmware is older than the version file's brings up
    // the later-firmware prompt (command ID_LATER_FIRMWARE_PROMPT, posted). A path that is
    // listed already is left as it is.
    void add_calculator(std::wstring path, const vanta_kit::hid_caps* caps) override;
    // Drops the entry whose stored path equals `path` (both upper-cased), if any.
    void remove_calculator(std::wstring path) override;
    // A calculator in recovery mode arrived (main_frame_update_flow.cpp).
    void on_recovery_device_arrival() override;
    // Idle-time state of the hardware pane: whether any calculator is connected.
    void update_hardware_pane(fw::cmd_ui& ui);

    // The connected calculators, oldest first.
    const std::vector<std::unique_ptr<device_entry>>& devices() const noexcept {
        return device_list_;
    }
    // The number of listed calculators in the process.
    static std::int32_t detected_count() noexcept { return detected_count_; }

    // True once the updater has been started and no recovery device has arrived since.
    bool updater_started() const noexcept { return updater_started_; }
    void set_updater_started(bool started) noexcept { updater_started_ = started; }

    // Firmware update flow (main_frame_update_flow.cpp). Every road asks the user first and
    // then starts "Updater.exe" from the current working directory.
    // "Update Calculator" (format false) and "Format && Update Calculator" (format true): asks
    // about the first listed calculator, with a text that says how its firmware compares with
    // the version file's.
    void update_calculator(bool format);
    // True when no calculator is listed, after the information beep and the "Firmware Update"
    // box have told the user so.
    bool check_no_calculator();
    // Starts the updater; when that works, marks it as started and, when `entry` is given,
    // tells that calculator that an update starts (command 0xE6). A failed start is reported
    // in an error box and changes nothing else. `entry` is used before anything modal opens,
    // so it is valid where it is used.
    void launch_updater(device_entry* entry, bool format);

    // Help (main_frame_help.cpp): opens the updater's PDF help in the interface language
    // ("Updater Help.pdf" for US English, else "Updater Help CHS.pdf", from the working
    // directory) with the program the shell associates with it.
    void open_help();
    // Hands the program's identity, version tag and the interface language to the update
    // library: a scheduled check (returns at once; its notification runs on the library's
    // thread and leaves the frame alone) or, from the menu, the update dialog (returns when it
    // closes; the frame is disabled meanwhile, and a check asked for while it is disabled is
    // not started). Either way the library ends the program once it has opened a downloaded
    // installer.
    void check_for_updates(bool automatic);
    // "_2012_2_22": the program's own version as the update library compares it.
    static std::wstring update_version_tag();

    // Interface language (main_frame_language.cpp). The Language submenu is built afresh
    // each time the File popup asks item ID_LANGUAGE for its state.
    void build_language_menu(fw::cmd_ui& ui);
    // Stores the language of command `id` for the next start and says, in that language,
    // that the program must restart; commands beyond the listed languages are ignored.
    void choose_language(UINT id);
    // The application's language_support unless another was set (tests).
    language_support& language() const;
    void set_language_support(language_support* language) noexcept { language_ = language; }

    DevChangeWnd& dev_change_wnd() noexcept { return dev_change_wnd_; }
    fw::status_bar& status_bar() noexcept { return status_bar_; }
    HDEVNOTIFY hid_notification() const noexcept { return hid_notification_.get(); }
    HDEVNOTIFY hub_notification() const noexcept { return hub_notification_.get(); }

protected:
    // Status bar, hot-plug set-up, then the calculators already attached.
    int on_create(CREATESTRUCTW* create) override;
    // Notifications stop with the window, so that none reaches a frame without one.
    void on_destroy() override;

private:
    void map_device_commands();
    void map_update_flow_commands();
    void map_help_commands();
    void map_language_commands();

    const wchar_t* help_file_name() const;

    // Runs `modal`, a dialog the frame does not own, with the frame disabled, so that no second
    // dialog can be opened over it from the frame's menus; then enables and activates the
    // frame again.
    void run_with_frame_disabled(const std::function<void()>& modal);

    // Handler of the later-firmware prompt command (main_frame_update_flow.cpp).
    void prompt_later_firmware();
    // Asks `text` under the prompts' caption and, on OK, starts the updater for the calculator
    // listed under `path` when it is still listed then.
    void confirm_update(const std::wstring& text, std::wstring path, bool format);
    // The listed entry whose stored path is `path`, or nullptr.
    device_entry* listed_device(const std::wstring& path) const;
    // Says that the updater could not be started, and why (`error`, a system error code).
    void report_updater_failure(std::uint32_t error);

    vanta_kit::usb_identity calculator_identity() const;
    void show_hardware_state(bool detected);
    // Unregisters both notifications and destroys the hidden window; harmless when repeated.
    void stop_hot_plug();
    void release_devices();

    device_seams seams_;
    std::vector<std::unique_ptr<device_entry>> device_list_;
    fw::device_notification hid_notification_;
    fw::device_notification hub_notification_;
    DevChangeWnd dev_change_wnd_;
    fw::status_bar status_bar_;
    bool updater_started_ = false;
    language_support* language_ = nullptr;

    // Raised and lowered with every entry listed or released, so it always equals the number
    // of entries.
    static std::int32_t detected_count_;
};
