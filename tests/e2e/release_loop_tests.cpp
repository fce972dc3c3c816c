// The release loop under Wine, as a user and a vendor meet it: release 2012.2.22, signed with
// the publisher's key, installed silently; release 2013.1.1, signed with the same key and
// published on the local FTP server; the installed vanta, started from its shortcut, refuses
// the same release signed with another key, then finds the real one with File > Check for
// Updates, Get It downloads and opens it, and the installer, driven page by page, upgrades in
// place; the new vanta says "Version 2013 1 1"; the silent uninstall leaves nothing behind but
// the user's settings. The machine trusts no publisher of its own: the pin that release.sh
// built into the installed release is the only trust anchor.
//
// In a 64-bit prefix (the default) the 32-bit installer and vanta run under WOW64, as on 64-bit
// Windows: the installation lands in "Program Files (x86)" and the uninstall entry in the
// 32-bit registry view. Wine's icacls does nothing, so the test puts a recorder in its place
// (the Updater.exe stand-in, writing to VANTA_UPDATER_LOG) and checks the installer's commands.
//
// Run by tests/e2e/release_loop.sh (ctest e2e.release_loop), which builds both releases and
// passes them in:
//   ORV_RELEASE_OLD, ORV_RELEASE_NEW   Windows paths of the two installers
//   ORV_RELEASE_ROGUE                  release 2013.1.1 signed with another key
//   ORV_RELEASE_UNINSTALLER            the uninstaller of release 2013.1.1, signed as it ships
//   VANTA_UPDATER_LOG                  where the icacls recorder writes
// under the FTP server's wrapper. It skips when run any other way.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/version_info.h"
#include "tests/e2e/installation.h"
#include "tests/support/dialog_driver/dialog_driver.h"
#include "tests/support/ftp_server/ftp_fixture.h"
#include "tests/support/machine_settings.h"
#include "tests/support/signing/trusted_publishers.h"
#include "tests/support/test_hid_stack/harness/app_windows.h"
#include "tests/support/test_hid_stack/harness/file_system.h"
#include "tests/support/test_hid_stack/harness/process_launcher.h"
#include "tests/support/test_hid_stack/harness/registry_values.h"
#include "tests/support/test_hid_stack/harness/screenshot.h"
#include "tests/support/test_hid_stack/harness/text.h"

namespace {

using namespace std::chrono_literals;
using e2e::ending_guard;
using e2e::environment;
using e2e::key_exists;
using e2e::message_text;
using e2e::read_shortcut;
using e2e::read_string;
using e2e::run;
using e2e::running_vanta;
using e2e::shortcut;
using e2e::wait_for_dialog;

constexpr wchar_t uninstall_key[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orv Vanta Kit";
// The same entry as a 64-bit program sees the 32-bit view.
constexpr wchar_t uninstall_key_wow64[] =
    L"Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orv Vanta Kit";
constexpr wchar_t published_package[] = L"pub/calculators/OrvK58x/Orv_Vanta_Kit_2013_1_1.exe";
constexpr wchar_t install_grants[] =
    L"*S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX";
constexpr wchar_t download_place_grants[] = L"*S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F /L";
constexpr wchar_t user_update_key[] = L"Software\\Orvatec\\UpdateCheck\\64";
constexpr wchar_t new_setup_caption[] = L"Orv Vanta Kit 2013.1.1 Setup";
constexpr unsigned check_for_updates = 32780;
constexpr unsigned app_about = 57664;
constexpr int get_it_button = 4;
constexpr int status_text = 1013;

// Whether this (32-bit) program runs under WOW64: a 64-bit prefix.
bool under_wow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

// The Program Files folder as the 32-bit installer sees it (this program is 32-bit too):
// "Program Files (x86)" on 64-bit Windows.
std::wstring install_dir() {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder);
    return e2e::join(folder, L"Orvatec\\Orv Vanta Kit");
}

std::wstring parent_of(const std::wstring& folder) { return folder.substr(0, folder.rfind(L'\\')); }

std::wstring system_dir() {
    wchar_t folder[MAX_PATH] = {};
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

// The system's icacls.exe of this prefix replaced by the recorder, which Wine must then load
// rather than its own.
bool record_icacls_starts() {
    return ::CopyFileW(e2e::join(e2e::program_dir(), L"Updater.exe").c_str(),
                       e2e::join(system_dir(), L"icacls.exe").c_str(), FALSE) &&
           e2e::set_string(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"icacls.exe",
                           L"native");
}

// The command lines the recorder saw, oldest first.
std::vector<std::wstring> icacls_starts(const std::wstring& log) {
    std::vector<std::wstring> starts;
    std::optional<std::vector<std::uint8_t>> bytes = e2e::read_bytes(log);
    if (!bytes) return starts;
    std::string text(bytes->begin(), bytes->end());
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(begin, end - begin);
        starts.push_back(e2e::widen(line.substr(0, line.find('\t'))));
        begin = end + 1;
    }
    return starts;
}

// What the installer must run to give `folder` an access list of its own: owner Administrators,
// every explicit entry removed (`options` " /T": below it too; " /L": on the folder itself,
// never through a link), nothing inherited, then `grants`.
std::vector<std::wstring> own_folder_commands(const std::wstring& folder, const wchar_t* options,
                                              const wchar_t* grants) {
    const std::wstring start =
        L"\"" + e2e::join(system_dir(), L"icacls.exe") + L"\" \"" + folder + L"\" ";
    return {start + L"/setowner *S-1-5-32-544" + options, start + L"/reset" + options,
            start + L"/inheritance:r /grant:r " + grants};
}

// The machine's download place of the update library, ProgramData\OrvUpdateCheck.
std::wstring download_place() {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder);
    return e2e::join(folder, L"OrvUpdateCheck");
}

