// The application object of vanta: single-instance start-up, the program's settings key, the
// document template, the main frame, and the firmware version reference (its base
// version_reference: the calculator's USB ids, the version file, compare_version). There is
// exactly one, the_app. UI thread only.
#pragma once

#include <optional>

#include "app/language_support.h"
#include "app/main_frame.h"
#include "app/version_reference.h"
#include "framework/application.h"
#include "framework/unique_handle.h"

class velmo_app : public fw::application, public version_reference {
public:
    static constexpr const wchar_t* instance_mutex_name =
        L"Vanta-{5C13A8F0-7B2E-4d91-BE46-0F7A92C3D158}";
    static constexpr const wchar_t* registry_key = L"Orvatec";
    static constexpr unsigned int recent_file_count = 4;

    velmo_app();

    // Start-up; false ends the program (also, quietly, when another instance runs).
    bool init_instance() override;
    // Closes the instance mutex, then the framework's shutdown (which writes the recent-file
    // list).
    int exit_instance() override;

    // The devices the main frame will use; the real ones unless set before init_instance.
    void set_device_seams(main_frame::device_seams seams) { seams_ = seams; }

    // The main frame once start-up has made it, else nullptr.
    main_frame* frame() const;

    // The interface language chosen at start-up, and its resource library.
    language_support& language() noexcept { return language_; }

    // The About box, modally over the main frame.
    void show_about();

private:
    // Chooses the interface language before any text is shown: the stored choice, the user's
    // and the system's languages, else the program's own (language_support).
    void select_startup_language();
    // The scheduled update check, once the main window is up and the version file is read.
    void start_automatic_update_check();

    // Constructed with the application object: it reads the program's own language then.
    language_support language_;
    fw::kernel_handle instance_mutex_;
    std::optional<main_frame::device_seams> seams_;
};

extern velmo_app the_app;
