// Where simulated devices live on disk, shared by the test hid.dll, the test setupapi.dll and
// the harness. A sim dir holds, per device that was ever plugged in:
//   hid#vid_3c5d&pid_7e21#<serial>#{4d1e55b2-f16f-11cf-88cb-001111000030}
//       the device file: everything the host wrote to the device, in order. Its path, with the
//       "\\?\" prefix, is the device interface path that enumeration and notifications give,
//       so the real CreateFileW and WriteFile work on it unchanged.
//   <device file>.cfg
//       the device description (device_description.h), present while the device is plugged
//       in. Pulling the device out removes it: enumeration stops listing the device and every
//       HID request on an open handle fails, while the device file stays as the record.
// Programs under test find the sim dir through the environment variable VANTA_SIM_DIR (a
// Windows path).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/test_hid_stack/device_description.h"

namespace hid_stack {

inline constexpr wchar_t sim_dir_variable[] = L"VANTA_SIM_DIR";
inline constexpr wchar_t description_suffix[] = L".cfg";
// {4D1E55B2-F16F-11CF-88CB-001111000030}, the HID device interface class.
inline constexpr GUID hid_interface_class = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// "hid#vid_3c5d&pid_7e21#<serial>#{4d1e55b2-f16f-11cf-88cb-001111000030}"
std::wstring device_file_name(std::uint16_t vendor_id, std::uint16_t product_id,
                              const std::wstring& serial);
// "\\?\" + the full file path: the form in which Windows names device interfaces.
std::wstring device_path_of_file(const std::wstring& file);
// The device file behind a device path (the path without its "\\?\" prefix).
std::wstring file_of_device_path(const std::wstring& device_path);

// The plugged-in devices of a sim dir, in the order they were plugged in.
struct present_device {
    std::wstring path;  // device interface path
    device_description description;
};
std::vector<present_device> present_devices(const std::wstring& sim_dir);

// The description of the device behind a device path, if it is plugged in and its description
// is valid.
std::optional<device_description> read_description(const std::wstring& device_path);

// The device path of an open handle on a device file (GetFinalPathNameByHandleW), or empty.
std::wstring path_of_handle(HANDLE handle);

// The sim dir named by VANTA_SIM_DIR in this process's environment, or empty.
std::wstring sim_dir_from_environment();

// Whole small files; nullopt when the file cannot be read.
std::optional<std::string> read_file(const std::wstring& path);
bool write_file(const std::wstring& path, const std::string& contents);

}  // namespace hid_stack
