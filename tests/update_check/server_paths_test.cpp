// Texts derived from the server address and the caller's server path.
#include "update_check/server_paths.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(ServerPaths, BrowseLocationIsTheHostAndTheServerDirectory) {
    EXPECT_EQ(browse_location(L"ftp.orvatec.com", L"/pub/calculators/OrvK58x/Orv_Vanta_Kit.exe"),
              L"ftp.orvatec.com/pub/calculators/OrvK58x");
    EXPECT_EQ(browse_location(L"h", L"/Kit.exe"), L"h");
    EXPECT_EQ(browse_location(L"h", L"Kit.exe"), L"hKit.exe");
    EXPECT_EQ(browse_location(L"", L"/Kit.exe"), L"/Kit.exe");
    EXPECT_EQ(browse_location(L"", L""), L"");
}

TEST(ServerPaths, RemotePathNeedsADirectoryBeyondTheRoot) {
    EXPECT_EQ(remote_package_path(L"/pub/calculators/OrvK58x/Orv_Vanta_Kit.exe",
                                  L"Orv_Vanta_Kit_2012_3_1.exe"),
              L"/pub/calculators/OrvK58x/Orv_Vanta_Kit_2012_3_1.exe");
    EXPECT_EQ(remote_package_path(L"pub/Kit.exe", L"Kit_1.exe"), L"pub/Kit_1.exe");
    EXPECT_FALSE(remote_package_path(L"/Kit.exe", L"Kit_1.exe"));
    EXPECT_FALSE(remote_package_path(L"Kit.exe", L"Kit_1.exe"));
}

TEST(ServerPaths, ServerAddressFromTheEnvironment) {
    auto plain = parse_server_address(L"mirror.example.org");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->host, L"mirror.example.org");
    EXPECT_EQ(plain->port, 21);
    auto with_port = parse_server_address(L"127.0.0.1:2121");
    ASSERT_TRUE(with_port);
    EXPECT_EQ(with_port->host, L"127.0.0.1");
    EXPECT_EQ(with_port->port, 2121);
    for (const wchar_t* bad : {L"", L":21", L"host:", L"host:0", L"host:65536", L"host:21x",
                               L"host:123456", L"a b:21", L"a/b"}) {
        EXPECT_FALSE(parse_server_address(bad)) << ::testing::PrintToString(std::wstring(bad));
    }
}

TEST(ServerPaths, TheVendorServerUnlessOverriddenByAValidAddress) {
    server_address vendor = choose_server_address(std::nullopt);
    EXPECT_EQ(vendor.host, L"ftp.orvatec.com");
    EXPECT_EQ(vendor.port, 21);
    EXPECT_EQ(choose_server_address(std::wstring_view(L"host:99")).port, 99);
    EXPECT_EQ(choose_server_address(std::wstring_view(L"host:bad")).host, L"ftp.orvatec.com");
}

TEST(ServerPaths, SettingsKeyUsesLowerCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(settings_key_for(100), L"Software\\Orvatec\\UpdateCheck\\64");
    EXPECT_EQ(settings_key_for(0), L"Software\\Orvatec\\UpdateCheck\\0");
    EXPECT_EQ(settings_key_for(0xABCD), L"Software\\Orvatec\\UpdateCheck\\abcd");
}

}  // namespace
}  // namespace orv
