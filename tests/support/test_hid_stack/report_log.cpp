#include "tests/support/test_hid_stack/report_log.h"

namespace hid_stack {

host_traffic decode_host_traffic(const std::uint8_t* data, std::size_t size,
                                 std::size_t report_length) {
    host_traffic traffic;
    if (report_length < 2) return traffic;
    bool in_message = false;
    for (std::size_t at = 0; at + report_length <= size; at += report_length) {
        const std::uint8_t* report = data + at;
        const std::uint8_t flag = report[1];
        if (report[0] != 1 || flag > 2 || (flag == 1 && !in_message)) {
            ++traffic.malformed;
            continue;
        }
        if (flag == 0) {
            ++traffic.acknowledgments;
            in_message = false;
            continue;
        }
        if (flag == 2) {
            traffic.messages.emplace_back();
            in_message = true;
        }
        traffic.messages.back().insert(traffic.messages.back().end(), report + 2,
                                       report + report_length);
    }
    return traffic;
}

std::vector<std::uint8_t> host_commands(const host_traffic& traffic) {
    std::vector<std::uint8_t> commands;
    for (const auto& message : traffic.messages) {
        if (!message.empty()) commands.push_back(message.front());
    }
    return commands;
}

}  // namespace hid_stack
