// A C++ object bound to one window handle. Every window the framework creates, of its own
// classes or of system classes such as "STATIC", is subclassed from its very first message, so
// a derived class sees WM_NCCREATE and WM_CREATE in window_proc. UI thread only: a window and
// its object belong to the thread that created them.
#pragma once

#include <windows.h>

#include <functional>

namespace fw {

class window {
public:
    window() = default;
    window(const window&) = delete;
    window& operator=(const window&) = delete;
    // Destroys a window that is still there. Messages sent during that destruction no longer
    // reach window_proc (the derived parts are gone), so owners should destroy() first.
    virtual ~window();

    HWND hwnd() const noexcept { return hwnd_; }

    // CreateWindowExW bound to this object. false when the window could not be created (for
    // instance when WM_CREATE answered -1). `id` is a child's control id (0 for none).
    bool create_ex(DWORD ex_style, const wchar_t* class_name, const wchar_t* window_name,
                   DWORD style, const RECT& rect, HWND parent, UINT id, void* param = nullptr);
    // The same with a position that may be CW_USEDEFAULT and a menu for a top-level window.
    bool create_ex(DWORD ex_style, const wchar_t* class_name, const wchar_t* window_name,
                   DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                   void* param = nullptr);

    // DestroyWindow; true when there was a window to destroy.
    bool destroy();

    LRESULT send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;
    bool post(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;

    // The object bound to `hwnd`, or nullptr for windows this framework does not own.
    static window* from_handle(HWND hwnd);

protected:
    // The message handler. Unhandled messages go to default_proc.
    virtual LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam);
    // Last look at the creation parameters before the window is made; false cancels the
    // creation.
    virtual bool pre_create_window(CREATESTRUCTW& create) { return true; }
    // What the window's class would have done (the procedure it was subclassed from).
    virtual LRESULT default_proc(UINT message, WPARAM wparam, LPARAM lparam);
    // Runs after WM_NCDESTROY, when the handle is gone; windows that own themselves delete
    // themselves here.
    virtual void post_nc_destroy() {}

    // Creation by other means than CreateWindowExW (WM_MDICREATE): `create` makes one window
    // of class `class_name`, which is bound to this object from its first message.
    bool create_through(const wchar_t* class_name, const std::function<HWND()>& create);

private:
    static LRESULT CALLBACK subclass_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    friend class creation_scope;
    static LRESULT CALLBACK creation_hook(int code, WPARAM wparam, LPARAM lparam);
    void attach(HWND hwnd);
    void detach();

    HWND hwnd_ = nullptr;
    WNDPROC class_proc_ = nullptr;
};

}  // namespace fw
