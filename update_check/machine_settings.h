// The library's machine-wide settings as an administrator sets them: each value from the
// policy key HKLM\Software\Policies\Orvatec\UpdateCheck when it is there, else from
// HKLM\Software\Orvatec\UpdateCheck (rules/machine_policy.h). Both are read in the 64-bit
// registry view (KEY_WOW64_64KEY), where "reg add", Group Policy and management tools write;
// a 32-bit process on 64-bit Windows would otherwise read Software\WOW6432Node, and there is
// no fallback to it (a 32-bit Windows has one view, and the flag changes nothing there).
// Nothing is read from HKEY_CURRENT_USER or the environment. Any thread; read afresh on every
// call.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "update_check/rules/machine_policy.h"

namespace orv {

// The value `name` that decides (policy key first); nothing when neither key holds it. A key
// that is absent or cannot be opened holds nothing.
std::optional<registry_value> machine_value(const wchar_t* name);

// "Server" as rules/machine_policy.h reads it.
std::optional<std::wstring> machine_server_setting();

// "TrustedPublishers" as rules/machine_policy.h reads it.
std::optional<std::vector<std::string>> machine_publisher_pins();

// Whether the machine allows scheduled (background) checks: "AutoUpdateCheck" absent or not 0.
// A user's own setting cannot allow what this forbids; a check the user asks for still runs.
bool machine_allows_scheduled_checks();

// Whether an administrator accepts a download place that the system cannot show to be
// protected: "AllowUnprotectedDownloadFolder" (REG_DWORD) is 1. For systems whose file system
// keeps no owner or DACL to check (Wine keeps none: it reports every file as the user's own);
// nothing else is relaxed by it (a link is still refused).
bool unprotected_download_folder_allowed();

}  // namespace orv
