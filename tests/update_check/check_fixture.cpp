#include "tests/update_check/check_fixture.h"

#include <commctrl.h>
#include <oleacc.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "tests/support/machine_settings.h"
#include "tests/support/signing/trusted_publishers.h"

namespace orv_test {
namespace {

std::wstring environment(const wchar_t* name, bool& present) {
    DWORD length = ::GetEnvironmentVariableW(name, nullptr, 0);
    present = length > 0;
    if (!present) return {};
    std::wstring value(length, L'\0');
    length = ::GetEnvironmentVariableW(name, value.data(), length);
    value.resize(length);
    return value;
}

std::wstring from_utf8(const std::string& bytes) {
    int length =
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                          length);
    return text;
}

void remove_tree(const std::wstring& directory) {
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((directory + L"*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = directory + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(path + L"\\");
            } else {
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(directory.c_str());
}

// Closes what a failed test may have left open: update dialogs and message boxes of ours.
void close_leftover_windows() {
    dialog_driver::window_query query;
    query.any_caption = true;
    query.process_id = ::GetCurrentProcessId();
    query.class_name = L"#32770";
    for (int i = 0; i < 8; ++i) {
        HWND window = dialog_driver::find_window(query);
        if (!window) break;
        dialog_driver::close_window(window);
        dialog_driver::wait_until_gone(window, std::chrono::milliseconds(3000));
    }
}

}  // namespace

scoped_environment::scoped_environment(const wchar_t* name, const std::wstring& value)
    : name_(name) {
    old_value_ = environment(name, had_value_);
    ::SetEnvironmentVariableW(name, value.c_str());
}

scoped_environment::~scoped_environment() {
    ::SetEnvironmentVariableW(name_.c_str(), had_value_ ? old_value_.c_str() : nullptr);
}

namespace {

std::mutex recorded_lock;
std::vector<int> recorded_positions;
HWND recorded_bar = nullptr;

LRESULT CALLBACK record_progress(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
        std::lock_guard<std::mutex> lock(recorded_lock);
        if (sent->message == PBM_SETPOS && sent->hwnd == recorded_bar) {
            recorded_positions.push_back(static_cast<int>(sent->wParam));
        }
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

progress_recorder::progress_recorder(HWND dialog) {
    {
        std::lock_guard<std::mutex> lock(recorded_lock);
        recorded_positions.clear();
        recorded_bar = ::GetDlgItem(dialog, progress_bar);
    }
    hook_ = ::SetWindowsHookExW(WH_CALLWNDPROC, &record_progress, nullptr,
                                ::GetWindowThreadProcessId(dialog, nullptr));
}

progress_recorder::~progress_recorder() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
}

std::vector<int> progress_recorder::positions() const {
    std::lock_guard<std::mutex> lock(recorded_lock);
    return recorded_positions;
}

bool settled_on(HWND dialog, int id) {
    return dialog_driver::wait_until([&] {
        // The default first: the answer waits for the handler the dialog is in to end.
        DWORD_PTR answer = 0;
        GUITHREADINFO thread{};
        thread.cbSize = sizeof(thread);
        return ::SendMessageTimeoutW(dialog, DM_GETDEFID, 0, 0, SMTO_BLOCK, 5000, &answer) &&
               answer == static_cast<DWORD_PTR>(MAKELONG(id, DC_HASDEFID)) &&
               ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &thread) &&
               thread.hwndFocus == ::GetDlgItem(dialog, id);
    });
}

namespace {

struct announcement {
    std::wstring status;
    std::wstring progress_name;
};
std::mutex announced_lock;
std::vector<announcement> announced;

// The name a screen reader gives the control (its client object's accName, through oleacc).
std::wstring accessible_name(HWND control) {
    // IID_IAccessible, spelt out: oleacc's and uuid's import libraries both define it.
    static const IID accessible{
        0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    IAccessible* object = nullptr;
    if (!control || FAILED(::AccessibleObjectFromWindow(control, OBJID_CLIENT, accessible,
                                                        reinterpret_cast<void**>(&object)))) {
        return {};
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring result;
    if (object->get_accName(self, &name) == S_OK && name) result = name;
    ::SysFreeString(name);
    object->Release();
    return result;
}

void CALLBACK record_announcement(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                                  DWORD) {
    if (object != OBJID_CLIENT || child != CHILDID_SELF || !window) return;
    if (::GetDlgCtrlID(window) != status_text) return;
    // In context: on the thread that owns the control, so its texts can be read here.
    wchar_t status[512] = {};
    ::GetWindowTextW(window, status, 512);
    announcement heard{status, accessible_name(::GetDlgItem(::GetParent(window), progress_bar))};
    std::lock_guard<std::mutex> lock(announced_lock);
    announced.push_back(std::move(heard));
}

}  // namespace

status_announcements::status_announcements() {
    {
        std::lock_guard<std::mutex> lock(announced_lock);
        announced.clear();
    }
    hook_ = ::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE,
                              ::GetModuleHandleW(nullptr), &record_announcement,
                              ::GetCurrentProcessId(), 0, WINEVENT_INCONTEXT);
}

status_announcements::~status_announcements() {
    if (hook_) ::UnhookWinEvent(hook_);
}

bool status_announcements::heard(const std::wstring& text) const {
    return dialog_driver::wait_until([&] {
        std::lock_guard<std::mutex> lock(announced_lock);
        return std::any_of(announced.begin(), announced.end(),
                           [&](const announcement& a) { return a.status == text; });
    });
}

std::wstring status_announcements::progress_name_with(const std::wstring& text) const {
    std::lock_guard<std::mutex> lock(announced_lock);
    for (const announcement& a : announced) {
        if (a.status == text) return a.progress_name;
    }
    return {};
}

std::vector<int> expected_progress_steps(std::size_t size) {
    if (size == 0) return {100};
    std::vector<int> steps;
    for (std::size_t received = 0; received < size;) {
        received = std::min(received + 1024, size);
        const int percent = static_cast<int>(received * 100 / size);
        if (steps.empty() || steps.back() != percent) steps.push_back(percent);
    }
    return steps;
}

modal_call::modal_call(std::function<void()> call) {
    std::packaged_task<void()> task(std::move(call));
    done_ = task.get_future();
    thread_ = std::thread(std::move(task));
}

modal_call::~modal_call() {
    if (!returned(std::chrono::milliseconds(0))) {
        close_leftover_windows();
        returned(std::chrono::milliseconds(10000));
    }
    if (returned(std::chrono::milliseconds(0))) {
        thread_.join();
    } else {
        thread_.detach();
    }
}

bool modal_call::returned(std::chrono::milliseconds timeout) {
    return done_.valid() && done_.wait_for(timeout) == std::future_status::ready;
}

void check_fixture::SetUp() {
    ASSERT_TRUE(library().complete()) << "OrvUpdateCheck.dll or one of its ordinals is missing";
    ASSERT_TRUE(ftp_fixture::available()) << "run through tests/support/ftp_server/with-ftp-server";
    ASSERT_TRUE(ftp_fixture::set_update_server(ftp_fixture::server_address()));
    // Packages are signed by the test publisher, whose key the machine trusts.
    std::wstring pin = test_signing::test_publisher_pin(program_directory());
    ASSERT_EQ(pin.size(), 64u) << "test_publisher.pin missing beside the test";
    ASSERT_TRUE(test_signing::set_trusted_publishers({pin}));
    ASSERT_TRUE(test_support::allow_unprotected_download_folder(true));
    // The HTTPS server's root is trusted before anything in this process opens a connection.
    if (https_fixture::available()) {
        ASSERT_TRUE(https_fixture::trust_test_root());
    }
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    std::string name = std::string(test->test_suite_name()) + "_" + test->name();
    // Parametrised tests are named "Prefix/Suite" and "Case/N": no folders inside the name.
    std::replace(name.begin(), name.end(), '/', '_');
    temporary_ = std::wstring(base) + L"orv_" + std::wstring(name.begin(), name.end()) + L"\\";
    remove_tree(temporary_);
    // Every test starts without the download place: the library makes it anew, protected.
    remove_tree(download_parent());
    ASSERT_TRUE(::CreateDirectoryW(temporary_.c_str(), nullptr));
    tmp_ = std::make_unique<scoped_environment>(L"TMP", temporary_);
    temp_ = std::make_unique<scoped_environment>(L"TEMP", temporary_);
    marker_ = std::make_unique<scoped_environment>(L"ORV_PACKAGE_MARKER", marker_path());
}

void check_fixture::TearDown() {
    close_leftover_windows();
    marker_.reset();
    temp_.reset();
    tmp_.reset();
    if (!temporary_.empty()) remove_tree(temporary_);
}

std::wstring check_fixture::download_parent() {
    PWSTR program_data = nullptr;
    if (FAILED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &program_data))) return {};
    std::wstring parent = std::wstring(program_data) + L"\\OrvUpdateCheck\\";
    ::CoTaskMemFree(program_data);
    return parent;
}

std::wstring check_fixture::program_directory() {
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.rfind(L'\\') + 1);
}

