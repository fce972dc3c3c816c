// The status bar at the bottom of a frame: panes identified by command ids, the first of them
// usually stretched over the width that the others leave. At idle time the frame asks each
// pane's update handler for its state, so a pane always shows what its handler says; a pane
// whose handler disables it shows no text. UI thread only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/unique_handle.h"
#include "framework/window.h"

namespace fw {

class cmd_target;

// Control-bar style: the bar sits at the bottom of its frame.
inline constexpr DWORD CBRS_BOTTOM = 0x8000;

// Pane styles.
inline constexpr UINT SBPS_NORMAL = 0x0000;
inline constexpr UINT SBPS_NOBORDERS = 0x0100;
inline constexpr UINT SBPS_POPOUT = 0x0200;
inline constexpr UINT SBPS_DISABLED = 0x04000000;
inline constexpr UINT SBPS_STRETCH = 0x08000000;

class status_bar : public window {
public:
    // Creates the bar as a child of `parent` with id `id` (normally AFX_IDW_STATUS_BAR, which is
    // how the frame finds it for layout and idle updates), sized for the parent's DPI.
    bool create(HWND parent, DWORD style, UINT id);

    // Gives the bar the system's status font at `dpi` and sizes the panes for it: a pane as
    // wide as its text is measured again, one of a given width scales with the DPI. The frame
    // calls this when it moves to a monitor of another DPI, then lays the bar out again; and
    // with the present DPI when the system's fonts have changed.
    void set_dpi(UINT dpi);
    UINT dpi() const { return dpi_; }

    // One pane per id, each showing its id's string from the current resources (empty when
    // there is none) and as wide as that text.
    bool set_indicators(const UINT* ids, int count);
    // Restyles pane `index`: a stretched pane takes the width the others leave (at least
    // `width` pixels); other panes are `width` pixels of text wide (pixels at the bar's
    // present DPI).
    void set_pane_info(int index, UINT id, UINT style, int width);

    // Replaces the pane's text; with `repaint` the pane is redrawn at once.
    bool set_pane_text(int index, const std::wstring& text, bool repaint = true);
    std::wstring pane_text(int index) const;
    // Enables or disables the pane; a disabled pane keeps its text but does not show it.
    void enable_pane(int index, bool enabled);

    int pane_count() const { return static_cast<int>(panes_.size()); }
    UINT pane_id(int index) const;
    UINT pane_style(int index) const;

    // Asks `target` for the state of every pane (the idle-time update).
    void update_cmd_ui(cmd_target& target);

    // Lays the bar out along the bottom of its parent and sizes the panes; returns the bar's
    // height.
    int reposition();

protected:
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    struct pane {
        UINT id = 0;
        UINT style = SBPS_NORMAL;
        int width = 0;
        // The indicator string whose width, in the bar's font, is the pane's width; empty for a
        // pane of a given width (and for an indicator without text, whose width is 0 anyway).
        std::wstring width_text;
        std::wstring text;
        std::wstring shown;
        bool shown_valid = false;
    };

    int text_width(const std::wstring& text) const;
    int pane_padding() const;
    void layout_panes();
    void show_pane(int index, bool repaint);

    std::vector<pane> panes_;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    unique_font font_;
};

}  // namespace fw
