// usb_io_base_impl against a simulated calculator: framing, the stop-and-wait handshake, the
// receive buffer, and the open/close lifecycle.
#include <algorithm>

#include "tests/calc_link/link_fixture.h"

namespace link_test {
namespace {

using vanta_kit::hid_access;
using vanta_kit::link_fail;
using vanta_kit::link_ok;

class transport : public link_fixture {};

TEST_F(transport, empty_write_sends_nothing) {
    auto& calc = plug();
    auto io = open_transport(calc);
    const auto before = mark(calc);
    EXPECT_EQ(io->write(nullptr, 0), link_ok);
    expect_no_traffic_since(calc, before);
}

TEST_F(transport, command_byte_is_one_report_then_one_acknowledgment) {
    auto& calc = plug();
    auto io = open_transport(calc);
    ASSERT_EQ(io->write_byte(0xFA), link_ok);

    ASSERT_EQ(calc.output_reports().size(), 1u);
    EXPECT_EQ(report_bytes(calc.output_reports()[0]), host_report(2, {0xFA}, 64));
    EXPECT_EQ(calc.poll_times(), (std::vector<std::uint64_t>{5}));
    EXPECT_EQ(sim.now_ms(), 5u);
    EXPECT_EQ(calc.model().acknowledgments_sent(), 1u);
}

TEST_F(transport, message_longer_than_one_payload_is_chunked_first_then_later) {
    auto& calc = plug();
    auto io = open_transport(calc);
    const bytes message = pattern(63);  // P_out + 1
    ASSERT_EQ(io->write(message.data(), 63), link_ok);

    ASSERT_EQ(calc.output_reports().size(), 2u);
    EXPECT_EQ(report_bytes(calc.output_reports()[0]),
              host_report(2, bytes(message.begin(), message.begin() + 62), 64));
    EXPECT_EQ(report_bytes(calc.output_reports()[1]), host_report(1, {message[62]}, 64));
    // Stop and wait: the second report goes out only after the first was acknowledged.
    EXPECT_EQ(calc.output_reports()[1].time_ms, 5u);
    EXPECT_EQ(calc.poll_times(), (std::vector<std::uint64_t>{5, 10}));
}

TEST_F(transport, busy_calculator_is_polled_every_5_ms_until_it_acknowledges) {
    vanta_sim::calc_config config;
    config.busy_polls_before_ack = 3;
    auto& calc = plug(config);
    auto io = open_transport(calc);
    ASSERT_EQ(io->write_byte(0xE6), link_ok);
    EXPECT_EQ(calc.poll_times(), (std::vector<std::uint64_t>{5, 10, 15, 20}));
    for (const auto& pause : sim.sleeps()) EXPECT_EQ(pause.duration_ms, 5u);
}

TEST_F(transport, short_read_keeps_rest_of_report_for_next_read) {
    auto& calc = plug();
    const bytes message = pattern(62, 0x40);
    calc.model().queue_message(message);
    auto io = open_transport(calc);

    bytes header(5);
    ASSERT_EQ(io->read(header.data(), 5), link_ok);
    EXPECT_EQ(header, bytes(message.begin(), message.begin() + 5));
    ASSERT_EQ(calc.output_reports().size(), 1u);
    EXPECT_EQ(report_bytes(calc.output_reports()[0]), host_report(0, {}, 64));
    EXPECT_EQ(calc.poll_times(), (std::vector<std::uint64_t>{5}));

    const auto before = mark(calc);
    bytes rest(57);
    ASSERT_EQ(io->read(rest.data(), 57), link_ok);
    EXPECT_EQ(rest, bytes(message.begin() + 5, message.end()));
    expect_no_traffic_since(calc, before);
}

TEST_F(transport, longer_read_hands_out_leftovers_before_fetching_more) {
    auto& calc = plug();
    const bytes message = pattern(124, 0x10);  // two full reports
    calc.model().queue_message(message);
    auto io = open_transport(calc);

    bytes first(5), second(70);
    ASSERT_EQ(io->read(first.data(), 5), link_ok);
    ASSERT_EQ(io->read(second.data(), 70), link_ok);
    EXPECT_EQ(second, bytes(message.begin() + 5, message.begin() + 75));
    EXPECT_EQ(calc.model().data_reports_sent(), 2u);
    EXPECT_EQ(calc.model().host_acknowledgments(), 2u);
}

TEST_F(transport, new_message_in_the_middle_of_a_read_restarts_delivery) {
    auto& calc = plug();
    const bytes old_message = pattern(62, 0x00);
    const bytes new_message = pattern(62, 0x80);
    calc.model().queue_message(old_message);
    calc.model().queue_message(new_message);  // starts with flag 2
    auto io = open_transport(calc);

    bytes destination(124, 0xEE);
    ASSERT_EQ(io->read(destination.data(), 124), link_ok);
    EXPECT_EQ(bytes(destination.begin(), destination.begin() + 62), new_message);
    EXPECT_EQ(bytes(destination.begin() + 62, destination.end()), bytes(62, 0xEE));
}

// A read that fetches many reports leaves its rest deep in the receive buffer; it must be
// handed out from there, past position 4096 as well.
TEST_F(transport, leftovers_are_handed_out_correctly_from_any_position) {
    for (const std::uint16_t first_read : {4200, 8190, 19950}) {
        SCOPED_TRACE(first_read);
        vanta_sim::sim_hid_platform platform;
        auto& calc = platform.add_device(calc_path);
        const std::size_t reports = (first_read + 61) / 62;
        const bytes message = pattern(reports * 62, 3);
        calc.model().queue_message(message);
        vanta_kit::usb_io_base_impl io(platform);
        ASSERT_EQ(io.open(calc_path), link_ok);
        const auto caps = calc.caps();
        io.set_caps(&caps);

        bytes destination(first_read);
        ASSERT_EQ(io.read(destination.data(), first_read), link_ok);
        EXPECT_EQ(destination, bytes(message.begin(), message.begin() + first_read));
        const std::size_t kept = message.size() - first_read;
        bytes rest(kept);
        const std::size_t polls = calc.polls();
        ASSERT_EQ(io.read(rest.data(), static_cast<std::uint16_t>(kept)), link_ok);
        EXPECT_EQ(rest, bytes(message.begin() + first_read, message.end()));
        EXPECT_EQ(calc.polls(), polls);
    }
}

TEST_F(transport, read_larger_than_receive_buffer_fails_without_traffic) {
    auto& calc = plug();
    calc.model().queue_message(pattern(62));
    auto io = open_transport(calc);
    bytes header(5);
    ASSERT_EQ(io->read(header.data(), 5), link_ok);

    // 57 bytes are kept; 19964 + 57 would need 323 reports, 20026 bytes of receive buffer.
    const auto before = mark(calc);
    bytes destination(65535);
    EXPECT_EQ(io->read(destination.data(), 57 + 19965), link_fail);
    expect_no_traffic_since(calc, before);
    EXPECT_EQ(io->is_open(), 0);
    EXPECT_EQ(calc.open_handles(), 0u);
    EXPECT_EQ(io->read(destination.data(), 65535), link_fail);
}

TEST_F(transport, largest_read_that_fits_receive_buffer_succeeds) {
    vanta_sim::calc_config config;
    config.input_report_length = 3;  // one payload byte per report
    config.output_report_length = 3;
    auto& calc = plug(config);
    const bytes message = pattern(20000);
    calc.model().queue_message(message);
    auto io = open_transport(calc);
    bytes destination(20001);
    ASSERT_EQ(io->read(destination.data(), 20000), link_ok);
    EXPECT_EQ(bytes(destination.begin(), destination.begin() + 20000), message);
    EXPECT_EQ(sim.now_ms(), 20000u * 5);
    EXPECT_EQ(io->read(destination.data(), 20001), link_fail);
}

TEST_F(transport, report_lengths_that_do_not_fit_make_transfers_fail_cleanly) {
    struct lengths {
        std::uint16_t in, out;
    };
    for (const lengths bad : {lengths{64, 128}, lengths{128, 64}, lengths{200, 64}, lengths{64, 2},
                              lengths{2, 64}, lengths{0, 0}, lengths{65535, 65535}}) {
        SCOPED_TRACE(testing::Message() << bad.in << "/" << bad.out);
        for (const bool writing : {true, false}) {
            vanta_sim::sim_hid_platform platform;
            auto& calc = platform.add_device(calc_path);
            calc.model().queue_message(pattern(62));
            vanta_kit::usb_io_base_impl io(platform);
            ASSERT_EQ(io.open(calc_path), link_ok);
            vanta_kit::hid_caps caps = calc.caps();
            caps.InputReportByteLength = bad.in;
            caps.OutputReportByteLength = bad.out;
            io.set_caps(&caps);

            bytes buffer(8);
            EXPECT_EQ(writing ? io.write_byte(0xFA) : io.read(buffer.data(), 8), link_fail);
            EXPECT_EQ(io.is_open(), 0);
            EXPECT_EQ(calc.writes() + calc.polls(), 0u);
            EXPECT_EQ(platform.now_ms(), 0u);
            EXPECT_EQ(platform.open_handles(), 0u);
        }
    }
}

struct report_lengths {
    std::uint16_t in;
    std::uint16_t out;
};

class transport_lengths : public ::testing::TestWithParam<report_lengths> {};

// Every report written and every poll made carries L_out bytes with report id 1, whatever L_in
// is; the data survives the round trip at the extreme lengths that fit.
TEST_P(transport_lengths, reports_and_polls_use_the_output_length_and_report_id_1) {
    const report_lengths lengths = GetParam();
    vanta_sim::sim_hid_platform platform;
    vanta_sim::calc_config config;
    config.input_report_length = lengths.in;
    config.output_report_length = lengths.out;
    auto& calc = platform.add_device(calc_path, config);
    const bytes message = pattern(300);
    calc.model().queue_message(message);
    vanta_kit::usb_io_base_impl io(platform);
    ASSERT_EQ(io.open(calc_path), link_ok);
    const auto caps = calc.caps();
    io.set_caps(&caps);

    ASSERT_EQ(io.write(message.data(), 300), link_ok);
    const std::size_t write_reports = (300u + lengths.out - 3) / (lengths.out - 2);
    ASSERT_EQ(calc.output_reports().size(), write_reports);
    bytes destination(300);
    ASSERT_EQ(io.read(destination.data(), 300), link_ok);
    EXPECT_EQ(destination, message);

    const std::size_t read_reports = (300u + lengths.in - 3) / (lengths.in - 2);
    ASSERT_EQ(calc.output_reports().size(), write_reports + read_reports);
    for (const auto& report : calc.output_reports()) {
        EXPECT_EQ(report.length, lengths.out);
        EXPECT_EQ(report.bytes[0], 1);
    }
    ASSERT_EQ(calc.poll_records().size(), write_reports + read_reports);
    for (const auto& poll : calc.poll_records()) {
        EXPECT_EQ(poll.length, lengths.out);
        EXPECT_EQ(poll.entry_report_id, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(lengths, transport_lengths,
                         ::testing::Values(report_lengths{3, 3}, report_lengths{127, 127},
                                           report_lengths{16, 64}, report_lengths{3, 127}),
                         [](const auto& info) {
                             return "in_" + std::to_string(info.param.in) + "_out_" +
                                    std::to_string(info.param.out);
                         });

TEST_F(transport, transfer_before_set_caps_fails_without_traffic) {
    auto& calc = plug();
    calc.model().queue_message(pattern(62));
    vanta_kit::usb_io_base_impl io(sim);
    ASSERT_EQ(io.open(calc.path()), link_ok);
    bytes buffer(5);
    EXPECT_EQ(io.read(buffer.data(), 5), link_fail);
    EXPECT_EQ(io.is_open(), 0);
    ASSERT_EQ(io.open(calc.path()), link_ok);
    EXPECT_EQ(io.write_byte(0xFA), link_fail);
    EXPECT_EQ(calc.writes() + calc.polls(), 0u);
    EXPECT_EQ(sim.now_ms(), 0u);
}

TEST_F(transport, set_caps_keeps_its_own_copy) {
    auto& calc = plug();
    vanta_kit::usb_io_base_impl io(sim);
    ASSERT_EQ(io.open(calc.path()), link_ok);
    vanta_kit::hid_caps caps = calc.caps();
    io.set_caps(&caps);
    caps.OutputReportByteLength = 500;
    EXPECT_EQ(io.write_byte(0xFA), link_ok);
    EXPECT_EQ(calc.output_reports().at(0).length, 64u);
}

// The acknowledgment of an input report is all zero even when the output report is longer than
// the input report and the buffer still holds an earlier host message.
TEST_F(transport, acknowledgment_payload_is_zero_with_long_output_reports) {
    vanta_sim::calc_config config;
    config.input_report_length = 16;
    config.output_report_length = 64;
    auto& calc = plug(config);
    auto io = open_transport(calc);
    const bytes message(62, 0xAA);
    ASSERT_EQ(io->write(message.data(), 62), link_ok);
    calc.model().queue_message(pattern(14));
    bytes destination(14);
    ASSERT_EQ(io->read(destination.data(), 14), link_ok);
    EXPECT_EQ(destination, pattern(14));
    ASSERT_EQ(calc.output_reports().size(), 2u);
    EXPECT_EQ(report_bytes(calc.output_reports()[1]), host_report(0, {}, 64));
}

TEST_F(transport, failed_write_closes_and_later_transfers_send_nothing) {
    auto& calc = plug();
    calc.model().queue_message(pattern(62, 0x20));
    calc.faults().fail_write_at = 0;  // the acknowledgment of the first input report
    auto io = open_transport(calc);
    bytes header(5);
    EXPECT_EQ(io->read(header.data(), 5), link_fail);
    EXPECT_EQ(io->is_open(), 0);
    EXPECT_EQ(calc.open_handles(), 0u);

    const auto before = mark(calc);
    EXPECT_EQ(io->write_byte(0xFA), link_fail);
    EXPECT_EQ(io->read(header.data(), 5), link_fail);
    expect_no_traffic_since(calc, before);
}

TEST_F(transport, closed_transport_still_hands_out_kept_bytes) {
    auto& calc = plug();
    const bytes message = pattern(62, 0x30);
    calc.model().queue_message(message);
    auto io = open_transport(calc);
    bytes header(5);
    ASSERT_EQ(io->read(header.data(), 5), link_ok);
    io->close();

    const auto before = mark(calc);
    bytes kept(10);
    EXPECT_EQ(io->read(kept.data(), 10), link_ok);
    EXPECT_EQ(kept, bytes(message.begin() + 5, message.begin() + 15));
    bytes rest(60, 0);
    EXPECT_EQ(io->read(rest.data(), 60), link_fail);
    EXPECT_EQ(bytes(rest.begin(), rest.begin() + 47), bytes(message.begin() + 15, message.end()));
    expect_no_traffic_since(calc, before);
}

TEST_F(transport, short_report_write_fails_the_transfer) {
    auto& calc = plug();
    calc.faults().short_write_at = 0;
    auto io = open_transport(calc);
    EXPECT_EQ(io->write_byte(0xFA), link_fail);
    EXPECT_EQ(io->is_open(), 0);
    EXPECT_TRUE(calc.poll_times().empty());
}

TEST_F(transport, failed_poll_ends_the_wait_and_closes) {
    for (const bool writing : {true, false}) {
        SCOPED_TRACE(writing);
        vanta_sim::sim_hid_platform platform;
        vanta_sim::calc_config config;
        config.busy_polls_before_ack = 2;
        config.busy_polls_before_data = 2;
        auto& calc = platform.add_device(calc_path, config);
        calc.model().queue_message(pattern(62));
        calc.faults().fail_poll_at = 1;
        vanta_kit::usb_io_base_impl io(platform);
        ASSERT_EQ(io.open(calc_path), link_ok);
        const auto caps = calc.caps();
        io.set_caps(&caps);
        bytes buffer(5);
        EXPECT_EQ(writing ? io.write_byte(0xFA) : io.read(buffer.data(), 5), link_fail);
        EXPECT_EQ(io.is_open(), 0);
        EXPECT_EQ(calc.polls(), 2u);
        EXPECT_EQ(platform.now_ms(), 10u);
        EXPECT_EQ(platform.open_handles(), 0u);
    }
}

// A calculator that stays busy for 5 s (within the 10 s bound) is waited for, and one that then
// disappears ends the wait at its first failed poll.
TEST_F(transport, busy_calculator_that_disappears_ends_the_wait) {
    vanta_sim::calc_config config;
    config.stall_from_poll = 0;
    auto& calc = plug(config);
    auto io = open_transport(calc);
    // Operations 0 and 1 were the opens, 2 the report write; the 1000th poll finds it gone.
    calc.faults().vanish_at_operation = 3 + 1000;
    EXPECT_EQ(io->write_byte(0xFA), link_fail);
    EXPECT_EQ(calc.polls(), 1001u);
    EXPECT_EQ(sim.now_ms(), 1001u * 5);
    const auto& times = calc.poll_times();
    ASSERT_EQ(times.size(), 1000u);
    for (std::size_t i = 0; i < times.size(); ++i) ASSERT_EQ(times[i], 5 * (i + 1));
    EXPECT_EQ(io->is_open(), 0);
}

class transport_open : public link_fixture {};

TEST_F(transport_open, path_that_cannot_be_read_releases_the_write_handle) {
    auto& calc = plug();
    calc.faults().deny_read_open = true;
    vanta_kit::usb_io_base_impl io(sim);
    EXPECT_EQ(io.open(calc.path()), link_fail);
    EXPECT_EQ(io.is_open(), 0);
    EXPECT_EQ(calc.opens(hid_access::write), 1u);
    EXPECT_EQ(calc.open_handles(), 0u);
}

TEST_F(transport_open, path_that_cannot_be_written_opens_nothing) {
    auto& calc = plug();
    calc.faults().deny_write_open = true;
    vanta_kit::usb_io_base_impl io(sim);
    EXPECT_EQ(io.open(calc.path()), link_fail);
    EXPECT_EQ(calc.open_handles(), 0u);
    EXPECT_EQ(io.open(L"\\\\?\\hid#no_such_device"), link_fail);
}

TEST_F(transport_open, reopen_close_and_destruction_release_both_handles) {
    auto& calc = plug();
    {
        vanta_kit::usb_io_base_impl io(sim);
        ASSERT_EQ(io.open(calc.path()), link_ok);
        EXPECT_EQ(io.is_open(), 1);
        EXPECT_EQ(calc.open_handles(), 2u);
        ASSERT_EQ(io.open(calc.path()), link_ok);
        EXPECT_EQ(calc.open_handles(), 2u);
        io.close();
        EXPECT_EQ(io.is_open(), 0);
        EXPECT_EQ(calc.open_handles(), 0u);
        io.close();
        ASSERT_EQ(io.open(calc.path()), link_ok);
    }
    EXPECT_EQ(calc.open_handles(), 0u);
    EXPECT_EQ(calc.opens(hid_access::read), 3u);
}

TEST_F(transport_open, failed_reopen_leaves_transport_closed) {
    auto& calc = plug();
    vanta_kit::usb_io_base_impl io(sim);
    ASSERT_EQ(io.open(calc.path()), link_ok);
    calc.faults().deny_read_open = true;
    EXPECT_EQ(io.open(calc.path()), link_fail);
    EXPECT_EQ(io.is_open(), 0);
    EXPECT_EQ(calc.open_handles(), 0u);
}

}  // namespace
}  // namespace link_test
