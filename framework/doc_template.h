// A multiple-document template: how documents of one type are made (document, document window
// and view classes) and named (the seven line-separated fields of one string resource). It
// owns the open documents of its type. UI thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fw {

class document;
class mdi_child_window;
class view;

class doc_template {
public:
    // The fields of the template's string, in order.
    enum doc_string_index {
        window_title,
        doc_name,
        file_new_name,
        filter_name,
        filter_ext,
        reg_file_type_id,
        reg_file_type_name,
    };

    using document_factory = std::function<std::unique_ptr<document>()>;
    using frame_factory = std::function<std::unique_ptr<mdi_child_window>()>;
    using view_factory = std::function<std::unique_ptr<view>()>;

    doc_template(UINT resource_id, document_factory make_document, frame_factory make_frame,
                 view_factory make_view);
    ~doc_template();
    doc_template(const doc_template&) = delete;
    doc_template& operator=(const doc_template&) = delete;

    // Loads the template's string from the current resources; false when it is missing.
    bool load();
    UINT resource_id() const noexcept { return resource_id_; }
    // One field of the string; empty when the string has fewer fields.
    std::wstring get_doc_string(doc_string_index index) const;

    // A new document (empty `path`, titled doc_name plus a running number) or the document
    // read from `path` (activating its window if it is already open), shown in a new document
    // window of the application's main frame. nullptr on failure.
    document* open_document_file(const std::wstring& path);

    // Asks for a file name with the template's filter (open or save dialog). `path` holds the
    // proposed name on entry and the chosen one on success. The current directory stays as it
    // was.
    bool prompt_file_name(HWND owner, bool open, std::wstring& path) const;

    const std::vector<std::unique_ptr<document>>& documents() const noexcept { return documents_; }
    // Deletes `doc`, which must belong to this template.
    void remove_document(document* doc);
    bool save_all_modified();
    void close_all_documents();

private:
    UINT resource_id_;
    document_factory make_document_;
    frame_factory make_frame_;
    view_factory make_view_;
    std::vector<std::wstring> fields_;
    unsigned int untitled_count_ = 0;
    std::vector<std::unique_ptr<document>> documents_;
};

// A template for the document, document-window and view classes Doc, Frame and View.
template <typename Doc, typename Frame, typename View>
std::unique_ptr<doc_template> make_doc_template(UINT resource_id) {
    return std::make_unique<doc_template>(
        resource_id, [] { return std::unique_ptr<document>(std::make_unique<Doc>()); },
        [] { return std::unique_ptr<mdi_child_window>(std::make_unique<Frame>()); },
        [] { return std::unique_ptr<view>(std::make_unique<View>()); });
}

}  // namespace fw
