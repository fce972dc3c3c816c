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

// ProductName and release of the Windows Installer package at `path` (the held file's own
// path), read from its Property table with msi.dll: the release is OrvReleaseVersion, checked
// against ProductVersion (installer_release_version). Empty when they cannot be read or
// disagree.
std::vector<package_identity> installer_identities(const std::wstring& path);

}  // namespace orv
