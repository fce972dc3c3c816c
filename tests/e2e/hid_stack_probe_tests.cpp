// The whole mechanism with a real loader: a program that imports hid.dll and setupapi.dll, in
// a folder with the test DLLs and started with the override, enumerates the simulated devices
// and identifies the calculators through the real CreateFileW and WriteFile.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_hid_stack/harness/file_system.h"
#include "tests/support/test_hid_stack/harness/process_launcher.h"
#include "tests/support/test_hid_stack/harness/sim_dir.h"
#include "tests/support/test_hid_stack/sim_files.h"

namespace {

using bytes = std::vector<std::uint8_t>;

TEST(hid_stack_probe, identifies_calculators_through_the_loaded_test_dlls) {
    const std::wstring folder = e2e::join(e2e::tests_root(), L"hid_stack_probe");
    ASSERT_TRUE(e2e::make_fresh_dir(folder));
    const std::wstring app = e2e::join(folder, L"app");
    ASSERT_TRUE(e2e::make_dirs(app));
    for (const wchar_t* dll : {L"hid.dll", L"setupapi.dll"}) {
        ASSERT_TRUE(e2e::copy_file(e2e::join(e2e::test_hid_stack_dir(), dll), e2e::join(app, dll)));
    }
    ASSERT_TRUE(e2e::copy_file(e2e::join(e2e::program_dir(), L"hid_stack_probe.exe"),
                               e2e::join(app, L"hid_stack_probe.exe")));

    e2e::sim_dir devices(e2e::join(folder, L"sim"));
    auto first = devices.plug(hid_stack::calculator_device(u"Probe A", 0x7222201200000000));
    auto mouse = devices.plug(hid_stack::mouse_device());
    auto recovery = devices.plug(hid_stack::recovery_device());
    auto gone = devices.plug(hid_stack::calculator_device(u"Gone", 1));
    auto chinese = hid_stack::calculator_device(u"\u8BA1\u7B97\u5668", 0x0102030405060708);
    chinese.calc.input_report_length = chinese.calc.output_report_length = 32;
    auto second = devices.plug(chinese);
    ASSERT_TRUE(devices.pull(gone));

    const std::wstring report = e2e::join(folder, L"probe.txt");
    e2e::launch_options options;
    options.application = e2e::join(app, L"hid_stack_probe.exe");
    options.arguments = L"\"" + report + L"\" --update-start";
    options.environment = {{hid_stack::sim_dir_variable, devices.folder()}};
    options.test_hid_stack = true;
    auto probe = e2e::child_process::launch(options);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->wait_for_exit(60000), 0u);

    EXPECT_EQ(hid_stack::read_file(report).value_or("(no report)"),
              "device 0 vid=3c5d pid=7e21\n"
              "caps 0 in=64 out=64\n"
              "identify 0 name=Probe A version=7222201200000000\n"
              "device 1 vid=046d pid=c077\n"
              "device 2 vid=066f pid=3770\n"
              "device 3 vid=3c5d pid=7e21\n"
              "caps 3 in=32 out=32\n"
              "identify 3 name=\xE8\xAE\xA1\xE7\xAE\x97\xE5\x99\xA8 version=0102030405060708\n");

    // The device files record what the host sent: identify, then update start.
    EXPECT_EQ(devices.commands(first), (bytes{0xFA, 0xE6}));
    EXPECT_EQ(devices.commands(second), (bytes{0xFA, 0xE6}));
    EXPECT_EQ(devices.traffic(first).malformed, 0u);
    EXPECT_TRUE(devices.received(mouse).empty());
    EXPECT_TRUE(devices.received(recovery).empty());
    EXPECT_TRUE(devices.received(gone).empty());
}

}  // namespace
