#include "app/system_languages.h"

#include <string_view>

namespace system_languages {
namespace {

using ui_language_function = LANGID(WINAPI*)();

// A LANGID query of kernel32.dll by name; 0 when the system has no such function.
language_id kernel32_language(const char* name) {
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel32) return 0;
    auto query = reinterpret_cast<ui_language_function>(::GetProcAddress(kernel32, name));
    return query ? query() : 0;
}

BOOL CALLBACK remember_language(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    *reinterpret_cast<language_id*>(found) = language;
    return TRUE;
}

}  // namespace

language_id stored_language(const fw::profile& settings) {
    const unsigned int value = settings.get_int(L"", L"LanguageId", 0);
    return value <= 0xFFFF ? static_cast<language_id>(value) : 0;
}

language_id user_interface_language() { return kernel32_language("GetUserDefaultUILanguage"); }

language_id system_interface_language() {
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel32 && ::GetProcAddress(kernel32, "GetSystemDefaultUILanguage")) {
        return kernel32_language("GetSystemDefaultUILanguage");
    }
    const bool windows_9x = (::GetVersion() & 0x80000000u) != 0;
    return windows_9x ? resource_locale_language() : ntdll_language();
}

language_id resource_locale_language() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\ResourceLocale", 0, KEY_READ,
                        &key) != ERROR_SUCCESS) {
        return 0;
    }
    fw::registry_key owned(key);
    wchar_t text[16] = {};
    DWORD type = 0;
    DWORD size = sizeof(text);
    if (::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return 0;
    }
    // The stored text need not be terminated; only what was read counts.
    std::wstring_view value(text, size / sizeof(wchar_t));
    value = value.substr(0, value.find(L'\0'));
    return language_chain::parse_resource_locale(value);
}

language_id ntdll_language() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll ? module_language(ntdll) : 0;
}

language_id module_language(HMODULE module) {
    language_id found = 0;
    ::EnumResourceLanguagesW(module, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1), &remember_language,
                             reinterpret_cast<LONG_PTR>(&found));
    return found;
}

language_chain::candidate_query startup_candidates(const fw::profile& settings) {
    return [settings](language_chain::startup_source source) -> language_id {
        switch (source) {
            case language_chain::startup_source::stored:
                return stored_language(settings);
            case language_chain::startup_source::user_interface:
                return user_interface_language();
            case language_chain::startup_source::system_interface:
                return system_interface_language();
            case language_chain::startup_source::user_default:
                return ::GetUserDefaultLangID();
            case language_chain::startup_source::system_default:
                return ::GetSystemDefaultLangID();
        }
        return 0;
    };
}

}  // namespace system_languages
