// One server query: what the caller asked for and what the server answered. A record is
// shared by the dialog that shows the query and the worker that runs it (std::shared_ptr), so
// it lives until both are done with it, whichever finishes first.
//
// Threads: once a worker has started, found_name, found_size, found, server_path,
// browse_location, state and window are read and written only while QueryLock is held, on
// either thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "update_check/rules/server_paths.h"
#include "update_check/rules/version_tag.h"

namespace orv {

struct UpdateQuery {
    UpdateQuery(std::wstring server_path, std::wstring version_tag);

    // The dialog that receives WM_UPDATE_RETRY and WM_UPDATE_DONE; null for the background
    // check, and again once the dialog has gone, so that nothing is posted to a stale handle.
    HWND window = nullptr;
    server_address host;
    std::wstring found_name;
    // The size the listing gave for found_name where the transport lists sizes with the names
    // (HTTPS); 0: unknown. An HTTPS server has no per-file listing to ask again, so the
    // download holds the body to it.
    std::uint64_t found_size = 0;
    bool found = false;
    std::wstring server_path;
    std::wstring browse_location;
    std::wstring version_tag;
    // Extension of the server path with its dot (".exe"); empty without one.
    std::wstring extension;
    QueryState state = QueryState::Pending;
};

// The one lock of the query records (a critical section), never nested. Usable with
// std::lock_guard.
class query_lock {
public:
    query_lock();
    ~query_lock();
    query_lock(const query_lock&) = delete;
    query_lock& operator=(const query_lock&) = delete;
    void lock();
    void unlock();

private:
    CRITICAL_SECTION section_;
};

extern query_lock QueryLock;

// Judges the found package's version suffix against the query's version tag and sets its
// state: NotNewer, too, for a suffix that no version resource can match
// (listed_product_version). The caller holds QueryLock.
void CompareVersionTag(UpdateQuery& query);

}  // namespace orv
