#include "framework/worker_thread.h"

#include <process.h>

#include <memory>

namespace fw {
namespace {

struct pointer_start {
    worker_thread::entry_point entry;
    void* argument;
};

unsigned __stdcall run_pointer(void* raw) {
    std::unique_ptr<pointer_start> start(static_cast<pointer_start*>(raw));
    return start->entry(start->argument);
}

unsigned __stdcall run_function(void* raw) {
    std::unique_ptr<std::function<unsigned()>> body(static_cast<std::function<unsigned()>*>(raw));
    // Nothing may unwind out of a thread's entry point.
    try {
        return (*body)();
    } catch (...) {
        return 1;
    }
}

// _beginthreadex rather than CreateThread so that the C runtime sets up its per-thread state.
HANDLE begin(unsigned(__stdcall* entry)(void*), void* argument, DWORD& id) {
    unsigned thread_id = 0;
    uintptr_t handle = ::_beginthreadex(nullptr, 0, entry, argument, 0, &thread_id);
    id = thread_id;
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

worker_thread worker_thread::start(entry_point entry, void* argument) {
    worker_thread thread;
    auto start = std::make_unique<pointer_start>(pointer_start{entry, argument});
    thread.handle_.reset(begin(&run_pointer, start.get(), thread.id_));
    if (thread.handle_) start.release();
    return thread;
}

worker_thread worker_thread::start_function(std::function<unsigned()> body) {
    worker_thread thread;
    auto owned = std::make_unique<std::function<unsigned()>>(std::move(body));
    thread.handle_.reset(begin(&run_function, owned.get(), thread.id_));
    if (thread.handle_) owned.release();
    return thread;
}

bool worker_thread::wait(DWORD timeout_ms) const {
    return handle_ && ::WaitForSingleObject(handle_.get(), timeout_ms) == WAIT_OBJECT_0;
}

}  // namespace fw
