// A folder of the library's own for one download, made fresh under the temporary directory
// with an unguessable name ("OrvUpdate-" + 16 random hex digits) and a protected DACL
// (download_folder_sddl), and held open from its creation until the object goes: without
// FILE_SHARE_DELETE nobody can rename or remove it meanwhile. The downloaded file is held the
// same way from the check until the launch, and is started through its handle's own path, so
// the file checked is the file started. Unless kept, the file is deleted through its handle
// when the object goes, and then the folder, once it has been made sure that it is still the
// folder that was held. One thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "framework/unique_handle.h"

namespace orv {

class download_folder {
public:
    // Makes and holds the folder under `parent` (which ends with '\'); nothing when it cannot,
    // or when what it then holds is not a plain folder.
    static std::optional<download_folder> create(const std::wstring& parent);

    download_folder(download_folder&& other) noexcept = default;
    download_folder& operator=(download_folder&&) = delete;
    download_folder(const download_folder&) = delete;
    download_folder& operator=(const download_folder&) = delete;
    ~download_folder();

    // The folder as created, ending with '\'.
    const std::wstring& path() const { return path_; }
    // `name` inside the folder, for the download to create; remembered, so that it is deleted
    // with the folder.
    std::wstring file(const std::wstring& name);

    // Opens the downloaded file for the check and the launch: read access (and delete access,
    // unless `for_installer`: msiexec shares no delete access), shared for reading only. False
    // when it is a reparse point, not a plain file, or its own path does not lie directly inside
    // the held folder.
    bool hold_file(bool for_installer);
    HANDLE held_file() const { return file_handle_.get(); }
    // The held file's and the held folder's own paths (GetFinalPathNameByHandleW, without the
    // "\\?\" prefix); valid once hold_file() succeeded.
    const std::wstring& held_file_path() const { return final_file_; }
    const std::wstring& held_folder_path() const { return final_folder_; }

    // Leave the folder and its file where they are (the package was started from there); the
    // handles are still closed when the object goes.
    void keep() { kept_ = true; }

private:
    download_folder(std::wstring path, fw::file_handle folder)
        : path_(std::move(path)), folder_handle_(std::move(folder)) {}

    std::wstring path_;
    std::wstring file_;
    fw::file_handle folder_handle_;
    fw::file_handle file_handle_;
    bool file_deletable_ = false;
    std::wstring final_file_;
    std::wstring final_folder_;
    bool kept_ = false;
};

// Whether the process runs with administrator rights (an elevated token).
bool process_is_elevated();

// The SID of the process's user as text ("S-1-5-21-..."); empty when it cannot be read.
std::wstring process_user_sid();

// `path` without the "\\?\" (or "\\?\UNC\") prefix of GetFinalPathNameByHandleW, as
// CreateProcessW and the shell take it.
std::wstring without_long_path_prefix(const std::wstring& path);

}  // namespace orv
