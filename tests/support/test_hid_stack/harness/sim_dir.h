// The folder of simulated HID devices that a program under test enumerates (its path goes to
// the program as VANTA_SIM_DIR). Plugging a device in writes a fresh device file and its
// description; pulling it out removes the description. Neither tells the program: that is
// what device_notifier does, since a device present before the program starts must not
// produce a notification. Windows; not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_hid_stack/device_description.h"
#include "tests/support/test_hid_stack/report_log.h"

namespace e2e {

struct sim_device {
    std::wstring path;  // device interface path, as enumeration and notifications give it
    std::wstring file;  // the device file: everything the host wrote to the device
    hid_stack::device_description description;
};

class sim_dir {
public:
    // Creates the folder empty.
    explicit sim_dir(std::wstring folder);

    const std::wstring& folder() const { return folder_; }
    bool ok() const { return ok_; }

    // Plugs a device in under a serial number never used before in this folder, so a device
    // that is plugged in again is a new device path, as on a real system. The description's
    // sequence is set to the plug-in order. Empty path on failure.
    sim_device plug(hid_stack::device_description description);
    // Pulls the device out; true if it was plugged in.
    bool pull(const sim_device& device);
    // Changes the behaviour of a plugged-in device from its next input-report poll on.
    bool update(sim_device& device, const hid_stack::device_description& description);
    bool present(const sim_device& device) const;

    // What the host has sent to the device so far.
    std::vector<std::uint8_t> received(const sim_device& device) const;
    hid_stack::host_traffic traffic(const sim_device& device) const;
    std::vector<std::uint8_t> commands(const sim_device& device) const;

private:
    std::wstring folder_;
    bool ok_ = false;
    std::int64_t next_sequence_ = 1;
};

}  // namespace e2e
