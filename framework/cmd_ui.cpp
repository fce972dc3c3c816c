#include "framework/cmd_ui.h"

#include "framework/cmd_target.h"

namespace fw {

void cmd_ui::do_update(cmd_target& target, bool disable_if_unhandled) {
    if (target.on_cmd_msg(id_, command_request::update(*this))) return;
    if (target.on_cmd_msg(id_, command_request::probe())) {
        enable(true);
    } else if (disable_if_unhandled) {
        enable(false);
    }
}

void menu_cmd_ui::enable(bool on) {
    ::EnableMenuItem(menu_, index_, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
}

void menu_cmd_ui::set_check(bool checked) {
    ::CheckMenuItem(menu_, index_, MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void menu_cmd_ui::set_radio(bool checked) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    if (!::GetMenuItemInfoW(menu_, index_, TRUE, &info)) return;
    info.fType = checked ? (info.fType | MFT_RADIOCHECK) : (info.fType & ~MFT_RADIOCHECK);
    info.fState = checked ? (info.fState | MFS_CHECKED) : (info.fState & ~MFS_CHECKED);
    ::SetMenuItemInfoW(menu_, index_, TRUE, &info);
}

void menu_cmd_ui::set_text(const std::wstring& text) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    ::SetMenuItemInfoW(menu_, index_, TRUE, &info);
}

}  // namespace fw
