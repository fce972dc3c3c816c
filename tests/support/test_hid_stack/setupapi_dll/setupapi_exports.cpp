// The test setupapi.dll: device interface enumeration over the sim dir named by VANTA_SIM_DIR.
// Only the HID interface class has members; a set is a snapshot taken when it is created, as
// the real one is.
#include <windows.h>
#define _SETUPAPI_  // we define these functions rather than import them
#include <setupapi.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/test_hid_stack/sim_files.h"

namespace {

constexpr std::uint32_t set_magic = 0x44564953;  // "SIVD"

struct device_set {
    std::uint32_t magic = set_magic;
    GUID interface_class{};
    std::vector<std::wstring> paths;
};

device_set* valid(HDEVINFO set) {
    auto* s = static_cast<device_set*>(set);
    return s && set != INVALID_HANDLE_VALUE && s->magic == set_magic ? s : nullptr;
}

BOOL fail(DWORD error) {
    ::SetLastError(error);
    return FALSE;
}

}  // namespace

extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* class_guid, PCWSTR, HWND, DWORD flags) {
    if (!class_guid || !(flags & DIGCF_DEVICEINTERFACE)) {
        // Device setup classes and "all classes" are not simulated.
        ::SetLastError(ERROR_INVALID_FLAGS);
        return INVALID_HANDLE_VALUE;
    }
    auto* set = new device_set;
    set->interface_class = *class_guid;
    if (IsEqualGUID(*class_guid, hid_stack::hid_interface_class)) {
        for (const auto& device :
             hid_stack::present_devices(hid_stack::sim_dir_from_environment())) {
            set->paths.push_back(device.path);
        }
    }
    return set;
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID* class_guid,
                                        DWORD index, PSP_DEVICE_INTERFACE_DATA data) {
    device_set* s = valid(set);
    if (!s) return fail(ERROR_INVALID_HANDLE);
    if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || !class_guid) {
        return fail(ERROR_INVALID_USER_BUFFER);
    }
    if (!IsEqualGUID(*class_guid, s->interface_class) || index >= s->paths.size()) {
        return fail(ERROR_NO_MORE_ITEMS);
    }
    data->InterfaceClassGuid = s->interface_class;
    data->Flags = SPINT_ACTIVE;
    data->Reserved = index + 1;  // which member this is, for the detail query
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                                             DWORD detail_size, PDWORD required_size,
                                             PSP_DEVINFO_DATA info) {
    device_set* s = valid(set);
    if (!s) return fail(ERROR_INVALID_HANDLE);
    if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || data->Reserved == 0 ||
        data->Reserved > s->paths.size()) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    const std::wstring& path = s->paths[data->Reserved - 1];
    const DWORD needed =
        static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                           (path.size() + 1) * sizeof(wchar_t));
    if (required_size) *required_size = needed;
    if (!detail) {
        return fail(detail_size == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER);
    }
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        return fail(ERROR_INVALID_USER_BUFFER);
    }
    if (detail_size < needed) return fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(detail->DevicePath, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    if (info) {
        if (info->cbSize != sizeof(SP_DEVINFO_DATA)) return fail(ERROR_INVALID_USER_BUFFER);
        info->ClassGuid =
            GUID{0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};
        info->DevInst = static_cast<DWORD>(data->Reserved);
        info->Reserved = 0;
    }
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    device_set* s = valid(set);
    if (!s) return fail(ERROR_INVALID_HANDLE);
    s->magic = 0;
    delete s;
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // extern "C"
