// The HID capability record that discovery reads from a device and the transport takes its
// report lengths from. On Windows it is the platform's own HIDP_CAPS; the portable build uses a
// record with the same 64-byte layout.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
// mingw's hidpi.h needs the USAGE type of hidusage.h and declares its functions without C
// linkage of its own.
extern "C" {
#include <hidusage.h>
#include <hidpi.h>
}
namespace vanta_kit {
using hid_caps = HIDP_CAPS;
}
#else
namespace vanta_kit {
struct hid_caps {
    std::uint16_t Usage;
    std::uint16_t UsagePage;
    std::uint16_t InputReportByteLength;
    std::uint16_t OutputReportByteLength;
    std::uint16_t FeatureReportByteLength;
    std::uint16_t Reserved[17];
    std::uint16_t NumberLinkCollectionNodes;
    std::uint16_t NumberInputButtonCaps;
    std::uint16_t NumberInputValueCaps;
    std::uint16_t NumberInputDataIndices;
    std::uint16_t NumberOutputButtonCaps;
    std::uint16_t NumberOutputValueCaps;
    std::uint16_t NumberOutputDataIndices;
    std::uint16_t NumberFeatureButtonCaps;
    std::uint16_t NumberFeatureValueCaps;
    std::uint16_t NumberFeatureDataIndices;
};
}  // namespace vanta_kit
#endif

static_assert(sizeof(vanta_kit::hid_caps) == 64, "HID capability record must be 64 bytes");
