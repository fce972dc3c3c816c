// The suffix rule that picks a package out of a server listing, and the name checks that keep
// a hostile listing from steering the download. Stems are given as the shell would strip them.
#include "update_check/rules/package_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

const std::wstring base = L"Orv_Vanta_Kit";

bool takes(const std::wstring& name, const std::wstring& extension = L".exe") {
    std::size_t dot = name.rfind(L'.');
    return is_versioned_package(name, dot == std::wstring::npos ? name : name.substr(0, dot), base,
                                extension);
}

// A server that ignores the pattern cannot slip in another program or another kind of file.
TEST(PackageSelection, NamesOutsideThePatternNeverQualify) {
    EXPECT_FALSE(takes(L"Evil_Vanta_Kit_2012_3_1.exe"));
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_2012_3_1.exe.lnk"));
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_2012_3_1.bat"));
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_2012_3_1.msi"));
    EXPECT_TRUE(takes(L"ORV_VANTA_KIT_2012_3_1.EXE"));
    EXPECT_TRUE(takes(L"Orv_Vanta_Kit_2012_3_1.msi", L".msi"));
    // A server path without an extension would let the server choose the kind of file.
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_2012_3_1", L""));
}

TEST(PackageSelection, PatternBaseCutsAtTheLastDotAnywhere) {
    EXPECT_EQ(pattern_base(L"/pub/calculators/OrvK58x/Orv_Vanta_Kit.exe"),
              L"/pub/calculators/OrvK58x/Orv_Vanta_Kit");
    EXPECT_EQ(pattern_base(L"/pub/v1.2/Kit"), L"/pub/v1");
    EXPECT_EQ(pattern_base(L"/pub/Kit"), L"/pub/Kit");
    EXPECT_EQ(pattern_base(L""), L"");
}

TEST(PackageSelection, SuffixSkipsOneCharacterAfterTheBaseName) {
    EXPECT_EQ(version_suffix(L"Orv_Vanta_Kit_2012_3_1", base), L"2012_3_1");
    EXPECT_EQ(version_suffix(L"Orv_Vanta_KitX2", base), L"2");
    EXPECT_EQ(version_suffix(L"Orv_Vanta_Kit_ ", base), L" ");
    // Counts 0 and -1, and a stem far shorter than the base name.
    EXPECT_EQ(version_suffix(L"Orv_Vanta_KitX", base), L"");
    EXPECT_EQ(version_suffix(L"Orv_Vanta_Kit", base), L"");
    EXPECT_EQ(version_suffix(L"O", base), L"");
    EXPECT_EQ(version_suffix(L"", base), L"");
}

TEST(PackageSelection, OnlyNamesWithANonBlankSuffixQualify) {
    EXPECT_TRUE(takes(L"Orv_Vanta_Kit_2.exe"));
    EXPECT_TRUE(takes(L"Orv_Vanta_Kit_2012_3_1.exe"));
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit.exe"));
    EXPECT_FALSE(takes(L"Orv_Vanta_KitX.exe"));
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_ .exe"));
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_\t \t.exe"));
    EXPECT_EQ(trim_blanks(L"  2012 \t"), L"2012");
    EXPECT_EQ(trim_blanks(L" \r\n"), L"");
}

TEST(PackageSelection, NamesThatCouldLeaveTheTargetDirectoryNeverQualify) {
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_9/../../evil.exe"));
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_9\\..\\evil.exe"));
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_C:evil.exe"));
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_1\nx.exe"));
    EXPECT_FALSE(takes(std::wstring(L"Orv_Vanta_Kit_1") + L'\0' + L".exe"));
    EXPECT_FALSE(takes(L"Orv_Vanta_Kit_" + std::wstring(300, L'1') + L".exe"));
}

TEST(PackageSelection, PlainFileNames) {
    EXPECT_TRUE(is_plain_file_name(L"Orv_Vanta_Kit_2012_3_1.exe"));
    EXPECT_TRUE(is_plain_file_name(L"a..b.exe"));
    EXPECT_TRUE(is_plain_file_name(L"conference.exe"));
    EXPECT_TRUE(is_plain_file_name(std::wstring(255, L'a')));
    EXPECT_FALSE(is_plain_file_name(std::wstring(256, L'a')));
    EXPECT_FALSE(is_plain_file_name(L""));
    EXPECT_FALSE(is_plain_file_name(L"."));
    EXPECT_FALSE(is_plain_file_name(L".."));
    EXPECT_FALSE(is_plain_file_name(L". ."));
    EXPECT_FALSE(is_plain_file_name(L"dir/file.exe"));
    EXPECT_FALSE(is_plain_file_name(L"dir\\file.exe"));
    EXPECT_FALSE(is_plain_file_name(L"file.exe:stream"));
    EXPECT_FALSE(is_plain_file_name(L"what?.exe"));
    EXPECT_FALSE(is_plain_file_name(L"tab\tname.exe"));
    EXPECT_FALSE(is_plain_file_name(L"del\x7fname.exe"));
    // Device names open a device wherever the "file" is placed.
    EXPECT_FALSE(is_plain_file_name(L"CON"));
    EXPECT_FALSE(is_plain_file_name(L"nul.exe"));
    EXPECT_FALSE(is_plain_file_name(L"Com1.exe"));
    EXPECT_FALSE(is_plain_file_name(L"LPT9"));
    EXPECT_FALSE(is_plain_file_name(L"aux .txt"));
    EXPECT_TRUE(is_plain_file_name(L"COM10.exe"));
    EXPECT_TRUE(is_plain_file_name(L"CONSOLE.exe"));
}

// The listing is read in the server's order and only until the first package: unsafe or
// unversioned names before it are passed over, whatever follows it is never read.
TEST(PackageSelection, FirstQualifyingEntryOfTheListingIsTakenInServerOrder) {
    const std::vector<std::wstring> listing = {
        L"Orv_Vanta_Kit.exe", L"Orv_Vanta_Kit_9/../x.exe", L"Orv_Vanta_Kit_ .exe",
        L"Orv_Vanta_Kit_2012_3_1.exe", L"Orv_Vanta_Kit_2013_1_1.exe"};
    std::size_t read = 0;
    const auto next = [&](listed_name& entry) {
        if (read == listing.size()) return false;
        entry.name = listing[read++];
        entry.stem = entry.name.substr(0, entry.name.rfind(L'.'));
        return true;
    };
    EXPECT_EQ(select_listed_package(next, base, L".exe"), L"Orv_Vanta_Kit_2012_3_1.exe");
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(select_listed_package(next, base, L".exe"), L"Orv_Vanta_Kit_2013_1_1.exe");
    EXPECT_EQ(select_listed_package(next, base, L".exe"), std::nullopt) << "listing used up";
    read = 0;
    EXPECT_EQ(select_listed_package(next, L"Unrelated_Package_Name_Longer", L".exe"), std::nullopt);
    EXPECT_EQ(read, listing.size());
}

}  // namespace
}  // namespace orv
