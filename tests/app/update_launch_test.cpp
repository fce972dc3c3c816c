// The recovery device's offer, the start of the updater from the working directory (missing,
// elsewhere, too long a path, each failure told to the user) and the two dialogs of the flow as
// the user sees them.
#include <gtest/gtest.h>

#include "app/calc_detected_dialog.h"
#include "app/message_box.h"
#include "app/resource.h"
#include "app/updater_launch.h"
#include "framework/resources.h"
#include "tests/app/language_fixture.h"
#include "tests/app/update_flow_fixture.h"

namespace vanta_test {
namespace {

TEST_F(update_flow_test, recovery_device_offers_the_updater_unless_it_was_just_started) {
    plug_in(1, current_firmware);
    platform.add_device(recovery_path, device_with_ids(0x066F, 0x3770));
    start();
    auto recovery_arrives = [&] { arrive(recovery_path); };

    std::vector<shown_window> shown = as_user(recovery_arrives, {press(IDC_FORMAT_AND_UPDATE)});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, L"Calculator Detected");
    EXPECT_EQ(shown[0].owner, notification_window());
    // Its owner is hidden, so the frame waits for it instead, and takes over again after it.
    EXPECT_FALSE(shown[0].frame_enabled);
    EXPECT_TRUE(::IsWindowEnabled(frame->hwnd()));
    EXPECT_EQ(::GetForegroundWindow(), frame->hwnd());
    ASSERT_EQ(calls().starts.size(), 1u);
    expect_updater_start(calls().starts[0], folder, L" /autostart /format");
    EXPECT_TRUE(frame->updater_started());

    // The arrival after a start is taken for the updater's own doing.
    EXPECT_TRUE(as_user(recovery_arrives, {}).empty());
    EXPECT_FALSE(frame->updater_started());

    // Enter chooses "Update Calculator".
    EXPECT_EQ(as_user(recovery_arrives, {press_key(VK_RETURN)}).size(), 1u);
    ASSERT_EQ(calls().starts.size(), 2u);
    expect_updater_start(calls().starts[1], folder, L" /autostart");
    EXPECT_TRUE(as_user(recovery_arrives, {}).empty());

    // Escape, the close box and Cancel start nothing and leave the flag as it is.
    for (const user_action& dismiss : {press_key(VK_ESCAPE), close_box(), press(IDCANCEL)}) {
        EXPECT_EQ(as_user(recovery_arrives, {dismiss}).size(), 1u);
        EXPECT_FALSE(frame->updater_started());
    }
    EXPECT_EQ(calls().starts.size(), 2u);
    EXPECT_EQ(update_starts(1), 0u) << "no calculator of the list is meant";
    EXPECT_EQ(frame->recovery_arrivals, 7);

    std::vector<std::vector<std::wstring>> runs = updater_runs();
    ASSERT_EQ(runs.size(), 2u);
    expect_updater_run(runs[0], folder, L" /autostart /format");
    expect_updater_run(runs[1], folder, L" /autostart");
}

TEST_F(update_flow_test, a_start_from_the_menu_silences_only_the_next_recovery_device) {
    plug_in(1, newer_firmware);
    platform.add_device(recovery_path, device_with_ids(0x066F, 0x3770));
    start();
    as_user([&] { command(ID_UPDATE_CALCULATOR); }, {press(IDOK)});
    EXPECT_TRUE(frame->updater_started());

    EXPECT_TRUE(as_user([&] { arrive(recovery_path); }, {}).empty());
    EXPECT_FALSE(frame->updater_started());
    std::vector<shown_window> shown = as_user([&] { arrive(recovery_path); }, {press(IDCANCEL)});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, L"Calculator Detected");
}

// The system's own text for `error`, as a message box shows it after the first line.
std::wstring system_text(DWORD error) {
    wchar_t text[512] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, error, 0, text, 512, nullptr);
    while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r')) --length;
    return std::wstring(text, length);
}

