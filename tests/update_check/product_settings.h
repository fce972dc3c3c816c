// A product's settings key in the registry, seen from a test: distinct product ids per test,
// raw access to the values, and removal of the key before and after.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace orv_test {

class product_settings {
public:
    // Removes any key left over from an earlier run; the destructor removes it again.
    explicit product_settings(int product_id);
    ~product_settings();
    product_settings(const product_settings&) = delete;
    product_settings& operator=(const product_settings&) = delete;

    int id() const { return id_; }
    // "Software\Orvatec\UpdateCheck\<hex>".
    const std::wstring& key() const { return key_; }

    bool key_exists() const;
    // A REG_DWORD value; nothing when missing or of another type.
    std::optional<std::uint32_t> dword(const wchar_t* name) const;
    bool set_dword(const wchar_t* name, std::uint32_t value) const;
    bool set_string(const wchar_t* name, const std::wstring& value) const;
    bool delete_value(const wchar_t* name) const;
    void remove() const;

private:
    int id_;
    std::wstring key_;
};

// An MS-DOS date `days` days after today (UTC), computed independently of the library.
std::uint16_t dos_date_in_days(int days);

}  // namespace orv_test
