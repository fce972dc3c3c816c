#include "tests/support/sim_calculator/sim_device.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vanta_sim {

namespace {

constexpr std::size_t default_record_reserve = 4096;

bool hits(std::int64_t planned, std::uint64_t index) {
    return planned >= 0 && static_cast<std::uint64_t>(planned) == index;
}

}  // namespace

sim_device::sim_device(std::wstring path, calc_config config)
    : path_(std::move(path)), model_(std::move(config)) {
    reserve_records(default_record_reserve);
}

std::uint32_t sim_device::opens(vanta_kit::hid_access access) const {
    return access == vanta_kit::hid_access::read ? read_opens_ : write_opens_;
}

void sim_device::reserve_records(std::size_t count) {
    output_reports_.reserve(count);
    poll_records_.reserve(count);
}

std::vector<std::uint64_t> sim_device::poll_times() const {
    std::vector<std::uint64_t> times;
    times.reserve(poll_records_.size());
    for (const poll_record& poll : poll_records_) times.push_back(poll.time_ms);
    return times;
}

void sim_device::clear_records() {
    output_reports_.clear();
    poll_records_.clear();
}

bool sim_device::begin_operation() {
    if (hits(faults_.vanish_at_operation, operations_)) present_ = false;
    ++operations_;
    return present_;
}

bool sim_device::on_open(vanta_kit::hid_access access) {
    if (!begin_operation()) return false;
    const bool read = access == vanta_kit::hid_access::read;
    if (read ? faults_.deny_read_open : faults_.deny_write_open) return false;
    ++(read ? read_opens_ : write_opens_);
    ++open_handles_;
    return true;
}

bool sim_device::on_write(const std::uint8_t* report, std::uint32_t length, std::uint32_t& written,
                          std::uint64_t now_ms) {
    written = 0;
    const std::uint64_t index = writes_++;
    if (!begin_operation() || hits(faults_.fail_write_at, index)) return false;
    if (hits(faults_.short_write_at, index)) {
        written = length > 0 ? length - 1 : 0;
        return true;
    }
    if (!model_.receive_output_report(report, length)) return false;
    output_record record;
    record.time_ms = now_ms;
    record.length = length;
    std::memcpy(record.bytes.data(), report, std::min<std::size_t>(length, record.bytes.size()));
    output_reports_.push_back(record);
    written = length;
    return true;
}

bool sim_device::on_poll(std::uint8_t* report, std::uint32_t length, std::uint64_t now_ms) {
    const std::uint64_t index = polls_++;
    if (!begin_operation()) return false;
    poll_records_.push_back({now_ms, length, length > 0 ? report[0] : std::uint8_t{0}});
    if (hits(faults_.fail_poll_at, index)) return false;
    return model_.produce_input_report(report, length);
}

void sim_device::on_close() {
    begin_operation();
    if (open_handles_ > 0) --open_handles_;
}

}  // namespace vanta_sim
