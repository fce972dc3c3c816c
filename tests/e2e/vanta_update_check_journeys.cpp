// vanta's update checks as the real OrvUpdateCheck.dll receives them: the scheduled check at
// start-up (product 100's schedule moves), and Check for Updates from the File menu against a
// local FTP server, from "nothing newer" to a downloaded, opened package and vanta ended.
// The download journey needs the server: it runs under tests/support/ftp_server/
// with-ftp-server (ctest e2e.vanta_update_download) and skips elsewhere.
#include <shlobj.h>

#include "tests/e2e/vanta_saved_settings.h"
#include "tests/e2e/vanta_test_support.h"
#include "tests/support/dialog_driver/dialog_driver.h"
#include "tests/support/ftp_server/ftp_fixture.h"
#include "tests/support/https_server/https_fixture.h"
#include "tests/support/test_hid_stack/harness/file_system.h"

namespace {

using namespace e2e_tests;

// OrvGetNextUpdateDays (ordinal 48) of the library beside the test.
int next_update_days(int product) {
    using days_function = int(__stdcall*)(int);
    HMODULE library = ::LoadLibraryW(e2e::join(e2e::program_dir(), L"OrvUpdateCheck.dll").c_str());
    if (!library) return -1;
    auto days = reinterpret_cast<days_function>(
        ::GetProcAddress(library, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(48))));
    return days ? days(product) : -1;
}

// The next update dialog of the process, whatever its caption.
HWND wait_for_update_dialog(DWORD process, HWND previous = nullptr,
                            dialog_driver::milliseconds timeout = dialog_driver::default_timeout) {
    dialog_driver::window_query query;
    query.any_caption = true;
    query.process_id = process;
    query.class_name = L"#32770";
    query.control_id = status_text;
    query.exclude = previous;
    return dialog_driver::wait_for_window(query, timeout);
}

std::vector<std::string> marker_lines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::string text;
    if (!dialog_driver::wait_until([&] { return ftp_fixture::read_file(path, text); })) {
        return lines;
    }
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

TEST(vanta_update_check, start_up_asks_for_the_scheduled_check_of_product_100) {
    SKIP_WITHOUT_VANTA();
    saved_dwords restore(update_settings_key, {L"NextUpdateDate", L"AutoUpdateCheck"});
    e2e::delete_value(HKEY_CURRENT_USER, update_settings_key, L"NextUpdateDate");
    e2e::delete_value(HKEY_CURRENT_USER, update_settings_key, L"AutoUpdateCheck");

    e2e::vanta_app app(L"vanta_update_check.start_up");
    ASSERT_TRUE(app.ready());
    ASSERT_TRUE(app.start());
    // Due (never checked before), so the library started its check and moved the date.
    EXPECT_TRUE(dialog_driver::wait_until([] {
        return e2e::read_dword(HKEY_CURRENT_USER, update_settings_key, L"NextUpdateDate")
            .has_value();
    }));
    EXPECT_EQ(next_update_days(100), 30);
    EXPECT_TRUE(app.stop());
}

