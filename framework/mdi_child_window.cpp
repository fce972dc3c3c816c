#include "framework/mdi_child_window.h"

#include "framework/document.h"
#include "framework/frame_window.h"
#include "framework/mdi_frame_window.h"
#include "framework/view.h"
#include "framework/window_class.h"

namespace fw {

mdi_child_window::~mdi_child_window() = default;

mdi_child_window* mdi_child_window::create(std::unique_ptr<mdi_child_window> object,
                                           mdi_frame_window& frame, document& doc,
                                           std::unique_ptr<view> content) {
    const wchar_t* class_name =
        register_window_class(L"fw.mdichild", CS_DBLCLKS, ::LoadIconW(nullptr, IDI_APPLICATION),
                              reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    if (!object || !content || !class_name || !frame.mdi_client()) return nullptr;
    object->frame_ = &frame;
    object->document_ = &doc;
    object->pending_view_ = std::move(content);

    CREATESTRUCTW cs{};
    cs.lpszClass = class_name;
    cs.lpszName = doc.title().c_str();
    cs.style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW;
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.hwndParent = frame.mdi_client();
    cs.hInstance = code_module();
    if (!object->pre_create_window(cs)) return nullptr;

    MDICREATESTRUCTW mdi{};
    mdi.szClass = cs.lpszClass;
    mdi.szTitle = cs.lpszName;
    mdi.hOwner = cs.hInstance;
    mdi.x = cs.x;
    mdi.y = cs.y;
    mdi.cx = cs.cx;
    mdi.cy = cs.cy;
    mdi.style = static_cast<DWORD>(cs.style);
    HWND client = frame.mdi_client();
    bool created = object->create_through(cs.lpszClass, [&] {
        return reinterpret_cast<HWND>(
            ::SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mdi)));
    });
    if (!created) return nullptr;
    mdi_child_window* child = object.release();
    child->owned_by_window_ = true;
    child->update_title();
    return child;
}

document* mdi_child_window::active_document() const {
    return view_ ? view_->get_document() : document_;
}

bool mdi_child_window::on_cmd_msg(UINT id, const command_request& request) {
    if (view_ && view_->on_cmd_msg(id, request)) return true;
    return cmd_target::on_cmd_msg(id, request);
}

void mdi_child_window::update_title() {
    document* doc = active_document();
    if (!doc || !hwnd()) return;
    ::SetWindowTextW(hwnd(), doc->title().c_str());
    notify_frame();
}

void mdi_child_window::notify_frame() {
    if (frame_) frame_->update_frame_title();
}

int mdi_child_window::on_create() {
    view* created = view::create(std::move(pending_view_), hwnd(), *document_);
    if (!created) return -1;
    view_ = created;
    return 0;
}

void mdi_child_window::on_close() {
    document* doc = active_document();
    if (!doc) {
        destroy();
        return;
    }
    if (!doc->save_modified()) return;
    // The document closes with the last window that shows it.
    if (doc->views().size() <= 1) {
        doc->on_close_document();
    } else {
        ::SendMessageW(::GetParent(hwnd()), WM_MDIDESTROY, reinterpret_cast<WPARAM>(hwnd()), 0);
    }
}

LRESULT mdi_child_window::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE: {
            LRESULT result = default_proc(message, wparam, lparam);
            if (result == -1) return -1;
            return on_create();
        }
        case WM_SIZE: {
            // The default keeps the MDI maximize state in step; the view fills the rest.
            LRESULT result = default_proc(message, wparam, lparam);
            if (view_ && view_->hwnd()) {
                ::MoveWindow(view_->hwnd(), 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
            }
            notify_frame();
            return result;
        }
        case WM_SETFOCUS:
            if (view_ && view_->hwnd()) ::SetFocus(view_->hwnd());
            return 0;
        case WM_MDIACTIVATE: {
            LRESULT result = default_proc(message, wparam, lparam);
            notify_frame();
            return result;
        }
        case WM_CLOSE:
            on_close();
            return 0;
        case WM_DESTROY:
            view_ = nullptr;
            break;
        default:
            break;
    }
    return window::window_proc(message, wparam, lparam);
}

LRESULT mdi_child_window::default_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    return ::DefMDIChildProcW(hwnd(), message, wparam, lparam);
}

void mdi_child_window::post_nc_destroy() {
    // The frame's caption no longer names this window's document. The MDI client has already
    // let go of this window, so the frame sees the next active one.
    notify_frame();
    if (owned_by_window_) delete this;
}

}  // namespace fw
