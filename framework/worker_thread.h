// Starting worker threads, in place of MFC's AfxBeginThread: normal priority, default stack size,
// running at once. The returned object owns the thread's handle; destroying it closes the handle
// and leaves the thread running (nothing waits for a worker unless it calls wait()).
//
//   auto worker = fw::worker_thread::start([query] { return run_query(*query); });
//   auto other  = fw::worker_thread::start(&thread_proc, argument);  // unsigned (*)(void*)
//
// Any thread may start a worker; the object itself is not shared between threads.
//
// Each worker holds a reference to the module its code lives in (the program, or the library
// this framework is linked into), taken before the thread is created and dropped as the thread
// leaves (FreeLibraryAndExitThread). A caller that frees a library while one of its workers
// still runs therefore does not pull the code out from under it; the library goes when the
// last worker has ended.
#pragma once

#include <windows.h>

#include <functional>
#include <type_traits>
#include <utility>

#include "framework/unique_handle.h"

namespace fw {

class worker_thread {
public:
    using entry_point = unsigned (*)(void* argument);

    worker_thread() noexcept = default;

    // Runs entry(argument). An empty object when the thread cannot be created.
    static worker_thread start(entry_point entry, void* argument);

    // Runs a callable that returns the thread's exit code, or nothing (exit code 0). The
    // callable is moved to the new thread and destroyed there.
    template <typename Callable>
    static worker_thread start(Callable&& body) {
        using result = std::invoke_result_t<std::decay_t<Callable>&>;
        if constexpr (std::is_void_v<result>) {
            return start_function([body = std::forward<Callable>(body)]() mutable -> unsigned {
                body();
                return 0;
            });
        } else {
            return start_function([body = std::forward<Callable>(body)]() mutable -> unsigned {
                return static_cast<unsigned>(body());
            });
        }
    }

    explicit operator bool() const noexcept { return static_cast<bool>(handle_); }
    HANDLE handle() const noexcept { return handle_.get(); }
    DWORD id() const noexcept { return id_; }

    // Waits at most `timeout_ms` for the thread to end; true when it has ended.
    bool wait(DWORD timeout_ms = INFINITE) const;

private:
    static worker_thread start_function(std::function<unsigned()> body);

    kernel_handle handle_;
    DWORD id_ = 0;
};

}  // namespace fw
