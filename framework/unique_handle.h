// One move-only owner for every kind of OS handle. A traits type names the handle type, its
// empty value and how it is released:
//   struct traits { using type = ...; static type invalid() noexcept; static void close(type); };
#pragma once

#include <windows.h>

#include <utility>

namespace fw {

template <typename Traits>
class unique_handle {
public:
    using type = typename Traits::type;

    unique_handle() noexcept = default;
    explicit unique_handle(type value) noexcept : value_(value) {}
    unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    ~unique_handle() { reset(); }

    type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    // Gives up ownership without closing.
    type release() noexcept { return std::exchange(value_, Traits::invalid()); }

    void reset(type value = Traits::invalid()) noexcept {
        type old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }

    // For APIs that fill in a handle through a pointer; the old one is released first.
    type* put() noexcept {
        reset();
        return &value_;
    }

private:
    type value_ = Traits::invalid();
};

// Process, thread, mutex, event: empty value NULL.
struct kernel_handle_traits {
    using type = HANDLE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};
using kernel_handle = unique_handle<kernel_handle_traits>;

// Files and devices from CreateFileW: empty value INVALID_HANDLE_VALUE.
struct file_handle_traits {
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { ::CloseHandle(h); }
};
using file_handle = unique_handle<file_handle_traits>;

struct registry_key_traits {
    using type = HKEY;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::RegCloseKey(h); }
};
using registry_key = unique_handle<registry_key_traits>;

struct module_traits {
    using type = HMODULE;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::FreeLibrary(h); }
};
using unique_module = unique_handle<module_traits>;

struct device_notify_traits {
    using type = HDEVNOTIFY;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::UnregisterDeviceNotification(h); }
};
using device_notification = unique_handle<device_notify_traits>;

struct menu_traits {
    using type = HMENU;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::DestroyMenu(h); }
};
using unique_menu = unique_handle<menu_traits>;

struct font_traits {
    using type = HFONT;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::DeleteObject(h); }
};
using unique_font = unique_handle<font_traits>;

// Memory the system allocated for the caller with LocalAlloc (security descriptors, SID texts).
struct local_memory_traits {
    using type = void*;
    static type invalid() noexcept { return nullptr; }
    static void close(type p) noexcept { ::LocalFree(p); }
};
using local_memory = unique_handle<local_memory_traits>;

}  // namespace fw
