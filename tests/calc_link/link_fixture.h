// Shared set-up for the calculator-link tests: one simulated platform whose hang guard and
// handle checks turn into test failures.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "calc_link/calc_data_provider_impl.h"
#include "calc_link/usb_io_base_impl.h"
#include "tests/support/sim_calculator/sim_calculator.h"

namespace link_test {

using bytes = std::vector<std::uint8_t>;

inline const std::wstring calc_path =
    L"\\\\?\\hid#vid_3c5d&pid_7e21#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// Bytes start, start + 1, ... repeating every 251 bytes: a prime period, so a byte taken from
// a position off by a power of two (a wrapped index) does not match by chance.
inline bytes pattern(std::size_t count, std::uint8_t start = 1) {
    bytes out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(start + i % 251);
    return out;
}

inline bytes report_bytes(const vanta_sim::output_record& record) {
    return bytes(record.bytes.begin(), record.bytes.begin() + record.length);
}

// An output report as the host must send it: id 1, flag, data, zeros up to `length`.
inline bytes host_report(std::uint8_t flag, const bytes& data, std::size_t length) {
    bytes out(length, 0);
    out[0] = 1;
    out[1] = flag;
    std::copy(data.begin(), data.end(), out.begin() + 2);
    return out;
}

class link_fixture : public ::testing::Test {
protected:
    void SetUp() override {
        sim.set_limit_handler([](const char* reason) { ADD_FAILURE() << reason; });
    }

    void TearDown() override { EXPECT_EQ(sim.misuse_count(), 0u) << sim.last_misuse(); }

    vanta_sim::sim_device& plug(vanta_sim::calc_config config = {}) {
        return sim.add_device(calc_path, std::move(config));
    }

    // A transport opened on `device`, given the device's own capability record.
    std::unique_ptr<vanta_kit::usb_io_base_impl> open_transport(vanta_sim::sim_device& device) {
        auto io = std::make_unique<vanta_kit::usb_io_base_impl>(sim);
        EXPECT_EQ(io->open(device.path()), vanta_kit::link_ok);
        const vanta_kit::hid_caps caps = device.caps();
        io->set_caps(&caps);
        return io;
    }

    // A provider opened in mode 1 with the device's capability record, as the frame does it.
    std::unique_ptr<vanta_kit::calc_data_provider_impl> open_provider(
        vanta_sim::sim_device& device) {
        auto provider = std::make_unique<vanta_kit::calc_data_provider_impl>(sim);
        EXPECT_EQ(provider->open(device.path(), 1), vanta_kit::link_ok);
        if (vanta_kit::io_base* io = provider->get_io()) {
            const vanta_kit::hid_caps caps = device.caps();
            io->set_caps(&caps);
        }
        return provider;
    }

    // No report written, no poll made and no time spent since the marks were taken.
    struct traffic_mark {
        std::size_t reports;
        std::size_t polls;
        std::uint64_t time_ms;
    };
    traffic_mark mark(const vanta_sim::sim_device& device) const {
        return {device.output_reports().size(), device.poll_times().size(), sim.now_ms()};
    }
    void expect_no_traffic_since(const vanta_sim::sim_device& device, traffic_mark before) const {
        EXPECT_EQ(device.output_reports().size(), before.reports);
        EXPECT_EQ(device.poll_times().size(), before.polls);
        EXPECT_EQ(sim.now_ms(), before.time_ms);
    }

    vanta_sim::sim_hid_platform sim;
};

}  // namespace link_test
