#include "calc_link/calc_data_provider_impl.h"

#include <cstddef>

namespace vanta_kit {

namespace {

// Numbers default names across all providers of the program.
std::int32_t default_name_counter = 0;

std::uint32_t read_be32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

std::uint64_t read_be64(const std::uint8_t* bytes) {
    return (std::uint64_t{read_be32(bytes)} << 32) | read_be32(bytes + 4);
}

// Firmware released with a byte-swapped version field; its first seven bytes identify it.
constexpr std::uint8_t swapped_version_prefix[7] = {0x00, 0x00, 0x10, 0x01, 0x02, 0x11, 0x71};
constexpr std::uint64_t swapped_version = 0x7111020110000001ull;

std::uint64_t decode_version(const std::uint8_t* bytes) {
    for (std::size_t i = 0; i < sizeof swapped_version_prefix; ++i) {
        if (bytes[i] != swapped_version_prefix[i]) return read_be64(bytes);
    }
    return swapped_version;
}

constexpr std::uint32_t name_length_offset = 1;
constexpr std::uint32_t name_offset = 5;
constexpr std::uint32_t version_size = 8;
// The longest name that fits a maximal payload, in UTF-16 units (an odd byte count included).
constexpr std::size_t max_name_units =
    (calc_data_provider_impl::max_identify_payload - name_offset - version_size + 1) / 2;

struct identify_reply {
    wchar_t name[max_name_units];
    std::size_t name_units = 0;
    std::uint64_t version = 0;
};

// false when the payload is too short for the name length it announces plus the version.
bool decode_identify(const std::uint8_t* payload, std::uint32_t length, identify_reply& reply) {
    if (length <= name_length_offset) return false;
    const std::uint32_t name_bytes = payload[name_length_offset];
    if (name_offset + name_bytes + version_size > length) return false;

    const std::uint8_t* name = payload + name_offset;
    reply.name_units = 0;
    for (std::uint32_t i = 0; i < name_bytes; i += 2) {
        const std::uint32_t high = i + 1 < name_bytes ? name[i + 1] : 0;
        const wchar_t unit = static_cast<wchar_t>(name[i] | (high << 8));
        if (unit == L'\0') break;
        reply.name[reply.name_units++] = unit;
    }
    reply.version = decode_version(name + name_bytes);
    return true;
}

// Reads and drops `count` bytes through a small buffer, so that a long reply is consumed
// without a buffer of its size.
bool drain(io_base& io, std::uint32_t count) {
    std::uint8_t sink[256];
    while (count > 0) {
        const auto chunk = static_cast<std::uint16_t>(count < sizeof sink ? count : sizeof sink);
        if (io.read(sink, chunk) < 0) return false;
        count -= chunk;
    }
    return true;
}

}  // namespace

calc_data_provider_impl::calc_data_provider_impl(hid_platform& platform) : platform_(platform) {}

calc_data_provider_impl::~calc_data_provider_impl() {
    if (transport_) transport_->close();
}

link_status calc_data_provider_impl::open(std::wstring path, std::int32_t mode) {
    if (transport_ || mode != 1) return link_fail;
    mode_ = mode;
    try {
        transport_ = std::make_unique<usb_io_base_impl>(platform_);
    } catch (...) {
        return link_fail;
    }
    return transport_->open(std::move(path));
}

link_status calc_data_provider_impl::close() {
    if (transport_) transport_->close();
    return link_ok;
}

std::int32_t calc_data_provider_impl::is_open() { return transport_ ? transport_->is_open() : 0; }

std::wstring calc_data_provider_impl::get_name() {
    std::wstring default_name = L"Orv K58x-" + std::to_wstring(default_name_counter);
    default_name_counter =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(default_name_counter) + 1u);
    return name_.empty() ? default_name : name_;
}

std::int32_t calc_data_provider_impl::reserved_1(void*) { return 0; }

std::int32_t calc_data_provider_impl::reserved_2(void*) { return 0; }

std::uint64_t calc_data_provider_impl::get_version() { return version_; }

std::uint64_t calc_data_provider_impl::identify() {
    if (version_ != 0) return version_;
    io_base* io = get_io();
    if (io == nullptr) return 0;

    std::uint8_t header[5];
    if (!request(*io, command_identify, header)) return 0;
    const std::uint32_t length = read_be32(header + 1) & 0xFFFFu;
    if (length == 0 || length > max_identify_payload) return 0;

    std::uint8_t payload[max_identify_payload];
    if (io->read(payload, static_cast<std::uint16_t>(length)) < 0) return 0;
    identify_reply reply;
    if (!decode_identify(payload, length, reply)) return 0;
    // A version of 0 is a failed identify: like every other failure it leaves the provider
    // as it was, so a name is never stored without its version.
    if (reply.version == 0) return 0;
    name_.assign(reply.name, reply.name_units);
    version_ = reply.version;
    return version_;
}

std::int32_t calc_data_provider_impl::query_block(std::int32_t* length) {
    std::int32_t ignored = 0;
    std::int32_t& announced = length != nullptr ? *length : ignored;
    announced = 0;
    io_base* io = get_io();
    if (io == nullptr) return 0;

    std::uint8_t header[5];
    if (!request(*io, command_block_query, header)) return 0;
    announced = static_cast<std::int32_t>(read_be32(header + 1));
    if (announced <= 0) return 0;
    drain(*io, static_cast<std::uint32_t>(announced) & 0xFFFFu);
    return 0;
}

void calc_data_provider_impl::release_io() {
    if (transport_ && transport_->is_open()) {
        transport_->close();
        transport_.reset();
    }
}

void calc_data_provider_impl::signal_update_start() {
    if (io_base* io = get_io()) io->write_byte(command_update_start);
}

std::int32_t calc_data_provider_impl::get_mode() { return mode_; }

io_base* calc_data_provider_impl::get_io() {
    return transport_ && transport_->is_open() ? transport_.get() : nullptr;
}

bool calc_data_provider_impl::request(io_base& io, std::uint8_t command,
                                      std::uint8_t (&header)[5]) {
    if (io.write_byte(command) < 0) return false;
    platform_.sleep(step_pause_ms);
    if (io.read(header, sizeof header) < 0) return false;
    platform_.sleep(step_pause_ms);
    return true;
}

}  // namespace vanta_kit
