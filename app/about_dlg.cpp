#include "app/about_dlg.h"

#include <cwchar>

#include "app/version_reference.h"
#include "framework/resources.h"

about_dlg::about_dlg(HWND parent)
    : dialog(fw::find_resource_module(template_id, RT_DIALOG), template_id, parent) {
    bind_text(version_control, version_);
}

std::wstring about_dlg::version_text() {
    const version_components parts = split_version(program_version);
    wchar_t text[64] = {};
    std::swprintf(text, 64, L"Version %x %x %x", static_cast<unsigned>(parts.first),
                  static_cast<unsigned>(parts.second), static_cast<unsigned>(parts.third));
    return text;
}

BOOL about_dlg::on_init_dialog() {
    version_ = version_text();
    return dialog::on_init_dialog();
}
