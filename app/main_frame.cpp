#include "app/main_frame.h"

#include "app/resource.h"
#include "calc_link/discovery_queries.h"
#include "framework/framework_ids.h"

namespace {

const UINT status_indicators[] = {
    ID_INDICATOR_HARDWARE,
    ID_INDICATOR_CAPS,
    ID_INDICATOR_NUM,
    ID_INDICATOR_SCRL,
};

}  // namespace

main_frame::device_seams main_frame::system_device_seams() {
    return {&vanta_kit::system_device_queries(), &vanta_kit::system_hid_platform()};
}

main_frame::main_frame(device_seams seams) : seams_(seams) {
    map_device_commands();
    map_update_flow_commands();
    map_help_commands();
    map_language_commands();
}

main_frame::~main_frame() {
    // The window goes first (stopping hot-plug monitoring), as it would have before this
    // object if it had been closed; the entries still listed go last.
    destroy();
    stop_hot_plug();
    release_devices();
}

void main_frame::on_destroy() { stop_hot_plug(); }

int main_frame::on_create(CREATESTRUCTW* create) {
    if (fw::mdi_frame_window::on_create(create) == -1) return -1;
    if (!status_bar_.create(hwnd(), WS_CHILD | WS_VISIBLE | fw::CBRS_BOTTOM, AFX_IDW_STATUS_BAR)) {
        return -1;
    }
    status_bar_.set_indicators(status_indicators, 4);
    status_bar_.set_pane_info(0, ID_INDICATOR_HARDWARE, fw::SBPS_STRETCH, 0);
    // Hot-plug set-up before the walk over present devices, so that nothing that arrives in
    // between goes unnoticed.
    setup_hot_plug();
    enumerate_calculators();
    return 0;
}

void main_frame::run_with_frame_disabled(const std::function<void()>& modal) {
    HWND frame = hwnd();
    const bool was_enabled = frame && !::EnableWindow(frame, FALSE);
    modal();
    if (!was_enabled) return;
    ::EnableWindow(frame, TRUE);
    ::SetForegroundWindow(frame);
}
