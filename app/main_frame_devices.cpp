#include <new>

#include "app/main_frame.h"
#include "app/resource.h"
#include "app/velmo_app.h"
#include "calc_link/discovery_notifications.h"
#include "framework/resources.h"

std::int32_t main_frame::detected_count_ = 0;

namespace {

constexpr std::int32_t provider_open_mode = 1;

}  // namespace

void main_frame::map_device_commands() {
    commands().on_update(ID_INDICATOR_HARDWARE,
                         [this](fw::cmd_ui& ui) { update_hardware_pane(ui); });
}

vanta_kit::usb_identity main_frame::calculator_identity() const {
    return {the_app.vendor_id, the_app.product_id};
}

void main_frame::setup_hot_plug() {
    const RECT area{0, 0, 5, 5};
    if (!dev_change_wnd_.create_ex(WS_EX_TOPMOST, L"STATIC", L"DeviceChangeWnd", 0, area, nullptr,
                                   0)) {
        return;
    }
    hid_notification_ = vanta_kit::register_interface_notification(
        dev_change_wnd_.hwnd(), vanta_kit::hid_interface_class());
    hub_notification_ = vanta_kit::register_interface_notification(
        dev_change_wnd_.hwnd(), vanta_kit::usb_hub_interface_class);
    dev_change_wnd_.owner = this;
}

void main_frame::stop_hot_plug() {
    hid_notification_.reset();
    hub_notification_.reset();
    dev_change_wnd_.owner = nullptr;
    dev_change_wnd_.destroy();
}

void main_frame::enumerate_calculators() {
    vanta_kit::enumerate_present_calculators(*seams_.queries, calculator_identity(), *this);
}

void main_frame::add_calculator(std::wstring path, const vanta_kit::hid_caps* caps) {
    std::wstring stored_path = vanta_kit::upper_case_path(path);
    // An interface that is listed already keeps its entry while its link is open: its arrival
    // can follow the start-up walk that found it, and a second entry would outlive the
    // device's removal. An entry whose link has closed (a failed transfer, or a removal that
    // never reached us) is of no more use and gives way to the new arrival.
    for (const auto& listed : device_list_) {
        if (listed->device_path != stored_path) continue;
        if (listed->provider && listed->provider->is_open() != 0) return;
        remove_calculator(stored_path);
        break;
    }
    auto entry = std::make_unique<device_entry>();
    entry->device_path = std::move(stored_path);
    entry->provider.reset(new (std::nothrow) vanta_kit::calc_data_provider_impl(*seams_.platform));
    std::uint64_t version = 0;
    if (entry->provider) {
        entry->provider->open(path, provider_open_mode);
        if (vanta_kit::io_base* io = entry->provider->get_io()) io->set_caps(caps);
        version = entry->provider->identify();
    }
    // No usable calculator: the entry is released unlisted.
    if (version == 0) return;

    device_list_.push_back(std::move(entry));
    ++detected_count_;
    show_hardware_state(true);
    if (the_app.compare_version(version) == -1) {
        // Posted, so the question comes after this arrival (or the whole start-up) is done.
        post(WM_COMMAND, ID_LATER_FIRMWARE_PROMPT, 0);
    }
}

void main_frame::remove_calculator(std::wstring path) {
    for (auto it = device_list_.begin(); it != device_list_.end(); ++it) {
        if ((*it)->device_path != path) continue;
        std::unique_ptr<device_entry> gone = std::move(*it);
        device_list_.erase(it);
        gone.reset();
        --detected_count_;
        if (detected_count_ == 0) show_hardware_state(false);
        return;
    }
}

void main_frame::update_hardware_pane(fw::cmd_ui& ui) {
    ui.enable(true);
    ui.set_text(detected_count_ != 0
                    ? fw::load_string_or(IDS_NEW_HARDWARE_DETECTED, L"New Hardware Detected")
                    : fw::load_string_or(IDS_NO_CALCULATOR_DETECTED, L"No Hardware Detected"));
}

void main_frame::show_hardware_state(bool detected) {
    status_bar_.set_pane_text(
        0,
        detected ? fw::load_string_or(IDS_NEW_HARDWARE_DETECTED, L"New Hardware Detected")
                 : fw::load_string_or(IDS_NO_CALCULATOR_DETECTED, L"No Hardware Detected"),
        true);
}

void main_frame::release_devices() {
    detected_count_ -= static_cast<std::int32_t>(device_list_.size());
    device_list_.clear();
}
