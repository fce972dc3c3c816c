// Shared by the vanta journeys: skipping when the build has no vanta.exe, and short names.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_hid_stack/harness/text.h"
#include "tests/support/test_hid_stack/harness/vanta_app.h"

namespace e2e_tests {

using bytes = std::vector<std::uint8_t>;

inline constexpr wchar_t no_calculator[] = L"No Calculator Detected";
inline constexpr wchar_t new_hardware[] = L"New Hardware Detected";
inline constexpr std::uint64_t current_firmware = 0x7222201200000000;

// File > Check for Updates, and the controls of the library's "Check for Update" dialog.
inline constexpr unsigned check_for_updates = 32780;
inline constexpr int not_now_button = 3;
inline constexpr int get_it_button = 4;
inline constexpr int status_text = 1013;
inline constexpr int auto_check_box = 1014;
// Where the update server keeps vanta's packages (below the served root).
inline constexpr wchar_t package_directory[] = L"pub/calculators/OrvK58x/";

#define SKIP_WITHOUT_VANTA()                                                 \
    do {                                                                     \
        if (!e2e::vanta_app::built()) GTEST_SKIP() << "vanta.exe not built"; \
    } while (0)

}  // namespace e2e_tests
