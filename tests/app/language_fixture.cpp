#include "tests/app/language_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/dialog_driver/dialog_driver.h"

namespace vanta_test {
namespace {

// Before main, so before this process has a window: every closing message box would
// otherwise wait seconds for a window manager that Xvfb does not have.
const bool windows_unmanaged = dialog_driver::skip_window_manager_waits();

constexpr wchar_t pdf_class_key[] = L"Software\\Classes\\.pdf";
constexpr wchar_t recorder_class[] = L"VantaTest.PdfRecorder";
constexpr wchar_t recorder_command_key[] =
    L"Software\\Classes\\VantaTest.PdfRecorder\\shell\\open\\command";

std::optional<std::wstring> default_string(HKEY root, const wchar_t* key) {
    wchar_t data[512] = {};
    DWORD size = sizeof(data);
    if (::RegGetValueW(root, key, nullptr, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(data);
}

bool set_default_string(HKEY root, const wchar_t* key, const std::wstring& value) {
    return ::RegSetKeyValueW(root, key, nullptr, REG_SZ, value.c_str(),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

std::wstring window_text(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                          5000, &ignored);
    return text;
}

BOOL CALLBACK collect_child(HWND child, LPARAM data) {
    reinterpret_cast<std::vector<std::wstring>*>(data)->push_back(window_text(child));
    return TRUE;
}

seen_window describe(HWND window) {
    seen_window seen;
    seen.caption = dialog_driver::window_title(window);
    seen.text = dialog_driver::control_text(window, 0xFFFF);
    seen.cancel_visible = dialog_driver::control_visible(window, IDCANCEL);
    ::EnumChildWindows(window, &collect_child, reinterpret_cast<LPARAM>(&seen.controls));
    return seen;
}

}  // namespace

std::wstring bin_dir() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path().wstring();
}

program_folder::program_folder(const std::wstring& name) {
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   (L"vanta-language-" + std::to_wstring(::GetCurrentProcessId())) /
                                   name;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    folder_ = folder.wstring();
    EXPECT_TRUE(add(L"vanta.exe", L"vanta.exe"));
}

program_folder::~program_folder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool program_folder::add(const std::wstring& source, const std::wstring& name) const {
    return ::CopyFileW((bin_dir() + L"\\" + source).c_str(), path(name).c_str(), FALSE) != FALSE;
}

std::optional<DWORD> read_dword(const std::wstring& key, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                       &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

bool write_dword(const std::wstring& key, const wchar_t* name, DWORD value) {
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value,
                             sizeof(value)) == ERROR_SUCCESS;
}

saved_value::saved_value(std::wstring key, std::wstring name)
    : key_(std::move(key)), name_(std::move(name)) {
    DWORD size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), RRF_RT_ANY, &type_, nullptr,
                       &size) == ERROR_SUCCESS) {
        data_.resize(size);
        present_ =
            ::RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(),
                           RRF_RT_ANY | RRF_NOEXPAND, &type_, data_.data(), &size) == ERROR_SUCCESS;
    }
}

saved_value::~saved_value() {
    if (present_) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), type_, data_.data(),
                          static_cast<DWORD>(data_.size()));
    } else {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str());
    }
}

pdf_association::pdf_association(const std::wstring& command) {
    if (auto previous = default_string(HKEY_LOCAL_MACHINE, pdf_class_key)) {
        previous_ = *previous;
        had_previous_ = true;
    }
    if (command.empty()) {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, pdf_class_key);
        return;
    }
    EXPECT_TRUE(set_default_string(HKEY_LOCAL_MACHINE, recorder_command_key, command));
    EXPECT_TRUE(set_default_string(HKEY_LOCAL_MACHINE, pdf_class_key, recorder_class));
}

pdf_association::~pdf_association() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\VantaTest.PdfRecorder");
    if (had_previous_) {
        set_default_string(HKEY_LOCAL_MACHINE, pdf_class_key, previous_);
    } else {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, pdf_class_key);
    }
}

std::vector<seen_window> answer_modal(const std::function<void()>& modal, int button,
                                      const std::function<void(HWND)>& inspect) {
    std::atomic<bool> returned{false};
    std::vector<seen_window> seen;
    std::thread answerer([&] {
        dialog_driver::window_query query;
        query.any_caption = true;
        query.process_id = ::GetCurrentProcessId();
        query.class_name = L"#32770";
        for (;;) {
            HWND window = nullptr;
            dialog_driver::wait_until(
                [&] { return returned || (window = dialog_driver::find_window(query)) != nullptr; },
                std::chrono::milliseconds(30000));
            if (!window) return;
            seen.push_back(describe(window));
            if (inspect) inspect(window);
            if (!dialog_driver::press_button(window, button)) dialog_driver::close_window(window);
            dialog_driver::wait_until_gone(window);
        }
    });
    modal();
    returned = true;
    answerer.join();
    return seen;
}

scoped_variable::scoped_variable(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[2048] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, old, 2048);
    had_ = length > 0 && length < 2048;
    if (had_) old_ = old;
    ::SetEnvironmentVariableW(name, value.c_str());
}

scoped_variable::~scoped_variable() {
    ::SetEnvironmentVariableW(name_.c_str(), had_ ? old_.c_str() : nullptr);
}

std::optional<std::string> read_text(const std::wstring& path) {
    std::ifstream file{std::filesystem::path(path), std::ios::binary};
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace vanta_test
