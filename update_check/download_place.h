// The folder that the library's download folders are made in, resolved once from the system,
// held and checked on its handle before anything is made inside it.
//
// For an elevated caller it is "OrvUpdateCheck" in the machine's ProgramData folder (from
// SHGetKnownFolderPath, never from TMP, TEMP or the profile, which the user chooses). The
// NSIS installer makes it (the MSI leaves it to the library), and the library makes it where
// it is missing, owned by Administrators with a protected DACL (download_parent_sddl). Before
// use its handle must show a plain folder (no link), owned by Administrators or SYSTEM, that
// nobody else may change (only_administrators_change), unless the machine setting
// AllowUnprotectedDownloadFolder accepts a place whose protection cannot be shown
// (machine_settings.h). A caller without administrator rights keeps its own temporary directory,
// unchecked: nothing elevated happens there.
//
// The hold shares no delete access, so the folder cannot be renamed or removed while it is
// held. One thread at a time per object.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "framework/unique_handle.h"

namespace orv {

enum class place_problem {
    none,
    unavailable,    // the folder could not be resolved, made or opened
    not_protected,  // it is a link, has another owner or admits others to change it
};

class download_place {
public:
    // The place for this process; nothing, with `problem` and `path` saying why and where,
    // when it cannot be used.
    static std::optional<download_place> open(place_problem& problem, std::wstring& path);

    HANDLE handle() const { return handle_.get(); }
    // The folder as resolved, ending with '\'.
    const std::wstring& path() const { return path_; }
    // Whether it is the administrators' place (the caller is elevated).
    bool protected_place() const { return protected_; }

    // Removes what earlier checks left here: every download folder (is_download_folder_name)
    // that is not a link and that nobody uses any more (no program runs from it and no
    // download is being made in it), with everything in it, through handles.
    void remove_leftovers() const;

private:
    download_place(fw::file_handle handle, std::wstring path, bool is_protected)
        : handle_(std::move(handle)), path_(std::move(path)), protected_(is_protected) {}

    fw::file_handle handle_;
    std::wstring path_;
    bool protected_ = false;
};

// Whether the process runs with administrator rights (an elevated token).
bool process_is_elevated();

// The SID of the process's user as text ("S-1-5-21-..."); empty when it cannot be read.
std::wstring process_user_sid();

}  // namespace orv
