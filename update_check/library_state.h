// The library-wide state that the exports set up for the update dialog and the background
// check: one set per process, overwritten by every export call.
//
// Threads: exports run on their callers' threads while background checks may still be running
// from an earlier call, so every field is read and written under one lock. A worker or dialog
// never reads the fields while it runs: it works from the check_context its call was given.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "framework/worker_thread.h"

namespace orv {

// What one check works with, copied out of the library-wide state when it starts.
struct check_context {
    std::uint16_t product_id = 0;
    std::wstring settings_key;
    // Flag word AND 7 of the check call: non-zero shows the "check automatically" box.
    std::uint32_t show_auto_check_option = 0;
    // Flag word AND 8 of the last wide check call: end the caller once the package is open.
    std::uint32_t end_caller_after_launch = 0;
    std::uint32_t language_id = 0;
    // Server path of the package for a background check.
    std::wstring update_path;
    // Version tag of the check call that started this check (never stored library-wide).
    std::wstring version_tag;
};

class library_state {
public:
    static library_state& instance();

    // Makes `product_id` (low 16 bits) the current product; returns its settings key.
    std::wstring select_product(std::uint32_t product_id);

    // Stores what one check call says (flag word AND 7, `end_caller`, the language and the
    // product; the update path only when given) and returns it as that call's context, all
    // under one lock: a call on another thread can neither mix its values into this one's nor
    // see half of them. `end_caller` is left alone when not given (the ANSI check call keeps
    // what the last wide call set).
    check_context begin_check(std::uint32_t product_id, std::uint32_t flags,
                              std::optional<std::uint32_t> end_caller, std::uint32_t language_id,
                              std::optional<std::wstring> update_path);

    void set_update_path(std::wstring path);

    // Keeps the latest background check's thread object (its handle; nothing waits for it).
    void keep_worker(fw::worker_thread worker);

private:
    library_state();
    // The product part of select_product and begin_check; the caller holds the lock.
    void set_product(std::uint32_t product_id);

    std::mutex mutex_;
    check_context fields_;
    fw::worker_thread worker_;
};

}  // namespace orv
