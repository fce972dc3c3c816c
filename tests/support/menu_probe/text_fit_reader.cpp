#include "tests/support/menu_probe/text_fit_reader.h"

#include "tests/support/menu_probe/probe_runner.h"

namespace text_fit_reader {
namespace {

std::vector<std::wstring> split(const std::wstring& line, std::size_t fields) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (parts.size() + 1 < fields) {
        const std::size_t tab = line.find(L'\t', start);
        if (tab == std::wstring::npos) break;
        parts.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    parts.push_back(line.substr(start));
    return parts;
}

}  // namespace

std::optional<report> read(HANDLE process, HWND window) {
    const std::optional<std::wstring> text = probe_runner::run(process, "write_text_fits", window);
    if (!text) return std::nullopt;
    report result;
    std::size_t start = 0;
    while (start < text->size()) {
        std::size_t end = text->find(L'\n', start);
        if (end == std::wstring::npos) end = text->size();
        const std::vector<std::wstring> fields = split(text->substr(start, end - start), 7);
        start = end + 1;
        if (fields.size() == 2 && fields[0] == L"dpi") result.dpi = std::stoi(fields[1]);
        if (fields.size() != 7) continue;
        control entry;
        entry.kind = fields[0];
        entry.id = std::stoi(fields[1]);
        entry.text = {std::stoi(fields[2]), std::stoi(fields[3])};
        entry.room = {std::stoi(fields[4]), std::stoi(fields[5])};
        entry.text_content = fields[6];
        result.controls.push_back(std::move(entry));
    }
    return result;
}

}  // namespace text_fit_reader
