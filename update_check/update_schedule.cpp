#include "update_check/update_schedule.h"

#include <windows.h>

#include "update_check/dos_date.h"
#include "update_check/settings_store.h"

namespace orv {

std::uint16_t today_dos_date() {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    FILETIME file_time{};
    WORD date = 0;
    WORD time = 0;
    if (!::SystemTimeToFileTime(&now, &file_time) ||
        !::FileTimeToDosDateTime(&file_time, &date, &time)) {
        return 0;
    }
    return date;
}

std::uint32_t days_until_due(const std::wstring& settings_key) {
    std::uint16_t today = today_dos_date();
    auto next = static_cast<std::uint16_t>(
        read_setting(settings_key, setting_next_update_date, today) & 0xFFFF);
    return days_until_next_check(next, today);
}

void schedule_next_check(const std::wstring& settings_key, std::uint16_t days) {
    local_time then = local_time_after(dos_date_to_time(today_dos_date()), days);
    SYSTEMTIME moment{};
    moment.wYear = static_cast<WORD>(then.year);
    moment.wMonth = static_cast<WORD>(then.month);
    moment.wDay = static_cast<WORD>(then.day);
    moment.wHour = static_cast<WORD>(then.hour);
    moment.wMinute = static_cast<WORD>(then.minute);
    moment.wSecond = static_cast<WORD>(then.second);
    FILETIME file_time{};
    WORD date = 0;
    WORD time = 0;
    if (!::SystemTimeToFileTime(&moment, &file_time) ||
        !::FileTimeToDosDateTime(&file_time, &date, &time)) {
        return;
    }
    write_setting(settings_key, setting_next_update_date, date);
}

}  // namespace orv
