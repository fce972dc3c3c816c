// vanta's screens, each with a screenshot: the main window with a calculator, the firmware
// question, About, the language restart box, and every state of OrvUpdateCheck.dll's "Check
// for Update" dialog as vanta's File > Check for Updates and its scheduled check at start-up
// show it, in English and Chinese: connecting, a retry, could not connect, no update, update
// available, and the notification form of the scheduled check. The server's listing decides
// each outcome. Runs under tests/support/ftp_server/with-ftp-server.
//
// Each journey runs at 96, 144 and 192 DPI (ctest e2e.vanta_update_dialog_screens, and
// ..._144dpi, ..._192dpi, each in a Wine prefix set to its DPI), and on every screen each
// control's text must fit the control, measured inside vanta with the control's own font.
// Every other language goes through all of these screens at 96 DPI; German and Japanese at
// 144 and 192 DPI as well.
//
// The download itself is not pictured: it runs on the dialog's own thread, which answers no
// message until the file is in, so the dialog cannot be raised for a capture meanwhile.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <mutex>
#include <thread>

#include "tests/e2e/gated_relay.h"
#include "tests/e2e/vanta_saved_settings.h"
#include "tests/support/menu_probe/menu_reader.h"
#include "tests/support/menu_probe/text_fit_reader.h"
#include "tests/e2e/vanta_test_support.h"
#include "tests/support/dialog_driver/dialog_driver.h"
#include "tests/support/ftp_server/ftp_fixture.h"
#include "tests/support/test_hid_stack/harness/file_system.h"
#include "update_check/rules/builtin_texts.h"

