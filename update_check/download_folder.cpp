#include "update_check/download_folder.h"

#include <sddl.h>

#include <cstdint>
#include <random>
#include <vector>

#include "update_check/rules/package_trust_rules.h"

namespace orv {
namespace {

// RtlGenRandom: the system's random source, exported by advapi32 as SystemFunction036.
extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

std::wstring random_hex() {
    std::uint8_t bytes[8] = {};
    if (!SystemFunction036(bytes, sizeof(bytes))) {
        std::random_device device;
        for (auto& b : bytes) b = static_cast<std::uint8_t>(device());
    }
    std::string hex = hex_of(bytes, sizeof(bytes));
    return std::wstring(hex.begin(), hex.end());
}

constexpr int attempts = 16;

struct local_memory {
    void* data = nullptr;
    ~local_memory() {
        if (data) ::LocalFree(data);
    }
};

std::vector<BYTE> token_information(TOKEN_INFORMATION_CLASS kind) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    fw::kernel_handle owned(token);
    DWORD size = 0;
    ::GetTokenInformation(token, kind, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<BYTE> data(size);
    if (!::GetTokenInformation(token, kind, data.data(), size, &size)) return {};
    return data;
}

// Opened without following a link, so that a link is seen rather than its target.
fw::file_handle open_held(const std::wstring& path, DWORD access, DWORD flags) {
    return fw::file_handle(::CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | flags,
                                         nullptr));
}

bool is_plain(HANDLE handle, bool directory) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return false;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
    return ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == directory;
}

std::wstring final_path(HANDLE handle) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length =
            ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {};
        if (length < buffer.size()) return without_long_path_prefix({buffer.data(), length});
        buffer.resize(length + 1);
    }
}

// Whether `file` names an entry directly inside `folder` (both final paths), ignoring case.
bool directly_inside(const std::wstring& file, const std::wstring& folder) {
    if (folder.empty() || file.size() <= folder.size() + 1 || file[folder.size()] != L'\\') {
        return false;
    }
    if (file.find(L'\\', folder.size() + 1) != std::wstring::npos) return false;
    return ::CompareStringOrdinal(file.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                  static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

void delete_on_close(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition));
}

}  // namespace

bool process_is_elevated() {
    std::vector<BYTE> data = token_information(TokenElevation);
    return data.size() >= sizeof(TOKEN_ELEVATION) &&
           reinterpret_cast<const TOKEN_ELEVATION*>(data.data())->TokenIsElevated != 0;
}

std::wstring process_user_sid() {
    std::vector<BYTE> data = token_information(TokenUser);
    if (data.size() < sizeof(TOKEN_USER)) return {};
    local_memory text;
    if (!::ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(data.data())->User.Sid,
                                  reinterpret_cast<LPWSTR*>(&text.data))) {
        return {};
    }
    return static_cast<const wchar_t*>(text.data);
}

std::wstring without_long_path_prefix(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

std::optional<download_folder> download_folder::create(const std::wstring& parent) {
    std::wstring sddl = download_folder_sddl(process_is_elevated(), process_user_sid());
    local_memory descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor.data, nullptr)) {
        return std::nullopt;
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.data, FALSE};
    for (int i = 0; i < attempts; ++i) {
        std::wstring path = parent + L"OrvUpdate-" + random_hex();
        if (!::CreateDirectoryW(path.c_str(), &attributes)) {
            if (::GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
            continue;
        }
        // Delete access shared with nobody: renaming or removing the folder (or, on Windows, a
        // folder above it) fails from now on. The hold itself takes no delete access, or the
        // package could not be started with the folder as its working directory.
        fw::file_handle held = open_held(
            path, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
            FILE_FLAG_BACKUP_SEMANTICS);
        if (!held || !is_plain(held.get(), true)) return std::nullopt;
        return download_folder(path + L"\\", std::move(held));
    }
    return std::nullopt;
}

download_folder::~download_folder() {
    if (!folder_handle_) return;
    if (kept_) return;
    if (file_deletable_) delete_on_close(file_handle_.get());
    file_handle_.reset();
    // Never held or held without delete access: only a name of our own inside our folder.
    if (!file_deletable_ && !file_.empty()) ::DeleteFileW(file_.c_str());
    // The hold has no delete access: the folder is opened once more for that, and deleted only
    // if it is still the folder that was held.
    BY_HANDLE_FILE_INFORMATION held{};
    if (!::GetFileInformationByHandle(folder_handle_.get(), &held)) return;
    folder_handle_.reset();
    fw::file_handle again =
        open_held(path_, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_FLAG_BACKUP_SEMANTICS);
    BY_HANDLE_FILE_INFORMATION found{};
    if (again && ::GetFileInformationByHandle(again.get(), &found) &&
        found.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
        found.nFileIndexHigh == held.nFileIndexHigh && found.nFileIndexLow == held.nFileIndexLow) {
        delete_on_close(again.get());
    }
}

std::wstring download_folder::file(const std::wstring& name) {
    file_ = path_ + name;
    return file_;
}

bool download_folder::hold_file(bool for_installer) {
    DWORD access = GENERIC_READ | (for_installer ? 0 : DELETE);
    fw::file_handle held = open_held(file_, access, 0);
    if (!held) return false;
    file_handle_ = std::move(held);
    file_deletable_ = !for_installer;
    if (!is_plain(file_handle_.get(), false)) return false;
    final_folder_ = final_path(folder_handle_.get());
    final_file_ = final_path(file_handle_.get());
    return directly_inside(final_file_, final_folder_);
}

}  // namespace orv
