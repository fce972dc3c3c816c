// Tells a program about device arrivals and removals the way the system does: WM_DEVICECHANGE
// sent to its notification window with a DEV_BROADCAST_DEVICEINTERFACE_W that carries the
// interface class and the device path. Wine copies the record into the other process.
// Windows.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "tests/support/test_hid_stack/sim_files.h"

namespace e2e {

inline constexpr DWORD default_notification_timeout_ms = 30000;
// {F18A0E88-C30C-11D0-8815-00A0C906BED8}, the USB hub interface class.
inline constexpr GUID usb_hub_interface_class = {
    0xF18A0E88, 0xC30C, 0x11D0, {0x88, 0x15, 0x00, 0xA0, 0xC9, 0x06, 0xBE, 0xD8}};

struct device_change {
    WPARAM event = 0x8000;  // DBT_DEVICEARRIVAL; 0x8004 is DBT_DEVICEREMOVECOMPLETE
    std::wstring path;
    GUID interface_class = hid_stack::hid_interface_class;
};

// Sends the notification and waits until the window has handled it: when this returns, the
// program has done everything the notification sets off (an identify exchange, say), apart
// from what it posted for later. False if the window did not answer in time.
bool send_device_change(HWND window, const device_change& change,
                        DWORD timeout_ms = default_notification_timeout_ms);

// For a notification whose handling opens a modal dialog: it is sent from a thread of its
// own, so the test can drive the dialog meanwhile and then wait for the handling to end.
class pending_device_change {
public:
    pending_device_change(HWND window, device_change change,
                          DWORD timeout_ms = default_notification_timeout_ms);
    // Gives up waiting (the sending thread is left to finish on its own).
    ~pending_device_change();
    pending_device_change(const pending_device_change&) = delete;
    pending_device_change& operator=(const pending_device_change&) = delete;

    // True once the window has handled the notification.
    bool wait(DWORD timeout_ms = default_notification_timeout_ms);

private:
    struct state;
    static DWORD WINAPI send(void* held);
    std::shared_ptr<state> state_;
};

}  // namespace e2e
