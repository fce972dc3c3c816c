// Where an elevated download may go and what clean-up may touch: the parent's choice, the
// owner and DACL rules its held handle must pass, the exact comparison of final paths, the
// names clean-up removes, and the version-block layout the identity check reads.
#include "update_check/rules/download_place.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/version_block.h"

namespace orv {
namespace {

TEST(DownloadParent, ElevatedCallersUseProgramDataAndNeverTheUsersTemp) {
    const std::wstring temp = L"C:\\Users\\pupil\\AppData\\Local\\Temp\\";
    EXPECT_EQ(download_parent_for(true, L"C:\\ProgramData", temp),
              L"C:\\ProgramData\\OrvUpdateCheck\\");
    EXPECT_EQ(download_parent_for(true, L"D:\\Data\\", temp), L"D:\\Data\\OrvUpdateCheck\\");
    EXPECT_EQ(download_parent_for(true, L"\\\\srv\\share", temp),
              L"\\\\srv\\share\\OrvUpdateCheck\\");
    // No usable ProgramData: nothing, not the user's folder.
    EXPECT_EQ(download_parent_for(true, L"", temp), std::nullopt);
    EXPECT_EQ(download_parent_for(true, L"ProgramData", temp), std::nullopt);
    EXPECT_EQ(download_parent_for(true, L"C:ProgramData", temp), std::nullopt);
    EXPECT_EQ(download_parent_for(true, L"\\\\\\x", temp), std::nullopt);
    EXPECT_EQ(download_parent_for(true, L"1:\\ProgramData", temp), std::nullopt);
    // A caller without administrator rights keeps its own temporary directory.
    EXPECT_EQ(download_parent_for(false, L"C:\\ProgramData", temp), temp);
    EXPECT_EQ(download_parent_for(false, L"C:\\ProgramData", L"C:\\Temp"), L"C:\\Temp\\");
    EXPECT_EQ(download_parent_for(false, L"C:\\ProgramData", L""), std::nullopt);
}

TEST(DownloadParent, OwnedByAdministratorsOrSystemOnly) {
    EXPECT_TRUE(trusted_owner(L"S-1-5-32-544"));
    EXPECT_TRUE(trusted_owner(L"S-1-5-18"));
    EXPECT_FALSE(trusted_owner(L"S-1-5-32-545"));  // Users
    EXPECT_FALSE(trusted_owner(L"S-1-5-21-1-2-3-1001"));
    EXPECT_FALSE(trusted_owner(L"S-1-5-32-5440"));
    EXPECT_FALSE(trusted_owner(L""));
}

constexpr std::uint8_t inherit_only = 0x08;
constexpr std::uint32_t full_control = 0x001F01FF;
constexpr std::uint32_t read_execute = 0x001200A9;
const std::wstring users = L"S-1-5-32-545";

// one extra entry beside the parent's own two -> may only administrators change it
struct dacl_case {
    const char* name;
    access_entry extra;
    bool protected_folder;
};
class ParentDacl : public ::testing::TestWithParam<dacl_case> {};

TEST_P(ParentDacl, NobodyButAdministratorsAndSystemMayChangeIt) {
    std::vector<access_entry> dacl{{true, 0x03, full_control, L"S-1-5-18"},
                                   {true, 0x03, full_control, L"S-1-5-32-544"},
                                   GetParam().extra};
    EXPECT_EQ(only_administrators_change(dacl), GetParam().protected_folder);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ParentDacl,
    ::testing::Values(
        dacl_case{"users_read_execute", {true, 0x03, read_execute, users}, true},
        dacl_case{"users_denied_everything", {false, 0x03, full_control, users}, true},
        dacl_case{"creator_owner_inherit_only", {true, 0x0B, full_control, L"S-1-3-0"}, true},
        dacl_case{"creator_owner_on_the_folder", {true, 0x03, full_control, L"S-1-3-0"}, false},
        dacl_case{"users_write_data", {true, 0, 0x00000002, users}, false},
        dacl_case{"users_append_data", {true, 0, 0x00000004, users}, false},
        dacl_case{"users_write_attributes", {true, 0, 0x00000100, users}, false},
        dacl_case{"users_delete_child", {true, 0, 0x00000040, users}, false},
        dacl_case{"users_delete", {true, 0, 0x00010000, users}, false},
        dacl_case{"users_write_dac", {true, 0, 0x00040000, users}, false},
        dacl_case{"users_write_owner", {true, 0, 0x00080000, users}, false},
        dacl_case{"users_generic_write", {true, 0, 0x40000000, users}, false},
        dacl_case{"users_generic_all", {true, 0, 0x10000000, users}, false},
        dacl_case{"users_maximum_allowed", {true, 0, 0x02000000, users}, false},
        dacl_case{"everyone_full_control", {true, 0, full_control, L"S-1-1-0"}, false},
        dacl_case{
            "the_user_inherit_only", {true, inherit_only, 0x2, L"S-1-5-21-1-2-3-1001"}, false},
        dacl_case{"unknown_form", {true, 0, full_control, L"?"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParentDacl, ANullDaclAdmitsEveryone) {
    EXPECT_FALSE(only_administrators_change(std::nullopt));
    EXPECT_TRUE(only_administrators_change(std::vector<access_entry>{}));
}

TEST(DownloadCleanUp, TouchesOnlyNamesTheLibraryMakes) {
    EXPECT_TRUE(is_download_folder_name(L"OrvUpdate-0123456789abcdef"));
    EXPECT_FALSE(is_download_folder_name(L"OrvUpdate-0123456789abcde"));    // 15 digits
    EXPECT_FALSE(is_download_folder_name(L"OrvUpdate-0123456789abcdef0"));  // 17
    EXPECT_FALSE(is_download_folder_name(L"OrvUpdate-0123456789abcdeg"));
    EXPECT_FALSE(is_download_folder_name(L"OrvUpdate-0123456789abcdeF"));
    EXPECT_FALSE(is_download_folder_name(L"OrvUpdate-0123456789abcde/"));
    EXPECT_FALSE(is_download_folder_name(L"OrvUpdate-0123456789abcde:"));
    EXPECT_FALSE(is_download_folder_name(L"orvupdate-0123456789abcdef"));
    EXPECT_FALSE(is_download_folder_name(L"OrvUpdate_0123456789abcdef"));
    EXPECT_FALSE(is_download_folder_name(L"Orv_Vanta_Kit_2013_1_1.exe"));
    EXPECT_FALSE(is_download_folder_name(L""));
}

TEST(HeldPaths, AFileMustLieDirectlyInsideTheExactFolder) {
    const std::wstring folder = L"C:\\ProgramData\\OrvUpdateCheck\\OrvUpdate-0123456789abcdef";
    EXPECT_TRUE(directly_inside(folder + L"\\Kit_2.exe", folder));
    // A twin that differs only in letter case is another folder.
    EXPECT_FALSE(directly_inside(
        L"C:\\ProgramData\\OrvUpdateCheck\\OrvUpdate-0123456789ABCDEF\\Kit_2.exe", folder));
    EXPECT_FALSE(directly_inside(
        L"c:\\ProgramData\\OrvUpdateCheck\\OrvUpdate-0123456789abcdef\\Kit_2.exe", folder));
    EXPECT_FALSE(directly_inside(folder + L"\\sub\\Kit_2.exe", folder));
    EXPECT_FALSE(directly_inside(folder + L"0\\Kit_2.exe", folder));
    EXPECT_FALSE(directly_inside(folder + L"\\", folder));
    EXPECT_FALSE(directly_inside(folder, folder));
    EXPECT_FALSE(directly_inside(L"\\Kit_2.exe", L""));
}

// A version block's first bytes: wLength, wValueLength, wType, then the key.
std::vector<std::uint8_t> version_block(std::size_t length, std::uint16_t type, bool wide_key) {
    std::vector<std::uint8_t> block(length < 40 ? 40 : length, 0);
    block[0] = static_cast<std::uint8_t>(length & 0xFF);
    block[1] = static_cast<std::uint8_t>(length >> 8);
    block[4] = static_cast<std::uint8_t>(type);
    const char key[] = "VS_VERSION_INFO";
    for (std::size_t i = 0; i < sizeof(key); ++i) {
        if (wide_key) {
            block[6 + 2 * i] = static_cast<std::uint8_t>(key[i]);
        } else {
            block[4 + i] = static_cast<std::uint8_t>(key[i]);  // 16-bit: no wType
        }
    }
    return block;
}

TEST(VersionBlock, OnlyThe32BitLayoutIsRead) {
    auto ok = version_block(92, 1, true);
    EXPECT_TRUE(fw::is_unicode_version_block(ok.data(), ok.size()));
    EXPECT_TRUE(fw::is_unicode_version_block(ok.data(), 92));
    EXPECT_FALSE(fw::is_unicode_version_block(ok.data(), 91));  // wLength past the block
    auto minimal = version_block(38, 0, true);
    EXPECT_TRUE(fw::is_unicode_version_block(minimal.data(), 38));
    auto too_short = version_block(37, 0, true);
    EXPECT_FALSE(fw::is_unicode_version_block(too_short.data(), 40));
    auto ansi = version_block(92, 0, false);
    EXPECT_FALSE(fw::is_unicode_version_block(ansi.data(), ansi.size()));
    auto other_type = version_block(92, 2, true);
    EXPECT_FALSE(fw::is_unicode_version_block(other_type.data(), other_type.size()));
    auto other_key = version_block(92, 1, true);
    other_key[6 + 2 * 14] = 'P';  // "VS_VERSION_INFP"
    EXPECT_FALSE(fw::is_unicode_version_block(other_key.data(), other_key.size()));
    EXPECT_FALSE(fw::is_unicode_version_block(nullptr, 0));
}

}  // namespace
}  // namespace orv
