// One run of the released vanta.exe under test, in a folder of its own:
//   <build>\e2e\<name>\app   vanta.exe, OrvUpdateCheck.dll, language libraries and the
//                            test hid.dll and setupapi.dll, which it loads instead of Wine's
//   <build>\e2e\<name>\work  its working directory: "version" file, "Updater.exe" stand-in
//   <build>\e2e\<name>\sim   its simulated HID devices
// Devices plugged in before start() are there when vanta starts; plug_in and pull_out after
// it also send the notification and return once vanta has handled it. Windows.
//
//   e2e::vanta_app app(L"two_calculators");
//   ASSERT_TRUE(app.start());
//   auto calc = app.plug_in(hid_stack::calculator_device(u"Lab", 0x7222201200000000));
//   EXPECT_EQ(app.status(), L"New Hardware Detected");
//   app.screenshot(L"one_calculator");
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/test_hid_stack/device_description.h"
#include "tests/support/test_hid_stack/harness/device_notifier.h"
#include "tests/support/test_hid_stack/harness/process_launcher.h"
#include "tests/support/test_hid_stack/harness/registry_values.h"
#include "tests/support/test_hid_stack/harness/sim_dir.h"

namespace e2e {

struct vanta_setup {
    // Contents of the "version" file in the working directory; no file when unset.
    std::optional<std::string> version_file;
    bool updater = true;          // the "Updater.exe" stand-in in the working directory
    bool chinese_library = true;  // vantaCHS.dll beside the program, when the build has it
    // The Traditional Chinese libraries (vantaCHT.dll, vantaZHH.dll, vantaZHM.dll) as well.
    bool traditional_chinese_libraries = false;
    // The German, French, Spanish, Brazilian Portuguese, Japanese and Korean libraries as well.
    bool more_languages = false;
    // The machine's update server setting (HKLM ...\\Orvatec\\UpdateCheck "Server"), "host:port",
    // written before every start. The default is a port nothing listens on, so the
    // update check at start-up stays on this machine and fails at once.
    std::wstring update_server = L"127.0.0.1:9";
    environment_changes environment;  // further variables for the program
    // "LanguageId" in vanta's settings, written before every start, so that neither an
    // earlier run nor the system's language decides the interface language: 0x0409 English
    // (the program's own), 0x0804 Simplified Chinese (vantaCHS.dll).
    DWORD language_id = 0x0409;
    // Further per-user values written before every start (update checker settings, say).
    std::vector<registry_dword> registry;
};

inline constexpr wchar_t vanta_settings_key[] = L"Software\\Orvatec\\Orv Vanta Kit";

class vanta_app {
public:
    // Whether the build has vanta.exe.
    static bool built();

    explicit vanta_app(const std::wstring& name, vanta_setup setup = {});
    // Stops vanta if it still runs.
    ~vanta_app();
    vanta_app(const vanta_app&) = delete;
    vanta_app& operator=(const vanta_app&) = delete;

    // False when the folder could not be prepared (nothing to start then).
    bool ready() const { return ready_; }
    const std::wstring& folder() const { return folder_; }
    const std::wstring& app_dir() const { return app_dir_; }
    const std::wstring& work_dir() const { return work_dir_; }
    sim_dir& devices() { return devices_; }

    // Starts vanta and waits until its frame, status bar and notification window exist.
    bool start(DWORD timeout_ms = 30000);
    // A further vanta process from the same folder, with the same environment.
    std::optional<child_process> start_another();
    // Closes the frame as the close box would and waits for the process to end; terminates it
    // if it does not. True when it ended on its own.
    bool stop(DWORD timeout_ms = 15000);
    child_process* process() { return process_ ? &*process_ : nullptr; }

    HWND frame() const;
    HWND device_change_window() const;
    HWND status_bar() const;
    std::wstring title() const;
    // The text of the status bar's first pane.
    std::wstring status() const;
    bool wait_for_status(const std::wstring& text, DWORD timeout_ms = 10000) const;
    // Visible top-level windows of vanta other than its frame.
    std::vector<HWND> dialogs() const;
    // A dialog or message box of vanta with this exact caption; null after the timeout.
    HWND wait_for_dialog(const std::wstring& caption, DWORD timeout_ms = 15000) const;
    // A menu or accelerator command, as choosing it would send it to the frame (posted: the
    // call does not wait for what the command sets off, a modal prompt say).
    bool command(UINT id) const;

    sim_device plug_in(const hid_stack::device_description& description);
    // For an arrival that opens a dialog: drive the dialog, then wait() on the result.
    std::unique_ptr<pending_device_change> plug_in_async(
        const hid_stack::device_description& description, sim_device& plugged);
    bool pull_out(const sim_device& device);
    // Any notification: for removal paths in another case, foreign interface classes...
    bool notify(const device_change& change);

    // The frame and every dialog of vanta, as <build>\e2e\screenshots\<name>.png.
    bool screenshot(const std::wstring& name);

    // The lines the "Updater.exe" stand-in logged, one per start:
    // command line, tab, working directory, tab, its own path.
    std::vector<std::string> updater_starts() const;

private:
    launch_options launch_settings() const;
    bool write_settings() const;

    std::wstring folder_, app_dir_, work_dir_;
    vanta_setup setup_;
    sim_dir devices_;
    bool ready_ = false;
    std::optional<child_process> process_;
};

}  // namespace e2e
