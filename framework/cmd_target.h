// Anything that commands are routed to: the application, frames, documents and views. Each has
// its own command map; routing classes pass a request on until one target handles it.
// UI thread only.
#pragma once

#include "framework/command_map.h"

namespace fw {

class cmd_target {
public:
    virtual ~cmd_target() = default;

    // Handles the request here or along this target's route; false when nobody did.
    virtual bool on_cmd_msg(UINT id, const command_request& request) {
        return commands_.handle(id, request);
    }

    // Runs command `id` as if it had come from a menu; false when nobody handles it.
    bool execute_command(UINT id) { return on_cmd_msg(id, command_request::execute()); }

    command_map& commands() noexcept { return commands_; }

private:
    command_map commands_;
};

}  // namespace fw
