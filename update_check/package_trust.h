// The one question asked before a downloaded package is opened: may this file be opened? It
// is answered on an open handle, so the file judged is the file that will be started as long
// as the caller keeps the handle (shared for reading only).
//
// A package must be a Windows program or installer package carrying an Authenticode signature
// whose digest holds (WinVerifyTrust, no user interface, no revocation check). Publisher pins,
// the SHA-256 of the signer certificate's DER SubjectPublicKeyInfo in hex, come from the build
// (ORV_UPDATE_PUBLISHER_PINS) and from HKEY_LOCAL_MACHINE\Software\Orvatec\UpdateCheck value
// TrustedPublishers (REG_MULTI_SZ). When any pin is configured the signer's key must be
// pinned, and a pinned signer needs no trusted root; without pins the system must trust the
// whole chain. Any thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "update_check/package_trust_rules.h"

namespace orv {

// The compiled-in pins and the machine's, lower case.
std::vector<std::string> configured_publisher_pins();

// The verdict on the file open as `file` (read access) at `path`.
package_verdict verify_package(HANDLE file, const std::wstring& path,
                               const std::vector<std::string>& pins);

}  // namespace orv
