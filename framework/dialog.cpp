#include "framework/dialog.h"

#include <commctrl.h>

#include <mutex>

namespace fw {
namespace {

// Templates may hold common controls (progress bars in the update library), whose window
// classes exist only once registered, also in a DLL's process.
void register_common_controls() {
    static std::once_flag once;
    std::call_once(once, [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
    });
}

}  // namespace

dialog::dialog(HINSTANCE module, UINT template_id, HWND parent)
    : module_(module), template_id_(template_id), parent_(parent) {}

dialog::~dialog() = default;

INT_PTR dialog::do_modal() {
    register_common_controls();
    return ::DialogBoxParamW(module_, MAKEINTRESOURCEW(template_id_), parent_, &dialog::dialog_proc,
                             reinterpret_cast<LPARAM>(this));
}

void dialog::end_dialog(INT_PTR code) {
    if (HWND window = handle()) ::EndDialog(window, code);
}

bool dialog::update_data(bool save_and_validate) {
    HWND window = handle();
    if (!window) return false;
    for (const binding& b : bindings_) {
        if (b.text) {
            if (save_and_validate) {
                *b.text = item_text(b.id);
            } else {
                ::SetDlgItemTextW(window, b.id, b.text->c_str());
            }
        } else if (b.check) {
            if (save_and_validate) {
                *b.check = static_cast<int>(::IsDlgButtonChecked(window, b.id));
            } else {
                ::CheckDlgButton(window, b.id, static_cast<UINT>(*b.check));
            }
        }
    }
    return true;
}

HWND dialog::item(int id) const {
    HWND window = handle();
    return window ? ::GetDlgItem(window, id) : nullptr;
}

std::wstring dialog::item_text(int id) const {
    HWND control = item(id);
    if (!control) return {};
    int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void dialog::set_item_text(int id, const std::wstring& text) {
    if (HWND control = item(id)) ::SetWindowTextW(control, text.c_str());
}

void dialog::show_item(int id, bool visible) {
    if (HWND control = item(id)) ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

void dialog::enable_item(int id, bool enabled) {
    if (HWND control = item(id)) ::EnableWindow(control, enabled ? TRUE : FALSE);
}

bool dialog::item_visible(int id) const {
    HWND control = item(id);
    return control && (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void dialog::set_caption(const std::wstring& text) {
    if (HWND window = handle()) ::SetWindowTextW(window, text.c_str());
}

void dialog::bind_text(int id, std::wstring& member) {
    bindings_.push_back({id, &member, nullptr});
}

void dialog::bind_check(int id, int& member) { bindings_.push_back({id, nullptr, &member}); }

BOOL dialog::on_init_dialog() {
    update_data(false);
    return TRUE;
}

bool dialog::on_command(int, int) { return false; }

void dialog::on_ok() {
    if (update_data(true)) end_dialog(IDOK);
}

void dialog::on_cancel() { end_dialog(IDCANCEL); }

bool dialog::on_message(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CALLBACK dialog::dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<dialog*>(lparam);
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->window_.store(window);
    } else {
        self = reinterpret_cast<dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    // Messages sent while the window is being created, before WM_INITDIALOG, have no object.
    if (!self) return FALSE;
    INT_PTR result = FALSE;
    // An exception must not unwind through the system's dialog manager.
    try {
        result = self->dispatch(message, wparam, lparam);
    } catch (...) {
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        self->window_.store(nullptr);
    }
    return result;
}

INT_PTR dialog::dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            return on_init_dialog();
        case WM_COMMAND: {
            int id = LOWORD(wparam);
            if (on_command(id, HIWORD(wparam))) return TRUE;
            if (id == IDOK) {
                on_ok();
                return TRUE;
            }
            if (id == IDCANCEL) {
                on_cancel();
                return TRUE;
            }
            return FALSE;
        }
        case WM_DESTROY:
            on_destroy();
            return FALSE;
        default:
            break;
    }
    LRESULT result = 0;
    if (!on_message(message, wparam, lparam, result)) return FALSE;
    ::SetWindowLongPtrW(handle(), DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace fw
