// The "Firmware Update" box (dialog IDD_FIRMWARE_UPDATE) that tells the user that no calculator
// is connected. "Help" closes the box and then opens the updater's help through the main frame
// it was made for; "Cancel", Escape and the close box only close it. UI thread only.
#pragma once

#include "framework/dialog.h"

class main_frame;

class message_box : public fw::dialog {
public:
    // Owned by `frame`'s window, which must exist while the box runs.
    explicit message_box(main_frame& frame);

protected:
    // "Help": ends the box with IDOK, then asks the frame for the help document.
    void on_ok() override;

private:
    main_frame& frame_;
};
