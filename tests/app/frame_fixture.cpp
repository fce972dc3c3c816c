#include "tests/app/frame_fixture.h"

#include <commctrl.h>

#include "app/resource.h"
#include "framework/framework_ids.h"

namespace vanta_test {

vanta_sim::calc_config calculator_with_version(std::uint64_t version) {
    vanta_sim::calc_config config;
    for (int i = 0; i < 8; ++i) {
        config.version_bytes[i] = static_cast<std::uint8_t>(version >> (56 - 8 * i));
    }
    return config;
}

vanta_sim::calc_config device_with_ids(std::uint16_t vendor_id, std::uint16_t product_id) {
    vanta_sim::calc_config config;
    config.vendor_id = vendor_id;
    config.product_id = product_id;
    return config;
}

std::wstring calculator_path(int number) {
    return L"\\\\?\\hid#vid_3c5d&pid_7e21#7&2b1ee0&0&000" + std::to_wstring(number) +
           L"#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

std::wstring status_text(HWND frame) {
    HWND bar = ::GetDlgItem(frame, AFX_IDW_STATUS_BAR);
    wchar_t text[512] = {};
    ::SendMessageW(bar, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

int take_later_firmware_prompts(HWND frame) {
    int count = 0;
    MSG message;
    while (::PeekMessageW(&message, frame, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
        if (LOWORD(message.wParam) == ID_LATER_FIRMWARE_PROMPT) ++count;
    }
    return count;
}

void drain_messages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void frame_test::SetUp() {
    platform.set_limit_handler([](const char* reason) { ADD_FAILURE() << reason; });
}

void frame_test::TearDown() {
    frame.reset();
    drain_messages();
    EXPECT_EQ(main_frame::detected_count(), 0) << "entries outlived their frame";
    EXPECT_EQ(platform.open_handles(), 0u) << "a calculator link was left open";
    EXPECT_EQ(queries.open_queries(), 0u) << "a query handle was left open";
    EXPECT_EQ(platform.misuse_count(), 0u) << platform.last_misuse();
}

void frame_test::start() {
    // Left hidden: a shown window costs seconds to withdraw on a display without a window
    // manager, and nothing here depends on being seen.
    frame = std::make_unique<observed_frame>(seams());
    ASSERT_TRUE(frame->load_frame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | fw::FWS_ADDTOTITLE));
}

LRESULT frame_test::arrive(const std::wstring& path) {
    return arrive(vanta_sim::hid_class_guid(), path);
}

LRESULT frame_test::arrive(const GUID& interface_class, const std::wstring& path) {
    return vanta_sim::send_device_change(notification_window(), DBT_DEVICEARRIVAL, interface_class,
                                         path);
}

LRESULT frame_test::remove(const std::wstring& path) {
    return vanta_sim::send_device_change(notification_window(), DBT_DEVICEREMOVECOMPLETE,
                                         vanta_sim::hid_class_guid(), path);
}

}  // namespace vanta_test
