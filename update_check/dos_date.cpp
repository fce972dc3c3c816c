#include "update_check/dos_date.h"

#include <ctime>
#include <mutex>

#include "update_check/local_calendar.h"

namespace orv {
namespace {

// The C library's time-zone state is shared; keep conversions from running side by side.
std::mutex& calendar_mutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

std::uint16_t pack_dos_date(const calendar_date& date) {
    return static_cast<std::uint16_t>(((date.year - 1980) & 0x7F) << 9 | (date.month & 0xF) << 5 |
                                      (date.day & 0x1F));
}

calendar_date unpack_dos_date(std::uint16_t dos_date) {
    return calendar_date{1980 + (dos_date >> 9), (dos_date >> 5) & 0xF, dos_date & 0x1F};
}

bool is_valid_dos_date(std::uint16_t dos_date) {
    const calendar_date date = unpack_dos_date(dos_date);
    if (date.month < 1 || date.month > 12 || date.day < 1) return false;
    static constexpr int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = date.year % 4 == 0 && (date.year % 100 != 0 || date.year % 400 == 0);
    const int length = month_days[date.month - 1] + (date.month == 2 && leap ? 1 : 0);
    return date.day <= length;
}

std::uint32_t days_until_next_check(std::uint16_t next, std::uint16_t today) {
    if (!is_valid_dos_date(next)) return 0;
    return whole_days_until(dos_date_to_time(next), dos_date_to_time(today));
}

std::int64_t dos_date_to_time(std::uint16_t dos_date) {
    calendar_date date = unpack_dos_date(dos_date);
    std::tm moment{};
    moment.tm_year = date.year - 1900;
    moment.tm_mon = date.month - 1;
    moment.tm_mday = date.day;
    moment.tm_isdst = -1;
    std::lock_guard<std::mutex> lock(calendar_mutex());
    return make_local_time(moment);
}

std::uint32_t whole_days_until(std::int64_t next, std::int64_t today) {
    if (next <= today) return 0;
    return static_cast<std::uint32_t>((next - today) / 86400);
}

local_time local_time_after(std::int64_t start, std::uint16_t days) {
    std::int64_t moment = start + static_cast<std::int64_t>(days) * 86400;
    std::tm parts{};
    std::lock_guard<std::mutex> lock(calendar_mutex());
    if (!split_local_time(moment, parts)) return local_time{1980, 1, 1, 0, 0, 0};
    return local_time{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                      parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace orv
