// The portable pieces of the test HID stack: the device description format the harness and
// the DLLs share, and the decoding of what a host wrote into a device file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_hid_stack/device_description.h"
#include "tests/support/test_hid_stack/report_log.h"

namespace {

using bytes = std::vector<std::uint8_t>;
using namespace hid_stack;

TEST(device_description_format, every_field_survives_a_round_trip) {
    device_description d = calculator_device(u"K58x \u00e9\u8BA1", 0x0000100102117142);
    d.sequence = 12;
    d.version_number = 0x0203;
    d.usage_page = 0x0001;
    d.usage = 0x0006;
    d.calc.input_report_length = 17;
    d.calc.output_report_length = 33;
    d.calc.raw_name_bytes = bytes{0x41, 0x00, 0x42};
    d.calc.name_length = 7;
    d.calc.identify_trailer = {9, 8};
    d.calc.identify_payload = bytes{};
    d.calc.identify_announced_length = 65541;
    d.calc.block_payload = {1, 2, 3};
    d.calc.block_announced_length = 0;
    d.calc.busy_polls_before_ack = 2;
    d.calc.busy_polls_before_data = 4;
    d.calc.ack_flag = 7;
    d.calc.first_data_flag = 1;
    d.calc.next_data_flag = 2;
    d.calc.stall_from_poll = -1;
    d.calc.answer_commands = false;

    const auto parsed = parse_device_description(format_device_description(d));
    ASSERT_TRUE(parsed.description) << parsed.error;
    // Formatting is canonical, so equal texts mean every field came back.
    EXPECT_EQ(format_device_description(*parsed.description), format_device_description(d));
    EXPECT_EQ(parsed.description->calc.name, d.calc.name);
    EXPECT_EQ(parsed.description->calc.identify_payload, bytes{});
    EXPECT_FALSE(parsed.description->has_model && !d.has_model);
}

TEST(device_description_format, unset_optionals_stay_unset_and_kinds_differ) {
    const auto calc =
        parse_device_description(format_device_description(calculator_device(u"A", 1)));
    ASSERT_TRUE(calc.description);
    EXPECT_FALSE(calc.description->calc.raw_name_bytes);
    EXPECT_FALSE(calc.description->calc.identify_announced_length);
    EXPECT_TRUE(calc.description->has_model);

    const auto recovery = parse_device_description(format_device_description(recovery_device()));
    ASSERT_TRUE(recovery.description);
    EXPECT_FALSE(recovery.description->has_model);
    EXPECT_EQ(recovery.description->vendor_id(), 0x066F);
    EXPECT_EQ(recovery.description->product_id(), 0x3770);
    EXPECT_EQ(mouse_device().caps().UsagePage, 0x0001);
}

TEST(device_description_format, comments_blank_lines_and_crlf_are_accepted) {
    const auto parsed = parse_device_description(
        "# a test device\r\n\r\nvendor_id=066f\r\nproduct_id=3770\r\nmodel=none\r\n");
    ASSERT_TRUE(parsed.description) << parsed.error;
    EXPECT_EQ(parsed.description->vendor_id(), 0x066F);
    EXPECT_FALSE(parsed.description->has_model);
}

TEST(device_description_format, mistakes_make_the_whole_description_invalid) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"vendorid=3c5d\n", "line 1: unknown key 'vendorid'"},
        {"vendor_id\n", "line 1: no '='"},
        {"\nvendor_id=13c5d\n", "line 2: bad value for 'vendor_id'"},
        {"product_id=xyz\n", "line 1: bad value for 'product_id'"},
        {"name=4b0\n", "line 1: bad value for 'name'"},
        {"name=4b00350\n", "line 1: bad value for 'name'"},
        {"version_bytes=0102\n", "line 1: bad value for 'version_bytes'"},
        {"ack_flag=256\n", "line 1: bad value for 'ack_flag'"},
        {"model=keyboard\n", "line 1: bad value for 'model'"},
        {"answer_commands=yes\n", "line 1: bad value for 'answer_commands'"},
        {"busy_polls_before_ack=-1\n", "line 1: bad value for 'busy_polls_before_ack'"},
        {"input_report_length=2\n", "report lengths must lie between 3 and 1024"},
        {"output_report_length=1025\n", "report lengths must lie between 3 and 1024"},
    };
    for (const auto& [text, error] : cases) {
        const auto parsed = parse_device_description(text);
        EXPECT_FALSE(parsed.description) << text;
        EXPECT_EQ(parsed.error, error) << text;
    }
}

bytes report(std::size_t length, std::uint8_t flag, bytes payload, std::uint8_t id = 1) {
    bytes r(length, 0);
    r[0] = id;
    r[1] = flag;
    std::copy(payload.begin(), payload.end(), r.begin() + 2);
    return r;
}

bytes concat(std::initializer_list<bytes> parts) {
    bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(host_traffic_decoding, messages_span_their_reports_and_acknowledgments_are_counted) {
    const bytes log =
        concat({report(5, 2, {0xFA}), report(5, 0, {}), report(5, 0, {}), report(5, 2, {1, 2, 3}),
                report(5, 1, {4}), report(5, 2, {0xE6}), bytes{1, 2}});  // a write still under way
    const host_traffic traffic = decode_host_traffic(log, 5);
    ASSERT_EQ(traffic.messages.size(), 3u);
    EXPECT_EQ(traffic.messages[1], (bytes{1, 2, 3, 4, 0, 0}));
    EXPECT_EQ(traffic.acknowledgments, 2u);
    EXPECT_EQ(traffic.malformed, 0u);
    EXPECT_EQ(host_commands(traffic), (bytes{0xFA, 1, 0xE6}));
}

TEST(host_traffic_decoding, reports_that_fit_no_rule_are_counted_apart) {
    const bytes log = concat({report(4, 1, {7}), report(4, 2, {0xFA}, 0), report(4, 3, {}),
                              report(4, 2, {0xFC}), report(4, 0, {}), report(4, 1, {5})});
    const host_traffic traffic = decode_host_traffic(log, 4);
    EXPECT_EQ(traffic.malformed, 4u) << "continuation without a start, wrong id, unknown flag, "
                                        "continuation after an acknowledgment";
    EXPECT_EQ(host_commands(traffic), bytes{0xFC});
    EXPECT_TRUE(decode_host_traffic(log, 1).messages.empty());
}

}  // namespace
