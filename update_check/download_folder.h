// A folder of the library's own for one download, made fresh inside the download place
// (download_place.h) with an unguessable name ("OrvUpdate-" + 16 random hex digits) and a
// protected DACL (download_folder_sddl), in one step with its hold: from its creation until
// the object goes nobody can rename or remove it (no delete sharing). Everything inside it is
// created, opened and deleted through the held handle (folder_handles.h), never by a path.
//
// The package is written through the handle that created it, then opened again through the
// folder for the check and the launch with read access, shared for reading only: nobody can
// change it from the check on, and an installer can still open itself (it asks for read
// access and shares only reading). It is started through that handle's own path, so the file
// checked is the file started. Unless kept, the file is deleted through a handle when the
// object goes, and then the folder, once it has been made sure that it is still the folder
// that was held. One thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "framework/unique_handle.h"

namespace orv {

class download_place;

class download_folder {
public:
    // Makes and holds a new folder in `place`; nothing when it cannot, or when what it then
    // holds is not a plain folder.
    static std::optional<download_folder> create(const download_place& place);

    download_folder(download_folder&& other) noexcept = default;
    download_folder& operator=(download_folder&&) = delete;
    download_folder(const download_folder&) = delete;
    download_folder& operator=(const download_folder&) = delete;
    ~download_folder();

    // Creates the file `name` (one plain name) inside the folder, new, for the download to
    // write: write access, others may read. The handle stays the folder's; null when
    // anything already stands at the name or it cannot be made.
    HANDLE create_file(const std::wstring& name);

    // Ends the writing and opens the file again through the folder for the check and the
    // launch (read access, shared for reading only). False when it is not a plain file, or its
    // own path does not lie directly inside the held folder's own path (compared exactly).
    bool hold_file();
    HANDLE held_file() const { return file_handle_.get(); }
    // The held file's and the held folder's own paths (GetFinalPathNameByHandleW, without the
    // "\\?\" prefix); valid once hold_file() succeeded.
    const std::wstring& held_file_path() const { return final_file_; }
    const std::wstring& held_folder_path() const { return final_folder_; }

    // Leave the folder and its file where they are (the package was started from there; the
    // next check removes them once it has ended); the handles are still closed.
    void keep() { kept_ = true; }

private:
    download_folder(std::wstring name, fw::file_handle parent, fw::file_handle folder)
        : name_(std::move(name)), parent_(std::move(parent)), folder_(std::move(folder)) {}

    std::wstring name_;  // the folder's own name inside the place
    fw::file_handle parent_;
    fw::file_handle folder_;
    std::wstring file_name_;
    fw::file_handle writing_;
    fw::file_handle file_handle_;
    std::wstring final_file_;
    std::wstring final_folder_;
    bool kept_ = false;
};

}  // namespace orv
