#include "framework/window.h"

#include <string>

#include "framework/window_class.h"

namespace fw {
namespace {

// The object waiting for its window, and the class that window must have: the creation hook
// binds the first window of that class created on this thread. Checking the class keeps
// helper windows that the system may create on the way (IME and the like) from being taken.
struct pending_creation {
    window* object = nullptr;
    std::wstring class_name;
};

thread_local pending_creation t_pending;
thread_local HHOOK t_hook = nullptr;
thread_local int t_hook_users = 0;

// Each module that links the framework binds its own objects; the property name carries the
// module so that one module never mistakes another's object for its own.
const wchar_t* binding_property() {
    static const std::wstring name =
        L"fw.window." + std::to_wstring(reinterpret_cast<std::uintptr_t>(code_module()));
    return name.c_str();
}

std::wstring class_name_of(const wchar_t* class_name) {
    // An atom given as a pointer (MAKEINTATOM) has no text to compare; such windows are then
    // matched by whatever class they get.
    if (IS_INTRESOURCE(class_name)) return {};
    return class_name;
}

}  // namespace

// Keeps the creation hook installed while any creation on this thread is in progress (they
// nest: a frame creates its bars from WM_CREATE).
class creation_scope {
public:
    creation_scope(window* object, const wchar_t* class_name) : previous_(t_pending) {
        t_pending = {object, class_name_of(class_name)};
        if (t_hook_users++ == 0) {
            t_hook = ::SetWindowsHookExW(WH_CBT, &window::creation_hook, nullptr,
                                         ::GetCurrentThreadId());
        }
    }
    ~creation_scope() {
        t_pending = std::move(previous_);
        if (--t_hook_users == 0 && t_hook) {
            ::UnhookWindowsHookEx(t_hook);
            t_hook = nullptr;
        }
    }
    creation_scope(const creation_scope&) = delete;
    creation_scope& operator=(const creation_scope&) = delete;

private:
    pending_creation previous_;
};

window::~window() {
    if (hwnd_) {
        HWND handle = hwnd_;
        detach();
        ::DestroyWindow(handle);
    }
}

bool window::create_ex(DWORD ex_style, const wchar_t* class_name, const wchar_t* window_name,
                       DWORD style, const RECT& rect, HWND parent, UINT id, void* param) {
    return create_ex(ex_style, class_name, window_name, style, rect.left, rect.top,
                     rect.right - rect.left, rect.bottom - rect.top, parent,
                     reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

bool window::create_ex(DWORD ex_style, const wchar_t* class_name, const wchar_t* window_name,
                       DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                       void* param) {
    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hInstance = code_module();
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.cy = height;
    cs.cx = width;
    cs.y = y;
    cs.x = x;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = window_name;
    cs.lpszClass = class_name;
    cs.dwExStyle = ex_style;
    if (!pre_create_window(cs)) return false;
    return create_through(cs.lpszClass, [&] {
        return ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName,
                                 static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                                 cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    });
}

bool window::create_through(const wchar_t* class_name, const std::function<HWND()>& create) {
    if (hwnd_) return false;
    HWND created;
    {
        creation_scope scope(this, class_name);
        created = create();
    }
    if (!created) return false;
    // A window that is already gone again (destroyed from its own WM_CREATE) counts as failed.
    return hwnd_ == created;
}

bool window::destroy() {
    if (!hwnd_) return false;
    return ::DestroyWindow(hwnd_) != FALSE;
}

LRESULT window::send(UINT message, WPARAM wparam, LPARAM lparam) const {
    return ::SendMessageW(hwnd_, message, wparam, lparam);
}

bool window::post(UINT message, WPARAM wparam, LPARAM lparam) const {
    return ::PostMessageW(hwnd_, message, wparam, lparam) != FALSE;
}

window* window::from_handle(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<window*>(::GetPropW(hwnd, binding_property()));
}

LRESULT window::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    return default_proc(message, wparam, lparam);
}

LRESULT window::default_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (class_proc_) return ::CallWindowProcW(class_proc_, hwnd_, message, wparam, lparam);
    return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

void window::attach(HWND hwnd) {
    hwnd_ = hwnd;
    ::SetPropW(hwnd, binding_property(), this);
    class_proc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&window::subclass_proc)));
}

void window::detach() {
    if (!hwnd_) return;
    ::RemovePropW(hwnd_, binding_property());
    if (class_proc_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(class_proc_));
    }
    hwnd_ = nullptr;
}

LRESULT CALLBACK window::subclass_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    window* self = from_handle(hwnd);
    if (!self) return ::DefWindowProcW(hwnd, message, wparam, lparam);
    LRESULT result = 0;
    // An exception must not unwind through the system's message dispatch. A handler that
    // throws while the window is being created fails the creation (-1 from WM_CREATE, 0 from
    // WM_NCCREATE); any other message reads as handled with 0.
    try {
        result = self->window_proc(message, wparam, lparam);
    } catch (...) {
        result = message == WM_CREATE ? -1 : 0;
    }
    if (message == WM_NCDESTROY) {
        self->detach();
        try {
            self->post_nc_destroy();
        } catch (...) {
        }
    }
    return result;
}

LRESULT CALLBACK window::creation_hook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND && t_pending.object) {
        HWND created = reinterpret_cast<HWND>(wparam);
        bool matches = t_pending.class_name.empty();
        if (!matches) {
            wchar_t name[256] = {};
            ::GetClassNameW(created, name, 256);
            matches = ::lstrcmpiW(name, t_pending.class_name.c_str()) == 0;
        }
        if (matches) {
            window* object = t_pending.object;
            t_pending.object = nullptr;
            object->attach(created);
        }
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace fw
