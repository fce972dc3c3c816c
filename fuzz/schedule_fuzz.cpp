// The check schedule's date arithmetic from arbitrary stored values: "NextUpdateDate" as read
// from HKCU, today's date, and a day count, in time zones with and without daylight saving.
//
// Input: a byte choosing the time zone, the stored next date, today's date and the day count
// (16 bits each, little-endian).
// Invariants: no sanitizer finding; a check is postponed only by a stored value that is a
// calendar day, and by no more days than lie between 1980 and 2108; today plus a day count
// is always a valid local date and time, and one that an MS-DOS date can hold packs to a valid
// MS-DOS date of the same day.
#include <cstdlib>
#include <ctime>

#include "fuzz/fuzz_input.h"
#include "update_check/dos_date.h"

namespace {

const char* const time_zones[] = {
    "UTC0",
    "CET-1CEST,M3.5.0,M10.5.0/3",
    "EST5EDT,M3.2.0,M11.1.0",
    "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0",   // a half-hour daylight-saving change
    "<-0330>3:30<-0230>,M3.2.0/0,M11.1.0/0",  // changes at midnight
    "<+14>-14",
};

bool is_calendar_day(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1) return false;
    static constexpr int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return day <= month_days[month - 1] + (month == 2 && leap ? 1 : 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::input in(data, size);
    static std::size_t zone = std::size(time_zones);
    const std::size_t wanted = in.byte() % std::size(time_zones);
    if (wanted != zone) {
        zone = wanted;
        setenv("TZ", time_zones[zone], 1);
        tzset();
    }
    const std::uint16_t next = in.u16();
    const std::uint16_t today = in.u16();
    const std::uint16_t days = in.u16();

    const std::uint32_t until = orv::days_until_next_check(next, today);
    if (until > 0) {
        FUZZ_CHECK(orv::is_valid_dos_date(next));
        const orv::calendar_date date = orv::unpack_dos_date(next);
        FUZZ_CHECK(is_calendar_day(date.year, date.month, date.day));
        FUZZ_CHECK(orv::pack_dos_date(date) == next);
        FUZZ_CHECK(until <= 128u * 366u);
    }

    const orv::local_time then = orv::local_time_after(orv::dos_date_to_time(today), days);
    FUZZ_CHECK(is_calendar_day(then.year, then.month, then.day));
    FUZZ_CHECK(then.hour >= 0 && then.hour < 24 && then.minute >= 0 && then.minute < 60 &&
               then.second >= 0 && then.second <= 60);
    if (then.year >= 1980 && then.year <= 2107) {
        const std::uint16_t packed = orv::pack_dos_date({then.year, then.month, then.day});
        FUZZ_CHECK(orv::is_valid_dos_date(packed));
        const orv::calendar_date back = orv::unpack_dos_date(packed);
        FUZZ_CHECK(back.year == then.year && back.month == then.month && back.day == then.day);
    }
    return 0;
}
