// The Windows Installer package under Wine's msiexec, as a school's administrator and the
// update library meet it: installed silently per machine into "Program Files (x86)", with its
// shortcut, uninstall entry and machine value AutoUpdateCheck; upgraded by a newer package and
// never downgraded; refused outside Program Files and where the setup program installed the
// product, which in turn refuses to install over the package; removed by msiexec /x. Then the
// library's ".msi" path end to end: a caller whose server path ends in ".msi" is offered the
// signed 2013.1.1 package, which is downloaded, checked and opened with msiexec /i and upgrades
// 2012.2.22; the same package signed with another key, and 2012.2.22 under the newer name, are
// refused.
//
// Run by tests/e2e/msi_journeys.sh (ctest e2e.msi_journeys), which makes the packages and
// passes them in (ORV_MSI_OLD, ORV_MSI_NEW, ORV_MSI_ROGUE, ORV_SETUP_NEW, ORV_TEST_PIN), under
// the FTP server's wrapper. It skips when run any other way.
#include <windows.h>
#include <msi.h>
#include <tlhelp32.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/installation.h"
#include "tests/support/ftp_server/ftp_fixture.h"
#include "tests/support/machine_settings.h"
#include "tests/support/test_hid_stack/harness/file_system.h"
#include "tests/support/test_hid_stack/harness/registry_values.h"
#include "tests/support/test_hid_stack/harness/text.h"

namespace {

using namespace std::chrono_literals;

constexpr wchar_t setup_program_entry[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orv Vanta Kit";
constexpr wchar_t published_package[] = L"pub/calculators/OrvK58x/Orv_Vanta_Kit_2013_1_1.msi";
constexpr wchar_t update_available[] =
    L"An update is available.\n\nYou can download and install a new version now.";
constexpr DWORD install_failure = 1603;  // ERROR_INSTALL_FAILURE
constexpr int status_text = 1013;
constexpr int get_it_button = 4;

std::wstring system_program(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return e2e::join(folder, name);
}

std::optional<DWORD> msiexec(const std::wstring& arguments) {
    return e2e::run(system_program(L"msiexec.exe"), arguments, 180000);
}

std::wstring known_folder(int csidl) {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, folder);
    return folder;
}

// Where the package installs on 64-bit Windows, beside the setup program's folder.
std::wstring install_dir() {
    return e2e::join(known_folder(CSIDL_PROGRAM_FILESX86), L"Orvatec\\Orv Vanta Kit");
}

// The Start-menu shortcut: all users' Programs, where Windows puts it for a per-machine
// package; Wine's msiexec puts it in the installing user's Programs instead.
std::wstring shortcut_path() {
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        std::wstring path = e2e::join(known_folder(csidl), L"Orv Vanta Kit.lnk");
        if (e2e::file_exists(path)) return path;
    }
    return {};
}

constexpr wchar_t uninstall_root[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The installed products of the package, by their uninstall entries "Orv Vanta Kit" (64-bit
// view) named by product code. (After a major upgrade Wine's msi no longer finds the new
// product by its UpgradeCode: MsiEnumRelatedProducts is no witness here.)
std::vector<std::wstring> installed_products() {
    std::vector<std::wstring> products;
    HKEY root = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, uninstall_root, 0, KEY_READ | KEY_WOW64_64KEY, &root) !=
        ERROR_SUCCESS) {
        return products;
    }
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (::RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        const std::wstring entry = std::wstring(uninstall_root) + L"\\" + name;
        if (name[0] == L'{' && e2e::read_string(HKEY_LOCAL_MACHINE, entry.c_str(), L"DisplayName",
                                                KEY_WOW64_64KEY) == L"Orv Vanta Kit") {
            products.push_back(name);
        }
    }
    ::RegCloseKey(root);
    return products;
}

// Whether a Windows Installer process still runs (one started by the library, say).
bool msiexec_running() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
         more = ::Process32NextW(snapshot, &entry)) {
        found = ::lstrcmpiW(entry.szExeFile, L"msiexec.exe") == 0;
    }
    ::CloseHandle(snapshot);
    return found;
}

std::wstring product_info(const std::wstring& product, const wchar_t* property) {
    wchar_t value[256] = {};
    DWORD length = 256;
    if (::MsiGetProductInfoW(product.c_str(), property, value, &length) != ERROR_SUCCESS) {
        return {};
    }
    return value;
}

