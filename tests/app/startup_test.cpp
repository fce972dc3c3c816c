// The application object's start-up and shutdown in this process, with simulated calculators,
// and the documents behind Ctrl+N, Ctrl+O and Ctrl+S, driven through the real accelerators
// and file dialogs.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "app/resource.h"
#include "app/velmo_app.h"
#include "framework/doc_template.h"
#include "framework/document.h"
#include "framework/framework_ids.h"
#include "framework/mdi_child_window.h"
#include "tests/app/frame_fixture.h"
#include "tests/support/dialog_driver/dialog_driver.h"

namespace vanta_test {
namespace {

const wchar_t settings_key[] = L"Software\\Orvatec\\Orv Vanta Kit";

bool mutex_exists() {
    ::SetLastError(ERROR_SUCCESS);
    HANDLE probe = ::CreateMutexW(nullptr, FALSE, velmo_app::instance_mutex_name);
    bool exists = ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (probe) ::CloseHandle(probe);
    return exists;
}

std::wstring registry_string(const wchar_t* key, const wchar_t* value) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (::RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
        return L"<absent>";
    }
    return data;
}

// Presses a key combination on the main window as the message loop would see it.
bool press_accelerator(HWND window, WORD key, bool control) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    BYTE saved[256];
    std::copy(std::begin(keys), std::end(keys), std::begin(saved));
    keys[VK_CONTROL] = control ? 0x80 : 0;
    ::SetKeyboardState(keys);
    MSG message{window, WM_KEYDOWN, key, 1, static_cast<DWORD>(::GetMessageTime()), {}};
    bool translated = the_app.pre_translate_message(message);
    ::SetKeyboardState(saved);
    return translated;
}

// Types `path` into the file dialog titled `caption` and presses OK, from another thread,
// while this thread runs the dialog.
std::thread answer_file_dialog(const std::wstring& caption, const std::wstring& path) {
    return std::thread([caption, path] {
        HWND dialog = dialog_driver::wait_for_window(caption, ::GetCurrentProcessId());
        if (!dialog) return;
        // The file name box of the explorer-style dialog.
        HWND name_box = ::GetDlgItem(dialog, 0x47C);
        if (!name_box) name_box = ::GetDlgItem(dialog, 0x480);
        ::SendMessageW(name_box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        dialog_driver::press_button(dialog, IDOK);
    });
}

// Watches the status pane from timer messages, which come only while the loop has nothing
// else to do, until the idle update has rewritten it (or many turns have passed); then the
// frame closes.
HWND timer_frame = nullptr;
std::wstring seen_at_timer;
int timer_turns = 0;

void CALLBACK look_and_close(HWND, UINT, UINT_PTR id, DWORD) {
    seen_at_timer = status_text(timer_frame);
    if (seen_at_timer == L"before the loop" && ++timer_turns < 200) return;
    ::KillTimer(nullptr, id);
    ::PostMessageW(timer_frame, WM_CLOSE, 0, 0);
}

class start_up_test : public frame_test {
protected:
    void SetUp() override {
        frame_test::SetUp();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, settings_key);
        folder_ = std::filesystem::temp_directory_path() / L"vanta-start-up-test";
        std::filesystem::create_directories(folder_);
        the_app.set_device_seams(seams());
        // Hidden unless a test needs to see the window: withdrawing a shown one costs seconds
        // on a display without a window manager.
        the_app.set_startup(::GetModuleHandleW(nullptr), SW_HIDE);
    }
    void TearDown() override {
        if (the_app.main_window()) {
            ::SendMessageW(the_app.main_window()->hwnd(), WM_CLOSE, 0, 0);
            the_app.take_main_window().reset();
            the_app.exit_instance();
        }
        frame_test::TearDown();
        std::filesystem::remove_all(folder_);
    }
    // Closes the main window as the user would and shuts down as the message loop would.
    int shut_down() {
        ::SendMessageW(the_app.main_window()->hwnd(), WM_CLOSE, 0, 0);
        the_app.take_main_window().reset();
        return the_app.exit_instance();
    }
    std::wstring file(const wchar_t* name) const { return (folder_ / name).wstring(); }
    fw::document* active_document() const { return the_app.frame()->active_document(); }

    std::filesystem::path folder_;
};

