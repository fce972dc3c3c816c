// Where the library may put a package it downloads, and what it may remove again, decided
// without Windows. The Win32 side (download_place.h) applies these rules to held handles.
// Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// The folder that download folders are made in, ending with '\'. An elevated caller gets
// "<program data>\OrvUpdateCheck\", under the machine's ProgramData folder (`program_data`,
// as the system names it, with or without a final '\'), a place the user cannot change; the
// user's own temporary directory (`user_temp`, from TMP or TEMP) is never used then, since
// the user chooses it. A caller without administrator rights keeps `user_temp`: nothing
// elevated happens there. Nothing when the needed folder is not an absolute path ("C:\..."
// or "\\server\share...").
std::optional<std::wstring> download_parent_for(bool elevated, std::wstring_view program_data,
                                                std::wstring_view user_temp);

// The name of the parent's own folder under ProgramData.
inline constexpr std::wstring_view download_parent_name = L"OrvUpdateCheck";

// The parent's security descriptor (SDDL) as the library and the installer make it: owner
// Administrators, protected from inheritance, full control for SYSTEM and Administrators
// (inherited by what is made inside), nothing for anyone else.
inline constexpr std::wstring_view download_parent_sddl =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

inline constexpr std::wstring_view sid_system = L"S-1-5-18";
inline constexpr std::wstring_view sid_administrators = L"S-1-5-32-544";
inline constexpr std::wstring_view sid_creator_owner = L"S-1-3-0";

// Whether `owner_sid` may own the parent: Administrators or SYSTEM.
bool trusted_owner(std::wstring_view owner_sid);

// One entry of a DACL, as GetAce gives it.
struct access_entry {
    bool allows = true;      // an access-allowed entry (of any form); false: a denying one
    std::uint8_t flags = 0;  // AceFlags (INHERIT_ONLY_ACE is 0x08)
    std::uint32_t mask = 0;  // the access mask
    std::wstring sid;        // the trustee, "S-1-..."
};

// The rights that change a folder or what is in it: write or append (add a file or a
// folder), write extended attributes or attributes, delete, delete a child, change the DACL
// or the owner, and the generic and maximum rights that include them.
inline constexpr std::uint32_t changing_rights = 0x00000002 | 0x00000004 | 0x00000010 | 0x00000040 |
                                                 0x00000100 | 0x00010000 | 0x00040000 | 0x00080000 |
                                                 0x02000000 | 0x10000000 | 0x40000000;

// Whether a DACL with these entries lets nobody but Administrators and SYSTEM change the
// folder: no allowing entry grants any of changing_rights to another trustee, except an
// inherit-only CREATOR OWNER entry, which only reaches what an administrator makes inside
// (nobody else can make anything there). Denying entries take nothing away from this. A
// missing (null) DACL admits everyone: the caller passes nothing for it.
bool only_administrators_change(const std::optional<std::vector<access_entry>>& dacl);

// Whether `name` is one the library gives a download folder: "OrvUpdate-" and 16 lower-case
// hex digits. Clean-up touches nothing else.
bool is_download_folder_name(std::wstring_view name);

// Whether the path `file` names an entry directly inside the folder `folder` (both final
// paths, the folder without a final '\'), compared exactly: a folder whose name differs only
// in letter case is another folder.
bool directly_inside(std::wstring_view file, std::wstring_view folder);

}  // namespace orv
