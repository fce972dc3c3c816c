// The Windows side of hot-plug monitoring: registering a window for device-interface
// notifications, and reading the broadcast record that WM_DEVICECHANGE carries. UI thread
// only.
#pragma once

#include <windows.h>

#include <dbt.h>

#include <optional>
#include <string>

#include "framework/unique_handle.h"

namespace vanta_kit {

// The HID interface class (HidD_GetHidGuid).
GUID hid_interface_class();
// The USB hub interface class {F18A0E88-C30C-11D0-8815-00A0C906BED8}.
extern const GUID usb_hub_interface_class;

// RegisterDeviceNotificationW for arrivals and removals of `interface_class` on `window`.
// The handle is empty when the registration failed.
fw::device_notification register_interface_notification(HWND window, const GUID& interface_class);

// The device path of a HID interface's broadcast record. nullopt for any other record (another
// device type, another interface class, or too short to say). The path is read only within the
// record's stated size, up to its terminator, so a record without one cannot be overrun.
std::optional<std::wstring> hid_interface_path(const DEV_BROADCAST_HDR* record);

}  // namespace vanta_kit
