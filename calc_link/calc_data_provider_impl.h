// base_calc_data_provider over the byte streams of usb_io_base_impl: sends one-byte commands,
// reads framed replies, caches the calculator's name and firmware version. UI thread only.
//
// Step pauses go through the same hid_platform as the transport, so a simulated platform sees
// the whole timing of an exchange. An identify reply whose name would run past its payload is
// refused like any other malformed reply: identify returns 0 and nothing is stored. The same
// holds for a reply whose version is 0: identify stores a name and a version only when it
// succeeds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "calc_link/base_calc_data_provider.h"
#include "calc_link/hid_platform.h"
#include "calc_link/usb_io_base_impl.h"

namespace vanta_kit {

class calc_data_provider_impl : public base_calc_data_provider {
public:
    static constexpr std::uint8_t command_identify = 0xFA;
    static constexpr std::uint8_t command_block_query = 0xFC;
    static constexpr std::uint8_t command_update_start = 0xE6;
    static constexpr std::uint32_t step_pause_ms = 100;
    static constexpr std::uint32_t max_identify_payload = 62;

    explicit calc_data_provider_impl(hid_platform& platform);
    calc_data_provider_impl(const calc_data_provider_impl&) = delete;
    calc_data_provider_impl& operator=(const calc_data_provider_impl&) = delete;

    link_status open(std::wstring path, std::int32_t mode) override;
    link_status close() override;
    std::int32_t is_open() override;
    std::wstring get_name() override;
    std::int32_t reserved_1(void* argument) override;
    std::int32_t reserved_2(void* argument) override;
    std::uint64_t get_version() override;
    std::uint64_t identify() override;
    std::int32_t query_block(std::int32_t* length) override;
    void release_io() override;
    void signal_update_start() override;
    std::int32_t get_mode() override;
    io_base* get_io() override;
    virtual ~calc_data_provider_impl();

private:
    // Sends a one-byte command and reads its 5-byte reply header, with the step pauses; false
    // when a transfer failed.
    bool request(io_base& io, std::uint8_t command, std::uint8_t (&header)[5]);

    hid_platform& platform_;
    std::unique_ptr<usb_io_base_impl> transport_;
    std::int32_t mode_ = 0;
    std::wstring name_;
    std::uint64_t version_ = 0;
};

}  // namespace vanta_kit
