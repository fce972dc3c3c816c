// The WinINet session both transports open their connections in. Each attempt opens its own
// and closes it when done. Any thread.
#pragma once

#include "update_check/internet_handle.h"

namespace orv {

// A session with the agent "Microsoft Internet Explorer" and the system's proxy settings.
internet_handle open_update_session();

}  // namespace orv
