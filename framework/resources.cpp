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

}  // namespace fw
