#include "tests/support/sim_calculator/sim_hid_platform.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace vanta_sim {

namespace {

using vanta_kit::hid_access;
using vanta_kit::hid_handle;

constexpr std::size_t max_slots = 0xFFF0;
constexpr std::uint64_t calls_allowed_after_limit = 1'000'000;
constexpr std::size_t sleep_reserve = 4096;
constexpr std::size_t slot_reserve = 64;

bool same_path(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - L'a' + L'A');
        if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - L'a' + L'A');
        if (x != y) return false;
    }
    return true;
}

hid_handle encode(std::size_t index, std::uint16_t generation) {
    return reinterpret_cast<hid_handle>(
        static_cast<std::uintptr_t>(((index + 1) << 16) | generation));
}

}  // namespace

sim_hid_platform::sim_hid_platform() {
    sleeps_.reserve(sleep_reserve);
    slots_.reserve(slot_reserve);
    free_slots_.reserve(slot_reserve);
}

sim_hid_platform::~sim_hid_platform() = default;

sim_device& sim_hid_platform::add_device(std::wstring path, calc_config config) {
    remove_device(path);
    devices_.push_back(std::make_unique<sim_device>(std::move(path), std::move(config)));
    return *devices_.back();
}

bool sim_hid_platform::remove_device(const std::wstring& path) {
    sim_device* device = find_device(path);
    if (device == nullptr) return false;
    device->vanish();
    return true;
}

sim_device* sim_hid_platform::find_device(const std::wstring& path) {
    for (auto& device : devices_) {
        if (device->present() && same_path(device->path(), path)) return device.get();
    }
    return nullptr;
}

std::vector<sim_device*> sim_hid_platform::devices() {
    std::vector<sim_device*> present;
    for (auto& device : devices_) {
        if (device->present()) present.push_back(device.get());
    }
    return present;
}

void sim_hid_platform::advance_ms(std::uint64_t milliseconds) {
    now_ms_ += milliseconds;
    check_limits();
}

void sim_hid_platform::set_limit_handler(std::function<void(const char*)> handler) {
    limit_handler_ = std::move(handler);
}

std::size_t sim_hid_platform::open_handles() const {
    std::size_t count = 0;
    for (const auto& slot : slots_) count += slot.open ? 1 : 0;
    return count;
}

hid_handle sim_hid_platform::open(const std::wstring& path, hid_access access) {
    if (!count_call()) return vanta_kit::invalid_hid_handle;
    sim_device* device = find_device(path);
    if (device == nullptr || !device->on_open(access)) return vanta_kit::invalid_hid_handle;

    std::size_t index;
    if (!free_slots_.empty()) {
        index = free_slots_.back();
        free_slots_.pop_back();
    } else if (slots_.size() < max_slots) {
        index = slots_.size();
        slots_.emplace_back();
    } else {
        device->on_close();
        misuse("too many handles open");
        return vanta_kit::invalid_hid_handle;
    }
    handle_slot& slot = slots_[index];
    slot.device = device;
    slot.access = access;
    slot.open = true;
    ++slot.generation;
    return encode(index, slot.generation);
}

bool sim_hid_platform::write_report(hid_handle handle, const std::uint8_t* report,
                                    std::uint32_t length, std::uint32_t& written) {
    written = 0;
    if (!count_call()) return false;
    handle_slot* slot = slot_for(handle, hid_access::write, "write_report on a bad handle");
    return slot != nullptr && slot->device->on_write(report, length, written, now_ms_);
}

bool sim_hid_platform::get_input_report(hid_handle handle, std::uint8_t* report,
                                        std::uint32_t length) {
    if (!count_call()) return false;
    handle_slot* slot = slot_for(handle, hid_access::read, "get_input_report on a bad handle");
    return slot != nullptr && slot->device->on_poll(report, length, now_ms_);
}

void sim_hid_platform::close(hid_handle handle) {
    count_call();
    handle_slot* slot = find_slot(handle);
    if (slot == nullptr) {
        misuse("close of a bad handle");
        return;
    }
    slot->device->on_close();
    slot->open = false;
    slot->device = nullptr;
    free_slots_.push_back(static_cast<std::size_t>(slot - slots_.data()));
}

void sim_hid_platform::sleep(std::uint32_t milliseconds) {
    count_call();
    sleeps_.push_back({now_ms_, milliseconds});
    slept_ms_ += milliseconds;
    now_ms_ += milliseconds;
    check_limits();
}

bool sim_hid_platform::count_call() {
    ++calls_;
    check_limits();
    if (limit_exceeded_ && ++calls_after_limit_ > calls_allowed_after_limit) {
        std::fprintf(stderr,
                     "sim_hid_platform: still called a million times after its limit "
                     "(virtual time %llu ms); stopping a hung test\n",
                     static_cast<unsigned long long>(now_ms_));
        std::abort();
    }
    return !limit_exceeded_;
}

void sim_hid_platform::check_limits() {
    if (limit_exceeded_) return;
    const char* reason = nullptr;
    if (now_ms_ > time_limit_ms_) {
        reason = "sim_hid_platform: virtual time limit passed (a transfer that never ends?)";
    } else if (calls_ > operation_limit_) {
        reason = "sim_hid_platform: operation limit passed (a loop that never ends?)";
    }
    if (reason == nullptr) return;
    limit_exceeded_ = true;
    if (limit_handler_) limit_handler_(reason);
}

sim_hid_platform::handle_slot* sim_hid_platform::find_slot(hid_handle handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (handle == vanta_kit::invalid_hid_handle || (value >> 16) == 0) return nullptr;
    const std::size_t index = (value >> 16) - 1;
    if (index >= slots_.size()) return nullptr;
    handle_slot& slot = slots_[index];
    return slot.open && slot.generation == (value & 0xFFFF) ? &slot : nullptr;
}

sim_hid_platform::handle_slot* sim_hid_platform::slot_for(hid_handle handle, hid_access access,
                                                          const char* what) {
    handle_slot* slot = find_slot(handle);
    if (slot == nullptr || slot->access != access) {
        misuse(what);
        return nullptr;
    }
    return slot;
}

void sim_hid_platform::misuse(const char* what) {
    ++misuse_;
    last_misuse_ = what;
}

}  // namespace vanta_sim