namespace {

using namespace e2e_tests;

// vanta's tag is "_2012_2_22": "2012_2_22" is its own version, "2012_3_1" newer, and a name
// without a suffix is no package at all, so the check ends as "could not connect".
constexpr wchar_t same_version[] = L"Orv_Vanta_Kit_2012_2_22.exe";
constexpr wchar_t newer_version[] = L"Orv_Vanta_Kit_2012_3_1.exe";
constexpr wchar_t unversioned[] = L"Orv_Vanta_Kit.exe";

u_short server_port() {
    const std::wstring address = ftp_fixture::server_address();
    return static_cast<u_short>(std::stoi(address.substr(address.rfind(L':') + 1)));
}

// Leaves exactly one entry in the package directory.
bool serve_only(const std::wstring& name) {
    for (const wchar_t* other : {same_version, newer_version, unversioned}) {
        ::DeleteFileW(ftp_fixture::served_path(std::wstring(package_directory) + other).c_str());
    }
    return ftp_fixture::write_file(std::wstring(package_directory) + name, "MZ package");
}

HWND wait_for_update_dialog(DWORD process, HWND previous) {
    dialog_driver::window_query query;
    query.any_caption = true;
    query.process_id = process;
    query.class_name = L"#32770";
    query.control_id = status_text;
    query.exclude = previous;
    return dialog_driver::wait_for_window(query);
}

// The status texts of one interface language, by which each picture waits for its state (the
// dialog's texts, buttons and placement in every state are the library's own tests').
struct dialog_texts {
    std::wstring connecting, available, no_update;
};

const dialog_texts english = {L"\nConnecting to server...",
                              L"An update is available.\n\nYou can download and install a new "
                              L"version now.",
                              L"No update is available at this time."};
const dialog_texts chinese = {L"\n正在连接到服务器...",
                              L"更新可用。\n\n您现在可以下载并安装新版本。", L"当前无可用更新。"};

// Takes the screenshot of what vanta shows now and checks its texts (screen_row::picture).
using picture = std::function<void(e2e::vanta_app&, const std::wstring&)>;

// One menu check: the dialog held in "connecting" until the relay lets it through.
HWND check_while_held(e2e::vanta_app& app, gated_relay& relay, HWND previous,
                      const dialog_texts& texts, const picture& take, const std::wstring& shot) {
    relay.shut();
    EXPECT_TRUE(app.command(check_for_updates));
    HWND dialog = wait_for_update_dialog(app.process()->id(), previous);
    if (!dialog) {
        relay.open();
        return nullptr;
    }
    EXPECT_TRUE(dialog_driver::wait_for_text(dialog, status_text, texts.connecting));
    take(app, shot);
    relay.open();
    return dialog;
}

// One menu check that ends in "update available" or "no update"; closes the dialog.
HWND check_outcome(e2e::vanta_app& app, HWND previous, bool newer, const dialog_texts& texts,
                   const picture& take, const std::wstring& shot) {
    EXPECT_TRUE(app.command(check_for_updates));
    HWND dialog = wait_for_update_dialog(app.process()->id(), previous);
    if (!dialog) return nullptr;
    EXPECT_TRUE(dialog_driver::wait_for_text(dialog, status_text,
                                             newer ? texts.available : texts.no_update));
    take(app, shot);
    EXPECT_TRUE(dialog_driver::press_button(dialog, newer ? not_now_button : get_it_button));
    EXPECT_TRUE(dialog_driver::wait_until_gone(dialog));
    return dialog;
}

// vanta's frame and every dialog it shows: each text fits its control at the row's DPI.
void expect_texts_fit(e2e::vanta_app& app, UINT dpi, const std::wstring& screen) {
    std::vector<HWND> windows = app.dialogs();
    windows.push_back(app.frame());
    for (HWND window : windows) {
        const auto report = text_fit_reader::read(app.process()->handle(), window);
        ASSERT_TRUE(report) << e2e::narrow(screen) << ": not measured";
        EXPECT_EQ(report->dpi, static_cast<int>(dpi)) << e2e::narrow(screen);
        EXPECT_FALSE(report->controls.empty()) << e2e::narrow(screen) << ": no text measured";
        for (const text_fit_reader::control& control : report->controls) {
            EXPECT_TRUE(control.fits())
                << e2e::narrow(screen) << ": " << e2e::narrow(control.kind) << " " << control.id
                << " \"" << e2e::narrow(control.text_content) << "\" needs " << control.text.cx
                << "x" << control.text.cy << ", has " << control.room.cx << "x" << control.room.cy;
        }
    }
}

// vanta's commands that open the About box and choose the second language of the menu.
constexpr UINT about_command = 57664;
constexpr UINT second_language_command = 28417;
constexpr std::uint64_t older_firmware = 0x7222201100000000;

// vanta lists its languages when the File menu opens: the message the system sends it first.
bool open_file_menu(e2e::vanta_app& app) {
    const auto items = menu_reader::read(app.process()->handle(), app.frame());
    if (!items || items->empty()) return false;
    const menu_reader::item* file = menu_reader::find_popup(*items, 0, items->front().text);
    DWORD_PTR ignored = 0;
    return file && ::SendMessageTimeoutW(app.frame(), WM_INITMENUPOPUP,
                                         reinterpret_cast<WPARAM>(file->submenu), 0, SMTO_BLOCK,
                                         10000, &ignored) != 0;
}

// The language vanta checks in its Language menu: choosing it shows the restart text in it.
std::optional<UINT> checked_language_command(e2e::vanta_app& app) {
    const auto items = menu_reader::read(app.process()->handle(), app.frame());
    if (!items) return std::nullopt;
    for (const menu_reader::item& item : *items) {
        if (item.depth == 2 && item.radio && item.checked) return item.id;
    }
    return std::nullopt;
}

// Any dialog or message box of vanta but `previous` (which may still be closing).
HWND wait_for_box(e2e::vanta_app& app, HWND previous) {
    dialog_driver::window_query query;
    query.any_caption = true;
    query.process_id = app.process()->id();
    query.class_name = L"#32770";
    query.exclude = previous;
    return dialog_driver::wait_for_window(query);
}

// The update dialog's texts in `language`, as the library shows them.
std::wstring library_text(DWORD language, unsigned id) {
    const auto text = orv::builtin_text(language, id);
    return text ? std::wstring(*text) : std::wstring();
}

// Every language but English (whose screens the journeys above take) at 96 DPI; German, the
// longest, and Japanese at the higher DPIs too.
struct language_row {
    DWORD id;
    const wchar_t* tag;  // of the screenshots' names
};
constexpr language_row every_language[] = {{0x0804, L"zh"}, {0x0404, L"zh_tw"}, {0x0407, L"de"},
                                           {0x040C, L"fr"}, {0x0C0A, L"es"},    {0x0416, L"pt_br"},
                                           {0x0411, L"ja"}, {0x0412, L"ko"}};
constexpr language_row higher_dpi_languages[] = {{0x0407, L"de"}, {0x0411, L"ja"}};

// The parameter is the display's DPI, the one the row's Wine prefix is set to.
class vanta_update_dialog_screens : public ::testing::TestWithParam<UINT> {
protected:
    void SetUp() override {
        if (!e2e::vanta_app::built()) GTEST_SKIP() << "vanta.exe not built";
        if (!ftp_fixture::available()) GTEST_SKIP() << "needs the local FTP server";
        relay_.emplace(server_port());
        ASSERT_TRUE(relay_->ready());
    }

