// Starts a program under test with CreateProcessW, in a chosen working directory and with a
// changed environment, and watches it. Windows.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/unique_handle.h"

namespace e2e {

using environment_changes = std::vector<std::pair<std::wstring, std::wstring>>;

struct launch_options {
    std::wstring application;         // full path of the program
    std::wstring arguments;           // appended, after a blank, to the quoted program path
    std::wstring working_directory;   // empty: this process's
    environment_changes environment;  // variables to set or replace
    // Makes the program load hid.dll and setupapi.dll from its own folder (the test DLLs)
    // rather than Wine's (wine_prefix_setup.h).
    bool test_hid_stack = false;
};

// This process's environment with `changes` applied, as a CreateProcessW block.
std::wstring environment_block(const environment_changes& changes);

class child_process {
public:
    // nullopt if the program could not be started; `error` then holds GetLastError.
    static std::optional<child_process> launch(const launch_options& options,
                                               DWORD* error = nullptr);

    DWORD id() const { return id_; }
    HANDLE handle() const { return process_.get(); }
    bool running() const;
    // The exit code once the program has ended, nullopt if it still runs after `timeout_ms`.
    std::optional<DWORD> wait_for_exit(DWORD timeout_ms);
    void terminate();

private:
    child_process(HANDLE process, DWORD id) : process_(process), id_(id) {}

    fw::kernel_handle process_;
    DWORD id_ = 0;
};

}  // namespace e2e
