// The About box (dialog 100): the program's name and its own version, "Version 2012 2 22".
// Its template comes from the current resources, so it shows in the interface language.
// UI thread only.
#pragma once

#include <windows.h>

#include <string>

#include "app/resource.h"
#include "framework/dialog.h"

class about_dlg : public fw::dialog {
public:
    static constexpr UINT template_id = IDD_ABOUTBOX;
    static constexpr int version_control = IDC_VERSION_INFO;

    explicit about_dlg(HWND parent = nullptr);

    // "Version %x %x %x" of the program's own version.
    static std::wstring version_text();

protected:
    // Fills in the version line; the dialog manager then sets the focus.
    BOOL on_init_dialog() override;

private:
    std::wstring version_;
};
