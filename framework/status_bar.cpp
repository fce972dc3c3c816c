#include "framework/status_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/cmd_target.h"
#include "framework/resources.h"
#include "framework/window_dpi.h"

namespace fw {
namespace {

// The system's status bar font, at `dpi` rather than the DPI its metrics come in.
HFONT create_status_font(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return nullptr;
    }
    metrics.lfStatusFont.lfHeight = scale_dpi(metrics.lfStatusFont.lfHeight, dpi, system_dpi());
    return ::CreateFontIndirectW(&metrics.lfStatusFont);
}

class status_pane_cmd_ui final : public cmd_ui {
public:
    status_pane_cmd_ui(status_bar& bar, int index)
        : cmd_ui(bar.pane_id(index)), bar_(bar), index_(index) {}
    void enable(bool on) override { bar_.enable_pane(index_, on); }
    void set_check(bool) override {}
    void set_radio(bool) override {}
    void set_text(const std::wstring& text) override { bar_.set_pane_text(index_, text, true); }

private:
    status_bar& bar_;
    int index_;
};

}  // namespace

bool status_bar::create(HWND parent, DWORD style, UINT id) {
    // The control-bar bits are the framework's own; the control gets the window styles, and a
    // size grip when the parent can be resized.
    DWORD control_style = (style & ~CBRS_BOTTOM) | CCS_BOTTOM;
    if (::GetWindowLongW(parent, GWL_STYLE) & WS_THICKFRAME) control_style |= SBARS_SIZEGRIP;
    if (!create_ex(0, STATUSCLASSNAMEW, nullptr, control_style, RECT{}, parent, id)) return false;
    set_dpi(window_dpi(parent));
    return true;
}

void status_bar::set_dpi(UINT dpi) {
    if (!hwnd() || dpi == 0) return;
    // Without a font of its own the bar keeps the control's, which is sized for the system DPI.
    unique_font font(create_status_font(dpi));
    if (font) {
        send(WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        font_ = std::move(font);
    }
    const UINT previous = dpi_;
    dpi_ = dpi;
    for (pane& p : panes_) {
        p.width =
            p.width_text.empty() ? scale_dpi(p.width, dpi, previous) : text_width(p.width_text);
    }
    layout_panes();
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

int status_bar::pane_padding() const {
    // Room for a pane's borders and the gap between panes, beyond its text.
    return scale_dpi(2 * ::GetSystemMetrics(SM_CXEDGE), dpi_, system_dpi()) + scale_dpi(8, dpi_);
}

bool status_bar::set_indicators(const UINT* ids, int count) {
    if (!hwnd() || count <= 0) return false;
    panes_.assign(static_cast<std::size_t>(count), pane{});
    for (int i = 0; i < count; ++i) {
        pane& p = panes_[i];
        p.id = ids[i];
        load_string(ids[i], p.text);
        p.width = text_width(p.text);
        p.width_text = p.text;
    }
    layout_panes();
    for (int i = 0; i < count; ++i) show_pane(i, false);
    return true;
}

void status_bar::set_pane_info(int index, UINT id, UINT style, int width) {
    if (index < 0 || index >= pane_count()) return;
    pane& p = panes_[index];
    p.id = id;
    p.style = style;
    p.width = width;
    p.width_text.clear();
    p.shown_valid = false;
    layout_panes();
    show_pane(index, false);
}

bool status_bar::set_pane_text(int index, const std::wstring& text, bool repaint) {
    if (index < 0 || index >= pane_count()) return false;
    panes_[index].text = text;
    show_pane(index, repaint);
    return true;
}

std::wstring status_bar::pane_text(int index) const {
    if (index < 0 || index >= pane_count()) return {};
    return panes_[index].text;
}

void status_bar::enable_pane(int index, bool enabled) {
    if (index < 0 || index >= pane_count()) return;
    UINT& style = panes_[index].style;
    style = enabled ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED);
    show_pane(index, false);
}

UINT status_bar::pane_id(int index) const {
    return index >= 0 && index < pane_count() ? panes_[index].id : 0;
}

UINT status_bar::pane_style(int index) const {
    return index >= 0 && index < pane_count() ? panes_[index].style : 0;
}

void status_bar::update_cmd_ui(cmd_target& target) {
    for (int i = 0; i < pane_count(); ++i) {
        status_pane_cmd_ui ui(*this, i);
        ui.do_update(target, true);
    }
}

int status_bar::reposition() {
    if (!hwnd()) return 0;
    // The control places itself along the parent's bottom edge when told that it resized.
    send(WM_SIZE, 0, 0);
    layout_panes();
    RECT rect{};
    ::GetWindowRect(hwnd(), &rect);
    return ::IsWindowVisible(hwnd()) ? rect.bottom - rect.top : 0;
}

LRESULT status_bar::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    LRESULT result = window::window_proc(message, wparam, lparam);
    if (message == WM_SIZE) layout_panes();
    return result;
}

int status_bar::text_width(const std::wstring& text) const {
    HDC dc = ::GetDC(hwnd());
    if (!dc) return 0;
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(send(WM_GETFONT));
    HGDIOBJ previous = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, previous);
    ::ReleaseDC(hwnd(), dc);
    return size.cx;
}

void status_bar::layout_panes() {
    if (!hwnd() || panes_.empty()) return;
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    // The size grip is drawn over the right end of the last pane: the stretched pane gives up
    // that room, so that the last pane's text stays clear of it.
    int fixed = (::GetWindowLongW(hwnd(), GWL_STYLE) & SBARS_SIZEGRIP)
                    ? scale_dpi(::GetSystemMetrics(SM_CXVSCROLL), dpi_, system_dpi())
                    : 0;
    for (const pane& p : panes_) {
        if (!(p.style & SBPS_STRETCH)) fixed += p.width + pane_padding();
    }
    int stretch_width = (client.right - client.left) - fixed;
    std::vector<int> edges;
    int right = 0;
    for (const pane& p : panes_) {
        int width = p.width + pane_padding();
        if (p.style & SBPS_STRETCH) width = std::max(width, stretch_width);
        right += width;
        edges.push_back(right);
    }
    edges.back() = -1;
    // A control whose number of parts changes forgets their texts.
    bool parts_changed = send(SB_GETPARTS, 0, 0) != static_cast<LRESULT>(edges.size());
    send(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    if (!parts_changed) return;
    for (int i = 0; i < pane_count(); ++i) {
        panes_[i].shown_valid = false;
        show_pane(i, false);
    }
}

void status_bar::show_pane(int index, bool repaint) {
    pane& p = panes_[index];
    std::wstring shown = (p.style & SBPS_DISABLED) ? std::wstring() : p.text;
    if (p.shown_valid && shown == p.shown) return;
    WPARAM kind = 0;
    if (p.style & SBPS_NOBORDERS) kind |= SBT_NOBORDERS;
    if (p.style & SBPS_POPOUT) kind |= SBT_POPOUT;
    send(SB_SETTEXTW, static_cast<WPARAM>(index) | kind, reinterpret_cast<LPARAM>(shown.c_str()));
    p.shown = std::move(shown);
    p.shown_valid = true;
    if (repaint) ::UpdateWindow(hwnd());
}

}  // namespace fw
