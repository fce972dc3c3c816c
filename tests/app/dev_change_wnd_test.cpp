// The hidden notification window: how it is made, and which WM_DEVICECHANGE messages reach the
// frame's device list. Messages carry real device-interface broadcast records.
#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <cstring>
#include <vector>

extern "C" {
#include <hidsdi.h>
}

#include "calc_link/discovery_notifications.h"
#include "tests/app/frame_fixture.h"
#include "tests/app/import_spy.h"

namespace vanta_test {
namespace {

constexpr std::uint64_t current_firmware = 0x7222201200000000ull;

// What RegisterDeviceNotificationW was asked for while a recorder was in place.
struct notification_request {
    HWND window;
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    DWORD flags;
};
std::vector<notification_request> requests;
using register_fn = HDEVNOTIFY(WINAPI*)(HANDLE, LPVOID, DWORD);
register_fn real_register = nullptr;

HDEVNOTIFY WINAPI recording_register(HANDLE recipient, LPVOID filter, DWORD flags) {
    notification_request request{static_cast<HWND>(recipient), {}, flags};
    std::memcpy(&request.filter, filter, sizeof(request.filter));
    requests.push_back(request);
    return real_register(recipient, filter, flags);
}

TEST_F(frame_test, notifications_are_asked_for_hid_and_hub_interfaces_on_the_hidden_window) {
    {
        import_spy spy("user32.dll", "RegisterDeviceNotificationW",
                       reinterpret_cast<void*>(&recording_register));
        ASSERT_TRUE(spy.installed()) << "the import was not found";
        real_register = reinterpret_cast<register_fn>(spy.original());
        requests.clear();
        start();
    }

    GUID hid_class{};
    ::HidD_GetHidGuid(&hid_class);
    const GUID hub_class = {
        0xF18A0E88, 0xC30C, 0x11D0, {0x88, 0x15, 0x00, 0xA0, 0xC9, 0x06, 0xBE, 0xD8}};
    ASSERT_EQ(requests.size(), 2u);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const notification_request& request = requests[i];
        EXPECT_EQ(request.window, notification_window()) << i;
        EXPECT_EQ(request.flags, static_cast<DWORD>(DEVICE_NOTIFY_WINDOW_HANDLE)) << i;
        EXPECT_EQ(request.filter.dbcc_size, 32u) << i;
        EXPECT_EQ(request.filter.dbcc_devicetype, static_cast<DWORD>(DBT_DEVTYP_DEVICEINTERFACE));
        EXPECT_EQ(request.filter.dbcc_reserved, 0u) << i;
    }
    EXPECT_TRUE(::IsEqualGUID(requests[0].filter.dbcc_classguid, hid_class));
    EXPECT_TRUE(::IsEqualGUID(requests[1].filter.dbcc_classguid, hub_class));
}

TEST_F(frame_test, notification_window_is_a_hidden_topmost_static_window_owned_by_the_frame) {
    start();
    HWND window = notification_window();
    ASSERT_TRUE(::IsWindow(window));

    wchar_t text[64] = {};
    ::GetClassNameW(window, text, 64);
    EXPECT_EQ(::lstrcmpiW(text, L"STATIC"), 0) << text;
    ::GetWindowTextW(window, text, 64);
    EXPECT_STREQ(text, L"DeviceChangeWnd");
    EXPECT_TRUE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow()) << "no parent";
    EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_ID), 0);
    // Placed at the origin; the system may enlarge a captioned top-level window beyond the
    // 5 by 5 asked for.
    RECT rect{};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(frame->dev_change_wnd().owner, frame.get());
    EXPECT_NE(frame->hid_notification(), nullptr);
    EXPECT_NE(frame->hub_notification(), nullptr);
}

TEST_F(frame_test, recovery_device_arrival_reaches_the_frame_once_and_is_not_listed) {
    platform.add_device(L"\\\\?\\hid#vid_066f&pid_3770#recovery", device_with_ids(0x066F, 0x3770));
    start();
    EXPECT_EQ(frame->recovery_arrivals, 0) << "present at start-up: nothing";
    // As after a start of the updater, so that the arrival offers nothing modal here (the offer
    // itself is tested with the update flow).
    frame->set_updater_started(true);

    EXPECT_EQ(arrive(L"\\\\?\\hid#vid_066f&pid_3770#recovery"), TRUE);

    EXPECT_EQ(frame->recovery_arrivals, 1);
    EXPECT_FALSE(frame->updater_started()) << "the arrival reached the frame's own handling";
    EXPECT_TRUE(frame->devices().empty());
    EXPECT_EQ(queries.open_queries(), 0u);
}

