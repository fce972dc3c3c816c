// Discovery over simulated HID interfaces: which interfaces reach the device list's owner, with
// what, and that every query handle is closed again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc_link/discovery.h"
#include "tests/support/sim_device_bus/sim_device_queries.h"

namespace {

constexpr vanta_kit::usb_identity calculator{0x3C5D, 0x7E21};

struct recording_sink final : vanta_kit::device_sink {
    struct added {
        std::wstring path;
        vanta_kit::hid_caps caps;
    };
    std::vector<added> adds;
    std::vector<std::wstring> removals;
    int recovery_arrivals = 0;

    void add_calculator(std::wstring path, const vanta_kit::hid_caps* caps) override {
        adds.push_back({path, *caps});
    }
    void remove_calculator(std::wstring path) override { removals.push_back(path); }
    void on_recovery_device_arrival() override { ++recovery_arrivals; }
};

vanta_sim::calc_config device_with_ids(std::uint16_t vendor_id, std::uint16_t product_id) {
    vanta_sim::calc_config config;
    config.vendor_id = vendor_id;
    config.product_id = product_id;
    return config;
}

class discovery_test : public ::testing::Test {
protected:
    vanta_sim::sim_hid_platform platform;
    vanta_sim::sim_device_queries queries{platform};
    recording_sink sink;

