// Loaded into a program under test by menu_reader: writes the menu bar of one of its windows,
// with every submenu, to a file (UTF-16, one item per line, see menu_reader.h).
#include <windows.h>

#include <string>

#include "tests/support/menu_probe/menu_probe_request.h"

namespace {

void describe(HMENU menu, int depth, std::wstring& out) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 255;
        if (!::GetMenuItemInfoW(menu, i, TRUE, &item)) continue;
        std::wstring flags;
        if (item.fType & MFT_SEPARATOR) flags += L's';
        if (item.fType & MFT_RADIOCHECK) flags += L'r';
        if (item.fState & MFS_CHECKED) flags += L'c';
        if (item.fState & MFS_GRAYED) flags += L'g';
        if (item.hSubMenu) flags += L'p';
        out += std::to_wstring(depth) + L'\t' + std::to_wstring(item.wID) + L'\t' + flags + L'\t' +
               std::to_wstring(reinterpret_cast<ULONG_PTR>(item.hSubMenu)) + L'\t' + text + L'\n';
        if (item.hSubMenu) describe(item.hSubMenu, depth + 1, out);
    }
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI write_menus(void* parameter) {
    const auto* request = static_cast<const menu_probe_request*>(parameter);
    HMENU bar = ::GetMenu(request->window);
    if (!bar) return 0;
    std::wstring out;
    describe(bar, 0, out);
    return write_probe_output(request->output, out);
}

DWORD write_probe_output(const wchar_t* path, const std::wstring& text) {
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(
        file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
    return ok ? 1 : 0;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
