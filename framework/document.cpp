#include "framework/document.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/archive.h"
#include "framework/doc_template.h"
#include "framework/frame_window.h"
#include "framework/framework_ids.h"
#include "framework/resources.h"
#include "framework/unique_handle.h"
#include "framework/view.h"

namespace fw {
namespace {

std::wstring file_name_of(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

HWND main_window_handle() {
    application* app = application::instance();
    return app && app->main_window() ? app->main_window()->hwnd() : nullptr;
}

void report_file_error(const std::wstring& path) {
    std::wstring text = path + L"\n" + system_error_text(::GetLastError());
    application* app = application::instance();
    ::MessageBoxW(main_window_handle(), text.c_str(), app ? app->app_name().c_str() : L"",
                  MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

document::document() {
    commands().on_command(ID_FILE_SAVE, [this] { do_file_save(); });
}

document::~document() = default;

void document::set_title(const std::wstring& title) {
    title_ = title;
    for (view* v : views_) v->on_document_title_changed();
}

void document::set_path_name(const std::wstring& path) {
    path_name_ = path;
    set_title(file_name_of(path));
    if (application* app = application::instance()) app->add_to_recent_file_list(path);
}

bool document::on_new_document() {
    delete_contents();
    path_name_.clear();
    set_modified(false);
    return true;
}

bool document::on_open_document(const std::wstring& path) {
    file_handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        report_file_error(path);
        return false;
    }
    delete_contents();
    archive ar(file.get(), archive::mode::load);
    serialize(ar);
    set_modified(false);
    return true;
}

bool document::on_save_document(const std::wstring& path) {
    file_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        report_file_error(path);
        return false;
    }
    archive ar(file.get(), archive::mode::store);
    serialize(ar);
    set_modified(false);
    return true;
}

void document::on_close_document() {
    // Views leave the list as their windows go; the template deletes the document once all
    // of them are gone, not in the middle of this walk.
    closing_ = true;
    std::vector<view*> showing = views_;
    for (view* v : showing) {
        if (HWND frame = ::GetParent(v->hwnd()))
            ::SendMessageW(::GetParent(frame), WM_MDIDESTROY, reinterpret_cast<WPARAM>(frame), 0);
    }
    closing_ = false;
    if (template_) template_->remove_document(this);
}

bool document::save_modified() {
    if (!is_modified()) return true;
    std::wstring text = L"Save changes to " + title_ + L"?";
    application* app = application::instance();
    int answer =
        ::MessageBoxW(main_window_handle(), text.c_str(), app ? app->app_name().c_str() : L"",
                      MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDCANCEL) return false;
    if (answer == IDYES) return do_file_save();
    return true;
}

bool document::do_file_save() { return do_save(path_name_); }

bool document::do_save(const std::wstring& path) {
    std::wstring target = path;
    if (target.empty()) {
        target = title_;
        if (!template_ || !template_->prompt_file_name(main_window_handle(), false, target)) {
            return false;
        }
    }
    if (!on_save_document(target)) return false;
    set_path_name(target);
    return true;
}

void document::add_view(view* v) {
    if (std::find(views_.begin(), views_.end(), v) == views_.end()) views_.push_back(v);
}

void document::remove_view(view* v) {
    views_.erase(std::remove(views_.begin(), views_.end(), v), views_.end());
    if (views_.empty() && !closing_ && template_) template_->remove_document(this);
}

}  // namespace fw
