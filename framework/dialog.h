// A modal dialog over a dialog template resource, with simple data exchange between members and
// controls: our stand-in for MFC's CDialog.
//
// Threads: a dialog object belongs to the thread that calls do_modal(); every member function
// runs there, except handle(), which other threads may read to post messages to the window
// (a window that has gone away simply drops what is posted to it).
//
// Typical use:
//   class about_box : public fw::dialog {
//   public:
//       about_box() : dialog(fw::resource_module(), 100) { bind_text(1003, version_); }
//   protected:
//       BOOL on_init_dialog() override {
//           version_ = L"Version 2012 2 22";
//           return dialog::on_init_dialog();  // pushes version_ into control 1003
//       }
//   private:
//       std::wstring version_;
//   };
//   about_box().do_modal();
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace fw {

class dialog {
public:
    // `module` holds template `template_id`; `parent` may be null (no owner window).
    dialog(HINSTANCE module, UINT template_id, HWND parent = nullptr);
    virtual ~dialog();

    dialog(const dialog&) = delete;
    dialog& operator=(const dialog&) = delete;

    // Runs the dialog modally and returns the code it was ended with: IDOK, IDCANCEL or whatever
    // a handler gave end_dialog(). -1 when the template is missing or the window cannot be made.
    INT_PTR do_modal();

    // The window while the modal run lasts, null before and after. Any thread may read it.
    HWND handle() const noexcept { return window_.load(); }

    // Ends the modal run with `code` once the current message has been handled.
    void end_dialog(INT_PTR code);

    // Data exchange. With save_and_validate the bound controls are read into their members,
    // otherwise the members are written to the controls. False outside the modal run.
    bool update_data(bool save_and_validate = true);

    // Control helpers; all are harmless (null, empty, false) for a missing control id.
    HWND item(int id) const;
    std::wstring item_text(int id) const;
    void set_item_text(int id, const std::wstring& text);
    void show_item(int id, bool visible);
    void enable_item(int id, bool enabled);
    bool item_visible(int id) const;  // the control's own visibility flag
    void set_caption(const std::wstring& text);

protected:
    // Binds `member` to the text of control `id`. Members must outlive the dialog's run;
    // bind them in the constructor.
    void bind_text(int id, std::wstring& member);
    // Binds `member` to the check state of check box `id` (BST_UNCHECKED/CHECKED/INDETERMINATE).
    void bind_check(int id, int& member);

    // WM_INITDIALOG. The default pushes the members to the controls and returns TRUE so that the
    // dialog manager sets the focus; return FALSE after setting the focus yourself.
    virtual BOOL on_init_dialog();

    // WM_COMMAND from control or menu `id`. Return true when handled; unhandled IDOK and
    // IDCANCEL go to on_ok() and on_cancel().
    virtual bool on_command(int id, int notify_code);

    // The default OK ending: read the controls back (a failed read keeps the dialog open) and
    // end with IDOK.
    virtual void on_ok();

    // Esc and the close box: end with IDCANCEL.
    virtual void on_cancel();

    // Any other message, for instance WM_USER-based ones posted by worker threads. Return true
    // when handled; `result` is then the message's result (DWLP_MSGRESULT).
    virtual bool on_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

    // WM_DESTROY, while the controls still exist.
    virtual void on_destroy() {}

private:
    struct binding {
        int id;
        std::wstring* text;
        int* check;
    };

    static INT_PTR CALLBACK dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    INT_PTR dispatch(UINT message, WPARAM wparam, LPARAM lparam);

    HINSTANCE module_;
    UINT template_id_;
    HWND parent_;
    std::atomic<HWND> window_{nullptr};
    std::vector<binding> bindings_;
};

}  // namespace fw
