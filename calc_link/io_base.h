// Byte-stream interface to one calculator over HID reports (stop-and-wait). The slot order is
// part of the interface: open, write, write_byte, read, is_open, close, set_caps.
#pragma once

#include <cstdint>
#include <string>

#include "calc_link/hid_caps.h"
#include "calc_link/link_status.h"

namespace vanta_kit {

class io_base {
public:
    virtual link_status open(std::wstring path) = 0;
    virtual link_status write(const std::uint8_t* data, std::uint16_t count) = 0;
    virtual link_status write_byte(std::uint8_t byte) = 0;
    virtual link_status read(std::uint8_t* destination, std::uint16_t count) = 0;
    virtual std::int32_t is_open() = 0;
    virtual void close() = 0;
    virtual void set_caps(const hid_caps* caps) = 0;
    // No virtual destructor: instances are owned and destroyed as their implementation type.
};

}  // namespace vanta_kit
