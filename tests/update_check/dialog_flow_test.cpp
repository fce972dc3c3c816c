// Interactive checks from start to end, against the test's FTP server: the three outcomes,
// the retries, the buttons, and what each button leaves behind.
#include "tests/update_check/check_fixture.h"
#include "tests/support/machine_settings.h"
#include "tests/update_check/silent_server.h"

namespace orv_test {
namespace {

using namespace std::chrono_literals;
using dialog_driver::control_text;
using dialog_driver::control_visible;
using dialog_driver::press_button;

std::wstring trimmed_directory(std::wstring path) {
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

bool same_path(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

using DialogFlow = check_fixture;

// The outcomes that must be the same whichever transport serves the files.
class SourceFlow : public check_fixture, public ::testing::WithParamInterface<update_source> {};

TEST_P(SourceFlow, UpdateAvailableDownloadsAndOpensThePackage) {
    product_settings product(0x3201);
    scoped_source source(GetParam());
    publish_package(L"avail/Orv_Vanta_Kit_2012_3_1.exe");
    publish_list(L"avail", {"Orv_Vanta_Kit_2012_3_1.exe"});
    status_announcements announcements;
    ASSERT_TRUE(announcements.hooked());
    modal_call call(
        [&] { lib().check_w(product.id(), L"/avail/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033); });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog_driver::wait_for_text(dialog, status_text, update_available));
    EXPECT_EQ(dialog_driver::window_title(dialog), L"Check for Update");
    EXPECT_EQ(control_text(dialog, get_it_button), L"Get It");
    EXPECT_EQ(control_text(dialog, not_now_button), L"Not Now");
    EXPECT_TRUE(control_visible(dialog, get_it_button));
    EXPECT_TRUE(control_visible(dialog, not_now_button));
    EXPECT_TRUE(control_visible(dialog, auto_check_box));
    EXPECT_EQ(control_text(dialog, auto_check_box), L"Check for update automatically");
    EXPECT_FALSE(control_visible(dialog, progress_bar));
    // Enter on the offer means Not Now; Get It is a deliberate choice.
    EXPECT_TRUE(settled_on(dialog, not_now_button));
    EXPECT_TRUE(announcements.heard(L"\nConnecting to server..."));
    EXPECT_TRUE(announcements.heard(update_available));

    progress_recorder progress(dialog);
    ASSERT_TRUE(progress.hooked());
    // TMP and TEMP point into the user's profile; the elevated library makes nothing there.
    std::vector<std::wstring> user_temp = entries_under(temporary_directory());
    ASSERT_TRUE(press_button(dialog, get_it_button));
    // Flag word 4 does not end the caller: the call comes back once the dialog has closed.
    ASSERT_TRUE(call.returned());
    EXPECT_FALSE(::IsWindow(dialog));
    // Every step of the listed size reached the bar, in order.
    EXPECT_EQ(progress.positions(), expected_progress_steps(package_bytes().size()));
    EXPECT_TRUE(announcements.heard(L"\nDownloading file..."));
    EXPECT_EQ(announcements.progress_name_with(L"\nDownloading file..."), L"Downloading file...");

    // Saved in a folder of its own in the administrators' place, and started there.
    std::vector<std::wstring> saved = files_named(L"Orv_Vanta_Kit_2012_3_1.exe");
    ASSERT_EQ(saved.size(), 1u);
    std::wstring local = saved[0];
    std::wstring folder = local.substr(0, local.rfind(L'\\') + 1);
    EXPECT_EQ(folder.rfind(download_parent() + L"OrvUpdate-", 0), 0u);
    EXPECT_EQ(folder.size(), download_parent().size() + 10 + 16 + 1);
    std::string downloaded;
    ASSERT_TRUE(ftp_fixture::read_file(local, downloaded));
    EXPECT_EQ(downloaded, package_bytes());
    std::vector<std::wstring> marker = wait_for_marker();
    ASSERT_GE(marker.size(), 4u);
    EXPECT_PRED2(same_path, marker[0], local);
    EXPECT_PRED2(same_path, trimmed_directory(marker[1]), trimmed_directory(folder));
    // The package could open itself as an installer does, beside the library's hold.
    EXPECT_EQ(marker[3], L"opened itself");
    EXPECT_EQ(entries_under(temporary_directory()),
              with_entry(user_temp, temporary_directory() + L"marker.txt"));
    // Closing the dialog schedules the next check a check frequency ahead.
    EXPECT_EQ(product.dword(L"NextUpdateDate"), dos_date_in_days(30));

    // Once the package has ended, the next check leaves nothing of it on disk.
    ASSERT_TRUE(dialog_driver::wait_until([&] { return !in_use(folder); }));
    modal_call again(
        [&] { lib().check_w(product.id(), L"/avail/Orv_Vanta_Kit.exe", L"2012_3_1", 4, 1033); });
    HWND second = wait_for_update_dialog(dialog);
    ASSERT_TRUE(second);
    ASSERT_TRUE(dialog_driver::wait_for_text(second, get_it_button, L"Finish"));
    ASSERT_TRUE(press_button(second, get_it_button));
    ASSERT_TRUE(again.returned());
    EXPECT_TRUE(files_named(L"Orv_Vanta_Kit_2012_3_1.exe").empty());
    EXPECT_EQ(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Only the machine setting chooses the server: a variable naming a server that never answers
// changes nothing.
TEST_F(DialogFlow, TheEnvironmentDoesNotChooseTheServer) {
    product_settings product(0x3209);
    silent_server silent;
    ASSERT_TRUE(silent.listening());
    scoped_environment server(L"ORV_UPDATE_SERVER", silent.address());
    publish_package(L"env/Orv_Vanta_Kit_2012_3_1.exe");
    modal_call call(
        [&] { lib().check_w(product.id(), L"/env/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033); });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog_driver::wait_for_text(dialog, status_text, update_available));
    ASSERT_TRUE(press_button(dialog, not_now_button));
    EXPECT_TRUE(call.returned());
}

// A user who has moved to Cancel while connecting and presses Enter just as the offer
// replaces "Connecting": Enter goes to where the focus now is, Not Now, and nothing is
// downloaded.
TEST_F(DialogFlow, EnterAsTheOfferArrivesClosesWithoutADownload) {
    product_settings product(0x320A);
    publish_package(L"enter/Orv_Vanta_Kit_2012_3_1.exe");
    // Connecting lasts long enough for the user to get to Cancel.
    ASSERT_TRUE(ftp_fixture::set_reply_delay(1500));
    modal_call call(
        [&] { lib().check_w(product.id(), L"/enter/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033); });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(::PostMessageW(dialog, WM_NEXTDLGCTL,
                               reinterpret_cast<WPARAM>(::GetDlgItem(dialog, get_it_button)),
                               TRUE));
    EXPECT_EQ(control_text(dialog, get_it_button), L"Cancel");
    const bool offered = dialog_driver::wait_for_text(dialog, status_text, update_available);
    ftp_fixture::set_reply_delay(0);
    ASSERT_TRUE(offered);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &thread));
    ASSERT_TRUE(::PostMessageW(thread.hwndFocus, WM_KEYDOWN, VK_RETURN, 0x001C0001));
    ASSERT_TRUE(call.returned());
    EXPECT_TRUE(files_named(L"Orv_Vanta_Kit_2012_3_1.exe").empty());
}

// The same release, and a newer-looking one whose five numbers no version resource can
// carry (it would only be downloaded to be refused).
TEST_P(SourceFlow, NoUpdateShowsOnlyFinishAndOpensNothing) {
    const std::pair<std::wstring, std::string> listings[] = {
        {L"same", "Orv_Vanta_Kit_2012_2_22.exe"}, {L"five", "Orv_Vanta_Kit_2013_1_1_0_1.exe"}};
    for (const auto& [directory, listed] : listings) {
        SCOPED_TRACE(listed);
        status_announcements announcements;
        product_settings product(0x3202);
        scoped_source source(GetParam());
        std::wstring name(listed.begin(), listed.end());
        publish_package(directory + L"/" + name);
        publish_list(directory, {listed});
        std::wstring server_path = L"/" + directory + L"/Orv_Vanta_Kit.exe";
        modal_call call(
            [&] { lib().check_w(product.id(), server_path.c_str(), L"2012_2_22", 0, 1033); });
        HWND dialog = wait_for_update_dialog();
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(dialog_driver::wait_for_text(dialog, status_text,
                                                 L"No update is available at this time."));
        EXPECT_EQ(control_text(dialog, get_it_button), L"Finish");
        EXPECT_TRUE(control_visible(dialog, get_it_button));
        EXPECT_FALSE(control_visible(dialog, not_now_button));
        EXPECT_TRUE(settled_on(dialog, get_it_button));
        EXPECT_TRUE(announcements.heard(L"No update is available at this time."));
        // Flag word 0 has none of the bits 0x7: no check box.
        EXPECT_FALSE(control_visible(dialog, auto_check_box));
        EXPECT_FALSE(press_button(dialog, not_now_button));
        ASSERT_TRUE(press_button(dialog, get_it_button));
        ASSERT_TRUE(call.returned());
        EXPECT_TRUE(files_named(name).empty());
        EXPECT_EQ(::GetFileAttributesW(marker_path().c_str()), INVALID_FILE_ATTRIBUTES);
        ASSERT_TRUE(dialog_driver::wait_until_gone(dialog));
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, SourceFlow,
                         ::testing::Values(update_source::ftp, update_source::https),
                         [](const auto& info) {
                             return info.param == update_source::ftp ? "ftp" : "https";
                         });

TEST_F(DialogFlow, CheckBoxStoresTheChoiceAtOnce) {
    product_settings product(0x3203);
    publish_package(L"box/Orv_Vanta_Kit_1.exe");
    modal_call call([&] { lib().check_w(product.id(), L"/box/Orv_Vanta_Kit.exe", L"1", 4, 1033); });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog_driver::wait_for_text(dialog, get_it_button, L"Finish"));
    EXPECT_EQ(::SendMessageW(::GetDlgItem(dialog, auto_check_box), BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_TRUE(press_button(dialog, auto_check_box));
    EXPECT_TRUE(dialog_driver::wait_until([&] { return product.dword(L"AutoUpdateCheck") == 0u; }));
    ASSERT_TRUE(press_button(dialog, auto_check_box));
    EXPECT_TRUE(dialog_driver::wait_until([&] { return product.dword(L"AutoUpdateCheck") == 1u; }));
    // Closing by the close box ends the dialog as well; the choice stays as stored.
    ASSERT_TRUE(dialog_driver::close_window(dialog));
    ASSERT_TRUE(call.returned());
    EXPECT_EQ(product.dword(L"AutoUpdateCheck"), 1u);
}

// The program registered for ".htm" pages and for https URLs, pointed at the package stub for
// one test. Wine reads associations from HKEY_CLASSES_ROOT only; existing ones are put back.
class scoped_htm_handler {
public:
    explicit scoped_htm_handler(const std::wstring& program) {
        const std::wstring command = L"\"" + program + L"\" \"%1\"";
        had_htm_ = read_default(L".htm", htm_);
        had_https_ = read_default(https_command, https_);
        set(L".htm", L"OrvTestPage");
        set(L"OrvTestPage\\shell\\open\\command", command);
        set(https_command, command);
    }
    ~scoped_htm_handler() {
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"OrvTestPage");
        if (had_htm_) {
            set(L".htm", htm_);
        } else {
            ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".htm");
        }
        if (had_https_) {
            set(https_command, https_);
        } else {
            ::RegDeleteKeyValueW(HKEY_CLASSES_ROOT, https_command, nullptr);
        }
    }
    scoped_htm_handler(const scoped_htm_handler&) = delete;
    scoped_htm_handler& operator=(const scoped_htm_handler&) = delete;

private:
    static constexpr const wchar_t* https_command = L"https\\shell\\open\\command";

    static bool read_default(const wchar_t* key, std::wstring& value) {
        wchar_t buffer[512] = {};
        DWORD size = sizeof(buffer);
        if (::RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, buffer,
                           &size) != ERROR_SUCCESS) {
            return false;
        }
        value = buffer;
        return true;
    }
    static void set(const wchar_t* key, const std::wstring& value) {
        ::RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, value.c_str(),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    bool had_htm_ = false;
    bool had_https_ = false;
    std::wstring htm_;
    std::wstring https_;
};

// The server path's text in the ANSI code page, as an ANSI caller holds it; nothing when the
// code page cannot hold it all.
std::optional<std::string> in_ansi_code_page(const std::wstring& text) {
    int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0,
                                       nullptr, nullptr);
    if (length <= 0) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    BOOL lost = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, bytes.data(), length,
                          nullptr, &lost);
    if (lost) return std::nullopt;
    bytes.pop_back();
    return bytes;
}

// Both check exports, each with a directory the server does not list as a release: the bare
// package name in "bare", and a directory that is not there at all, named in text beyond ASCII
// for the ANSI call ("€" is 0x80 in code page 1252: widened byte by byte it would become
// U+0080 and the browse location would not be the caller's). And servers that must not be
// used although a newer release waits there: an HTTPS server whose certificate chains to a
// root nobody trusts (Check Online opens its directory's URL), an "http://" setting, which
// is never contacted (nothing to open either), and the FTP server's address stored as
// REG_EXPAND_SZ, a type the setting does not take (nor does it fall back to another server).
enum class unreachable { none, untrusted_https, http_setting, setting_of_another_type };

struct check_online_case {
    const char* name;
    bool ansi;
    const wchar_t* directory;
    unreachable server = unreachable::none;
};

class CheckOnline : public check_fixture, public ::testing::WithParamInterface<check_online_case> {
};

TEST_P(CheckOnline, AfterTwoRetriesTheBrowserGetsTheCallersLocation) {
    product_settings product(0x3204);
    // Only the bare package name: no release carries a version suffix.
    ASSERT_TRUE(ftp_fixture::write_file(L"bare/Orv_Vanta_Kit.exe", "not a release"));
    const std::wstring directory = GetParam().directory;
    const std::wstring server_path = L"/" + directory + L"/Orv_Vanta_Kit.exe";
    silent_server counting;
    ASSERT_TRUE(counting.listening());
    std::wstring location = L"\"127.0.0.1/" + directory + L"\"";
    std::wstring setting = ftp_fixture::server_address();
    if (GetParam().server != unreachable::none) {
        publish_package(directory + L"/Orv_Vanta_Kit_2012_3_1.exe");
        publish_list(directory, {"Orv_Vanta_Kit_2012_3_1.exe"});
    }
    if (GetParam().server == unreachable::untrusted_https) {
        ASSERT_TRUE(https_fixture::available());
        setting = https_fixture::untrusted_server_setting();
        location = L"\"" + setting + L"/" + directory + L"/\"";
    } else if (GetParam().server != unreachable::none) {
        setting = L"http://" + counting.address();
        location.clear();
    }
    ftp_fixture::scoped_update_server server(setting);
    if (GetParam().server == unreachable::setting_of_another_type) {
        ASSERT_TRUE(test_support::set_update_machine_value(L"Server", REG_EXPAND_SZ,
                                                           ftp_fixture::server_address() + L'\0'));
    }
    std::optional<std::string> ansi_path = in_ansi_code_page(server_path);
    if (GetParam().ansi && !ansi_path) GTEST_SKIP() << "the ANSI code page lacks the test text";
    scoped_htm_handler browser(program_directory() + L"package_stub.exe");
    status_announcements announcements;
    modal_call call([&] {
        if (GetParam().ansi) {
            lib().check_a(product.id(), ansi_path->c_str(), "_2012_2_22", 4, 1033);
        } else {
            lib().check_w(product.id(), server_path.c_str(), L"_2012_2_22", 4, 1033);
        }
    });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(
        dialog_driver::wait_for_text(dialog, status_text, L"\nConnecting to server. Retry #1..."));
    EXPECT_EQ(control_text(dialog, get_it_button), L"Cancel");
    EXPECT_TRUE(control_visible(dialog, get_it_button));
    EXPECT_FALSE(control_visible(dialog, not_now_button));
    EXPECT_TRUE(settled_on(dialog, get_it_button));
    EXPECT_TRUE(announcements.heard(L"\nConnecting to server. Retry #1..."));
    ASSERT_TRUE(
        dialog_driver::wait_for_text(dialog, status_text, L"\nConnecting to server. Retry #2..."));
    ASSERT_TRUE(dialog_driver::wait_for_text(
        dialog, status_text,
        L"Could not connect to the update server.\n\nPlease check your Internet connection, or "
        L"click the Check Online\nbutton below to manually check for an update in a web "
        L"browser."));
    EXPECT_EQ(control_text(dialog, get_it_button), L"Check Online");
    EXPECT_EQ(control_text(dialog, not_now_button), L"Not Now");
    EXPECT_TRUE(control_visible(dialog, get_it_button));
    EXPECT_TRUE(control_visible(dialog, not_now_button));
    // Opening a browser as administrator is one Tab away, not under Enter.
    EXPECT_TRUE(settled_on(dialog, not_now_button));
    EXPECT_TRUE(announcements.heard(control_text(dialog, status_text)));

    // Check Online: the shell cannot open a bare host and directory, so the .htm program gets
    // the browse location; an https URL goes to the https handler.
    ASSERT_TRUE(press_button(dialog, get_it_button));
    ASSERT_TRUE(call.returned());
    EXPECT_EQ(counting.connections(), 0);
    EXPECT_TRUE(files_named(L"Orv_Vanta_Kit_2012_3_1.exe").empty());
    if (location.empty()) {
        EXPECT_EQ(::GetFileAttributesW(marker_path().c_str()), INVALID_FILE_ATTRIBUTES);
        return;
    }
    std::vector<std::wstring> marker = wait_for_marker();
    ASSERT_GE(marker.size(), 3u);
    EXPECT_NE(marker[2].find(location), std::wstring::npos) << marker[2];
}

INSTANTIATE_TEST_SUITE_P(
    Exports, CheckOnline,
    ::testing::Values(check_online_case{"Wide", false, L"bare"},
                      check_online_case{"AnsiBeyondAscii", true, L"Pr\u00FCfung\u20AC"},
                      check_online_case{"UntrustedHttps", false, L"untrusted",
                                        unreachable::untrusted_https},
                      check_online_case{"HttpSetting", false, L"http", unreachable::http_setting},
                      check_online_case{"SettingOfAnotherType", false, L"typed",
                                        unreachable::setting_of_another_type}),
    [](const ::testing::TestParamInfo<check_online_case>& info) { return info.param.name; });

}  // namespace
}  // namespace orv_test
