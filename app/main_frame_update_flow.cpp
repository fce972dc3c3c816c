// The firmware update flow of the main frame: the Update menu's commands, the question that
// follows the arrival of a calculator with older firmware, the offer for a recovery device, and
// the start of the updater.
//
// Each prompt runs a modal loop that keeps delivering device notifications, so a calculator can
// be released while the user thinks. A prompt therefore remembers the calculator's device path
// and looks it up again once answered: a calculator that has gone gets no command byte, but the
// updater is still started as the user asked (it finds the device by itself, as it does for a
// recovery device).
#include <windows.h>

#include "app/calc_detected_dialog.h"
#include "app/main_frame.h"
#include "app/message_box.h"
#include "app/resource.h"
#include "app/updater_launch.h"
#include "app/velmo_app.h"
#include "framework/resources.h"

namespace {

constexpr wchar_t later_firmware_text[] =
    L"A later version of the firmware is available. Would you like to update?";
constexpr wchar_t firmware_current_text[] =
    L"Your firmware version is already current. Would you still like to update?";
constexpr wchar_t calculator_current_text[] =
    L"Your calculator version is already current. Do you still wish to continue ?";

// The question for a calculator whose firmware compares as `comparison` with the version file's.
std::wstring update_question(int comparison) {
    if (comparison == -1) {
        return fw::load_string_or(IDS_LATER_FIRMWARE_AVAILABLE, later_firmware_text);
    }
    if (comparison == 0) {
        return fw::load_string_or(IDS_FIRMWARE_ALREADY_CURRENT, firmware_current_text);
    }
    return fw::load_string_or(IDS_CALCULATOR_ALREADY_CURRENT, calculator_current_text);
}

}  // namespace

void main_frame::map_update_flow_commands() {
    commands().on_command(ID_UPDATE_CALCULATOR, [this] { update_calculator(false); });
    commands().on_command(ID_FORMAT_AND_UPDATE_CALCULATOR, [this] { update_calculator(true); });
    commands().on_command(ID_LATER_FIRMWARE_PROMPT, [this] { prompt_later_firmware(); });
}

bool main_frame::check_no_calculator() {
    if (!device_list_.empty()) return false;
    ::MessageBeep(MB_ICONASTERISK);
    message_box box(*this);
    box.do_modal();
    return true;
}

void main_frame::update_calculator(bool format) {
    if (check_no_calculator()) return;
    const device_entry& first = *device_list_.front();
    const std::uint64_t version = first.provider ? first.provider->get_version() : 0;
    confirm_update(update_question(the_app.compare_version(version)), first.device_path, format);
}

void main_frame::prompt_later_firmware() {
    // The list is looked at now, not when the command was posted: the calculator may be gone.
    if (device_list_.empty()) return;
    // No second comparison: the arrival found the firmware older. The first listed calculator
    // is asked about, whichever arrival posted the command.
    confirm_update(fw::load_string_or(IDS_LATER_FIRMWARE_AVAILABLE, later_firmware_text),
                   device_list_.front()->device_path, false);
}

void main_frame::confirm_update(const std::wstring& text, std::wstring path, bool format) {
    // Without the caption string the prompt has an empty caption.
    std::wstring caption;
    fw::load_string(IDS_FIRMWARE_UPGRADE, caption);
    if (::MessageBoxW(hwnd(), text.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONQUESTION) !=
        IDOK) {
        return;
    }
    launch_updater(listed_device(path), format);
}

device_entry* main_frame::listed_device(const std::wstring& path) const {
    for (const auto& entry : device_list_) {
        if (entry->device_path == path) return entry.get();
    }
    return nullptr;
}

void main_frame::launch_updater(device_entry* entry, bool format) {
    const std::uint32_t error = start_updater(format);
    if (error != 0) {
        // The flag stays as it was: no updater will bring up a recovery device, so the next
        // one is still offered the updater. The calculator gets no command byte either, since
        // nothing would take it over.
        report_updater_failure(error);
        return;
    }
    if (entry && entry->provider) entry->provider->signal_update_start();
    updater_started_ = true;
}

void main_frame::report_updater_failure(std::uint32_t error) {
    std::wstring caption;
    fw::load_string(IDS_FIRMWARE_UPGRADE, caption);
    const std::wstring text = updater_start_failure_text(error);
    ::MessageBoxW(hwnd(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

void main_frame::on_recovery_device_arrival() {
    // The arrival that follows a start of the updater is the updater's own doing.
    if (updater_started_) {
        updater_started_ = false;
        return;
    }
    // Owned by the hidden window, the offer would otherwise leave the frame free to cover it.
    calc_detected_dialog offer(dev_change_wnd_.hwnd());
    INT_PTR choice = IDCANCEL;
    run_with_frame_disabled([&] { choice = offer.do_modal(); });
    // No calculator of the list is meant here, so no command byte is sent.
    if (choice == ID_FORMAT_AND_UPDATE_CALCULATOR) {
        launch_updater(nullptr, true);
    } else if (choice == ID_UPDATE_CALCULATOR) {
        launch_updater(nullptr, false);
    }
}
