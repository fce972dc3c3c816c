#include "update_check/download_place.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

#include "update_check/folder_handles.h"
#include "update_check/rules/download_place.h"
#include "update_check/machine_settings.h"

namespace orv {
namespace {

// FOLDERID_ProgramData.
constexpr GUID program_data_id = {
    0x62AB5D82, 0xFDC1, 0x4DC3, {0xA9, 0xDD, 0x07, 0x0D, 0x1D, 0x49, 0x5D, 0x97}};

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

std::wstring sid_text(PSID sid) {
    fw::local_memory text;
    if (!sid || !::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.put()))) return {};
    return static_cast<const wchar_t*>(text.get());
}

std::wstring program_data_folder() {
    PWSTR path = nullptr;
    if (FAILED(::SHGetKnownFolderPath(program_data_id, 0, nullptr, &path)) || !path) return {};
    std::wstring result(path);
    ::CoTaskMemFree(path);
    return result;
}

std::wstring user_temp_folder() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = ::GetTempPathW(MAX_PATH + 1, path);
    return length == 0 || length > MAX_PATH ? std::wstring() : std::wstring(path, length);
}

// Listing, traversing and reading the descriptor; shared with readers and writers but not
// with anyone who would rename or remove it.
constexpr ACCESS_MASK hold_access = FILE_LIST_DIRECTORY | FILE_TRAVERSE | READ_CONTROL;
constexpr ULONG hold_sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

fw::file_handle hold_folder_at(const std::wstring& path) {
    return fw::file_handle(::CreateFileW(path.c_str(), hold_access | SYNCHRONIZE, hold_sharing,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                         nullptr));
}

// The DACL's entries for only_administrators_change; nothing for a missing DACL. An entry of
// a form whose trustee is not read here counts as allowing everything to an unknown trustee.
std::optional<std::vector<access_entry>> entries_of(PACL dacl) {
    if (!dacl) return std::nullopt;
    std::vector<access_entry> entries;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) return std::nullopt;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        access_entry entry;
        entry.flags = header->AceFlags;
        switch (header->AceType) {
            case ACCESS_ALLOWED_ACE_TYPE:
            case ACCESS_DENIED_ACE_TYPE: {
                const auto* plain = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
                entry.allows = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
                entry.mask = plain->Mask;
                entry.sid = sid_text(const_cast<DWORD*>(&plain->SidStart));
                break;
            }
            default:
                entry.allows = true;
                entry.mask = GENERIC_ALL;
                entry.sid = L"?";
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Whether the folder open as `folder` is the administrators' alone: a plain folder, owned by
// Administrators or SYSTEM, that nobody else may change (unless an administrator accepts an
// unprotected place).
bool administrators_only(HANDLE folder) {
    if (!is_plain(folder, true)) return false;
    if (unprotected_download_folder_allowed()) return true;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    fw::local_memory descriptor;
    if (::GetSecurityInfo(folder, SE_FILE_OBJECT,
                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                          &dacl, nullptr, descriptor.put()) != ERROR_SUCCESS) {
        return false;
    }
    return trusted_owner(sid_text(owner)) && only_administrators_change(entries_of(dacl));
}

// The administrators' folder inside ProgramData, made with its protected descriptor when
// missing.
fw::file_handle hold_protected_parent(const std::wstring& program_data) {
    fw::file_handle base = hold_folder_at(program_data);
    if (!base) return {};
    fw::local_memory descriptor = descriptor_from_sddl(std::wstring(download_parent_sddl));
    if (!descriptor) return {};
    entry_access how{hold_access, hold_sharing, false, true, nullptr};
    for (int attempt = 0; attempt < 2; ++attempt) {
        fw::file_handle held = open_entry(base.get(), download_parent_name, how);
        if (held || ::GetLastError() != ERROR_FILE_NOT_FOUND) return held;
        entry_access make = how;
        make.create = true;
        make.descriptor = descriptor.get();
        held = open_entry(base.get(), download_parent_name, make);
        if (held || ::GetLastError() != ERROR_ALREADY_EXISTS) return held;
    }
    return {};
}

// Removes everything inside the folder open as `folder`; false when anything stays (a link,
// an entry in use, deeper than `depth`).
bool remove_contents(HANDLE folder, int depth) {
    std::vector<folder_entry> entries;
    if (depth < 0 || !list_entries(folder, entries)) return false;
    bool emptied = true;
    for (const folder_entry& entry : entries) {
        bool directory = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            emptied = false;
            continue;
        }
        entry_access how{static_cast<ACCESS_MASK>(DELETE | (directory ? FILE_LIST_DIRECTORY : 0)),
                         FILE_SHARE_READ, false, directory, nullptr};
        fw::file_handle inner = open_entry(folder, entry.name, how);
        bool removed = inner && is_plain(inner.get(), directory) &&
                       (!directory || remove_contents(inner.get(), depth - 1)) &&
                       delete_entry(inner.get());
        emptied = emptied && removed;
    }
    return emptied;
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
    return sid_text(reinterpret_cast<const TOKEN_USER*>(data.data())->User.Sid);
}

std::optional<download_place> download_place::open(place_problem& problem, std::wstring& path) {
    problem = place_problem::unavailable;
    const bool elevated = process_is_elevated();
    std::wstring program_data = elevated ? program_data_folder() : std::wstring();
    std::optional<std::wstring> parent =
        download_parent_for(elevated, program_data, elevated ? L"" : user_temp_folder());
    path = parent.value_or(L"");
    if (!parent) return std::nullopt;
    fw::file_handle held = elevated ? hold_protected_parent(program_data) : hold_folder_at(path);
    if (!held) return std::nullopt;
    if (elevated && !administrators_only(held.get())) {
        problem = place_problem::not_protected;
        return std::nullopt;
    }
    problem = place_problem::none;
    return download_place(std::move(held), *parent, elevated);
}

void download_place::remove_leftovers() const {
    std::vector<folder_entry> entries;
    if (!list_entries(handle_.get(), entries)) return;
    for (const folder_entry& entry : entries) {
        if (!is_download_folder_name(entry.name) ||
            (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
            !(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            continue;
        }
        // Delete access is refused while a program runs in the folder (its working directory)
        // or a download holds it, so what is in use is left alone.
        entry_access how{DELETE | FILE_LIST_DIRECTORY, FILE_SHARE_READ, false, true, nullptr};
        fw::file_handle folder = open_entry(handle_.get(), entry.name, how);
        if (folder && is_plain(folder.get(), true) && remove_contents(folder.get(), 8)) {
            delete_entry(folder.get());
        }
    }
}

}  // namespace orv
