// Per-user settings of one program in the registry, under
// HKEY_CURRENT_USER\Software\<vendor>\<application>. A section is a subkey of that key; the
// empty section is the program's key itself. Without a vendor key nothing is stored: reads give
// their defaults and writes fail. Any thread; each call opens and closes its key.
#pragma once

#include <string>

#include "framework/unique_handle.h"

namespace fw {

class profile {
public:
    profile() = default;
    profile(std::wstring vendor_key, std::wstring application_name);

    bool is_set() const noexcept { return !vendor_key_.empty(); }
    // "Software\<vendor>\<application>", relative to HKEY_CURRENT_USER.
    std::wstring application_key_path() const;

    // A REG_DWORD value; `default_value` when it is absent or of another type.
    unsigned int get_int(const std::wstring& section, const std::wstring& entry,
                         int default_value) const;
    bool write_int(const std::wstring& section, const std::wstring& entry, int value) const;

    // A REG_SZ value; `default_value` when it is absent or of another type.
    std::wstring get_string(const std::wstring& section, const std::wstring& entry,
                            const std::wstring& default_value) const;
    bool write_string(const std::wstring& section, const std::wstring& entry,
                      const std::wstring& value) const;

    bool delete_entry(const std::wstring& section, const std::wstring& entry) const;
    // Removes a (non-empty) section with its values.
    bool delete_section(const std::wstring& section) const;

private:
    std::wstring section_path(const std::wstring& section) const;
    registry_key open_section(const std::wstring& section, bool for_writing) const;

    std::wstring vendor_key_;
    std::wstring application_name_;
};

}  // namespace fw
