// The private download folder under attack: the descriptor it is created with, and a program
// of the same user that swaps the folder, replaces the file or plants a library beside it
// while a download runs. The genuine package is opened or nothing is; the attacker's program
// never runs.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>

#include <atomic>
#include <cstring>
#include <ostream>

#include "framework/unique_handle.h"
#include "tests/app/import_spy.h"
#include "tests/support/machine_settings.h"
#include "tests/update_check/check_fixture.h"
#include "update_check/download_folder.h"
#include "update_check/download_place.h"
#include "update_check/rules/download_place.h"
#include "update_check/rules/package_trust_rules.h"

namespace orv_test {
namespace {

using dialog_driver::press_button;

using nt_create_file_fn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES,
                                           PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG, ULONG, ULONG,
                                           ULONG, PVOID, ULONG);
nt_create_file_fn real_nt_create_file = nullptr;
std::vector<std::wstring> received_descriptors;

// Records the owner and DACL that each new folder is made with.
NTSTATUS NTAPI record_nt_create_file(PHANDLE handle, ACCESS_MASK access,
                                     POBJECT_ATTRIBUTES attributes, PIO_STATUS_BLOCK status,
                                     PLARGE_INTEGER size, ULONG file_attributes, ULONG share,
                                     ULONG disposition, ULONG options, PVOID ea, ULONG ea_length) {
    LPWSTR text = nullptr;
    if (disposition == FILE_CREATE && (options & FILE_DIRECTORY_FILE) && attributes &&
        attributes->SecurityDescriptor &&
        ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            attributes->SecurityDescriptor, SDDL_REVISION_1,
            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr)) {
        received_descriptors.push_back(text);
        ::LocalFree(text);
    }
    return real_nt_create_file(handle, access, attributes, status, size, file_attributes, share,
                               disposition, options, ea, ea_length);
}

using DownloadFolder = check_fixture;

