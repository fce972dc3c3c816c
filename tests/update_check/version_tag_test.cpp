// Token-by-token comparison of a release's version suffix with the caller's version tag.
#include "update_check/rules/version_tag.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(VersionTag, ComparesTokensAsNumbers) {
    EXPECT_EQ(compare_version_tokens(L"2012_3_1", L"2012_2_22"), QueryState::Newer);
    EXPECT_EQ(compare_version_tokens(L"2012_2_22", L"2012_2_22"), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"2012_9_30", L"2012_10_1"), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"2012_10_1", L"2012_9_30"), QueryState::Newer);
    EXPECT_EQ(compare_version_tokens(L"2012.3.1", L"2012_2_22"), QueryState::Newer);
    EXPECT_EQ(compare_version_tokens(L"02", L"2"), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"3", L"02"), QueryState::Newer);
}

TEST(VersionTag, MissingTokensOnEitherSide) {
    // A missing local token counts as -1, so one more server token is newer...
    EXPECT_EQ(compare_version_tokens(L"2012_2_22_1", L"2012_2_22"), QueryState::Newer);
    EXPECT_EQ(compare_version_tokens(L"2012_2_22_0", L"2012_2_22"), QueryState::Newer);
    // ...while the server running out of tokens first is not.
    EXPECT_EQ(compare_version_tokens(L"2012_2", L"2012_2_22"), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"", L"2012"), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"1", L""), QueryState::Newer);
}

TEST(VersionTag, OuterSeparatorsAreNotTokens) {
    // vanta's own tag starts with a separator: its own release and older ones are not newer.
    EXPECT_EQ(compare_version_tokens(L"2012_2_22", L"_2012_2_22"), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"2012_2_1", L"_2012_2_22"), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"0_5", L"_2012_2_22"), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"2012_2_23", L"_2012_2_22"), QueryState::Newer);
    EXPECT_EQ(compare_version_tokens(L"_2012_2_22.", L"2012_2_22__"), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"._2012_3", L"2012_2_22_"), QueryState::Newer);
    // A separator that ends the server's suffix alone is no empty last token either.
    EXPECT_EQ(compare_version_tokens(L"2012_2_22_", L"2012_2_22"), QueryState::NotNewer);
    // Separators inside still delimit tokens, and an empty tag still reads as 0.
    EXPECT_EQ(compare_version_tokens(L"_", L""), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"2012_2_22", L""), QueryState::Newer);
}

TEST(VersionTag, TokensWithoutDigitsReadAsZero) {
    EXPECT_EQ(compare_version_tokens(L"b_1", L"0_0"), QueryState::Newer);
    EXPECT_EQ(compare_version_tokens(L"b", L"0_5"), QueryState::NotNewer);
    EXPECT_EQ(compare_version_tokens(L"1b", L"1a_9"), QueryState::NotNewer);
}

TEST(VersionTag, TokenNumbersFollowTheCLibraryRulesAndClamp) {
    EXPECT_EQ(token_number(L"  42x"), 42);
    EXPECT_EQ(token_number(L"+7"), 7);
    EXPECT_EQ(token_number(L"-12"), -12);
    EXPECT_EQ(token_number(L"-"), 0);
    EXPECT_EQ(token_number(L""), 0);
    EXPECT_EQ(token_number(L"2147483647"), 2147483647);
    EXPECT_EQ(token_number(L"2147483648"), 2147483647);
    EXPECT_EQ(token_number(L"99999999999999999999999999"), 2147483647);
    EXPECT_EQ(token_number(L"-2147483648"), -2147483647 - 1);
    EXPECT_EQ(token_number(L"-99999999999999999999999999"), -2147483647 - 1);
    // Clamped values still compare: a huge server token beats any local one.
    EXPECT_EQ(compare_version_tokens(L"99999999999", L"2147483646"), QueryState::Newer);
}

}  // namespace
}  // namespace orv
