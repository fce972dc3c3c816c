// One listed calculator: its device path, upper-cased, and its open link. The entry owns the
// provider; releasing the entry closes the link first. UI thread only.
#pragma once

#include <memory>
#include <string>

#include "calc_link/calc_data_provider_impl.h"

struct device_entry {
    device_entry() = default;
    device_entry(const device_entry&) = delete;
    device_entry& operator=(const device_entry&) = delete;
    ~device_entry();

    // As discovery reported it, passed through vanta_kit::upper_case_path.
    std::wstring device_path;
    // Empty only when it could not be allocated.
    std::unique_ptr<vanta_kit::calc_data_provider_impl> provider;
};
