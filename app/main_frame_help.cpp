// The Help and Check for Updates commands of the main frame.
#include "app/main_frame.h"

#include <shellapi.h>

#include "app/resource.h"
#include "app/version_reference.h"
#include "framework/application.h"
#include "update_check/orv_update_check.h"

namespace {

constexpr int update_product_id = 100;
constexpr wchar_t installer_server_path[] = L"/pub/calculators/OrvK58x/Orv_Vanta_Kit.exe";
constexpr unsigned automatic_check_flags = ORV_CHECK_SCHEDULED | ORV_CHECK_END_CALLER;
constexpr unsigned menu_check_flags = ORV_CHECK_SHOW_OPTION | ORV_CHECK_END_CALLER;

// The updater's help comes in English and in Chinese; every Chinese locale reads the Chinese one.
constexpr unsigned chinese_primary_language = 0x04;
constexpr wchar_t english_help[] = L"Updater Help.pdf";
constexpr wchar_t chinese_help[] = L"Updater Help CHS.pdf";
constexpr wchar_t no_pdf_reader[] = L"Please install Adobe PDF Reader to view the help file.";

}  // namespace

void main_frame::map_help_commands() {
    commands().on_command(ID_HELP_UPDATER, [this] { open_help(); });
    commands().on_command(ID_CHECK_FOR_UPDATES, [this] { check_for_updates(false); });
}

std::wstring main_frame::update_version_tag() {
    return format_version(L"_%x_%0x_%0x", program_version);
}

const wchar_t* main_frame::help_file_name() const {
    return language_chain::primary_language(language().current_language()) ==
                   chinese_primary_language
               ? chinese_help
               : english_help;
}

void main_frame::open_help() {
    // Bare names: the help documents belong to the updater and lie in the working directory.
    const wchar_t* file = help_file_name();
    wchar_t reader[MAX_PATH] = {};
    const auto found = reinterpret_cast<INT_PTR>(::FindExecutableW(file, nullptr, reader));
    if (found > 32) {
        ::ShellExecuteW(hwnd(), L"open", file, nullptr, nullptr, SW_SHOW);
    } else if (found == SE_ERR_NOASSOC) {
        const fw::application* app = fw::application::instance();
        ::MessageBoxW(hwnd(), no_pdf_reader, app ? app->app_name().c_str() : L"", MB_OK);
    }
    // Any other answer (no such file, say) ends the command without a word.
}

void main_frame::check_for_updates(bool automatic) {
    const std::wstring tag = update_version_tag();
    if (automatic) {
        OrvCheckForUpdateW(update_product_id, installer_server_path, tag.c_str(),
                           automatic_check_flags, language().current_language());
        return;
    }
    // A disabled frame has a dialog of its own open already (a posted command still arrives).
    if (hwnd() && !::IsWindowEnabled(hwnd())) return;
    run_with_frame_disabled([&] {
        OrvCheckForUpdateW(update_product_id, installer_server_path, tag.c_str(), menu_check_flags,
                           language().current_language());
    });
}
