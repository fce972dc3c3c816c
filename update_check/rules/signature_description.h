// The description an Authenticode signature gives its file (signtool /d, osslsigncode -n): the
// programName of the SpcSpOpusInfo among the signer's authenticated attributes, which Windows
// shows as the program's name when it asks for consent. A release signs its installer
// "<product> Setup" and everything else otherwise, so a signed file of the same release (its
// uninstaller, which carries the installer's version resource) never passes for the installer.
// Read with a small DER reader of its own: every length is checked against what is left.
// Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// The object identifier of the SpcSpOpusInfo attribute, 1.3.6.1.4.1.311.2.1.12.
inline constexpr char spc_sp_opus_info_oid[] = "1.3.6.1.4.1.311.2.1.12";

// The programName of the DER-encoded SpcSpOpusInfo `der`:
//   SpcSpOpusInfo ::= SEQUENCE { programName [0] EXPLICIT SpcString OPTIONAL,
//                                moreInfo [1] EXPLICIT SpcLink OPTIONAL }
//   SpcString ::= CHOICE { unicode [0] IMPLICIT BMPString, ascii [1] IMPLICIT IA5String }
// Nothing when the encoding is not exactly one such SEQUENCE (definite lengths, nothing after
// it), when it names no program, or when the name is not well-formed (an odd number of BMP
// bytes, a byte over 0x7F in IA5).
std::optional<std::wstring> opus_program_name(const std::uint8_t* der, std::size_t size);

// Whether a package listed under `base_name` ("Orv_Vanta_Kit") carries the installer's
// signature description, "<product name> Setup" ("Orv Vanta Kit Setup"), exactly. A signature
// without a description is not the installer's.
bool signature_description_matches(const std::optional<std::wstring>& description,
                                   std::wstring_view base_name);

}  // namespace orv
