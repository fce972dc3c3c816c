// The test hid.dll and setupapi.dll loaded into the test program itself, under other file
// names (Wine would hand out its own DLLs for "hid.dll" and "setupapi.dll"), with their
// functions resolved, so the stack's behaviour can be checked call by call.
#pragma once

#include <windows.h>
#include <setupapi.h>
extern "C" {
#include <hidusage.h>
#include <hidpi.h>
#include <hidsdi.h>
}

#include <string>

namespace e2e_tests {

struct hid_stack_dlls {
    // Copies the DLLs into `folder` and loads them; ok() tells whether all went well.
    explicit hid_stack_dlls(const std::wstring& folder);
    ~hid_stack_dlls();
    hid_stack_dlls(const hid_stack_dlls&) = delete;
    hid_stack_dlls& operator=(const hid_stack_dlls&) = delete;
    bool ok() const;

    HMODULE hid = nullptr;
    HMODULE setupapi = nullptr;
    decltype(&HidD_GetHidGuid) get_hid_guid = nullptr;
    decltype(&HidD_GetAttributes) get_attributes = nullptr;
    decltype(&HidD_GetPreparsedData) get_preparsed_data = nullptr;
    decltype(&HidD_FreePreparsedData) free_preparsed_data = nullptr;
    decltype(&HidP_GetCaps) get_caps = nullptr;
    decltype(&HidD_GetInputReport) get_input_report = nullptr;
    decltype(&SetupDiGetClassDevsW) get_class_devs = nullptr;
    decltype(&SetupDiEnumDeviceInterfaces) enum_interfaces = nullptr;
    decltype(&SetupDiGetDeviceInterfaceDetailW) get_detail = nullptr;
    decltype(&SetupDiDestroyDeviceInfoList) destroy_list = nullptr;
};

}  // namespace e2e_tests
