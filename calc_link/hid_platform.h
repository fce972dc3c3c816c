// The five platform operations the HID report transport runs on. Production: CreateFileW,
// WriteFile, HidD_GetInputReport, CloseHandle and Sleep (win32_hid_platform.cpp). Tests: the
// simulated calculator on a virtual clock (tests/support/sim_calculator/sim_calculator.h).
// Called only from the thread that owns the transport (the UI thread in vanta).
#pragma once

#include <cstdint>
#include <string>

namespace vanta_kit {

using hid_handle = void*;
inline hid_handle const invalid_hid_handle = reinterpret_cast<hid_handle>(-1);

enum class hid_access { read, write };

class hid_platform {
public:
    // CreateFileW(path, GENERIC_READ or GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
    // nullptr, OPEN_EXISTING, 0, nullptr). invalid_hid_handle on failure.
    virtual hid_handle open(const std::wstring& path, hid_access access) = 0;
    // Synchronous write of one output report; `written` receives the bytes written.
    virtual bool write_report(hid_handle handle, const std::uint8_t* report, std::uint32_t length,
                              std::uint32_t& written) = 0;
    // Fetches the device's current input report into `report` (byte 0 holds the report id on
    // entry). false when the request failed.
    virtual bool get_input_report(hid_handle handle, std::uint8_t* report,
                                  std::uint32_t length) = 0;
    virtual void close(hid_handle handle) = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;

protected:
    ~hid_platform() = default;
};

// The real platform; exists only in the Windows build.
hid_platform& system_hid_platform();

}  // namespace vanta_kit
