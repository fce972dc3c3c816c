// When the next scheduled check of a product is due: "NextUpdateDate", an MS-DOS date in the
// product's settings. Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// Today's date in UTC as an MS-DOS date.
std::uint16_t today_dos_date();

// Whole days until the next scheduled check; 0 when due (also when no date is stored).
std::uint32_t days_until_due(const std::wstring& settings_key);

// Stores today + `days` (local calendar) as the date of the next scheduled check.
void schedule_next_check(const std::wstring& settings_key, std::uint16_t days);

}  // namespace orv
