// What a downloaded package says it is, read from the held file itself: the version resource
// of a program, the Property table of an installer package. Never looked up again by name, so
// the file judged is the file that is opened. Any thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "update_check/rules/package_trust_rules.h"

namespace orv {

// The identities in the version resource of the program open as `file` (read access), one per
// translation it lists; empty when it has none. The file is mapped as an image, never loaded:
// none of its code runs.
std::vector<package_identity> program_identities(HANDLE file);

// ProductName and ProductVersion of the Windows Installer package at `path` (the held file's
// own path), read with msi.dll; empty when they cannot be read. The version is read as the
// listed suffix is (three numbers).
std::vector<package_identity> installer_identities(const std::wstring& path);

}  // namespace orv
