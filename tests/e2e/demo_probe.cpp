// Watches the vanta that `scripts/run.sh --demo` started, as its user would: the firmware
// question for the simulated calculator and the scheduled check's notification must both
// appear. Answers the question with Cancel and the notification with Get It (the package is
// downloaded, checked and opened; demo_twice.sh looks for the mark it leaves), and closes
// vanta's main window if it is still there, so the demo ends. Exit status 0 when both
// appeared, 1 otherwise. Runs in the demo's Wine prefix.
#include <windows.h>

#include <cstdio>

#include "tests/support/dialog_driver/dialog_driver.h"

namespace {

constexpr int status_text = 1013;
constexpr int get_it_button = 4;
const dialog_driver::milliseconds patience{90000};

HWND wait_for(const wchar_t* caption, int control_id = 0) {
    dialog_driver::window_query query;
    query.caption = caption;
    query.control_id = control_id;
    return dialog_driver::wait_for_window(query, patience);
}

}  // namespace

int wmain() {
    HWND frame = wait_for(L"Orv Vanta Kit");
    HWND question = frame ? wait_for(L"Firmware Upgrade") : nullptr;
    HWND notification = frame ? wait_for(L"Check for Update", status_text) : nullptr;
    std::printf("main window: %s\nfirmware question: %s\nscheduled notification: %s\n",
                frame ? "shown" : "missing", question ? "shown" : "missing",
                notification ? "shown" : "missing");

    if (question) {
        dialog_driver::press_button(question, IDCANCEL);
        dialog_driver::wait_until_gone(question);
    }
    if (notification) {
        dialog_driver::press_button(notification, get_it_button);
        dialog_driver::wait_until_gone(notification, patience);
    }
    if (frame && ::IsWindow(frame)) dialog_driver::close_window(frame);
    return frame && question && notification ? 0 : 1;
}
