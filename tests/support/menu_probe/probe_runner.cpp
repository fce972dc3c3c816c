#include "tests/support/menu_probe/probe_runner.h"

#include <tlhelp32.h>

#include <string>

#include "tests/support/menu_probe/menu_probe_request.h"

namespace probe_runner {
namespace {

constexpr DWORD remote_timeout_ms = 10000;

std::wstring probe_path() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"menu_probe.dll";
}

// Runs `routine(parameter)` on a new thread of `process` and returns its exit code.
std::optional<DWORD> run_remote(HANDLE process, const void* routine, void* parameter) {
    HANDLE thread = ::CreateRemoteThread(
        process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(const_cast<void*>(routine)),
        parameter, 0, nullptr);
    if (!thread) return std::nullopt;
    std::optional<DWORD> result;
    DWORD code = 0;
    if (::WaitForSingleObject(thread, remote_timeout_ms) == WAIT_OBJECT_0 &&
        ::GetExitCodeThread(thread, &code)) {
        result = code;
    }
    ::CloseHandle(thread);
    return result;
}

// A copy of `size` bytes at `data` in `process`; freed by the caller.
void* copy_into(HANDLE process, const void* data, SIZE_T size) {
    void* remote =
        ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote && !::WriteProcessMemory(process, remote, data, size, nullptr)) {
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        remote = nullptr;
    }
    return remote;
}

// Where `process` has loaded the DLL at `path`, or null. (A thread's exit code holds only 32
// bits of the handle that LoadLibraryW returned there.)
const BYTE* module_base(HANDLE process, const std::wstring& path) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, ::GetProcessId(process));
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    const BYTE* base = nullptr;
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    for (BOOL more = ::Module32FirstW(snapshot, &module); more && !base;
         more = ::Module32NextW(snapshot, &module)) {
        if (::lstrcmpiW(module.szExePath, path.c_str()) == 0) base = module.modBaseAddr;
    }
    ::CloseHandle(snapshot);
    return base;
}

std::optional<std::wstring> read_output(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::wstring text(::GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    const BOOL ok = ::ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                               &read, nullptr);
    ::CloseHandle(file);
    if (!ok) return std::nullopt;
    return text;
}

}  // namespace

std::optional<std::wstring> run(HANDLE process, const char* export_name, HWND window) {
    const std::wstring dll = probe_path();
    HMODULE local = ::LoadLibraryW(dll.c_str());
    if (!local) return std::nullopt;
    const std::string decorated = std::string(export_name) + "@4";
    const auto* local_routine =
        reinterpret_cast<const BYTE*>(::GetProcAddress(local, decorated.c_str()));
    if (!local_routine) {
        local_routine = reinterpret_cast<const BYTE*>(::GetProcAddress(local, export_name));
    }
    // kernel32 lies at the same address in every process of a session.
    const void* load_library = reinterpret_cast<const void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW"));
    const void* free_library = reinterpret_cast<const void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "FreeLibrary"));

    wchar_t temporary[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temporary);
    menu_probe_request request{};
    request.window = window;
    const std::wstring output = std::wstring(temporary) + L"menu_probe_" +
                                std::to_wstring(::GetCurrentProcessId()) + L".txt";
    output.copy(request.output, MAX_PATH - 1);
    ::DeleteFileW(output.c_str());

    std::optional<std::wstring> written;
    void* remote_path = copy_into(process, dll.c_str(), (dll.size() + 1) * sizeof(wchar_t));
    void* remote_request = copy_into(process, &request, sizeof(request));
    if (local_routine && remote_path && remote_request) {
        const std::optional<DWORD> remote_module = run_remote(process, load_library, remote_path);
        const BYTE* remote_base = remote_module ? module_base(process, dll) : nullptr;
        if (remote_base) {
            const void* remote_routine =
                remote_base + (local_routine - reinterpret_cast<const BYTE*>(local));
            if (run_remote(process, remote_routine, remote_request).value_or(0) == 1) {
                written = read_output(output);
            }
            run_remote(process, free_library, const_cast<BYTE*>(remote_base));
        }
    }
    if (remote_path) ::VirtualFreeEx(process, remote_path, 0, MEM_RELEASE);
    if (remote_request) ::VirtualFreeEx(process, remote_request, 0, MEM_RELEASE);
    ::DeleteFileW(output.c_str());
    ::FreeLibrary(local);
    return written;
}

}  // namespace probe_runner
