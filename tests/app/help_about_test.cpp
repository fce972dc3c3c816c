// Help, About and the update-check hook of a main frame hosted here. Help is observed through
// the program the shell runs for PDF files (a recorder registered for .pdf in the test
// prefix); the update check through what the real OrvUpdateCheck.dll does with the values it
// is given: the schedule it keeps for product 100 and the dialog it shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/about_dlg.h"
#include "app/resource.h"
#include "app/velmo_app.h"
#include "framework/framework_ids.h"
#include "tests/app/frame_fixture.h"
#include "tests/app/language_fixture.h"
#include "tests/support/dialog_driver/dialog_driver.h"

namespace vanta_test {
namespace {

constexpr wchar_t english_help[] = L"Updater Help.pdf";
constexpr wchar_t chinese_help[] = L"Updater Help CHS.pdf";

class shell_commands_test : public frame_test {
protected:
    void SetUp() override {
        frame_test::SetUp();
        the_app.set_startup(::GetModuleHandleW(nullptr), SW_HIDE);
        the_app.set_registry_key(L"Orvatec");
        ASSERT_TRUE(folder_.add_chinese());
        previous_directory_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_.folder());
        start();
        frame->set_language_support(&support_);
        support_.set_current_language(0x0409);
    }
    void TearDown() override {
        frame_test::TearDown();
        std::filesystem::current_path(previous_directory_);
    }

    // The recorder's marker: its path, working directory and command line.
    std::wstring marker() const { return folder_.path(L"recorder.txt"); }
    std::optional<std::string> wait_for_marker() const {
        std::optional<std::string> text;
        dialog_driver::wait_until([&] { return (text = read_text(marker())).has_value(); });
        return text;
    }
    static std::wstring recorder_command() {
        return L"\"" + bin_dir() + L"\\package_stub.exe\" \"%1\"";
    }

    program_folder folder_{L"shell"};
    language_support support_{folder_.program()};
    std::filesystem::path previous_directory_;
};

TEST_F(shell_commands_test, help_opens_the_chinese_document_only_for_chinese_languages) {
    pdf_association recorder(recorder_command());
    scoped_variable marker_variable(L"ORV_PACKAGE_MARKER", marker());
    std::ofstream(english_help) << "%PDF-1.4 english";
    std::ofstream(chinese_help) << "%PDF-1.4 chinese";

    const std::pair<language_chain::language_id, const wchar_t*> cases[] = {
        {0x0409, english_help}, {0x0407, english_help}, {0x0411, english_help},
        {0x0804, chinese_help}, {0x0C04, chinese_help}, {0x0004, chinese_help}};
    for (const auto& [language, document] : cases) {
        ::DeleteFileW(marker().c_str());
        support_.set_current_language(language);
        std::vector<seen_window> seen =
            answer_modal([&] { EXPECT_TRUE(frame->execute_command(ID_HELP_UPDATER)); });
        EXPECT_TRUE(seen.empty()) << language;

        std::optional<std::string> started = wait_for_marker();
        ASSERT_TRUE(started) << "the PDF program was not started for " << language;
        const std::string name(document, document + std::wcslen(document));
        EXPECT_NE(started->find(name + "\""), std::string::npos) << *started;
    }
}

TEST_F(shell_commands_test, help_without_a_pdf_program_asks_for_a_reader) {
    pdf_association none(L"");
    std::ofstream(english_help) << "%PDF-1.4 english";

    std::vector<seen_window> seen = answer_modal([&] { frame->open_help(); });

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, app_title);
    EXPECT_EQ(seen[0].text, L"Please install Adobe PDF Reader to view the help file.");
    EXPECT_FALSE(seen[0].cancel_visible) << "an OK button only";
}

TEST_F(shell_commands_test, help_without_the_document_ends_silently) {
    scoped_variable marker_variable(L"ORV_PACKAGE_MARKER", marker());
    for (const bool reader_registered : {true, false}) {
        SCOPED_TRACE(reader_registered ? "with a PDF program" : "without a PDF program");
        pdf_association association(reader_registered ? recorder_command() : L"");
        std::vector<seen_window> seen = answer_modal([&] {
            support_.set_current_language(0x0409);
            frame->open_help();
            support_.set_current_language(0x0804);
            frame->open_help();
        });
        // No box, not even the one asking for a reader.
        EXPECT_TRUE(seen.empty());
    }

    EXPECT_FALSE(read_text(marker())) << "a reader was started for a missing document";

    // The same commands with the document there do start the reader: the silence above was
    // the missing document's.
    pdf_association recorder(recorder_command());
    std::ofstream(chinese_help) << "%PDF-1.4 chinese";
    EXPECT_TRUE(answer_modal([&] { frame->open_help(); }).empty());
    std::optional<std::string> started = wait_for_marker();
    ASSERT_TRUE(started);
    EXPECT_NE(started->find("Updater Help CHS.pdf"), std::string::npos) << *started;
}

