#include "app/about_dlg.h"

#include "app/version_reference.h"
#include "framework/resources.h"

about_dlg::about_dlg(HWND parent)
    : dialog(fw::find_resource_module(template_id, RT_DIALOG), template_id, parent) {
    bind_text(version_control, version_);
}

std::wstring about_dlg::version_text() {
    return format_version(L"Version %x %x %x", program_version);
}

BOOL about_dlg::on_init_dialog() {
    version_ = version_text();
    return dialog::on_init_dialog();
}