TEST_F(start_up_test, start_up_shows_the_frame_lists_calculators_and_shuts_down_cleanly) {
    platform.add_device(calculator_path(1), calculator_with_version(0x7222201100000000ull));
    ASSERT_FALSE(mutex_exists());
    the_app.set_startup(::GetModuleHandleW(nullptr), SW_SHOWNORMAL);

    ASSERT_TRUE(the_app.init_instance());

    main_frame* frame = the_app.frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(mutex_exists()) << "the single-instance mutex is held";
    EXPECT_EQ(the_app.app_name(), L"Orv Vanta Kit");
    EXPECT_EQ(the_app.settings().application_key_path(), settings_key);
    EXPECT_TRUE(::IsWindowVisible(frame->hwnd()));
    wchar_t title[128] = {};
    ::GetWindowTextW(frame->hwnd(), title, 128);
    EXPECT_STREQ(title, L"Orv Vanta Kit");
    EXPECT_NE(::GetMenu(frame->hwnd()), nullptr);
    EXPECT_EQ(frame->devices().size(), 1u);
    EXPECT_EQ(status_text(frame->hwnd()), new_hardware_text);
    EXPECT_EQ(the_app.file_version_value(), 0x7222201200000000ull) << "version file read";
    EXPECT_EQ(take_later_firmware_prompts(frame->hwnd()), 1)
        << "the prompt waits in the queue until the started program's loop runs";

    fw::doc_template* templ = the_app.first_doc_template();
    ASSERT_NE(templ, nullptr);
    EXPECT_EQ(templ->get_doc_string(fw::doc_template::window_title), L"");
    EXPECT_EQ(templ->get_doc_string(fw::doc_template::doc_name), L"Untitled");
    EXPECT_EQ(templ->get_doc_string(fw::doc_template::file_new_name), L"Velmo+");
    EXPECT_EQ(templ->get_doc_string(fw::doc_template::filter_name),
              L"All Calc Project Files (*.CalcProj)");
    EXPECT_EQ(templ->get_doc_string(fw::doc_template::filter_ext), L".CalcProj");
    EXPECT_EQ(templ->get_doc_string(fw::doc_template::reg_file_type_id), L"CalcProj");
    EXPECT_EQ(templ->get_doc_string(fw::doc_template::reg_file_type_name), L"CalcProj");

    // File > Exit.
    HWND window = frame->hwnd();
    frame->send(WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_FALSE(::IsWindow(window));
    the_app.take_main_window().reset();
    EXPECT_EQ(the_app.exit_instance(), 0);
    EXPECT_FALSE(mutex_exists()) << "the mutex is closed at exit";
    EXPECT_EQ(main_frame::detected_count(), 0);
    HKEY key = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, settings_key, 0, KEY_READ, &key), ERROR_SUCCESS);
    if (key) ::RegCloseKey(key);
}

TEST_F(start_up_test, a_second_start_while_the_mutex_is_held_ends_at_once) {
    HANDLE held = ::CreateMutexW(nullptr, FALSE, velmo_app::instance_mutex_name);
    ASSERT_NE(held, nullptr);

    EXPECT_FALSE(the_app.init_instance());
    EXPECT_EQ(the_app.main_window(), nullptr) << "no window";
    EXPECT_EQ(the_app.exit_instance(), 0);

    ::CloseHandle(held);
    EXPECT_FALSE(mutex_exists()) << "exit processing closed its handle too";
}

