// The calculator link against a device whose every input report comes from the fuzzer: the
// transport and the command protocol, in sequences of identify, query_block, read and write
// that the fuzzer chooses, through the platform seam on a virtual clock.
//
// Input: input report length, output report length, a mode byte (what the device does once
// the input runs out: answer "not ready" for ever or vanish; and which write fails), then
// operations. Every poll takes its flag byte, and for a non-zero flag its payload, from the
// same stream, in the order the host asks.
//
// Invariants: no sanitizer finding; no acknowledgment wait polls more than 10 s' worth of
// "not ready"; every report written and every poll is L_out bytes with report id 1; identify
// stores a name and version only when it succeeds; handles are released.
#include <cstring>
#include <memory>
#include <vector>

#include "calc_link/calc_data_provider_impl.h"
#include "calc_link/usb_io_base_impl.h"
#include "fuzz/fuzz_input.h"

namespace {

using vanta_kit::hid_access;
using vanta_kit::hid_handle;

class fuzzed_device final : public vanta_kit::hid_platform {
public:
    fuzzed_device(fuzz::input& in, bool vanish_when_done, std::uint32_t fail_write_at)
        : in_(in), vanish_when_done_(vanish_when_done), fail_write_at_(fail_write_at) {}

    void set_output_length(std::uint32_t length) { output_length_ = length; }
    int open_handles() const { return open_handles_; }

    hid_handle open(const std::wstring&, hid_access access) override {
        ++open_handles_;
        return access == hid_access::write ? write_handle() : read_handle();
    }

    bool write_report(hid_handle handle, const std::uint8_t* report, std::uint32_t length,
                      std::uint32_t& written) override {
        FUZZ_CHECK(handle == write_handle());
        FUZZ_CHECK(length == output_length_);
        FUZZ_CHECK(report[0] == 1);
        std::uint8_t copy[128];
        std::memcpy(copy, report, length);  // the device reads every byte it is given
        written = 0;
        if (++writes_ == fail_write_at_) return false;
        written = length;
        return true;
    }

    bool get_input_report(hid_handle handle, std::uint8_t* report, std::uint32_t length) override {
        FUZZ_CHECK(handle == read_handle());
        FUZZ_CHECK(length == output_length_);
        FUZZ_CHECK(report[0] == 1);
        if (in_.empty() && vanish_when_done_) return false;
        std::memset(report, 0, length);
        report[0] = 1;
        if (length > 1) report[1] = in_.byte();
        if (length > 2 && report[1] != 0) in_.bytes(report + 2, length - 2);
        if (length > 1 && report[1] == 0) {
            FUZZ_CHECK(++not_ready_in_a_row_ <= vanta_kit::usb_io_base_impl::max_wait_polls);
        } else {
            not_ready_in_a_row_ = 0;
        }
        return true;
    }

    void close(hid_handle handle) override {
        FUZZ_CHECK(handle == read_handle() || handle == write_handle());
        FUZZ_CHECK(--open_handles_ >= 0);
    }

    void sleep(std::uint32_t) override {}

private:
    static hid_handle read_handle() { return reinterpret_cast<hid_handle>(0x100); }
    static hid_handle write_handle() { return reinterpret_cast<hid_handle>(0x200); }

    fuzz::input& in_;
    bool vanish_when_done_;
    std::uint32_t fail_write_at_;
    std::uint32_t output_length_ = 0;
    std::uint32_t writes_ = 0;
    std::uint32_t not_ready_in_a_row_ = 0;
    int open_handles_ = 0;
};

const std::wstring device_path = L"\\\\?\\hid#vid_3c5d&pid_7e21#fuzz";

bool has_default_name(vanta_kit::calc_data_provider_impl& provider) {
    return provider.get_name().rfind(L"Orv K58x-", 0) == 0;
}

void run_provider(fuzz::input& in, fuzzed_device& device, const vanta_kit::hid_caps& caps) {
    vanta_kit::calc_data_provider_impl provider(device);
    if (provider.open(device_path, 1) < 0) return;
    if (vanta_kit::io_base* io = provider.get_io()) io->set_caps(&caps);

    static std::uint8_t buffer[65536];
    for (int step = 0; step < 16 && !in.empty(); ++step) {
        const std::uint8_t operation = in.byte();
        vanta_kit::io_base* io = provider.get_io();
        switch (operation % 6) {
            case 0: {
                const std::uint64_t cached = provider.get_version();
                const std::uint64_t version = provider.identify();
                FUZZ_CHECK(provider.get_version() == version);
                if (cached != 0) FUZZ_CHECK(version == cached);
                if (version == 0) FUZZ_CHECK(has_default_name(provider));
                break;
            }
            case 1: {
                std::int32_t length = -1;
                FUZZ_CHECK(provider.query_block(&length) == 0);
                if (io == nullptr) FUZZ_CHECK(length == 0);
                break;
            }
            case 2:
                if (io != nullptr) io->read(buffer, in.u16());
                break;
            case 3:
                if (io != nullptr) {
                    const std::uint16_t count = in.u16();
                    std::memset(buffer, operation, count);
                    io->write(buffer, count);
                }
                break;
            case 4:
                provider.signal_update_start();
                break;
            case 5:
                provider.release_io();
                break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::input in(data, size);
    vanta_kit::hid_caps caps{};
    caps.InputReportByteLength = in.byte();
    caps.OutputReportByteLength = in.byte();
    const std::uint8_t mode = in.byte();
    fuzzed_device device(in, (mode & 0x80) != 0, mode & 0x7F);
    device.set_output_length(caps.OutputReportByteLength);
    run_provider(in, device, caps);
    FUZZ_CHECK(device.open_handles() == 0);
    return 0;
}
