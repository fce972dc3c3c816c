#include "update_check/rules/package_selection.h"

#include <algorithm>
#include <array>

namespace orv {
namespace {

constexpr std::size_t max_name_length = 255;

bool is_blank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

wchar_t upper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

}  // namespace

bool equals_ignoring_case(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return upper(x) == upper(y); });
}

namespace {

// Windows opens a device, not a file, for these names, whatever extension follows.
bool is_device_name(std::wstring_view name) {
    std::wstring_view head = name.substr(0, name.find(L'.'));
    while (!head.empty() && is_blank(head.back())) head.remove_suffix(1);
    static constexpr std::array<std::wstring_view, 6> plain = {L"CON", L"PRN",    L"AUX",
                                                               L"NUL", L"CONIN$", L"CONOUT$"};
    for (std::wstring_view device : plain) {
        if (equals_ignoring_case(head, device)) return true;
    }
    if (head.size() == 4 && head[3] >= L'0' && head[3] <= L'9') {
        std::wstring_view prefix = head.substr(0, 3);
        return equals_ignoring_case(prefix, L"COM") || equals_ignoring_case(prefix, L"LPT");
    }
    return false;
}

}  // namespace

std::wstring pattern_base(std::wstring_view server_path) {
    std::size_t dot = server_path.rfind(L'.');
    return std::wstring(dot == std::wstring_view::npos ? server_path : server_path.substr(0, dot));
}

std::wstring version_suffix(std::wstring_view stem, std::wstring_view base_name) {
    // Signed: a stem shorter than the base name gives a negative count.
    long long count =
        static_cast<long long>(stem.size()) - static_cast<long long>(base_name.size()) - 1;
    if (count <= 0) return {};
    return std::wstring(stem.substr(stem.size() - static_cast<std::size_t>(count)));
}

std::wstring trim_blanks(std::wstring_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return std::wstring(text);
}

bool is_plain_file_name(std::wstring_view name) {
    if (name.empty() || name.size() > max_name_length) return false;
    for (wchar_t c : name) {
        if (c < 0x20 || c == 0x7F) return false;
        if (std::wstring_view(L"/\\:<>\"|?*").find(c) != std::wstring_view::npos) return false;
    }
    bool only_dots_and_blanks =
        std::all_of(name.begin(), name.end(), [](wchar_t c) { return c == L'.' || c == L' '; });
    if (only_dots_and_blanks) return false;
    return !is_device_name(name);
}

bool is_versioned_package(std::wstring_view file_name, std::wstring_view stem,
                          std::wstring_view base_name, std::wstring_view extension) {
    // Without an extension the server would choose what kind of file is opened.
    bool named_as_release =
        !extension.empty() && file_name.size() >= base_name.size() + extension.size() &&
        equals_ignoring_case(file_name.substr(0, base_name.size()), base_name) &&
        equals_ignoring_case(file_name.substr(file_name.size() - extension.size()), extension);
    return named_as_release && is_plain_file_name(file_name) &&
           !trim_blanks(version_suffix(stem, base_name)).empty();
}

std::optional<std::wstring> select_listed_package(const listing_reader& next,
                                                  std::wstring_view base_name,
                                                  std::wstring_view extension) {
    listed_name entry;
    while (next(entry)) {
        if (is_versioned_package(entry.name, entry.stem, base_name, extension)) {
            return std::move(entry.name);
        }
    }
    return std::nullopt;
}

}  // namespace orv
