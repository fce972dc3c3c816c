#include "update_check/download_folder.h"

#include <cstdint>
#include <random>
#include <vector>

#include "update_check/download_place.h"
#include "update_check/folder_handles.h"
#include "update_check/rules/download_place.h"
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

fw::file_handle duplicate(HANDLE handle) {
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)) {
        return {};
    }
    return fw::file_handle(copy);
}

}  // namespace

std::optional<download_folder> download_folder::create(const download_place& place) {
    fw::local_memory descriptor =
        descriptor_from_sddl(download_folder_sddl(process_is_elevated(), process_user_sid()));
    if (!descriptor) return std::nullopt;
    fw::file_handle parent = duplicate(place.handle());
    if (!parent) return std::nullopt;
    // Made and held in one step. Delete access shared with nobody: renaming or removing the
    // folder fails from now on. The hold itself takes no delete access, or the package could
    // not be started with the folder as its working directory.
    entry_access how{FILE_LIST_DIRECTORY | FILE_TRAVERSE, FILE_SHARE_READ | FILE_SHARE_WRITE, true,
                     true, descriptor.get()};
    for (int i = 0; i < attempts; ++i) {
        std::wstring name = L"OrvUpdate-" + random_hex();
        fw::file_handle held = open_entry(parent.get(), name, how);
        if (!held) {
            if (::GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
            continue;
        }
        if (!is_plain(held.get(), true)) return std::nullopt;
        return download_folder(std::move(name), std::move(parent), std::move(held));
    }
    return std::nullopt;
}

download_folder::~download_folder() {
    if (!folder_ || kept_) return;
    file_handle_.reset();
    if (!writing_ && !file_name_.empty()) {
        writing_ = open_entry(folder_.get(), file_name_,
                              {DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE});
    }
    if (writing_) delete_entry(writing_.get());
    writing_.reset();
    // The hold has no delete access: the folder is opened once more through its parent for
    // that, and deleted only if it is still the folder that was held.
    BY_HANDLE_FILE_INFORMATION held{};
    if (!::GetFileInformationByHandle(folder_.get(), &held)) return;
    folder_.reset();
    fw::file_handle again =
        open_entry(parent_.get(), name_, {DELETE, FILE_SHARE_READ, false, true, nullptr});
    BY_HANDLE_FILE_INFORMATION found{};
    if (again && ::GetFileInformationByHandle(again.get(), &found) &&
        found.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
        found.nFileIndexHigh == held.nFileIndexHigh && found.nFileIndexLow == held.nFileIndexLow) {
        delete_entry(again.get());
    }
}

HANDLE download_folder::create_file(const std::wstring& name) {
    if (!file_name_.empty()) return nullptr;
    writing_ =
        open_entry(folder_.get(), name, {GENERIC_WRITE | DELETE, FILE_SHARE_READ, true, false});
    if (!writing_) return nullptr;
    file_name_ = name;
    return writing_.get();
}

bool download_folder::hold_file() {
    if (!writing_) return false;
    writing_.reset();
    file_handle_ = open_entry(folder_.get(), file_name_, {GENERIC_READ, FILE_SHARE_READ});
    if (!file_handle_ || !is_plain(file_handle_.get(), false)) return false;
    final_folder_ = final_path(folder_.get());
    final_file_ = final_path(file_handle_.get());
    return directly_inside(final_file_, final_folder_);
}

}  // namespace orv
