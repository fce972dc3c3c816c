#include <optional>

#include "app/main_frame.h"
#include "calc_link/discovery_notifications.h"

bool main_frame::DevChangeWnd::on_device_change(unsigned event_type,
                                                const DEV_BROADCAST_HDR* record) {
    if (!record || !owner) return true;
    if (event_type != DBT_DEVICEARRIVAL && event_type != DBT_DEVICEREMOVECOMPLETE) return true;
    std::optional<std::wstring> path = vanta_kit::hid_interface_path(record);
    if (!path) return true;
    if (event_type == DBT_DEVICEARRIVAL) {
        vanta_kit::handle_interface_arrival(*owner->seams_.queries, owner->calculator_identity(),
                                            *path, *owner);
    } else {
        vanta_kit::handle_interface_removal(*path, *owner);
    }
    return true;
}

LRESULT main_frame::DevChangeWnd::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DEVICECHANGE) {
        on_device_change(static_cast<unsigned>(wparam),
                         reinterpret_cast<const DEV_BROADCAST_HDR*>(lparam));
        return TRUE;
    }
    return fw::window::window_proc(message, wparam, lparam);
}