// The one installed product's ProductVersion; empty when none or more than one is installed.
std::wstring installed_version() {
    std::vector<std::wstring> products = installed_products();
    return products.size() == 1 ? product_info(products[0], INSTALLPROPERTY_VERSIONSTRING)
                                : std::wstring();
}

std::optional<DWORD> machine_auto_update_check() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, test_support::update_machine_key, 0,
                        KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD value = 0, size = sizeof(value), type = 0;
    LSTATUS status = ::RegQueryValueExW(key, L"AutoUpdateCheck", nullptr, &type,
                                        reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
    return value;
}

class msi_journeys : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = e2e::environment(L"ORV_MSI_OLD");
        new_ = e2e::environment(L"ORV_MSI_NEW");
        rogue_ = e2e::environment(L"ORV_MSI_ROGUE");
        setup_ = e2e::environment(L"ORV_SETUP_NEW");
        pin_ = e2e::environment(L"ORV_TEST_PIN");
        if (old_.empty() || new_.empty() || rogue_.empty() || setup_.empty() || pin_.empty() ||
            !ftp_fixture::available()) {
            GTEST_SKIP() << "run by tests/e2e/msi_journeys.sh";
        }
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        remove_everything();
    }
    void TearDown() override {
        if (!old_.empty()) remove_everything();
        ::CoUninitialize();
    }

    // Each journey starts on a machine without the product.
    static void remove_everything() {
        for (const std::wstring& product : installed_products()) {
            msiexec(L"/x " + product + L" /qn");
        }
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, setup_program_entry, KEY_WOW64_32KEY, 0);
    }

    // Checks the installation of `version` (ProductVersion) and `release`.
    static void expect_installed(const std::wstring& version, const std::wstring& release) {
        const std::wstring folder = install_dir();
        EXPECT_NE(folder.find(L"\\Program Files (x86)\\Orvatec\\"), std::wstring::npos);
        for (const wchar_t* file :
             {L"vanta.exe", L"OrvUpdateCheck.dll", L"vantaCHS.dll", L"vantaCHT.dll", L"version"}) {
            EXPECT_TRUE(e2e::file_exists(e2e::join(folder, file))) << e2e::narrow(file);
        }
        std::vector<std::wstring> products = installed_products();
        ASSERT_EQ(products.size(), 1u) << "one entry";
        EXPECT_EQ(product_info(products[0], INSTALLPROPERTY_VERSIONSTRING), version);
        // The uninstall entry, in the 64-bit view of a package for 64-bit Windows.
        const std::wstring entry =
            L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + products[0];
        EXPECT_EQ(
            e2e::read_string(HKEY_LOCAL_MACHINE, entry.c_str(), L"DisplayName", KEY_WOW64_64KEY),
            L"Orv Vanta Kit");
        EXPECT_EQ(
            e2e::read_string(HKEY_LOCAL_MACHINE, entry.c_str(), L"Publisher", KEY_WOW64_64KEY),
            L"Orvatec");
        EXPECT_EQ(
            e2e::read_string(HKEY_LOCAL_MACHINE, entry.c_str(), L"DisplayVersion", KEY_WOW64_64KEY),
            version);
        EXPECT_EQ(e2e::read_string(HKEY_LOCAL_MACHINE, entry.c_str(), L"Comments", KEY_WOW64_64KEY),
                  L"Release " + release);
        EXPECT_EQ(e2e::read_string(HKEY_LOCAL_MACHINE, entry.c_str(), L"InstallLocation",
                                   KEY_WOW64_64KEY),
                  folder + L"\\");
        // The icon the entry shows (ARPPRODUCTICON), kept by Windows Installer.
        EXPECT_NE(product_info(products[0], INSTALLPROPERTY_PRODUCTICON), L"");
    }

    static void expect_removed() {
        EXPECT_TRUE(installed_products().empty());
        EXPECT_FALSE(e2e::file_exists(e2e::join(install_dir(), L"vanta.exe")));
        EXPECT_EQ(shortcut_path(), L"");
        EXPECT_EQ(machine_auto_update_check(), std::nullopt);
    }

    std::wstring old_, new_, rogue_, setup_, pin_;
};

