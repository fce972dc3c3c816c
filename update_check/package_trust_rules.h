// The decisions behind "may this downloaded package be opened?" that need no Windows: publisher
// pins, what kind of file the first bytes announce, and how a signature check's status and a
// pin match combine. package_trust.h applies them to a real file. Portable.
#pragma once

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
// skipped. Lower case, duplicates kept.
std::vector<std::string> parse_pin_list(std::string_view text);

// Whether `pin` (any case) is one of `pins` (as parse_pin_list returns them).
bool pin_is_listed(const std::vector<std::string>& pins, std::string_view pin);

// Lower-case hex of `bytes`.
std::string hex_of(const std::uint8_t* bytes, std::size_t count);

enum class package_kind { windows_program, windows_installer, other };

// What the first bytes of a file announce: "MZ" a Windows program, the OLE compound-file
// signature D0 CF 11 E0 A1 B1 1A E1 a Windows Installer package. Anything else, and a file
// shorter than the signature, is other.
package_kind sniff_package_kind(std::string_view head);

// Status codes of WinVerifyTrust that decide here.
inline constexpr std::uint32_t trust_ok = 0;
inline constexpr std::uint32_t trust_untrusted_root = 0x800B0109;  // CERT_E_UNTRUSTEDROOT
inline constexpr std::uint32_t trust_chaining = 0x800B010A;        // CERT_E_CHAINING

enum class package_verdict {
    trusted,
    not_a_package,      // neither a Windows program nor an installer package
    signature_refused,  // no signature, a bad digest, or a chain the system rejects
    publisher_unknown,  // pins are configured and the signer's key is not among them
};

// How the signature check's `status` and the signer's pin combine. With pins configured the
// pin is the anchor: a matching pin accepts a chain the system does not trust (a private or
// self-signed root), and no chain, however trusted, replaces a matching pin. Without pins only
// a fully trusted signature is accepted. `signer_pin_listed` is false when no signer was found.
package_verdict judge_signature(std::uint32_t status, bool pins_configured,
                                bool signer_pin_listed);

}  // namespace orv
