// System functions that start-up never calls, bound at their first call instead of at load
// time, so that starting vanta (and loading OrvUpdateCheck.dll) does not load WinINet, the
// shell, the common dialogs, WinTrust or Crypt32.
//
// The headers declare these functions dllimport, so every call goes through a pointer named
// __imp__Name@N (__imp_Name in 64-bit builds). This file defines those pointers itself (the
// DLLs' import libraries are not linked): each starts at a stub that loads the DLL from the
// system directory, looks the function up, stores it in the pointer and forwards the call.
// Later calls go straight to the system. When the DLL or the function cannot be had, the stub
// fails as the function itself fails (its failure value, with the last error set) and the next
// call tries again.
//
// Adding a function is one line below. Any thread may make the first call.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>
#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include "framework/first_use_imports.h"

namespace fw {

// The address of `function` in the system DLL `dll`, or null with the last error set. Loads
// only from the system directory: never from the program's folder or the current directory.
FARPROC system_function(const wchar_t* dll, const char* function) {
    HMODULE module = ::GetModuleHandleW(dll);
    if (!module) module = ::LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) {
        wchar_t path[MAX_PATH];
        const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
        const size_t name_length = ::lstrlenW(dll);
        if (length == 0 || length + 1 + name_length >= MAX_PATH) {
            ::SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        path[length] = L'\\';
        ::lstrcpyW(path + length + 1, dll);
        module = ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (!module) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    FARPROC address = ::GetProcAddress(module, function);
    if (!address) ::SetLastError(ERROR_PROC_NOT_FOUND);
    return address;
}

}  // namespace fw

// FIRST_USE(dll, result type, failure value, name, argument bytes, (parameters), (arguments))
#define FIRST_USE(dll, type, failure, name, bytes, params, args)                                \
    namespace {                                                                                 \
    type WINAPI first_call_##name params;                                                       \
    }                                                                                           \
    extern "C" {                                                                                \
    void* volatile import_##name asm(FW_IMPORT_POINTER(name, bytes)) =                          \
        reinterpret_cast<void*>(&first_call_##name);                                            \
    }                                                                                           \
    namespace {                                                                                 \
    type WINAPI first_call_##name params {                                                      \
        using function = type(WINAPI*) params;                                                  \
        auto real = reinterpret_cast<function>(fw::system_function(dll, #name));                \
        if (!real) return failure;                                                              \
        ::InterlockedExchangePointer(const_cast<void**>(&import_##name),                        \
                                     reinterpret_cast<void*>(real));                            \
        return real args;                                                                       \
    }                                                                                           \
    }

// The same for functions that the headers declare without dllimport: calls go straight to the
// function's own name, so this file defines the function itself.
// FIRST_USE_PLAIN(dll, result type, failure value, name, (parameters), (arguments))
#define FIRST_USE_PLAIN(dll, type, failure, name, params, args)                                 \
    extern "C" type WINAPI name params {                                                        \
        using function = type(WINAPI*) params;                                                  \
        static void* volatile bound = nullptr;                                                  \
        auto real = reinterpret_cast<function>(bound);                                          \
        if (!real) {                                                                            \
            real = reinterpret_cast<function>(fw::system_function(dll, #name));                 \
            if (!real) return failure;                                                          \
            bound = reinterpret_cast<void*>(real);                                              \
        }                                                                                       \
        return real args;                                                                       \
    }

// ShellExecuteW and FindExecutableW report failure as a result of 32 or less.
#define SHELL_FAILURE reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND)

FIRST_USE(L"shell32.dll", HINSTANCE, SHELL_FAILURE, ShellExecuteW, 24,
          (HWND w, LPCWSTR op, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT show),
          (w, op, file, params, dir, show))
FIRST_USE(L"shell32.dll", HINSTANCE, SHELL_FAILURE, FindExecutableW, 12,
          (LPCWSTR file, LPCWSTR dir, LPWSTR result), (file, dir, result))
FIRST_USE(L"shell32.dll", BOOL, FALSE, ShellExecuteExW, 4, (SHELLEXECUTEINFOW * info), (info))
FIRST_USE_PLAIN(L"shell32.dll", HRESULT, E_FAIL, SHGetKnownFolderPath,
                (REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR* path),
                (id, flags, token, path))

FIRST_USE(L"comdlg32.dll", BOOL, FALSE, GetOpenFileNameW, 4, (LPOPENFILENAMEW o), (o))
FIRST_USE(L"comdlg32.dll", BOOL, FALSE, GetSaveFileNameW, 4, (LPOPENFILENAMEW o), (o))

FIRST_USE(L"wininet.dll", HINTERNET, nullptr, InternetOpenW, 20,
          (LPCWSTR agent, DWORD access, LPCWSTR proxy, LPCWSTR bypass, DWORD flags),
          (agent, access, proxy, bypass, flags))
FIRST_USE(L"wininet.dll", HINTERNET, nullptr, InternetConnectW, 32,
          (HINTERNET s, LPCWSTR host, INTERNET_PORT port, LPCWSTR user, LPCWSTR password,
           DWORD service, DWORD flags, DWORD_PTR context),
          (s, host, port, user, password, service, flags, context))
FIRST_USE(L"wininet.dll", HINTERNET, nullptr, FtpFindFirstFileW, 20,
          (HINTERNET c, LPCWSTR search, LPWIN32_FIND_DATAW data, DWORD flags, DWORD_PTR ctx),
          (c, search, data, flags, ctx))
FIRST_USE(L"wininet.dll", BOOL, FALSE, InternetFindNextFileW, 8, (HINTERNET f, LPVOID data),
          (f, data))
FIRST_USE(L"wininet.dll", HINTERNET, nullptr, FtpOpenFileW, 20,
          (HINTERNET c, LPCWSTR name, DWORD access, DWORD flags, DWORD_PTR ctx),
          (c, name, access, flags, ctx))
FIRST_USE(L"wininet.dll", BOOL, FALSE, InternetReadFile, 16,
          (HINTERNET f, LPVOID buffer, DWORD size, LPDWORD read), (f, buffer, size, read))
FIRST_USE(L"wininet.dll", BOOL, FALSE, InternetCloseHandle, 4, (HINTERNET h), (h))
FIRST_USE(L"wininet.dll", HINTERNET, nullptr, HttpOpenRequestW, 32,
          (HINTERNET c, LPCWSTR verb, LPCWSTR object, LPCWSTR version, LPCWSTR referrer,
           LPCWSTR* accept, DWORD flags, DWORD_PTR ctx),
          (c, verb, object, version, referrer, accept, flags, ctx))
FIRST_USE(L"wininet.dll", BOOL, FALSE, HttpSendRequestW, 20,
          (HINTERNET r, LPCWSTR headers, DWORD length, LPVOID optional, DWORD optional_length),
          (r, headers, length, optional, optional_length))
FIRST_USE(L"wininet.dll", BOOL, FALSE, HttpQueryInfoW, 20,
          (HINTERNET r, DWORD level, LPVOID buffer, LPDWORD length, LPDWORD index),
          (r, level, buffer, length, index))

// The package signature check: WinTrust and Crypt32.
FIRST_USE_PLAIN(L"wintrust.dll", LONG, static_cast<LONG>(TRUST_E_PROVIDER_UNKNOWN), WinVerifyTrust,
                (HWND window, GUID* action, LPVOID data), (window, action, data))
FIRST_USE_PLAIN(L"wintrust.dll", CRYPT_PROVIDER_DATA*, nullptr, WTHelperProvDataFromStateData,
                (HANDLE state), (state))
FIRST_USE_PLAIN(L"wintrust.dll", CRYPT_PROVIDER_SGNR*, nullptr, WTHelperGetProvSignerFromChain,
                (CRYPT_PROVIDER_DATA * data, DWORD signer, BOOL counter, DWORD counter_index),
                (data, signer, counter, counter_index))
FIRST_USE(L"crypt32.dll", BOOL, FALSE, CryptEncodeObject, 20,
          (DWORD encoding, LPCSTR type, const void* info, BYTE* encoded, DWORD* size),
          (encoding, type, info, encoded, size))
