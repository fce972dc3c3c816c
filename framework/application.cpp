#include "framework/application.h"

#include <ole2.h>

#include "framework/doc_template.h"
#include "framework/document.h"
#include "framework/frame_window.h"
#include "framework/framework_ids.h"
#include "framework/resources.h"

namespace fw {
namespace {

application* g_application = nullptr;

const wchar_t recent_file_section[] = L"Recent File List";
const wchar_t preview_section[] = L"Settings";
const wchar_t preview_entry[] = L"PreviewPages";

// WM_SYSTIMER: the caret's blink timer; it changes nothing that idle updates show.
constexpr UINT system_timer_message = 0x0118;

std::wstring module_base_name(HINSTANCE instance) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(instance, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    return name.substr(0, name.rfind(L'.'));
}

}  // namespace

application::application() {
    g_application = this;
    commands().on_command(ID_APP_EXIT, [this] { on_app_exit(); });
}

application::~application() {
    if (g_application == this) g_application = nullptr;
}

application* application::instance() { return g_application; }

void application::set_startup(HINSTANCE instance, int show_command) {
    instance_ = instance;
    show_command_ = show_command;
    if (!load_string(instance, AFX_IDS_APP_TITLE, app_name_)) {
        app_name_ = module_base_name(instance);
    }
}

bool application::init_instance() { return true; }

int application::exit_instance() {
    if (recent_files_) save_std_profile_settings();
    if (ole_initialized_) {
        ::OleUninitialize();
        ole_initialized_ = false;
    }
    return exit_code_;
}

bool application::on_idle(long count) {
    if (count == 0 && main_window_ && main_window_->hwnd() &&
        ::IsWindowVisible(main_window_->hwnd())) {
        main_window_->on_idle_update();
    }
    return false;
}

bool application::pre_translate_message(MSG& message) {
    return main_window_ && main_window_->pre_translate_message(message);
}

bool application::is_idle_message(const MSG& message, MSG& last_mouse_move) {
    switch (message.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE: {
            // Only a mouse that really moved can change what the updates show.
            bool same = message.message == last_mouse_move.message &&
                        message.pt.x == last_mouse_move.pt.x &&
                        message.pt.y == last_mouse_move.pt.y;
            last_mouse_move = message;
            return !same;
        }
        case WM_PAINT:
        case system_timer_message:
            return false;
        default:
            return true;
    }
}

int application::run() {
    MSG message{};
    MSG last_mouse_move{};
    bool idle = true;
    long idle_count = 0;
    for (;;) {
        while (idle && !::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!on_idle(idle_count++)) idle = false;
        }
        do {
            BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                exit_code_ = got == 0 ? static_cast<int>(message.wParam) : -1;
                main_window_.reset();
                return exit_instance();
            }
            if (!pre_translate_message(message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            if (is_idle_message(message, last_mouse_move)) {
                idle = true;
                idle_count = 0;
            }
        } while (::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void application::set_main_window(std::unique_ptr<frame_window> window) {
    main_window_ = std::move(window);
}

std::unique_ptr<frame_window> application::take_main_window() { return std::move(main_window_); }

void application::set_registry_key(const std::wstring& vendor_key) {
    settings_ = profile(vendor_key, app_name_);
}

unsigned int application::get_profile_int(const std::wstring& section, const std::wstring& entry,
                                          int default_value) const {
    return settings_.get_int(section, entry, default_value);
}

bool application::write_profile_int(const std::wstring& section, const std::wstring& entry,
                                    int value) const {
    return settings_.write_int(section, entry, value);
}

std::wstring application::get_profile_string(const std::wstring& section, const std::wstring& entry,
                                             const std::wstring& default_value) const {
    return settings_.get_string(section, entry, default_value);
}

bool application::write_profile_string(const std::wstring& section, const std::wstring& entry,
                                       const std::wstring& value) const {
    return settings_.write_string(section, entry, value);
}

void application::load_std_profile_settings(unsigned int recent_count) {
    recent_files_ = std::make_unique<recent_file_list>(recent_file_section, recent_count);
    recent_files_->read(settings_);
    preview_pages_ = settings_.get_int(preview_section, preview_entry, 0);
}

void application::save_std_profile_settings() {
    if (recent_files_) recent_files_->write(settings_);
    if (preview_pages_ != 0) {
        settings_.write_int(preview_section, preview_entry, static_cast<int>(preview_pages_));
    }
}

void application::add_to_recent_file_list(const std::wstring& path) {
    if (recent_files_) recent_files_->add(path);
}

bool application::ole_init() {
    HRESULT result = ::OleInitialize(nullptr);
    if (FAILED(result)) return false;
    ole_initialized_ = true;
    return true;
}

void application::add_doc_template(std::unique_ptr<doc_template> templ) {
    templates_.push_back(std::move(templ));
}

doc_template* application::first_doc_template() const {
    return templates_.empty() ? nullptr : templates_.front().get();
}

document* application::open_document_file(const std::wstring& path) {
    doc_template* templ = first_doc_template();
    return templ ? templ->open_document_file(path) : nullptr;
}

bool application::save_all_modified() {
    for (auto& templ : templates_) {
        if (!templ->save_all_modified()) return false;
    }
    return true;
}

void application::close_all_documents() {
    for (auto& templ : templates_) templ->close_all_documents();
}

void application::on_file_new() {
    if (doc_template* templ = first_doc_template()) templ->open_document_file(std::wstring());
}

void application::on_file_open() {
    doc_template* templ = first_doc_template();
    if (!templ) return;
    std::wstring path;
    HWND owner = main_window_ ? main_window_->hwnd() : nullptr;
    if (templ->prompt_file_name(owner, true, path)) templ->open_document_file(path);
}

void application::on_app_exit() {
    if (main_window_ && main_window_->hwnd()) main_window_->send(WM_CLOSE);
}

int win_main(application& app, HINSTANCE instance, int show_command) {
    app.set_startup(instance, show_command);
    if (!app.init_instance()) {
        app.take_main_window().reset();
        return app.exit_instance();
    }
    return app.run();
}

}  // namespace fw
