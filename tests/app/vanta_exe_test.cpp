// The real vanta.exe, started as a user would start it and watched from outside: its main
// window, its status pane, the single-instance rule, and the resources built into it.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
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

// The activation context the system builds from the program's manifest: what it declares,
// read back as Windows reads it. (Wine runs every program per-monitor aware, so the awareness
// a running vanta reports proves nothing.)
class program_activation_context : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring path = program_path().wstring();
        ACTCTXW request{};
        request.cbSize = sizeof(request);
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path.c_str();
        request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
        context_ = ::CreateActCtxW(&request);
        ASSERT_NE(context_, INVALID_HANDLE_VALUE);
    }
    void TearDown() override {
        if (context_ != INVALID_HANDLE_VALUE) ::ReleaseActCtx(context_);
    }
    HANDLE context_ = INVALID_HANDLE_VALUE;
};

struct declared_setting {
    const wchar_t* name_space;
    const wchar_t* name;
    const wchar_t* value;
};

class declared_windows_setting : public program_activation_context,
                                 public ::testing::WithParamInterface<declared_setting> {};

TEST_P(declared_windows_setting, reads_back_as_declared) {
    const declared_setting& setting = GetParam();
    wchar_t value[128] = {};
    SIZE_T written = 0;
    ASSERT_TRUE(
        ::QueryActCtxSettingsW(0, context_, setting.name_space, setting.name, value, 128, &written))
        << ::GetLastError();
    EXPECT_STREQ(value, setting.value);
}

// Per-monitor (v2) where Windows 10 knows it, else system-wide; Windows 7 to 8.1 read only the
// older setting.
INSTANTIATE_TEST_SUITE_P(
    dpi, declared_windows_setting,
    ::testing::Values(declared_setting{L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                       L"dpiAwareness", L"PerMonitorV2, System"},
                      declared_setting{L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                       L"dpiAware", L"true"}));

TEST_F(program_activation_context, names_windows_7_8_8_1_and_10_as_supported_systems) {
    alignas(8) BYTE buffer[512] = {};
    SIZE_T written = 0;
    ASSERT_TRUE(::QueryActCtxW(0, context_, nullptr, CompatibilityInformationInActivationContext,
                               buffer, sizeof(buffer), &written))
        << ::GetLastError();
    EXPECT_EQ(
        reinterpret_cast<const ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION*>(buffer)->ElementCount,
        4u);
    // Looked for by value: the size of an element differs between versions of the system.
    const GUID systems[] = {
        {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},  // 7
        {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},  // 8
        {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},  // 8.1
        {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},  // 10
    };
    const BYTE* end = buffer + std::min<SIZE_T>(written, sizeof(buffer));
    for (const GUID& system : systems) {
        const BYTE* id = reinterpret_cast<const BYTE*>(&system);
        EXPECT_NE(std::search(static_cast<const BYTE*>(buffer), end, id, id + sizeof(GUID)), end)
            << system.Data1;
    }
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
