// Discovery's device queries over the simulated devices of a sim_hid_platform: the present
// devices are the present HID interfaces, in the order they were plugged in, with the ids and
// capability record of their configuration. Counts what discovery does with query handles, so
// tests can check that every one is closed. Portable; single-threaded.
//
//   vanta_sim::sim_hid_platform platform;
//   platform.add_device(L"\\\\?\\hid#vid_3c5d&pid_7e21#1", config);
//   vanta_sim::sim_device_queries queries(platform);
//   queries.deny_query(path);                // this interface cannot be opened for queries
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "calc_link/discovery_queries.h"
#include "tests/support/sim_calculator/sim_calculator.h"

namespace vanta_sim {

class sim_device_queries final : public vanta_kit::device_queries {
public:
    explicit sim_device_queries(sim_hid_platform& platform) : platform_(platform) {}

    // Query opens of this path fail (compared without regard to ASCII case).
    void deny_query(const std::wstring& path);

    std::uint32_t queries_opened() const { return opened_; }
    std::uint32_t queries_closed() const { return closed_; }
    std::uint32_t open_queries() const { return opened_ - closed_; }
    // Operations on handles that were never opened or are closed already.
    std::uint32_t misuse_count() const { return misuse_; }
    // The paths query opens were asked for, in order.
    const std::vector<std::wstring>& opened_paths() const { return opened_paths_; }

    void for_each_present_hid_interface(
        const std::function<void(const std::wstring& path)>& visit) override;
    vanta_kit::query_handle open_query(const std::wstring& path) override;
    bool get_attributes(vanta_kit::query_handle handle, std::uint16_t& vendor_id,
                        std::uint16_t& product_id) override;
    bool get_caps(vanta_kit::query_handle handle, vanta_kit::hid_caps& caps) override;
    void close_query(vanta_kit::query_handle handle) override;

private:
    // The device behind an open query handle, or nullptr (counted as misuse).
    sim_device* device_of(vanta_kit::query_handle handle);

    sim_hid_platform& platform_;
    std::vector<std::wstring> denied_;
    // Slot i holds the device of handle i + 1 while that handle is open.
    std::vector<sim_device*> slots_;
    std::set<std::size_t> open_slots_;
    std::vector<std::wstring> opened_paths_;
    std::uint32_t opened_ = 0;
    std::uint32_t closed_ = 0;
    std::uint32_t misuse_ = 0;
};

}  // namespace vanta_sim