// What one install runs: the guarded folder's commands, then the download place's.
std::vector<std::wstring> install_commands(const std::wstring& guarded) {
    std::vector<std::wstring> commands = own_folder_commands(guarded, L" /T", install_grants);
    for (std::wstring& command :
         own_folder_commands(download_place(), L" /L", download_place_grants)) {
        commands.push_back(std::move(command));
    }
    return commands;
}

std::wstring shortcut_path() {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, folder);
    return e2e::join(folder, L"Orv Vanta Kit.lnk");
}

running_vanta start_from_shortcut() { return e2e::start_from_shortcut(shortcut_path()); }

std::vector<std::wstring> installed_files() {
    return {L"vanta.exe", L"OrvUpdateCheck.dll", L"vantaCHS.dll", L"version", L"uninstall.exe"};
}

class release_loop : public ::testing::Test {
protected:
    void SetUp() override {
        old_release_ = environment(L"ORV_RELEASE_OLD");
        new_release_ = environment(L"ORV_RELEASE_NEW");
        rogue_release_ = environment(L"ORV_RELEASE_ROGUE");
        uninstaller_ = environment(L"ORV_RELEASE_UNINSTALLER");
        icacls_log_ = environment(L"VANTA_UPDATER_LOG");
        if (old_release_.empty() || new_release_.empty() || rogue_release_.empty() ||
            uninstaller_.empty() || icacls_log_.empty() || !ftp_fixture::available()) {
            GTEST_SKIP() << "run by tests/e2e/release_loop.sh";
        }
        // A 64-bit prefix unless a 32-bit one was asked for: the WOW64 checks must not pass
        // by running where there is no WOW64.
        if (environment(L"VANTA_WINEARCH") != L"win32") {
            ASSERT_TRUE(under_wow64()) << "not in a 64-bit prefix";
        }
        ASSERT_TRUE(record_icacls_starts());
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override { ::CoUninitialize(); }

    std::wstring old_release_, new_release_, rogue_release_, uninstaller_, icacls_log_;
};

// The installers name the product and carry the release as their fixed product version,
// which the update library checks before it opens one. So does the uninstaller: only its
// signature's description tells it from the installer.
TEST_F(release_loop, installers_carry_product_name_description_and_release_version) {
    struct expected {
        const std::wstring& installer;
        DWORD product_version_ms, product_version_ls;
    };
    for (const expected& release : {expected{old_release_, 2012u << 16 | 2u, 22u << 16 | 0u},
                                    expected{new_release_, 2013u << 16 | 1u, 1u << 16 | 0u},
                                    expected{uninstaller_, 2013u << 16 | 1u, 1u << 16 | 0u}}) {
        SCOPED_TRACE(e2e::narrow(release.installer));
        const std::optional<fw::version_info> version = fw::version_info::read(release.installer);
        ASSERT_TRUE(version);
        UINT translation_bytes = 0;
        const WORD* translation = version->translations(translation_bytes);
        const VS_FIXEDFILEINFO* fixed = version->fixed_info();
        ASSERT_TRUE(translation && translation_bytes >= 2 * sizeof(WORD) && fixed);
        EXPECT_EQ(version->string(translation[0], translation[1], L"ProductName"),
                  L"Orv Vanta Kit");
        EXPECT_EQ(version->string(translation[0], translation[1], L"FileDescription"),
                  L"Orv Vanta Kit Setup");
        EXPECT_EQ(fixed->dwProductVersionMS, release.product_version_ms);
        EXPECT_EQ(fixed->dwProductVersionLS, release.product_version_ls);
    }
}

// The new installer's first page follows the system language; Cancel leaves nothing changed.
// release_loop.sh runs each case with the Unix locale of its language (LC_ALL), which is where
// Wine takes the system language from.
struct setup_language {
    const char* name;
    const wchar_t* caption;
    const wchar_t* screenshot;
};

class installer_language : public release_loop,
                           public ::testing::WithParamInterface<setup_language> {};

TEST_P(installer_language, first_page_speaks_the_system_language_and_cancel_changes_nothing) {
    const setup_language& language = GetParam();
    const std::optional<std::wstring> before =
        read_string(HKEY_LOCAL_MACHINE, uninstall_key, L"DisplayVersion");
    e2e::launch_options options;
    options.application = new_release_;
    std::optional<e2e::child_process> setup = e2e::child_process::launch(options);
    ASSERT_TRUE(setup);
    ending_guard end_setup(*setup);
    HWND window = wait_for_dialog(language.caption, setup->id(), IDOK);
    ASSERT_TRUE(window) << "no window \"" << e2e::narrow(language.caption) << "\"";
    EXPECT_TRUE(e2e::save_window_png(
        window, e2e::join(e2e::screenshot_dir(), std::wstring(language.screenshot) + L".png")));

    // Cancel asks first; Yes ends the installer without installing.
    ASSERT_TRUE(dialog_driver::press_button(window, IDCANCEL));
    HWND confirm = wait_for_dialog(language.caption, setup->id(), message_text, window);
    ASSERT_TRUE(confirm);
    ASSERT_TRUE(dialog_driver::press_button(confirm, IDYES));
    EXPECT_TRUE(setup->wait_for_exit(30000).has_value());
    EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, uninstall_key, L"DisplayVersion"), before);
}

