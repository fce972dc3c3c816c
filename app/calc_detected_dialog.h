// The "Calculator Detected" dialog (IDD_CALC_DETECTED), offered when a calculator in recovery
// mode is plugged in. It ends with the command id of the Update menu that the user chose, so the
// caller acts on it as on the menu command: ID_UPDATE_CALCULATOR ("Update Calculator", also
// Enter), ID_FORMAT_AND_UPDATE_CALCULATOR ("Format && Update Calculator"), or IDCANCEL
// ("Cancel", Escape, the close box). UI thread only.
#pragma once

#include <windows.h>

#include "framework/dialog.h"

class calc_detected_dialog : public fw::dialog {
public:
    // `parent` owns the dialog while it runs; it may be hidden.
    explicit calc_detected_dialog(HWND parent);

protected:
    BOOL on_init_dialog() override;
    bool on_command(int id, int notify_code) override;
    void on_ok() override;
    void on_cancel() override;
};
