// Machine policy as a managed PC has it: values in HKLM\Software\Policies\Orvatec\UpdateCheck
// steer the library and win over HKLM\Software\Orvatec\UpdateCheck; machine AutoUpdateCheck 0
// silences every background check while a check the user asks for still runs.
#include "tests/support/machine_settings.h"
#include "tests/support/signing/trusted_publishers.h"
#include "tests/update_check/check_fixture.h"
#include "tests/update_check/silent_server.h"

namespace orv_test {
namespace {

using test_support::dword_data;
using test_support::set_update_machine_value;
using test_support::set_update_policy_value;

std::wstring multi_string(const std::wstring& one) { return one + L'\0' + L'\0'; }

class MachinePolicy : public check_fixture {
protected:
    void SetUp() override {
        check_fixture::SetUp();
        ASSERT_TRUE(test_support::remove_update_policy());
    }
    void TearDown() override {
        test_support::remove_update_policy();
        set_update_machine_value(L"AutoUpdateCheck", REG_DWORD, L"");
        check_fixture::TearDown();
    }
    static std::wstring pin() { return test_signing::test_publisher_pin(program_directory()); }
};

// What the machine key holds beside the policy key's server and pin: nothing, or values that
// would fail (a server where nothing answers, a pin of nobody's).
struct machine_key_case {
    const char* name;
    bool machine_key_holds_others;
};

class PolicyServerAndPins : public MachinePolicy,
                            public ::testing::WithParamInterface<machine_key_case> {};

TEST_P(PolicyServerAndPins, ArePolicyValuesThatAreUsed) {
    product_settings product(0x3901);
    publish_package(L"policy/Orv_Vanta_Kit_2012_3_1.exe");
    silent_server elsewhere;
    ASSERT_TRUE(elsewhere.listening());
    ASSERT_TRUE(set_update_machine_value(
        L"Server", REG_SZ,
        GetParam().machine_key_holds_others ? elsewhere.address() + L'\0' : L""));
    ASSERT_TRUE(test_signing::set_trusted_publishers(
        GetParam().machine_key_holds_others ? std::vector<std::wstring>{std::wstring(64, L'0')}
                                            : std::vector<std::wstring>{}));
    ASSERT_TRUE(set_update_policy_value(L"Server", REG_SZ, ftp_fixture::server_address() + L'\0'));
    ASSERT_TRUE(set_update_policy_value(L"TrustedPublishers", REG_MULTI_SZ, multi_string(pin())));

    modal_call call(
        [&] { lib().check_w(product.id(), L"/policy/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033); });
    ASSERT_TRUE(get_offered_package());
    std::vector<std::wstring> marker = wait_for_marker();
    ASSERT_GE(marker.size(), 1u) << "the package was not opened";
    EXPECT_NE(marker[0].find(L"Orv_Vanta_Kit_2012_3_1.exe"), std::wstring::npos);
    EXPECT_TRUE(call.returned());
    EXPECT_EQ(elsewhere.connections(), 0);
}

INSTANTIATE_TEST_SUITE_P(Policy, PolicyServerAndPins,
                         ::testing::Values(machine_key_case{"machine_key_empty", false},
                                           machine_key_case{"machine_key_overruled", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MachinePolicy, AnUnusablePolicyServerContactsNothingNotEvenTheMachineKeys) {
    product_settings product(0x3902);
    publish_package(L"unusable/Orv_Vanta_Kit_2012_3_1.exe");
    silent_server machine_server;
    ASSERT_TRUE(machine_server.listening());
    ASSERT_TRUE(set_update_machine_value(L"Server", REG_SZ, machine_server.address() + L'\0'));
    ASSERT_TRUE(set_update_policy_value(L"Server", REG_DWORD, dword_data(1)));

    modal_call call([&] {
        lib().check_w(product.id(), L"/unusable/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033);
    });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog_driver::wait_for_text(
        dialog, status_text,
        L"Could not connect to the update server.\n\nPlease check your Internet connection, or "
        L"click the Check Online\nbutton below to manually check for an update in a web browser.",
        std::chrono::seconds(30)));
    EXPECT_EQ(machine_server.connections(), 0);
    ASSERT_TRUE(dialog_driver::press_button(dialog, not_now_button));
    EXPECT_TRUE(call.returned());
}

TEST_F(MachinePolicy, AnUnusablePolicyPinListRefusesEveryPackage) {
    product_settings product(0x3903);
    publish_package(L"badpins/Orv_Vanta_Kit_2012_3_1.exe");
    // The machine key trusts the publisher (check_fixture); the policy's pin is a REG_SZ.
    ASSERT_TRUE(set_update_policy_value(L"TrustedPublishers", REG_SZ, pin() + L'\0'));

    modal_call call([&] {
        lib().check_w(product.id(), L"/badpins/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033);
    });
    ASSERT_TRUE(get_offered_package());
    dialog_driver::window_query query;
    query.caption = L"Error";
    query.process_id = ::GetCurrentProcessId();
    query.control_id = 0xFFFF;
    HWND refusal = dialog_driver::wait_for_window(query);
    ASSERT_TRUE(refusal) << "the package was not refused";
    EXPECT_EQ(dialog_driver::control_text(refusal, 0xFFFF),
              L"The downloaded file could not be verified and was not opened.");
    ASSERT_TRUE(dialog_driver::press_button(refusal, IDOK));
    EXPECT_TRUE(call.returned());
    EXPECT_TRUE(wait_for_marker(std::chrono::milliseconds(500)).empty());
}

// Where the administrator's AutoUpdateCheck 0 is written.
class MachineSwitchedOff : public MachinePolicy,
                           public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(MachineSwitchedOff, BackgroundChecksStayQuietWhileTheMenuCheckOffers) {
    product_settings product(0x3904);
    publish_package(L"managed/Orv_Vanta_Kit_2012_3_1.exe");
    ASSERT_TRUE(
        test_support::set_update_value(GetParam(), L"AutoUpdateCheck", REG_DWORD, dword_data(0)));
    // The user's own setting says yes, and a check is due.
    lib().set_auto_check(product.id(), 1);
    lib().set_next_days(product.id(), 0);
    const std::optional<std::uint32_t> due = product.dword(L"NextUpdateDate");

    // Scheduled (9) and forced (10) background checks start nothing: the date stays.
    for (unsigned flags : {9u, 10u, 1u, 2u}) {
        lib().check_w(product.id(), L"/managed/Orv_Vanta_Kit.exe", L"_2012_2_22", flags, 1033);
        EXPECT_EQ(product.dword(L"NextUpdateDate"), due) << "flags " << flags;
    }
    // The user's exports keep reading and writing the user's value.
    EXPECT_EQ(lib().get_auto_check(product.id()), 1);

    // The menu's check (4, interactive) still offers the package.
    modal_call call([&] {
        lib().check_w(product.id(), L"/managed/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033);
    });
    HWND dialog = wait_for_update_dialog();
    ASSERT_TRUE(dialog) << "no dialog: a background check ran, or the menu's did not";
    ASSERT_TRUE(dialog_driver::wait_for_text(dialog, status_text, update_available));
    ASSERT_TRUE(dialog_driver::press_button(dialog, not_now_button));
    EXPECT_TRUE(call.returned());
}

INSTANTIATE_TEST_SUITE_P(Policy, MachineSwitchedOff,
                         ::testing::Values(test_support::update_policy_key,
                                           test_support::update_machine_key),
                         [](const auto& info) {
                             return std::string(info.index == 0 ? "policy_key" : "machine_key");
                         });

}  // namespace
}  // namespace orv_test
