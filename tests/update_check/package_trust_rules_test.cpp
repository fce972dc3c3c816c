// Publisher pins, package kinds and how a signature check and a pin combine.
#include "update_check/rules/package_trust_rules.h"

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

TEST(PublisherPins, AMachineValueIsExactlyOnePinPerStringOrRefusesEverything) {
    const std::string z(1, '\0');
    EXPECT_EQ(parse_machine_pins(pin_a + z + upper(pin_b) + z + z), (std::vector{pin_a, pin_b}));
    EXPECT_EQ(parse_machine_pins(pin_a), (std::vector{pin_a}));
    for (const std::string& unusable :
         {std::string(), z + z, pin_a + ";" + pin_b + z + z, pin_a + z + "AB:CD" + z + z,
          " " + pin_a + z + z, pin_a.substr(1) + z + z}) {
        EXPECT_EQ(parse_machine_pins(unusable), std::nullopt) << unusable;
    }
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

TEST(PackageKind, OnlyAnExeProgramOrAnMsiPackageIsOpened) {
    const std::string program = "MZ\x90\x00";
    const std::string installer("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    EXPECT_EQ(launchable_kind(L".exe", program), package_kind::windows_program);
    EXPECT_EQ(launchable_kind(L".EXE", program), package_kind::windows_program);
    EXPECT_EQ(launchable_kind(L".msi", installer), package_kind::windows_installer);
    EXPECT_EQ(launchable_kind(L".MsI", installer), package_kind::windows_installer);
    // The bytes must be what the name says, and no other name is opened.
    EXPECT_EQ(launchable_kind(L".exe", installer), package_kind::other);
    EXPECT_EQ(launchable_kind(L".msi", program), package_kind::other);
    EXPECT_EQ(launchable_kind(L".com", program), package_kind::other);
    EXPECT_EQ(launchable_kind(L".scr", program), package_kind::other);
    EXPECT_EQ(launchable_kind(L"", program), package_kind::other);
    EXPECT_EQ(launchable_kind(L".exe ", program), package_kind::other);
}

TEST(PackageLaunch, OnlyAnElevationRequestAsksForAnAdministrator) {
    EXPECT_TRUE(start_needs_administrator(740));  // ERROR_ELEVATION_REQUIRED
    EXPECT_FALSE(start_needs_administrator(0));
    EXPECT_FALSE(start_needs_administrator(2));    // ERROR_FILE_NOT_FOUND
    EXPECT_FALSE(start_needs_administrator(193));  // ERROR_BAD_EXE_FORMAT
    EXPECT_FALSE(start_needs_administrator(5));    // ERROR_ACCESS_DENIED
}

TEST(DownloadFolder, ProtectedAndOnlyForSystemAdministratorsAndAnUnelevatedUser) {
    EXPECT_EQ(download_folder_sddl(true, L"S-1-5-21-1-2-3-1001"),
              L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
    EXPECT_EQ(download_folder_sddl(false, L"S-1-5-21-1-2-3-1001"),
              L"D:P(A;OICI;FA;;;S-1-5-21-1-2-3-1001)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
    EXPECT_EQ(download_folder_sddl(false, L""), L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
}

// product name, description, version, listed suffix -> is the listed package
struct identity_case {
    const wchar_t* product;
    const wchar_t* description;
    std::uint64_t version;
    const wchar_t* suffix;
    bool matches;
};
class PackageIdentity : public ::testing::TestWithParam<identity_case> {};

TEST_P(PackageIdentity, NameDescriptionAndVersionMustBeTheListedOnes) {
    const identity_case& c = GetParam();
    EXPECT_EQ(identity_matches({c.product, c.description, c.version}, L"Orv_Vanta_Kit", c.suffix),
              c.matches);
}

constexpr std::uint64_t v2013_1_1 = 0x07DD'0001'0001'0000;
constexpr std::uint64_t v2012_2_22 = 0x07DC'0002'0016'0000;

INSTANTIATE_TEST_SUITE_P(
    Identities, PackageIdentity,
    ::testing::Values(
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2013_1_1, L"2013_1_1", true},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2013_1_1, L"2013.1.1", true},
        // An older release renamed to a newer version.
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2012_2_22, L"2013_1_1", false},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2013_1_1 | 1, L"2013_1_1", false},
        // The program itself, a language library, another product.
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit", v2013_1_1, L"2013_1_1", false},
        identity_case{L"Orv Vanta Kit", L"", v2013_1_1, L"2013_1_1", false},
        identity_case{L"Orv Other Kit", L"Orv Vanta Kit Setup", v2013_1_1, L"2013_1_1", false},
        identity_case{L"orv vanta kit", L"Orv Vanta Kit Setup", v2013_1_1, L"2013_1_1", false},
        // One to four numbers, the missing ones 0: each side of both bounds.
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2013_1_1, L"2013_1_1_0", true},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2013_1_1 | 1, L"2013_1_1_1", true},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2013_1_1, L"2013_1_1_0_0", false},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", 0x07DD'0001'0000'0000, L"2013_1",
                      true},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", 0x0002'0000'0000'0000, L"2", true},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2013_1_1, L"2013_1", false},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", 0, L"", false},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2013_1_1, L"2013_1_1 ", false},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2013_1_1, L"2013_1_1_", false},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", v2013_1_1, L"2013-1-1", false},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", 0, L"65536_0_0", false},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", 0xFFFF'0000'0000'FFFF,
                      L"65535_0_0_65535", true},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", 0, L"0_0_0_65536", false},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", 0, L"0_0_0", true},
        identity_case{L"Orv Vanta Kit", L"Orv Vanta Kit Setup", 0, L"_0_0", false}));

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
        // Without pins nothing is trusted, however trusted the chain.
        judgement{trust_ok, false, false, package_verdict::publisher_unknown},
        judgement{trust_untrusted_root, false, false, package_verdict::publisher_unknown},
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

