// The update dialog (template 148): shows the server query's attempts and outcome, downloads
// the package with a progress bar, opens it, and may end the calling process afterwards.
//
// Interactive mode: the check export runs it on the caller's thread; it starts the query
// worker at initialisation and follows its posted messages. Notification mode: the background
// check runs it on its own thread once it has found a package; it opens in the update-available
// state, topmost, at the screen's top-left corner.
//
// Keyboard and screen readers: each state makes a button that is safe to press both the default
// and the focused control, so Enter does what the focused button says and a relabelled button
// is never pressed by a user who was on its former label; each new status text is announced.
//
// Threads: everything runs on the thread of the modal run. The worker reaches the dialog only
// through WM_UPDATE_RETRY and WM_UPDATE_DONE; the shared UpdateQuery is read under QueryLock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "framework/dialog.h"
#include "framework/worker_thread.h"
#include "update_check/library_state.h"
#include "update_check/resource.h"
#include "update_check/update_query.h"
#include "update_check/update_texts.h"

namespace orv {

class OrvCalcUpdateDialog : public fw::dialog {
public:
    static constexpr std::uint8_t notification_mode = 0;
    static constexpr std::uint8_t interactive_mode = 1;

    // `context` names the product (which becomes the library's current product) and carries
    // the language, the check box option and whether to end the caller. `query` is given by
    // the background check; an interactive dialog makes its own when it starts the worker.
    OrvCalcUpdateDialog(const check_context& context, std::wstring server_path,
                        std::wstring version_tag, std::uint8_t mode,
                        std::shared_ptr<UpdateQuery> query = nullptr);
    // Moves the product's next scheduled check forward by its check frequency.
    ~OrvCalcUpdateDialog() override;

    // The status text shown when the dialog opens.
    void preset_status_text(std::wstring text);

    // Moves the progress bar.
    virtual void SetProgress(int position);

    // Fetches the package into the new file open as `local_file`, with the status and the
    // progress bar following.
    bool DownloadPackage(const std::wstring& remote_path, HANDLE local_file);

protected:
    BOOL on_init_dialog() override;
    bool on_command(int id, int notify_code) override;
    bool on_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
    void on_destroy() override;

private:
    void StartQuery();
    void set_status(unsigned text_id);
    void enter_update_available();
    void enter_could_not_connect(const std::wstring& location);
    void enter_no_update();
    void enter_downloading();
    // Makes button `id` the default and gives it the focus.
    void settle_on(int id);
    void announce_status();
    void on_retry(int retry);
    void on_result();
    void on_get_it();
    void on_auto_check_clicked();
    void open_browse_location();
    void fetch_and_open_package();
    void show_download_error();
    // `text_id` in a box captioned "Error" (159), with its "%s" replaced by `path`.
    void show_message(unsigned text_id, const std::wstring& path = {});

    check_context context_;
    HICON icon_ = nullptr;
    std::shared_ptr<UpdateQuery> query_;
    std::uint8_t mode_;
    std::wstring version_tag_;
    std::wstring server_path_;
    std::wstring status_text_;
    std::wstring browse_location_;
    int auto_check_ = 1;
    // Where the download folders are made (download_place).
    std::wstring temporary_directory_;
    // The server the query listed, and the size it listed; the package comes from the same one.
    server_address download_server_;
    std::uint64_t download_listed_size_ = 0;
    int last_percent_ = -1;
    bool update_available_ = false;
    fw::worker_thread worker_;
};

}  // namespace orv
