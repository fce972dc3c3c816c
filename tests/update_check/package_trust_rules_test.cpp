// Publisher pins, package kinds and how a signature check and a pin combine.
#include "update_check/package_trust_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace orv {
namespace {

const std::string pin_a = "28efb2a9febde4cebb978c494dbb536ced389edddea7e1655b2c202c1712fc83";
const std::string pin_b = "7cd102e0800241b084a0c3b05748b0a6ea89ac8618f2f2e00f39d4bb3ac4e306";

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST(PublisherPins, ListsSplitOnAnySeparatorAndSkipWhatIsNotAPin) {
    EXPECT_EQ(parse_pin_list(pin_a + ";" + upper(pin_b)), (std::vector{pin_a, pin_b}));
    EXPECT_EQ(parse_pin_list(" \r\n" + pin_a + ",,\t" + pin_b + "; "), (std::vector{pin_a, pin_b}));
    // Too short, too long, not hex, a prefix of a pin: none counts.
    EXPECT_TRUE(parse_pin_list(pin_a.substr(1) + ";" + pin_a + "0;" + "g" + pin_a.substr(1))
                    .empty());
    EXPECT_TRUE(parse_pin_list("").empty());
    EXPECT_TRUE(parse_pin_list(";;").empty());
}

TEST(PublisherPins, MatchingIgnoresCaseButNeedsTheWholePin) {
    std::vector<std::string> pins = parse_pin_list(pin_a);
    EXPECT_TRUE(pin_is_listed(pins, upper(pin_a)));
    EXPECT_FALSE(pin_is_listed(pins, pin_b));
    EXPECT_FALSE(pin_is_listed(pins, pin_a.substr(0, 63)));
    EXPECT_FALSE(pin_is_listed(pins, ""));
    EXPECT_FALSE(pin_is_listed({}, pin_a));
}

TEST(PublisherPins, HexIsLowerCaseTwoDigitsPerByte) {
    const std::uint8_t bytes[] = {0x00, 0x0F, 0xA0, 0xFF};
    EXPECT_EQ(hex_of(bytes, 4), "000fa0ff");
    EXPECT_EQ(hex_of(bytes, 0), "");
}

TEST(PackageKind, OnlyProgramsAndInstallerPackagesAreRecognised) {
    EXPECT_EQ(sniff_package_kind("MZ\x90\x00"), package_kind::windows_program);
    EXPECT_EQ(sniff_package_kind(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10)),
              package_kind::windows_installer);
    EXPECT_EQ(sniff_package_kind("\xD0\xCF\x11\xE0\xA1\xB1\x1A"), package_kind::other);
    EXPECT_EQ(sniff_package_kind("M"), package_kind::other);
    EXPECT_EQ(sniff_package_kind("mz"), package_kind::other);
    EXPECT_EQ(sniff_package_kind("MSCF"), package_kind::other);
    EXPECT_EQ(sniff_package_kind("PK\x03\x04"), package_kind::other);
    EXPECT_EQ(sniff_package_kind("@echo off"), package_kind::other);
    EXPECT_EQ(sniff_package_kind(""), package_kind::other);
}

// status, pins configured, signer's pin listed -> verdict
using judgement = std::tuple<std::uint32_t, bool, bool, package_verdict>;
class SignatureJudgement : public ::testing::TestWithParam<judgement> {};

TEST_P(SignatureJudgement, CombinesStatusAndPin) {
    auto [status, pins, listed, verdict] = GetParam();
    EXPECT_EQ(judge_signature(status, pins, listed), verdict);
}

constexpr std::uint32_t no_signature = 0x800B0100;  // TRUST_E_NOSIGNATURE
constexpr std::uint32_t bad_digest = 0x80096010;    // TRUST_E_BAD_DIGEST
constexpr std::uint32_t revoked = 0x800B010C;       // CERT_E_REVOKED

INSTANTIATE_TEST_SUITE_P(
    Verdicts, SignatureJudgement,
    ::testing::Values(
        // Without pins the system's word decides alone.
        judgement{trust_ok, false, false, package_verdict::trusted},
        judgement{trust_untrusted_root, false, false, package_verdict::signature_refused},
        judgement{trust_chaining, false, false, package_verdict::signature_refused},
        judgement{no_signature, false, false, package_verdict::signature_refused},
        // With pins, the pin is the anchor for any chain whose digest holds.
        judgement{trust_ok, true, true, package_verdict::trusted},
        judgement{trust_untrusted_root, true, true, package_verdict::trusted},
        judgement{trust_chaining, true, true, package_verdict::trusted},
        judgement{trust_ok, true, false, package_verdict::publisher_unknown},
        judgement{trust_untrusted_root, true, false, package_verdict::publisher_unknown},
        // A matching pin never excuses a missing signature, a bad digest or a revocation.
        judgement{no_signature, true, true, package_verdict::signature_refused},
        judgement{bad_digest, true, true, package_verdict::signature_refused},
        judgement{revoked, true, true, package_verdict::signature_refused}));

}  // namespace
}  // namespace orv
