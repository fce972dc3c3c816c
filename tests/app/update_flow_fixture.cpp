#include "tests/app/update_flow_fixture.h"

#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/velmo_app.h"
#include "tests/app/language_fixture.h"
#include "tests/support/dialog_driver/dialog_driver.h"

namespace vanta_test {
namespace {

using beep_function = BOOL(WINAPI*)(UINT);
using message_box_function = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
using create_process_function = BOOL(WINAPI*)(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES,
                                              LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR,
                                              LPSTARTUPINFOW, LPPROCESS_INFORMATION);

// The spies' record and the real functions; the flow runs on the test's main thread only.
system_calls recorded;
beep_function real_beep = nullptr;
message_box_function real_message_box = nullptr;
create_process_function real_create_process = nullptr;

// Read by the user's thread while the flow runs.
std::atomic<std::size_t> beeps_heard{0};

BOOL WINAPI record_beep(UINT type) {
    recorded.beeps.push_back(type);
    ++beeps_heard;
    return real_beep(type);
}

int WINAPI record_message_box(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    prompt_call call;
    call.owner = owner;
    call.text = text ? text : L"(null)";
    call.caption = caption ? caption : L"(null)";
    call.type = type;
    call.answer = real_message_box(owner, text, caption, type);
    recorded.prompts.push_back(call);
    return call.answer;
}

bool writable(const void* memory) {
    MEMORY_BASIC_INFORMATION region{};
    if (!memory || ::VirtualQuery(memory, &region, sizeof(region)) == 0) return false;
    return (region.Protect & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE |
                              PAGE_EXECUTE_WRITECOPY)) != 0;
}

BOOL WINAPI record_create_process(LPCWSTR application, LPWSTR command_line,
                                  LPSECURITY_ATTRIBUTES process_attributes,
                                  LPSECURITY_ATTRIBUTES thread_attributes, BOOL inherit,
                                  DWORD flags, LPVOID environment, LPCWSTR directory,
                                  LPSTARTUPINFOW startup, LPPROCESS_INFORMATION information) {
    process_start start;
    start.application = application ? application : L"(null)";
    start.command_line = command_line ? command_line : L"(null)";
    start.command_line_writable = writable(command_line);
    start.security_attributes = process_attributes || thread_attributes;
    start.inherit_handles = inherit;
    start.creation_flags = flags;
    start.environment = environment != nullptr;
    start.directory = directory != nullptr;
    if (startup) {
        start.startup_size = startup->cb;
        STARTUPINFOW zero{};
        zero.cb = startup->cb;
        start.startup_rest_zero = std::memcmp(&zero, startup, sizeof(zero)) == 0;
    }
    start.created =
        real_create_process(application, command_line, process_attributes, thread_attributes,
                            inherit, flags, environment, directory, startup, information);
    if (start.created && information) {
        start.process = information->hProcess;
        start.thread = information->hThread;
        HANDLE watch = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), information->hProcess, ::GetCurrentProcess(),
                          &watch, SYNCHRONIZE, FALSE, 0);
        start.watch = std::make_shared<fw::kernel_handle>(watch);
    }
    recorded.starts.push_back(start);
    return start.created;
}

std::wstring wide(const std::string& text) {
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                          length);
    return out;
}

}  // namespace

user_action press(int id) {
    return [id](HWND window) { EXPECT_TRUE(dialog_driver::press_button(window, id)) << id; };
}

user_action press_key(WORD key) {
    return [key](HWND window) {
        // Keys go to the control that has the keyboard focus in the window's thread.
        HWND target = window;
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) &&
            info.hwndFocus && ::IsChild(window, info.hwndFocus)) {
            target = info.hwndFocus;
        }
        ::PostMessageW(target, WM_KEYDOWN, key, 1);
        ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    };
}

user_action close_box() {
    return [](HWND window) { EXPECT_TRUE(dialog_driver::close_window(window)); };
}

bool place_updater(const std::filesystem::path& folder) {
    return ::CopyFileW((bin_dir() + L"\\Updater.exe").c_str(), (folder / L"Updater.exe").c_str(),
                       FALSE) != FALSE;
}

