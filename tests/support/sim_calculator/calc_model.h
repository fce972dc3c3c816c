// The device side of one simulated K58x calculator: a state machine that consumes the host's
// output reports and produces the input reports the host polls for. It knows nothing of
// handles, time or faults (sim_hid_platform and sim_device add those), so any harness can
// drive it: in process through sim_hid_platform, or from another process over a pipe.
//
// Wire behaviour:
//  - every host report with flag 2 (first) or 1 (later) is acknowledged by one input report
//    whose flag byte is config.ack_flag, after config.busy_polls_before_ack polls with flag 0;
//  - a host message starts with a flag-2 report; its first payload byte is the command:
//    0xFA (identify) and 0xFC (block query) queue a reply, 0xE6 (update start) queues none;
//  - device messages (replies and queue_message) go out in input reports of
//    input_report_length bytes: the first report of a message with config.first_data_flag,
//    later ones with config.next_data_flag, each after config.busy_polls_before_data polls
//    with flag 0; a message never shares a report with the next one. After a data report the
//    device answers flag 0 until the host's acknowledgment (an output report with flag 0);
//  - an idle device answers flag 0.
// Not thread-safe. Nothing allocates while reports flow, once replies fit the reserved outbox
// (64 KiB plus header; more grows it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calc_link/hid_caps.h"

namespace vanta_sim {

struct calc_config {
    // What discovery reads.
    std::uint16_t vendor_id = 0x3C5D;
    std::uint16_t product_id = 0x7E21;
    // Report lengths, report id included; the capability record carries them.
    std::uint16_t input_report_length = 64;
    std::uint16_t output_report_length = 64;

    // Identify reply (0xFA): header byte 0, then the payload length big-endian, then a payload
    // of 0, N, 0, 0, 0, the name, the eight version bytes and identify_trailer.
    std::u16string name = u"K58x";  // sent as UTF-16 little-endian
    // Replaces the encoded name with these exact bytes (for odd or malformed names).
    std::optional<std::vector<std::uint8_t>> raw_name_bytes;
    // Announced name length N; by default the number of name bytes sent.
    std::optional<std::uint8_t> name_length;
    std::array<std::uint8_t, 8> version_bytes = {0x72, 0x22, 0x20, 0x12, 0, 0, 0, 0};
    std::vector<std::uint8_t> identify_trailer;
    // Replaces the whole identify payload (the header still announces its real length).
    std::optional<std::vector<std::uint8_t>> identify_payload;
    // Length field of the identify header; by default the real payload length.
    std::optional<std::uint32_t> identify_announced_length;

    // Block query reply (0xFC): header, then block_payload.
    std::vector<std::uint8_t> block_payload;
    std::optional<std::uint32_t> block_announced_length;  // default: block_payload.size()

    // Handshake.
    std::uint32_t busy_polls_before_ack = 0;
    std::uint32_t busy_polls_before_data = 0;
    std::uint8_t ack_flag = 1;
    std::uint8_t first_data_flag = 2;
    std::uint8_t next_data_flag = 1;
    // From this poll on (0-based count of all polls) every poll answers flag 0, forever.
    std::int64_t stall_from_poll = -1;
    // false: commands are acknowledged and counted but never answered.
    bool answer_commands = true;

    // The capability record discovery would read from this device.
    vanta_kit::hid_caps caps() const;
};

class calc_model {
public:
    static constexpr std::uint8_t command_identify = 0xFA;
    static constexpr std::uint8_t command_block_query = 0xFC;
    static constexpr std::uint8_t command_update_start = 0xE6;

    explicit calc_model(calc_config config = {});

    // Replies are built when their command arrives, from the configuration at that moment.
    const calc_config& config() const { return config_; }
    calc_config& config() { return config_; }

    // One output report from the host. false: the device refuses it (length other than
    // output_report_length, or report id other than 1); nothing changes then.
    bool receive_output_report(const std::uint8_t* report, std::uint32_t length);
    // Fills the current input report into `report` (input_report_length bytes). false: the
    // buffer is shorter than an input report; nothing changes then.
    bool produce_input_report(std::uint8_t* report, std::uint32_t length);

    // Queues a device message of the test's own after whatever is queued.
    void queue_message(const std::uint8_t* bytes, std::size_t count);
    void queue_message(const std::vector<std::uint8_t>& bytes) {
        queue_message(bytes.data(), bytes.size());
    }
    // Bytes of device messages not yet sent.
    std::size_t pending_bytes() const { return outbox_.size() - sent_; }
    // The reply an identify command would get now: header and payload.
    std::vector<std::uint8_t> identify_reply() const;

    std::uint32_t commands_received(std::uint8_t command) const { return commands_[command]; }
    std::uint64_t host_messages() const { return host_messages_; }
    std::uint64_t polls() const { return polls_; }
    std::uint64_t acknowledgments_sent() const { return acks_sent_; }
    std::uint64_t data_reports_sent() const { return data_reports_sent_; }
    // Host acknowledgments (flag 0 reports) of data reports, and ones that came unasked.
    std::uint64_t host_acknowledgments() const { return host_acks_; }
    std::uint64_t stray_host_acknowledgments() const { return stray_host_acks_; }

private:
    void on_command(std::uint8_t command);
    void begin_message();
    void append_header(std::uint32_t announced);
    void append_identify_payload();
    std::uint32_t identify_payload_length() const;
    bool fill_data_report(std::uint8_t* report);

    calc_config config_;
    std::vector<std::uint8_t> outbox_;
    std::vector<std::size_t> message_starts_;  // offsets into outbox_, ascending
    std::size_t sent_ = 0;
    std::size_t next_start_ = 0;  // index into message_starts_ of the first start >= sent_
    bool ack_pending_ = false;
    bool awaiting_host_ack_ = false;
    std::uint32_t busy_polls_ = 0;
    std::array<std::uint32_t, 256> commands_{};
    std::uint64_t host_messages_ = 0;
    std::uint64_t polls_ = 0;
    std::uint64_t acks_sent_ = 0;
    std::uint64_t data_reports_sent_ = 0;
    std::uint64_t host_acks_ = 0;
    std::uint64_t stray_host_acks_ = 0;
};

}  // namespace vanta_sim
