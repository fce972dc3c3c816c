// One simulated HID device as the platform sees it: a calc_model behind a device path, with
// faults, handle bookkeeping and a record of the traffic on a virtual clock. sim_hid_platform
// owns these and calls the on_* operations; another harness may call them itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "calc_link/hid_caps.h"
#include "calc_link/hid_platform.h"
#include "tests/support/sim_calculator/calc_model.h"

namespace vanta_sim {

// Operation indices count from 0. "Operations" are open, write_report, get_input_report and
// close on this device (sleep belongs to no device); writes and polls also have their own
// counts.
struct sim_faults {
    // The device disappears at this operation: it and every later one fail (close still
    // releases the handle), as after unplugging.
    std::int64_t vanish_at_operation = -1;
    // This write_report fails once; the device stays and the report is not delivered.
    std::int64_t fail_write_at = -1;
    // This write_report reports one byte fewer than asked; the report is not delivered.
    std::int64_t short_write_at = -1;
    // This get_input_report fails once; the device stays.
    std::int64_t fail_poll_at = -1;
    // Opens for writing or for reading fail (the path exists, access is refused).
    bool deny_write_open = false;
    bool deny_read_open = false;
};

// One output report that reached the device.
struct output_record {
    static constexpr std::size_t capacity = 128;
    std::uint64_t time_ms = 0;
    std::uint32_t length = 0;
    std::array<std::uint8_t, capacity> bytes{};  // the first `length` bytes, up to capacity
};

// One get_input_report that reached the device, as the host asked for it.
struct poll_record {
    std::uint64_t time_ms = 0;
    std::uint32_t length = 0;          // the length the host passed
    std::uint8_t entry_report_id = 0;  // byte 0 of the host's buffer on entry
};

class sim_device {
public:
    sim_device(std::wstring path, calc_config config);

    const std::wstring& path() const { return path_; }
    calc_model& model() { return model_; }
    const calc_model& model() const { return model_; }
    const calc_config& config() const { return model_.config(); }
    std::uint16_t vendor_id() const { return config().vendor_id; }
    std::uint16_t product_id() const { return config().product_id; }
    vanta_kit::hid_caps caps() const { return config().caps(); }

    sim_faults& faults() { return faults_; }
    bool present() const { return present_; }
    // Unplugs the device now: every later operation on it fails.
    void vanish() { present_ = false; }

    std::uint64_t operations() const { return operations_; }
    std::uint64_t writes() const { return writes_; }
    std::uint64_t polls() const { return polls_; }
    std::uint32_t opens(vanta_kit::hid_access access) const;
    std::uint32_t open_handles() const { return open_handles_; }

    const std::vector<output_record>& output_reports() const { return output_reports_; }
    // Every get_input_report that reached the device: its virtual time, the length and the
    // report id the host passed.
    const std::vector<poll_record>& poll_records() const { return poll_records_; }
    // Their virtual times alone.
    std::vector<std::uint64_t> poll_times() const;
    // Records beyond the reserved count allocate.
    void reserve_records(std::size_t count);
    void clear_records();

    // Platform side. `now_ms` is the virtual time of the call.
    bool on_open(vanta_kit::hid_access access);
    bool on_write(const std::uint8_t* report, std::uint32_t length, std::uint32_t& written,
                  std::uint64_t now_ms);
    bool on_poll(std::uint8_t* report, std::uint32_t length, std::uint64_t now_ms);
    void on_close();

private:
    // Counts one operation; false when the device is gone by then.
    bool begin_operation();

    std::wstring path_;
    calc_model model_;
    sim_faults faults_;
    bool present_ = true;
    std::uint64_t operations_ = 0;
    std::uint64_t writes_ = 0;
    std::uint64_t polls_ = 0;
    std::uint32_t read_opens_ = 0;
    std::uint32_t write_opens_ = 0;
    std::uint32_t open_handles_ = 0;
    std::vector<output_record> output_reports_;
    std::vector<poll_record> poll_records_;
};

}  // namespace vanta_sim
