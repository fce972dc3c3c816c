// A top-level frame loaded from one resource id: its menu, accelerator table, icon and the
// title string of that id. Commands from the menu and the accelerators are routed through the
// frame's command map and then the application's; when a popup of the menu opens, every item
// asks its update handler for its state, and at idle time the status bar's panes do the same.
// UI thread only.
#pragma once

#include <windows.h>

#include <string>

#include "framework/cmd_target.h"
#include "framework/window.h"

namespace fw {

class status_bar;

// Frame style: the title shows the active document's title after the frame's own.
inline constexpr DWORD FWS_ADDTOTITLE = 0x8000;

class frame_window : public window, public cmd_target {
public:
    frame_window();
    ~frame_window() override;

    // Creates the frame from resource `resource_id` (menu, accelerators, icon, title string:
    // the title is the string's text up to its first line break). `style` may carry
    // FWS_ADDTOTITLE. false when the window could not be created.
    bool load_frame(UINT resource_id, DWORD style, HWND parent = nullptr);

    // Commands: this frame's map, then the application's.
    bool on_cmd_msg(UINT id, const command_request& request) override;

    // Accelerators of the frame, for the message loop. true when `message` was translated.
    virtual bool pre_translate_message(MSG& message);

    // Idle-time work: the status bar's panes ask their update handlers, the title follows the
    // active document.
    virtual void on_idle_update();

    // Sets the caption as it should read now (the active document's title follows the
    // frame's own with FWS_ADDTOTITLE).
    virtual void update_frame_title();

    // The status bar, found by its id AFX_IDW_STATUS_BAR among the frame's children.
    status_bar* find_status_bar() const;

    const std::wstring& title() const noexcept { return title_; }
    HACCEL accelerators() const noexcept { return accelerators_; }
    bool adds_document_title() const noexcept { return add_to_title_; }
    // From WM_DESTROY on.
    bool is_being_destroyed() const noexcept { return destroying_; }

protected:
    // WM_CREATE: 0 to go on, -1 to fail the creation.
    virtual int on_create(CREATESTRUCTW* create);
    // Places the status bar and sizes whatever fills the rest of the client area.
    virtual void recalc_layout();
    // The area left for the frame's content once the bars are placed.
    RECT layout_bars();
    void set_caption(const std::wstring& caption);
    // WM_CLOSE: for the application's main window, documents are closed first.
    virtual void on_close();
    // WM_DPICHANGED: the frame has moved to a monitor of another DPI. It takes the place the
    // system suggests and sizes its bars for `dpi`.
    virtual void on_dpi_changed(UINT dpi, const RECT* suggested);
    // WM_SETTINGCHANGE for the non-client metrics (the user changed the text size): the bars
    // take the system's new fonts at their present DPI, and the frame is laid out again.
    virtual void on_metrics_changed();
    // WM_DESTROY, while the frame's children still exist.
    virtual void on_destroy() {}

    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    void on_init_menu_popup(HMENU popup, bool is_window_menu);

    std::wstring title_;
    HACCEL accelerators_ = nullptr;
    bool add_to_title_ = false;
    // Set once WM_DESTROY arrives: the caption no longer matters.
    bool destroying_ = false;
};

}  // namespace fw
