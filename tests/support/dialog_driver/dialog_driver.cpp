#include "tests/support/dialog_driver/dialog_driver.h"

#include <thread>

namespace dialog_driver {
namespace {

constexpr milliseconds poll_interval{10};
// How long a window may take to answer a text query before it counts as hung.
constexpr UINT answer_timeout_ms = 5000;

std::wstring class_of(HWND window) {
    wchar_t name[256] = {};
    int length = ::GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

bool matches(HWND window, const window_query& query) {
    if (window == query.exclude || !::IsWindowVisible(window)) return false;
    if (query.process_id) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner != query.process_id) return false;
    }
    if (!query.class_name.empty() && class_of(window) != query.class_name) return false;
    if (query.control_id && !::GetDlgItem(window, query.control_id)) return false;
    return query.any_caption || window_title(window) == query.caption;
}

struct search {
    const window_query* query;
    HWND found;
};

BOOL CALLBACK visit(HWND window, LPARAM context) {
    auto* s = reinterpret_cast<search*>(context);
    if (!matches(window, *s->query)) return TRUE;
    s->found = window;
    return FALSE;
}

std::wstring text_of(HWND window) {
    if (!window) return {};
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, answer_timeout_ms,
                               &length)) {
        return {};
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(),
                               reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                               answer_timeout_ms, &copied)) {
        return {};
    }
    text.resize(copied < length ? copied : length);
    return text;
}

}  // namespace

bool wait_until(const std::function<bool()>& condition, milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(poll_interval);
    }
}

HWND find_window(const window_query& query) {
    search s{&query, nullptr};
    ::EnumWindows(&visit, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND wait_for_window(const window_query& query, milliseconds timeout) {
    HWND found = nullptr;
    wait_until([&] { return (found = find_window(query)) != nullptr; }, timeout);
    return found;
}

HWND wait_for_window(const std::wstring& caption, DWORD process_id, milliseconds timeout) {
    window_query query;
    query.caption = caption;
    query.process_id = process_id;
    return wait_for_window(query, timeout);
}

bool wait_until_gone(HWND window, milliseconds timeout) {
    return wait_until([&] { return !::IsWindow(window); }, timeout);
}

bool press_button(HWND dialog, int id) {
    HWND button = dialog ? ::GetDlgItem(dialog, id) : nullptr;
    if (!button || !control_visible(dialog, id) || !::IsWindowEnabled(button)) return false;
    return ::PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

bool close_window(HWND window) { return ::PostMessageW(window, WM_CLOSE, 0, 0) != FALSE; }

std::wstring window_title(HWND window) { return text_of(window); }

std::wstring control_text(HWND dialog, int id) {
    return dialog ? text_of(::GetDlgItem(dialog, id)) : std::wstring();
}

bool control_exists(HWND dialog, int id) { return dialog && ::GetDlgItem(dialog, id) != nullptr; }

bool control_visible(HWND dialog, int id) {
    HWND control = dialog ? ::GetDlgItem(dialog, id) : nullptr;
    return control && (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool wait_for_text(HWND dialog, int id, const std::wstring& text, milliseconds timeout) {
    return wait_until([&] { return control_text(dialog, id) == text; }, timeout);
}

RECT window_rect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

bool skip_window_manager_waits(const std::wstring& program) {
    std::wstring name = program;
    if (name.empty()) {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        name = path;
        name = name.substr(name.find_last_of(L"\\/") + 1);
    }
    std::wstring key = L"Software\\Wine\\AppDefaults\\" + name + L"\\X11 Driver";
    static const wchar_t value[] = L"N";
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Managed", REG_SZ, value,
                             sizeof(value)) == ERROR_SUCCESS;
}

bool is_topmost(HWND window) {
    return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

}  // namespace dialog_driver