TEST_F(msi_journeys, installs_per_machine_with_shortcut_entry_and_no_scheduled_checks) {
    ASSERT_EQ(msiexec(L"/i \"" + old_ + L"\" /qn"), std::optional<DWORD>(0));
    expect_installed(L"12.2.22", L"2012.2.22");
    // A managed PC is updated by its administrator.
    EXPECT_EQ(machine_auto_update_check(), std::optional<DWORD>(0));

    // The shortcut starts vanta in its folder.
    const std::wstring link = shortcut_path();
    ASSERT_NE(link, L"") << "no Start-menu shortcut";
    const std::optional<e2e::shortcut> target = e2e::read_shortcut(link);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->target, e2e::join(install_dir(), L"vanta.exe"));
    // Windows Installer writes the folder with its final '\\'.
    EXPECT_EQ(target->working_directory, install_dir() + L"\\");
    e2e::running_vanta vanta = e2e::start_from_shortcut(link);
    ASSERT_TRUE(vanta.process);
    e2e::ending_guard end_vanta(*vanta.process);
    ASSERT_TRUE(vanta.frame) << "vanta did not show its window";
    ASSERT_TRUE(dialog_driver::close_window(vanta.frame));
    EXPECT_TRUE(vanta.process->wait_for_exit(30000).has_value());

    ASSERT_EQ(msiexec(L"/x \"" + old_ + L"\" /qn"), std::optional<DWORD>(0));
    expect_removed();
}

TEST_F(msi_journeys, autoupdatecheck_1_leaves_the_scheduled_checks_to_each_user) {
    ASSERT_EQ(msiexec(L"/i \"" + old_ + L"\" /qn AUTOUPDATECHECK=1"), std::optional<DWORD>(0));
    EXPECT_EQ(machine_auto_update_check(), std::optional<DWORD>(1));
    ASSERT_EQ(msiexec(L"/x \"" + old_ + L"\" /qn"), std::optional<DWORD>(0));
    expect_removed();
}

TEST_F(msi_journeys, a_folder_outside_program_files_is_refused) {
    const std::wstring elsewhere = L"C:\\Elsewhere\\Orv Vanta Kit";
    EXPECT_EQ(msiexec(L"/i \"" + old_ + L"\" /qn INSTALLDIR=\"" + elsewhere + L"\""),
              std::optional<DWORD>(install_failure));
    // Nor out of Program Files by way of "..".
    EXPECT_EQ(msiexec(L"/i \"" + old_ + L"\" /qn INSTALLDIR=\"" + install_dir() +
                      L"\\..\\..\\..\\Elsewhere\""),
              std::optional<DWORD>(install_failure));
    EXPECT_FALSE(e2e::file_exists(e2e::join(elsewhere, L"vanta.exe")));
    EXPECT_TRUE(installed_products().empty());
}

TEST_F(msi_journeys, the_package_stops_where_the_setup_program_installed_the_product) {
    // The setup program's uninstall entry, where the 32-bit setup program writes it.
    ASSERT_TRUE(e2e::set_string(
        HKEY_LOCAL_MACHINE,
        L"Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\"
        L"Uninstall\\Orv Vanta Kit",
        L"UninstallString", L"\"C:\\Program Files (x86)\\Orvatec\\Orv Vanta Kit\\uninstall.exe\""));
    EXPECT_EQ(msiexec(L"/i \"" + new_ + L"\" /qn"), std::optional<DWORD>(install_failure));
    EXPECT_TRUE(installed_products().empty());
}

TEST_F(msi_journeys, the_setup_program_stops_where_the_package_installed_the_product) {
    ASSERT_EQ(msiexec(L"/i \"" + old_ + L"\" /qn"), std::optional<DWORD>(0));
    e2e::launch_options options;
    options.application = setup_;
    options.arguments = L"/S";
    DWORD error = 0;
    std::optional<e2e::child_process> setup = e2e::child_process::launch(options, &error);
    if (!setup) GTEST_SKIP() << "the 32-bit setup program cannot run here (error " << error << ")";
    EXPECT_EQ(setup->wait_for_exit(120000), std::optional<DWORD>(2));
    EXPECT_FALSE(e2e::key_exists(HKEY_LOCAL_MACHINE, setup_program_entry, KEY_WOW64_32KEY));
    EXPECT_EQ(installed_version(), L"12.2.22");
}

// The library's ".msi" path, through a caller of the installed library.
class msi_update : public msi_journeys {
protected:
    void SetUp() override {
        msi_journeys::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(ftp_fixture::set_update_server(ftp_fixture::server_address()));
        ASSERT_TRUE(test_support::set_update_machine_value(L"TrustedPublishers", REG_MULTI_SZ,
                                                           pin_ + L'\0' + L'\0'));
        ASSERT_TRUE(test_support::allow_unprotected_download_folder(true));
    }

