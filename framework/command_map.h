// A command map: which handler runs for which command id, and which update handler answers
// the state request of which user-interface element. Entries are registered at construction
// by each class (and by each concern's file of a larger class), looked up by id or id range.
// UI thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/cmd_ui.h"

namespace fw {

// What a routed command message asks of a target.
struct command_request {
    enum class kind { execute, update, probe };
    kind what;
    cmd_ui* ui;

    static command_request execute() { return {kind::execute, nullptr}; }
    static command_request update(cmd_ui& ui) { return {kind::update, &ui}; }
    // Only whether a command handler exists (to enable elements without an update handler).
    static command_request probe() { return {kind::probe, nullptr}; }
};

class command_map {
public:
    using handler = std::function<void(UINT id)>;
    using update_handler = std::function<void(cmd_ui& ui)>;

    // Later registrations for the same id take precedence over earlier ones.
    void on_command(UINT id, std::function<void()> run);
    void on_command_range(UINT first, UINT last, handler run);
    void on_update(UINT id, update_handler update);
    void on_update_range(UINT first, UINT last, update_handler update);

    // Runs the matching entry; false when the map has none for the request.
    bool handle(UINT id, const command_request& request) const;

private:
    struct command_entry {
        UINT first, last;
        handler run;
    };
    struct update_entry {
        UINT first, last;
        update_handler update;
    };
    std::vector<command_entry> commands_;
    std::vector<update_entry> updates_;
};

}  // namespace fw
