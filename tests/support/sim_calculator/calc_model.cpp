#include "tests/support/sim_calculator/calc_model.h"

#include <algorithm>
#include <cstring>

namespace vanta_sim {

namespace {

constexpr std::uint8_t report_id = 1;
constexpr std::size_t header_size = 5;
constexpr std::size_t outbox_reserve = 65536 + header_size;
constexpr std::size_t message_reserve = 64;

void put_be32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 24));
    out.push_back(static_cast<std::uint8_t>(value >> 16));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

}  // namespace

vanta_kit::hid_caps calc_config::caps() const {
    vanta_kit::hid_caps caps{};
    caps.UsagePage = 0xFF00;  // vendor-defined
    caps.Usage = 0x01;
    caps.InputReportByteLength = input_report_length;
    caps.OutputReportByteLength = output_report_length;
    return caps;
}

calc_model::calc_model(calc_config config) : config_(std::move(config)) {
    outbox_.reserve(outbox_reserve);
    message_starts_.reserve(message_reserve);
}

bool calc_model::receive_output_report(const std::uint8_t* report, std::uint32_t length) {
    if (length != config_.output_report_length || length < 2 || report[0] != report_id) {
        return false;
    }
    const std::uint8_t flag = report[1];
    if (flag == 0) {
        if (awaiting_host_ack_) {
            awaiting_host_ack_ = false;
            ++host_acks_;
        } else {
            ++stray_host_acks_;
        }
        return true;
    }
    ack_pending_ = true;
    busy_polls_ = 0;
    if (flag == 2) {
        ++host_messages_;
        if (length > 2) on_command(report[2]);
    }
    return true;
}

bool calc_model::produce_input_report(std::uint8_t* report, std::uint32_t length) {
    const std::uint32_t in_length = config_.input_report_length;
    if (length < in_length || in_length < 2) return false;
    std::memset(report, 0, in_length);
    report[0] = report_id;
    const bool stalled = config_.stall_from_poll >= 0 &&
                         polls_ >= static_cast<std::uint64_t>(config_.stall_from_poll);
    ++polls_;
    if (stalled) return true;

    if (ack_pending_) {
        if (busy_polls_ < config_.busy_polls_before_ack) {
            ++busy_polls_;
            return true;
        }
        busy_polls_ = 0;
        ack_pending_ = false;
        report[1] = config_.ack_flag;
        ++acks_sent_;
        return true;
    }
    if (awaiting_host_ack_ || pending_bytes() == 0) return true;
    if (busy_polls_ < config_.busy_polls_before_data) {
        ++busy_polls_;
        return true;
    }
    busy_polls_ = 0;
    return fill_data_report(report);
}

bool calc_model::fill_data_report(std::uint8_t* report) {
    const std::size_t payload =
        config_.input_report_length > 2 ? config_.input_report_length - 2u : 0;
    if (payload == 0) return true;  // such a device can never send data
    const bool starts =
        next_start_ < message_starts_.size() && message_starts_[next_start_] == sent_;
    if (starts) ++next_start_;
    const std::size_t end =
        next_start_ < message_starts_.size() ? message_starts_[next_start_] : outbox_.size();
    const std::size_t count = std::min(payload, end - sent_);
    std::memcpy(report + 2, outbox_.data() + sent_, count);
    report[1] = starts ? config_.first_data_flag : config_.next_data_flag;
    sent_ += count;
    awaiting_host_ack_ = true;
    ++data_reports_sent_;
    if (sent_ == outbox_.size()) {
        outbox_.clear();
        message_starts_.clear();
        sent_ = 0;
        next_start_ = 0;
    }
    return true;
}

void calc_model::queue_message(const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) return;
    begin_message();
    outbox_.insert(outbox_.end(), bytes, bytes + count);
}

void calc_model::begin_message() { message_starts_.push_back(outbox_.size()); }

void calc_model::on_command(std::uint8_t command) {
    ++commands_[command];
    if (!config_.answer_commands) return;
    if (command == command_identify) {
        begin_message();
        append_header(config_.identify_announced_length.value_or(identify_payload_length()));
        append_identify_payload();
    } else if (command == command_block_query) {
        const auto& block = config_.block_payload;
        begin_message();
        append_header(
            config_.block_announced_length.value_or(static_cast<std::uint32_t>(block.size())));
        outbox_.insert(outbox_.end(), block.begin(), block.end());
    }
}

void calc_model::append_header(std::uint32_t announced) {
    outbox_.push_back(0);
    put_be32(outbox_, announced);
}

std::uint32_t calc_model::identify_payload_length() const {
    if (config_.identify_payload)
        return static_cast<std::uint32_t>(config_.identify_payload->size());
    const std::size_t name_bytes =
        config_.raw_name_bytes ? config_.raw_name_bytes->size() : config_.name.size() * 2;
    return static_cast<std::uint32_t>(5 + name_bytes + config_.version_bytes.size() +
                                      config_.identify_trailer.size());
}

void calc_model::append_identify_payload() {
    if (config_.identify_payload) {
        outbox_.insert(outbox_.end(), config_.identify_payload->begin(),
                       config_.identify_payload->end());
        return;
    }
    const std::size_t name_bytes =
        config_.raw_name_bytes ? config_.raw_name_bytes->size() : config_.name.size() * 2;
    outbox_.push_back(0);
    outbox_.push_back(config_.name_length.value_or(static_cast<std::uint8_t>(name_bytes)));
    outbox_.insert(outbox_.end(), 3, 0);
    if (config_.raw_name_bytes) {
        outbox_.insert(outbox_.end(), config_.raw_name_bytes->begin(),
                       config_.raw_name_bytes->end());
    } else {
        for (char16_t unit : config_.name) {
            outbox_.push_back(static_cast<std::uint8_t>(unit & 0xFF));
            outbox_.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
    }
    outbox_.insert(outbox_.end(), config_.version_bytes.begin(), config_.version_bytes.end());
    outbox_.insert(outbox_.end(), config_.identify_trailer.begin(), config_.identify_trailer.end());
}

std::vector<std::uint8_t> calc_model::identify_reply() const {
    calc_config answering = config_;
    answering.answer_commands = true;
    calc_model scratch(std::move(answering));
    scratch.on_command(command_identify);
    return {scratch.outbox_.begin(), scratch.outbox_.end()};
}

}  // namespace vanta_sim
