// MS-DOS dates and the day arithmetic of the check schedule.
#include "update_check/dos_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace orv {
namespace {

TEST(DosDate, PacksAndUnpacksTheCalendarFields) {
    EXPECT_EQ(pack_dos_date({1980, 1, 1}), 0x0021);
    EXPECT_EQ(pack_dos_date({2012, 3, 1}), (32 << 9) | (3 << 5) | 1);
    EXPECT_EQ(pack_dos_date({2107, 12, 31}), 0xFF9F);
    calendar_date date = unpack_dos_date(pack_dos_date({2024, 2, 29}));
    EXPECT_EQ(date.year, 2024);
    EXPECT_EQ(date.month, 2);
    EXPECT_EQ(date.day, 29);
}

TEST(DosDate, DatesMapToLocalMidnightOneDayApart) {
    std::int64_t first = dos_date_to_time(pack_dos_date({2012, 2, 28}));
    std::int64_t leap = dos_date_to_time(pack_dos_date({2012, 2, 29}));
    std::int64_t march = dos_date_to_time(pack_dos_date({2012, 3, 1}));
    // Late February has no daylight-saving change anywhere on the northern hemisphere's rules;
    // allow an hour either way for zones that have one.
    EXPECT_NEAR(static_cast<double>(leap - first), 86400.0, 3600.0);
    EXPECT_NEAR(static_cast<double>(march - leap), 86400.0, 3600.0);
    std::time_t moment = static_cast<std::time_t>(leap);
    std::tm* local = std::localtime(&moment);
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local->tm_hour, 0);
    EXPECT_EQ(local->tm_mday, 29);
}

TEST(DosDate, ImpossibleDatesAreNormalisedNotRejected) {
    // Day 0 of month 0 of 1980: the registry may hold anything in "NextUpdateDate".
    std::int64_t zero = dos_date_to_time(0);
    EXPECT_LT(zero, dos_date_to_time(pack_dos_date({1980, 1, 1})));
    EXPECT_GT(dos_date_to_time(0xFFFF), dos_date_to_time(pack_dos_date({2107, 12, 1})));
}

TEST(DosDate, DatesBeyond2038StayApart) {
    // A 32-bit time_t would make every date after January 2038 the same failure value.
    std::int64_t before = dos_date_to_time(pack_dos_date({2038, 1, 1}));
    std::int64_t after = dos_date_to_time(pack_dos_date({2038, 3, 1}));
    EXPECT_GT(before, 0);
    EXPECT_EQ(whole_days_until(after, before), 59u);
    EXPECT_EQ(whole_days_until(dos_date_to_time(pack_dos_date({2107, 12, 31})),
                               dos_date_to_time(pack_dos_date({2107, 12, 1}))),
              30u);
    local_time later = local_time_after(before, 120);
    EXPECT_EQ(later.year, 2038);
    EXPECT_EQ(later.month, 5);
}

TEST(DosDate, WholeDaysUntilTruncateAndNeverGoNegative) {
    EXPECT_EQ(whole_days_until(1000, 1000), 0u);
    EXPECT_EQ(whole_days_until(0, 86400 * 5), 0u);
    EXPECT_EQ(whole_days_until(86400 * 7, 0), 7u);
    // A daylight-saving change makes a week one hour short: still six whole days.
    EXPECT_EQ(whole_days_until(86400 * 7 - 3600, 0), 6u);
    EXPECT_EQ(whole_days_until(86400 * 7 + 3600, 0), 7u);
}

TEST(DosDate, LocalTimeAfterWholeDays) {
    std::int64_t start = dos_date_to_time(pack_dos_date({2012, 12, 25}));
    local_time later = local_time_after(start, 30);
    EXPECT_EQ(later.year, 2013);
    EXPECT_EQ(later.month, 1);
    // 30 days of 86400 s from local midnight: the 24th, or the 23rd at 23:00 across a change.
    EXPECT_TRUE(later.day == 24 || (later.day == 23 && later.hour == 23));
    local_time same = local_time_after(start, 0);
    EXPECT_EQ(same.day, 25);
    EXPECT_EQ(same.hour, 0);
}

struct stored_case {
    const char* name;
    std::uint16_t next;
    bool valid;
    std::uint32_t days = 0;  // from 2012-03-01 for a valid date
};

class StoredNextDate : public ::testing::TestWithParam<stored_case> {};

// "NextUpdateDate" is read from HKCU: a value that names no calendar day counts as due instead
// of being normalised into a date that may lie a century ahead.
TEST_P(StoredNextDate, OnlyCalendarDaysCanPostponeTheCheck) {
    const stored_case& c = GetParam();
    const std::uint16_t today = pack_dos_date({2012, 3, 1});
    EXPECT_EQ(is_valid_dos_date(c.next), c.valid);
    EXPECT_EQ(days_until_next_check(c.next, today), c.days);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredNextDate,
    ::testing::Values(stored_case{"leap_day", pack_dos_date({2016, 2, 29}), true, 1460},
                      stored_case{"last_day", pack_dos_date({2107, 12, 31}), true, 35002},
                      stored_case{"month_13", 0xFFBF, false},
                      stored_case{"month_15_day_31", 0xFFFF, false},
                      stored_case{"month_0", 0xFE01, false},
                      stored_case{"day_0", pack_dos_date({2013, 1, 0}), false},
                      stored_case{"february_30", pack_dos_date({2013, 2, 30}), false},
                      stored_case{"february_29_not_leap", pack_dos_date({2100, 2, 29}), false},
                      stored_case{"april_31", pack_dos_date({2013, 4, 31}), false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orv
