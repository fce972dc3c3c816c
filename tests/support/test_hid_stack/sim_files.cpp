#include "tests/support/test_hid_stack/sim_files.h"

#include <algorithm>
#include <cwchar>

namespace hid_stack {

namespace {

constexpr wchar_t long_path_prefix[] = L"\\\\?\\";
constexpr std::size_t long_path_prefix_length = 4;

bool has_long_path_prefix(const std::wstring& path) {
    return path.compare(0, long_path_prefix_length, long_path_prefix) == 0;
}

}  // namespace

std::wstring device_file_name(std::uint16_t vendor_id, std::uint16_t product_id,
                              const std::wstring& serial) {
    wchar_t ids[32];
    std::swprintf(ids, 32, L"hid#vid_%04x&pid_%04x#", vendor_id, product_id);
    return ids + serial + L"#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

std::wstring device_path_of_file(const std::wstring& file) {
    return has_long_path_prefix(file) ? file : long_path_prefix + file;
}

std::wstring file_of_device_path(const std::wstring& device_path) {
    return has_long_path_prefix(device_path) ? device_path.substr(long_path_prefix_length)
                                             : device_path;
}

std::vector<present_device> present_devices(const std::wstring& sim_dir) {
    std::vector<present_device> devices;
    if (sim_dir.empty()) return devices;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((sim_dir + L"\\*" + description_suffix).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return devices;
    do {
        std::wstring name = found.cFileName;
        const std::size_t suffix = std::wcslen(description_suffix);
        if (name.size() <= suffix ||
            name.compare(name.size() - suffix, suffix, description_suffix) != 0) {
            continue;
        }
        const std::wstring path =
            device_path_of_file(sim_dir + L"\\" + name.substr(0, name.size() - suffix));
        if (auto description = read_description(path)) devices.push_back({path, *description});
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::stable_sort(devices.begin(), devices.end(), [](const auto& a, const auto& b) {
        return a.description.sequence < b.description.sequence;
    });
    return devices;
}

std::optional<device_description> read_description(const std::wstring& device_path) {
    auto text = read_file(file_of_device_path(device_path) + description_suffix);
    if (!text) return std::nullopt;
    return parse_device_description(*text).description;
}

std::wstring path_of_handle(HANDLE handle) {
    wchar_t buffer[2100];
    DWORD length = ::GetFinalPathNameByHandleW(handle, buffer, 2100, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= 2100) return {};
    return device_path_of_file(std::wstring(buffer, length));
}

std::wstring sim_dir_from_environment() {
    wchar_t buffer[2100];
    DWORD length = ::GetEnvironmentVariableW(sim_dir_variable, buffer, 2100);
    if (length == 0 || length >= 2100) return {};
    return std::wstring(buffer, length);
}

std::optional<std::string> read_file(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string contents;
    char chunk[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) {
        contents.append(chunk, got);
    }
    ::CloseHandle(file);
    if (!ok) return std::nullopt;
    return contents;
}

bool write_file(const std::wstring& path, const std::string& contents) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()),
                                &written, nullptr) &&
                    written == contents.size();
    ::CloseHandle(file);
    return ok;
}

}  // namespace hid_stack
