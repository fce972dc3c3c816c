#include "tests/support/ftp_server/ftp_fixture.h"

#include <windows.h>

#include <vector>

#include "tests/support/machine_settings.h"

namespace ftp_fixture {
namespace {

std::wstring to_windows(std::wstring_view path) {
    std::wstring result(path);
    for (wchar_t& c : result) {
        if (c == L'/') c = L'\\';
    }
    return result;
}

bool write_bytes(const std::wstring& path, std::string_view bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::wstring parent_of(std::wstring_view relative) {
    std::size_t slash = relative.rfind(L'/');
    return slash == std::wstring_view::npos ? std::wstring()
                                            : std::wstring(relative.substr(0, slash));
}

}  // namespace

std::wstring environment(const wchar_t* name) {
    DWORD length = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0) return {};
    std::wstring value(length, L'\0');
    length = ::GetEnvironmentVariableW(name, value.data(), length);
    value.resize(length);
    return value;
}

bool available() {
    return !environment(L"ORV_TEST_FTP_ROOT").empty() && !environment(L"ORV_TEST_FTP_SERVER").empty();
}

std::wstring server_address() { return environment(L"ORV_TEST_FTP_SERVER"); }

bool set_update_server(std::wstring_view address) {
    return test_support::set_update_machine_value(
        L"Server", REG_SZ, address.empty() ? std::wstring() : std::wstring(address) + L'\0');
}

std::wstring served_path(std::wstring_view relative) {
    // Wine maps the Linux root to drive Z:.
    std::wstring path = L"Z:" + to_windows(environment(L"ORV_TEST_FTP_ROOT"));
    if (!relative.empty()) path += L"\\" + to_windows(relative);
    return path;
}

bool make_directory(std::wstring_view relative) {
    std::wstring path = served_path();
    std::wstring_view rest = relative;
    while (!rest.empty()) {
        std::size_t slash = rest.find(L'/');
        path += L"\\" + std::wstring(rest.substr(0, slash));
        if (!::CreateDirectoryW(path.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
        rest = slash == std::wstring_view::npos ? std::wstring_view() : rest.substr(slash + 1);
    }
    return true;
}

bool write_file(std::wstring_view relative, std::string_view bytes) {
    return make_directory(parent_of(relative)) && write_bytes(served_path(relative), bytes);
}

bool copy_file(const std::wstring& source, std::wstring_view relative) {
    return make_directory(parent_of(relative)) &&
           ::CopyFileW(source.c_str(), served_path(relative).c_str(), FALSE);
}

bool set_listing_extra(std::wstring_view directory, const std::string& lines) {
    std::wstring relative = std::wstring(directory) + L"/.listing-extra";
    return write_file(relative, lines);
}

bool set_reply_delay(unsigned milliseconds) {
    return write_file(L".reply-delay-ms", std::to_string(milliseconds));
}

std::string listing_line(const std::string& name, unsigned long long size) {
    return "-rw-r--r--   1 owner    group    " + std::to_string(size) + " Jan 01  2020 " + name +
           "\n";
}

bool read_file(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::vector<char> buffer(64 * 1024);
    DWORD got = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                            nullptr) != FALSE) &&
           got > 0) {
        bytes.append(buffer.data(), got);
    }
    ::CloseHandle(file);
    return ok;
}

}  // namespace ftp_fixture
