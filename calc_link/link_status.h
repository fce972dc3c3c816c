// Status result of the calculator link: 0 for success, E_FAIL for failure. Test for < 0.
#pragma once

#include <cstdint>

namespace vanta_kit {
using link_status = std::int32_t;
inline constexpr link_status link_ok = 0;
inline constexpr link_status link_fail = static_cast<link_status>(0x80004005u);  // E_FAIL
}  // namespace vanta_kit
