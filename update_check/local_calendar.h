// The C library's local-time conversions with 64-bit seconds on every platform (the 32-bit
// Windows C runtime's plain time_t ends in 2038). One implementation file per platform.
#pragma once

#include <cstdint>
#include <ctime>

namespace orv {

// mktime: `moment` normalised in place; -1 when it cannot be represented.
std::int64_t make_local_time(std::tm& moment);

// localtime: false when `seconds` cannot be represented.
bool split_local_time(std::int64_t seconds, std::tm& moment);

}  // namespace orv
