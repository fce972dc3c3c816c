// A document window inside an MDI frame, holding one view of one document. It owns itself: it
// goes with its window. Closing it closes its document once no other window shows it. Commands
// reach its view (and the view's document) first. UI thread only.
#pragma once

#include <memory>

#include "framework/cmd_target.h"
#include "framework/window.h"

namespace fw {

class document;
class mdi_frame_window;
class view;

class mdi_child_window : public window, public cmd_target {
public:
    ~mdi_child_window() override;

    // Creates the window in `frame`'s MDI client with `content` as its view of `doc`. The
    // window then owns the object; nullptr (and both objects gone) when it failed.
    static mdi_child_window* create(std::unique_ptr<mdi_child_window> object,
                                    mdi_frame_window& frame, document& doc,
                                    std::unique_ptr<view> content);

    view* active_view() const noexcept { return view_; }
    document* active_document() const;

    // The view's route (view, document), then this window's own map.
    bool on_cmd_msg(UINT id, const command_request& request) override;

    // The caption follows the document's title.
    void update_title();

protected:
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    LRESULT default_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void post_nc_destroy() override;

private:
    int on_create();
    void on_close();
    void notify_frame();

    mdi_frame_window* frame_ = nullptr;
    document* document_ = nullptr;
    std::unique_ptr<view> pending_view_;
    view* view_ = nullptr;
    bool owned_by_window_ = false;
};

}  // namespace fw
