#include "update_check/query_threads.h"

#include <cstdint>
#include <optional>
#include <string>

#include "update_check/download_place.h"
#include "update_check/list_server_package.h"
#include "update_check/orv_calc_update_dialog.h"
#include "update_check/rules/package_selection.h"
#include "update_check/update_server.h"

namespace orv {

std::atomic<bool> update_found_flag{false};

namespace {

struct listing_request {
    server_address host;
    std::wstring pattern_base;
    std::wstring extension;
};

listing_request request_for(const UpdateQuery& query) {
    std::lock_guard<query_lock> lock(QueryLock);
    return {query.host, orv::pattern_base(query.server_path), query.extension};
}

// Posts to the query's dialog, if it is still there. The window is read under the lock, and
// the dialog clears it under the same lock when it goes, so a post never reaches a window that
// has closed (or a new window that got its handle).
void post_to_dialog(const UpdateQuery& query, UINT message, WPARAM wparam) {
    std::lock_guard<query_lock> lock(QueryLock);
    if (query.window) ::PostMessageW(query.window, message, wparam, 0);
}

// The package a listing chose, with the size it gave for it where the transport lists sizes
// with the names (HTTPS; 0 otherwise).
struct listed_choice {
    std::wstring name;
    std::uint64_t size = 0;
};

// The first attempt and up to two retries, each retry after 3 s; `before_retry` runs with the
// retry number before the wait. An unusable server setting fails every attempt without
// contacting anything.
template <typename BeforeRetry>
std::optional<listed_choice> list_with_retries(const listing_request& request,
                                               BeforeRetry before_retry) {
    auto attempt = [&]() -> std::optional<listed_choice> {
        listed_choice choice;
        auto name =
            ListServerPackage(request.host, request.pattern_base, request.extension, &choice.size);
        if (!name) return std::nullopt;
        choice.name = std::move(*name);
        return choice;
    };
    auto found = attempt();
    for (int retry = 1; !found && retry <= query_retries; ++retry) {
        before_retry(retry);
        ::Sleep(query_retry_delay_ms);
        found = attempt();
    }
    return found;
}

// Records the listing's choice on the query and compares it with the caller's tag. QueryLock is
// held.
void take_choice(UpdateQuery& query, const listed_choice& choice) {
    query.found_size = choice.size;
    query.found_name = choice.name;
    query.found = true;
    CompareVersionTag(query);
}

// Every check first removes what earlier ones left in the download place: a download cut
// off by a crash or a kill, and a package whose installer has ended. What is in use stays.
void remove_earlier_downloads() {
    place_problem problem = place_problem::none;
    std::wstring path;
    if (std::optional<download_place> place = download_place::open(problem, path)) {
        place->remove_leftovers();
    }
}

}  // namespace

unsigned QueryThreadProc(std::shared_ptr<UpdateQuery> query) {
    remove_earlier_downloads();
    {
        std::lock_guard<query_lock> lock(QueryLock);
        query->found_name.clear();
        query->found = false;
    }
    listing_request request = request_for(*query);
    auto found = list_with_retries(request, [&](int retry) {
        post_to_dialog(*query, WM_UPDATE_RETRY, static_cast<WPARAM>(retry));
    });
    {
        std::lock_guard<query_lock> lock(QueryLock);
        if (found) {
            take_choice(*query, *found);
        } else {
            query->found_name.clear();
            query->found = false;
            query->browse_location = source_browse_location(query->host, query->server_path);
        }
    }
    post_to_dialog(*query, WM_UPDATE_DONE, 0);
    return 0;
}

unsigned AutoCheckThreadProc(check_context context) {
    // Like the interactive check, it compares with the caller's tag and speaks up only for a
    // newer package (an empty tag reads as 0, so any versioned package is newer then).
    remove_earlier_downloads();
    auto query = std::make_shared<UpdateQuery>(context.update_path, context.version_tag);
    query->host = update_server();
    listing_request request = request_for(*query);
    auto found = list_with_retries(request, [](int) {});
    if (!found) return 0;
    {
        std::lock_guard<query_lock> lock(QueryLock);
        take_choice(*query, *found);
        if (query->state != QueryState::Newer) return 0;
    }
    update_found_flag = true;

    OrvCalcUpdateDialog dialog(context, context.update_path, context.version_tag,
                               OrvCalcUpdateDialog::notification_mode, query);
    dialog.preset_status_text(update_text(context.language_id, IDS_UPDATE_AVAILABLE));
    dialog.do_modal();
    return 0;
}

}  // namespace orv
