#include "update_check/local_calendar.h"

namespace orv {

std::int64_t make_local_time(std::tm& moment) { return _mktime64(&moment); }

bool split_local_time(std::int64_t seconds, std::tm& moment) {
    __time64_t value = seconds;
    return _localtime64_s(&moment, &value) == 0;
}

}  // namespace orv
