// The menus of a window of another process, read as its own process sees them (Windows).
//
//   auto items = menu_reader::read(process_handle, frame);
//   items->at(0).text == L"&File"
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace menu_reader {

struct item {
    int depth = 0;  // 0 for the menu bar, 1 for its popups' items, ...
    UINT id = 0;
    std::wstring text;
    bool separator = false;
    bool radio = false;
    bool checked = false;
    bool grayed = false;
    bool popup = false;  // carries a submenu, whose items follow with depth + 1
    // The submenu's handle. It names the menu in the other process too (WM_INITMENUPOPUP
    // can be sent with it), but only that process can read it.
    HMENU submenu = nullptr;
};

// Every item of `window`'s menu bar and its submenus, in menu order. `process` must allow
// creating threads and writing memory (a handle from CreateProcessW does). Nothing when the
// probe cannot be run there or the window has no menu.
std::optional<std::vector<item>> read(HANDLE process, HWND window);

// The popup item whose text is `text` at `depth` (the first match), and the items directly
// under it.
const item* find_popup(const std::vector<item>& items, int depth, const std::wstring& text);
std::vector<item> children(const std::vector<item>& items, int depth, const std::wstring& text);

}  // namespace menu_reader
