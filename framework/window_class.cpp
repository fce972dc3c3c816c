#include "framework/window_class.h"

#include <set>

namespace fw {

HINSTANCE code_module() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&code_module), &module);
    return module;
}

const wchar_t* register_window_class(const std::wstring& name, UINT style, HICON icon,
                                     HBRUSH background) {
    static std::set<std::wstring> registered;
    auto [it, inserted] = registered.insert(name);
    if (inserted) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = style;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = code_module();
        wc.hIcon = icon;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = it->c_str();
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            registered.erase(it);
            return nullptr;
        }
    }
    return it->c_str();
}

}  // namespace fw
