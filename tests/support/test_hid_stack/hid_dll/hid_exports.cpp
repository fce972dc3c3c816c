// The test hid.dll: the HID class driver functions a program uses, answered from the sim dir.
// A handle is whatever the real CreateFileW gave for a device path; the function finds its
// device by the file the handle is open on.
#include <windows.h>

// mingw's HID headers declare their functions without C linkage of their own.
extern "C" {
#include <hidusage.h>
#include <hidpi.h>
#include <hidsdi.h>
}

#include <cstdint>
#include <optional>

#include "tests/support/test_hid_stack/hid_dll/device_table.h"
#include "tests/support/test_hid_stack/sim_files.h"

namespace {

constexpr std::uint32_t preparsed_magic = 0x50524550;  // "PREP"

// What HidD_GetPreparsedData hands out: opaque to callers, so it only needs to carry the
// capability record and a mark to recognise it by.
struct preparsed_data {
    std::uint32_t magic = preparsed_magic;
    HIDP_CAPS caps{};
};

preparsed_data* valid(PHIDP_PREPARSED_DATA data) {
    auto* p = reinterpret_cast<preparsed_data*>(data);
    return p && p->magic == preparsed_magic ? p : nullptr;
}

// The description of the device `device` is open on, for a call whose result goes to `out`;
// nothing, with the error a driver would give, when `out` is missing or the device is gone.
std::optional<hid_stack::device_description> connected_description(HANDLE device, const void* out) {
    if (!out) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    auto description = hid_stack::read_description(hid_stack::path_of_handle(device));
    if (!description) ::SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return description;
}

}  // namespace

extern "C" {

void NTAPI HidD_GetHidGuid(LPGUID guid) {
    if (guid) *guid = hid_stack::hid_interface_class;
}

BOOLEAN NTAPI HidD_GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes) {
    const auto description = connected_description(device, attributes);
    if (!description) return FALSE;
    attributes->Size = sizeof(HIDD_ATTRIBUTES);
    attributes->VendorID = description->vendor_id();
    attributes->ProductID = description->product_id();
    attributes->VersionNumber = description->version_number;
    return TRUE;
}

BOOLEAN NTAPI HidD_GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* data) {
    const auto description = connected_description(device, data);
    if (!description) return FALSE;
    auto* p = new preparsed_data;
    p->caps = description->caps();
    *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(p);
    return TRUE;
}

BOOLEAN NTAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA data) {
    preparsed_data* p = valid(data);
    if (!p) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    p->magic = 0;
    delete p;
    return TRUE;
}

NTSTATUS NTAPI HidP_GetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps) {
    const preparsed_data* p = valid(data);
    if (!p || !caps) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    *caps = p->caps;
    return HIDP_STATUS_SUCCESS;
}

BOOLEAN NTAPI HidD_GetInputReport(HANDLE device, PVOID buffer, ULONG length) {
    DWORD error = 0;
    if (hid_stack::device_table::instance().get_input_report(device, buffer, length, error)) {
        return TRUE;
    }
    ::SetLastError(error);
    return FALSE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // extern "C"
