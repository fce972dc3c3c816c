// Which update server to talk to: the vendor's FTP host on port 21, unless the machine setting
// HKEY_LOCAL_MACHINE\Software\Orvatec\UpdateCheck, value "Server" (REG_SZ), holds "host" or
// "host:port" (FTP) or "https://host[:port][/root]" (HTTPS). A value that is there but not one
// of these (another type, malformed, another scheme) makes the server unusable: every query
// fails and nothing is contacted, not even the vendor's server. Only an administrator can
// change where the packages come from: the environment and HKEY_CURRENT_USER are not
// consulted. Any thread; read afresh at the start of each query, and the download goes to the
// host its query used.
#pragma once

#include <optional>
#include <string>

#include "framework/unique_handle.h"
#include "update_check/rules/server_paths.h"

namespace orv {

// The machine-wide settings key, under HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t* update_machine_key = L"Software\\Orvatec\\UpdateCheck";

// The machine settings key opened for reading in the 64-bit registry view (KEY_WOW64_64KEY),
// where "reg add", Group Policy and management tools write. A 32-bit process on 64-bit Windows
// would otherwise read Software\WOW6432Node; there is no fallback to it. A 32-bit Windows has
// one view, and the flag changes nothing there. Null when the key is absent or unreadable.
fw::registry_key open_machine_settings();

// The "Server" text as stored; nothing when the value (or the key) is absent. A value that is
// not REG_SZ or does not fit 511 characters reads as "".
std::optional<std::wstring> machine_server_setting();

server_address update_server();

// Whether an administrator accepts a download place that the system cannot show to be
// protected: the machine value "AllowUnprotectedDownloadFolder" (REG_DWORD) is 1. For systems
// whose file system keeps no owner or DACL to check (Wine keeps none: it reports every file as
// the user's own); nothing else is relaxed by it (a link is still refused).
bool unprotected_download_folder_allowed();

}  // namespace orv
