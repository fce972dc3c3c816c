#include "tests/support/test_hid_stack/harness/vanta_app.h"

#include "tests/support/machine_settings.h"
#include "tests/support/signing/trusted_publishers.h"

#include "tests/support/dialog_driver/dialog_driver.h"
#include "tests/support/test_hid_stack/harness/app_windows.h"
#include "tests/support/test_hid_stack/harness/file_system.h"
#include "tests/support/test_hid_stack/harness/screenshot.h"
#include "tests/support/test_hid_stack/harness/wine_prefix_setup.h"

namespace e2e {

namespace {

constexpr wchar_t program_name[] = L"vanta.exe";

std::wstring updater_log_path(const std::wstring& folder) {
    return join(folder, L"updater-starts.log");
}

bool copy_beside(const std::wstring& from_dir, const wchar_t* name, const std::wstring& to_dir) {
    return copy_file(join(from_dir, name), join(to_dir, name));
}

}  // namespace

bool vanta_app::built() { return file_exists(join(program_dir(), program_name)); }

vanta_app::vanta_app(const std::wstring& name, vanta_setup setup)
    : folder_(join(tests_root(), name)),
      app_dir_(join(folder_, L"app")),
      work_dir_(join(folder_, L"work")),
      setup_(std::move(setup)),
      devices_((make_fresh_dir(folder_), join(folder_, L"sim"))) {
    static const bool prefix_prepared = prepare_wine_display(program_name);
    const std::wstring bin = program_dir();
    ready_ = prefix_prepared && devices_.ok() && make_dirs(app_dir_) && make_dirs(work_dir_) &&
             copy_beside(bin, program_name, app_dir_) &&
             copy_beside(bin, L"OrvUpdateCheck.dll", app_dir_) &&
             copy_beside(test_hid_stack_dir(), L"hid.dll", app_dir_) &&
             copy_beside(test_hid_stack_dir(), L"setupapi.dll", app_dir_);
    if (setup_.chinese_library && file_exists(join(bin, L"vantaCHS.dll"))) {
        ready_ = ready_ && copy_beside(bin, L"vantaCHS.dll", app_dir_);
    }
    if (setup_.traditional_chinese_libraries) {
        for (const wchar_t* library : {L"vantaCHT.dll", L"vantaZHH.dll", L"vantaZHM.dll"}) {
            ready_ = ready_ && copy_beside(bin, library, app_dir_);
        }
    }
    if (setup_.more_languages) {
        for (const wchar_t* library : {L"vantaDEU.dll", L"vantaFRA.dll", L"vantaESN.dll",
                                       L"vantaPTB.dll", L"vantaJPN.dll", L"vantaKOR.dll"}) {
            ready_ = ready_ && copy_beside(bin, library, app_dir_);
        }
    }
    if (setup_.updater) ready_ = ready_ && copy_beside(bin, L"Updater.exe", work_dir_);
    if (setup_.version_file) {
        ready_ = ready_ && hid_stack::write_file(join(work_dir_, L"version"), *setup_.version_file);
    }
}

vanta_app::~vanta_app() {
    if (process_ && process_->running()) stop();
}

launch_options vanta_app::launch_settings() const {
    launch_options options;
    options.application = join(app_dir_, program_name);
    options.working_directory = work_dir_;
    options.test_hid_stack = true;
    options.environment = {
        {hid_stack::sim_dir_variable, devices_.folder()},
        {L"VANTA_UPDATER_LOG", updater_log_path(folder_)},
    };
    options.environment.insert(options.environment.end(), setup_.environment.begin(),
                               setup_.environment.end());
    return options;
}

bool vanta_app::start(DWORD timeout_ms) {
    if (!ready_ || process_ || !write_settings()) return false;
    process_ = child_process::launch(launch_settings());
    if (!process_) return false;
    return dialog_driver::wait_until(
               [&] { return !process_->running() || (status_bar() && device_change_window()); },
               dialog_driver::milliseconds(timeout_ms)) &&
           process_->running();
}

bool vanta_app::write_settings() const {
    bool ok = set_dword(HKEY_CURRENT_USER, vanta_settings_key, L"LanguageId", setup_.language_id);
    ok &= test_support::set_update_machine_value(L"Server", REG_SZ, setup_.update_server + L'\0');
    // Packages served in these journeys are signed by the test publisher.
    std::wstring pin = test_signing::test_publisher_pin(program_dir());
    if (!pin.empty()) ok &= test_signing::set_trusted_publishers({pin});
    ok &= test_support::allow_unprotected_download_folder(true);
    for (const auto& value : setup_.registry) {
        ok &= set_dword(HKEY_CURRENT_USER, value.key, value.name, value.value);
    }
    return ok;
}

std::optional<child_process> vanta_app::start_another() {
    if (!ready_) return std::nullopt;
    return child_process::launch(launch_settings());
}

bool vanta_app::stop(DWORD timeout_ms) {
    if (!process_) return true;
    bool clean = false;
    if (HWND main = frame(); main && dialogs().empty()) {
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        clean = process_->wait_for_exit(timeout_ms).has_value();
    }
    if (!clean) process_->terminate();
    return clean;
}

HWND vanta_app::frame() const { return process_ ? find_frame_window(process_->id()) : nullptr; }

HWND vanta_app::device_change_window() const {
    return process_ ? find_device_change_window(process_->id()) : nullptr;
}

HWND vanta_app::status_bar() const { return find_status_bar(frame()); }

std::wstring vanta_app::title() const { return window_text(frame()); }

std::wstring vanta_app::status() const { return window_text(status_bar()); }

bool vanta_app::wait_for_status(const std::wstring& text, DWORD timeout_ms) const {
    return dialog_driver::wait_until([&] { return status() == text; },
                                     dialog_driver::milliseconds(timeout_ms));
}

std::vector<HWND> vanta_app::dialogs() const {
    return process_ ? open_dialogs(process_->id(), frame()) : std::vector<HWND>();
}

HWND vanta_app::wait_for_dialog(const std::wstring& caption, DWORD timeout_ms) const {
    if (!process_) return nullptr;
    return dialog_driver::wait_for_window(caption, process_->id(),
                                          dialog_driver::milliseconds(timeout_ms));
}

bool vanta_app::command(UINT id) const {
    HWND main = frame();
    return main && ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

sim_device vanta_app::plug_in(const hid_stack::device_description& description) {
    sim_device device = devices_.plug(description);
    if (!device.path.empty()) notify({0x8000, device.path});
    return device;
}

std::unique_ptr<pending_device_change> vanta_app::plug_in_async(
    const hid_stack::device_description& description, sim_device& plugged) {
    plugged = devices_.plug(description);
    return std::make_unique<pending_device_change>(device_change_window(),
                                                   device_change{0x8000, plugged.path});
}

bool vanta_app::pull_out(const sim_device& device) {
    return devices_.pull(device) && notify({0x8004, device.path});
}

bool vanta_app::notify(const device_change& change) {
    HWND target = device_change_window();
    return target && send_device_change(target, change);
}

bool vanta_app::screenshot(const std::wstring& name) {
    std::vector<HWND> windows = {frame()};
    for (HWND dialog : dialogs()) windows.push_back(dialog);
    return save_windows_png(windows, join(screenshot_dir(), name + L".png"));
}

std::vector<std::string> vanta_app::updater_starts() const {
    std::vector<std::string> lines;
    const std::string text = hid_stack::read_file(updater_log_path(folder_)).value_or("");
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace e2e