TEST(vanta_update_download, menu_check_gets_the_newer_package_opens_it_and_ends_vanta) {
    SKIP_WITHOUT_VANTA();
    if (!ftp_fixture::available()) GTEST_SKIP() << "needs the local FTP server";
    const std::wstring chinese_library = e2e::join(e2e::program_dir(), L"vantaCHS.dll");
    if (!e2e::file_exists(chinese_library)) GTEST_SKIP() << "vantaCHS.dll not built";
    saved_dwords restore_schedule(update_settings_key, {L"NextUpdateDate", L"AutoUpdateCheck"});
    saved_dwords restore_language(e2e::vanta_settings_key, {L"LanguageId"});

    const std::wstring package = e2e::join(e2e::program_dir(), L"package_stub_signed.exe");
    // vanta's own release ("_2012_2_22" is its tag) is nothing to get; "2012_3_1" is newer.
    const std::wstring same = std::wstring(package_directory) + L"Orv_Vanta_Kit_2012_2_22.exe";
    const std::wstring newer = std::wstring(package_directory) + L"Orv_Vanta_Kit_2012_3_1.exe";
    ASSERT_TRUE(ftp_fixture::copy_file(package, same));

    const std::wstring name = L"vanta_update_download.menu";
    const std::wstring folder = e2e::join(e2e::tests_root(), name);
    const std::wstring temporary = e2e::join(folder, L"temp");
    const std::wstring marker = e2e::join(folder, L"package-started.txt");
    e2e::vanta_setup setup;
    setup.language_id = 0x0804;
    setup.update_server = ftp_fixture::server_address();
    setup.environment = {
        {L"TMP", temporary}, {L"TEMP", temporary}, {L"ORV_PACKAGE_MARKER", marker}};
    // No scheduled check at start-up: only the menu's checks reach the server.
    setup.registry = {{update_settings_key, L"AutoUpdateCheck", 0}};
    e2e::vanta_app app(name, setup);
    ASSERT_TRUE(app.ready());
    ASSERT_TRUE(e2e::make_dirs(temporary));
    ASSERT_TRUE(app.start());
    const DWORD process = app.process()->id();

    // Same version on the server: nothing to get. The dialog speaks the interface language
    // and offers the automatic-check option.
    ASSERT_TRUE(app.command(check_for_updates));
    HWND dialog = wait_for_update_dialog(process);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog_driver::window_title(dialog), L"检查更新");
    EXPECT_TRUE(dialog_driver::wait_for_text(dialog, status_text, L"当前无可用更新。"));
    EXPECT_TRUE(dialog_driver::control_visible(dialog, auto_check_box));
    EXPECT_TRUE(app.screenshot(L"update_check_nothing_newer"));
    // One dialog at a time: the frame waits for it, and the menu's command, posted anyway,
    // opens no second one. Closed, the dialog gives the frame back, enabled and active.
    EXPECT_FALSE(::IsWindowEnabled(app.frame()));
    ASSERT_TRUE(app.command(check_for_updates));
    EXPECT_FALSE(wait_for_update_dialog(process, dialog, std::chrono::milliseconds(3000)));
    ASSERT_TRUE(dialog_driver::press_button(dialog, get_it_button));
    ASSERT_TRUE(dialog_driver::wait_until_gone(dialog));
    EXPECT_TRUE(app.process()->running());
    EXPECT_TRUE(dialog_driver::wait_until(
        [&] { return ::IsWindowEnabled(app.frame()) && ::GetForegroundWindow() == app.frame(); }));

    // A newer release: Get It downloads it, opens it, and the library ends vanta.
    ASSERT_TRUE(::DeleteFileW(ftp_fixture::served_path(same).c_str()));
    ASSERT_TRUE(ftp_fixture::copy_file(package, newer));
    ASSERT_TRUE(app.command(check_for_updates));
    HWND offer = wait_for_update_dialog(process, dialog);
    ASSERT_TRUE(offer);
    EXPECT_TRUE(dialog_driver::wait_for_text(offer, status_text,
                                             L"更新可用。\n\n您现在可以下载并安装新版本。"));
    EXPECT_TRUE(app.screenshot(L"update_check_newer_offered"));
    ASSERT_TRUE(dialog_driver::press_button(offer, get_it_button));

    EXPECT_EQ(app.process()->wait_for_exit(30000), std::optional<DWORD>(0)) << "vanta ended";
    const std::vector<std::string> started = marker_lines(marker);
    ASSERT_GE(started.size(), 1u) << "the package was not opened";
    // vanta runs elevated: saved in a folder of its own in the administrators' download place,
    // never in the user's TMP, and started from there.
    const std::wstring opened = e2e::widen(started[0]);
    PWSTR program_data = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &program_data)));
    const std::wstring place = e2e::join(program_data, L"OrvUpdateCheck");
    ::CoTaskMemFree(program_data);
    EXPECT_EQ(opened.rfind(e2e::join(place, L"OrvUpdate-"), 0), 0u) << started[0];
    WIN32_FIND_DATAW entry{};
    HANDLE listing = ::FindFirstFileW(e2e::join(temporary, L"OrvUpdate-*").c_str(), &entry);
    EXPECT_EQ(listing, INVALID_HANDLE_VALUE) << "nothing written to the user's TMP";
    if (listing != INVALID_HANDLE_VALUE) ::FindClose(listing);
    EXPECT_EQ(opened.substr(opened.rfind(L'\\') + 1), L"Orv_Vanta_Kit_2012_3_1.exe");
    const std::optional<std::vector<std::uint8_t>> downloaded = e2e::read_bytes(opened);
    EXPECT_EQ(downloaded, e2e::read_bytes(package)) << "downloaded whole";
}

// One release on the server, whether vanta's check is from the menu or at start-up, and
// whether the machine setting names the HTTPS server (which serves the same folder) instead of
// the FTP server.
struct release_case {
    const wchar_t* name;
    bool newer;
    bool at_start_up;
    bool https = false;
};

class vanta_update_releases : public ::testing::TestWithParam<release_case> {};

