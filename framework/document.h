// A document: its title, its file, whether it has unsaved changes, and the views that show it.
// The document template owns it; it goes when its last view closes. Save (ID_FILE_SAVE) is
// handled here. UI thread only.
#pragma once

#include <string>
#include <vector>

#include "framework/cmd_target.h"

namespace fw {

class archive;
class doc_template;
class view;

class document : public cmd_target {
public:
    document();
    ~document() override;

    const std::wstring& title() const noexcept { return title_; }
    void set_title(const std::wstring& title);
    const std::wstring& path_name() const noexcept { return path_name_; }
    // Binds the document to `path`: the title becomes the file name, and the path goes on the
    // recent-file list.
    void set_path_name(const std::wstring& path);

    bool is_modified() const noexcept { return modified_; }
    void set_modified(bool modified = true) noexcept { modified_ = modified; }

    // A new, empty document.
    virtual bool on_new_document();
    // Reads the document from `path` through serialize(); false when the file cannot be read.
    virtual bool on_open_document(const std::wstring& path);
    // Writes the document to `path` through serialize().
    virtual bool on_save_document(const std::wstring& path);
    // Closes every window that shows the document, then lets the template delete it.
    virtual void on_close_document();
    // Empties the document's contents before it is reused or read.
    virtual void delete_contents() {}
    virtual void serialize(archive& ar) = 0;

    // Asks whether to save unsaved changes; false when the user cancelled.
    virtual bool save_modified();
    // Saves to the document's file, asking for a name when it has none yet.
    bool do_file_save();
    // Saves to `path`; with an empty path the user is asked for one first.
    bool do_save(const std::wstring& path);

    const std::vector<view*>& views() const noexcept { return views_; }
    void add_view(view* v);
    // Forgets `v`; a document left without views closes.
    void remove_view(view* v);

    doc_template* get_template() const noexcept { return template_; }
    void set_template(doc_template* templ) noexcept { template_ = templ; }

private:
    std::wstring title_;
    std::wstring path_name_;
    bool modified_ = false;
    bool closing_ = false;
    std::vector<view*> views_;
    doc_template* template_ = nullptr;
};

}  // namespace fw