INSTANTIATE_TEST_SUITE_P(
    release, installer_language,
    ::testing::Values(
        setup_language{"english", L"Orv Vanta Kit 2013.1.1 Setup", L"installer_welcome_en"},
        setup_language{"chinese", L"Orv Vanta Kit 2013.1.1 安装",
                       L"installer_welcome_zh"}),
    [](const auto& info) { return std::string(info.param.name); });

// An existing folder that is not the product's installation is refused before anything is
// changed: nothing copied into it, no access list touched, nothing registered.
TEST_F(release_loop, an_existing_folder_not_the_products_is_refused) {
    wchar_t drive[MAX_PATH] = {};
    ::GetWindowsDirectoryW(drive, MAX_PATH);
    const std::wstring folder = std::wstring(drive).substr(0, 3) + L"Users\\Public\\Planted";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_NE(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(run(old_release_, L"/S /D=" + folder), std::optional<DWORD>(2));
    EXPECT_FALSE(e2e::file_exists(e2e::join(folder, L"vanta.exe")));
    EXPECT_TRUE(icacls_starts(icacls_log_).empty());
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, uninstall_key));
    ::RemoveDirectoryW(folder.c_str());
}

TEST_F(release_loop, older_vanta_finds_the_signed_release_installs_it_and_runs_it) {
    // 1. Release 2012.2.22, installed silently, per machine.
    ASSERT_EQ(run(old_release_, L"/S"), std::optional<DWORD>(0));
    const std::wstring folder = install_dir();
    for (const std::wstring& file : installed_files()) {
        EXPECT_TRUE(e2e::file_exists(e2e::join(folder, file))) << e2e::narrow(file);
    }
    EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, uninstall_key, L"DisplayName"), L"Orv Vanta Kit");
    EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, uninstall_key, L"DisplayVersion"), L"2012.2.22");
    EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, uninstall_key, L"Publisher"), L"Orvatec");
    const std::optional<std::wstring> uninstall =
        read_string(HKEY_LOCAL_MACHINE, uninstall_key, L"UninstallString");
    ASSERT_EQ(uninstall, L"\"" + e2e::join(folder, L"uninstall.exe") + L"\"");
    const std::optional<shortcut> link = read_shortcut(shortcut_path());
    ASSERT_TRUE(link);
    EXPECT_EQ(link->target, e2e::join(folder, L"vanta.exe"));
    EXPECT_EQ(link->working_directory, folder);
    if (under_wow64()) {
        // Where 64-bit Windows keeps 32-bit programs: "Program Files (x86)", and the uninstall
        // entry in the 32-bit view only, where Add/Remove Programs lists 32-bit programs.
        EXPECT_NE(folder.find(L"\\Program Files (x86)\\Orvatec\\"), std::wstring::npos)
            << e2e::narrow(folder);
        EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, uninstall_key_wow64, KEY_WOW64_64KEY));
        EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, uninstall_key, KEY_WOW64_64KEY));
    }
    // The highest folder the install created ("Orvatec") got its own access list before
    // anything was copied into it; so did the download place.
    EXPECT_EQ(icacls_starts(icacls_log_), install_commands(parent_of(folder)));

    // 2. The machine asks the local server and trusts no publisher of its own: the installed
    // release's built-in pin decides. This user wants no scheduled check, so only the menu's
    // checks reach the server.
    ASSERT_TRUE(ftp_fixture::set_update_server(ftp_fixture::server_address()));
    ASSERT_TRUE(test_signing::set_trusted_publishers({}));
    ASSERT_TRUE(test_support::allow_unprotected_download_folder(true));
    ASSERT_TRUE(e2e::set_dword(HKEY_CURRENT_USER, user_update_key, L"AutoUpdateCheck", 0));

    // 3. The installed vanta, started as its shortcut starts it.
    running_vanta vanta = start_from_shortcut();
    ASSERT_TRUE(vanta.process);
    ASSERT_TRUE(vanta.frame);
    const DWORD vanta_id = vanta.process->id();
    ending_guard end_vanta(*vanta.process);

    // While it runs, the new installer replaces nothing: it waits a little, then asks; Cancel
    // ends it with nothing changed.
    {
        e2e::launch_options options;
        options.application = new_release_;
        std::optional<e2e::child_process> setup = e2e::child_process::launch(options);
        ASSERT_TRUE(setup);
        ending_guard end_setup(*setup);
        HWND ask = wait_for_dialog(new_setup_caption, setup->id(), message_text, nullptr, 60s);
        ASSERT_TRUE(ask);
        EXPECT_NE(dialog_driver::control_text(ask, message_text).find(L"is running"),
                  std::wstring::npos);
        ASSERT_TRUE(dialog_driver::press_button(ask, IDCANCEL));
        HWND told = wait_for_dialog(new_setup_caption, setup->id(), message_text, ask);
        ASSERT_TRUE(told);
        EXPECT_EQ(dialog_driver::control_text(told, message_text),
                  L"Orv Vanta Kit is still running; nothing was changed.");
        ASSERT_TRUE(dialog_driver::press_button(told, IDOK));
        EXPECT_EQ(setup->wait_for_exit(30000), std::optional<DWORD>(2));
        EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, uninstall_key, L"DisplayVersion"),
                  L"2012.2.22");
        EXPECT_TRUE(vanta.process->running());
    }

    // 4. Served under the release's name, offered, downloaded and refused, vanta running on
    // and nothing installed: the same release signed with another key; then the release's own
    // uninstaller, signed by the publisher and carrying the installer's version resource.
    // Serves `package`, checks from the menu and presses Get It on the offer (not `previous`);
    // the offer, or null when a step failed.
    const auto get_it = [&](const std::wstring& package, HWND previous) -> HWND {
        if (!ftp_fixture::copy_file(package, published_package) ||
            !::PostMessageW(vanta.frame, WM_COMMAND, check_for_updates, 0)) {
            return nullptr;
        }
        HWND offer = wait_for_dialog(L"", vanta_id, status_text, previous);
        const bool pressed =
            offer &&
            dialog_driver::wait_for_text(
                offer, status_text,
                L"An update is available.\n\nYou can download and install a new version now.",
                30s) &&
            dialog_driver::press_button(offer, get_it_button);
        return pressed ? offer : nullptr;
    };
    HWND previous_offer = nullptr;
    HWND previous_refusal = nullptr;
    for (const std::wstring* refused : {&rogue_release_, &uninstaller_}) {
        SCOPED_TRACE(e2e::narrow(*refused));
        HWND offer = get_it(*refused, previous_offer);
        ASSERT_TRUE(offer);
        HWND refusal = wait_for_dialog(L"Error", vanta_id, message_text, previous_refusal, 60s);
        ASSERT_TRUE(refusal) << "not refused";
        EXPECT_EQ(dialog_driver::control_text(refusal, message_text),
                  L"The downloaded file could not be verified and was not opened.");
        ASSERT_TRUE(dialog_driver::press_button(refusal, IDOK));
        ASSERT_TRUE(dialog_driver::wait_until_gone(offer, 30s));
        EXPECT_TRUE(vanta.process->running());
        EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, uninstall_key, L"DisplayVersion"), L"2012.2.22");
        previous_offer = offer;
        previous_refusal = refusal;
    }

    // 5. The release signed with the publisher's key: File > Check for Updates offers it; Get
    // It downloads it, checks its signature, opens it, and vanta ends.
    ASSERT_TRUE(get_it(new_release_, previous_offer));
    EXPECT_EQ(vanta.process->wait_for_exit(60000), std::optional<DWORD>(0)) << "vanta ended";

    // The installer, as a user goes through it: Next on the first page, then Finish.
    HWND setup = wait_for_dialog(new_setup_caption, 0, IDOK, nullptr, 60s);
    ASSERT_TRUE(setup) << "the downloaded installer did not open";
    ASSERT_TRUE(dialog_driver::wait_until(
        [&] { return dialog_driver::press_button(setup, IDOK); }, 30s));
    ASSERT_TRUE(dialog_driver::wait_until(
        [&] { return dialog_driver::control_text(setup, IDOK) == L"&Finish"; }, 60s));
    ASSERT_TRUE(dialog_driver::press_button(setup, IDOK));
    ASSERT_TRUE(dialog_driver::wait_until_gone(setup, 30s));

    // 6. Upgraded in place: the new vanta says so, and so does the uninstall entry. The
    // existing folder, the product's own, got its access list again; so did the download place.
    EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, uninstall_key, L"DisplayVersion"), L"2013.1.1");
    EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, uninstall_key, L"InstallLocation"), folder);
    std::vector<std::wstring> both = install_commands(parent_of(folder));
    for (std::wstring& command : install_commands(folder)) both.push_back(std::move(command));
    EXPECT_EQ(icacls_starts(icacls_log_), both);
    running_vanta upgraded = start_from_shortcut();
    ASSERT_TRUE(upgraded.process);
    ending_guard end_upgraded(*upgraded.process);
    ASSERT_TRUE(upgraded.frame);
    ASSERT_TRUE(::PostMessageW(upgraded.frame, WM_COMMAND, app_about, 0));
    HWND about = wait_for_dialog(L"About Orv Vanta Kit", upgraded.process->id(), 1003);
    ASSERT_TRUE(about);
    EXPECT_TRUE(dialog_driver::wait_for_text(about, 1003, L"Version 2013 1 1"));
    ASSERT_TRUE(dialog_driver::press_button(about, IDOK));
    ASSERT_TRUE(dialog_driver::wait_until_gone(about));
    ASSERT_TRUE(dialog_driver::close_window(upgraded.frame));
    EXPECT_TRUE(upgraded.process->wait_for_exit(30000).has_value());

    // 7. Silent uninstall: files, shortcut and entry gone; the user's settings kept. The
    // uninstaller runs from a copy of itself, so its end is watched on what it removes.
    // UninstallString is the quoted path of the uninstaller.
    ASSERT_TRUE(run(uninstall->substr(1, uninstall->size() - 2), L"/S").has_value());
    EXPECT_TRUE(dialog_driver::wait_until(
        [&] { return !key_exists(HKEY_LOCAL_MACHINE, uninstall_key); }, 60s));
    EXPECT_TRUE(dialog_driver::wait_until(
        [&] { return ::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES; }, 30s))
        << "the installation folder is left";
    EXPECT_FALSE(e2e::file_exists(shortcut_path()));
    EXPECT_EQ(e2e::read_dword(HKEY_CURRENT_USER, user_update_key, L"AutoUpdateCheck"),
              std::optional<DWORD>(0));
}

}  // namespace
