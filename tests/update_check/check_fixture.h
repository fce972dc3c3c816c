// Common ground of the dialog tests: a private temporary directory (TMP and TEMP point at it;
// downloads do not land there, but in the download parent, which each test starts without),
// packages published on the test's FTP server, the package stub's marker, and check calls run on a
// second thread while the test drives the dialog.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/dialog_driver/dialog_driver.h"
#include "tests/support/ftp_server/ftp_fixture.h"
#include "tests/support/https_server/https_fixture.h"
#include "tests/update_check/orv_library.h"
#include "tests/update_check/product_settings.h"

namespace orv_test {

// Sets an environment variable of this process for the lifetime of the object.
class scoped_environment {
public:
    scoped_environment(const wchar_t* name, const std::wstring& value);
    ~scoped_environment();
    scoped_environment(const scoped_environment&) = delete;
    scoped_environment& operator=(const scoped_environment&) = delete;

private:
    std::wstring name_;
    std::wstring old_value_;
    bool had_value_ = false;
};

// A call that blocks in a modal dialog, run on its own thread.
class modal_call {
public:
    explicit modal_call(std::function<void()> call);
    // Joins; if the call is still blocked, closes this process's update dialogs first.
    ~modal_call();
    modal_call(const modal_call&) = delete;
    modal_call& operator=(const modal_call&) = delete;

    // True once the call has returned, waiting at most `timeout`.
    bool returned(std::chrono::milliseconds timeout = dialog_driver::default_timeout);

private:
    std::future<void> done_;
    std::thread thread_;
};

class check_fixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

public:
    // This program's folder, where the library and the helper programs are.
    static std::wstring program_directory();
    // Where the library makes its download folders for this (elevated) program, ending with
    // '\': "OrvUpdateCheck" in ProgramData.
    static std::wstring download_parent();
    // Publishes the package stub, signed by the test publisher, on the server as `relative`
    // ("dir/Name_1.exe"); `stub` names another file of this program's folder instead.
    static void publish_package(const std::wstring& relative,
                                const std::wstring& stub = L"package_stub_signed.exe");
    // The bytes of the signed package stub, as served.
    static std::string package_bytes();
    // Writes "<directory>/Orv_Vanta_Kit.list", the list an HTTPS server publishes, with
    // `names` and their served sizes, in this order.
    static void publish_list(const std::wstring& directory, const std::vector<std::string>& names);

protected:
    // The private temporary directory, ending with '\'.
    const std::wstring& temporary_directory() const { return temporary_; }
    // The content of file `name` in a download folder of the temporary directory; nothing
    // when it is not there.
    std::optional<std::string> downloaded(const std::wstring& name) const;
    // Every path under the temporary directory and the download parent, at any depth, whose
    // file name is `name`.
    std::vector<std::wstring> files_named(const std::wstring& name) const;
    // The file the package stub writes when started.
    std::wstring marker_path() const { return temporary_ + L"marker.txt"; }
    // Waits for the package stub's marker and returns its lines (path, directory, command).
    std::vector<std::wstring> wait_for_marker(
        std::chrono::milliseconds timeout = dialog_driver::default_timeout);

    // The next update dialog of this process (whatever its caption).
    HWND wait_for_update_dialog(HWND previous = nullptr);
    // Waits for the next update dialog to offer a package, in English, and presses Get It;
    // false when no such offer came.
    bool get_offered_package();

    static const orv_library& lib() { return library(); }

private:
    std::wstring temporary_;
    std::unique_ptr<scoped_environment> tmp_;
    std::unique_ptr<scoped_environment> temp_;
    std::unique_ptr<scoped_environment> marker_;
};

// Every path under `directory` (ending with '\'), at any depth, sorted; folders end with '\'.
std::vector<std::wstring> entries_under(const std::wstring& directory);
// `entries` with `path` added, sorted again.
std::vector<std::wstring> with_entry(std::vector<std::wstring> entries, const std::wstring& path);
// Whether something holds the folder at `path` as a program's working directory does (it
// cannot be opened for deletion).
bool in_use(const std::wstring& path);

// The positions that reach the progress bar of `dialog` (PBM_SETPOS sent to it on the
// dialog's thread), from construction on. One recorder at a time.
class progress_recorder {
public:
    explicit progress_recorder(HWND dialog);
    ~progress_recorder();
    progress_recorder(const progress_recorder&) = delete;
    progress_recorder& operator=(const progress_recorder&) = delete;

    bool hooked() const { return hook_ != nullptr; }
    std::vector<int> positions() const;

private:
    HHOOK hook_ = nullptr;
};

// Whether control `id` of `dialog` is, or becomes, both the default button (DM_GETDEFID) and
// the focused control of the dialog's thread: what Enter presses and what the user is on.
bool settled_on(HWND dialog, int id);

// The texts of the update dialog's status control each time the process announced a new name
// for it (EVENT_OBJECT_NAMECHANGE for its client object, seen by an in-process event hook on
// every thread), with the progress bar's accessible name at that moment, from construction on.
// One recorder at a time.
class status_announcements {
public:
    status_announcements();
    ~status_announcements();
    status_announcements(const status_announcements&) = delete;
    status_announcements& operator=(const status_announcements&) = delete;

    bool hooked() const { return hook_ != nullptr; }
    // Whether `text` was announced, waiting for it a while.
    bool heard(const std::wstring& text) const;
    // The progress bar's accessible name when `text` was first announced.
    std::wstring progress_name_with(const std::wstring& text) const;

private:
    HWINEVENTHOOK hook_ = nullptr;
};

// The steps a download of `size` bytes shows: a step after each 1,024 bytes and after the
// last, as whole percent, each only when it changes; for a listed size of 0 one step of 100.
std::vector<int> expected_progress_steps(std::size_t size);

// Which update source a parametrised case uses; the test's servers serve the same files.
enum class update_source { ftp, https };

// Points the machine setting at the FTP or the HTTPS server of the test while it lives; for
// HTTPS the FTP server answers listings and downloads only after a minute meanwhile.
class scoped_source {
public:
    explicit scoped_source(update_source source);
    ~scoped_source();
    scoped_source(const scoped_source&) = delete;
    scoped_source& operator=(const scoped_source&) = delete;
};

// Control ids of the update dialog.
inline constexpr int status_text = 1013;
inline constexpr int progress_bar = 1019;
inline constexpr int auto_check_box = 1014;
inline constexpr int not_now_button = 3;
inline constexpr int get_it_button = 4;

// The English status text of the update-available state.
inline const std::wstring update_available =
    L"An update is available.\n\nYou can download and install a new version now.";

}  // namespace orv_test
