#include "framework/view.h"

#include "framework/document.h"
#include "framework/framework_ids.h"
#include "framework/mdi_child_window.h"
#include "framework/window_class.h"

namespace fw {

view* view::create(std::unique_ptr<view> object, HWND parent, document& doc) {
    const wchar_t* class_name =
        register_window_class(L"fw.view", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, nullptr,
                              reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    if (!object || !class_name) return nullptr;
    RECT area{};
    ::GetClientRect(parent, &area);
    if (!object->create_ex(0, class_name, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, area,
                           parent, AFX_IDW_PANE_FIRST)) {
        return nullptr;
    }
    view* created = object.release();
    created->owned_by_window_ = true;
    created->document_ = &doc;
    doc.add_view(created);
    return created;
}

bool view::on_cmd_msg(UINT id, const command_request& request) {
    if (cmd_target::on_cmd_msg(id, request)) return true;
    return document_ && document_->on_cmd_msg(id, request);
}

void view::on_document_title_changed() {
    auto* frame = dynamic_cast<mdi_child_window*>(window::from_handle(::GetParent(hwnd())));
    if (frame) frame->update_title();
}

LRESULT view::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(hwnd(), &paint);
        on_draw(dc);
        ::EndPaint(hwnd(), &paint);
        return 0;
    }
    return window::window_proc(message, wparam, lparam);
}

void view::post_nc_destroy() {
    document* doc = document_;
    document_ = nullptr;
    // The document may go with its last view; this object goes in any case.
    if (doc) doc->remove_view(this);
    if (owned_by_window_) delete this;
}

}  // namespace fw
