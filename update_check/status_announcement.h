// Tells assistive technology that the update dialog's status line has changed: the system's
// accessibility event for the control's new name always, and a UI Automation notification
// with the text where the system offers one (Windows 10 1709 and later; bound at the first
// announcement, skipped where uiautomationcore.dll lacks it). Call on the thread that owns
// `status_control`, after its text has been set.
#pragma once

#include <windows.h>

#include <string>

namespace orv {

void announce_status(HWND status_control, const std::wstring& text);

}  // namespace orv
