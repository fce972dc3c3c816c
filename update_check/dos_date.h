// MS-DOS dates and the local-calendar arithmetic of the check schedule. Portable (C library
// time functions only); the Windows side turns system times into these dates.
//
// An MS-DOS date packs a calendar date into 16 bits: bits 0-4 day of month, bits 5-8 month,
// bits 9-15 years since 1980.
#pragma once

#include <cstdint>

namespace orv {

struct calendar_date {
    int year;   // 1980 to 2107
    int month;  // 1 to 12
    int day;    // 1 to 31
};

std::uint16_t pack_dos_date(const calendar_date& date);
calendar_date unpack_dos_date(std::uint16_t dos_date);

// The moment of local midnight at the start of `dos_date`, in seconds since 1970; daylight
// saving is left to the C library to determine. An impossible date (day 0, month 13) is
// normalised the way the C library normalises it.
std::int64_t dos_date_to_time(std::uint16_t dos_date);

// Whether `dos_date` names a day of the calendar: month 1 to 12, day 1 to the month's length.
bool is_valid_dos_date(std::uint16_t dos_date);

// Whole days until the check scheduled for `next` (a stored value, so anything) is due, seen
// from `today`: whole_days_until of their local midnights. A `next` that names no calendar
// day counts as due (0), rather than being normalised into some later date.
std::uint32_t days_until_next_check(std::uint16_t next, std::uint16_t today);

// Whole days from `today` until `next`, both from dos_date_to_time: 0 when `next` is not later,
// otherwise the difference divided by 86400, truncated.
std::uint32_t whole_days_until(std::int64_t next, std::int64_t today);

// Local calendar time `days` whole days of 86400 seconds after `start`.
struct local_time {
    int year, month, day, hour, minute, second;
};
local_time local_time_after(std::int64_t start, std::uint16_t days);

}  // namespace orv
