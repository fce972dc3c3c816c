#include "update_check/local_calendar.h"

namespace orv {

std::int64_t make_local_time(std::tm& moment) { return static_cast<std::int64_t>(mktime(&moment)); }

bool split_local_time(std::int64_t seconds, std::tm& moment) {
    time_t value = static_cast<time_t>(seconds);
    return localtime_r(&value, &moment) != nullptr;
}

}  // namespace orv
