// The decisions behind "may this downloaded package be opened?" that need no Windows: publisher
// pins, what kind of file the first bytes announce, and how a signature check's status and a
// pin match combine. package_trust.h applies them to a real file. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// A publisher pin: SHA-256 of the signer certificate's DER SubjectPublicKeyInfo, as 64 hex
// digits (either case). Returns it in lower case, or nothing when `text` is not one.
std::optional<std::string> normalize_pin(std::string_view text);

// The pins in `text`, separated by ';', ',' or white space; entries that are not pins are
// skipped. Lower case, duplicates kept. For the pins built into the library.
std::vector<std::string> parse_pin_list(std::string_view text);

// The machine's TrustedPublishers value (REG_MULTI_SZ, read as bytes narrowed to one char per
// character): its strings up to the list's end, each exactly one pin. Nothing when the value
// holds no string or any string is not exactly one pin: an administrator's mistake must not
// quietly widen trust, so the caller then refuses every package.
std::optional<std::vector<std::string>> parse_machine_pins(std::string_view multi_sz);

// The largest TrustedPublishers value that is read at all.
inline constexpr std::size_t max_machine_pins_bytes = 64 * 1024;

// Whether `pin` (any case) is one of `pins` (as parse_pin_list returns them).
bool pin_is_listed(const std::vector<std::string>& pins, std::string_view pin);

// Lower-case hex of `bytes`.
std::string hex_of(const std::uint8_t* bytes, std::size_t count);

enum class package_kind { windows_program, windows_installer, other };

// What the first bytes of a file announce: "MZ" a Windows program, the OLE compound-file
// signature D0 CF 11 E0 A1 B1 1A E1 a Windows Installer package. Anything else, and a file
// shorter than the signature, is other.
package_kind sniff_package_kind(std::string_view head);

// What a package named with `extension` (".exe", including the dot) and starting with `head` is
// opened as: a ".exe" (any letter case) that holds a program, or a ".msi" that holds an
// installer package. Everything else is other and never opened: the name must not let the
// server pick another handler, and the bytes must be what the name says.
package_kind launchable_kind(std::wstring_view extension, std::string_view head);

// Whether starting a verified ".exe" failed with `error` only because it asks for
// administrator rights the caller lacks (ERROR_ELEVATION_REQUIRED, 740). It is not started
// again elevated: a caller without those rights keeps its package in a folder the user can
// change, so the user is told that an administrator must install the update.
bool start_needs_administrator(std::uint32_t error);

// The security descriptor (SDDL) of a download folder: protected from inheritance, full
// control for SYSTEM and Administrators and, when the caller is not elevated, for the user
// whose SID is `user_sid`. Objects created inside inherit it. Nobody else may enter the folder,
// rename what is in it or add to it.
std::wstring download_folder_sddl(bool elevated, std::wstring_view user_sid);

// What a package's version resource says of it.
struct package_identity {
    std::wstring product_name;
    std::wstring file_description;
    std::uint64_t product_version = 0;  // the fixed ProductVersion, MS << 32 | LS
};

// The product a package for the server path's base name belongs to: the base name with '_'
// read as a space ("Orv_Vanta_Kit" gives "Orv Vanta Kit").
std::wstring product_name_for(std::wstring_view base_name);

// The fixed version that a listed version suffix stands for: one to four numbers from 0 to
// 65535 separated by '_' or '.', the parts not given taken as 0 ("2013_1_1" gives 2013.1.1.0,
// "2012_2_22_1" 2012.2.22.1). Nothing for any other suffix: a package listed with it could
// never pass the identity check, so it is not offered.
std::optional<std::uint64_t> listed_product_version(std::wstring_view suffix);

// The release a Windows Installer package carries: its property OrvReleaseVersion, the
// release as "YYYY.M.D" (read as a listed suffix is), whose ProductVersion must be the one the
// release writes, (YYYY - 2000).M.D (Windows Installer keeps major and minor below 256).
// Nothing when either is missing or they disagree: the version msiexec upgrades by must be the
// release the listing named.
std::optional<std::uint64_t> installer_release_version(std::wstring_view release_version,
                                                       std::wstring_view product_version);

// Whether the package is the listed one: the product name, the FileDescription
// "<product name> Setup" and the ProductVersion of the listed suffix. An older release under
// a newer name, the program itself or another file signed by the same key is not.
bool identity_matches(const package_identity& identity, std::wstring_view base_name,
                      std::wstring_view suffix);

// Status codes of WinVerifyTrust that decide here.
inline constexpr std::uint32_t trust_ok = 0;
inline constexpr std::uint32_t trust_untrusted_root = 0x800B0109;  // CERT_E_UNTRUSTEDROOT
inline constexpr std::uint32_t trust_chaining = 0x800B010A;        // CERT_E_CHAINING

enum class package_verdict {
    trusted,
    not_a_package,           // neither a Windows program nor an installer package
    signature_refused,       // no signature, a bad digest, or a chain the system rejects
    publisher_unknown,       // no pin is configured, or the signer's key is not among the pins
    not_the_listed_package,  // signed, but not the product and version the listing named
};

// How the signature check's `status` and the signer's pin combine. The pin is the anchor: a
// matching pin accepts a chain the system does not trust (a private or self-signed root), and
// no chain, however trusted, replaces a matching pin. Without pins nothing is accepted: any
// holder of any code-signing certificate could otherwise have a program run as administrator.
// `signer_pin_listed` is false when no signer was found.
package_verdict judge_signature(std::uint32_t status, bool pins_configured, bool signer_pin_listed);

}  // namespace orv
