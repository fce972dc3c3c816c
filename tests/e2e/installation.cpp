#include "tests/e2e/installation.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "tests/support/test_hid_stack/harness/app_windows.h"

namespace e2e {

using namespace std::chrono_literals;

std::wstring environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length && length < 1024 ? value : L"";
}

std::optional<DWORD> run(const std::wstring& program, const std::wstring& arguments,
                         DWORD timeout_ms) {
    launch_options options;
    options.application = program;
    options.arguments = arguments;
    std::optional<child_process> child = child_process::launch(options);
    if (!child) return std::nullopt;
    return child->wait_for_exit(timeout_ms);
}

std::optional<std::wstring> read_string(HKEY root, const wchar_t* key, const wchar_t* name,
                                        REGSAM view) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t value[1024] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    LSTATUS status = ::RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size);
    ::RegCloseKey(opened);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return std::wstring(value);
}

bool key_exists(HKEY root, const wchar_t* key, REGSAM view) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, key, 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
    ::RegCloseKey(opened);
    return true;
}

std::optional<shortcut> read_shortcut(const std::wstring& path) {
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link)))) {
        return std::nullopt;
    }
    std::optional<shortcut> result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t target[MAX_PATH] = {}, directory[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
            SUCCEEDED(link->GetWorkingDirectory(directory, MAX_PATH))) {
            result = shortcut{target, directory};
        }
        file->Release();
    }
    link->Release();
    return result;
}

running_vanta start_from_shortcut(const std::wstring& path) {
    running_vanta vanta;
    const std::optional<shortcut> link = read_shortcut(path);
    if (!link) return vanta;
    launch_options options;
    options.application = link->target;
    options.working_directory = link->working_directory;
    vanta.process = child_process::launch(options);
    if (!vanta.process) return vanta;
    const DWORD id = vanta.process->id();
    dialog_driver::wait_until([&] { return (vanta.frame = find_frame_window(id)) != nullptr; },
                              30s);
    return vanta;
}

HWND wait_for_dialog(const std::wstring& caption, DWORD process, int control, HWND exclude,
                     dialog_driver::milliseconds timeout) {
    dialog_driver::window_query query;
    query.caption = caption;
    query.any_caption = caption.empty();
    query.process_id = process;
    query.class_name = L"#32770";
    query.control_id = control;
    query.exclude = exclude;
    return dialog_driver::wait_for_window(query, timeout);
}

}  // namespace e2e