    // Runs the installed library's check for the ".msi" path in a caller of its own, presses
    // Get It on the offer and returns the caller's dialog and process.
    void get_offered_package(std::optional<e2e::child_process>& caller) {
        const std::wstring folder = e2e::join(known_folder(CSIDL_COMMON_APPDATA), L"msi_caller");
        ASSERT_TRUE(e2e::make_fresh_dir(folder));
        ASSERT_TRUE(e2e::copy_file(e2e::join(e2e::program_dir(), L"orv_check_caller.exe"),
                                   e2e::join(folder, L"orv_check_caller.exe")));
        ASSERT_TRUE(e2e::copy_file(e2e::join(install_dir(), L"OrvUpdateCheck.dll"),
                                   e2e::join(folder, L"OrvUpdateCheck.dll")));
        e2e::launch_options options;
        options.application = e2e::join(folder, L"orv_check_caller.exe");
        options.arguments =
            L"check 100 /pub/calculators/OrvK58x/Orv_Vanta_Kit.msi _2012_2_22 4 1033";
        caller = e2e::child_process::launch(options);
        ASSERT_TRUE(caller);
        HWND offer = e2e::wait_for_dialog(L"", caller->id(), status_text);
        ASSERT_TRUE(offer);
        ASSERT_TRUE(dialog_driver::wait_for_text(offer, status_text, update_available, 30s));
        ASSERT_TRUE(dialog_driver::press_button(offer, get_it_button));
    }

    void expect_refused(const std::wstring& package) {
        ASSERT_TRUE(ftp_fixture::copy_file(package, published_package));
        std::optional<e2e::child_process> caller;
        get_offered_package(caller);
        ASSERT_TRUE(caller);
        e2e::ending_guard end_caller(*caller);
        HWND refusal =
            e2e::wait_for_dialog(L"Error", caller->id(), e2e::message_text, nullptr, 60s);
        ASSERT_TRUE(refusal) << "the package was not refused";
        EXPECT_EQ(dialog_driver::control_text(refusal, e2e::message_text),
                  L"The downloaded file could not be verified and was not opened.");
        ASSERT_TRUE(dialog_driver::press_button(refusal, IDOK));
        EXPECT_EQ(caller->wait_for_exit(30000), std::optional<DWORD>(3)) << "the call returned";
        EXPECT_EQ(installed_version(), L"12.2.22");
    }
};

TEST_F(msi_update, a_package_signed_with_another_key_is_refused) {
    ASSERT_EQ(msiexec(L"/i \"" + old_ + L"\" /qn"), std::optional<DWORD>(0));
    expect_refused(rogue_);
}

TEST_F(msi_update, an_older_package_under_the_newer_name_is_refused) {
    ASSERT_EQ(msiexec(L"/i \"" + old_ + L"\" /qn"), std::optional<DWORD>(0));
    expect_refused(old_);
}

TEST_F(msi_update, the_signed_newer_package_is_opened_with_msiexec_and_upgrades) {
    ASSERT_EQ(msiexec(L"/i \"" + old_ + L"\" /qn"), std::optional<DWORD>(0));
    ASSERT_TRUE(ftp_fixture::copy_file(new_, published_package));
    std::optional<e2e::child_process> caller;
    get_offered_package(caller);
    ASSERT_TRUE(caller);
    e2e::ending_guard end_caller(*caller);
    EXPECT_EQ(caller->wait_for_exit(60000), std::optional<DWORD>(3)) << "the call returned";
    ASSERT_TRUE(dialog_driver::wait_until(
        [] { return !msiexec_running() && installed_version() == L"13.1.1"; }, 180s))
        << "msiexec did not upgrade the installation: " << installed_products().size()
        << " installed, "
        << e2e::narrow(installed_products().empty() ? L""
                                                    : product_info(installed_products().back(),
                                                                   INSTALLPROPERTY_VERSIONSTRING));
    expect_installed(L"13.1.1", L"2013.1.1");
    ASSERT_EQ(msiexec(L"/x \"" + new_ + L"\" /qn"), std::optional<DWORD>(0));
    expect_removed();
}

TEST_F(msi_journeys, an_older_package_stops_over_a_newer_installation) {
    ASSERT_EQ(msiexec(L"/i \"" + new_ + L"\" /qn"), std::optional<DWORD>(0));
    EXPECT_EQ(msiexec(L"/i \"" + old_ + L"\" /qn"), std::optional<DWORD>(install_failure));
    expect_installed(L"13.1.1", L"2013.1.1");
}

}  // namespace
