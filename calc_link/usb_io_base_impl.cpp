#include "calc_link/usb_io_base_impl.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vanta_kit {

namespace {

constexpr std::uint8_t report_id = 1;
constexpr std::uint8_t flag_ack = 0;
constexpr std::uint8_t flag_continue = 1;
constexpr std::uint8_t flag_first = 2;

}  // namespace

usb_io_base_impl::usb_io_base_impl(hid_platform& platform) : platform_(platform) {}

usb_io_base_impl::~usb_io_base_impl() { close_handles(); }

link_status usb_io_base_impl::open(std::wstring path) {
    close_handles();
    try {
        write_handle_ = platform_.open(path, hid_access::write);
        if (write_handle_ != invalid_hid_handle) {
            read_handle_ = platform_.open(path, hid_access::read);
        }
    } catch (...) {
        // Fall through: whatever did open is released below.
    }
    if (write_handle_ == invalid_hid_handle || read_handle_ == invalid_hid_handle) {
        opened_ = 0;
        close_handles();
        return link_fail;
    }
    opened_ = 1;
    return link_ok;
}

std::int32_t usb_io_base_impl::is_open() { return opened_; }

void usb_io_base_impl::close() {
    close_handles();
    opened_ = 0;
}

void usb_io_base_impl::set_caps(const hid_caps* caps) {
    if (caps == nullptr) {
        caps_ = hid_caps{};
        return;
    }
    std::memcpy(&caps_, caps, sizeof caps_);
}

link_status usb_io_base_impl::write_byte(std::uint8_t byte) { return write(&byte, 1); }

link_status usb_io_base_impl::write(const std::uint8_t* data, std::uint16_t count) {
    if (count == 0) return link_ok;
    if (write_handle_ == invalid_hid_handle) return link_fail;
    if (data == nullptr || !report_lengths_fit()) return fail_transfer();

    const std::uint32_t out_length = caps_.OutputReportByteLength;
    const std::uint32_t payload = out_length - 2;
    std::uint32_t remaining = count;
    bool first = true;
    while (remaining > 0) {
        std::memset(output_report_, 0, out_length + 1);
        output_report_[0] = report_id;
        output_report_[1] = first ? flag_first : flag_continue;
        input_report_[0] = report_id;
        const std::uint32_t k = std::min(remaining, payload);
        std::memcpy(output_report_ + 2, data, k);
        if (!write_output_report(out_length)) return fail_transfer();
        if (!await_report(out_length)) return fail_transfer();
        data += k;
        remaining -= k;
        first = false;
    }
    return link_ok;
}

link_status usb_io_base_impl::read(std::uint8_t* destination, std::uint16_t count) {
    if (count == 0) return link_ok;
    if (destination == nullptr) return fail_transfer();

    std::uint32_t remaining = count;
    std::uint8_t* out = destination;
    // Leftovers of the last report first. fill_index_ never exceeds the receive buffer, so the
    // take index needs no wrapping.
    while (take_index_ < fill_index_) {
        *out++ = receive_buffer_[take_index_++];
        if (--remaining == 0) return link_ok;
    }
    take_index_ = 0;
    fill_index_ = 0;

    if (read_handle_ == invalid_hid_handle) return link_fail;
    if (!report_lengths_fit() || !fits_receive_buffer(remaining)) return fail_transfer();

    const std::uint32_t in_length = caps_.InputReportByteLength;
    const std::uint32_t out_length = caps_.OutputReportByteLength;
    const std::uint32_t payload = in_length - 2;
    const std::uint32_t cleared = std::max(in_length, out_length) + 1;
    while (remaining > 0) {
        std::memset(input_report_, 0, cleared);
        std::memset(output_report_, 0, cleared);
        input_report_[0] = report_id;
        output_report_[0] = report_id;
        output_report_[1] = flag_ack;
        const std::uint32_t k = std::min(remaining, payload);
        remaining -= k;

        if (!await_report(out_length)) return fail_transfer();
        if (input_report_[1] == flag_first) {
            // A new device message: what this read took so far belonged to an older one.
            take_index_ = 0;
            fill_index_ = 0;
        }
        const bool acknowledged = write_output_report(out_length);
        std::memcpy(receive_buffer_ + take_index_, input_report_ + 2, payload);
        std::memcpy(out + take_index_, input_report_ + 2, k);
        if (!acknowledged) return fail_transfer();
        take_index_ += static_cast<std::int32_t>(k);
        fill_index_ += static_cast<std::int32_t>(payload);
    }
    return link_ok;
}

bool usb_io_base_impl::report_lengths_fit() const {
    const std::uint32_t in_length = caps_.InputReportByteLength;
    const std::uint32_t out_length = caps_.OutputReportByteLength;
    return in_length >= min_report_length && in_length <= max_report_length &&
           out_length >= min_report_length && out_length <= max_report_length;
}

bool usb_io_base_impl::fits_receive_buffer(std::uint32_t count) const {
    const std::uint32_t payload = caps_.InputReportByteLength - 2u;
    const std::uint32_t reports = (count + payload - 1) / payload;
    return static_cast<std::size_t>(reports) * payload <= receive_buffer_size;
}

bool usb_io_base_impl::await_report(std::uint32_t poll_length) {
    for (std::uint32_t poll = 0; poll < max_wait_polls; ++poll) {
        platform_.sleep(poll_interval_ms);
        if (!platform_.get_input_report(read_handle_, input_report_, poll_length)) return false;
        if (input_report_[1] != 0) return true;
    }
    return false;
}

bool usb_io_base_impl::write_output_report(std::uint32_t length) {
    std::uint32_t written = 0;
    return platform_.write_report(write_handle_, output_report_, length, written) &&
           written >= length;
}

void usb_io_base_impl::close_handles() {
    if (write_handle_ != invalid_hid_handle) {
        platform_.close(std::exchange(write_handle_, invalid_hid_handle));
    }
    if (read_handle_ != invalid_hid_handle) {
        platform_.close(std::exchange(read_handle_, invalid_hid_handle));
    }
}

link_status usb_io_base_impl::fail_transfer() {
    close();
    return link_fail;
}

}  // namespace vanta_kit