void check_fixture::publish_package(const std::wstring& relative, const std::wstring& stub) {
    ASSERT_TRUE(ftp_fixture::copy_file(program_directory() + stub, relative));
}

std::string check_fixture::package_bytes() {
    std::string bytes;
    ftp_fixture::read_file(program_directory() + L"package_stub_signed.exe", bytes);
    return bytes;
}

void check_fixture::publish_list(const std::wstring& directory,
                                 const std::vector<std::string>& names) {
    std::string list = "# packages\r\n";
    for (const std::string& name : names) {
        std::string bytes;
        ftp_fixture::read_file(
            ftp_fixture::served_path(directory + L"/" + std::wstring(name.begin(), name.end())),
            bytes);
        list += https_fixture::list_line(name, bytes.size());
    }
    ASSERT_TRUE(ftp_fixture::write_file(directory + L"/Orv_Vanta_Kit.list", list));
}

scoped_source::scoped_source(update_source source) {
    if (source == update_source::https) {
        EXPECT_TRUE(https_fixture::available())
            << "run through tests/support/https_server/with-https-server";
        EXPECT_TRUE(ftp_fixture::set_update_server(https_fixture::server_setting()));
        // The FTP server serves the same files: held up, it could not pass for the HTTPS one.
        EXPECT_TRUE(ftp_fixture::set_reply_delay(60000));
    }
}