// vanta's own version and older ones are never offered, from the menu or by the scheduled
// check at start-up; a newer one is, by both.
TEST_P(vanta_update_releases, only_a_newer_release_is_offered) {
    SKIP_WITHOUT_VANTA();
    if (!ftp_fixture::available()) GTEST_SKIP() << "needs the local FTP server";
    const release_case& c = GetParam();
    saved_dwords restore_schedule(update_settings_key, {L"NextUpdateDate", L"AutoUpdateCheck"});
    e2e::delete_value(HKEY_CURRENT_USER, update_settings_key, L"NextUpdateDate");
    const std::wstring served = std::wstring(package_directory) + c.name;
    ASSERT_TRUE(
        ftp_fixture::copy_file(e2e::join(e2e::program_dir(), L"package_stub.exe"), served));
    const std::wstring list = std::wstring(package_directory) + L"Orv_Vanta_Kit.list";
    if (c.https) {
        if (!https_fixture::available()) GTEST_SKIP() << "needs the local HTTPS server";
        ASSERT_TRUE(https_fixture::trust_test_root());
        std::string bytes;
        ASSERT_TRUE(ftp_fixture::read_file(ftp_fixture::served_path(served), bytes));
        ASSERT_TRUE(ftp_fixture::write_file(
            list, https_fixture::list_line(e2e::narrow(c.name), bytes.size())));
    }

    e2e::vanta_setup setup;
    setup.language_id = 0x0409;
    setup.update_server = c.https ? https_fixture::server_setting() : ftp_fixture::server_address();
    setup.registry = {{update_settings_key, L"AutoUpdateCheck", c.at_start_up ? 1u : 0u}};
    e2e::vanta_app app(std::wstring(L"vanta_update_releases.") + c.name +
                           (c.at_start_up ? L".start" : L".menu"),
                       setup);
    ASSERT_TRUE(app.ready());
    ASSERT_TRUE(app.start());
    const DWORD process = app.process()->id();
    constexpr wchar_t available[] =
        L"An update is available.\n\nYou can download and install a new version now.";

    if (c.at_start_up) {
        ASSERT_TRUE(dialog_driver::wait_until([] {
            return e2e::read_dword(HKEY_CURRENT_USER, update_settings_key, L"NextUpdateDate")
                .has_value();
        })) << "the scheduled check started";
        // The check lists one local directory: a notification comes well within this bound,
        // as the newer case shows.
        HWND notice = wait_for_update_dialog(process, nullptr, std::chrono::milliseconds(8000));
        if (c.newer) {
            ASSERT_TRUE(notice);
            EXPECT_TRUE(dialog_driver::wait_for_text(notice, status_text, available));
            ASSERT_TRUE(dialog_driver::press_button(notice, not_now_button));
            ASSERT_TRUE(dialog_driver::wait_until_gone(notice));
        } else {
            EXPECT_FALSE(notice) << "an update was announced for a release that is not newer";
        }
    } else {
        ASSERT_TRUE(app.command(check_for_updates));
        HWND dialog = wait_for_update_dialog(process);
        ASSERT_TRUE(dialog);
        EXPECT_TRUE(dialog_driver::wait_for_text(
            dialog, status_text, c.newer ? available : L"No update is available at this time."));
        ASSERT_TRUE(dialog_driver::press_button(dialog, c.newer ? not_now_button : get_it_button));
        ASSERT_TRUE(dialog_driver::wait_until_gone(dialog));
    }
    EXPECT_TRUE(app.stop());
    EXPECT_TRUE(::DeleteFileW(ftp_fixture::served_path(served).c_str()));
    if (c.https) {
        EXPECT_TRUE(::DeleteFileW(ftp_fixture::served_path(list).c_str()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    releases, vanta_update_releases,
    ::testing::Values(release_case{L"Orv_Vanta_Kit_2012_2_22.exe", false, false},
                      release_case{L"Orv_Vanta_Kit_2012_2_1.exe", false, false},
                      release_case{L"Orv_Vanta_Kit_2012_3_1.exe", true, false},
                      release_case{L"Orv_Vanta_Kit_2012_2_22.exe", false, true},
                      release_case{L"Orv_Vanta_Kit_2012_2_1.exe", false, true},
                      release_case{L"Orv_Vanta_Kit_2012_3_1.exe", true, true},
                      release_case{L"Orv_Vanta_Kit_2012_2_22.exe", false, false, true},
                      release_case{L"Orv_Vanta_Kit_2012_3_1.exe", true, true, true}));

}  // namespace
