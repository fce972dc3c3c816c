// The signature's description: SpcSpOpusInfo as signing tools write it, malformed encodings,
// and the installer's description rule.
#include "update_check/rules/signature_description.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orv {
namespace {

using bytes = std::vector<std::uint8_t>;

bytes tlv(std::uint8_t tag, const bytes& contents) {
    bytes out{tag};
    const std::size_t n = contents.size();
    if (n < 0x80) {
        out.push_back(static_cast<std::uint8_t>(n));
    } else if (n < 0x100) {
        out.insert(out.end(), {0x81, static_cast<std::uint8_t>(n)});
    } else {
        out.insert(out.end(),
                   {0x82, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
    }
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
}

bytes operator+(bytes a, const bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bytes ascii(const std::string& text) { return bytes(text.begin(), text.end()); }

bytes bmp(const std::wstring& text) {
    bytes out;
    for (wchar_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c));
    }
    return out;
}

// SEQUENCE { [0] { SpcString } [, moreInfo] }
bytes opus(const bytes& spc_string, const bytes& more = {}) {
    return tlv(0x30, tlv(0xA0, spc_string) + more);
}

std::optional<std::wstring> name_of(const bytes& der) {
    return opus_program_name(der.data(), der.size());
}

const bytes more_info = tlv(0xA1, tlv(0x80, ascii("https://orvatec.example")));

TEST(SignatureDescription, ReadsTheProgramNameAsSigningToolsWriteIt) {
    // osslsigncode: IA5String; signtool: BMPString; either with a link after it.
    EXPECT_EQ(name_of(opus(tlv(0x81, ascii("Orv Vanta Kit Setup")))), L"Orv Vanta Kit Setup");
    EXPECT_EQ(name_of(opus(tlv(0x80, bmp(L"Orv Vanta Kit 安装")), more_info)),
              L"Orv Vanta Kit 安装");
    EXPECT_EQ(name_of(opus(tlv(0x81, {}))), L"");
    // A long name takes a long-form length at every level.
    const std::string long_name(300, 'x');
    EXPECT_EQ(name_of(opus(tlv(0x81, ascii(long_name)))), std::wstring(300, L'x'));
}

TEST(SignatureDescription, RefusesWhatIsNotExactlyOneWellFormedOpusInfo) {
    const bytes good = opus(tlv(0x81, ascii("Orv Vanta Kit Setup")));
    EXPECT_EQ(name_of({}), std::nullopt);
    EXPECT_EQ(opus_program_name(nullptr, 4), std::nullopt);
    // Cut anywhere: never read past the end.
    for (std::size_t size = 0; size < good.size(); ++size) {
        EXPECT_EQ(opus_program_name(good.data(), size), std::nullopt) << size;
    }
    EXPECT_EQ(name_of(good + bytes{0x00}), std::nullopt);  // bytes after it
    EXPECT_EQ(name_of(tlv(0x31, tlv(0xA0, tlv(0x81, ascii("a"))))), std::nullopt);  // a SET
    EXPECT_EQ(name_of(tlv(0x30, more_info)), std::nullopt);  // no programName
    EXPECT_EQ(name_of(tlv(0x30, {})), std::nullopt);
    EXPECT_EQ(name_of(opus(tlv(0x82, ascii("a")))), std::nullopt);  // not a SpcString choice
    EXPECT_EQ(name_of(opus(tlv(0x80, {0x00, 0x41, 0x00}))), std::nullopt);  // odd BMP bytes
    EXPECT_EQ(name_of(opus(tlv(0x81, {0x41, 0x80}))), std::nullopt);        // not ASCII
    EXPECT_EQ(name_of(opus(tlv(0x81, ascii("a")) + bytes{0x04, 0x00})), std::nullopt);  // two
    EXPECT_EQ(name_of(opus(tlv(0x81, ascii("a")), bytes{0xA1, 0x05, 0x00})), std::nullopt);
    // Indefinite, five-byte and overlong lengths.
    EXPECT_EQ(name_of({0x30, 0x80, 0xA0, 0x03, 0x81, 0x01, 0x41, 0x00, 0x00}), std::nullopt);
    EXPECT_EQ(name_of({0x30, 0x85, 0, 0, 0, 0, 5, 0xA0, 0x03, 0x81, 0x01, 0x41}), std::nullopt);
    EXPECT_EQ(name_of({0x30, 0x84, 0xFF, 0xFF, 0xFF, 0xFF, 0xA0}), std::nullopt);
    EXPECT_EQ(name_of({0x30, 0x05, 0xA0, 0x7F, 0x81, 0x01, 0x41}), std::nullopt);
    EXPECT_EQ(name_of({0x3F, 0x01, 0x30}), std::nullopt);  // a high tag number
}

TEST(SignatureDescription, OnlyTheInstallersDescriptionIsTheListedPackages) {
    EXPECT_TRUE(signature_description_matches(L"Orv Vanta Kit Setup", L"Orv_Vanta_Kit"));
    for (const std::optional<std::wstring>& other :
         {std::optional<std::wstring>(), std::optional<std::wstring>(L""),
          std::optional<std::wstring>(L"Orv Vanta Kit Uninstall"),
          std::optional<std::wstring>(L"Orv Vanta Kit"),
          std::optional<std::wstring>(L"orv vanta kit setup"),
          std::optional<std::wstring>(L"Orv Vanta Kit Setup "),
          std::optional<std::wstring>(L"Orv Vanta Kit Setu")}) {
        EXPECT_FALSE(signature_description_matches(other, L"Orv_Vanta_Kit"))
            << (other ? std::string(other->begin(), other->end()) : "none");
    }
    EXPECT_FALSE(signature_description_matches(L" Setup", L""));
}

}  // namespace
}  // namespace orv
