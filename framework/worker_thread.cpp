#include "framework/worker_thread.h"

#include <process.h>

#include <memory>

namespace fw {
namespace {

struct pointer_start {
    worker_thread::entry_point entry;
    void* argument;
};

// The module holding this code (the program, or the library it is linked into), with a
// reference of its own: a worker keeps it loaded until the worker has left it, so a library
// freed by its caller while one of its threads still runs stays mapped until that thread ends.
HMODULE reference_own_module() {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&reference_own_module), &module)) {
        return nullptr;
    }
    return module;
}

// Leaves the thread and drops its module reference in one step, so that no code of the module
// runs after the reference is gone. Everything the thread owned must be destroyed before.
[[noreturn]] void leave(HMODULE module, unsigned code) {
    if (module) ::FreeLibraryAndExitThread(module, code);
    ::ExitThread(code);
}

unsigned run_pointer_body(void* raw) {
    std::unique_ptr<pointer_start> start(static_cast<pointer_start*>(raw));
    return start->entry(start->argument);
}

unsigned run_function_body(void* raw) {
    std::unique_ptr<std::function<unsigned()>> body(static_cast<std::function<unsigned()>*>(raw));
    // Nothing may unwind out of a thread's entry point.
    try {
        return (*body)();
    } catch (...) {
        return 1;
    }
}

// What a new thread is handed: its body and the module reference its starter took for it.
struct thread_start {
    unsigned (*body)(void*);
    void* argument;
    HMODULE module;
};

unsigned __stdcall run_thread(void* raw) {
    const thread_start start = *static_cast<thread_start*>(raw);
    delete static_cast<thread_start*>(raw);
    const unsigned code = start.body(start.argument);
    leave(start.module, code);
}

// _beginthreadex rather than CreateThread so that the C runtime sets up its per-thread state.
// The module reference is taken here, before the thread exists, and handed to it; it is given
// back when no thread comes of it.
HANDLE begin(unsigned (*body)(void*), void* argument, DWORD& id) {
    auto start = std::make_unique<thread_start>(thread_start{body, argument, reference_own_module()});
    unsigned thread_id = 0;
    uintptr_t handle = ::_beginthreadex(nullptr, 0, &run_thread, start.get(), 0, &thread_id);
    id = thread_id;
    if (handle == 0) {
        if (start->module) ::FreeLibrary(start->module);
        return nullptr;
    }
    start.release();
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

worker_thread worker_thread::start(entry_point entry, void* argument) {
    worker_thread thread;
    auto start = std::make_unique<pointer_start>(pointer_start{entry, argument});
    thread.handle_.reset(begin(&run_pointer_body, start.get(), thread.id_));
    if (thread.handle_) start.release();
    return thread;
}

worker_thread worker_thread::start_function(std::function<unsigned()> body) {
    worker_thread thread;
    auto owned = std::make_unique<std::function<unsigned()>>(std::move(body));
    thread.handle_.reset(begin(&run_function_body, owned.get(), thread.id_));
    if (thread.handle_) owned.release();
    return thread;
}

bool worker_thread::wait(DWORD timeout_ms) const {
    return handle_ && ::WaitForSingleObject(handle_.get(), timeout_ms) == WAIT_OBJECT_0;
}

}  // namespace fw
