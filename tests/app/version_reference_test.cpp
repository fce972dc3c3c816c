// The firmware version reference: splitting, version-file parsing and comparison.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/version_reference.h"

namespace {

void expect_parts(std::uint64_t version, std::int32_t first, std::int32_t second,
                  std::int32_t third) {
    version_components parts = split_version(version);
    EXPECT_EQ(parts.first, first) << std::hex << version;
    EXPECT_EQ(parts.second, second) << std::hex << version;
    EXPECT_EQ(parts.third, third) << std::hex << version;
}

TEST(split_version, takes_first_from_bits_32_to_47_second_from_the_top_byte_third_below_it) {
    expect_parts(0x7222201200000000ull, 0x2012, 0x02, 0x22);
    expect_parts(program_version, 0x2012, 0x02, 0x22);
    expect_parts(0x0AB1FFFF00000000ull, 0xFFFF, 0x0A, 0xB1);
}

// Every release date a build can be given (cmake/vanta_version.cmake) comes back whole from
// its packed form, months 10 to 12 included.
TEST(pack_version, every_release_date_splits_back_into_its_components) {
    EXPECT_EQ(pack_version(0x2012, 0x2, 0x22), 0x7222201200000000ull);
    for (std::uint32_t year : {0x1999u, 0x2012u, 0x2013u, 0x9999u}) {
        for (std::uint32_t month = 1; month <= 12; ++month) {
            for (std::uint32_t day = 1; day <= 31; ++day) {
                // Decimal digits written as hexadecimal ones, as the program prints them.
                const std::uint32_t m = month / 10 * 16 + month % 10;
                const std::uint32_t d = day / 10 * 16 + day % 10;
                const version_components parts = split_version(pack_version(year, m, d));
                ASSERT_EQ(parts.first, static_cast<std::int32_t>(year)) << month << '.' << day;
                ASSERT_EQ(parts.second, static_cast<std::int32_t>(m)) << month << '.' << day;
                ASSERT_EQ(parts.third, static_cast<std::int32_t>(d)) << month << '.' << day;
            }
        }
    }
    EXPECT_EQ(format_version(L"_%x_%0x_%0x", pack_version(0x2013, 0x12, 0x31)), L"_2013_12_31");
}

TEST(split_version, ignores_the_top_four_bits) {
    expect_parts(0xF222201200000000ull, 0x2012, 0x02, 0x22);
}

TEST(split_version, shifts_a_value_with_low_bits_set_by_four_without_masking_again) {
    // 0x0722220120000001 becomes 0x7222201200000010.
    expect_parts(0x0722220120000001ull, 0x2012, 0x72, 0x22);
    // Bits 8 to 11 are among the lowest twelve too.
    expect_parts(0x0722220120000800ull, 0x2012, 0x72, 0x22);
    // The old firmware's fixed value becomes 0x1110201100000010.
    expect_parts(0x7111020110000001ull, 0x2011, 0x11, 0x10);
    // Bit 12 alone is not among the lowest twelve: no shift.
    expect_parts(0x0222201200001000ull, 0x2012, 0x02, 0x22);
}

struct format_case {
    const wchar_t* pattern;
    const wchar_t* expected;
};

class format_version_test : public ::testing::TestWithParam<format_case> {};

// 0x7222201200000000 splits into 2012, 2 and 22 (hexadecimal). Patterns may come from a
// language library, so a conversion that would read anything but those three values stands
// as written.
TEST_P(format_version_test, prints_the_three_components_and_nothing_else) {
    EXPECT_EQ(format_version(GetParam().pattern, 0x7222201200000000ull), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    patterns, format_version_test,
    ::testing::Values(
        format_case{L"Version %x %x %x", L"Version 2012 2 22"},
        format_case{L"_%x_%0x_%0x", L"_2012_2_22"}, format_case{L"%04x.%-3x|%3X", L"2012.2  | 22"},
        format_case{L"%#x %#X %#x", L"0x2012 0X2 0x22"}, format_case{L"100%% %x", L"100% 2012"},
        format_case{L"%s %n %d %x", L"%s %n %d 2012"},
        format_case{L"%x %x %x %x %x", L"2012 2 22 %x %x"}, format_case{L"%", L"%"},
        format_case{L"%0", L"%0"},
        format_case{L"%99999999999999999999x",
                    L"                                                           2012"},
        format_case{L"", L""}));

TEST(format_version, output_is_capped_at_63_characters) {
    EXPECT_EQ(format_version(std::wstring(200, L'a').c_str(), 0), std::wstring(63, L'a'));
    EXPECT_EQ(format_version(L"%63x%63x", 0).size(), 63u);
    EXPECT_EQ(format_version(nullptr, 0), L"");
}

TEST(parse_version_line, reads_the_hex_number_between_the_first_equals_and_semicolon) {
    EXPECT_EQ(parse_version_line("K58x=7222201200000000;"), 0x7222201200000000ull);
    EXPECT_EQ(parse_version_line("version = 7222201200000000 ; comment=1;"), 0x7222201200000000ull);
    EXPECT_EQ(parse_version_line("a=b=c;"), 0xBull) << "digits stop at the first non-digit";
    EXPECT_EQ(parse_version_line("=0x1F;"), 0x1Full);
    EXPECT_EQ(parse_version_line("=\t00000000000000000000000000000001;"), 1u)
        << "leading zeros are not significant";
}

TEST(parse_version_line, gives_no_value_for_lines_without_a_sound_pair) {
    EXPECT_FALSE(parse_version_line(""));
    EXPECT_FALSE(parse_version_line("7222201200000000"));
    EXPECT_FALSE(parse_version_line("K58x=7222201200000000")) << "no semicolon";
    EXPECT_FALSE(parse_version_line("K58x 7222201200000000;")) << "no equals sign";
    EXPECT_FALSE(parse_version_line(";K58x=7222201200000000")) << "semicolon first";
    EXPECT_FALSE(parse_version_line("a;b=72;")) << "the first semicolon comes first";
    EXPECT_FALSE(parse_version_line("K58x=;"));
    EXPECT_FALSE(parse_version_line("K58x=zz;"));
    EXPECT_FALSE(parse_version_line("K58x=-1;")) << "no sign is read";
    EXPECT_FALSE(parse_version_line("K58x=17222201200000000;")) << "more than 64 bits";
}

// A scratch folder made the current directory for one test.
class version_file_test : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::random_device random;
        folder_ =
            std::filesystem::temp_directory_path() / ("vanta-version-" + std::to_string(random()));
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(folder_);
    }
    void write_version_file(const std::string& contents) {
        std::ofstream(folder_ / "version", std::ios::binary) << contents;
    }

