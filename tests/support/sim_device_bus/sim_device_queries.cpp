#include "tests/support/sim_device_bus/sim_device_queries.h"

#include <algorithm>

namespace vanta_sim {
namespace {

bool same_path(const std::wstring& a, const std::wstring& b) {
    auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](wchar_t x, wchar_t y) { return fold(x) == fold(y); });
}

}  // namespace

void sim_device_queries::deny_query(const std::wstring& path) { denied_.push_back(path); }

void sim_device_queries::for_each_present_hid_interface(
    const std::function<void(const std::wstring& path)>& visit) {
    // A copy: what a visit does to the platform must not upset the walk.
    std::vector<std::wstring> paths;
    for (sim_device* device : platform_.devices()) paths.push_back(device->path());
    for (const std::wstring& path : paths) visit(path);
}

vanta_kit::query_handle sim_device_queries::open_query(const std::wstring& path) {
    opened_paths_.push_back(path);
    for (const std::wstring& denied : denied_) {
        if (same_path(denied, path)) return vanta_kit::invalid_query_handle;
    }
    sim_device* device = platform_.find_device(path);
    if (!device) return vanta_kit::invalid_query_handle;
    slots_.push_back(device);
    open_slots_.insert(slots_.size() - 1);
    ++opened_;
    return reinterpret_cast<vanta_kit::query_handle>(slots_.size());
}

sim_device* sim_device_queries::device_of(vanta_kit::query_handle handle) {
    auto slot = reinterpret_cast<std::uintptr_t>(handle) - 1;
    if (!open_slots_.count(slot)) {
        ++misuse_;
        return nullptr;
    }
    return slots_[slot];
}

bool sim_device_queries::get_attributes(vanta_kit::query_handle handle, std::uint16_t& vendor_id,
                                        std::uint16_t& product_id) {
    sim_device* device = device_of(handle);
    if (!device || !device->present()) return false;
    vendor_id = device->vendor_id();
    product_id = device->product_id();
    return true;
}

bool sim_device_queries::get_caps(vanta_kit::query_handle handle, vanta_kit::hid_caps& caps) {
    sim_device* device = device_of(handle);
    if (!device || !device->present()) return false;
    caps = device->caps();
    return true;
}

void sim_device_queries::close_query(vanta_kit::query_handle handle) {
    auto slot = reinterpret_cast<std::uintptr_t>(handle) - 1;
    if (open_slots_.erase(slot) == 0) {
        ++misuse_;
        return;
    }
    ++closed_;
}

}  // namespace vanta_sim
