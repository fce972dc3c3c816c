// io_base over two handles on one HID device path. One per calculator, created, opened and
// destroyed by that calculator's calc_data_provider_impl. UI thread only; allocates nothing
// while transferring.
#pragma once

#include <cstdint>
#include <string>

#include "calc_link/hid_platform.h"
#include "calc_link/io_base.h"

namespace vanta_kit {

class usb_io_base_impl : public io_base {
public:
    static constexpr std::size_t receive_buffer_size = 20000;
    static constexpr std::size_t report_buffer_size = 128;

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
    hid_platform& platform_;
    std::int32_t opened_ = 0;
    hid_handle read_handle_ = invalid_hid_handle;
    hid_handle write_handle_ = invalid_hid_handle;
    hid_caps caps_;
    std::uint8_t receive_buffer_[receive_buffer_size];
    std::uint8_t output_report_[report_buffer_size];
    std::uint8_t input_report_[report_buffer_size];
    std::int32_t fill_index_ = 0;
    std::int32_t take_index_ = 0;
};

}  // namespace vanta_kit
