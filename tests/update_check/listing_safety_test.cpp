// A listing is input from the network: entries whose names are not plain file names must
// never lead to a file written or opened outside the temporary directory. They do not count as
// packages, so the next entry is examined.
#include "tests/update_check/check_fixture.h"

namespace orv_test {
namespace {

using dialog_driver::press_button;

using ListingSafety = check_fixture;

TEST_F(ListingSafety, HostileNamesAreSkippedForTheNextEntry) {
    product_settings product(0x3501);
    publish_package(L"hostile/Orv_Vanta_Kit_2012_3_1.exe");
    ASSERT_TRUE(ftp_fixture::set_listing_extra(
        L"hostile", ftp_fixture::listing_line("Orv_Vanta_Kit_9/../../../orv_escape.exe", 3000) +
                        ftp_fixture::listing_line("Orv_Vanta_Kit_9\\..\\..\\orv_escape.exe", 3000) +
                        ftp_fixture::listing_line("Orv_Vanta_Kit_9:orv_escape.exe", 3000)));
    modal_call call([&] {
        lib().check_w(product.id(), L"/hostile/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033);
    });
    ASSERT_TRUE(get_offered_package());
    ASSERT_TRUE(call.returned());

    const auto package = downloaded(L"Orv_Vanta_Kit_2012_3_1.exe");
    ASSERT_TRUE(package);
    EXPECT_EQ(*package, package_bytes());
    // Nothing escaped the temporary directory, whichever way a hostile name might resolve.
    std::wstring parent = temporary_directory().substr(
        0, temporary_directory().rfind(L'\\', temporary_directory().size() - 2) + 1);
    for (const std::wstring& place :
         {parent, parent + L"..\\", parent + L"..\\..\\", temporary_directory()}) {
        EXPECT_EQ(::GetFileAttributesW((place + L"orv_escape.exe").c_str()),
                  INVALID_FILE_ATTRIBUTES)
            << "written in " << std::string(place.begin(), place.end());
    }
}

}  // namespace
}  // namespace orv_test