    std::filesystem::path previous_;
    std::filesystem::path folder_;
};

TEST_F(version_file_test, compares_against_the_first_line_of_the_file) {
    write_version_file("K58x=7222201200000000;\r\nsecond=7322201200000000;\r\n");
    version_reference reference;
    EXPECT_EQ(reference.compare_version(0x7222201200000000ull), 0);
    EXPECT_EQ(reference.compare_version(0x7222201100000000ull), -1) << "first 0x2011 smaller";
    EXPECT_EQ(reference.compare_version(0x7322201200000000ull), 1) << "second 0x03 larger";
    EXPECT_EQ(reference.compare_version(0x7221201200000000ull), -1) << "third 0x21 smaller";
    EXPECT_EQ(reference.compare_version(0xF222201200000000ull), 0) << "top bits ignored";
    EXPECT_EQ(reference.compare_version(0x7111020110000001ull), -1) << "old swapped firmware";
    EXPECT_EQ(reference.file_version_value(), 0x7222201200000000ull);
    version_components parts = reference.file_version();
    EXPECT_EQ(parts.first, 0x2012);
    EXPECT_EQ(parts.second, 0x02);
    EXPECT_EQ(parts.third, 0x22);
}

TEST_F(version_file_test, without_a_file_every_version_is_newer_and_the_file_is_sought_again) {
    version_reference reference;
    reference.load_version_file();
    EXPECT_EQ(reference.file_version_value(), 0u);
    EXPECT_EQ(reference.compare_version(0), 1);
    EXPECT_EQ(reference.compare_version(0x7111020110000001ull), 1);

    write_version_file("K58x=7222201200000000;\n");
    EXPECT_EQ(reference.compare_version(0x7111020110000001ull), -1)
        << "a file created after start-up is found at the next comparison";
}

TEST_F(version_file_test, a_first_line_without_a_value_leaves_the_reference_unset) {
    for (const char* contents : {"", "\nK58x=7222201200000000;\n", "K58x=7222201200000000\n",
                                 ";K58x=7222201200000000\n", "K58x=;\n", "K58x=0;\n"}) {
        write_version_file(contents);
        version_reference reference;
        reference.load_version_file();
        EXPECT_EQ(reference.file_version_value(), 0u) << '"' << contents << '"';
        EXPECT_EQ(reference.compare_version(0x7111020110000001ull), 1) << '"' << contents << '"';
    }
}

TEST_F(version_file_test, a_read_value_is_kept_when_the_file_changes_or_goes) {
    write_version_file("K58x=7222201200000000;");
    version_reference reference;
    reference.load_version_file();
    std::filesystem::remove(folder_ / "version");
    reference.load_version_file();
    write_version_file("K58x=zz;");
    reference.load_version_file();
    EXPECT_EQ(reference.file_version_value(), 0x7222201200000000ull);
    EXPECT_EQ(reference.compare_version(0x7222201200000000ull), 0);
}

TEST_F(version_file_test, a_huge_first_line_is_not_a_version_line) {
    write_version_file(std::string(100000, ' ') + "=7222201200000000;\n");
    version_reference reference;
    reference.load_version_file();
    EXPECT_EQ(reference.file_version_value(), 0u);
}

}  // namespace