TEST_F(frame_test, arrivals_of_hubs_other_classes_and_other_devices_are_ignored) {
    start();
    platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    platform.add_device(L"\\\\?\\hid#vid_046d&pid_c077#mouse", device_with_ids(0x046D, 0xC077));
    const GUID other_class = {
        0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

    EXPECT_EQ(arrive(vanta_kit::usb_hub_interface_class, calculator_path(1)), TRUE);
    EXPECT_EQ(arrive(other_class, calculator_path(1)), TRUE);
    EXPECT_EQ(vanta_sim::send_device_change(notification_window(), DBT_DEVICEREMOVECOMPLETE,
                                            vanta_kit::usb_hub_interface_class, calculator_path(1)),
              TRUE);
    EXPECT_EQ(queries.queries_opened(), 0u) << "hub and other classes end before any query";

    EXPECT_EQ(arrive(L"\\\\?\\hid#vid_046d&pid_c077#mouse"), TRUE);
    EXPECT_EQ(queries.queries_opened(), 1u);
    EXPECT_EQ(queries.open_queries(), 0u) << "the mouse's query handle is closed";

    EXPECT_TRUE(frame->devices().empty());
    EXPECT_EQ(frame->recovery_arrivals, 0);
}

TEST_F(frame_test, other_events_and_records_are_answered_true_and_change_nothing) {
    platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    start();
    HWND window = notification_window();
    std::vector<std::byte> record =
        vanta_sim::interface_record(vanta_sim::hid_class_guid(), calculator_path(1));

    EXPECT_EQ(::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0), TRUE);
    EXPECT_EQ(::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0), TRUE);
    EXPECT_EQ(::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0), TRUE);
    EXPECT_EQ(vanta_sim::send_device_change(window, DBT_DEVICEQUERYREMOVE, record), TRUE);
    EXPECT_EQ(vanta_sim::send_device_change(window, DBT_DEVICEREMOVEPENDING, record), TRUE);

    // A volume's record, though the path would match.
    std::vector<std::byte> volume = record;
    reinterpret_cast<DEV_BROADCAST_HDR*>(volume.data())->dbch_devicetype = DBT_DEVTYP_VOLUME;
    EXPECT_EQ(vanta_sim::send_device_change(window, DBT_DEVICEREMOVECOMPLETE, volume), TRUE);

    // A record too short to hold an interface class.
    std::vector<std::byte> stub = record;
    reinterpret_cast<DEV_BROADCAST_HDR*>(stub.data())->dbch_size = sizeof(DEV_BROADCAST_HDR);
    EXPECT_EQ(vanta_sim::send_device_change(window, DBT_DEVICEREMOVECOMPLETE, stub), TRUE);

    EXPECT_EQ(frame->devices().size(), 1u);
    EXPECT_EQ(queries.queries_opened(), 1u) << "only the enumeration";
}

TEST_F(frame_test, a_path_is_read_only_within_its_record) {
    start();
    platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    // The record ends right after the path, without its terminator; what follows in memory is
    // not part of it.
    std::wstring path = calculator_path(1);
    std::vector<std::byte> record =
        vanta_sim::interface_record(vanta_sim::hid_class_guid(), path + L"TRAILING");
    auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(record.data());
    header->dbch_size = static_cast<DWORD>(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) +
                                           path.size() * sizeof(wchar_t));

    vanta_sim::send_device_change(notification_window(), DBT_DEVICEARRIVAL, record);

    ASSERT_EQ(queries.opened_paths().size(), 1u);
    EXPECT_EQ(queries.opened_paths()[0], path);
    EXPECT_EQ(frame->devices().size(), 1u);
}

TEST_F(frame_test, device_paths_longer_than_2049_characters_stay_whole_and_distinct) {
    start();
    // Two paths that agree in their first 2100 characters.
    std::wstring common = L"\\\\?\\hid#vid_3c5d&pid_7e21#" + std::wstring(2100, L'a');
    std::wstring first = common + L"#first";
    std::wstring second = common + L"#second";
    platform.add_device(first, calculator_with_version(current_firmware));
    platform.add_device(second, calculator_with_version(current_firmware));

    arrive(first);
    arrive(second);
    ASSERT_EQ(frame->devices().size(), 2u);
    EXPECT_EQ(listed_path(0), vanta_kit::upper_case_path(first));
    EXPECT_EQ(listed_path(1), vanta_kit::upper_case_path(second));

    platform.remove_device(second);
    remove(second);
    ASSERT_EQ(frame->devices().size(), 1u);
    EXPECT_EQ(listed_path(0), vanta_kit::upper_case_path(first));
    EXPECT_EQ(platform.find_device(first)->open_handles(), 2u);
}

TEST_F(frame_test, an_interface_that_cannot_be_queried_on_arrival_is_skipped) {
    start();
    platform.add_device(calculator_path(1), calculator_with_version(current_firmware));
    queries.deny_query(calculator_path(1));

    arrive(calculator_path(1));

    EXPECT_TRUE(frame->devices().empty());
    EXPECT_EQ(platform.find_device(calculator_path(1))->opens(vanta_kit::hid_access::read), 0u);
}

}  // namespace
}  // namespace vanta_test
