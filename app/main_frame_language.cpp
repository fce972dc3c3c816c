// The Language submenu of the File menu, and the choice of a language for the next start.
#include <string>
#include <utility>
#include <vector>

#include "app/main_frame.h"
#include "app/resource.h"
#include "app/velmo_app.h"
#include "framework/resources.h"

namespace {

using language_chain::first_language_command;
using language_chain::last_language_command;

constexpr wchar_t language_setting[] = L"LanguageId";
constexpr wchar_t restart_fallback[] = L"Please restart application.";

}  // namespace

void main_frame::map_language_commands() {
    commands().on_update(ID_LANGUAGE, [this](fw::cmd_ui& ui) { build_language_menu(ui); });
    commands().on_command_range(first_language_command, last_language_command,
                                [this](UINT id) { choose_language(id); });
}

language_support& main_frame::language() const {
    return language_ ? *language_ : the_app.language();
}

void main_frame::build_language_menu(fw::cmd_ui& ui) {
    // Only the menu item carries a submenu; asked for any other element there is nothing to do.
    HMENU menu = ui.menu();
    if (!menu) return;

    language_support& support = language();
    support.list_languages();
    const std::vector<language_chain::language_id>& languages = support.languages();
    const std::size_t count = language_chain::menu_item_count(languages.size());

    std::vector<std::wstring> names;
    for (std::size_t i = 0; i < count; ++i) {
        names.push_back(language_support::language_display_name(languages[i]));
    }
    names = language_chain::distinct_menu_names(languages, std::move(names),
                                                &language_support::language_region_name);

    fw::unique_menu popup(::CreatePopupMenu());
    if (!popup) return;
    for (std::size_t i = 0; i < count; ++i) {
        ::AppendMenuW(popup.get(), MF_STRING, first_language_command + i, names[i].c_str());
    }
    if (auto checked = language_chain::checked_index(languages, support.current_language())) {
        ::CheckMenuRadioItem(popup.get(), first_language_command,
                             first_language_command + static_cast<UINT>(count) - 1,
                             first_language_command + static_cast<UINT>(*checked), MF_BYCOMMAND);
    }

    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_SUBMENU;
    if (!::GetMenuItemInfoW(menu, ui.id(), FALSE, &item)) return;
    const HMENU previous = item.hSubMenu;
    item.hSubMenu = popup.get();
    if (!::SetMenuItemInfoW(menu, ui.id(), FALSE, &item)) return;
    // The menu owns the new submenu now; the one it replaces would otherwise be lost.
    popup.release();
    if (previous) ::DestroyMenu(previous);
    ui.enable(true);
}

void main_frame::choose_language(UINT id) {
    language_support& support = language();
    const auto index = language_chain::chosen_index(id, support.languages().size());
    if (!index) return;

    const language_chain::language_id chosen = support.languages()[*index];
    fw::application* app = fw::application::instance();
    if (app) app->write_profile_int(L"", language_setting, chosen);

    // The restart text in the chosen language: its resources are in use just long enough to
    // read the text, and the program goes on in the language it started with.
    const language_chain::language_id started_with = support.current_language();
    support.set_current_language(chosen);
    support.try_language();
    const std::wstring pattern = fw::load_string_or(IDS_RESTART_APPLICATION, restart_fallback);
    support.set_current_language(started_with);
    if (!support.try_language()) support.unload_language();

    const std::wstring name = app ? app->app_name() : std::wstring();
    ::MessageBoxW(hwnd(), language_chain::format_restart_text(pattern, name).c_str(), name.c_str(),
                  MB_OK | MB_ICONINFORMATION);
}
