#include "tests/support/test_hid_stack/harness/app_windows.h"

namespace e2e {

namespace {

constexpr UINT reply_timeout_ms = 5000;

struct enumeration {
    DWORD process_id;
    bool visible_only;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM parameter) {
    auto* e = reinterpret_cast<enumeration*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if ((e->process_id == 0 || owner == e->process_id) &&
        (!e->visible_only || ::IsWindowVisible(window))) {
        e->found.push_back(window);
    }
    return TRUE;
}

bool is_frame(HWND window) { return ::FindWindowExW(window, nullptr, L"MDIClient", nullptr); }

}  // namespace

std::vector<HWND> top_level_windows(DWORD process_id, bool visible_only) {
    enumeration e{process_id, visible_only, {}};
    ::EnumWindows(collect, reinterpret_cast<LPARAM>(&e));
    return e.found;
}

HWND find_frame_window(DWORD process_id) {
    for (HWND window : top_level_windows(process_id, true)) {
        if (is_frame(window)) return window;
    }
    return nullptr;
}

std::vector<HWND> all_frame_windows() {
    std::vector<HWND> frames;
    for (HWND window : top_level_windows(0, true)) {
        if (is_frame(window)) frames.push_back(window);
    }
    return frames;
}

HWND find_device_change_window(DWORD process_id) {
    for (HWND window : top_level_windows(process_id, false)) {
        if (_wcsicmp(class_name(window).c_str(), L"Static") == 0 &&
            window_text(window) == L"DeviceChangeWnd") {
            return window;
        }
    }
    return nullptr;
}

HWND find_status_bar(HWND frame) {
    return frame ? ::FindWindowExW(frame, nullptr, L"msctls_statusbar32", nullptr) : nullptr;
}

std::wstring window_text(HWND window) {
    if (!window) return {};
    wchar_t buffer[1024] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                               SMTO_NORMAL, reply_timeout_ms, &copied)) {
        return {};
    }
    return std::wstring(buffer, copied < 1024 ? copied : 1023);
}

std::wstring class_name(HWND window) {
    wchar_t buffer[256] = {};
    const int length = ::GetClassNameW(window, buffer, 256);
    return std::wstring(buffer, length > 0 ? length : 0);
}

std::vector<HWND> open_dialogs(DWORD process_id, HWND frame) {
    std::vector<HWND> dialogs;
    for (HWND window : top_level_windows(process_id, true)) {
        if (window != frame) dialogs.push_back(window);
    }
    return dialogs;
}

}  // namespace e2e
