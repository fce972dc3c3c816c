// The test HID stack, call by call: enumeration, attributes, capabilities and the input-report
// polls that carry a simulated calculator's side of the report handshake.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/e2e/hid_stack_dlls.h"
#include "tests/support/sim_calculator/calc_model.h"
#include "tests/support/test_hid_stack/harness/device_notifier.h"
#include "tests/support/test_hid_stack/harness/file_system.h"
#include "tests/support/test_hid_stack/harness/sim_dir.h"
#include "tests/support/test_hid_stack/harness/text.h"
#include "tests/support/test_hid_stack/sim_files.h"

namespace {

using bytes = std::vector<std::uint8_t>;
using hid_stack::calculator_device;

std::wstring test_folder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return e2e::join(e2e::tests_root(),
                     e2e::widen(std::string(info->test_suite_name()) + "." + info->name()));
}

class hid_stack_calls : public ::testing::Test {
protected:
    hid_stack_calls()
        : folder_(test_folder()),
          devices_((e2e::make_fresh_dir(folder_), e2e::join(folder_, L"sim"))),
          dlls_(folder_) {
        ::SetEnvironmentVariableW(hid_stack::sim_dir_variable, devices_.folder().c_str());
    }
    ~hid_stack_calls() override { ::SetEnvironmentVariableW(hid_stack::sim_dir_variable, nullptr); }

    void SetUp() override {
        ASSERT_TRUE(devices_.ok());
        ASSERT_TRUE(dlls_.ok());
    }

