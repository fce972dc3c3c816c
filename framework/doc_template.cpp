#include "framework/doc_template.h"

#include <commdlg.h>

#include <algorithm>

#include "framework/application.h"
#include "framework/document.h"
#include "framework/mdi_child_window.h"
#include "framework/mdi_frame_window.h"
#include "framework/resources.h"
#include "framework/view.h"

namespace fw {

doc_template::doc_template(UINT resource_id, document_factory make_document,
                           frame_factory make_frame, view_factory make_view)
    : resource_id_(resource_id),
      make_document_(std::move(make_document)),
      make_frame_(std::move(make_frame)),
      make_view_(std::move(make_view)) {}

doc_template::~doc_template() = default;

bool doc_template::load() {
    std::wstring text;
    if (!load_string(resource_id_, text)) return false;
    fields_.clear();
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(L'\n', start);
        fields_.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return true;
}

std::wstring doc_template::get_doc_string(doc_string_index index) const {
    auto i = static_cast<std::size_t>(index);
    return i < fields_.size() ? fields_[i] : std::wstring();
}

document* doc_template::open_document_file(const std::wstring& path) {
    application* app = application::instance();
    auto* frame = app ? dynamic_cast<mdi_frame_window*>(app->main_window()) : nullptr;
    if (!frame || !frame->hwnd()) return nullptr;

    if (!path.empty()) {
        for (auto& open : documents_) {
            if (!open->views().empty() &&
                ::CompareStringOrdinal(open->path_name().c_str(), -1, path.c_str(), -1, TRUE) ==
                    CSTR_EQUAL) {
                HWND child = ::GetParent(open->views().front()->hwnd());
                ::SendMessageW(frame->mdi_client(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child),
                               0);
                return open.get();
            }
        }
    }

    std::unique_ptr<document> made = make_document_();
    if (!made) return nullptr;
    document* doc = made.get();
    doc->set_template(this);
    documents_.push_back(std::move(made));
    if (path.empty()) {
        std::wstring name = get_doc_string(doc_name);
        doc->set_title(name + std::to_wstring(++untitled_count_));
    }

    mdi_child_window* child = mdi_child_window::create(make_frame_(), *frame, *doc, make_view_());
    if (!child) {
        remove_document(doc);
        return nullptr;
    }
    bool ready = path.empty() ? doc->on_new_document() : doc->on_open_document(path);
    if (!ready) {
        // Closing its only window takes the document with it.
        doc->on_close_document();
        return nullptr;
    }
    if (!path.empty()) doc->set_path_name(path);
    frame->update_frame_title();
    return doc;
}

bool doc_template::prompt_file_name(HWND owner, bool open, std::wstring& path) const {
    std::wstring filter_text = get_doc_string(filter_name);
    std::wstring extension = get_doc_string(filter_ext);
    std::wstring filter;
    if (!filter_text.empty() && !extension.empty()) {
        filter = filter_text + L'\0' + L"*" + extension + L'\0';
    }
    filter += L'\0';

    std::vector<wchar_t> buffer(32768, L'\0');
    std::copy_n(path.begin(), std::min(path.size(), buffer.size() - 1), buffer.begin());
    std::wstring default_extension = extension.empty() ? std::wstring() : extension.substr(1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = default_extension.empty() ? nullptr : default_extension.c_str();
    // The dialog must not move the process's current directory: the program looks for its
    // version file and its updater there.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                (open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
    BOOL chosen = open ? ::GetOpenFileNameW(&ofn) : ::GetSaveFileNameW(&ofn);
    if (!chosen) return false;
    path = buffer.data();
    return true;
}

void doc_template::remove_document(document* doc) {
    auto it = std::find_if(documents_.begin(), documents_.end(),
                           [doc](const auto& owned) { return owned.get() == doc; });
    if (it == documents_.end()) return;
    std::unique_ptr<document> gone = std::move(*it);
    documents_.erase(it);
}

bool doc_template::save_all_modified() {
    for (auto& doc : documents_) {
        if (!doc->save_modified()) return false;
    }
    return true;
}

void doc_template::close_all_documents() {
    while (!documents_.empty()) {
        std::size_t before = documents_.size();
        documents_.back()->on_close_document();
        // A document that did not go by itself is taken away here.
        if (documents_.size() == before) documents_.pop_back();
    }
}

}  // namespace fw
