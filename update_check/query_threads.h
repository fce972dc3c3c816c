// The two worker threads of a server query.
//
// QueryThreadProc serves an interactive dialog: it tries the listing up to three times, 3 s
// apart, posts WM_UPDATE_RETRY before each retry and WM_UPDATE_DONE at the end, and leaves the
// result in the shared UpdateQuery. AutoCheckThreadProc is the background check: it tries the
// same way without posting anything and, when it finds a package, runs the notification dialog
// on its own thread. Both first remove what earlier checks left in the download place
// (download_place::remove_leftovers). Neither is ever waited for.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "update_check/library_state.h"
#include "update_check/update_query.h"

namespace orv {

// Clear of the dialog manager's own messages (DM_GETDEFID, DM_SETDEFID and DM_REPOSITION are
// WM_USER + 0 to 2), which the dialog's window receives as well.
inline constexpr UINT WM_UPDATE_DONE = 0x501;   // wParam 0, lParam 0
inline constexpr UINT WM_UPDATE_RETRY = 0x502;  // wParam: retry number 1 or 2

inline constexpr int query_retries = 2;
inline constexpr DWORD query_retry_delay_ms = 3000;

// Set by a background check that found a package; never cleared.
extern std::atomic<bool> update_found_flag;

// Thread entry of an interactive query. The dialog has filled host and window. Returns 0.
unsigned QueryThreadProc(std::shared_ptr<UpdateQuery> query);

// Thread entry of a background check, with the context its export call made. Shows the
// notification only for a package newer than the context's version tag. Returns 0.
unsigned AutoCheckThreadProc(check_context context);

}  // namespace orv
