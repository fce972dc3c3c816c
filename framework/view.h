// A window that shows a document inside a document window. It owns itself: it goes with its
// window, telling its document. Commands reach it before its document. UI thread only.
#pragma once

#include <memory>

#include "framework/cmd_target.h"
#include "framework/window.h"

namespace fw {

class document;

class view : public window, public cmd_target {
public:
    // Creates the view's window as child AFX_IDW_PANE_FIRST of `parent`, showing `doc`. The
    // window then owns the object; nullptr (and the object gone) when it failed.
    static view* create(std::unique_ptr<view> object, HWND parent, document& doc);

    document* get_document() const noexcept { return document_; }

    // The view's own map, then its document's.
    bool on_cmd_msg(UINT id, const command_request& request) override;

    // The document's title changed; the window showing the view follows.
    void on_document_title_changed();

protected:
    virtual void on_draw(HDC dc) = 0;
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void post_nc_destroy() override;

private:
    document* document_ = nullptr;
    bool owned_by_window_ = false;
};

}  // namespace fw
