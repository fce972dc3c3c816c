// A signer's SpcSpOpusInfo attribute, as a downloaded package's signature carries it, through
// the DER reader and the description rule.
//
// Input: the attribute value's bytes.
// Invariants: no sanitizer finding; a name read from IA5 bytes is ASCII and no longer than the
// input; reading the same bytes twice gives the same name; a name that matches the rule is
// exactly "Orv Vanta Kit Setup".
#include "fuzz/fuzz_input.h"
#include "update_check/rules/signature_description.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto name = orv::opus_program_name(data, size);
    FUZZ_CHECK(name == orv::opus_program_name(data, size));
    if (!name) return 0;
    FUZZ_CHECK(name->size() <= size);
    if (orv::signature_description_matches(name, L"Orv_Vanta_Kit")) {
        FUZZ_CHECK(*name == L"Orv Vanta Kit Setup");
    }
    return 0;
}
