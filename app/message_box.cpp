#include "app/message_box.h"

#include "app/main_frame.h"
#include "app/resource.h"
#include "framework/resources.h"

message_box::message_box(main_frame& frame)
    : dialog(fw::find_resource_module(IDD_FIRMWARE_UPDATE, RT_DIALOG), IDD_FIRMWARE_UPDATE,
             frame.hwnd()),
      frame_(frame) {}

void message_box::on_ok() {
    // Ending the dialog hides it and gives the frame back its input at once, so whatever the
    // help brings up (a reader, or the question for one) is not held behind the box.
    end_dialog(IDOK);
    frame_.open_help();
}
