#include "calc_link/discovery_notifications.h"

extern "C" {
#include <hidsdi.h>
}

#include <cstddef>
#include <cstring>
#include <cwchar>

namespace vanta_kit {

const GUID usb_hub_interface_class = {
    0xF18A0E88, 0xC30C, 0x11D0, {0x88, 0x15, 0x00, 0xA0, 0xC9, 0x06, 0xBE, 0xD8}};

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32,
              "the filter record is 32 bytes on 32-bit Windows");

GUID hid_interface_class() {
    GUID hid_class{};
    ::HidD_GetHidGuid(&hid_class);
    return hid_class;
}

fw::device_notification register_interface_notification(HWND window, const GUID& interface_class) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interface_class;
    return fw::device_notification(
        ::RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
}

std::optional<std::wstring> hid_interface_path(const DEV_BROADCAST_HDR* record) {
    constexpr std::size_t name_offset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (!record || record->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return std::nullopt;
    if (record->dbch_size < name_offset) return std::nullopt;
    const auto* iface = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(record);
    GUID hid_class = hid_interface_class();
    if (std::memcmp(&iface->dbcc_classguid, &hid_class, sizeof(GUID)) != 0) return std::nullopt;
    std::size_t capacity = (record->dbch_size - name_offset) / sizeof(wchar_t);
    return std::wstring(iface->dbcc_name, ::wcsnlen(iface->dbcc_name, capacity));
}

}  // namespace vanta_kit
