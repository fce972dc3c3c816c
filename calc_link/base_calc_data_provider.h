// Command layer between the program and one calculator. The slot order is part of the
// interface.
#pragma once

#include <cstdint>
#include <string>

#include "calc_link/io_base.h"
#include "calc_link/link_status.h"

namespace vanta_kit {

class base_calc_data_provider {
public:
    virtual link_status open(std::wstring path, std::int32_t mode) = 0;
    virtual link_status close() = 0;
    virtual std::int32_t is_open() = 0;
    virtual std::wstring get_name() = 0;
    virtual std::int32_t reserved_1(void* argument) = 0;
    virtual std::int32_t reserved_2(void* argument) = 0;
    virtual std::uint64_t get_version() = 0;
    virtual std::uint64_t identify() = 0;
    virtual std::int32_t query_block(std::int32_t* length) = 0;
    virtual void release_io() = 0;
    virtual void signal_update_start() = 0;
    virtual std::int32_t get_mode() = 0;
    virtual io_base* get_io() = 0;
    // No virtual destructor: instances are owned and destroyed as their implementation type.
};

}  // namespace vanta_kit
