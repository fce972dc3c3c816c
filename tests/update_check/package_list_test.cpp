// The HTTPS list file, as hostile bytes: what it yields, what it skips, and when it fails.
#include "update_check/https/package_list.h"

#include <gtest/gtest.h>

#include <ostream>

namespace orv {
namespace {

using namespace std::string_literals;

struct list_case {
    const char* name;
    std::string bytes;
    // The entries as "name=size" joined by ' '; nothing when the list must fail.
    std::optional<std::string> entries;
};

void PrintTo(const list_case& c, std::ostream* out) { *out << c.name; }

std::string joined(const std::vector<package_list_entry>& entries) {
    std::string text;
    for (const auto& entry : entries) {
        if (!text.empty()) text += ' ';
        text +=
            std::string(entry.name.begin(), entry.name.end()) + '=' + std::to_string(entry.size);
    }
    return text;
}

std::string lines(std::size_t count, const std::string& line) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += line;
    return text;
}

const list_case list_cases[] = {
    {"bom_and_crlf", "\xEF\xBB\xBFKit_2.exe 10\r\nKit_1.exe 20\r\n", "Kit_2.exe=10 Kit_1.exe=20"},
    {"tabs_and_several_blanks_trailing_blanks_no_last_end", "a.exe\t \t7 \nb-c_d.exe  0",
     "a.exe=7 b-c_d.exe=0"},
    {"comments_and_blank_lines", "# a comment 5\n\n\r\n#x.exe 1\nx.exe 1\n", "x.exe=1"},
    {"bad_names_skipped",
     "a/b.exe 1\n..\\c.exe 2\nd%2F.exe 3\ne f.exe 4\nk\xC3\xA9.exe 5\n.. 6\nok.exe 7\n",
     "..=6 ok.exe=7"},
    {"malformed_lines_skipped",
     " lead.exe 1\nnosize.exe\nneg.exe -1\nhex.exe 0x10\nsuffix.exe 12kb\n"
     "big.exe 18446744073709551616\nmax.exe 18446744073709551615\nnul.exe 1\0\n"s,
     "max.exe=18446744073709551615"},
    {"a_bom_alone_or_nothing", "\xEF\xBB\xBF", ""},
    {"exactly_the_limits", lines(1000, "a.exe 1\n") + lines(65536 - 8000, "#"),
     joined(std::vector<package_list_entry>(1000, {L"a.exe", 1}))},
    {"more_than_64_kib", "a.exe 1\n" + lines(65536 - 7, "#"), std::nullopt},
    {"more_than_1000_entries", lines(1001, "a.exe 1\n"), std::nullopt},
};

class PackageList : public ::testing::TestWithParam<list_case> {};

TEST_P(PackageList, ReadsEntriesSkipsTheRestFailsBeyondItsBounds) {
    const auto entries = parse_package_list(GetParam().bytes);
    if (!GetParam().entries) {
        EXPECT_FALSE(entries);
        return;
    }
    ASSERT_TRUE(entries);
    EXPECT_EQ(joined(*entries), *GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(Lists, PackageList, ::testing::ValuesIn(list_cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orv