    e2e::vanta_setup setup(DWORD language, bool scheduled_check) const {
        e2e::vanta_setup setup;
        setup.language_id = language;
        setup.update_server = relay_->address();
        setup.registry = {{update_settings_key, L"AutoUpdateCheck", scheduled_check ? 1u : 0u}};
        return setup;
    }

    // The screenshot `name` (at 96 DPI; other DPIs add theirs to the name), then the texts.
    picture take() const {
        const UINT dpi = GetParam();
        return [dpi](e2e::vanta_app& app, const std::wstring& name) {
            const std::wstring screen =
                dpi == 96 ? name : name + L"_" + std::to_wstring(dpi) + L"dpi";
            EXPECT_TRUE(app.screenshot(screen));
            expect_texts_fit(app, dpi, screen);
        };
    }

    // vanta's screens and every state of the update dialog in one language, in one run of
    // vanta: the firmware question, the main window, About, the recovery offer, the restart box,
    // then connecting, a retry, could not connect, no update and update available.
    void every_screen(const language_row& language) {
        const picture shoot = take();
        const std::wstring tag = language.tag;
        ASSERT_TRUE(serve_only(unversioned));
        e2e::vanta_setup settings = setup(language.id, false);
        settings.version_file = "K58x=7222201200000000;\r\n";
        settings.traditional_chinese_libraries = true;
        settings.more_languages = true;
        e2e::vanta_app app(L"vanta_update_dialog_screens." + tag, settings);
        ASSERT_TRUE(app.ready());
        app.devices().plug(hid_stack::calculator_device(u"Lab", older_firmware));
        ASSERT_TRUE(app.start());

        HWND box = nullptr;
        auto shoot_and_close = [&](const std::wstring& name, int button) {
            box = wait_for_box(app, box);
            ASSERT_TRUE(box) << e2e::narrow(name);
            shoot(app, name);
            ASSERT_TRUE(dialog_driver::press_button(box, button));
            ASSERT_TRUE(dialog_driver::wait_until_gone(box));
        };
        shoot_and_close(L"screens_firmware_question_" + tag, IDCANCEL);
        ASSERT_FALSE(HasFatalFailure());
        shoot(app, L"screens_main_window_" + tag);
        ASSERT_TRUE(app.command(about_command));
        shoot_and_close(L"screens_about_" + tag, IDOK);
        ASSERT_FALSE(HasFatalFailure());
        // The offer for a calculator in recovery mode, declined.
        e2e::sim_device recovery;
        auto arrival = app.plug_in_async(hid_stack::recovery_device(), recovery);
        shoot_and_close(L"screens_calculator_detected_" + tag, IDCANCEL);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_TRUE(arrival->wait());
        ASSERT_TRUE(open_file_menu(app));
        const std::optional<UINT> own = checked_language_command(app);
        ASSERT_TRUE(own) << "the language in use is checked in the menu";
        ASSERT_TRUE(app.command(*own));
        shoot_and_close(L"screens_language_restart_" + tag, IDOK);
        ASSERT_FALSE(HasFatalFailure());

        const dialog_texts texts = {library_text(language.id, 158), library_text(language.id, 151),
                                    library_text(language.id, 155)};
        HWND dialog =
            check_while_held(app, *relay_, box, texts, shoot, L"update_dialog_connecting_" + tag);
        ASSERT_TRUE(dialog);
        EXPECT_TRUE(dialog_driver::wait_for_text(
            dialog, status_text, orv::format_retry_text(library_text(language.id, 156), 1)));
        shoot(app, L"update_dialog_retry_" + tag);
        EXPECT_TRUE(
            dialog_driver::wait_for_text(dialog, status_text, library_text(language.id, 153)));
        shoot(app, L"update_dialog_could_not_connect_" + tag);
        ASSERT_TRUE(dialog_driver::press_button(dialog, not_now_button));
        ASSERT_TRUE(dialog_driver::wait_until_gone(dialog));

        ASSERT_TRUE(serve_only(same_version));
        dialog = check_outcome(app, dialog, false, texts, shoot, L"update_dialog_no_update_" + tag);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(serve_only(newer_version));
        ASSERT_TRUE(
            check_outcome(app, dialog, true, texts, shoot, L"update_dialog_available_" + tag));
        EXPECT_TRUE(app.stop());
    }

