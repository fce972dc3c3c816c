// The real vanta.exe, started as a user would start it and watched from outside: its main
// window, its status pane, the single-instance rule, and the resources built into it.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/dialog_driver/dialog_driver.h"

namespace {

const wchar_t main_title[] = L"Orv Vanta Kit";

std::filesystem::path program_path() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / L"vanta.exe";
}

class started_program {
public:
    started_program(const std::filesystem::path& program, const std::filesystem::path& folder) {
        std::wstring command = L"\"" + program.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        started_ = ::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                    nullptr, folder.c_str(), &startup, &info_) != FALSE;
    }
    ~started_program() {
        if (!started_) return;
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(info_.hProcess, 1);
            ::WaitForSingleObject(info_.hProcess, 10000);
        }
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
    }
    started_program(const started_program&) = delete;
    started_program& operator=(const started_program&) = delete;

    bool started() const { return started_; }
    DWORD id() const { return info_.dwProcessId; }
    bool wait_until_idle() const { return ::WaitForInputIdle(info_.hProcess, 60000) == 0; }
    bool running() const { return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code once the process has ended within `timeout_ms`; -1 if it has not.
    long exit_code_within(DWORD timeout_ms) const {
        if (::WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        ::GetExitCodeProcess(info_.hProcess, &code);
        return static_cast<long>(code);
    }

private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

struct title_search {
    const wchar_t* title;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_titled(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<title_search*>(data);
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    if (::lstrcmpW(text, search->title) == 0) search->found.push_back(window);
    return TRUE;
}

// Top-level windows with this title, of any process.
std::vector<HWND> windows_titled(const wchar_t* title) {
    title_search search{title, {}};
    ::EnumWindows(&collect_titled, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of the status bar's first pane, read as any other program can (WM_GETTEXT).
std::wstring status_text(HWND main_window) {
    HWND bar = ::FindWindowExW(main_window, nullptr, STATUSCLASSNAMEW, nullptr);
    wchar_t text[512] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(bar, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 10000,
                          &ignored);
    return text;
}

class vanta_exe_test : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() / L"vanta-exe-test";
        std::filesystem::create_directories(folder_);
        std::ofstream(folder_ / "version", std::ios::binary) << "K58x=7222201200000000;\r\n";
        ASSERT_TRUE(std::filesystem::exists(program_path())) << program_path();
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::filesystem::path folder_;
};

TEST_F(vanta_exe_test, shows_its_window_and_a_second_start_ends_at_once_without_one) {
    started_program first(program_path(), folder_);
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(first.wait_until_idle());
    HWND window = dialog_driver::wait_for_window(main_title, first.id());
    ASSERT_NE(window, nullptr) << "no window titled \"Orv Vanta Kit\"";
    ASSERT_EQ(::FindWindowW(nullptr, main_title), window);
    EXPECT_TRUE(dialog_driver::wait_until([&] {
        return status_text(window) == L"No Calculator Detected";
    })) << "status pane: \""
        << status_text(window) << '"';

    started_program second(program_path(), folder_);
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.exit_code_within(60000), 0) << "the second instance ends by itself";

    EXPECT_TRUE(first.running()) << "the first instance is undisturbed";
    EXPECT_EQ(windows_titled(main_title), std::vector<HWND>{window}) << "one main window";
    EXPECT_EQ(dialog_driver::window_title(window), main_title);
    EXPECT_EQ(status_text(window), L"No Calculator Detected");

    ASSERT_TRUE(dialog_driver::close_window(window));
    EXPECT_EQ(first.exit_code_within(60000), 0);
    EXPECT_TRUE(windows_titled(main_title).empty());
}

// Resources read from the program file itself.
class program_resources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = ::LoadLibraryExW(program_path().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_) ::FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

TEST_F(program_resources, manifest_asks_for_administrator_rights_and_common_controls_6) {
    HRSRC found = ::FindResourceW(module_, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(module_, found)));
    std::string manifest(data, ::SizeofResource(module_, found));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    const std::string processor = sizeof(void*) == 4 ? "x86" : "amd64";
    EXPECT_NE(manifest.find("processorArchitecture=\"" + processor + "\""), std::string::npos);
}

TEST_F(program_resources, version_is_1_0_0_20_in_us_english_with_code_page_1252) {
    std::wstring path = program_path().wstring();
    DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000014u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000014u);
    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04E4);
}