    void TearDown() override {
        EXPECT_EQ(queries.open_queries(), 0u) << "a query handle was left open";
        EXPECT_EQ(queries.misuse_count(), 0u);
    }
};

TEST_F(discovery_test, enumeration_hands_over_calculators_in_platform_order_with_their_caps) {
    vanta_sim::calc_config small = device_with_ids(0x3C5D, 0x7E21);
    small.input_report_length = 33;
    small.output_report_length = 17;
    platform.add_device(L"\\\\?\\hid#vid_3c5d&pid_7e21#b", small);
    platform.add_device(L"\\\\?\\hid#vid_046d&pid_c077#mouse", device_with_ids(0x046D, 0xC077));
    platform.add_device(L"\\\\?\\hid#vid_066f&pid_3770#recovery", device_with_ids(0x066F, 0x3770));
    platform.add_device(L"\\\\?\\hid#vid_3c5d&pid_7e21#a", device_with_ids(0x3C5D, 0x7E21));

    vanta_kit::enumerate_present_calculators(queries, calculator, sink);

    ASSERT_EQ(sink.adds.size(), 2u);
    EXPECT_EQ(sink.adds[0].path, L"\\\\?\\hid#vid_3c5d&pid_7e21#b")
        << "path as the platform gave it";
    EXPECT_EQ(sink.adds[0].caps.InputReportByteLength, 33);
    EXPECT_EQ(sink.adds[0].caps.OutputReportByteLength, 17);
    EXPECT_EQ(sink.adds[1].path, L"\\\\?\\hid#vid_3c5d&pid_7e21#a");
    EXPECT_EQ(sink.recovery_arrivals, 0) << "recovery devices present at start-up are not reported";
    EXPECT_EQ(queries.queries_opened(), 4u) << "every interface is looked at once";
}

TEST_F(discovery_test, enumeration_skips_interfaces_that_cannot_be_opened_for_queries) {
    platform.add_device(L"\\\\?\\hid#locked");
    platform.add_device(L"\\\\?\\hid#open");
    queries.deny_query(L"\\\\?\\HID#LOCKED");

    vanta_kit::enumerate_present_calculators(queries, calculator, sink);

    ASSERT_EQ(sink.adds.size(), 1u);
    EXPECT_EQ(sink.adds[0].path, L"\\\\?\\hid#open");
}

TEST_F(discovery_test, enumeration_with_no_interfaces_reports_nothing) {
    vanta_kit::enumerate_present_calculators(queries, calculator, sink);
    EXPECT_TRUE(sink.adds.empty());
    EXPECT_EQ(queries.queries_opened(), 0u);
}

TEST_F(discovery_test, arrival_of_a_calculator_adds_it_once_with_the_notified_path) {
    platform.add_device(L"\\\\?\\HID#VID_3C5D&PID_7E21#7");

    vanta_kit::handle_interface_arrival(queries, calculator, L"\\\\?\\hid#vid_3c5d&pid_7e21#7",
                                        sink);

    ASSERT_EQ(sink.adds.size(), 1u);
    EXPECT_EQ(sink.adds[0].path, L"\\\\?\\hid#vid_3c5d&pid_7e21#7");
    EXPECT_EQ(sink.adds[0].caps.InputReportByteLength, 64);
    EXPECT_EQ(sink.recovery_arrivals, 0);
}

TEST_F(discovery_test, arrival_of_a_recovery_device_is_reported_and_not_added) {
    platform.add_device(L"\\\\?\\hid#recovery", device_with_ids(0x066F, 0x3770));

    vanta_kit::handle_interface_arrival(queries, calculator, L"\\\\?\\hid#recovery", sink);

    EXPECT_EQ(sink.recovery_arrivals, 1);
    EXPECT_TRUE(sink.adds.empty());
}

TEST_F(discovery_test, arrival_of_other_devices_or_unopenable_ones_changes_nothing) {
    platform.add_device(L"\\\\?\\hid#keyboard", device_with_ids(0x046D, 0xC31C));
    // Half a match is no match.
    platform.add_device(L"\\\\?\\hid#same_vendor", device_with_ids(0x3C5D, 0x3770));
    platform.add_device(L"\\\\?\\hid#locked_calculator");
    queries.deny_query(L"\\\\?\\hid#locked_calculator");

    for (const wchar_t* path : {L"\\\\?\\hid#keyboard", L"\\\\?\\hid#same_vendor",
                                L"\\\\?\\hid#locked_calculator", L"\\\\?\\hid#not_there"}) {
        vanta_kit::handle_interface_arrival(queries, calculator, path, sink);
    }

    EXPECT_TRUE(sink.adds.empty());
    EXPECT_EQ(sink.recovery_arrivals, 0);
    EXPECT_EQ(queries.queries_opened(), 2u);
}

TEST_F(discovery_test, removal_of_any_interface_is_reported_upper_cased) {
    vanta_kit::handle_interface_removal(L"\\\\?\\hid#vid_046d&pid_c077#mouse{abc-def}", sink);

    ASSERT_EQ(sink.removals.size(), 1u);
    EXPECT_EQ(sink.removals[0], L"\\\\?\\HID#VID_046D&PID_C077#MOUSE{ABC-DEF}");
    EXPECT_EQ(queries.queries_opened(), 0u) << "a removed device's ids cannot be read";
}

TEST(upper_case_path, changes_only_ascii_letters) {
    EXPECT_EQ(vanta_kit::upper_case_path(L"az AZ 09 #&{}-_\\?"), L"AZ AZ 09 #&{}-_\\?");
    // Letters outside ASCII stay as they are, so paths are compared exactly as stored.
    EXPECT_EQ(vanta_kit::upper_case_path(L"\u00e9\u00fc\u0101\u03b1"), L"\u00e9\u00fc\u0101\u03b1");
    EXPECT_EQ(vanta_kit::upper_case_path(L""), L"");
}

TEST_F(discovery_test, paths_longer_than_any_fixed_buffer_are_handed_over_whole) {
    std::wstring common = L"\\\\?\\hid#vid_3c5d&pid_7e21#" + std::wstring(3000, L'x');
    platform.add_device(common + L"1");
    platform.add_device(common + L"2");

    vanta_kit::enumerate_present_calculators(queries, calculator, sink);
    vanta_kit::handle_interface_removal(common + L"2", sink);

    ASSERT_EQ(sink.adds.size(), 2u);
    EXPECT_EQ(sink.adds[0].path, common + L"1");
    EXPECT_EQ(sink.adds[1].path, common + L"2");
    ASSERT_EQ(sink.removals.size(), 1u);
    EXPECT_EQ(sink.removals[0], vanta_kit::upper_case_path(common + L"2"));
}

}  // namespace
