#include "tests/e2e/hid_stack_dlls.h"

#include "tests/support/test_hid_stack/harness/file_system.h"

namespace e2e_tests {

namespace {

HMODULE load_copy(const std::wstring& folder, const wchar_t* name, const wchar_t* as) {
    const std::wstring copy = e2e::join(folder, as);
    if (!e2e::copy_file(e2e::join(e2e::test_hid_stack_dir(), name), copy)) return nullptr;
    return ::LoadLibraryW(copy.c_str());
}

template <typename F>
void resolve(HMODULE module, const char* name, F& function) {
    function = module ? reinterpret_cast<F>(::GetProcAddress(module, name)) : nullptr;
}

}  // namespace

hid_stack_dlls::hid_stack_dlls(const std::wstring& folder) {
    hid = load_copy(folder, L"hid.dll", L"stack_hid.dll");
    setupapi = load_copy(folder, L"setupapi.dll", L"stack_setupapi.dll");
    resolve(hid, "HidD_GetHidGuid", get_hid_guid);
    resolve(hid, "HidD_GetAttributes", get_attributes);
    resolve(hid, "HidD_GetPreparsedData", get_preparsed_data);
    resolve(hid, "HidD_FreePreparsedData", free_preparsed_data);
    resolve(hid, "HidP_GetCaps", get_caps);
    resolve(hid, "HidD_GetInputReport", get_input_report);
    resolve(setupapi, "SetupDiGetClassDevsW", get_class_devs);
    resolve(setupapi, "SetupDiEnumDeviceInterfaces", enum_interfaces);
    resolve(setupapi, "SetupDiGetDeviceInterfaceDetailW", get_detail);
    resolve(setupapi, "SetupDiDestroyDeviceInfoList", destroy_list);
}

hid_stack_dlls::~hid_stack_dlls() {
    if (hid) ::FreeLibrary(hid);
    if (setupapi) ::FreeLibrary(setupapi);
}

bool hid_stack_dlls::ok() const {
    return get_hid_guid && get_attributes && get_preparsed_data && free_preparsed_data &&
           get_caps && get_input_report && get_class_devs && enum_interfaces && get_detail &&
           destroy_list;
}

}  // namespace e2e_tests
