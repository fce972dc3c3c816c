// The program's one application object: start-up values, the main window, the message loop
// with idle-time user-interface updates, the program's settings in the registry, the document
// templates and the commands New, Open and Exit. A program derives its application class from
// this one, defines exactly one global instance of it, and passes it to fw::win_main from
// WinMain.
// UI thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/cmd_target.h"
#include "framework/profile.h"
#include "framework/recent_file_list.h"

namespace fw {

class doc_template;
class document;
class frame_window;

class application : public cmd_target {
public:
    application();
    ~application() override;
    application(const application&) = delete;
    application& operator=(const application&) = delete;

    // The process's application object (the most recently constructed one).
    static application* instance();

    // Start-up values from WinMain. The application's name is string AFX_IDS_APP_TITLE of the
    // program's own module (before any language library is chosen), else the module's file
    // name without its extension.
    void set_startup(HINSTANCE instance, int show_command);
    HINSTANCE instance_handle() const noexcept { return instance_; }
    int show_command() const noexcept { return show_command_; }
    const std::wstring& app_name() const noexcept { return app_name_; }

    // Start-up: true to run the message loop, false to end the program.
    virtual bool init_instance();
    // Shutdown, also after a failed start-up: writes the standard settings, undoes
    // ole_init, and returns the program's exit code.
    virtual int exit_instance();
    // Idle-time work; `count` counts the calls since the last message. true asks for more.
    virtual bool on_idle(long count);
    // Keys the main window translates (accelerators); true when `message` was consumed.
    virtual bool pre_translate_message(MSG& message);
    // The message loop; ends with WM_QUIT, destroys the main window's object and returns
    // exit_instance().
    int run();

    // The main window. Its destruction ends the message loop.
    frame_window* main_window() const noexcept { return main_window_.get(); }
    void set_main_window(std::unique_ptr<frame_window> window);
    std::unique_ptr<frame_window> take_main_window();

    // Settings under HKEY_CURRENT_USER\Software\<vendor>\<app_name()>.
    void set_registry_key(const std::wstring& vendor_key);
    const profile& settings() const noexcept { return settings_; }
    unsigned int get_profile_int(const std::wstring& section, const std::wstring& entry,
                                 int default_value) const;
    bool write_profile_int(const std::wstring& section, const std::wstring& entry, int value) const;
    std::wstring get_profile_string(const std::wstring& section, const std::wstring& entry,
                                    const std::wstring& default_value = std::wstring()) const;
    bool write_profile_string(const std::wstring& section, const std::wstring& entry,
                              const std::wstring& value) const;

    // Reads the recent-file list ("Recent File List", `recent_count` entries) and the print
    // preview setting; exit_instance writes them back.
    void load_std_profile_settings(unsigned int recent_count = 4);
    void save_std_profile_settings();
    recent_file_list* recent_files() noexcept { return recent_files_.get(); }
    void add_to_recent_file_list(const std::wstring& path);

    // OleInitialize for this thread; false when it failed.
    bool ole_init();

    // Documents.
    void add_doc_template(std::unique_ptr<doc_template> templ);
    doc_template* first_doc_template() const;
    // Opens `path` as a document (or activates the window already showing it); nullptr when
    // it could not be read.
    document* open_document_file(const std::wstring& path);
    bool save_all_modified();
    void close_all_documents();

    // Command handlers a derived class maps (New and Open) or the framework maps (Exit).
    void on_file_new();
    void on_file_open();
    void on_app_exit();

private:
    static bool is_idle_message(const MSG& message, MSG& last_mouse_move);

    HINSTANCE instance_ = nullptr;
    int show_command_ = SW_SHOWNORMAL;
    std::wstring app_name_;
    profile settings_;
    std::unique_ptr<recent_file_list> recent_files_;
    unsigned int preview_pages_ = 0;
    bool ole_initialized_ = false;
    int exit_code_ = 0;
    std::vector<std::unique_ptr<doc_template>> templates_;
    std::unique_ptr<frame_window> main_window_;
};

// The body of WinMain for the program's application object `app`: start-up, message loop,
// shutdown. Returns the process's exit code.
int win_main(application& app, HINSTANCE instance, int show_command);

}  // namespace fw