    // Device paths of a fresh interface set of `interface_class`, in enumeration order.
    std::vector<std::wstring> enumerate(
        const GUID& interface_class = hid_stack::hid_interface_class) {
        std::vector<std::wstring> paths;
        HDEVINFO set = dlls_.get_class_devs(&interface_class, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        EXPECT_NE(set, INVALID_HANDLE_VALUE);
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        for (DWORD i = 0; dlls_.enum_interfaces(set, nullptr, &interface_class, i, &data); ++i) {
            paths.push_back(detail_path(set, data));
        }
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
        dlls_.destroy_list(set);
        return paths;
    }

    // The size query, then the fetch into a buffer whose size field holds the fixed part.
    std::wstring detail_path(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data) {
        DWORD needed = 0;
        EXPECT_FALSE(dlls_.get_detail(set, &data, nullptr, 0, &needed, nullptr));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        std::vector<std::uint8_t> buffer(needed);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        EXPECT_TRUE(dlls_.get_detail(set, &data, detail, needed, nullptr, nullptr));
        return detail->DevicePath;
    }

    HANDLE open(const e2e::sim_device& device, DWORD access) {
        HANDLE h = ::CreateFileW(device.path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
        handles_.push_back(h);
        return h;
    }

    static bool write_report(HANDLE write, std::uint16_t length, std::uint8_t flag,
                             std::uint8_t byte = 0) {
        bytes report(length, 0);
        report[0] = 1;
        report[1] = flag;
        report[2] = byte;
        DWORD written = 0;
        return ::WriteFile(write, report.data(), length, &written, nullptr) && written == length;
    }

    // One poll; empty when it failed.
    bytes poll(HANDLE read, std::uint32_t length, std::uint8_t report_id = 1) {
        bytes report(length, 0xCC);
        report[0] = report_id;
        if (!dlls_.get_input_report(read, report.data(), length)) return {};
        return report;
    }

    void TearDown() override {
        for (HANDLE h : handles_) {
            if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
        }
    }

    std::wstring folder_;
    e2e::sim_dir devices_;
    e2e_tests::hid_stack_dlls dlls_;
    std::vector<HANDLE> handles_;
};

TEST_F(hid_stack_calls, enumeration_lists_plugged_devices_in_plug_order) {
    auto first = devices_.plug(calculator_device(u"First", 1));
    auto mouse = devices_.plug(hid_stack::mouse_device());
    auto recovery = devices_.plug(hid_stack::recovery_device());
    auto gone = devices_.plug(calculator_device(u"Gone", 2));
    auto last = devices_.plug(calculator_device(u"Last", 3));
    ASSERT_TRUE(devices_.pull(gone));

    EXPECT_EQ(enumerate(),
              (std::vector<std::wstring>{first.path, mouse.path, recovery.path, last.path}));
    EXPECT_TRUE(enumerate(e2e::usb_hub_interface_class).empty());

    // A set is a snapshot of the moment it was made.
    const GUID hid = hid_stack::hid_interface_class;
    HDEVINFO set =
        dlls_.get_class_devs(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    auto later = devices_.plug(calculator_device(u"Later", 4));
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    EXPECT_FALSE(dlls_.enum_interfaces(set, nullptr, &hid, 4, &data));
    EXPECT_EQ(enumerate().back(), later.path);

    // Records whose size field is wrong are refused, as the system refuses them; the usual
    // mistake is the other word size's record size.
    ASSERT_TRUE(dlls_.enum_interfaces(set, nullptr, &hid, 0, &data));
    std::vector<std::uint8_t> buffer(4096);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) == 6 ? 8 : 6;
    EXPECT_FALSE(dlls_.get_detail(set, &data, detail, 4096, nullptr, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    data.cbSize = sizeof data == 28 ? 32 : 28;
    EXPECT_FALSE(dlls_.enum_interfaces(set, nullptr, &hid, 0, &data));
    EXPECT_TRUE(dlls_.destroy_list(set));
}

TEST_F(hid_stack_calls, attributes_and_capabilities_come_from_the_description) {
    auto calc_description = calculator_device(u"Caps", 5);
    calc_description.calc.input_report_length = 33;
    calc_description.calc.output_report_length = 17;
    auto calc = devices_.plug(calc_description);
    auto mouse = devices_.plug(hid_stack::mouse_device());

    HANDLE query = open(calc, 0);  // no access needed for attributes
    ASSERT_NE(query, INVALID_HANDLE_VALUE);
    HIDD_ATTRIBUTES attributes{};
    ASSERT_TRUE(dlls_.get_attributes(query, &attributes));
    EXPECT_EQ(attributes.VendorID, 0x3C5D);
    EXPECT_EQ(attributes.ProductID, 0x7E21);
    EXPECT_EQ(attributes.Size, sizeof(HIDD_ATTRIBUTES));

    PHIDP_PREPARSED_DATA preparsed = nullptr;
    ASSERT_TRUE(dlls_.get_preparsed_data(query, &preparsed));
    HIDP_CAPS caps{};
    EXPECT_EQ(dlls_.get_caps(preparsed, &caps), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps.InputReportByteLength, 33);
    EXPECT_EQ(caps.OutputReportByteLength, 17);
    EXPECT_TRUE(dlls_.free_preparsed_data(preparsed));
    int not_preparsed = 0;
    EXPECT_EQ(dlls_.get_caps(reinterpret_cast<PHIDP_PREPARSED_DATA>(&not_preparsed), &caps),
              HIDP_STATUS_INVALID_PREPARSED_DATA);

    HANDLE mouse_query = open(mouse, 0);
    ASSERT_TRUE(dlls_.get_attributes(mouse_query, &attributes));
    EXPECT_EQ(attributes.VendorID, 0x046D);

    // Once pulled out, the device answers nothing on handles that are still open.
    ASSERT_TRUE(devices_.pull(calc));
    EXPECT_FALSE(dlls_.get_attributes(query, &attributes));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_FALSE(dlls_.get_preparsed_data(query, &preparsed));
}

TEST_F(hid_stack_calls, polls_answer_the_reports_written_before_them) {
    auto description = calculator_device(u"Lab 7", 0x7222201200000000);
    auto calc = devices_.plug(description);
    auto other = devices_.plug(calculator_device(u"Other", 0x0102030405060708));
    HANDLE write = open(calc, GENERIC_WRITE), read = open(calc, GENERIC_READ);
    HANDLE other_write = open(other, GENERIC_WRITE), other_read = open(other, GENERIC_READ);

    EXPECT_EQ(poll(read, 64).at(1), 0) << "an idle device has nothing to say";
    ASSERT_TRUE(write_report(write, 64, 2, 0xFA));
    ASSERT_TRUE(write_report(other_write, 64, 2, 0xFC));
    EXPECT_EQ(poll(read, 64).at(1), 1) << "acknowledgment of the identify report";

    const bytes data = poll(read, 64);
    ASSERT_EQ(data.size(), 64u);
    EXPECT_EQ(data[1], 2) << "a device message starts";
    const bytes expected = vanta_sim::calc_model(description.calc).identify_reply();
    EXPECT_EQ(bytes(data.begin() + 2, data.begin() + 2 + expected.size()), expected);
    EXPECT_EQ(poll(read, 64).at(1), 0) << "no more data before the host acknowledges";
    ASSERT_TRUE(write_report(write, 64, 0));
    EXPECT_EQ(poll(read, 64).at(1), 0);

    // The other calculator kept its own conversation.
    EXPECT_EQ(poll(other_read, 64).at(1), 1);
    EXPECT_EQ(devices_.commands(calc), bytes{0xFA});
    EXPECT_EQ(devices_.traffic(calc).acknowledgments, 1u);
    EXPECT_EQ(devices_.commands(other), bytes{0xFC});
}

TEST_F(hid_stack_calls, polls_fail_as_a_real_device_would) {
    auto calc = devices_.plug(calculator_device(u"Faults", 9));
    auto mouse = devices_.plug(hid_stack::mouse_device());
    HANDLE write = open(calc, GENERIC_WRITE), read = open(calc, GENERIC_READ);
    HANDLE mouse_read = open(mouse, GENERIC_READ);

    EXPECT_TRUE(poll(write, 64).empty()) << "a write-only handle cannot poll";
    EXPECT_TRUE(poll(read, 63).empty()) << "buffer shorter than an input report";
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    EXPECT_TRUE(poll(read, 64, 0).empty()) << "the device has only report id 1";
    EXPECT_TRUE(poll(mouse_read, 64).empty()) << "no calculator behind a mouse";

    const std::wstring stray = e2e::join(folder_, L"not-a-device");
    ASSERT_TRUE(hid_stack::write_file(stray, "x"));
    HANDLE stray_read = ::CreateFileW(stray.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    handles_.push_back(stray_read);
    EXPECT_TRUE(poll(stray_read, 64).empty());

    ASSERT_FALSE(poll(read, 64).empty());
    ASSERT_TRUE(devices_.pull(calc));
    EXPECT_TRUE(poll(read, 64).empty()) << "a pulled device ends every wait for it";
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
}

TEST_F(hid_stack_calls, a_changed_description_takes_effect_at_the_next_poll) {
    auto calc = devices_.plug(calculator_device(u"Busy", 1));
    HANDLE write = open(calc, GENERIC_WRITE), read = open(calc, GENERIC_READ);
    EXPECT_EQ(poll(read, 64).at(1), 0);
    auto busy = calc.description;
    busy.calc.busy_polls_before_ack = 3;
    ASSERT_TRUE(devices_.update(calc, busy));

    ASSERT_TRUE(write_report(write, 64, 2, 0xE6));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(poll(read, 64).at(1), 0) << "busy poll " << i;
    EXPECT_EQ(poll(read, 64).at(1), 1);
    EXPECT_EQ(devices_.commands(calc), bytes{0xE6});
}

}  // namespace
