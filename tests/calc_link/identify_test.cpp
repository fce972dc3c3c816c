// The identify exchange of calc_data_provider_impl: framing, decoding, caching and timing.
#include <array>

#include "tests/calc_link/link_fixture.h"

namespace link_test {
namespace {

using vanta_sim::calc_config;

class identify : public link_fixture {
protected:
    std::uint64_t identify_with(const calc_config& config) {
        auto& calc = plug(config);
        provider = open_provider(calc);
        return provider->identify();
    }

    std::unique_ptr<vanta_kit::calc_data_provider_impl> provider;
};

TEST_F(identify, reads_name_and_version_with_two_step_pauses) {
    calc_config config;
    config.name = u"Lab K58x #2";
    auto& calc = plug(config);
    provider = open_provider(calc);

    EXPECT_EQ(provider->identify(), 0x7222201200000000u);
    EXPECT_EQ(provider->get_version(), 0x7222201200000000u);
    EXPECT_EQ(provider->get_name(), L"Lab K58x #2");

    // Command, pause, header (and the payload in the same report), pause.
    ASSERT_EQ(calc.output_reports().size(), 2u);
    EXPECT_EQ(report_bytes(calc.output_reports()[0]), host_report(2, {0xFA}, 64));
    EXPECT_EQ(calc.output_reports()[0].time_ms, 0u);
    EXPECT_EQ(report_bytes(calc.output_reports()[1]), host_report(0, {}, 64));
    EXPECT_EQ(calc.output_reports()[1].time_ms, 110u);
    EXPECT_EQ(calc.poll_times(), (std::vector<std::uint64_t>{5, 110}));
    std::vector<std::uint32_t> pauses;
    for (const auto& pause : sim.sleeps()) pauses.push_back(pause.duration_ms);
    EXPECT_EQ(pauses, (std::vector<std::uint32_t>{5, 100, 5, 100}));
    EXPECT_EQ(sim.now_ms(), 210u);
    EXPECT_EQ(calc.model().pending_bytes(), 0u);
}

TEST_F(identify, busy_calculator_lengthens_the_exchange_by_its_polls) {
    calc_config config;
    config.busy_polls_before_ack = 2;
    config.busy_polls_before_data = 3;
    EXPECT_NE(identify_with(config), 0u);
    EXPECT_EQ(sim.now_ms(), 210u + 5 * (2 + 3));
}

TEST_F(identify, payload_that_spans_two_reports_is_fetched_by_the_second_read) {
    calc_config config;
    config.name = u"ABCDEFGHIJKLMNOPQRSTUVWX";  // 48 bytes: payload 5 + 48 + 8 + 1 = 62
    config.identify_trailer = {0x99};
    config.version_bytes = {1, 2, 3, 4, 5, 6, 7, 8};
    auto& calc = plug(config);
    provider = open_provider(calc);

    EXPECT_EQ(provider->identify(), 0x0102030405060708u);
    EXPECT_EQ(provider->get_name(), L"ABCDEFGHIJKLMNOPQRSTUVWX");
    EXPECT_EQ(calc.model().data_reports_sent(), 2u);
    EXPECT_EQ(calc.model().host_acknowledgments(), 2u);
    // The second report is fetched right after the header's step pause.
    EXPECT_EQ(calc.poll_times(), (std::vector<std::uint64_t>{5, 110, 215}));
}

TEST_F(identify, reply_split_into_small_reports_is_reassembled) {
    calc_config config;
    config.input_report_length = 8;  // 6 payload bytes per report
    config.name = u"Tiny";
    config.version_bytes = {0, 0, 0, 0, 0x80, 0, 0, 1};
    auto& calc = plug(config);
    provider = open_provider(calc);
    EXPECT_EQ(provider->identify(), 0x0000000080000001u);
    EXPECT_EQ(provider->get_name(), L"Tiny");
    EXPECT_EQ(calc.model().data_reports_sent(), (5u + 5 + 8 + 8 + 5) / 6);
}

TEST_F(identify, byte_swapped_firmware_is_recognised_by_its_first_seven_bytes) {
    for (const std::uint8_t last : {0x00, 0x42, 0xFF}) {
        SCOPED_TRACE(last);
        vanta_sim::sim_hid_platform platform;
        calc_config config;
        config.version_bytes = {0x00, 0x00, 0x10, 0x01, 0x02, 0x11, 0x71, last};
        auto& calc = platform.add_device(calc_path, config);
        vanta_kit::calc_data_provider_impl p(platform);
        ASSERT_EQ(p.open(calc.path(), 1), vanta_kit::link_ok);
        const auto caps = calc.caps();
        p.get_io()->set_caps(&caps);
        EXPECT_EQ(p.identify(), 0x7111020110000001u);
    }
    // One byte off the prefix is an ordinary big-endian version.
    calc_config config;
    config.version_bytes = {0x00, 0x00, 0x10, 0x01, 0x02, 0x11, 0x72, 0x05};
    EXPECT_EQ(identify_with(config), 0x0000100102117205u);
}

TEST_F(identify, announced_length_outside_1_to_62_caches_nothing) {
    for (const std::uint32_t announced : {0u, 63u, 256u + 21u, 65536u, 65535u + 63u + 1u}) {
        SCOPED_TRACE(announced);
        vanta_sim::sim_hid_platform platform;
        calc_config config;
        config.identify_announced_length = announced;
        auto& calc = platform.add_device(calc_path, config);
        vanta_kit::calc_data_provider_impl p(platform);
        ASSERT_EQ(p.open(calc.path(), 1), vanta_kit::link_ok);
        const auto caps = calc.caps();
        p.get_io()->set_caps(&caps);
        EXPECT_EQ(p.identify(), 0u);
        EXPECT_EQ(p.get_version(), 0u);
        EXPECT_EQ(p.is_open(), 1);
        EXPECT_EQ(platform.now_ms(), 210u);
    }
}

TEST_F(identify, only_the_low_16_bits_of_the_announced_length_count) {
    calc_config config;
    config.name = u"Wrap";  // payload 5 + 8 + 8 = 21
    config.identify_announced_length = 0x10000u + 21;
    EXPECT_EQ(identify_with(config), 0x7222201200000000u);
    EXPECT_EQ(provider->get_name(), L"Wrap");
}

TEST_F(identify, length_65541_passes_as_5_and_reads_five_payload_bytes) {
    calc_config config;
    config.input_report_length = 8;  // header plus one payload byte in the first report
    config.identify_payload = bytes{0, 0, 0, 0, 0, 0xAB, 0xCD};
    config.identify_announced_length = 65541;
    auto& calc = plug(config);
    provider = open_provider(calc);
    // Five bytes hold no version, so nothing is cached; but they were read.
    EXPECT_EQ(provider->identify(), 0u);
    EXPECT_EQ(calc.model().data_reports_sent(), 2u);
    EXPECT_EQ(calc.model().pending_bytes(), 0u);
}

TEST_F(identify, empty_name_falls_back_to_the_default_name) {
    calc_config config;
    config.name = u"";
    EXPECT_NE(identify_with(config), 0u);
    EXPECT_EQ(provider->get_name().rfind(L"Orv K58x-", 0), 0u);
}

TEST_F(identify, odd_name_length_keeps_a_last_unit_with_high_byte_zero) {
    calc_config config;
    config.raw_name_bytes = bytes{'K', 0, '5', 0, '8'};
    EXPECT_NE(identify_with(config), 0u);
    EXPECT_EQ(provider->get_name(), L"K58");
}

TEST_F(identify, name_ends_at_its_first_nul) {
    calc_config config;
    config.name = std::u16string(u"AB\0CD", 5);
    EXPECT_NE(identify_with(config), 0u);
    EXPECT_EQ(provider->get_name(), L"AB");
}

TEST_F(identify, name_units_are_read_little_endian) {
    calc_config config;
    config.name = u"\u4E2D\u6587";
    EXPECT_NE(identify_with(config), 0u);
    EXPECT_EQ(provider->get_name(), std::wstring(L"\u4E2D\u6587"));
}

// A name length that runs past the payload would put the version outside the reply: the
// reply is refused as malformed and nothing is stored, not even the name.
TEST_F(identify, name_length_past_the_payload_stores_nothing) {
    struct reply {
        std::uint8_t name_length;
        std::size_t trailer;
    };
    for (const reply r : {reply{40, 0}, reply{9, 0}, reply{255, 0}, reply{30, 16}}) {
        SCOPED_TRACE(r.name_length);
        vanta_sim::sim_hid_platform platform;
        calc_config config;
        config.name = u"Name";  // 8 bytes sent, payload 21 + trailer
        config.name_length = r.name_length;
        config.identify_trailer = bytes(r.trailer, 0x11);
        auto& calc = platform.add_device(calc_path, config);
        vanta_kit::calc_data_provider_impl p(platform);
        ASSERT_EQ(p.open(calc.path(), 1), vanta_kit::link_ok);
        const auto caps = calc.caps();
        p.get_io()->set_caps(&caps);
        EXPECT_EQ(p.identify(), 0u);
        EXPECT_EQ(p.get_version(), 0u);
        EXPECT_EQ(p.get_name().rfind(L"Orv K58x-", 0), 0u);
        EXPECT_EQ(p.is_open(), 1);
    }
}

TEST_F(identify, payload_too_short_for_a_name_length_stores_nothing) {
    calc_config config;
    config.identify_payload = bytes{0x00};
    EXPECT_EQ(identify_with(config), 0u);
    EXPECT_EQ(provider->get_version(), 0u);
}

TEST_F(identify, name_that_exactly_fills_the_payload_is_accepted) {
    calc_config config;
    config.raw_name_bytes = bytes(49, 'z');  // 5 + 49 + 8 = 62, the longest payload
    EXPECT_NE(identify_with(config), 0u);
    EXPECT_EQ(provider->get_name(), std::wstring(24, static_cast<wchar_t>(0x7A7A)) + L"z");
}

TEST_F(identify, version_zero_stores_nothing_and_asks_again_next_time) {
    calc_config config;
    config.name = u"Blank";
    config.version_bytes = {};
    auto& calc = plug(config);
    provider = open_provider(calc);
    EXPECT_EQ(provider->identify(), 0u);
    EXPECT_EQ(provider->get_name().rfind(L"Orv K58x-", 0), 0u);
    EXPECT_EQ(provider->identify(), 0u);
    EXPECT_EQ(calc.model().commands_received(0xFA), 2u);
}

TEST_F(identify, cached_version_is_returned_without_traffic) {
    auto& calc = plug();
    provider = open_provider(calc);
    const std::uint64_t version = provider->identify();
    ASSERT_NE(version, 0u);
    const auto before = mark(calc);
    EXPECT_EQ(provider->identify(), version);
    expect_no_traffic_since(calc, before);
    EXPECT_EQ(calc.model().commands_received(0xFA), 1u);
}

TEST_F(identify, closed_or_missing_transport_sends_nothing) {
    auto& calc = plug();
    vanta_kit::calc_data_provider_impl never_opened(sim);
    EXPECT_EQ(never_opened.identify(), 0u);
    provider = open_provider(calc);
    provider->close();
    EXPECT_EQ(provider->identify(), 0u);
    EXPECT_EQ(calc.writes() + calc.polls(), 0u);
    EXPECT_EQ(sim.now_ms(), 0u);
}

TEST_F(identify, cache_survives_a_transfer_failure) {
    auto& calc = plug();
    provider = open_provider(calc);
    const std::uint64_t version = provider->identify();
    calc.vanish();
    provider->signal_update_start();
    EXPECT_EQ(provider->is_open(), 0);
    EXPECT_EQ(provider->get_version(), version);
    EXPECT_EQ(provider->identify(), version);
    EXPECT_EQ(provider->get_name(), L"K58x");
}

}  // namespace
}  // namespace link_test