bool same_path(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

void expect_updater_start(const process_start& start, const std::filesystem::path& directory,
                          const std::wstring& command_line) {
    EXPECT_EQ(start.application, directory.wstring() + L"\\Updater.exe");
    EXPECT_EQ(start.command_line, command_line);
    EXPECT_TRUE(start.command_line_writable);
    EXPECT_FALSE(start.security_attributes);
    EXPECT_EQ(start.inherit_handles, FALSE);
    EXPECT_EQ(start.creation_flags, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_FALSE(start.environment);
    EXPECT_FALSE(start.directory);
    EXPECT_EQ(start.startup_size, sizeof(STARTUPINFOW));
    EXPECT_TRUE(start.startup_rest_zero);
    ASSERT_TRUE(start.created);
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(start.process, &flags)) << "process handle left open";
    EXPECT_FALSE(::GetHandleInformation(start.thread, &flags)) << "thread handle left open";
}

void expect_updater_run(const std::vector<std::wstring>& run,
                        const std::filesystem::path& directory, const std::wstring& command_line) {
    ASSERT_EQ(run.size(), 3u);
    EXPECT_EQ(run[0], command_line);
    EXPECT_TRUE(same_path(run[1], directory.wstring())) << run[1];
    EXPECT_TRUE(same_path(run[2], directory.wstring() + L"\\Updater.exe")) << run[2];
}

void update_flow_test::SetUp() {
    frame_test::SetUp();
    folder = std::filesystem::current_path();
    ASSERT_TRUE(place_updater(folder));
    log = folder / L"updater-starts.log";
    std::error_code ignored;
    std::filesystem::remove(log, ignored);
    ::SetEnvironmentVariableW(L"VANTA_UPDATER_LOG", log.c_str());
    the_app.load_version_file();
    ASSERT_EQ(the_app.file_version_value(), current_firmware);
    plugged_.clear();

    recorded = system_calls{};
    beeps_heard = 0;
    spies_.push_back(std::make_unique<import_spy>("user32.dll", "MessageBeep",
                                                  reinterpret_cast<void*>(&record_beep)));
    spies_.push_back(std::make_unique<import_spy>("user32.dll", "MessageBoxW",
                                                  reinterpret_cast<void*>(&record_message_box)));
    spies_.push_back(std::make_unique<import_spy>("kernel32.dll", "CreateProcessW",
                                                  reinterpret_cast<void*>(&record_create_process)));
    for (const auto& spy : spies_) ASSERT_TRUE(spy->installed());
    real_beep = reinterpret_cast<beep_function>(spies_[0]->original());
    real_message_box = reinterpret_cast<message_box_function>(spies_[1]->original());
    real_create_process = reinterpret_cast<create_process_function>(spies_[2]->original());
}

void update_flow_test::TearDown() {
    frame_test::TearDown();
    updater_runs();  // no stand-in outlives its test
    spies_.clear();
    std::filesystem::current_path(folder);
    ::SetEnvironmentVariableW(L"VANTA_UPDATER_LOG", nullptr);
    std::error_code ignored;
    std::filesystem::remove(log, ignored);
}

std::vector<shown_window> update_flow_test::as_user(const std::function<void()>& modal,
                                                    std::vector<user_action> actions) {
    std::atomic<bool> returned{false};
    std::vector<shown_window> shown;
    std::thread user([&] {
        dialog_driver::window_query query;
        query.any_caption = true;
        query.process_id = ::GetCurrentProcessId();
        query.class_name = L"#32770";
        for (std::size_t next = 0;; ++next) {
            HWND window = nullptr;
            dialog_driver::wait_until(
                [&] { return returned || (window = dialog_driver::find_window(query)); },
                std::chrono::milliseconds(30000));
            if (!window) return;
            shown_window seen;
            seen.window = window;
            seen.caption = dialog_driver::window_title(window);
            seen.message = dialog_driver::control_text(window, 0xFFFF);
            seen.owner = ::GetWindow(window, GW_OWNER);
            seen.beeps_before = beeps_heard;
            seen.frame_enabled = frame && ::IsWindowEnabled(frame->hwnd());
            shown.push_back(seen);
            if (next < actions.size()) {
                actions[next](window);
            } else {
                dialog_driver::close_window(window);
            }
            // Gone, or hidden by the end of its modal run.
            dialog_driver::wait_until(
                [&] { return !::IsWindow(window) || !::IsWindowVisible(window); });
        }
    });
    modal();
    returned = true;
    user.join();
    return shown;
}

vanta_sim::sim_device& update_flow_test::plug_in(int number, std::uint64_t version) {
    vanta_sim::sim_device& device =
        platform.add_device(calculator_path(number), calculator_with_version(version));
    plugged_[number] = &device;
    if (frame) arrive(calculator_path(number));
    return device;
}

void update_flow_test::pull_out(int number) {
    platform.remove_device(calculator_path(number));
    remove(calculator_path(number));
}

std::uint32_t update_flow_test::update_starts(int number) {
    auto found = plugged_.find(number);
    return found == plugged_.end() ? 0
                                   : found->second->model().commands_received(
                                         vanta_sim::calc_model::command_update_start);
}

const system_calls& update_flow_test::calls() const { return recorded; }

void update_flow_test::forget_calls() {
    updater_runs();
    recorded = system_calls{};
    beeps_heard = 0;
    std::error_code ignored;
    std::filesystem::remove(log, ignored);
}

std::vector<std::vector<std::wstring>> update_flow_test::updater_runs() {
    for (const process_start& start : recorded.starts) {
        if (start.watch && *start.watch) {
            EXPECT_EQ(::WaitForSingleObject(start.watch->get(), 15000), WAIT_OBJECT_0)
                << "the updater stand-in did not end";
        }
    }
    std::vector<std::vector<std::wstring>> runs;
    std::optional<std::string> text = read_text(log.wstring());
    if (!text) return runs;
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::wstring> fields;
        std::istringstream parts(line);
        std::string field;
        while (std::getline(parts, field, '\t')) fields.push_back(wide(field));
        runs.push_back(fields);
    }
    return runs;
}

}  // namespace vanta_test
