// How the texts of another process's window fit their controls, measured inside that process
// with each control's own font (Windows): static texts wrapped at their control's width as the
// control wraps them, buttons on one line, check boxes and radio buttons less their glyph, each
// pane of a status bar.
//
//   auto fits = text_fit_reader::read(process_handle, dialog);
//   for (const auto& control : fits->controls) EXPECT_TRUE(control.fits()) << control.text;
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace text_fit_reader {

struct control {
    std::wstring kind;  // window class ("Static", "Button", "msctls_statusbar32")
    int id = 0;         // control id; a status bar's pane index
    SIZE text{};        // the text's extent
    SIZE room{};        // the room the control gives it
    std::wstring text_content;
    bool fits() const { return text.cx <= room.cx && text.cy <= room.cy; }
};

struct report {
    int dpi = 0;  // the screen's DPI in that process
    std::vector<control> controls;
};

// Nothing when the probe cannot run in `process` (see probe_runner.h).
std::optional<report> read(HANDLE process, HWND window);

}  // namespace text_fit_reader
