// The device queries of discovery on SetupAPI and the HID class driver.
#include <windows.h>

#include <setupapi.h>

extern "C" {
#include <hidsdi.h>
}

#include <cwchar>
#include <vector>

#include "calc_link/discovery_queries.h"

namespace vanta_kit {
namespace {

// The fixed part of the detail record (its size field must say so: 6 on 32-bit Windows).
constexpr DWORD detail_fixed_size = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);

struct device_info_set {
    HDEVINFO handle;
    ~device_info_set() {
        if (handle != INVALID_HANDLE_VALUE) ::SetupDiDestroyDeviceInfoList(handle);
    }
};

// The interface's path, taken whole from a detail record of the size SetupAPI asked for, so
// that no path is cut short whatever its length.
bool interface_path(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data, std::wstring& path) {
    DWORD required = 0;
    ::SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr);
    if (required <= offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) return false;
    // DWORD elements keep the record aligned for its size field.
    std::vector<DWORD> buffer((required + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = detail_fixed_size;
    if (!::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr)) {
        return false;
    }
    std::size_t capacity =
        (required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
    path.assign(detail->DevicePath, ::wcsnlen(detail->DevicePath, capacity));
    return !path.empty();
}

class system_queries final : public device_queries {
public:
    void for_each_present_hid_interface(
        const std::function<void(const std::wstring& path)>& visit) override {
        GUID hid_class{};
        ::HidD_GetHidGuid(&hid_class);
        device_info_set set{::SetupDiGetClassDevsW(&hid_class, nullptr, nullptr,
                                                   DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)};
        if (set.handle == INVALID_HANDLE_VALUE) return;
        for (DWORD index = 0;; ++index) {
            SP_DEVICE_INTERFACE_DATA data{};
            data.cbSize = sizeof(data);
            if (!::SetupDiEnumDeviceInterfaces(set.handle, nullptr, &hid_class, index, &data)) {
                break;
            }
            std::wstring path;
            if (interface_path(set.handle, data, path)) visit(path);
        }
    }

    query_handle open_query(const std::wstring& path) override {
        HANDLE handle = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
        return handle == INVALID_HANDLE_VALUE ? invalid_query_handle : handle;
    }

    bool get_attributes(query_handle handle, std::uint16_t& vendor_id,
                        std::uint16_t& product_id) override {
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof(attributes);
        if (!::HidD_GetAttributes(handle, &attributes)) return false;
        vendor_id = attributes.VendorID;
        product_id = attributes.ProductID;
        return true;
    }

    bool get_caps(query_handle handle, hid_caps& caps) override {
        PHIDP_PREPARSED_DATA preparsed = nullptr;
        if (!::HidD_GetPreparsedData(handle, &preparsed)) return false;
        HIDP_CAPS read{};
        bool ok = ::HidP_GetCaps(preparsed, &read) == HIDP_STATUS_SUCCESS;
        ::HidD_FreePreparsedData(preparsed);
        if (ok) caps = read;
        return ok;
    }

    void close_query(query_handle handle) override { ::CloseHandle(handle); }
};

}  // namespace

// The size fields SetupAPI checks: packed records in 32-bit builds, aligned ones in 64-bit.
#ifdef _WIN64
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 32, "interface record size field is 32");
static_assert(detail_fixed_size == 8, "detail record size field is 8");
#else
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 28, "interface record size field is 28");
static_assert(detail_fixed_size == 6, "detail record size field is 6");
#endif

device_queries& system_device_queries() {
    static system_queries queries;
    return queries;
}

}  // namespace vanta_kit