TEST_F(update_flow_test, without_updater_exe_the_user_is_told_why_and_recovery_is_still_offered) {
    ASSERT_TRUE(::DeleteFileW((folder / L"Updater.exe").c_str()));
    plug_in(1, older_firmware);
    platform.add_device(recovery_path, device_with_ids(0x066F, 0x3770));
    start();

    // The program's own folder holds one, but only the working directory counts.
    std::vector<shown_window> shown = as_user(drain_messages, {press(IDOK), press(IDOK)});
    ASSERT_EQ(shown.size(), 2u) << "the question, then the failure";
    ASSERT_EQ(calls().starts.size(), 1u);
    EXPECT_EQ(calls().starts[0].application, folder.wstring() + L"\\Updater.exe");
    EXPECT_FALSE(calls().starts[0].created);
    ASSERT_EQ(calls().prompts.size(), 2u);
    EXPECT_EQ(calls().prompts[1].text,
              L"Updater.exe could not be started.\n" + system_text(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(calls().prompts[1].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(calls().prompts[1].owner, frame->hwnd());
    EXPECT_EQ(update_starts(1), 0u) << "no updater is there to take the calculator over";
    EXPECT_FALSE(frame->updater_started());

    // The next recovery device is still offered the updater; in Chinese, the failure is told
    // from the language's string table.
    HMODULE chinese = ::LoadLibraryExW((bin_dir() + L"\\vantaCHS.dll").c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(chinese, nullptr);
    fw::set_resource_module(chinese);
    shown = as_user([&] { arrive(recovery_path); }, {press(IDOK), press(IDOK)});
    fw::set_resource_module(nullptr);
    ::FreeLibrary(chinese);
    ASSERT_EQ(shown.size(), 2u) << "the offer, then the failure";
    EXPECT_EQ(shown[0].caption, L"检测到计算器");
    EXPECT_EQ(calls().prompts.back().text,
              L"无法启动 Updater.exe。\n" + system_text(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(frame->updater_started());
    EXPECT_TRUE(updater_runs().empty());
}

TEST_F(update_flow_test, the_updater_is_taken_from_the_working_directory_not_the_programs_folder) {
    const std::filesystem::path elsewhere = folder / L"elsewhere";
    std::filesystem::create_directories(elsewhere);
    ASSERT_TRUE(place_updater(elsewhere));
    std::filesystem::current_path(elsewhere);
    ASSERT_FALSE(same_path(elsewhere.wstring(), bin_dir()));
    plug_in(1, newer_firmware);
    start();

    std::vector<shown_window> shown =
        as_user([&] { command(ID_FORMAT_AND_UPDATE_CALCULATOR); }, {press(IDOK)});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, newer_text);
    ASSERT_EQ(calls().starts.size(), 1u);
    expect_updater_start(calls().starts[0], elsewhere, L" /autostart /format");
    std::vector<std::vector<std::wstring>> runs = updater_runs();
    ASSERT_EQ(runs.size(), 1u);
    expect_updater_run(runs[0], elsewhere, L" /autostart /format");
    EXPECT_EQ(update_starts(1), 1u);
}

// A directory of exactly `length` characters below `base` (made of nested folders).
std::filesystem::path directory_of_length(const std::filesystem::path& base, std::size_t length) {
    std::wstring path = base.wstring();
    while (path.size() < length) {
        const std::size_t room = length - path.size() - 1;  // after the separator
        // Never leave a remainder too short for a folder name of its own.
        const std::size_t name = room > 200 ? (room - 200 < 2 ? 150 : 200) : room;
        path += L'\\' + std::wstring(name, L'd');
        std::filesystem::create_directory(path);
    }
    return path;
}

TEST_F(update_flow_test, a_working_directory_too_long_for_the_updater_path_skips_the_start) {
    plug_in(1, current_firmware);
    start();
    const std::wstring not_started = L"Updater.exe could not be started.\n";

    // 247 characters and "\Updater.exe" fill the 259 that the process start takes; no updater
    // is there, so the start is tried and fails as for any missing one.
    const std::filesystem::path longest = directory_of_length(folder, 247);
    ASSERT_EQ(longest.wstring().size(), 247u);
    std::filesystem::current_path(longest);
    as_user([&] { command(ID_UPDATE_CALCULATOR); }, {press(IDOK), press(IDOK)});
    ASSERT_EQ(calls().starts.size(), 1u);
    EXPECT_EQ(calls().starts[0].application, longest.wstring() + L"\\Updater.exe");
    EXPECT_EQ(calls().starts[0].application.size(), max_updater_path);
    EXPECT_EQ(calls().prompts.back().text, not_started + system_text(ERROR_FILE_NOT_FOUND));

    // One more and the path does not fit: no start and no command, and the user is told why.
    const std::filesystem::path too_long = directory_of_length(folder, 248);
    ASSERT_EQ(too_long.wstring().size(), 248u);
    std::filesystem::current_path(too_long);
    std::vector<shown_window> shown =
        as_user([&] { command(ID_UPDATE_CALCULATOR); }, {press(IDOK), press(IDOK)});
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(calls().prompts.back().text, not_started + system_text(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(calls().starts.size(), 1u);
    EXPECT_EQ(update_starts(1), 0u);
    EXPECT_FALSE(frame->updater_started()) << "as after any start that did not happen";
}

TEST(updater_path, joins_the_directory_and_never_cuts_the_path) {
    EXPECT_EQ(updater_path_in(L"C:\\work\\kit"), L"C:\\work\\kit\\Updater.exe");
    EXPECT_EQ(updater_path_in(L"C:\\"), L"C:\\Updater.exe");
    EXPECT_EQ(updater_path_in(std::wstring(247, L'a'))->size(), max_updater_path);
    EXPECT_FALSE(updater_path_in(std::wstring(248, L'a')));
    EXPECT_FALSE(updater_path_in(std::wstring(5000, L'a')));
}

// What a user finds in a dialog: each control with its class, text and place in pixels.
struct control_place {
    int id;
    std::wstring class_name;
    std::wstring text;
    RECT pixels;
    bool operator==(const control_place& other) const {
        return id == other.id && class_name == other.class_name && text == other.text &&
               ::EqualRect(&pixels, &other.pixels);
    }
};

std::ostream& operator<<(std::ostream& out, const control_place& c) {
    return out << c.id << " " << testing::PrintToString(c.text) << " " << c.pixels.left << ","
               << c.pixels.top << "-" << c.pixels.right << "," << c.pixels.bottom;
}

struct dialog_layout {
    SIZE base{};  // the dialog's base units: pixels for 4 horizontal and 8 vertical units
    SIZE client{};
    int default_id = 0;
    std::vector<control_place> controls;

    // Where the dialog manager puts a rectangle given in dialog units.
    RECT pixels(int x, int y, int width, int height) const {
        const int left = ::MulDiv(x, base.cx, 4);
        const int top = ::MulDiv(y, base.cy, 8);
        return {left, top, left + ::MulDiv(width, base.cx, 4), top + ::MulDiv(height, base.cy, 8)};
    }
    control_place expected(int id, const wchar_t* class_name, const wchar_t* text, int x, int y,
                           int width, int height) const {
        return {id, class_name, text, pixels(x, y, width, height)};
    }
};

BOOL CALLBACK add_control(HWND control, LPARAM data) {
    auto* layout = reinterpret_cast<std::pair<HWND, dialog_layout*>*>(data);
    control_place place{};
    place.id = static_cast<int>(::GetWindowLongPtrW(control, GWLP_ID));
    wchar_t text[256] = {};
    ::GetClassNameW(control, text, 256);
    place.class_name = text;
    ::GetWindowTextW(control, text, 256);
    place.text = text;
    ::GetWindowRect(control, &place.pixels);
    ::MapWindowPoints(nullptr, layout->first, reinterpret_cast<POINT*>(&place.pixels), 2);
    layout->second->controls.push_back(place);
    return TRUE;
}

dialog_layout read_layout(HWND dialog) {
    dialog_layout layout;
    RECT unit{0, 0, 4, 8};
    EXPECT_TRUE(::MapDialogRect(dialog, &unit));
    layout.base = {unit.right, unit.bottom};
    RECT client{};
    ::GetClientRect(dialog, &client);
    layout.client = {client.right, client.bottom};
    const LRESULT default_id = ::SendMessageW(dialog, DM_GETDEFID, 0, 0);
    if (HIWORD(default_id) == DC_HASDEFID) layout.default_id = LOWORD(default_id);
    std::pair<HWND, dialog_layout*> data{dialog, &layout};
    ::EnumChildWindows(dialog, &add_control, reinterpret_cast<LPARAM>(&data));
    return layout;
}

void expect_client_size(const dialog_layout& layout, int width, int height) {
    const RECT client = layout.pixels(0, 0, width, height);
    EXPECT_EQ(layout.client.cx, client.right);
    EXPECT_EQ(layout.client.cy, client.bottom);
}

TEST_F(update_flow_test, the_dialogs_are_laid_out_as_their_templates_say_and_end_as_asked) {
    start();
    dialog_layout box;
    std::vector<shown_window> shown = as_user(
        [&] {
            message_box dialog(*frame);
            EXPECT_EQ(dialog.do_modal(), IDCANCEL);
        },
        {[&](HWND window) {
            box = read_layout(window);
            press(IDCANCEL)(window);
        }});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, L"Firmware Update");
    expect_client_size(box, 181, 49);
    EXPECT_EQ(box.default_id, IDOK);
    EXPECT_EQ(box.controls,
              (std::vector<control_place>{
                  box.expected(IDOK, L"Button", L"Help", 67, 27, 50, 14),
                  box.expected(IDCANCEL, L"Button", L"Cancel", 124, 27, 50, 14),
                  box.expected(-1, L"Static", L"No Calculator Detected", 12, 10, 157, 10)}));

    dialog_layout offer;
    const std::pair<user_action, INT_PTR> endings[] = {
        {[&](HWND window) {
             offer = read_layout(window);
             press(IDOK)(window);
         },
         ID_UPDATE_CALCULATOR},
        {press(IDC_FORMAT_AND_UPDATE), ID_FORMAT_AND_UPDATE_CALCULATOR},
        {press(IDCANCEL), IDCANCEL},
        {press_key(VK_RETURN), ID_UPDATE_CALCULATOR},
        {press_key(VK_ESCAPE), IDCANCEL},
        {close_box(), IDCANCEL},
    };
    for (const auto& [action, result] : endings) {
        SCOPED_TRACE(result);
        shown = as_user(
            [&, expected = result] {
                calc_detected_dialog dialog(notification_window());
                EXPECT_EQ(dialog.do_modal(), expected);
            },
            {action});
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].caption, L"Calculator Detected");
    }
    expect_client_size(offer, 358, 48);
    EXPECT_EQ(offer.default_id, IDOK);
    EXPECT_EQ(offer.controls,
              (std::vector<control_place>{
                  offer.expected(IDOK, L"Button", L"Update Calculator", 7, 14, 109, 19),
                  offer.expected(IDC_FORMAT_AND_UPDATE, L"Button", L"Format && Update Calculator",
                                 124, 14, 109, 19),
                  offer.expected(IDCANCEL, L"Button", L"Cancel", 241, 14, 109, 19)}));
    EXPECT_TRUE(calls().starts.empty()) << "the dialogs themselves start nothing";
}

}  // namespace
}  // namespace vanta_test
