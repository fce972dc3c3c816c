// calc_data_provider_impl apart from identify: lifecycle, default names, the block query and
// the update-start command.
#include <string>

#include "tests/calc_link/link_fixture.h"

namespace link_test {
namespace {

using vanta_kit::hid_access;
using vanta_kit::link_fail;
using vanta_kit::link_ok;
using vanta_sim::calc_config;

class provider : public link_fixture {};

int default_name_number(const std::wstring& name) {
    const std::wstring prefix = L"Orv K58x-";
    EXPECT_EQ(name.rfind(prefix, 0), 0u) << "not a default name";
    return std::stoi(name.substr(prefix.size()));
}

TEST_F(provider, only_mode_1_opens_and_only_once) {
    auto& calc = plug();
    vanta_kit::calc_data_provider_impl p(sim);
    EXPECT_EQ(p.open(calc.path(), 2), link_fail);
    EXPECT_EQ(p.get_io(), nullptr);
    EXPECT_EQ(calc.opens(hid_access::write), 0u);

    EXPECT_EQ(p.open(calc.path(), 1), link_ok);
    EXPECT_EQ(p.get_mode(), 1);
    EXPECT_EQ(p.is_open(), 1);
    EXPECT_NE(p.get_io(), nullptr);
    EXPECT_EQ(p.open(calc.path(), 1), link_fail);
    EXPECT_EQ(p.close(), link_ok);
    EXPECT_EQ(p.open(calc.path(), 1), link_fail);
    EXPECT_EQ(calc.opens(hid_access::write), 1u);
}

TEST_F(provider, path_that_cannot_be_opened_leaves_a_closed_transport) {
    vanta_kit::calc_data_provider_impl p(sim);
    EXPECT_EQ(p.open(L"\\\\?\\hid#gone", 1), link_fail);
    EXPECT_EQ(p.is_open(), 0);
    EXPECT_EQ(p.get_io(), nullptr);
    auto& calc = plug();
    EXPECT_EQ(p.open(calc.path(), 1), link_fail);
}

TEST_F(provider, close_keeps_the_object_and_makes_exchanges_no_ops) {
    auto& calc = plug();
    auto p = open_provider(calc);
    ASSERT_NE(p->identify(), 0u);
    EXPECT_EQ(p->close(), link_ok);
    EXPECT_EQ(p->is_open(), 0);
    EXPECT_EQ(p->get_io(), nullptr);
    EXPECT_EQ(calc.open_handles(), 0u);

    const auto before = mark(calc);
    p->signal_update_start();
    std::int32_t length = 77;
    EXPECT_EQ(p->query_block(&length), 0);
    EXPECT_EQ(length, 0);
    expect_no_traffic_since(calc, before);
    EXPECT_EQ(p->close(), link_ok);
}

TEST_F(provider, release_io_destroys_only_an_open_transport) {
    auto& calc = plug();
    auto p = open_provider(calc);
    p->release_io();
    EXPECT_EQ(p->get_io(), nullptr);
    EXPECT_EQ(calc.open_handles(), 0u);
    // No transport any more: a new open is allowed.
    EXPECT_EQ(p->open(calc.path(), 1), link_ok);

    p->close();
    p->release_io();  // closed: the transport stays, so open still refuses
    EXPECT_EQ(p->open(calc.path(), 1), link_fail);
}

TEST_F(provider, destruction_releases_the_handles) {
    auto& calc = plug();
    open_provider(calc).reset();
    EXPECT_EQ(calc.open_handles(), 0u);
}

TEST_F(provider, reserved_slots_answer_zero) {
    vanta_kit::calc_data_provider_impl p(sim);
    int argument = 0;
    EXPECT_EQ(p.reserved_1(&argument), 0);
    EXPECT_EQ(p.reserved_2(nullptr), 0);
}

TEST_F(provider, default_names_count_up_across_providers_on_every_call) {
    auto& calc = plug();
    auto named = open_provider(calc);
    ASSERT_NE(named->identify(), 0u);
    vanta_kit::calc_data_provider_impl first(sim), second(sim);

    const int n = default_name_number(first.get_name());
    EXPECT_EQ(default_name_number(second.get_name()), n + 1);
    EXPECT_EQ(default_name_number(first.get_name()), n + 2);
    EXPECT_EQ(named->get_name(), L"K58x");  // advances the counter all the same
    EXPECT_EQ(first.get_name(), L"Orv K58x-" + std::to_wstring(n + 4));
}

TEST_F(provider, update_start_is_one_command_report_without_pause_or_reply) {
    auto& calc = plug();
    auto p = open_provider(calc);
    p->signal_update_start();
    ASSERT_EQ(calc.output_reports().size(), 1u);
    EXPECT_EQ(report_bytes(calc.output_reports()[0]), host_report(2, {0xE6}, 64));
    EXPECT_EQ(calc.model().commands_received(0xE6), 1u);
    EXPECT_EQ(sim.now_ms(), 5u);
    EXPECT_EQ(calc.poll_times().size(), 1u);
}

class block_query : public link_fixture {
protected:
    std::int32_t query(const calc_config& config) {
        calc = &plug(config);
        p = open_provider(*calc);
        std::int32_t length = -7;
        EXPECT_EQ(p->query_block(&length), 0);
        return length;
    }

