// The HID platform operations of the transport on Win32 and the HID class driver.
#include <windows.h>

extern "C" {
#include <hidsdi.h>
}

#include "calc_link/hid_platform.h"

namespace vanta_kit {

namespace {

class win32_hid_platform final : public hid_platform {
public:
    hid_handle open(const std::wstring& path, hid_access access) override {
        const DWORD desired = access == hid_access::write ? GENERIC_WRITE : GENERIC_READ;
        HANDLE handle = CreateFileW(path.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        return handle == INVALID_HANDLE_VALUE ? invalid_hid_handle : handle;
    }

    bool write_report(hid_handle handle, const std::uint8_t* report, std::uint32_t length,
                      std::uint32_t& written) override {
        DWORD count = 0;
        const BOOL ok = WriteFile(handle, report, length, &count, nullptr);
        written = count;
        return ok != FALSE;
    }

    bool get_input_report(hid_handle handle, std::uint8_t* report, std::uint32_t length) override {
        return HidD_GetInputReport(handle, report, length) != FALSE;
    }

    void close(hid_handle handle) override { CloseHandle(handle); }

    void sleep(std::uint32_t milliseconds) override { Sleep(milliseconds); }
};

}  // namespace

hid_platform& system_hid_platform() {
    static win32_hid_platform platform;
    return platform;
}

}  // namespace vanta_kit