TEST_F(start_up_test, message_loop_runs_idle_updates_and_ends_with_the_main_window) {
    // Idle updates are for a window that is shown.
    the_app.set_startup(::GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(the_app.init_instance());
    HWND frame = the_app.frame()->hwnd();
    the_app.frame()->status_bar().set_pane_text(0, L"before the loop");
    // A command posted before the loop runs once the loop takes it.
    int posted_runs = 0;
    the_app.frame()->commands().on_command(ID_LATER_FIRMWARE_PROMPT, [&] { ++posted_runs; });
    ::PostMessageW(frame, WM_COMMAND, ID_LATER_FIRMWARE_PROMPT, 0);

    // The timer's message comes only once the loop has gone idle and waits for input.
    timer_frame = frame;
    ::SetTimer(nullptr, 0, 1, &look_and_close);
    EXPECT_EQ(the_app.run(), 0);

    EXPECT_EQ(posted_runs, 1);
    EXPECT_EQ(seen_at_timer, no_calculator_text);
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_EQ(the_app.main_window(), nullptr);
    EXPECT_FALSE(mutex_exists());
}

TEST_F(start_up_test, popups_ask_items_for_their_state_and_gray_those_without_a_handler) {
    ASSERT_TRUE(the_app.init_instance());
    main_frame* frame = the_app.frame();
    HMENU file = ::GetSubMenu(::GetMenu(frame->hwnd()), 0);
    int asked = 0;
    frame->commands().on_update(ID_LANGUAGE, [&](fw::cmd_ui& ui) {
        ++asked;
        EXPECT_EQ(ui.menu(), file);
        EXPECT_EQ(ui.index(), 1u);
        // As a submenu builder would: the item gets a fresh submenu each time.
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_SUBMENU;
        info.hSubMenu = ::CreatePopupMenu();
        ::AppendMenuW(info.hSubMenu, MF_STRING, 28416, L"English");
        HMENU previous = ::GetSubMenu(file, 1);
        ::SetMenuItemInfoW(ui.menu(), ID_LANGUAGE, FALSE, &info);
        if (previous) ::DestroyMenu(previous);
        ui.enable(true);
    });
    HMENU probe = ::CreatePopupMenu();
    ::AppendMenuW(probe, MF_STRING, 40001, L"Nobody handles this");
    ::AppendMenuW(probe, MF_STRING, ID_APP_EXIT, L"Exit");

    frame->send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    frame->send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    frame->send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(probe), 1);

    EXPECT_EQ(asked, 2) << "also once the item carries a submenu";
    EXPECT_NE(::GetSubMenu(file, 1), nullptr);
    EXPECT_TRUE(::GetMenuState(probe, 40001, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(::GetMenuState(probe, ID_APP_EXIT, MF_BYCOMMAND) & MF_GRAYED)
        << "the application handles Exit";
    ::DestroyMenu(probe);
}

TEST_F(start_up_test, ctrl_n_opens_an_empty_untitled_document_that_closes_without_asking) {
    ASSERT_TRUE(the_app.init_instance());
    main_frame* frame = the_app.frame();

    EXPECT_TRUE(press_accelerator(frame->hwnd(), 'N', true));
    fw::document* doc = active_document();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->title(), L"Untitled1");
    EXPECT_FALSE(doc->is_modified());
    fw::mdi_child_window* child = frame->active_child();
    ASSERT_NE(child, nullptr);
    wchar_t text[128] = {};
    ::GetWindowTextW(child->hwnd(), text, 128);
    EXPECT_STREQ(text, L"Untitled1");
    ::GetWindowTextW(frame->hwnd(), text, 128);
    EXPECT_STREQ(text, L"Orv Vanta Kit - Untitled1");

    press_accelerator(frame->hwnd(), 'N', true);
    EXPECT_EQ(active_document()->title(), L"Untitled2");
    EXPECT_EQ(the_app.first_doc_template()->documents().size(), 2u);

    // Closing asks nothing (a question would block this call) and takes the document along.
    ::SendMessageW(frame->active_child()->hwnd(), WM_CLOSE, 0, 0);
    ::SendMessageW(frame->active_child()->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(frame->active_child(), nullptr);
    EXPECT_TRUE(the_app.first_doc_template()->documents().empty());
    ::GetWindowTextW(frame->hwnd(), text, 128);
    EXPECT_STREQ(text, L"Orv Vanta Kit");
}

TEST_F(start_up_test, ctrl_s_saves_an_empty_file_and_ctrl_o_opens_any_file_as_empty) {
    ASSERT_TRUE(the_app.init_instance());
    HWND frame = the_app.frame()->hwnd();
    std::wstring saved = file(L"first.CalcProj");
    std::wstring other = file(L"notes.txt");
    std::ofstream(std::filesystem::path(other)) << "not a project at all";

    press_accelerator(frame, 'N', true);
    std::thread save_as = answer_file_dialog(L"Save As", saved);
    EXPECT_TRUE(press_accelerator(frame, 'S', true));
    save_as.join();
    ASSERT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(std::filesystem::file_size(saved), 0u);
    EXPECT_EQ(active_document()->title(), L"first.CalcProj");

    std::filesystem::path working_directory = std::filesystem::current_path();
    std::thread open = answer_file_dialog(L"Open", other);
    EXPECT_TRUE(press_accelerator(frame, 'O', true));
    open.join();
    EXPECT_EQ(std::filesystem::current_path(), working_directory)
        << "the version file and the updater are still looked for where they were";
    ASSERT_NE(active_document(), nullptr);
    EXPECT_EQ(active_document()->title(), L"notes.txt");
    EXPECT_EQ(active_document()->path_name(), other);
    EXPECT_EQ(std::filesystem::file_size(other), 20u) << "opening changes nothing";

    EXPECT_EQ(shut_down(), 0);
    EXPECT_EQ(registry_string(L"Software\\Orvatec\\Orv Vanta Kit\\Recent File List", L"File1"),
              other);
    EXPECT_EQ(registry_string(L"Software\\Orvatec\\Orv Vanta Kit\\Recent File List", L"File2"),
              saved);
}

}  // namespace
}  // namespace vanta_test
