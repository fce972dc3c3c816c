#include "tests/support/test_hid_stack/harness/screenshot.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tests/support/test_hid_stack/harness/file_system.h"
#include "tests/support/test_hid_stack/png_writer.h"
#include "tests/support/test_hid_stack/sim_files.h"

namespace e2e {

namespace {

struct capture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // top row first, 3 bytes per pixel
    bool operator==(const capture& other) const = default;
};

capture grab(const RECT& area) {
    capture shot;
    shot.width = area.right - area.left;
    shot.height = area.bottom - area.top;
    if (shot.width <= 0 || shot.height <= 0) return {};
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, shot.width, shot.height);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, shot.width, shot.height, screen, area.left, area.top, SRCCOPY);
    ::SelectObject(memory, previous);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(shot.width) * 3 + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> bgr(stride * shot.height);
    const int lines =
        ::GetDIBits(memory, bitmap, 0, shot.height, bgr.data(), &info, DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (lines != shot.height) return {};

    shot.rgb.resize(static_cast<std::size_t>(shot.width) * shot.height * 3);
    for (int y = 0; y < shot.height; ++y) {
        const std::uint8_t* from = bgr.data() + y * stride;
        std::uint8_t* to = shot.rgb.data() + static_cast<std::size_t>(y) * shot.width * 3;
        for (int x = 0; x < shot.width; ++x) {
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
    return shot;
}

RECT on_screen(RECT area) {
    area.left = std::max<LONG>(area.left, 0);
    area.top = std::max<LONG>(area.top, 0);
    area.right = std::min<LONG>(area.right, ::GetSystemMetrics(SM_CXSCREEN));
    area.bottom = std::min<LONG>(area.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    return area;
}

// Windows of other processes repaint on their own time, and no event says when they are done:
// a picture that stays the same over a tenth of a second is taken as finished.
bool save_area(const RECT& area, const std::wstring& file) {
    constexpr int settle_interval_ms = 100;
    constexpr int max_attempts = 30;
    capture last = grab(area);
    for (int attempt = 0; attempt < max_attempts; ++attempt) {
        ::Sleep(settle_interval_ms);
        capture next = grab(area);
        const bool settled = next == last;
        last = std::move(next);
        if (settled) break;
    }
    if (last.rgb.empty()) return false;
    const auto png = hid_stack::encode_png(static_cast<std::uint32_t>(last.width),
                                           static_cast<std::uint32_t>(last.height), last.rgb.data(),
                                           static_cast<std::size_t>(last.width) * 3);
    return hid_stack::write_file(file, std::string(png.begin(), png.end()));
}

}  // namespace

std::wstring screenshot_dir() {
    const std::wstring folder = join(tests_root(), L"screenshots");
    make_dirs(folder);
    return folder;
}

bool save_window_png(HWND window, const std::wstring& file) {
    return save_windows_png({window}, file);
}

bool save_windows_png(const std::vector<HWND>& windows, const std::wstring& file) {
    RECT area{};
    bool first = true;
    for (HWND window : windows) {
        if (!window) continue;
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::RedrawWindow(window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        // Once the owner has answered, it has seen the invalidation.
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
        RECT r{};
        ::GetWindowRect(window, &r);
        if (first) {
            area = r;
            first = false;
        } else {
            ::UnionRect(&area, &area, &r);
        }
    }
    if (first) return false;
    return save_area(on_screen(area), file);
}

bool save_screen_png(const std::wstring& file) {
    return save_area({0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)},
                     file);
}

}  // namespace e2e
