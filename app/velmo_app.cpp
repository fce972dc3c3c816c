#include "app/velmo_app.h"

#include <commctrl.h>

#include "app/about_dlg.h"
#include "app/base_view.h"
#include "app/child_frame.h"
#include "app/main_doc.h"
#include "app/resource.h"
#include "app/system_languages.h"
#include "framework/doc_template.h"
#include "framework/framework_ids.h"
#include "framework/resources.h"

velmo_app the_app;

velmo_app::velmo_app() {
    commands().on_command(ID_FILE_NEW, [this] { on_file_new(); });
    commands().on_command(ID_FILE_OPEN, [this] { on_file_open(); });
    commands().on_command(ID_APP_ABOUT, [this] { show_about(); });
}

main_frame* velmo_app::frame() const { return dynamic_cast<main_frame*>(main_window()); }

bool velmo_app::init_instance() {
    ::SetLastError(ERROR_SUCCESS);
    instance_mutex_.reset(::CreateMutexW(nullptr, FALSE, instance_mutex_name));
    DWORD mutex_error = ::GetLastError();
    // Another instance runs (or holds the name under rights we lack): end without a word.
    if (mutex_error == ERROR_ALREADY_EXISTS || mutex_error == ERROR_ACCESS_DENIED) return false;

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    set_registry_key(registry_key);
    select_startup_language();

    if (!ole_init()) {
        std::wstring text;
        fw::load_string(IDP_OLE_INIT_FAILED, text);
        ::MessageBoxW(nullptr, text.c_str(), app_name().c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // The program hosts no ActiveX controls, so no control container is set up.

    load_std_profile_settings(recent_file_count);

    auto templ = fw::make_doc_template<main_doc, child_frame, base_view>(IDR_CALCPROJ_TYPE);
    // A language library without the template's string still gets a working (untitled)
    // template rather than a program that will not start.
    templ->load();
    add_doc_template(std::move(templ));

    auto frame = std::make_unique<main_frame>(seams_ ? *seams_ : main_frame::system_device_seams());
    if (!frame->load_frame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | fw::FWS_ADDTOTITLE)) return false;
    HWND frame_window = frame->hwnd();
    set_main_window(std::move(frame));

    // The command line is not interpreted: no document is made or opened at start-up.
    ::ShowWindow(frame_window, show_command());
    ::UpdateWindow(frame_window);

    load_version_file();
    start_automatic_update_check();
    return true;
}

int velmo_app::exit_instance() {
    instance_mutex_.reset();
    return fw::application::exit_instance();
}

void velmo_app::select_startup_language() {
    language_.select_startup_language(system_languages::startup_candidates(settings()));
}

void velmo_app::start_automatic_update_check() {
    if (main_frame* main = frame()) main->check_for_updates(true);
}

void velmo_app::show_about() {
    main_frame* main = frame();
    about_dlg(main ? main->hwnd() : nullptr).do_modal();
}
