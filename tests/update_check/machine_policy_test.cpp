// Which of the two machine keys decides a value, and what the values mean.
#include "update_check/rules/machine_policy.h"

#include <gtest/gtest.h>

#include <string>

namespace orv {
namespace {

registry_value utf16(std::uint32_t type, const std::wstring& text) {
    registry_value value{type, {}, true};
    for (wchar_t c : text) {
        value.bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        value.bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return value;
}

registry_value dword(std::uint32_t number, std::uint32_t type = registry_dword) {
    return registry_value{
        type,
        {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
         static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)},
        true};
}

registry_value unreadable(std::uint32_t type) { return registry_value{type, {}, false}; }

const std::wstring pin = L"28efb2a9febde4cebb978c494dbb536ced389edddea7e1655b2c202c1712fc83";

TEST(MachinePolicy, APolicyValueWinsWhateverTheMachineKeyHolds) {
    const registry_value policy = utf16(registry_string, L"policy.example");
    const registry_value machine = utf16(registry_string, L"machine.example");
    EXPECT_EQ(server_text(deciding_value(policy, machine)), L"policy.example");
    EXPECT_EQ(server_text(deciding_value(std::nullopt, machine)), L"machine.example");
    EXPECT_EQ(server_text(deciding_value(std::nullopt, std::nullopt)), std::nullopt);
    // An unusable policy value is not passed over for a usable one below it.
    EXPECT_EQ(server_text(deciding_value(dword(1), machine)), L"");
    EXPECT_FALSE(machine_allows_scheduled_checks(deciding_value(dword(0), dword(1))));
    EXPECT_TRUE(machine_allows_scheduled_checks(deciding_value(dword(1), dword(0))));
}

TEST(MachinePolicy, ServerIsAStringOfAtMost511CharactersOrContactsNothing) {
    EXPECT_EQ(server_text(utf16(registry_string, L"127.0.0.1:2121")), L"127.0.0.1:2121");
    EXPECT_EQ(server_text(utf16(registry_string, std::wstring(L"host\0rest", 9))), L"host");
    EXPECT_EQ(server_text(utf16(registry_string, std::wstring(511, L'h'))),
              std::wstring(511, L'h'));
    EXPECT_EQ(server_text(utf16(registry_string, std::wstring(512, L'h'))), L"");
    const std::uint32_t expand_string = 2;
    EXPECT_EQ(server_text(utf16(expand_string, L"%HOST%")), L"");
    EXPECT_EQ(server_text(unreadable(registry_string)), L"");
}

TEST(MachinePolicy, PublisherPinsAreOnePinPerStringOrRefuseEverything) {
    const std::wstring z(1, L'\0');
    EXPECT_EQ(trusted_publisher_pins(std::nullopt), std::vector<std::string>{});
    EXPECT_EQ(trusted_publisher_pins(utf16(registry_multi_string, pin + z + z)),
              (std::vector<std::string>{std::string(pin.begin(), pin.end())}));
    for (const registry_value& bad :
         {utf16(registry_string, pin + z), utf16(registry_multi_string, z + z),
          utf16(registry_multi_string, L"\x00e9" + pin.substr(1) + z + z),
          unreadable(registry_multi_string)}) {
        EXPECT_EQ(trusted_publisher_pins(bad), std::nullopt);
    }
}

TEST(MachinePolicy, PublisherPinsOver64KiBRefuseEverything) {
    const std::wstring z(1, L'\0');
    std::wstring list;
    while ((list.size() + pin.size() + 2) * 2 <= 64 * 1024) list += pin + z;
    EXPECT_TRUE(trusted_publisher_pins(utf16(registry_multi_string, list + z)));
    EXPECT_EQ(trusted_publisher_pins(utf16(registry_multi_string, list + pin + z + z)),
              std::nullopt);
}

TEST(MachinePolicy, OnlyAbsenceOrANonZeroDwordAllowsScheduledChecks) {
    EXPECT_TRUE(machine_allows_scheduled_checks(std::nullopt));
    EXPECT_TRUE(machine_allows_scheduled_checks(dword(1)));
    EXPECT_TRUE(machine_allows_scheduled_checks(dword(0x100)));
    EXPECT_FALSE(machine_allows_scheduled_checks(dword(0)));
    // Anything else an administrator wrote restricts.
    EXPECT_FALSE(machine_allows_scheduled_checks(utf16(registry_string, L"1")));
    EXPECT_FALSE(machine_allows_scheduled_checks(dword(1, registry_multi_string)));
    EXPECT_FALSE(machine_allows_scheduled_checks(registry_value{registry_dword, {1, 0}, true}));
    EXPECT_FALSE(machine_allows_scheduled_checks(unreadable(registry_dword)));
}

TEST(MachinePolicy, OnlyADwordOfExactlyOneIsYes) {
    EXPECT_TRUE(dword_is_one(dword(1)));
    for (const std::optional<registry_value>& no :
         {std::optional<registry_value>(), std::optional(dword(0)), std::optional(dword(2)),
          std::optional(dword(0x101)), std::optional(utf16(registry_string, L"1")),
          std::optional(unreadable(registry_dword))}) {
        EXPECT_FALSE(dword_is_one(no));
    }
}

}  // namespace
}  // namespace orv
