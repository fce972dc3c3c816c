// Reads a simulated device's file, which holds every output report the host wrote to the
// device, in order, each exactly output_report_length bytes long (report id, flag byte,
// payload). The harness uses it to see what a program under test sent to a calculator.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hid_stack {

struct host_traffic {
    // One entry per host message: the payloads of its reports (flag 2, then flag 1 ones),
    // concatenated, zero padding included, since reports do not carry the message length.
    std::vector<std::vector<std::uint8_t>> messages;
    // Acknowledgments (flag 0 reports) the host sent for device data.
    std::size_t acknowledgments = 0;
    // Reports that fit no rule: wrong report id, or a flag-1 report with no message begun.
    std::size_t malformed = 0;
};

// A trailing partial report (a write still under way) is left out.
host_traffic decode_host_traffic(const std::uint8_t* data, std::size_t size,
                                 std::size_t report_length);
inline host_traffic decode_host_traffic(const std::vector<std::uint8_t>& data,
                                        std::size_t report_length) {
    return decode_host_traffic(data.data(), data.size(), report_length);
}

// The command byte (first payload byte) of every host message, in order.
std::vector<std::uint8_t> host_commands(const host_traffic& traffic);

}  // namespace hid_stack
