// Puts per-user DWORD settings back as they were when a journey ends: the journeys share the
// suite's Wine prefix with programs that start vanta without choosing its language or its
// update schedule first.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/test_hid_stack/harness/registry_values.h"

namespace e2e_tests {

class saved_dwords {
public:
    // Values under HKEY_CURRENT_USER\<key>.
    saved_dwords(std::wstring key, std::vector<std::wstring> names) : key_(std::move(key)) {
        for (std::wstring& name : names) {
            auto value = e2e::read_dword(HKEY_CURRENT_USER, key_, name);
            saved_.push_back({std::move(name), value});
        }
    }
    ~saved_dwords() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                e2e::set_dword(HKEY_CURRENT_USER, key_, name, *value);
            } else {
                e2e::delete_value(HKEY_CURRENT_USER, key_, name);
            }
        }
    }
    saved_dwords(const saved_dwords&) = delete;
    saved_dwords& operator=(const saved_dwords&) = delete;

private:
    std::wstring key_;
    std::vector<std::pair<std::wstring, std::optional<DWORD>>> saved_;
};

inline constexpr wchar_t update_settings_key[] = L"Software\\Orvatec\\UpdateCheck\\64";

}  // namespace e2e_tests
