#include "framework/mdi_frame_window.h"

#include "framework/document.h"
#include "framework/framework_ids.h"
#include "framework/mdi_child_window.h"
#include "framework/window_class.h"

namespace fw {

mdi_child_window* mdi_frame_window::active_child() const {
    if (!mdi_client_) return nullptr;
    HWND active = reinterpret_cast<HWND>(::SendMessageW(mdi_client_, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<mdi_child_window*>(window::from_handle(active));
}

document* mdi_frame_window::active_document() const {
    mdi_child_window* child = active_child();
    return child ? child->active_document() : nullptr;
}

bool mdi_frame_window::on_cmd_msg(UINT id, const command_request& request) {
    if (mdi_child_window* child = active_child()) {
        if (child->on_cmd_msg(id, request)) return true;
    }
    return frame_window::on_cmd_msg(id, request);
}

bool mdi_frame_window::pre_translate_message(MSG& message) {
    if (mdi_client_ && ::TranslateMDISysAccel(mdi_client_, &message)) return true;
    return frame_window::pre_translate_message(message);
}

int mdi_frame_window::on_create(CREATESTRUCTW* create) {
    if (frame_window::on_create(create) == -1) return -1;
    CLIENTCREATESTRUCT client{};
    client.hWindowMenu = nullptr;
    client.idFirstChild = AFX_IDM_FIRST_MDICHILD;
    mdi_client_ = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL, 0, 0,
        0, 0, hwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)),
        code_module(), &client);
    return mdi_client_ ? 0 : -1;
}

void mdi_frame_window::recalc_layout() {
    RECT rest = layout_bars();
    if (mdi_client_) {
        ::MoveWindow(mdi_client_, rest.left, rest.top, rest.right - rest.left,
                     rest.bottom - rest.top, TRUE);
    }
}

void mdi_frame_window::update_frame_title() {
    if (!hwnd() || is_being_destroyed()) return;
    mdi_child_window* child = active_child();
    document* doc = child ? child->active_document() : nullptr;
    bool maximized = child && (::GetWindowLongW(child->hwnd(), GWL_STYLE) & WS_MAXIMIZE);
    if (adds_document_title() && doc && !maximized) {
        set_caption(title() + L" - " + doc->title());
    } else {
        set_caption(title());
    }
}

LRESULT mdi_frame_window::default_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    // Before the client exists (and after it is gone) DefFrameProcW with no client behaves
    // like DefWindowProcW.
    return ::DefFrameProcW(hwnd(), mdi_client_, message, wparam, lparam);
}

}  // namespace fw
