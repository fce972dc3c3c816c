// The device queries that discovery runs on every HID interface: list the present ones, open a
// query handle on one, read its vendor and product ids and its capability record, close the
// handle. Production: SetupDi* and the HID class driver (discovery_system_queries.cpp). Tests:
// simulated devices (tests/support/sim_device_bus). UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "calc_link/hid_caps.h"

namespace vanta_kit {

using query_handle = void*;
inline query_handle const invalid_query_handle = reinterpret_cast<query_handle>(-1);

class device_queries {
public:
    // Calls `visit` with the device path of every present HID interface, in the platform's
    // order. Paths come whole, however long.
    virtual void for_each_present_hid_interface(
        const std::function<void(const std::wstring& path)>& visit) = 0;
    // A handle for queries only (no read or write access); invalid_query_handle on failure.
    virtual query_handle open_query(const std::wstring& path) = 0;
    virtual bool get_attributes(query_handle handle, std::uint16_t& vendor_id,
                                std::uint16_t& product_id) = 0;
    // The HID capability record; false (and `caps` untouched) when it cannot be read.
    virtual bool get_caps(query_handle handle, hid_caps& caps) = 0;
    virtual void close_query(query_handle handle) = 0;

protected:
    ~device_queries() = default;
};

// The real queries; exist only in the Windows build.
device_queries& system_device_queries();

}  // namespace vanta_kit