TEST_F(shell_commands_test, about_shows_the_program_version) {
    EXPECT_EQ(about_dlg::version_text(), L"Version 2012 2 22");

    std::wstring version;
    std::vector<seen_window> seen = answer_modal(
        [&] { EXPECT_TRUE(frame->execute_command(ID_APP_ABOUT)); }, IDOK,
        [&](HWND box) { version = dialog_driver::control_text(box, IDC_VERSION_INFO); });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"About Orv Vanta Kit");
    EXPECT_EQ(version, L"Version 2012 2 22");
    // After the icon: the texts.
    const std::vector<std::wstring> english = {L"Orv Vanta Kit", L"Copyright (C) 2012 Orvatec",
                                               L"Version 2012 2 22", L"OK"};
    ASSERT_EQ(seen[0].controls.size(), 5u);
    EXPECT_EQ(std::vector<std::wstring>(seen[0].controls.begin() + 1, seen[0].controls.end()),
              english);
}

// OrvGetNextUpdateDays of the library that vanta is bound to (ordinal 48).
int next_update_days(int product) {
    using days_function = int(__stdcall*)(int);
    HMODULE library = ::GetModuleHandleW(L"OrvUpdateCheck.dll");
    auto days = reinterpret_cast<days_function>(
        ::GetProcAddress(library, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(48))));
    return days ? days(product) : -1;
}

TEST_F(shell_commands_test, update_checks_reach_the_library_as_product_100_in_the_language) {
    saved_value next(update_key, L"NextUpdateDate");
    // The machine's update server is a port nothing listens on (local_update_server.cpp): a
    // check fails at once and stays on this machine.
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, update_key, L"NextUpdateDate");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, update_key, L"AutoUpdateCheck");

    // Automatic (scheduled): due, so the library starts its check and moves the date.
    frame->check_for_updates(true);
    EXPECT_EQ(next_update_days(100), 30);
    const std::optional<DWORD> scheduled = read_dword(update_key, L"NextUpdateDate");
    ASSERT_TRUE(scheduled);
    frame->check_for_updates(true);
    EXPECT_EQ(read_dword(update_key, L"NextUpdateDate"), scheduled) << "not due again";

    // From the menu: the dialog at once, with the automatic-check option, in the language.
    const std::pair<language_chain::language_id, const wchar_t*> cases[] = {
        {0x0409, L"Check for Update"}, {0x0804, L"检查更新"}};
    for (const auto& [language, caption] : cases) {
        support_.set_current_language(language);
        bool option_shown = false;
        std::vector<seen_window> seen = answer_modal(
            [&] { EXPECT_TRUE(frame->execute_command(ID_CHECK_FOR_UPDATES)); }, IDCANCEL,
            [&](HWND dialog) { option_shown = dialog_driver::control_visible(dialog, 1014); });
        ASSERT_EQ(seen.size(), 1u) << language;
        EXPECT_EQ(seen[0].caption, caption);
        EXPECT_TRUE(option_shown) << language;
    }
    EXPECT_EQ(main_frame::update_version_tag(), L"_2012_2_22");
}

TEST(vanta_exe_binding, the_loader_refuses_vanta_without_the_update_library) {
    program_folder folder(L"alone");
    const std::wstring program = folder.program();
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.folder().c_str(), &startup, &process)) {
        // Refused at once: only for the missing library, not for any other reason a start
        // can fail (a wrong path, say).
        const DWORD error = ::GetLastError();
        EXPECT_TRUE(error == ERROR_MOD_NOT_FOUND || error == ERROR_DLL_NOT_FOUND) << error;
        return;
    }
    ::CloseHandle(process.hThread);
    const bool ended = ::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    if (!ended) ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hProcess);
    EXPECT_TRUE(ended);
    EXPECT_EQ(code, 0xC0000135u) << "STATUS_DLL_NOT_FOUND";
}

}  // namespace
}  // namespace vanta_test
