// Downloads that do not go as listed: a listed size of 0, a file that cannot be fetched, a
// server path without a directory.
#include "tests/update_check/check_fixture.h"

#include "tests/support/machine_settings.h"
#include "tests/support/signing/trusted_publishers.h"

#include <cstring>
#include <ostream>

namespace orv_test {
namespace {

using dialog_driver::press_button;

BOOL CALLBACK match_text(HWND child, LPARAM context) {
    auto* wanted = reinterpret_cast<std::pair<const wchar_t*, bool>*>(context);
    if (dialog_driver::window_title(child) == wanted->first) wanted->second = true;
    return TRUE;
}

bool has_child_with_text(HWND window, const wchar_t* text) {
    std::pair<const wchar_t*, bool> wanted{text, false};
    ::EnumChildWindows(window, &match_text, reinterpret_cast<LPARAM>(&wanted));
    return wanted.second;
}

using DialogDownload = check_fixture;

TEST_F(DialogDownload, ListedSizeZeroStillDownloadsEverything) {
    product_settings product(0x3401);
    publish_package(L"zero/Orv_Vanta_Kit_2012_3_1.exe");
    // The same name listed first with size 0: the size query sees 0, the data still arrive.
    ASSERT_TRUE(ftp_fixture::set_listing_extra(
        L"zero", ftp_fixture::listing_line("Orv_Vanta_Kit_2012_3_1.exe", 0)));
    modal_call call(
        [&] { lib().check_w(product.id(), L"/zero/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033); });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog_driver::wait_for_text(dialog, status_text, update_available));
    progress_recorder progress(dialog);
    ASSERT_TRUE(progress.hooked());
    ASSERT_TRUE(press_button(dialog, get_it_button));
    ASSERT_TRUE(call.returned());
    const auto package = downloaded(L"Orv_Vanta_Kit_2012_3_1.exe");
    ASSERT_TRUE(package);
    EXPECT_EQ(*package, package_bytes());
    // The size the download went by was the listed 0: one step, at the end.
    EXPECT_EQ(progress.positions(), expected_progress_steps(0));
    EXPECT_GE(wait_for_marker().size(), 2u);
}

TEST_F(DialogDownload, FailedDownloadShowsErrorThenCloses) {
    product_settings product(0x3402);
    // Listed, but not there to fetch.
    ASSERT_TRUE(ftp_fixture::make_directory(L"gone"));
    ASSERT_TRUE(ftp_fixture::set_listing_extra(
        L"gone", ftp_fixture::listing_line("Orv_Vanta_Kit_2012_3_1.exe", 4096)));
    modal_call call(
        [&] { lib().check_w(product.id(), L"/gone/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033); });
    ASSERT_TRUE(get_offered_package());

    HWND box = dialog_driver::wait_for_window(L"OrvUpdateCheck", ::GetCurrentProcessId());
    ASSERT_TRUE(box);
    EXPECT_TRUE(has_child_with_text(box, L"Error"));
    ASSERT_TRUE(press_button(box, IDOK));
    ASSERT_TRUE(call.returned());
    EXPECT_EQ(::GetFileAttributesW(marker_path().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(files_named(L"Orv_Vanta_Kit_2012_3_1.exe").empty());
}

// A package that must not be opened: how it is served, and the box that says so.
struct refused_package {
    const char* name;
    std::function<void(const std::wstring& relative)> publish;
    const wchar_t* caption;
    const wchar_t* text;
    update_source source = update_source::ftp;
};

void PrintTo(const refused_package& c, std::ostream* out) { *out << c.name; }

const wchar_t* const not_verified =
    L"The downloaded file could not be verified and was not opened.";

// Wine reports every file as the user's own, as a download place of the user's would show.
const std::wstring unprotected_place =
    L"The update was not downloaded, because its folder is not protected:\n" +
    check_fixture::download_parent() +
    L"\n\nAn administrator should delete this folder. The next check makes it again, "
    L"changeable by administrators only.";

const refused_package refused_packages[] = {
    {"unsigned",
     [](const std::wstring& relative) {
         check_fixture::publish_package(relative, L"package_stub.exe");
     },
     L"Error", not_verified},
    {"changed_after_signing",
     [](const std::wstring& relative) {
         std::string bytes = check_fixture::package_bytes();
         ASSERT_GT(bytes.size(), 4096u);
         bytes[bytes.size() / 3] ^= 0x5A;  // in the code, well before the signature
         ASSERT_TRUE(ftp_fixture::write_file(relative, bytes));
     },
     L"Error", not_verified},
    {"another_publisher",
     [](const std::wstring& relative) {
         check_fixture::publish_package(relative, L"package_stub_other.exe");
     },
     L"Error", not_verified},
    {"older_release_renamed_newer",
     [](const std::wstring& relative) {
         check_fixture::publish_package(relative, L"package_stub_older_signed.exe");
     },
     L"Error", not_verified},
    // The release's uninstaller: the installer's version resource and signer, but the
    // signature of another file.
    {"uninstaller_signed_by_the_publisher",
     [](const std::wstring& relative) {
         check_fixture::publish_package(relative, L"package_stub_uninstaller.exe");
     },
     L"Error", not_verified},
    {"the_program_itself",
     [](const std::wstring& relative) {
         check_fixture::publish_package(relative, L"vanta_signed.exe");
     },
     L"Error", not_verified},
    // The right package, but the machine's pins are not stored as one pin per REG_MULTI_SZ
    // string: every package is refused rather than any publisher, or any pin, trusted.
    {"pin_stored_as_reg_sz",
     [](const std::wstring& relative) {
         check_fixture::publish_package(relative);
         std::wstring pin = test_signing::test_publisher_pin(check_fixture::program_directory());
         ASSERT_TRUE(
             test_support::set_update_machine_value(L"TrustedPublishers", REG_SZ, pin + L'\0'));
     },
     L"Error", not_verified},
    // Beside the right pin: one bad string spoils the whole value.
    {"pin_and_one_written_with_colons",
     [](const std::wstring& relative) {
         check_fixture::publish_package(relative);
         std::wstring pin = test_signing::test_publisher_pin(check_fixture::program_directory());
         std::wstring colons;
         for (std::size_t i = 0; i < pin.size(); i += 2) {
             colons += (i ? L":" : L"") + pin.substr(i, 2);
         }
         ASSERT_TRUE(test_signing::set_trusted_publishers({pin, colons}));
     },
     L"Error", not_verified},
    {"not_a_program",
     [](const std::wstring& relative) {
         ASSERT_TRUE(ftp_fixture::write_file(relative, "@echo off\r\nstart calc\r\n"));
     },
     L"Error", not_verified},
    {"transfer_cut_short",
     [](const std::wstring& relative) {
         // Listed at full size ahead of the real entry, which holds only the first half.
         std::string bytes = check_fixture::package_bytes();
         ASSERT_TRUE(ftp_fixture::write_file(relative, bytes.substr(0, bytes.size() / 2)));
         std::wstring directory = relative.substr(0, relative.rfind(L'/'));
         ASSERT_TRUE(ftp_fixture::set_listing_extra(
             directory, ftp_fixture::listing_line("Orv_Vanta_Kit_2012_3_1.exe", bytes.size())));
     },
     L"OrvUpdateCheck", L"Error"},
    {"https_transfer_cut_short",
     [](const std::wstring& relative) {
         // Listed and announced (Content-Length) at full size; the server stops half-way.
         std::string bytes = check_fixture::package_bytes();
         ASSERT_TRUE(ftp_fixture::write_file(relative, bytes));
         ASSERT_TRUE(https_fixture::cut_short(relative, bytes.size() / 2));
         check_fixture::publish_list(relative.substr(0, relative.rfind(L'/')),
                                     {"Orv_Vanta_Kit_2012_3_1.exe"});
     },
     L"OrvUpdateCheck", L"Error", update_source::https},
    // Without an administrator's word for a place whose protection cannot be shown, nothing
    // is downloaded, and the box names the folder.
    {"place_owned_by_the_user",
     [](const std::wstring& relative) {
         check_fixture::publish_package(relative);
         ASSERT_TRUE(test_support::allow_unprotected_download_folder(false));
     },
     L"Error", unprotected_place.c_str()},
};

class RefusedPackage : public check_fixture,
                       public ::testing::WithParamInterface<refused_package> {};

// Refused, deleted, never started; the caller keeps running although flag 0x8 asks to end it.
TEST_P(RefusedPackage, IsDeletedNotOpenedAndTheCallerRuns) {
    product_settings product(0x3410);
    scoped_source source(GetParam().source);
    std::wstring directory =
        L"refused_" + std::wstring(GetParam().name, GetParam().name + std::strlen(GetParam().name));
    GetParam().publish(directory + L"/Orv_Vanta_Kit_2012_3_1.exe");
    std::wstring server_path = L"/" + directory + L"/Orv_Vanta_Kit.exe";
    modal_call call(
        [&] { lib().check_w(product.id(), server_path.c_str(), L"_2012_2_22", 12, 1033); });
    ASSERT_TRUE(get_offered_package());

    HWND box = dialog_driver::wait_for_window(GetParam().caption, ::GetCurrentProcessId());
    ASSERT_TRUE(box);
    EXPECT_TRUE(has_child_with_text(box, GetParam().text));
    ASSERT_TRUE(press_button(box, IDOK));
    ASSERT_TRUE(call.returned());
    EXPECT_EQ(::GetFileAttributesW(marker_path().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(files_named(L"Orv_Vanta_Kit_2012_3_1.exe").empty());
}

INSTANTIATE_TEST_SUITE_P(Packages, RefusedPackage, ::testing::ValuesIn(refused_packages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogDownload, ServerPathWithoutDirectoryDownloadsNothing) {
    product_settings product(0x3403);
    publish_package(L"Orv_Root_Kit_2.exe");
    modal_call call([&] { lib().check_w(product.id(), L"/Orv_Root_Kit.exe", L"1", 4, 1033); });
    ASSERT_TRUE(get_offered_package());
    ASSERT_TRUE(call.returned());
    EXPECT_TRUE(files_named(L"Orv_Root_Kit_2.exe").empty());
}

}  // namespace
}  // namespace orv_test
