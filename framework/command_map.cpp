#include "framework/command_map.h"

#include <algorithm>

namespace fw {

void command_map::on_command(UINT id, std::function<void()> run) {
    commands_.push_back({id, id, [run = std::move(run)](UINT) { run(); }});
}

void command_map::on_command_range(UINT first, UINT last, handler run) {
    commands_.push_back({first, last, std::move(run)});
}

void command_map::on_update(UINT id, update_handler update) {
    updates_.push_back({id, id, std::move(update)});
}

void command_map::on_update_range(UINT first, UINT last, update_handler update) {
    updates_.push_back({first, last, std::move(update)});
}

bool command_map::handle(UINT id, const command_request& request) const {
    auto in_range = [id](const auto& entry) { return id >= entry.first && id <= entry.last; };
    if (request.what == command_request::kind::update) {
        auto it = std::find_if(updates_.rbegin(), updates_.rend(), in_range);
        if (it == updates_.rend()) return false;
        // A copy: the handler may register further entries.
        update_handler update = it->update;
        update(*request.ui);
        return true;
    }
    auto it = std::find_if(commands_.rbegin(), commands_.rend(), in_range);
    if (it == commands_.rend()) return false;
    if (request.what == command_request::kind::execute) {
        handler run = it->run;
        run(id);
    }
    return true;
}

}  // namespace fw
