// What the installer journeys share: running an installer to its end, reading what it left in
// the registry and the Start menu, starting vanta as its shortcut does, and waiting for the
// dialogs of a given process. Windows, under Wine.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "tests/support/dialog_driver/dialog_driver.h"
#include "tests/support/test_hid_stack/harness/process_launcher.h"

namespace e2e {

// The text of a message box.
inline constexpr int message_text = 0xFFFF;

// This process's environment variable `name`; empty when it is not set.
std::wstring environment(const wchar_t* name);

// Runs a program to its end; its exit code, or nothing when it did not start or end in time.
std::optional<DWORD> run(const std::wstring& program, const std::wstring& arguments,
                         DWORD timeout_ms = 120000);

// A REG_SZ value; `view` 0 is this program's own registry view, else KEY_WOW64_64KEY or
// KEY_WOW64_32KEY.
std::optional<std::wstring> read_string(HKEY root, const wchar_t* key, const wchar_t* name,
                                        REGSAM view = 0);
bool key_exists(HKEY root, const wchar_t* key, REGSAM view = 0);

struct shortcut {
    std::wstring target;
    std::wstring working_directory;
};

// What the shortcut at `path` starts, and where, as the shell reads it (COM initialised).
std::optional<shortcut> read_shortcut(const std::wstring& path);

// vanta as a shortcut starts it, with its frame up.
struct running_vanta {
    std::optional<child_process> process;
    HWND frame = nullptr;
};
running_vanta start_from_shortcut(const std::wstring& path);

// The next dialog (class #32770) of `process` with `caption` (any caption when empty) and a
// control `control`, other than `exclude`.
HWND wait_for_dialog(const std::wstring& caption, DWORD process, int control,
                     HWND exclude = nullptr,
                     dialog_driver::milliseconds timeout = std::chrono::seconds(30));

// Ends a started program that a failed step left running, so that no window outlives the test.
class ending_guard {
public:
    explicit ending_guard(child_process& process) : process_(process) {}
    ~ending_guard() {
        if (process_.running()) process_.terminate();
    }
    ending_guard(const ending_guard&) = delete;
    ending_guard& operator=(const ending_guard&) = delete;

private:
    child_process& process_;
};

}  // namespace e2e
