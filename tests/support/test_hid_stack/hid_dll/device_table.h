// The simulated calculators of one process: one vanta_sim::calc_model per device path that
// has been polled, fed with the output reports the host wrote into the device file since the
// last poll. Hosts write a report and then poll on the same thread, so every poll sees all the
// reports written before it, in order, and the exchange is as deterministic as the model.
// Thread-safe.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "tests/support/sim_calculator/calc_model.h"
#include "tests/support/test_hid_stack/device_description.h"

namespace hid_stack {

class device_table {
public:
    static device_table& instance();

    // HidD_GetInputReport on a handle to a device file. On failure returns false with the
    // Windows error code in `error`.
    bool get_input_report(HANDLE handle, void* buffer, unsigned long length, DWORD& error);

private:
    struct device {
        explicit device(const vanta_sim::calc_config& config) : model(config) {}
        vanta_sim::calc_model model;
        std::uint64_t consumed = 0;  // bytes of the device file already fed to the model
    };

    // Feeds the complete output reports written since the last poll. The handle's own file
    // position is moved, which the host never relies on: it only writes through its other
    // handle.
    static bool feed_new_reports(HANDLE handle, device& target, std::uint32_t report_length);

    std::mutex mutex_;
    std::map<std::wstring, std::unique_ptr<device>> devices_;  // by upper-cased device path
};

}  // namespace hid_stack
