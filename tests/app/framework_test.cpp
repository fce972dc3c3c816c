// Pieces of the framework that the program relies on: command maps, profile settings and the
// recent-file list.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <vector>

#include "framework/command_map.h"
#include "framework/profile.h"
#include "framework/recent_file_list.h"
#include "framework/window.h"

namespace {

class probe_ui final : public fw::cmd_ui {
public:
    using cmd_ui::cmd_ui;
    int enabled = -1;
    std::wstring text;
    void enable(bool on) override { enabled = on; }
    void set_check(bool) override {}
    void set_radio(bool) override {}
    void set_text(const std::wstring& value) override { text = value; }
};

TEST(command_map, dispatches_single_ids_and_ranges_with_later_entries_first) {
    fw::command_map map;
    std::vector<UINT> ran;
    map.on_command_range(28416, 28671, [&](UINT id) { ran.push_back(id); });
    map.on_command(28500, [&] { ran.push_back(1); });

    EXPECT_TRUE(map.handle(28416, fw::command_request::execute()));
    EXPECT_TRUE(map.handle(28671, fw::command_request::execute()));
    EXPECT_TRUE(map.handle(28500, fw::command_request::execute()));
    EXPECT_FALSE(map.handle(28672, fw::command_request::execute()));
    EXPECT_FALSE(map.handle(28415, fw::command_request::execute()));
    EXPECT_EQ(ran, (std::vector<UINT>{28416, 28671, 1}));

    EXPECT_TRUE(map.handle(28600, fw::command_request::probe()));
    EXPECT_EQ(ran.size(), 3u) << "a probe runs nothing";
}

TEST(command_map, update_handlers_answer_state_requests_only) {
    fw::command_map map;
    map.on_command(104, [] { FAIL() << "a state request ran the command"; });
    map.on_update(104, [](fw::cmd_ui& ui) {
        ui.enable(true);
        ui.set_text(L"state");
    });
    probe_ui ui(104);
    EXPECT_TRUE(map.handle(104, fw::command_request::update(ui)));
    EXPECT_EQ(ui.enabled, 1);
    EXPECT_EQ(ui.text, L"state");

    probe_ui other(105);
    EXPECT_FALSE(map.handle(105, fw::command_request::update(other)));
    EXPECT_EQ(other.enabled, -1);
}

// A window whose handler throws for one chosen message: the exception must stop at the
// framework's window procedure, never unwind through the system's dispatch.
class throwing_window final : public fw::window {
public:
    UINT throw_on = 0;

protected:
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == throw_on) throw std::runtime_error("handler failed");
        return window::window_proc(message, wparam, lparam);
    }
};

TEST(window, an_exception_in_a_handler_stops_at_the_window_procedure) {
    throwing_window creation_fails;
    creation_fails.throw_on = WM_CREATE;
    EXPECT_FALSE(creation_fails.create_ex(0, L"STATIC", L"", WS_POPUP, RECT{0, 0, 10, 10},
                                          nullptr, 0))
        << "a throwing WM_CREATE fails the creation";
    EXPECT_EQ(creation_fails.hwnd(), nullptr);

    throwing_window handled;
    handled.throw_on = WM_APP + 7;
    ASSERT_TRUE(handled.create_ex(0, L"STATIC", L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    EXPECT_EQ(handled.send(WM_APP + 7), 0);
    EXPECT_TRUE(::IsWindow(handled.hwnd())) << "the window goes on";
    EXPECT_TRUE(handled.destroy());
}

// Settings under a vendor key of the tests' own.
class profile_test : public ::testing::Test {
protected:
    const wchar_t* root = L"Software\\Orvatec Framework Tests";
    fw::profile settings{L"Orvatec Framework Tests", L"Profile App"};

    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, root); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, root); }

    DWORD raw_dword(const wchar_t* key, const wchar_t* value) {
        DWORD data = 0xDEADBEEF;
        DWORD size = sizeof(data);
        ::RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_DWORD, nullptr, &data, &size);
        return data;
    }
};

TEST_F(profile_test, an_empty_section_is_the_application_key_itself) {
    EXPECT_EQ(settings.get_int(L"", L"LanguageId", 0), 0u) << "absent means the default";
    ASSERT_TRUE(settings.write_int(L"", L"LanguageId", 0x0804));
    EXPECT_EQ(settings.get_int(L"", L"LanguageId", 0), 0x0804u);
    EXPECT_EQ(raw_dword(L"Software\\Orvatec Framework Tests\\Profile App", L"LanguageId"), 0x0804u);
}

TEST_F(profile_test, sections_are_subkeys_and_values_keep_their_types) {
    ASSERT_TRUE(settings.write_int(L"Settings", L"PreviewPages", 3));
    ASSERT_TRUE(settings.write_string(L"Recent File List", L"File1", L"C:\\a.CalcProj"));
    EXPECT_EQ(
        raw_dword(L"Software\\Orvatec Framework Tests\\Profile App\\Settings", L"PreviewPages"),
        3u);
    EXPECT_EQ(settings.get_string(L"Recent File List", L"File1", L""), L"C:\\a.CalcProj");
    EXPECT_EQ(settings.get_int(L"Recent File List", L"File1", 7), 7u) << "not a DWORD";
    EXPECT_EQ(settings.get_string(L"Settings", L"PreviewPages", L"none"), L"none")
        << "not a string";
    EXPECT_TRUE(settings.delete_section(L"Recent File List"));
    EXPECT_EQ(settings.get_string(L"Recent File List", L"File1", L"gone"), L"gone");
}

TEST_F(profile_test, a_string_stored_without_terminator_is_read_safely) {
    ASSERT_TRUE(settings.write_int(L"", L"probe", 1));
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Orvatec Framework Tests\\Profile App",
                              0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    const wchar_t unterminated[3] = {L'a', L'b', L'c'};
    ::RegSetValueExW(key, L"raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated),
                     sizeof(unterminated));
    ::RegCloseKey(key);
    EXPECT_EQ(settings.get_string(L"", L"raw", L""), L"abc");
}

TEST(profile, without_a_vendor_key_nothing_is_stored) {
    fw::profile none;
    EXPECT_FALSE(none.write_int(L"", L"x", 1));
    EXPECT_EQ(none.get_int(L"", L"x", 5), 5u);
}

TEST_F(profile_test, recent_file_list_keeps_four_newest_first_without_duplicates) {
    fw::recent_file_list recent(L"Recent File List", 4);
    for (const wchar_t* path : {L"C:\\1", L"C:\\2", L"C:\\3", L"C:\\4", L"C:\\5"}) {
        recent.add(path);
    }
    recent.add(L"c:\\3");
    ASSERT_EQ(recent.size(), 4u);
    EXPECT_EQ(recent[0], L"c:\\3");
    EXPECT_EQ(recent[1], L"C:\\5");
    EXPECT_EQ(recent[2], L"C:\\4");
    EXPECT_EQ(recent[3], L"C:\\2");

    recent.write(settings);
    fw::recent_file_list read_back(L"Recent File List", 4);
    read_back.read(settings);
    ASSERT_EQ(read_back.size(), 4u);
    EXPECT_EQ(read_back[0], L"c:\\3");
    EXPECT_EQ(read_back[3], L"C:\\2");

    // A shorter list leaves no stale entries behind.
    fw::recent_file_list shorter(L"Recent File List", 4);
    shorter.add(L"C:\\only");
    shorter.write(settings);
    EXPECT_EQ(settings.get_string(L"Recent File List", L"File1", L""), L"C:\\only");
    EXPECT_EQ(settings.get_string(L"Recent File List", L"File2", L"absent"), L"absent");
}

}  // namespace