namespace orv {
namespace {

// An installer package's release: OrvReleaseVersion, with the ProductVersion the release
// writes for it, (year - 2000).month.day.
TEST(InstallerRelease, IsTheReleasePropertyWhenProductVersionMapsToIt) {
    EXPECT_EQ(installer_release_version(L"2013.1.1", L"13.1.1"),
              std::optional<std::uint64_t>(2013ull << 48 | 1ull << 32 | 1ull << 16));
    EXPECT_EQ(installer_release_version(L"2000.12.31", L"0.12.31"),
              std::optional<std::uint64_t>(2000ull << 48 | 12ull << 32 | 31ull << 16));
    EXPECT_EQ(installer_release_version(L"2255.1.1", L"255.1.1"),
              std::optional<std::uint64_t>(2255ull << 48 | 1ull << 32 | 1ull << 16));
    for (const auto& [release, product] :
         std::initializer_list<std::pair<const wchar_t*, const wchar_t*>>{
             {L"2013.1.1", L"12.2.22"},   // an older package under a newer release
             {L"2013.1.1", L"2013.1.1"},  // not the mapping
             {L"2013.1.1", L"13.1.2"},
             {L"2013.1.1", L"13.1.1.1"},
             {L"2013.1.1.1", L"13.1.1"},  // a release has three numbers
             {L"1999.1.1", L"255.1.1"},   // before 2000
             {L"2256.1.1", L"256.1.1"},   // beyond what Windows Installer keeps
             {L"", L"13.1.1"},
             {L"2013.1.1", L""},
             {L"2013_1_x", L"13.1.1"}}) {
        EXPECT_EQ(installer_release_version(release, product), std::nullopt)
            << ::testing::PrintToString(std::wstring(release)) << " "
            << ::testing::PrintToString(std::wstring(product));
    }
}

}  // namespace
}  // namespace orv