    vanta_sim::sim_device* calc = nullptr;
    std::unique_ptr<vanta_kit::calc_data_provider_impl> p;
};

TEST_F(block_query, reply_is_consumed_and_its_length_reported) {
    calc_config config;
    config.block_payload = pattern(300);
    EXPECT_EQ(query(config), 300);
    EXPECT_EQ(calc->model().pending_bytes(), 0u);
    EXPECT_EQ(calc->model().host_acknowledgments(), calc->model().data_reports_sent());
    EXPECT_EQ(p->is_open(), 1);
    EXPECT_EQ(sim.sleeps()[1].duration_ms, 100u);
    EXPECT_EQ(sim.sleeps()[3].duration_ms, 100u);
}

TEST_F(block_query, reply_longer_than_the_receive_buffer_is_consumed_too) {
    calc_config config;
    config.block_payload = pattern(65535);
    EXPECT_EQ(query(config), 65535);
    EXPECT_EQ(calc->model().pending_bytes(), 0u);
    EXPECT_EQ(p->is_open(), 1);
}

TEST_F(block_query, zero_or_negative_length_reads_nothing_after_the_header) {
    for (const std::uint32_t announced : {0u, 0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(announced);
        vanta_sim::sim_hid_platform platform;
        calc_config config;
        config.input_report_length = 8;  // the header report holds one byte of payload
        config.block_payload = pattern(40);
        config.block_announced_length = announced;
        auto& device = platform.add_device(calc_path, config);
        vanta_kit::calc_data_provider_impl q(platform);
        ASSERT_EQ(q.open(device.path(), 1), link_ok);
        const auto caps = device.caps();
        q.get_io()->set_caps(&caps);
        std::int32_t length = 1;
        EXPECT_EQ(q.query_block(&length), 0);
        EXPECT_EQ(length, static_cast<std::int32_t>(announced));
        EXPECT_EQ(device.model().data_reports_sent(), 1u);
        EXPECT_EQ(platform.now_ms(), 210u);
    }
}

TEST_F(block_query, only_the_low_16_bits_are_read) {
    calc_config config;
    config.block_payload = pattern(10);
    config.block_announced_length = 0x10000u + 10;
    EXPECT_EQ(query(config), 0x1000A);
    EXPECT_EQ(calc->model().pending_bytes(), 0u);
}

TEST_F(block_query, failure_before_the_header_reports_zero) {
    calc_config config;
    config.block_payload = pattern(10);
    auto& device = plug(config);
    device.faults().fail_poll_at = 1;  // the poll for the header
    p = open_provider(device);
    std::int32_t length = 5;
    EXPECT_EQ(p->query_block(&length), 0);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(p->is_open(), 0);
    EXPECT_EQ(p->query_block(nullptr), 0);
}

}  // namespace
}  // namespace link_test
