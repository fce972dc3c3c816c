// Discovery's SetupAPI queries with paths far longer than any fixed buffer. Wine's SetupAPI
// lists no such device, so this program answers the four SetupDi calls itself, as SetupAPI
// does (the size asked for when no record is given, the record's size field checked, too
// small a record refused), by defining their import pointers; the sizing of the detail record
// in discovery_system_queries.cpp is the real one.
#include <windows.h>

#include <setupapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc_link/discovery_queries.h"
#include "framework/first_use_imports.h"

namespace {

std::vector<std::wstring> listed_paths;
int detail_calls_with_record = 0;
int open_sets = 0;

HDEVINFO WINAPI fake_get_class_devs(const GUID*, PCWSTR, HWND, DWORD) {
    ++open_sets;
    return reinterpret_cast<HDEVINFO>(0x5e7);
}

BOOL WINAPI fake_destroy(HDEVINFO) {
    --open_sets;
    return TRUE;
}

BOOL WINAPI fake_enum(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                      PSP_DEVICE_INTERFACE_DATA data) {
    if (index >= listed_paths.size()) {
        ::SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    data->Reserved = index;
    return TRUE;
}

BOOL WINAPI fake_detail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data,
                        PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD required,
                        PSP_DEVINFO_DATA) {
    const std::wstring& path = listed_paths[data->Reserved];
    const DWORD needed =
        static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                           (path.size() + 1) * sizeof(wchar_t));
    if (required) *required = needed;
    if (!detail) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    ++detail_calls_with_record;
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        ::SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (size < needed) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    path.copy(detail->DevicePath, path.size());
    detail->DevicePath[path.size()] = L'\0';
    return TRUE;
}

}  // namespace

// The import pointers of the four calls, aimed at the answers above.
#define ANSWER(name, bytes, answer) \
    void* imp_##name asm(FW_IMPORT_POINTER(name, bytes)) = reinterpret_cast<void*>(&answer);
extern "C" {
ANSWER(SetupDiGetClassDevsW, 16, fake_get_class_devs)
ANSWER(SetupDiDestroyDeviceInfoList, 4, fake_destroy)
ANSWER(SetupDiEnumDeviceInterfaces, 20, fake_enum)
ANSWER(SetupDiGetDeviceInterfaceDetailW, 24, fake_detail)
}

namespace {

TEST(system_device_queries, paths_of_any_length_come_out_whole) {
    const std::wstring common = L"\\\\?\\hid#vid_3c5d&pid_7e21#" + std::wstring(3000, L'x');
    listed_paths = {common + L"1", L"\\\\?\\hid#short", common + std::wstring(5000, L'y')};
    detail_calls_with_record = 0;

    std::vector<std::wstring> visited;
    vanta_kit::system_device_queries().for_each_present_hid_interface(
        [&](const std::wstring& path) { visited.push_back(path); });

    EXPECT_EQ(visited, listed_paths);
    EXPECT_EQ(detail_calls_with_record, 3) << "one sized record per device, accepted at once";
    EXPECT_EQ(open_sets, 0) << "the device information set is released";
}

}  // namespace
