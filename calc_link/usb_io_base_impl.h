// io_base over two handles on one HID device path. One per calculator, created, opened and
// destroyed by that calculator's calc_data_provider_impl. UI thread only; allocates nothing
// while transferring.
//
// Robustness beyond the bare handshake:
//  - a failed input-report poll ends an acknowledgment wait and fails the transfer (closing the
//    transport), so an unplugged calculator never keeps the caller waiting;
//  - an acknowledgment wait gives up after 10 s of polling (max_wait_polls polls, 5 ms apart)
//    and fails the transfer the same way, so a calculator that keeps answering "not ready"
//    cannot freeze the UI thread;
//  - report lengths that do not fit the 128-byte report buffers or carry no payload (outside
//    3..127), including the all-zero record before the first set_caps, make every transfer
//    that needs the device fail and close the transport;
//  - a read whose reports would not fit the receive buffer fails and closes the transport
//    before any device traffic; leftover bytes are handed out from any buffer position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "calc_link/hid_platform.h"
#include "calc_link/io_base.h"

namespace vanta_kit {

class usb_io_base_impl : public io_base {
public:
    static constexpr std::size_t receive_buffer_size = 20000;
    static constexpr std::size_t report_buffer_size = 128;
    // Shortest report that still carries a payload byte after the report id and the flag byte.
    static constexpr std::uint32_t min_report_length = 3;
    static constexpr std::uint32_t max_report_length = report_buffer_size - 1;
    static constexpr std::uint32_t poll_interval_ms = 5;
    // The longest acknowledgment wait, counted in polls: 10 s of polling.
    static constexpr std::uint32_t max_wait_ms = 10'000;
    static constexpr std::uint32_t max_wait_polls = max_wait_ms / poll_interval_ms;

    explicit usb_io_base_impl(hid_platform& platform);
    usb_io_base_impl(const usb_io_base_impl&) = delete;
    usb_io_base_impl& operator=(const usb_io_base_impl&) = delete;

    link_status open(std::wstring path) override;
    link_status write(const std::uint8_t* data, std::uint16_t count) override;
    link_status write_byte(std::uint8_t byte) override;
    link_status read(std::uint8_t* destination, std::uint16_t count) override;
    std::int32_t is_open() override;
    void close() override;
    void set_caps(const hid_caps* caps) override;
    virtual ~usb_io_base_impl();

private:
    bool report_lengths_fit() const;
    bool fits_receive_buffer(std::uint32_t count) const;
    // Polls every poll_interval_ms until the input report's flag byte is non-zero; false when
    // a poll failed or max_wait_polls polls all answered flag 0.
    bool await_report(std::uint32_t poll_length);
    bool write_output_report(std::uint32_t length);
    void close_handles();
    link_status fail_transfer();

    hid_platform& platform_;
    std::int32_t opened_ = 0;
    hid_handle read_handle_ = invalid_hid_handle;
    hid_handle write_handle_ = invalid_hid_handle;
    hid_caps caps_{};  // all zero until set_caps: no transfer can run on it
    std::uint8_t receive_buffer_[receive_buffer_size];
    std::uint8_t output_report_[report_buffer_size];
    std::uint8_t input_report_[report_buffer_size];
    std::int32_t fill_index_ = 0;
    std::int32_t take_index_ = 0;
};

}  // namespace vanta_kit
