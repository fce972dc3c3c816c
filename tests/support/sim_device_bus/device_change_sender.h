// Sends WM_DEVICECHANGE to a window as the system would: a device-interface broadcast record
// (DEV_BROADCAST_DEVICEINTERFACE_W) sized to hold the whole device path. Windows only.
#pragma once

#include <windows.h>

#include <dbt.h>

#include <cstddef>
#include <string>
#include <vector>

namespace vanta_sim {

// The HID interface class, as the HID class driver gives it.
GUID hid_class_guid();

// A broadcast record for `path` of interface class `interface_class`.
std::vector<std::byte> interface_record(const GUID& interface_class, const std::wstring& path);

// Sends `event` (DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE, ...) with `record`; returns the
// window's answer.
LRESULT send_device_change(HWND window, WPARAM event, const std::vector<std::byte>& record);
LRESULT send_device_change(HWND window, WPARAM event, const GUID& interface_class,
                           const std::wstring& path);

}  // namespace vanta_sim
