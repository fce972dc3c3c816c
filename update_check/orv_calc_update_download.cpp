// The Get It button of the update dialog: Check Online, or download and open the package.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <optional>

#include "framework/unique_handle.h"
#include "update_check/download_folder.h"
#include "update_check/download_place.h"
#include "update_check/orv_calc_manager_app.h"
#include "update_check/orv_calc_update_dialog.h"
#include "update_check/package_download.h"
#include "update_check/rules/package_selection.h"
#include "update_check/package_trust.h"
#include "update_check/shell_paths.h"
#include "update_check/process_launch.h"

namespace orv {

void OrvCalcUpdateDialog::on_get_it() {
    if (!browse_location_.empty()) {
        open_browse_location();
    } else if (!server_path_.empty() && update_available_ && query_) {
        fetch_and_open_package();
    }
    on_ok();
}

void OrvCalcUpdateDialog::open_browse_location() {
    auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
        nullptr, L"open", browse_location_.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) open_with_browser(browse_location_, SW_SHOWNORMAL);
}

void OrvCalcUpdateDialog::fetch_and_open_package() {
    std::wstring server_path;
    std::wstring found_name;
    {
        std::lock_guard<query_lock> lock(QueryLock);
        server_path = query_->server_path;
        found_name = query_->found_name;
        download_server_ = query_->host;
        download_listed_size_ = query_->found_size;
    }
    auto remote_path = remote_package_path(server_path, found_name);
    if (!remote_path) return;
    listed_package listed{
        path_file_name(pattern_base(server_path)), path_extension(server_path), {}};
    std::wstring stem = path_without_extension(found_name);
    listed.suffix = version_suffix(stem, listed.base_name);
    // The listing takes only such names; checked again because the name decides where the
    // file is written and what is opened.
    if (!is_versioned_package(found_name, stem, listed.base_name, listed.extension)) {
        show_download_error();
        return;
    }
    // The download goes into a place the user cannot change (for an elevated caller), held and
    // checked before anything is made in it, and there into a folder made and held for it,
    // which is deleted again unless the package was started from it.
    place_problem problem = place_problem::none;
    std::wstring place_path;
    std::optional<download_place> place = download_place::open(problem, place_path);
    if (!place) {
        if (problem == place_problem::not_protected) {
            show_message(IDS_FOLDER_NOT_PROTECTED, place_path);
        } else {
            show_download_error();
        }
        return;
    }
    temporary_directory_ = place->path();
    std::optional<download_folder> folder = download_folder::create(*place);
    if (!folder || !DownloadPackage(*remote_path, folder->create_file(found_name))) {
        show_download_error();
        return;
    }
    // Held, shared for reading only, from the check until the package has been started, and
    // started through the held file's own path: the file judged is the file opened.
    package_kind kind = package_kind::other;
    if (!folder->hold_file() ||
        verify_package(folder->held_file(), folder->held_file_path(), configured_publisher_pins(),
                       listed, kind) != package_verdict::trusted) {
        show_message(IDS_NOT_VERIFIED);
        return;
    }
    switch (start_package(folder->held_file_path(), folder->held_folder_path(), kind)) {
        case package_start::started:
            break;
        case package_start::needs_administrator:
            show_message(IDS_NEEDS_ADMINISTRATOR);
            return;
        case package_start::failed:
            show_download_error();
            return;
    }
    folder->keep();
    if (context_.end_caller_after_launch != 0) {
        ::TerminateProcess(::GetCurrentProcess(), 0);
    }
}

bool OrvCalcUpdateDialog::DownloadPackage(const std::wstring& remote_path, HANDLE local_file) {
    download_callbacks callbacks;
    callbacks.started = [this] { enter_downloading(); };
    callbacks.progress = [this](int percent) {
        last_percent_ = percent;
        SetProgress(percent);
    };
    return download_package(download_server_, remote_path, download_listed_size_, local_file,
                            callbacks);
}

void OrvCalcUpdateDialog::SetProgress(int position) {
    ::SendMessageW(item(IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void OrvCalcUpdateDialog::show_message(unsigned text_id, const std::wstring& path) {
    std::wstring text = update_text(context_.language_id, text_id);
    std::size_t at = text.find(L"%s");
    if (at != std::wstring::npos) text.replace(at, 2, path);
    ::MessageBoxW(handle(), text.c_str(), update_text(context_.language_id, IDS_ERROR).c_str(),
                  MB_OK | MB_ICONERROR);
}

void OrvCalcUpdateDialog::show_download_error() {
    ::MessageBoxW(handle(), update_text(context_.language_id, IDS_ERROR).c_str(),
                  the_app().title().c_str(), MB_OK);
}

}  // namespace orv
