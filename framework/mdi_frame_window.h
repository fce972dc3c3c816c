// A frame whose client area is an MDI client holding document windows (mdi_child_window).
// Commands go to the active child (its view, its document, the child itself) before the
// frame's own map and the application's. UI thread only.
#pragma once

#include "framework/frame_window.h"

namespace fw {

class mdi_child_window;
class document;

class mdi_frame_window : public frame_window {
public:
    HWND mdi_client() const noexcept { return mdi_client_; }
    // The active document window, or nullptr.
    mdi_child_window* active_child() const;
    document* active_document() const;

    bool on_cmd_msg(UINT id, const command_request& request) override;
    bool pre_translate_message(MSG& message) override;
    // "Frame - Document" while a document window is active and not maximized (a maximized one
    // adds its title to the caption by itself).
    void update_frame_title() override;

protected:
    // Creates the MDI client; -1 when that fails.
    int on_create(CREATESTRUCTW* create) override;
    void recalc_layout() override;
    LRESULT default_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    HWND mdi_client_ = nullptr;
};

}  // namespace fw
