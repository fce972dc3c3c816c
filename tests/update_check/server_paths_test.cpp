// Texts derived from the server address and the caller's server path.
#include "update_check/rules/server_paths.h"

#include <gtest/gtest.h>

#include <ostream>

#include "update_check/https/https_paths.h"

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
    // A setting that is there but unusable never falls back to the vendor's server.
    for (const wchar_t* unusable : {L"host:bad", L"", L"http://host", L"ftp://host", L"https://",
                                    L"https://h/root/", L"HTTP://host:80"}) {
        EXPECT_EQ(choose_server_address(std::wstring_view(unusable)).transport,
                  update_transport::unusable)
            << ::testing::PrintToString(std::wstring(unusable));
    }
}

struct https_setting_case {
    const wchar_t* text;
    const wchar_t* host;  // null: the setting is malformed
    std::uint16_t port = 0;
    const wchar_t* root = nullptr;
    // What the listing, a package and Check Online ask for, for vanta's server path.
    const wchar_t* list_request = nullptr;
    const wchar_t* package_request = nullptr;
    const wchar_t* directory_url = nullptr;
};

const https_setting_case https_settings[] = {
    {L"https://updates.example.org", L"updates.example.org", 443, L"",
     L"/pub/calculators/OrvK58x/Orv_Vanta_Kit.list",
     L"/pub/calculators/OrvK58x/Orv_Vanta_Kit_2013_1_1.exe",
     L"https://updates.example.org/pub/calculators/OrvK58x/"},
    {L"HTTPS://localhost:8443/mirror/orv", L"localhost", 8443, L"/mirror/orv",
     L"/mirror/orv/pub/calculators/OrvK58x/Orv_Vanta_Kit.list",
     L"/mirror/orv/pub/calculators/OrvK58x/Orv_Vanta_Kit_2013_1_1.exe",
     L"https://localhost:8443/mirror/orv/pub/calculators/OrvK58x/"},
    {L"https://h:443/r", L"h", 443, L"/r", L"/r/pub/calculators/OrvK58x/Orv_Vanta_Kit.list",
     L"/r/pub/calculators/OrvK58x/Orv_Vanta_Kit_2013_1_1.exe",
     L"https://h/r/pub/calculators/OrvK58x/"},
    {L"https://h/", nullptr},
    {L"https://h//r", nullptr},
    {L"https://h/../r", nullptr},
    {L"https://h/r%2F", nullptr},
    {L"https://h:0", nullptr},
    {L"https://h:65536", nullptr},
    {L"https://user@h", nullptr},
    {L"https://h?x=1", nullptr},
    {L"https://[::1]:443", nullptr},
    {L"https://:443", nullptr},
    {L"https://h h", nullptr},
};

void PrintTo(const https_setting_case& c, std::ostream* out) {
    *out << ::testing::PrintToString(std::wstring(c.text));
}

class HttpsSetting : public ::testing::TestWithParam<https_setting_case> {};

TEST_P(HttpsSetting, ParsesAndNamesWhatIsFetched) {
    const https_setting_case& c = GetParam();
    const auto server = parse_server_address(c.text);
    if (!c.host) {
        EXPECT_FALSE(server);
        return;
    }
    ASSERT_TRUE(server);
    EXPECT_EQ(server->transport, update_transport::https);
    EXPECT_EQ(server->host, c.host);
    EXPECT_EQ(server->port, c.port);
    EXPECT_EQ(server->root, c.root);
    const std::wstring server_path = L"/pub/calculators/OrvK58x/Orv_Vanta_Kit.exe";
    EXPECT_EQ(https_list_request(*server, L"/pub/calculators/OrvK58x/Orv_Vanta_Kit"),
              c.list_request);
    EXPECT_EQ(
        https_package_request(*server, L"/pub/calculators/OrvK58x/Orv_Vanta_Kit_2013_1_1.exe"),
        c.package_request);
    EXPECT_EQ(source_browse_location(*server, server_path), c.directory_url);
    // Names that could leave the directory or need escaping never reach a request.
    for (const wchar_t* bad : {L"/pub/../x.exe", L"/pub/a b.exe", L"/pub/a%2e.exe", L"pub/a.exe",
                               L"/pub//a.exe", L"/pub/a\\b.exe", L"/pub/a?.exe"}) {
        EXPECT_FALSE(https_package_request(*server, bad)) << ::testing::PrintToString(bad);
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, HttpsSetting, ::testing::ValuesIn(https_settings));

TEST(ServerPaths, UnusableSettingHasNoBrowseLocation) {
    EXPECT_EQ(source_browse_location(choose_server_address(std::wstring_view(L"http://h")),
                                     L"/pub/Kit.exe"),
              L"");
    EXPECT_EQ(source_browse_location(choose_server_address(std::nullopt), L"/pub/Kit.exe"),
              L"ftp.orvatec.com/pub");
}

TEST(ServerPaths, SettingsKeyUsesLowerCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(settings_key_for(100), L"Software\\Orvatec\\UpdateCheck\\64");
    EXPECT_EQ(settings_key_for(0), L"Software\\Orvatec\\UpdateCheck\\0");
    EXPECT_EQ(settings_key_for(0xABCD), L"Software\\Orvatec\\UpdateCheck\\abcd");
}

}  // namespace
}  // namespace orv
