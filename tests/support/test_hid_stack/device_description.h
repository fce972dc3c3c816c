// The description file that sits beside each simulated HID device file ("<device file>.cfg").
// The harness writes it when it plugs a device in and removes it when it pulls the device out;
// the test hid.dll and setupapi.dll read it to answer enumeration, attributes, capabilities and
// input-report polls.
//
// Format: UTF-8 text, one "key=value" per line; blank lines and lines starting with '#' are
// skipped; a key given twice keeps its last value. Unknown keys and malformed values make the
// whole file invalid, so a typo in a test's device is caught instead of silently ignored.
//   sequence=3                        attach order; enumeration lists devices by it
//   vendor_id=3c5d  product_id=7e21   hexadecimal, as are version_number, usage_page, usage
//   version_number=0100
//   usage_page=ff00  usage=0001       capability record's top-level collection
//   input_report_length=64            report lengths, report id included
//   output_report_length=64
//   model=calculator                  "calculator": polls are answered by the simulated K58x;
//                                     "none": no device model, every poll fails (mouse,
//                                     recovery device)
// Simulated calculator (the fields of vanta_sim::calc_config), byte strings in hexadecimal:
//   name=4b0035003800                 the name as UTF-16 little-endian bytes
//   raw_name_bytes=..  name_length=N  version_bytes=7222201200000000  identify_trailer=..
//   identify_payload=..  identify_announced_length=N  block_payload=..
//   block_announced_length=N  busy_polls_before_ack=N  busy_polls_before_data=N  ack_flag=N
//   first_data_flag=N  next_data_flag=N  stall_from_poll=N  answer_commands=0|1
// Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "calc_link/hid_caps.h"
#include "tests/support/sim_calculator/calc_model.h"

namespace hid_stack {

struct device_description {
    std::int64_t sequence = 0;
    std::uint16_t version_number = 0x0100;
    std::uint16_t usage_page = 0xFF00;
    std::uint16_t usage = 0x0001;
    bool has_model = true;
    // Ids and report lengths of every device; the rest only matters when has_model is set.
    vanta_sim::calc_config calc;

    std::uint16_t vendor_id() const { return calc.vendor_id; }
    std::uint16_t product_id() const { return calc.product_id; }
    // The capability record that HidP_GetCaps gives for this device.
    vanta_kit::hid_caps caps() const;
};

// A K58x calculator with the given name and firmware version (eight bytes, most significant
// first, as the identify reply carries them).
device_description calculator_device(std::u16string name, std::uint64_t version_bytes);
// A device in firmware-recovery mode (vendor 0x066F, product 0x3770); vanta only reads its ids.
device_description recovery_device();
// A HID mouse: neither a calculator nor a recovery device.
device_description mouse_device();

std::string format_device_description(const device_description& description);

struct parsed_description {
    std::optional<device_description> description;
    std::string error;  // set when description is empty: what was wrong, and on which line
};
parsed_description parse_device_description(std::string_view text);

}  // namespace hid_stack
