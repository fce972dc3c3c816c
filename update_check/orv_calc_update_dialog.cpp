#include "update_check/orv_calc_update_dialog.h"

#include <commctrl.h>

#include <utility>

#include "update_check/rules/builtin_texts.h"
#include "update_check/orv_calc_manager_app.h"
#include "update_check/query_threads.h"
#include "update_check/settings_store.h"
#include "update_check/status_announcement.h"
#include "update_check/update_schedule.h"
#include "update_check/update_server.h"

namespace orv {

OrvCalcUpdateDialog::OrvCalcUpdateDialog(const check_context& context, std::wstring server_path,
                                         std::wstring version_tag, std::uint8_t mode,
                                         std::shared_ptr<UpdateQuery> query)
    : fw::dialog(the_app().module(), IDD_CHECK_FOR_UPDATE),
      context_(context),
      query_(std::move(query)),
      mode_(mode),
      version_tag_(std::move(version_tag)),
      server_path_(std::move(server_path)) {
    library_state& state = library_state::instance();
    context_.settings_key = state.select_product(context.product_id);
    state.set_update_path(version_tag_);
    auto_check_ = read_setting(context_.settings_key, setting_auto_update_check, 1) != 0 ? 1 : 0;
    icon_ = ::LoadIconW(the_app().module(), MAKEINTRESOURCEW(IDI_CHECK_FOR_UPDATE));
    bind_text(IDC_STATUS_TEXT, status_text_);
    bind_check(IDC_AUTO_CHECK, auto_check_);
}

OrvCalcUpdateDialog::~OrvCalcUpdateDialog() {
    auto days = static_cast<std::uint16_t>(
        read_setting(context_.settings_key, setting_update_frequency, 30) & 0xFFFF);
    schedule_next_check(context_.settings_key, days);
}

void OrvCalcUpdateDialog::preset_status_text(std::wstring text) { status_text_ = std::move(text); }

BOOL OrvCalcUpdateDialog::on_init_dialog() {
    BOOL result = dialog::on_init_dialog();
    ::SendMessageW(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(item(IDC_PROGRESS), PBM_SETRANGE, 0, MAKELPARAM(0, 100));

    const std::uint32_t language = context_.language_id;
    set_caption(update_text(language, IDS_CHECK_FOR_UPDATE));
    set_item_text(IDC_AUTO_CHECK, update_text(language, IDS_CHECK_AUTOMATICALLY));
    set_item_text(IDC_NOT_NOW, update_text(language, IDS_NOT_NOW));
    set_item_text(IDC_GET_IT, update_text(language, IDS_GET_IT));

    const bool notify = mode_ == notification_mode && update_found_flag;
    if (notify) enter_update_available();
    show_item(IDC_AUTO_CHECK, context_.show_auto_check_option != 0);

    if (mode_ == interactive_mode) {
        set_item_text(IDC_GET_IT, update_text(language, IDS_CANCEL));
        show_item(IDC_GET_IT, true);
        show_item(IDC_NOT_NOW, false);
        set_status(IDS_CONNECTING);
        update_data(false);
        settle_on(IDC_GET_IT);
        announce_status();
        // The caller's window is disabled while this runs, and the user asked for the check.
        ::SetForegroundWindow(handle());
        StartQuery();
    } else {
        ::SetWindowPos(handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOOWNERZORDER);
    }
    // With the focus set here, the dialog manager must not move it to the first control.
    return mode_ == interactive_mode || notify ? FALSE : result;
}

void OrvCalcUpdateDialog::StartQuery() {
    if (!query_) query_ = std::make_shared<UpdateQuery>(server_path_, version_tag_);
    {
        std::lock_guard<query_lock> lock(QueryLock);
        query_->host = update_server();
        query_->window = handle();
        query_->found = false;
    }
    // The worker holds its own reference: the record outlives this dialog while it runs.
    std::shared_ptr<UpdateQuery> query = query_;
    worker_ = fw::worker_thread::start([query] { return QueryThreadProc(query); });
}

void OrvCalcUpdateDialog::on_destroy() {
    if (!query_) return;
    std::lock_guard<query_lock> lock(QueryLock);
    if (query_->window == handle()) query_->window = nullptr;
}

void OrvCalcUpdateDialog::set_status(unsigned text_id) {
    status_text_ = update_text(context_.language_id, text_id);
}

void OrvCalcUpdateDialog::enter_update_available() {
    set_item_text(IDC_GET_IT, update_text(context_.language_id, IDS_GET_IT));
    show_item(IDC_GET_IT, true);
    set_item_text(IDC_NOT_NOW, update_text(context_.language_id, IDS_NOT_NOW));
    show_item(IDC_NOT_NOW, true);
    set_status(IDS_UPDATE_AVAILABLE);
    update_available_ = true;
    update_data(false);
    // Downloading and starting an installer takes a deliberate choice: Get It is one Tab away.
    settle_on(IDC_NOT_NOW);
    announce_status();
}

void OrvCalcUpdateDialog::enter_could_not_connect(const std::wstring& location) {
    set_status(IDS_COULD_NOT_CONNECT);
    set_item_text(IDC_GET_IT, update_text(context_.language_id, IDS_CHECK_ONLINE));
    show_item(IDC_GET_IT, true);
    set_item_text(IDC_NOT_NOW, update_text(context_.language_id, IDS_NOT_NOW));
    show_item(IDC_NOT_NOW, true);
    browse_location_ = location;
    update_data(false);
    settle_on(IDC_NOT_NOW);
    announce_status();
}

void OrvCalcUpdateDialog::enter_no_update() {
    set_status(IDS_NO_UPDATE);
    browse_location_.clear();
    server_path_.clear();
    set_item_text(IDC_GET_IT, update_text(context_.language_id, IDS_FINISH));
    show_item(IDC_GET_IT, true);
    show_item(IDC_NOT_NOW, false);
    update_data(false);
    settle_on(IDC_GET_IT);
    announce_status();
}

void OrvCalcUpdateDialog::enter_downloading() {
    set_status(IDS_DOWNLOADING);
    update_data(false);
    // A progress bar is named by its window text: the status it stands for.
    ::SetWindowTextW(item(IDC_PROGRESS), spoken_text(status_text_).c_str());
    show_item(IDC_PROGRESS, true);
    announce_status();
}

void OrvCalcUpdateDialog::settle_on(int id) {
    HWND button = item(id);
    if (!button) return;
    ::SendMessageW(handle(), DM_SETDEFID, static_cast<WPARAM>(id), 0);
    ::SendMessageW(handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
}

void OrvCalcUpdateDialog::announce_status() {
    orv::announce_status(item(IDC_STATUS_TEXT), status_text_);
}

bool OrvCalcUpdateDialog::on_command(int id, int notify_code) {
    if (notify_code != BN_CLICKED) return false;
    switch (id) {
        case IDC_GET_IT:
            on_get_it();
            return true;
        case IDC_NOT_NOW:
            on_ok();
            return true;
        case IDC_AUTO_CHECK:
            on_auto_check_clicked();
            return true;
        default:
            return false;
    }
}

bool OrvCalcUpdateDialog::on_message(UINT message, WPARAM wparam, LPARAM, LRESULT&) {
    if (message == WM_UPDATE_RETRY) {
        on_retry(static_cast<int>(wparam));
        return true;
    }
    if (message == WM_UPDATE_DONE) {
        on_result();
        return true;
    }
    return false;
}

void OrvCalcUpdateDialog::on_retry(int retry) {
    status_text_ = format_retry_text(update_text(context_.language_id, IDS_RETRYING), retry);
    update_data(false);
    // Still connecting: the focus stays where the user has put it meanwhile.
    announce_status();
}

void OrvCalcUpdateDialog::on_result() {
    update_data(false);
    browse_location_.clear();
    update_available_ = false;
    if (!query_) return;
    bool found = false;
    QueryState state = QueryState::Pending;
    std::wstring location;
    {
        std::lock_guard<query_lock> lock(QueryLock);
        found = query_->found;
        state = query_->state;
        location = query_->browse_location;
    }
    if (!found) {
        enter_could_not_connect(location);
    } else if (state == QueryState::Newer) {
        enter_update_available();
    } else {
        enter_no_update();
    }
}

void OrvCalcUpdateDialog::on_auto_check_clicked() {
    update_data(true);
    write_setting(context_.settings_key, setting_auto_update_check,
                  static_cast<std::uint32_t>(auto_check_));
}

}  // namespace orv
