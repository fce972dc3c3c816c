// A hid_platform of simulated devices on a virtual clock. sleep() only advances the clock, so
// a test of a 200 ms exchange runs in microseconds and can assert every report's time.
//
// Handles are opaque values that the platform checks: an operation on an unknown or closed
// handle, a write on a read handle or a poll on a write handle fails and counts as misuse.
// Device paths match without regard to ASCII case, as on Windows.
//
// Guard against hangs: once the virtual clock passes time_limit_ms (default 10 minutes) or the
// platform has served operation_limit calls, the limit handler runs once and every device
// operation fails from then on, which ends any transfer loop that honours failures. A caller
// that keeps going regardless is stopped by abort() after another million calls.
//
// Single-threaded, like the transport it serves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calc_link/hid_platform.h"
#include "tests/support/sim_calculator/sim_device.h"

namespace vanta_sim {

struct sleep_record {
    std::uint64_t start_ms = 0;
    std::uint32_t duration_ms = 0;
};

class sim_hid_platform final : public vanta_kit::hid_platform {
public:
    static constexpr std::uint64_t default_time_limit_ms = 10 * 60 * 1000;
    static constexpr std::uint64_t default_operation_limit = 10'000'000;

    sim_hid_platform();
    ~sim_hid_platform();
    sim_hid_platform(const sim_hid_platform&) = delete;
    sim_hid_platform& operator=(const sim_hid_platform&) = delete;

    // Plugs in a device. A present device with the same path is unplugged first.
    sim_device& add_device(std::wstring path, calc_config config = {});
    // Unplugs the device: it vanishes (open handles stay, every operation fails) and its path
    // is free for a new device. The object stays valid until the platform is destroyed.
    // false when no present device has the path.
    bool remove_device(const std::wstring& path);
    // The present device with this path, or nullptr.
    sim_device* find_device(const std::wstring& path);
    // Present devices, in the order they were added.
    std::vector<sim_device*> devices();

    std::uint64_t now_ms() const { return now_ms_; }
    // Moves the clock without a sleep call (time passing between events).
    void advance_ms(std::uint64_t milliseconds);
    const std::vector<sleep_record>& sleeps() const { return sleeps_; }
    std::uint64_t slept_ms() const { return slept_ms_; }
    void clear_sleeps() { sleeps_.clear(); }

    void set_time_limit_ms(std::uint64_t milliseconds) { time_limit_ms_ = milliseconds; }
    void set_operation_limit(std::uint64_t calls) { operation_limit_ = calls; }
    // Called once, with a short reason, when a limit is first passed.
    void set_limit_handler(std::function<void(const char* reason)> handler);
    bool limit_exceeded() const { return limit_exceeded_; }

    // Handles open on all devices, present or not.
    std::size_t open_handles() const;
    std::uint64_t misuse_count() const { return misuse_; }
    const char* last_misuse() const { return last_misuse_; }
    std::uint64_t calls() const { return calls_; }

    vanta_kit::hid_handle open(const std::wstring& path, vanta_kit::hid_access access) override;
    bool write_report(vanta_kit::hid_handle handle, const std::uint8_t* report,
                      std::uint32_t length, std::uint32_t& written) override;
    bool get_input_report(vanta_kit::hid_handle handle, std::uint8_t* report,
                          std::uint32_t length) override;
    void close(vanta_kit::hid_handle handle) override;
    void sleep(std::uint32_t milliseconds) override;

private:
    struct handle_slot {
        sim_device* device = nullptr;
        vanta_kit::hid_access access = vanta_kit::hid_access::read;
        std::uint16_t generation = 0;
        bool open = false;
    };

    // Counts the call and checks the limits; false once they are passed.
    bool count_call();
    void check_limits();
    // The open slot behind `handle`, or nullptr.
    handle_slot* find_slot(vanta_kit::hid_handle handle);
    // The open slot behind `handle` with the wanted access, or nullptr (counted as misuse).
    handle_slot* slot_for(vanta_kit::hid_handle handle, vanta_kit::hid_access access,
                          const char* what);
    void misuse(const char* what);

    std::vector<std::unique_ptr<sim_device>> devices_;  // every device ever added
    std::vector<handle_slot> slots_;
    std::vector<std::size_t> free_slots_;
    std::vector<sleep_record> sleeps_;
    std::uint64_t now_ms_ = 0;
    std::uint64_t slept_ms_ = 0;
    std::uint64_t time_limit_ms_ = default_time_limit_ms;
    std::uint64_t operation_limit_ = default_operation_limit;
    std::function<void(const char*)> limit_handler_;
    bool limit_exceeded_ = false;
    std::uint64_t calls_ = 0;
    std::uint64_t calls_after_limit_ = 0;
    std::uint64_t misuse_ = 0;
    const char* last_misuse_ = "";
};

}  // namespace vanta_sim
