#include "framework/frame_window.h"

#include "framework/application.h"
#include "framework/framework_ids.h"
#include "framework/resources.h"
#include "framework/status_bar.h"
#include "framework/window_class.h"

namespace fw {
namespace {

// Key indicators show their text while the key's toggle is on.
void update_key_indicator(cmd_ui& ui, int virtual_key) {
    ui.enable((::GetKeyState(virtual_key) & 1) != 0);
}

HICON load_frame_icon(UINT resource_id) {
    HINSTANCE module = find_resource_module(resource_id, RT_GROUP_ICON);
    HICON icon = ::LoadIconW(module, MAKEINTRESOURCEW(resource_id));
    return icon ? icon : ::LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace

frame_window::frame_window() {
    commands().on_update(ID_INDICATOR_CAPS,
                         [](cmd_ui& ui) { update_key_indicator(ui, VK_CAPITAL); });
    commands().on_update(ID_INDICATOR_NUM,
                         [](cmd_ui& ui) { update_key_indicator(ui, VK_NUMLOCK); });
    commands().on_update(ID_INDICATOR_SCRL,
                         [](cmd_ui& ui) { update_key_indicator(ui, VK_SCROLL); });
}

frame_window::~frame_window() = default;

bool frame_window::load_frame(UINT resource_id, DWORD style, HWND parent) {
    std::wstring title;
    load_string(resource_id, title);
    title_ = title.substr(0, title.find(L'\n'));
    add_to_title_ = (style & FWS_ADDTOTITLE) != 0;

    const wchar_t* class_name = register_window_class(L"fw.frame." + std::to_wstring(resource_id),
                                                      CS_DBLCLKS, load_frame_icon(resource_id),
                                                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    if (!class_name) return false;

    HMENU menu =
        ::LoadMenuW(find_resource_module(resource_id, RT_MENU), MAKEINTRESOURCEW(resource_id));
    accelerators_ = ::LoadAcceleratorsW(find_resource_module(resource_id, RT_ACCELERATOR),
                                        MAKEINTRESOURCEW(resource_id));
    if (!create_ex(0, class_name, title_.c_str(), style & ~FWS_ADDTOTITLE, CW_USEDEFAULT,
                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, menu)) {
        // A menu that no window took is still ours.
        if (menu && !::IsMenu(menu)) menu = nullptr;
        if (menu) ::DestroyMenu(menu);
        return false;
    }
    update_frame_title();
    return true;
}

bool frame_window::on_cmd_msg(UINT id, const command_request& request) {
    if (cmd_target::on_cmd_msg(id, request)) return true;
    application* app = application::instance();
    return app && app->on_cmd_msg(id, request);
}

bool frame_window::pre_translate_message(MSG& message) {
    if (!accelerators_ || !hwnd()) return false;
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    // Only keys meant for this frame; a dialog or another top-level window keeps its own.
    if (message.hwnd != hwnd() && !::IsChild(hwnd(), message.hwnd)) return false;
    return ::TranslateAcceleratorW(hwnd(), accelerators_, &message) != 0;
}

void frame_window::on_idle_update() {
    if (status_bar* bar = find_status_bar()) bar->update_cmd_ui(*this);
    update_frame_title();
}

status_bar* frame_window::find_status_bar() const {
    if (!hwnd()) return nullptr;
    return dynamic_cast<status_bar*>(window::from_handle(::GetDlgItem(hwnd(), AFX_IDW_STATUS_BAR)));
}

int frame_window::on_create(CREATESTRUCTW* create) {
    LRESULT result = default_proc(WM_CREATE, 0, reinterpret_cast<LPARAM>(create));
    return result == -1 ? -1 : 0;
}

RECT frame_window::layout_bars() {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    if (status_bar* bar = find_status_bar()) client.bottom -= bar->reposition();
    if (client.bottom < client.top) client.bottom = client.top;
    return client;
}

void frame_window::recalc_layout() { layout_bars(); }

void frame_window::on_dpi_changed(UINT dpi, const RECT* suggested) {
    // The bar first: the move below lays the frame out with the bar's new height.
    if (status_bar* bar = find_status_bar()) bar->set_dpi(dpi);
    if (suggested) {
        ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    recalc_layout();
}

void frame_window::on_metrics_changed() {
    if (status_bar* bar = find_status_bar()) bar->set_dpi(bar->dpi());
    recalc_layout();
}

void frame_window::update_frame_title() { set_caption(title_); }

void frame_window::set_caption(const std::wstring& caption) {
    if (!hwnd() || destroying_) return;
    wchar_t current[512] = {};
    ::GetWindowTextW(hwnd(), current, 512);
    if (caption != current) ::SetWindowTextW(hwnd(), caption.c_str());
}

void frame_window::on_close() {
    application* app = application::instance();
    if (app && app->main_window() == this) {
        if (!app->save_all_modified()) return;
        app->close_all_documents();
    }
    destroy();
}

void frame_window::on_init_menu_popup(HMENU popup, bool is_window_menu) {
    if (is_window_menu) return;
    int count = ::GetMenuItemCount(popup);
    for (int index = 0; index < count; ++index) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!::GetMenuItemInfoW(popup, index, TRUE, &info)) continue;
        if ((info.fType & MFT_SEPARATOR) || info.wID == 0) continue;
        menu_cmd_ui ui(popup, index, info.wID);
        // An item that carries a submenu is asked under its own id, so that its handler can
        // rebuild the submenu each time; such items are never disabled for want of a handler.
        bool disable_if_unhandled = !info.hSubMenu && info.wID < 0xF000;
        ui.do_update(*this, disable_if_unhandled);
    }
}

LRESULT frame_window::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            return on_create(reinterpret_cast<CREATESTRUCTW*>(lparam));
        case WM_COMMAND:
            // Menus, accelerators and posted commands; notifications of child controls carry
            // their window and are left to the default.
            if (lparam == 0 && execute_command(LOWORD(wparam))) return 0;
            break;
        case WM_INITMENUPOPUP:
            on_init_menu_popup(reinterpret_cast<HMENU>(wparam), HIWORD(lparam) != 0);
            return 0;
        case WM_SIZE:
            // The default keeps an MDI client's maximized child in step; the layout then puts
            // the bars and the client where they belong.
            window::window_proc(message, wparam, lparam);
            if (wparam != SIZE_MINIMIZED) recalc_layout();
            return 0;
        case WM_DPICHANGED:
            // The DPI comes with the message: GetDpiForWindow may not know it yet (and under
            // Wine it stays at the system's).
            on_dpi_changed(LOWORD(wparam), reinterpret_cast<const RECT*>(lparam));
            return 0;
        case WM_SETTINGCHANGE:
            if (wparam == SPI_SETNONCLIENTMETRICS) on_metrics_changed();
            break;
        case WM_CLOSE:
            on_close();
            return 0;
        case WM_DESTROY:
            destroying_ = true;
            on_destroy();
            break;
        case WM_NCDESTROY: {
            LRESULT result = window::window_proc(message, wparam, lparam);
            application* app = application::instance();
            if (app && app->main_window() == this) ::PostQuitMessage(0);
            return result;
        }
        default:
            break;
    }
    return window::window_proc(message, wparam, lparam);
}

}  // namespace fw
