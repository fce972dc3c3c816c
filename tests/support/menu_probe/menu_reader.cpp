#include "tests/support/menu_probe/menu_reader.h"

#include "tests/support/menu_probe/probe_runner.h"

namespace menu_reader {
namespace {

std::vector<item> parse(const std::wstring& text) {
    std::vector<item> items;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t a = line.find(L'\t'), b = line.find(L'\t', a + 1),
                          c = line.find(L'\t', b + 1), d = line.find(L'\t', c + 1);
        if (d == std::wstring::npos) continue;
        item entry;
        entry.depth = std::stoi(line.substr(0, a));
        entry.id = static_cast<UINT>(std::stoul(line.substr(a + 1, b - a - 1)));
        const std::wstring flags = line.substr(b + 1, c - b - 1);
        entry.separator = flags.find(L's') != std::wstring::npos;
        entry.radio = flags.find(L'r') != std::wstring::npos;
        entry.checked = flags.find(L'c') != std::wstring::npos;
        entry.grayed = flags.find(L'g') != std::wstring::npos;
        entry.popup = flags.find(L'p') != std::wstring::npos;
        entry.submenu = reinterpret_cast<HMENU>(
            static_cast<ULONG_PTR>(std::stoull(line.substr(c + 1, d - c - 1))));
        entry.text = line.substr(d + 1);
        items.push_back(std::move(entry));
    }
    return items;
}

}  // namespace

std::optional<std::vector<item>> read(HANDLE process, HWND window) {
    std::optional<std::wstring> text = probe_runner::run(process, "write_menus", window);
    if (!text) return std::nullopt;
    return parse(*text);
}

const item* find_popup(const std::vector<item>& items, int depth, const std::wstring& text) {
    for (const item& entry : items) {
        if (entry.depth == depth && entry.text == text && entry.popup) return &entry;
    }
    return nullptr;
}

std::vector<item> children(const std::vector<item>& items, int depth, const std::wstring& text) {
    std::vector<item> found;
    const item* popup = find_popup(items, depth, text);
    if (!popup) return found;
    for (auto next = items.begin() + (popup - items.data()) + 1;
         next != items.end() && next->depth > depth; ++next) {
        if (next->depth == depth + 1) found.push_back(*next);
    }
    return found;
}

}  // namespace menu_reader
