// Discovery of calculators: what the walk over the present HID interfaces and the arrival or
// removal of one interface mean. The owner of the device list (the main frame) receives the
// results through device_sink. Portable: the platform is reached only through device_queries.
// UI thread only; calls can nest (a sink may run a modal loop that delivers further events).
#pragma once

#include <cstdint>
#include <string>

#include "calc_link/discovery_queries.h"
#include "calc_link/hid_caps.h"

namespace vanta_kit {

struct usb_identity {
    std::uint16_t vendor_id;
    std::uint16_t product_id;
};

// A calculator in firmware-recovery mode.
inline constexpr usb_identity recovery_device_identity{0x066F, 0x3770};

class device_sink {
public:
    // A calculator's interface: `path` exactly as the platform gave it; `caps` is only needed
    // during the call.
    virtual void add_calculator(std::wstring path, const hid_caps* caps) = 0;
    // Any HID interface went away; `path` is upper-cased (upper_case_path).
    virtual void remove_calculator(std::wstring path) = 0;
    // A recovery device arrived.
    virtual void on_recovery_device_arrival() = 0;

protected:
    ~device_sink() = default;
};

// The form in which device paths are stored and matched: ASCII letters a to z upper-cased,
// every other character unchanged.
std::wstring upper_case_path(std::wstring path);

// Hands every present interface with the calculator's ids to `sink`, in the platform's order.
// Interfaces that cannot be opened for queries are skipped; recovery devices are not reported.
void enumerate_present_calculators(device_queries& queries, usb_identity calculator,
                                   device_sink& sink);

// One HID interface arrived: a calculator goes to add_calculator with `path` as received, a
// recovery device to on_recovery_device_arrival; anything else, or an interface that cannot
// be opened for queries, is ignored.
void handle_interface_arrival(device_queries& queries, usb_identity calculator,
                              const std::wstring& path, device_sink& sink);

// One HID interface went away: remove_calculator with the upper-cased path, whatever the
// device was (its ids can no longer be read).
void handle_interface_removal(const std::wstring& path, device_sink& sink);

}  // namespace vanta_kit
