#include "framework/resources.h"

#include "framework/window_class.h"

namespace fw {
namespace {

HINSTANCE g_resource_module = nullptr;

}  // namespace

HINSTANCE resource_module() {
    return g_resource_module ? g_resource_module : ::GetModuleHandleW(nullptr);
}

void set_resource_module(HINSTANCE module) { g_resource_module = module; }

bool load_string(HINSTANCE module, UINT id, std::wstring& text) {
    text.clear();
    // With a zero buffer size LoadStringW hands out a read-only pointer into the resource;
    // the strings there are counted, not terminated.
    const wchar_t* data = nullptr;
    int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&data), 0);
    if (length > 0 && data) {
        text.assign(data, static_cast<std::size_t>(length));
        return true;
    }
    return false;
}

bool load_string(UINT id, std::wstring& text) { return load_string(resource_module(), id, text); }

std::wstring load_string_or(UINT id, const wchar_t* fallback) {
    std::wstring text;
    if (!load_string(id, text)) text = fallback;
    return text;
}

HINSTANCE find_resource_module(UINT id, LPCWSTR type) {
    HINSTANCE current = resource_module();
    if (::FindResourceW(current, MAKEINTRESOURCEW(id), type)) return current;
    return code_module();
}

std::wstring system_error_text(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = length != 0 && text ? std::wstring(text, length) : std::wstring();
    if (text) ::LocalFree(text);
    while (!result.empty() &&
           (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' ')) {
        result.pop_back();
    }
    return result.empty() ? std::to_wstring(error) : result;
}

}  // namespace fw
