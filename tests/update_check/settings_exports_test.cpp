// The settings exports and their registry effects, checked through the registry API.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/first_use_imports.h"
#include "tests/support/dialog_driver/dialog_driver.h"
#include "tests/support/machine_settings.h"
#include "tests/update_check/orv_library.h"
#include "tests/update_check/product_settings.h"

namespace {

using orv_test::library;
using orv_test::product_settings;

class SettingsExports : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library().complete()); }
};

TEST_F(SettingsExports, FirstUseCreatesTheKeyWithDefaults) {
    product_settings product(0x3101);
    ASSERT_FALSE(product.key_exists());
    EXPECT_EQ(library().get_auto_check(product.id()), 1);
    EXPECT_TRUE(product.key_exists());
    EXPECT_EQ(product.key(), L"Software\\Orvatec\\UpdateCheck\\3101");
    EXPECT_EQ(library().get_frequency(product.id()), 30);
    // "NextUpdateDate" absent: due now.
    EXPECT_EQ(library().get_next_days(product.id()), 0);
    // Reading stores nothing.
    EXPECT_FALSE(product.dword(L"AutoUpdateCheck"));
    EXPECT_FALSE(product.dword(L"NextUpdateDate"));
}

TEST_F(SettingsExports, OnlyTheLowSixteenBitsNameTheProduct) {
    product_settings product(0x3102);
    library().set_frequency(0x53102, 12);
    EXPECT_EQ(product.dword(L"UpdateCheckFrequency"), 12u);
    EXPECT_EQ(library().get_frequency(0x3102), 12);
}

TEST_F(SettingsExports, AutoUpdateCheckStoresTheWholeValueAndReadsAsABoolean) {
    product_settings product(0x3103);
    library().set_auto_check(product.id(), 0x12345);
    EXPECT_EQ(product.dword(L"AutoUpdateCheck"), 0x12345u);
    EXPECT_EQ(library().get_auto_check(product.id()), 1);
    ASSERT_TRUE(product.set_dword(L"AutoUpdateCheck", 5));
    EXPECT_EQ(library().get_auto_check(product.id()), 1);
    library().set_auto_check(product.id(), 0);
    EXPECT_EQ(product.dword(L"AutoUpdateCheck"), 0u);
    EXPECT_EQ(library().get_auto_check(product.id()), 0);
}

TEST_F(SettingsExports, ValuesOfAnotherTypeAreIgnored) {
    product_settings product(0x3104);
    ASSERT_TRUE(product.set_string(L"AutoUpdateCheck", L"0"));
    ASSERT_TRUE(product.set_string(L"UpdateCheckFrequency", L"7"));
    ASSERT_TRUE(product.set_string(L"NextUpdateDate", L"65535"));
    EXPECT_EQ(library().get_auto_check(product.id()), 1);
    EXPECT_EQ(library().get_frequency(product.id()), 30);
    EXPECT_EQ(library().get_next_days(product.id()), 0);
}

TEST_F(SettingsExports, FrequencyIsClampedToOneHundredTwentyDays) {
    product_settings product(0x3105);
    library().set_frequency(product.id(), 500);
    EXPECT_EQ(product.dword(L"UpdateCheckFrequency"), 120u);
    library().set_frequency(product.id(), 0x10005);
    EXPECT_EQ(product.dword(L"UpdateCheckFrequency"), 5u);
    EXPECT_EQ(library().get_frequency(product.id()), 5);
    library().set_frequency(product.id(), -1);
    EXPECT_EQ(product.dword(L"UpdateCheckFrequency"), 120u);
    // A stored value is reported by its low 16 bits.
    ASSERT_TRUE(product.set_dword(L"UpdateCheckFrequency", 0x20009));
    EXPECT_EQ(library().get_frequency(product.id()), 9);
}

TEST_F(SettingsExports, NextUpdateDaysRoundTrip) {
    product_settings product(0x3106);
    library().set_next_days(product.id(), 7);
    EXPECT_EQ(product.dword(L"NextUpdateDate"), orv_test::dos_date_in_days(7));
    EXPECT_EQ(library().get_next_days(product.id()), 7);
    library().set_next_days(product.id(), 0);
    EXPECT_EQ(library().get_next_days(product.id()), 0);
    library().set_next_days(product.id(), 500);
    EXPECT_EQ(library().get_next_days(product.id()), 120);
    library().set_next_days(product.id(), 0x10003);
    EXPECT_EQ(library().get_next_days(product.id()), 3);
}

TEST_F(SettingsExports, PastAndNonsensicalDatesAreDue) {
    product_settings product(0x3107);
    ASSERT_TRUE(product.set_dword(L"NextUpdateDate", (20 << 9) | (1 << 5) | 1));  // 2000-01-01
    EXPECT_EQ(library().get_next_days(product.id()), 0);
    ASSERT_TRUE(product.set_dword(L"NextUpdateDate", 0));  // day 0 of month 0
    EXPECT_EQ(library().get_next_days(product.id()), 0);
    // Only the low 16 bits are a date.
    ASSERT_TRUE(product.set_dword(L"NextUpdateDate", 0xFFFF0000u | orv_test::dos_date_in_days(4)));
    EXPECT_EQ(library().get_next_days(product.id()), 4);
}

// WinINet is bound at the first FTP call: a scheduled check that is not due leaves it unloaded,
// a due one loads it (its background thread connects, here to a port nothing listens on).
TEST_F(SettingsExports, OnlyADueScheduledCheckLoadsTheNetworkLibrary) {
    ASSERT_EQ(::GetModuleHandleW(L"wininet.dll"), nullptr);
    const std::wstring dead_port = std::wstring(L"127.0.0.1:1") + L'\0';
    ASSERT_TRUE(test_support::set_update_machine_value(L"Server", REG_SZ, dead_port));
    product_settings product(0x3108);
    library().set_next_days(product.id(), 7);
    library().check_w(product.id(), L"/pub/none/Orv_None.exe", L"_1", 9, 1033);
    EXPECT_EQ(::GetModuleHandleW(L"wininet.dll"), nullptr);

    library().set_next_days(product.id(), 0);
    library().check_w(product.id(), L"/pub/none/Orv_None.exe", L"_1", 9, 1033);
    EXPECT_TRUE(dialog_driver::wait_until(
        [] { return ::GetModuleHandleW(L"wininet.dll") != nullptr; }, std::chrono::seconds(5)));
}

TEST(FirstUseImports, WhatCannotBeHadFailsCleanly) {
    ::SetLastError(0);
    EXPECT_EQ(fw::system_function(L"no_such_library.dll", "Anything"), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    ::SetLastError(0);
    EXPECT_EQ(fw::system_function(L"kernel32.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_NE(fw::system_function(L"shell32.dll", "ShellExecuteW"), nullptr);
}

}  // namespace
