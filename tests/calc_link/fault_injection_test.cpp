// Every platform operation of an identify exchange, made to fail in turn: the exchange must
// end with 0, the transport closed, nothing cached and the clock barely moved.
#include <functional>

#include "tests/calc_link/link_fixture.h"

namespace link_test {
namespace {

using vanta_sim::calc_config;
using vanta_sim::sim_faults;

// Shapes of exchange: the plain one, a busy calculator with a reply over several reports, and
// small reports.
std::vector<calc_config> exchange_shapes() {
    calc_config plain;
    calc_config busy;
    busy.busy_polls_before_ack = 2;
    busy.busy_polls_before_data = 1;
    busy.raw_name_bytes = bytes(49, 'n');  // the reply needs a second report
    calc_config small;
    small.input_report_length = 9;
    small.output_report_length = 9;
    return {plain, busy, small};
}

struct clean_run {
    std::uint64_t operations, writes, polls, time_ms;
};

clean_run measure(const calc_config& config) {
    vanta_sim::sim_hid_platform sim;
    auto& calc = sim.add_device(calc_path, config);
    vanta_kit::calc_data_provider_impl p(sim);
    EXPECT_EQ(p.open(calc_path, 1), vanta_kit::link_ok);
    const auto caps = calc.caps();
    p.get_io()->set_caps(&caps);
    EXPECT_NE(p.identify(), 0u);
    return {calc.operations(), calc.writes(), calc.polls(), sim.now_ms()};
}

// Runs open, set_caps and identify with the fault in place, then checks the outcome.
void expect_failed_identify(const calc_config& config,
                            const std::function<void(sim_faults&)>& fault,
                            std::uint64_t clean_time_ms) {
    vanta_sim::sim_hid_platform sim;
    sim.set_limit_handler([](const char* reason) { ADD_FAILURE() << reason; });
    auto& calc = sim.add_device(calc_path, config);
    fault(calc.faults());
    {
        vanta_kit::calc_data_provider_impl p(sim);
        p.open(calc_path, 1);
        if (vanta_kit::io_base* io = p.get_io()) {
            const auto caps = calc.caps();
            io->set_caps(&caps);
        }
        EXPECT_EQ(p.identify(), 0u);
        EXPECT_EQ(p.is_open(), 0);
        EXPECT_EQ(p.get_version(), 0u);
        EXPECT_EQ(p.get_name().rfind(L"Orv K58x-", 0), 0u);
        EXPECT_EQ(sim.open_handles(), 0u);
        EXPECT_LE(sim.now_ms(), clean_time_ms);
    }
    EXPECT_FALSE(sim.limit_exceeded());
    EXPECT_EQ(sim.misuse_count(), 0u) << sim.last_misuse();
}

TEST(identify_faults, calculator_vanishing_at_any_operation) {
    for (const auto& config : exchange_shapes()) {
        const clean_run clean = measure(config);
        ASSERT_GE(clean.operations, 6u);
        for (std::uint64_t op = 0; op < clean.operations; ++op) {
            SCOPED_TRACE(testing::Message()
                         << "shape " << config.input_report_length << "/"
                         << config.busy_polls_before_ack << ", operation " << op);
            expect_failed_identify(
                config,
                [op](sim_faults& f) { f.vanish_at_operation = static_cast<std::int64_t>(op); },
                clean.time_ms);
        }
    }
}

TEST(identify_faults, any_single_write_failing_or_short) {
    for (const auto& config : exchange_shapes()) {
        const clean_run clean = measure(config);
        for (std::uint64_t write = 0; write < clean.writes; ++write) {
            SCOPED_TRACE(testing::Message() << "write " << write);
            const auto index = static_cast<std::int64_t>(write);
            expect_failed_identify(
                config, [index](sim_faults& f) { f.fail_write_at = index; }, clean.time_ms);
            expect_failed_identify(
                config, [index](sim_faults& f) { f.short_write_at = index; }, clean.time_ms);
        }
    }
}

TEST(identify_faults, any_single_poll_failing) {
    for (const auto& config : exchange_shapes()) {
        const clean_run clean = measure(config);
        for (std::uint64_t poll = 0; poll < clean.polls; ++poll) {
            SCOPED_TRACE(testing::Message() << "poll " << poll);
            const auto index = static_cast<std::int64_t>(poll);
            expect_failed_identify(
                config, [index](sim_faults& f) { f.fail_poll_at = index; }, clean.time_ms);
        }
    }
}

TEST(identify_faults, device_that_cannot_be_opened) {
    const clean_run clean = measure({});
    expect_failed_identify(
        {}, [](sim_faults& f) { f.deny_read_open = true; }, clean.time_ms);
    expect_failed_identify(
        {}, [](sim_faults& f) { f.deny_write_open = true; }, clean.time_ms);
}

// A calculator that keeps answering "not ready" (flag 0) is given up after 10 s of polling: the
// transfer fails and the transport closes, long before the simulator's own guard would trip.
struct stuck_case {
    const char* name;
    std::int64_t stall_from_poll;
    std::uint64_t gives_up_at_ms;  // 2000 polls of 5 ms after the wait began
};

class stuck_calculator : public ::testing::TestWithParam<stuck_case> {};

TEST_P(stuck_calculator, wait_gives_up_after_10_s_and_closes_the_transport) {
    vanta_sim::sim_hid_platform sim;
    sim.set_limit_handler([](const char* reason) { ADD_FAILURE() << reason; });
    sim.set_time_limit_ms(60'000);
    calc_config config;
    config.stall_from_poll = GetParam().stall_from_poll;
    auto& calc = sim.add_device(calc_path, config);
    vanta_kit::calc_data_provider_impl p(sim);
    ASSERT_EQ(p.open(calc_path, 1), vanta_kit::link_ok);
    const auto caps = calc.caps();
    p.get_io()->set_caps(&caps);

    EXPECT_EQ(p.identify(), 0u);
    EXPECT_FALSE(sim.limit_exceeded());
    EXPECT_EQ(p.is_open(), 0);
    EXPECT_EQ(sim.now_ms(), GetParam().gives_up_at_ms);
    EXPECT_EQ(calc.polls(), static_cast<std::uint64_t>(GetParam().stall_from_poll) + 2000u);
    EXPECT_EQ(sim.open_handles(), 0u);
    EXPECT_EQ(p.get_version(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    waits, stuck_calculator,
    ::testing::Values(stuck_case{"command_never_acknowledged", 0, 10'000},
                      // acknowledges the command after one poll, then the step pause
                      stuck_case{"reply_never_sent", 1, 5 + 100 + 10'000}),
    [](const auto& info) { return std::string(info.param.name); });

// The bound counts polls: an acknowledgment on the 2000th poll still arrives in time.
TEST(stuck_calculator_bound, acknowledgment_on_the_last_poll_is_taken) {
    for (const std::uint32_t busy : {1999u, 2000u}) {
        SCOPED_TRACE(busy);
        vanta_sim::sim_hid_platform sim;
        calc_config config;
        config.busy_polls_before_ack = busy;
        auto& calc = sim.add_device(calc_path, config);
        vanta_kit::usb_io_base_impl io(sim);
        ASSERT_EQ(io.open(calc_path), vanta_kit::link_ok);
        const auto caps = calc.caps();
        io.set_caps(&caps);
        const bool in_time = busy < 2000;
        EXPECT_EQ(io.write_byte(0xFA), in_time ? vanta_kit::link_ok : vanta_kit::link_fail);
        EXPECT_EQ(io.is_open(), in_time ? 1 : 0);
        EXPECT_EQ(calc.polls(), in_time ? busy + 1u : 2000u);
    }
}

}  // namespace
}  // namespace link_test