    saved_dwords schedule_{update_settings_key, {L"NextUpdateDate", L"AutoUpdateCheck"}};
    saved_dwords language_{e2e::vanta_settings_key, {L"LanguageId"}};
    std::optional<gated_relay> relay_;
};

TEST_P(vanta_update_dialog_screens, main_window_firmware_question_about_and_language_restart) {
    const picture shoot = take();
    e2e::vanta_setup settings = setup(0x0409, false);
    settings.version_file = "K58x=7222201200000000;\r\n";
    e2e::vanta_app app(L"vanta_update_dialog_screens.main", settings);
    ASSERT_TRUE(app.ready());
    app.devices().plug(hid_stack::calculator_device(u"Lab", older_firmware));
    ASSERT_TRUE(app.start());
    EXPECT_TRUE(app.wait_for_status(new_hardware));

    // Each box is shot as it comes and closed with `button`.
    auto shoot_and_close = [&](const wchar_t* caption, const wchar_t* name, int button) {
        HWND box = app.wait_for_dialog(caption);
        ASSERT_TRUE(box) << caption;
        shoot(app, name);
        ASSERT_TRUE(dialog_driver::press_button(box, button));
        ASSERT_TRUE(dialog_driver::wait_until_gone(box));
    };
    shoot_and_close(L"Firmware Upgrade", L"screens_firmware_question", IDCANCEL);
    ASSERT_FALSE(HasFatalFailure());
    shoot(app, L"screens_main_window");

    ASSERT_TRUE(app.command(about_command));
    shoot_and_close(L"About Orv Vanta Kit", L"screens_about", IDOK);
    ASSERT_FALSE(HasFatalFailure());

    ASSERT_TRUE(open_file_menu(app));
    ASSERT_TRUE(app.command(second_language_command));
    dialog_driver::window_query box;
    box.caption = L"Orv Vanta Kit";
    box.process_id = app.process()->id();
    box.class_name = L"#32770";  // not the frame, which has the same caption
    HWND restart = dialog_driver::wait_for_window(box);
    ASSERT_TRUE(restart);
    shoot(app, L"screens_language_restart");
    ASSERT_TRUE(dialog_driver::press_button(restart, IDOK));
    ASSERT_TRUE(dialog_driver::wait_until_gone(restart));
    EXPECT_TRUE(app.stop());
}

TEST_P(vanta_update_dialog_screens, english_from_connecting_through_retries_to_each_outcome) {
    const picture shoot = take();
    ASSERT_TRUE(serve_only(unversioned));
    e2e::vanta_app app(L"vanta_update_dialog_screens.english", setup(0x0409, false));
    ASSERT_TRUE(app.ready());
    ASSERT_TRUE(app.start());

    // No versioned package: two retries 3 s apart, then the offer to look in a browser.
    HWND dialog =
        check_while_held(app, *relay_, nullptr, english, shoot, L"update_dialog_connecting_en");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(
        dialog_driver::wait_for_text(dialog, status_text, L"\nConnecting to server. Retry #1..."));
    shoot(app, L"update_dialog_retry_en");
    EXPECT_TRUE(dialog_driver::wait_for_text(
        dialog, status_text,
        L"Could not connect to the update server.\n\nPlease check your Internet connection, or "
        L"click the Check Online\nbutton below to manually check for an update in a web "
        L"browser."));
    shoot(app, L"update_dialog_could_not_connect_en");
    ASSERT_TRUE(dialog_driver::press_button(dialog, not_now_button));
    ASSERT_TRUE(dialog_driver::wait_until_gone(dialog));

    ASSERT_TRUE(serve_only(same_version));
    dialog = check_outcome(app, dialog, false, english, shoot, L"update_dialog_no_update_en");
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(serve_only(newer_version));
    ASSERT_TRUE(check_outcome(app, dialog, true, english, shoot, L"update_dialog_available_en"));
    EXPECT_TRUE(app.process()->running());
    EXPECT_TRUE(app.stop());
}

TEST_P(vanta_update_dialog_screens, chinese_notification_and_menu_check_states) {
    const picture shoot = take();
    const std::wstring chinese_library = e2e::join(e2e::program_dir(), L"vantaCHS.dll");
    if (!e2e::file_exists(chinese_library)) GTEST_SKIP() << "vantaCHS.dll not built";
    ASSERT_TRUE(serve_only(newer_version));
    // Due now: the scheduled check at start-up finds the package and opens its form.
    e2e::delete_value(HKEY_CURRENT_USER, update_settings_key, L"NextUpdateDate");
    e2e::vanta_app app(L"vanta_update_dialog_screens.chinese", setup(0x0804, true));
    ASSERT_TRUE(app.ready());
    ASSERT_TRUE(app.start());

    HWND form = wait_for_update_dialog(app.process()->id(), nullptr);
    ASSERT_TRUE(form);
    EXPECT_TRUE(dialog_driver::wait_for_text(form, status_text, chinese.available));
    shoot(app, L"update_dialog_notification_zh");
    RECT placed{};
    ::GetWindowRect(form, &placed);
    EXPECT_EQ(placed.left, 0) << "the notification's place on the screen, at every DPI";
    EXPECT_EQ(placed.top, 0);
    ASSERT_TRUE(dialog_driver::press_button(form, not_now_button));
    ASSERT_TRUE(dialog_driver::wait_until_gone(form));

    HWND dialog =
        check_while_held(app, *relay_, form, chinese, shoot, L"update_dialog_connecting_zh");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog_driver::wait_for_text(dialog, status_text, chinese.available));
    shoot(app, L"update_dialog_available_zh");
    ASSERT_TRUE(dialog_driver::press_button(dialog, not_now_button));
    ASSERT_TRUE(dialog_driver::wait_until_gone(dialog));

    ASSERT_TRUE(serve_only(same_version));
    ASSERT_TRUE(check_outcome(app, dialog, false, chinese, shoot, L"update_dialog_no_update_zh"));
    EXPECT_TRUE(app.stop());
}

// Languages switch within the row's prefix: one vanta folder per language, one prefix per DPI.
TEST_P(vanta_update_dialog_screens, every_language_on_every_screen) {
    if (!e2e::file_exists(e2e::join(e2e::program_dir(), L"vantaDEU.dll"))) {
        GTEST_SKIP() << "the language libraries are not built";
    }
    const bool all = GetParam() == 96;
    const auto rows = all ? std::span<const language_row>(every_language)
                          : std::span<const language_row>(higher_dpi_languages);
    for (const language_row& language : rows) {
        SCOPED_TRACE(e2e::narrow(language.tag));
        every_screen(language);
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(at, vanta_update_dialog_screens, ::testing::Values(96u, 144u, 192u),
                         [](const auto& info) { return "dpi" + std::to_string(info.param); });

}  // namespace
