#include "tests/support/sim_device_bus/device_change_sender.h"

extern "C" {
#include <hidsdi.h>
}

#include <algorithm>
#include <cstring>

namespace vanta_sim {

GUID hid_class_guid() {
    GUID guid{};
    ::HidD_GetHidGuid(&guid);
    return guid;
}

std::vector<std::byte> interface_record(const GUID& interface_class, const std::wstring& path) {
    const std::size_t name_offset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    std::size_t size = name_offset + (path.size() + 1) * sizeof(wchar_t);
    size = std::max(size, sizeof(DEV_BROADCAST_DEVICEINTERFACE_W));
    std::vector<std::byte> record(size);
    DEV_BROADCAST_DEVICEINTERFACE_W header{};
    header.dbcc_size = static_cast<DWORD>(size);
    header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    header.dbcc_classguid = interface_class;
    std::memcpy(record.data(), &header, name_offset);
    std::memcpy(record.data() + name_offset, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    return record;
}

LRESULT send_device_change(HWND window, WPARAM event, const std::vector<std::byte>& record) {
    return ::SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data()));
}

LRESULT send_device_change(HWND window, WPARAM event, const GUID& interface_class,
                           const std::wstring& path) {
    return send_device_change(window, event, interface_record(interface_class, path));
}

}  // namespace vanta_sim
