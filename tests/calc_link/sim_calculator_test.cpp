// The parts of the simulated calculator that other tests lean on without checking them.
#include <cwctype>

#include "tests/calc_link/link_fixture.h"

namespace link_test {
namespace {

using vanta_kit::hid_access;
using vanta_kit::invalid_hid_handle;

class sim_calculator : public link_fixture {};

TEST(sim_platform, handles_are_checked_for_kind_and_lifetime) {
    vanta_sim::sim_hid_platform sim;
    sim.add_device(calc_path);
    const auto reader = sim.open(calc_path, hid_access::read);
    const auto writer = sim.open(calc_path, hid_access::write);
    ASSERT_NE(reader, invalid_hid_handle);
    ASSERT_NE(writer, invalid_hid_handle);
    std::uint8_t report[64] = {1};
    std::uint32_t written = 0;
    EXPECT_FALSE(sim.write_report(reader, report, 64, written));
    EXPECT_FALSE(sim.get_input_report(writer, report, 64));
    EXPECT_EQ(sim.misuse_count(), 2u);
    sim.close(reader);
    sim.close(reader);
    EXPECT_FALSE(sim.get_input_report(reader, report, 64));
    EXPECT_EQ(sim.misuse_count(), 4u);
    // A fresh handle in the same slot does not revive the old one.
    const auto again = sim.open(calc_path, hid_access::read);
    EXPECT_NE(again, reader);
    EXPECT_FALSE(sim.get_input_report(reader, report, 64));
    sim.close(again);
    sim.close(writer);
    EXPECT_EQ(sim.open_handles(), 0u);
    EXPECT_EQ(sim.misuse_count(), 5u);
}

TEST_F(sim_calculator, paths_match_without_regard_to_case) {
    plug();
    std::wstring upper = calc_path;
    for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    const auto handle = sim.open(upper, hid_access::read);
    EXPECT_NE(handle, invalid_hid_handle);
    sim.close(handle);
}

TEST_F(sim_calculator, unplugged_device_fails_on_open_handles_and_frees_its_path) {
    auto& old_calc = plug();
    const auto writer = sim.open(calc_path, hid_access::write);
    ASSERT_TRUE(sim.remove_device(calc_path));
    std::uint8_t report[64] = {1, 2, 0xFA};
    std::uint32_t written = 0;
    EXPECT_FALSE(sim.write_report(writer, report, 64, written));
    EXPECT_EQ(sim.open(calc_path, hid_access::read), invalid_hid_handle);
    sim.close(writer);
    EXPECT_EQ(old_calc.open_handles(), 0u);

    auto& new_calc = plug();
    EXPECT_NE(&new_calc, &old_calc);
    EXPECT_EQ(sim.devices(), std::vector<vanta_sim::sim_device*>{&new_calc});
}

TEST_F(sim_calculator, capability_record_carries_the_report_lengths) {
    vanta_sim::calc_config config;
    config.input_report_length = 33;
    config.output_report_length = 65;
    const vanta_kit::hid_caps caps = plug(config).caps();
    EXPECT_EQ(caps.InputReportByteLength, 33);
    EXPECT_EQ(caps.OutputReportByteLength, 65);
}

TEST_F(sim_calculator, reports_of_the_wrong_length_or_id_are_refused) {
    vanta_sim::calc_model model;
    std::uint8_t report[128] = {1, 2, 0xFA};
    EXPECT_FALSE(model.receive_output_report(report, 63));
    report[0] = 0;
    EXPECT_FALSE(model.receive_output_report(report, 64));
    EXPECT_EQ(model.commands_received(0xFA), 0u);
    EXPECT_FALSE(model.produce_input_report(report, 63));  // shorter than an input report
}

TEST_F(sim_calculator, identify_reply_is_laid_out_as_the_calculator_sends_it) {
    vanta_sim::calc_config config;
    config.name = u"AB";
    config.version_bytes = {1, 2, 3, 4, 5, 6, 7, 8};
    config.identify_trailer = {0xEE};
    EXPECT_EQ(vanta_sim::calc_model(config).identify_reply(),
              (bytes{0, 0, 0, 0, 18, 0, 4, 0, 0, 0, 'A', 0, 'B', 0, 1, 2, 3, 4, 5, 6, 7, 8, 0xEE}));
}

TEST_F(sim_calculator, guard_trips_once_and_then_fails_every_operation) {
    int trips = 0;
    sim.set_limit_handler([&trips](const char*) { ++trips; });
    sim.set_time_limit_ms(100);
    plug();
    sim.sleep(60);
    EXPECT_FALSE(sim.limit_exceeded());
    sim.sleep(60);
    sim.sleep(60);
    EXPECT_TRUE(sim.limit_exceeded());
    EXPECT_EQ(trips, 1);
    EXPECT_EQ(sim.open(calc_path, hid_access::read), invalid_hid_handle);
}

}  // namespace
}  // namespace link_test
