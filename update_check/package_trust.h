// The one question asked before a downloaded package is opened: may this file be opened? It
// is answered on an open handle, so the file judged is the file that will be started as long
// as the caller keeps the handle (shared for reading only).
//
// A package must be a ".exe" program or ".msi" installer package carrying an Authenticode
// signature whose digest holds (WinVerifyTrust, no user interface, no revocation check), by a
// signer whose key is pinned, and it must say it is the listed product and version: the
// signature's description "<product> Setup" and the identity of its version resource or
// Property table. Publisher
// pins, the SHA-256 of the signer certificate's DER SubjectPublicKeyInfo in hex, come from the
// build (ORV_UPDATE_PUBLISHER_PINS) and from the machine value TrustedPublishers (REG_MULTI_SZ;
// policy key first, machine_settings.h). A pinned signer needs no
// trusted root; without any pin nothing is opened. Any thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "update_check/rules/package_trust_rules.h"

namespace orv {

// The compiled-in pins and the machine's, lower case. None at all when the machine's value is
// present but unusable (parse_machine_pins): then every package is refused.
std::vector<std::string> configured_publisher_pins();

// What the listing promised: the server path's base name ("Orv_Vanta_Kit"), the package's
// extension (".exe") and the listed name's version suffix ("2013_1_1").
struct listed_package {
    std::wstring base_name;
    std::wstring extension;
    std::wstring suffix;
};

// The verdict on the file open as `file` (read access) whose own path is `path`; `kind`
// receives what it is to be opened as.
package_verdict verify_package(HANDLE file, const std::wstring& path,
                               const std::vector<std::string>& pins, const listed_package& listed,
                               package_kind& kind);

}  // namespace orv
