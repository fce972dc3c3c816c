#include "update_check/library_state.h"

#include <utility>

#include "update_check/rules/server_paths.h"

namespace orv {

library_state& library_state::instance() {
    static library_state state;
    return state;
}

library_state::library_state() { fields_.settings_key = std::wstring(initial_settings_key); }

void library_state::set_product(std::uint32_t product_id) {
    fields_.product_id = static_cast<std::uint16_t>(product_id & 0xFFFF);
    fields_.settings_key = settings_key_for(fields_.product_id);
}

std::wstring library_state::select_product(std::uint32_t product_id) {
    std::lock_guard<std::mutex> lock(mutex_);
    set_product(product_id);
    return fields_.settings_key;
}

check_context library_state::begin_check(std::uint32_t product_id, std::uint32_t flags,
                                         std::optional<std::uint32_t> end_caller,
                                         std::uint32_t language_id,
                                         std::optional<std::wstring> update_path) {
    std::lock_guard<std::mutex> lock(mutex_);
    fields_.show_auto_check_option = flags & 7;
    if (end_caller) fields_.end_caller_after_launch = *end_caller;
    fields_.language_id = language_id;
    set_product(product_id);
    if (update_path) fields_.update_path = std::move(*update_path);
    return fields_;
}

void library_state::set_update_path(std::wstring path) {
    std::lock_guard<std::mutex> lock(mutex_);
    fields_.update_path = std::move(path);
}

void library_state::keep_worker(fw::worker_thread worker) {
    fw::worker_thread previous;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        previous = std::exchange(worker_, std::move(worker));
    }
}

}  // namespace orv
