#include "app/calc_detected_dialog.h"

#include "app/resource.h"
#include "framework/resources.h"

calc_detected_dialog::calc_detected_dialog(HWND parent)
    : dialog(fw::find_resource_module(IDD_CALC_DETECTED, RT_DIALOG), IDD_CALC_DETECTED, parent) {}

BOOL calc_detected_dialog::on_init_dialog() {
    // Its owner is hidden and it has no taskbar button: it must not open behind the frame.
    ::SetForegroundWindow(handle());
    return dialog::on_init_dialog();
}

bool calc_detected_dialog::on_command(int id, int notify_code) {
    if (id != IDC_FORMAT_AND_UPDATE || notify_code != BN_CLICKED) return false;
    end_dialog(ID_FORMAT_AND_UPDATE_CALCULATOR);
    return true;
}

void calc_detected_dialog::on_ok() { end_dialog(ID_UPDATE_CALCULATOR); }

void calc_detected_dialog::on_cancel() { end_dialog(IDCANCEL); }
