#include "tests/support/test_hid_stack/harness/wine_prefix_setup.h"

#include <windows.h>

#include "tests/support/test_hid_stack/harness/registry_values.h"

namespace e2e {

namespace {

std::wstring app_defaults(const std::wstring& program, const wchar_t* section) {
    return L"Software\\Wine\\AppDefaults\\" + program + L"\\" + section;
}

}  // namespace

bool load_test_hid_stack(const std::wstring& program) {
    const std::wstring key = app_defaults(program, L"DllOverrides");
    return set_string(HKEY_CURRENT_USER, key, L"hid", L"native,builtin") &&
           set_string(HKEY_CURRENT_USER, key, L"setupapi", L"native,builtin");
}

bool prepare_wine_display(const std::wstring& program) {
    bool ok = set_string(HKEY_CURRENT_USER, app_defaults(program, L"X11 Driver"), L"Managed", L"N");
    // Wine's font links for the dialog fonts name SimSun for Chinese characters.
    ok &= set_string(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", L"SimSun",
                     L"WenQuanYi Micro Hei");
    ok &= set_dword(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", L"ShowCrashDialog", 0);
    return ok;
}

}  // namespace e2e