// Wine keeps no descriptors, so what is checked is the descriptor each folder is made with;
// holding the folder is enforced by Wine as by Windows.
TEST_F(DownloadFolder, IsCreatedProtectedAndHeldInTheAdministratorsPlace) {
    ASSERT_TRUE(orv::process_is_elevated());
    vanta_test::import_spy spy("ntdll.dll", "NtCreateFile",
                               reinterpret_cast<void*>(&record_nt_create_file));
    ASSERT_TRUE(spy.installed());
    real_nt_create_file = reinterpret_cast<nt_create_file_fn>(spy.original());
    orv::place_problem problem = orv::place_problem::unavailable;
    std::wstring where;
    std::optional<orv::download_place> place = orv::download_place::open(problem, where);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->path(), download_parent());
    std::optional<orv::download_folder> folder = orv::download_folder::create(*place);
    ASSERT_TRUE(folder);
    // The parent (made anew: each test starts without it), then the download folder.
    EXPECT_EQ(received_descriptors,
              (std::vector<std::wstring>{std::wstring(orv::download_parent_sddl),
                                         orv::download_folder_sddl(true, L"")}));
    ASSERT_TRUE(folder->create_file(L"Kit_2.exe"));
    ASSERT_TRUE(folder->hold_file());
    std::wstring path = folder->held_folder_path();
    EXPECT_EQ(path.rfind(download_parent(), 0), 0u) << path;
    EXPECT_FALSE(::MoveFileW(path.c_str(), (path + L"-away").c_str()));
    EXPECT_FALSE(::RemoveDirectoryW(path.c_str()));
    folder.reset();
    EXPECT_EQ(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Writes `bytes` as the file at `path`.
bool write_at(const std::wstring& path, const std::string& bytes) {
    fw::file_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

// Runs an interactive check that finds nothing newer and closes it with Finish.
void check_without_update(const product_settings& product) {
    check_fixture::publish_package(L"leftovers/Orv_Vanta_Kit_2012_3_1.exe");
    modal_call call([&] {
        library().check_w(product.id(), L"/leftovers/Orv_Vanta_Kit.exe", L"2012_3_1", 4, 1033);
    });
    HWND dialog = dialog_driver::wait_for_window(L"Check for Update", ::GetCurrentProcessId());
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog_driver::wait_for_text(dialog, get_it_button, L"Finish"));
    ASSERT_TRUE(press_button(dialog, get_it_button));
    ASSERT_TRUE(call.returned());
}

// What a download cut off by a crash or a kill leaves (its folder with part of the package),
// beside entries clean-up must leave alone: a folder in use, as a running installer's working
// directory holds it, and names the library does not make.
TEST_F(DownloadFolder, ACheckRemovesEarlierDownloadsButNothingInUseOrNotItsOwn) {
    const std::wstring parent = download_parent();
    ASSERT_TRUE(::CreateDirectoryW(parent.c_str(), nullptr));
    const std::wstring cut_off = parent + L"OrvUpdate-00112233445566aa\\";
    const std::wstring running = parent + L"OrvUpdate-00112233445566bb\\";
    const std::vector<std::wstring> not_ours{parent + L"OrvUpdate-00112233445566c\\",
                                             parent + L"OrvUpdate-00112233445566ddd\\",
                                             parent + L"Other\\"};
    for (const std::wstring& folder : {cut_off, running}) {
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        ASSERT_TRUE(write_at(folder + L"Orv_Vanta_Kit_2013_1_1.exe", "MZ part"));
    }
    ASSERT_TRUE(::CreateDirectoryW((cut_off + L"ns1.tmp").c_str(), nullptr));
    ASSERT_TRUE(write_at(cut_off + L"ns1.tmp\\unpacked.dll", "MZ"));
    for (const std::wstring& folder : not_ours) {
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    }
    ASSERT_TRUE(write_at(parent + L"OrvUpdate-00112233445566ee", "a file"));
    fw::file_handle working_directory(
        ::CreateFileW(running.c_str(), FILE_TRAVERSE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(working_directory);

    product_settings product(0x3430);
    check_without_update(product);
    EXPECT_EQ(::GetFileAttributesW(cut_off.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(entries_under(running),
              std::vector<std::wstring>{running + L"Orv_Vanta_Kit_2013_1_1.exe"});
    for (const std::wstring& folder : not_ours) {
        EXPECT_NE(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << folder;
    }
    // Once nothing runs there any more, the next check removes it too.
    working_directory.reset();
    check_without_update(product);
    EXPECT_EQ(::GetFileAttributesW(running.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The first "OrvUpdate-" folder in `directory` (ending with '\'), without the '\'.
std::wstring download_folder_in(const std::wstring& directory) {
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((directory + L"OrvUpdate-*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return {};
    ::FindClose(find);
    return directory + entry.cFileName;
}

// A program of the same user on the Windows side: it tries to rename the folder away and put
// one of its own in its place, to replace the package and to add a library beside it, for as
// long as the download runs.
class windows_attacker {
public:
    windows_attacker(std::wstring parent, std::wstring own_program, std::wstring package_name)
        : parent_(std::move(parent)),
          own_program_(std::move(own_program)),
          package_name_(std::move(package_name)),
          thread_([this] { run(); }) {}
    ~windows_attacker() {
        stop_ = true;
        thread_.join();
    }
    bool saw_folder() const { return saw_folder_; }

private:
    void run() {
        while (!stop_) {
            std::wstring folder = download_folder_in(parent_);
            if (folder.empty()) {
                ::Sleep(1);
                continue;
            }
            saw_folder_ = true;
            if (::MoveFileW(folder.c_str(), (folder + L"-away").c_str()) &&
                ::CreateDirectoryW(folder.c_str(), nullptr)) {
                ::CopyFileW(own_program_.c_str(), (folder + L"\\" + package_name_).c_str(), TRUE);
            }
            std::wstring package = folder + L"\\" + package_name_;
            if (::GetFileAttributesW(package.c_str()) != INVALID_FILE_ATTRIBUTES) {
                ::CopyFileW(own_program_.c_str(), (folder + L"\\swap.exe").c_str(), FALSE);
                ::MoveFileExW((folder + L"\\swap.exe").c_str(), package.c_str(),
                              MOVEFILE_REPLACE_EXISTING);
                ::CopyFileW(own_program_.c_str(), (folder + L"\\version.dll").c_str(), TRUE);
            }
        }
    }

    std::wstring parent_;
    std::wstring own_program_;
    std::wstring package_name_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> saw_folder_{false};
    std::thread thread_;
};

// How the attacker runs: as a Windows thread of this program, or as a Linux process started
// beside the test by tests/update_check/swap_folder.py, which no Windows share mode can stop;
// that one also makes the user's TMP a link and re-points it during the download, and fails
// the run if anything was made or removed through it.
struct attack_case {
    const char* name;
    bool linux_side;
};

void PrintTo(const attack_case& c, std::ostream* out) { *out << c.name; }

class FolderAttack : public check_fixture, public ::testing::WithParamInterface<attack_case> {};

TEST_P(FolderAttack, OpensTheGenuinePackageOrNothingAndNeverTheAttackersProgram) {
    bool swapper_running = ::GetEnvironmentVariableW(L"ORV_FOLDER_SWAPPER", nullptr, 0) > 0;
    if (GetParam().linux_side != swapper_running) {
        GTEST_SKIP() << "run by the folder swapper's own test";
    }
    const std::wstring name = L"Orv_Vanta_Kit_2012_3_1.exe";
    std::wstring directory =
        L"attack_" + std::wstring(GetParam().name, GetParam().name + std::strlen(GetParam().name));
    publish_package(directory + L"/" + name);
    // The attacker's program records any start of it here.
    std::wstring attacker_log = temporary_directory() + L"attacker.log";
    scoped_environment log(L"VANTA_UPDATER_LOG", attacker_log);
    product_settings product(0x3420);
    std::optional<windows_attacker> attacker;
    std::optional<scoped_environment> user_tmp;
    std::optional<scoped_environment> user_temp;
    if (!GetParam().linux_side) {
        attacker.emplace(download_parent(), program_directory() + L"updater_stub.exe", name);
    } else {
        // The user's TMP is a link of the swapper's, re-pointed once the download begins.
        std::wstring link = temporary_directory() + L"tmp-link\\";
        ASSERT_TRUE(dialog_driver::wait_until(
            [&] { return ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; }));
        user_tmp.emplace(L"TMP", link);
        user_temp.emplace(L"TEMP", link);
    }
    std::wstring server_path = L"/" + directory + L"/Orv_Vanta_Kit.exe";
    modal_call call(
        [&] { lib().check_w(product.id(), server_path.c_str(), L"_2012_2_22", 4, 1033); });
    ASSERT_TRUE(get_offered_package());
    // A refusal says so in a box; an opened package leaves its marker.
    std::string marker;
    HWND box = nullptr;
    ASSERT_TRUE(dialog_driver::wait_until([&] {
        box = dialog_driver::wait_for_window(L"Error", ::GetCurrentProcessId(),
                                             std::chrono::milliseconds(0));
        return box || ftp_fixture::read_file(marker_path(), marker);
    }));
    if (box) {
        ASSERT_TRUE(press_button(box, IDOK));
    }
    ASSERT_TRUE(call.returned());
    if (attacker) {
        EXPECT_TRUE(attacker->saw_folder());
        attacker.reset();
    } else {
        // The swapper renamed the folder and linked its name to a folder of its own, and
        // nothing was made or removed where the user's TMP pointed, before or after.
        EXPECT_FALSE(files_named(L"swapped.txt").empty());
        for (const wchar_t* canaries : {L"tmp-a\\", L"tmp-b\\"}) {
            std::wstring folder = temporary_directory() + canaries;
            EXPECT_EQ(entries_under(folder), std::vector<std::wstring>{folder + L"canary.txt"});
        }
    }
    // The marker comes from the package alone: the attacker's program (the updater stand-in)
    // would have logged its start instead, and the wait above would have failed.
    EXPECT_EQ(::GetFileAttributesW(attacker_log.c_str()), INVALID_FILE_ATTRIBUTES);
}

INSTANTIATE_TEST_SUITE_P(Attackers, FolderAttack,
                         ::testing::Values(attack_case{"windows_program", false},
                                           attack_case{"linux_process", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orv_test
