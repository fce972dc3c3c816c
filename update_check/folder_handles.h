// Working inside a held folder through its handle alone: every entry is created, opened,
// listed and deleted relative to the folder's handle, by one name component, never by a path
// looked up again (NtCreateFile with the folder as RootDirectory). What stands at a name is
// never followed: a link is opened as the link. Any thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "framework/unique_handle.h"

namespace orv {

// How an entry is opened or made.
struct entry_access {
    ACCESS_MASK access = 0;
    ULONG share = FILE_SHARE_READ;
    bool create = false;     // make it new (fails if anything stands at the name); else open it
    bool directory = false;  // a folder; else a file
    PSECURITY_DESCRIPTOR descriptor = nullptr;  // for one made new; null: inherited
};

// The security descriptor written as `sddl`, for entry_access::descriptor; empty when the text
// is not one.
fw::local_memory descriptor_from_sddl(const std::wstring& sddl);

// The entry `name` (one component: no separator, not "." or "..") of the folder open as
// `folder`; empty, with the last error set, when it cannot be had.
fw::file_handle open_entry(HANDLE folder, std::wstring_view name, const entry_access& how);

// Marks the entry open as `entry` (opened with DELETE) for deletion when its last handle
// closes; a folder must be empty by then.
bool delete_entry(HANDLE entry);

// One entry of a folder listing ("." and ".." left out).
struct folder_entry {
    std::wstring name;
    DWORD attributes = 0;
};

// The entries of the folder open as `folder` (with FILE_LIST_DIRECTORY), read through the
// handle from the start; false when they cannot be read.
bool list_entries(HANDLE folder, std::vector<folder_entry>& entries);

// Whether the handle is a plain file or folder (`directory`), not a link or other reparse
// point.
bool is_plain(HANDLE handle, bool directory);

// The handle's own path (GetFinalPathNameByHandleW, without the "\\?\" prefix); empty when it
// cannot be had.
std::wstring final_path(HANDLE handle);

// `path` without the "\\?\" (or "\\?\UNC\") prefix of GetFinalPathNameByHandleW, as
// CreateProcessW and the shell take it.
std::wstring without_long_path_prefix(const std::wstring& path);

}  // namespace orv