scoped_source::~scoped_source() {
    ftp_fixture::set_reply_delay(0);
    ftp_fixture::set_update_server(ftp_fixture::server_address());
}

std::optional<std::string> check_fixture::downloaded(const std::wstring& name) const {
    std::string content;
    for (const std::wstring& path : files_named(name)) {
        if (ftp_fixture::read_file(path, content)) return content;
    }
    return std::nullopt;
}

std::vector<std::wstring> entries_under(const std::wstring& directory) {
    std::vector<std::wstring> found;
    std::vector<std::wstring> pending{directory};
    while (!pending.empty()) {
        std::wstring folder = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW entry;
        HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                pending.push_back(folder + name + L"\\");
                found.push_back(folder + name + L"\\");
            } else {
                found.push_back(folder + name);
            }
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::wstring> with_entry(std::vector<std::wstring> entries, const std::wstring& path) {
    entries.push_back(path);
    std::sort(entries.begin(), entries.end());
    return entries;
}

bool in_use(const std::wstring& path) {
    HANDLE folder =
        ::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(folder);
    return false;
}

std::vector<std::wstring> check_fixture::files_named(const std::wstring& name) const {
    std::vector<std::wstring> found;
    for (const std::wstring& directory : {temporary_, download_parent()}) {
        for (const std::wstring& path : entries_under(directory)) {
            std::size_t at = path.rfind(L'\\') + 1;
            if (::CompareStringOrdinal(path.c_str() + at, -1, name.c_str(), -1, TRUE) ==
                CSTR_EQUAL) {
                found.push_back(path);
            }
        }
    }
    return found;
}

std::vector<std::wstring> check_fixture::wait_for_marker(std::chrono::milliseconds timeout) {
    std::string bytes;
    dialog_driver::wait_until([&] { return ftp_fixture::read_file(marker_path(), bytes); },
                              timeout);
    std::vector<std::wstring> lines;
    std::wstring text = from_utf8(bytes);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool check_fixture::get_offered_package() {
    HWND dialog = wait_for_update_dialog();
    return dialog && dialog_driver::wait_for_text(dialog, status_text, update_available) &&
           dialog_driver::press_button(dialog, get_it_button);
}

HWND check_fixture::wait_for_update_dialog(HWND previous) {
    dialog_driver::window_query query;
    query.any_caption = true;
    query.process_id = ::GetCurrentProcessId();
    query.class_name = L"#32770";
    query.control_id = status_text;
    query.exclude = previous;
    return dialog_driver::wait_for_window(query);
}

}  // namespace orv_test
