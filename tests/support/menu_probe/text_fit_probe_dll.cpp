// Loaded into a program under test by text_fit_reader: measures the text of every visible
// control of one of its windows in the control's own font, as the control lays it out, and
// writes the sizes beside the room the control has for it (UTF-16, see text_fit_reader.h).
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "tests/support/menu_probe/menu_probe_request.h"

namespace {

struct measurement {
    std::wstring kind;
    int id = 0;
    SIZE text{};
    SIZE room{};
    std::wstring content;
};

int screen_dpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

std::wstring text_of(HWND control) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(control, text, 1024);
    return text;
}

// The extent of `text` in `control`'s font; with DT_WORDBREAK, wrapped at `width`.
SIZE extent(HWND control, const std::wstring& text, UINT format, int width) {
    HDC dc = ::GetDC(control);
    auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = ::SelectObject(dc, font ? font : ::GetStockObject(SYSTEM_FONT));
    RECT box{0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), -1, &box, format | DT_CALCRECT);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    return {box.right - box.left, box.bottom - box.top};
}

SIZE client_size(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    return {client.right, client.bottom};
}

// A static control with text wraps it at its width unless its style says otherwise.
bool measure_static(HWND control, LONG style, measurement& out) {
    const LONG type = style & SS_TYPEMASK;
    UINT format = DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
        format |= DT_WORDBREAK;
    } else if (type == SS_SIMPLE) {
        format |= DT_SINGLELINE;
    } else if (type != SS_LEFTNOWORDWRAP) {  // which breaks lines only where the text does
        return false;                        // icons, bitmaps, frames
    }
    out.room = client_size(control);
    out.text = extent(control, out.content, format, out.room.cx);
    return true;
}

// A check box or radio button leaves its glyph and the gap after it out of the text's room.
bool measure_button(HWND control, LONG style, measurement& out) {
    const LONG type = style & BS_TYPEMASK;
    const UINT format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    out.room = client_size(control);
    switch (type) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            out.room.cx -= ::MulDiv(13 + 4, screen_dpi(), 96);
            break;
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
        case BS_GROUPBOX:
            break;
        default:
            return false;
    }
    out.text = extent(control, out.content, format, out.room.cx);
    return true;
}

void add_status_panes(HWND bar, std::wstring& out);

void add(const measurement& m, std::wstring& out) {
    out += m.kind + L'\t' + std::to_wstring(m.id) + L'\t' + std::to_wstring(m.text.cx) + L'\t' +
           std::to_wstring(m.text.cy) + L'\t' + std::to_wstring(m.room.cx) + L'\t' +
           std::to_wstring(m.room.cy) + L'\t' + m.content + L'\n';
}

BOOL CALLBACK measure_control(HWND control, LPARAM data) {
    auto& out = *reinterpret_cast<std::wstring*>(data);
    if (!::IsWindowVisible(control)) return TRUE;
    wchar_t kind[64] = {};
    ::GetClassNameW(control, kind, 64);
    if (::lstrcmpiW(kind, STATUSCLASSNAMEW) == 0) {
        add_status_panes(control, out);
        return TRUE;
    }
    measurement m;
    m.kind = kind;
    m.id = ::GetDlgCtrlID(control);
    m.content = text_of(control);
    if (m.content.empty()) return TRUE;
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    bool measured = false;
    if (::lstrcmpiW(kind, L"Static") == 0) measured = measure_static(control, style, m);
    if (::lstrcmpiW(kind, L"Button") == 0) measured = measure_button(control, style, m);
    if (measured) add(m, out);
    return TRUE;
}

// Each pane of a status bar, its text against the pane less its borders.
void add_status_panes(HWND bar, std::wstring& out) {
    int borders[3] = {};
    ::SendMessageW(bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const int parts = static_cast<int>(::SendMessageW(bar, SB_GETPARTS, 0, 0));
    for (int i = 0; i < parts; ++i) {
        measurement m;
        m.kind = STATUSCLASSNAMEW;
        m.id = i;
        const int length = LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, i, 0));
        m.content.assign(static_cast<std::size_t>(length) + 1, L'\0');
        ::SendMessageW(bar, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(m.content.data()));
        m.content.resize(static_cast<std::size_t>(length));
        // Blanks at the end show nothing: a pane that cuts them off shows all of its text.
        m.content.erase(m.content.find_last_not_of(L' ') + 1);
        if (m.content.empty()) continue;
        RECT pane{};
        ::SendMessageW(bar, SB_GETRECT, i, reinterpret_cast<LPARAM>(&pane));
        m.room = {pane.right - pane.left - 2 * borders[2], pane.bottom - pane.top};
        // The size grip covers the right end of the last pane.
        if (i == parts - 1 && (::GetWindowLongW(bar, GWL_STYLE) & SBARS_SIZEGRIP)) {
            m.room.cx -= ::GetSystemMetrics(SM_CXVSCROLL);
        }
        m.text = extent(bar, m.content, DT_SINGLELINE | DT_NOPREFIX, m.room.cx);
        add(m, out);
    }
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI write_text_fits(void* parameter) {
    const auto* request = static_cast<const menu_probe_request*>(parameter);
    if (!::IsWindow(request->window)) return 0;
    std::wstring out = L"dpi\t" + std::to_wstring(screen_dpi()) + L'\n';
    ::EnumChildWindows(request->window, &measure_control, reinterpret_cast<LPARAM>(&out));
    return write_probe_output(request->output, out);
}