TEST_F(program_resources, menu_and_accelerators_of_the_main_frame) {
    HMENU menu = ::LoadMenuW(module_, MAKEINTRESOURCEW(128));
    ASSERT_NE(menu, nullptr);
    auto item = [](HMENU m, UINT position) {
        wchar_t text[128] = {};
        ::GetMenuStringW(m, position, text, 128, MF_BYPOSITION);
        return std::wstring(text) + L"|" +
               std::to_wstring(static_cast<int>(::GetMenuItemID(m, static_cast<int>(position))));
    };
    ASSERT_EQ(::GetMenuItemCount(menu), 3);
    HMENU file = ::GetSubMenu(menu, 0);
    HMENU update = ::GetSubMenu(menu, 1);
    HMENU help = ::GetSubMenu(menu, 2);
    EXPECT_EQ(item(menu, 0), L"&File|-1");
    EXPECT_EQ(item(file, 0), L"Check for Updates|32780");
    EXPECT_EQ(item(file, 1), L"&Language|32785");
    EXPECT_TRUE(::GetMenuState(file, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(item(file, 3), L"&Exit|57665");
    EXPECT_EQ(item(menu, 1), L"&Update|-1");
    EXPECT_EQ(item(update, 0), L"Update Calculator|32786");
    EXPECT_EQ(item(update, 1), L"Format && Update Calculator|32777");
    EXPECT_EQ(item(menu, 2), L"&Help|-1");
    EXPECT_EQ(item(help, 0), L"&Help|32779");
    EXPECT_EQ(item(help, 1), L"&About|57664");
    ::DestroyMenu(menu);

    HACCEL table = ::LoadAcceleratorsW(module_, MAKEINTRESOURCEW(128));
    ASSERT_NE(table, nullptr);
    ACCEL entries[32] = {};
    int count = ::CopyAcceleratorTableW(table, entries, 32);
    std::vector<std::wstring> keys;
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(entries[i].fVirt & FVIRTKEY);
        keys.push_back(std::to_wstring(entries[i].fVirt & (FCONTROL | FSHIFT | FALT)) + L"+" +
                       std::to_wstring(entries[i].key) + L"=" + std::to_wstring(entries[i].cmd));
    }
    auto accel = [](BYTE modifiers, WORD key, WORD command) {
        return std::to_wstring(modifiers) + L"+" + std::to_wstring(key) + L"=" +
               std::to_wstring(command);
    };
    std::vector<std::wstring> expected = {
        accel(FCONTROL, 'N', 57600),     accel(FCONTROL, 'O', 57601),
        accel(FCONTROL, 'S', 57603),     accel(FCONTROL, 'Z', 57643),
        accel(FCONTROL, 'X', 57635),     accel(FCONTROL, 'C', 57634),
        accel(FCONTROL, 'V', 57637),     accel(FALT, VK_BACK, 57643),
        accel(FSHIFT, VK_DELETE, 57635), accel(FCONTROL, VK_INSERT, 57634),
        accel(FSHIFT, VK_INSERT, 57637), accel(0, VK_F6, 57680),
        accel(FSHIFT, VK_F6, 57681),
    };
    EXPECT_EQ(keys, expected);
}

TEST_F(program_resources, strings_the_frame_shows) {
    auto text = [this](UINT id) {
        const wchar_t* data = nullptr;
        int length = ::LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&data), 0);
        return length > 0 ? std::wstring(data, length) : std::wstring(L"<missing>");
    };
    EXPECT_EQ(text(57344), L"Orv Vanta Kit");
    EXPECT_EQ(text(128), L"Orv Vanta Kit");
    EXPECT_EQ(text(104), L"Hardware Detected:  %0.2d" + std::wstring(101, L' '));
    EXPECT_EQ(text(104).size(), 126u);
    EXPECT_EQ(text(107), L"No Calculator Detected");
    EXPECT_EQ(text(108), L"New Hardware Detected");
    EXPECT_EQ(text(100),
              L"OLE initialization failed.  Make sure that the OLE libraries are the correct "
              L"version.");
    EXPECT_EQ(text(130),
              L"\nUntitled\nVelmo+\nAll Calc Project Files (*.CalcProj)\n.CalcProj\nCalcProj\n"
              L"CalcProj");
    EXPECT_EQ(text(59137), L"CAP");
    EXPECT_EQ(text(59138), L"NUM");
    EXPECT_EQ(text(59139), L"SCRL");
    EXPECT_NE(::FindResourceW(module_, MAKEINTRESOURCEW(128), RT_GROUP_ICON), nullptr);
}

}  // namespace
