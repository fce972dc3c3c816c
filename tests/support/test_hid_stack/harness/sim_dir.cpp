#include "tests/support/test_hid_stack/harness/sim_dir.h"

#include <windows.h>

#include <cwchar>

#include "tests/support/test_hid_stack/harness/file_system.h"
#include "tests/support/test_hid_stack/sim_files.h"

namespace e2e {

namespace {

std::wstring description_file(const sim_device& device) {
    return device.file + hid_stack::description_suffix;
}

// The description appears whole or not at all: the test DLLs may read it at any moment.
bool publish_description(const sim_device& device) {
    const std::wstring target = description_file(device);
    const std::wstring staging = target + L".new";
    return hid_stack::write_file(staging,
                                 hid_stack::format_device_description(device.description)) &&
           ::MoveFileExW(staging.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace

sim_dir::sim_dir(std::wstring folder) : folder_(std::move(folder)) {
    ok_ = make_fresh_dir(folder_);
}

sim_device sim_dir::plug(hid_stack::device_description description) {
    description.sequence = next_sequence_++;
    wchar_t serial[32];
    std::swprintf(serial, 32, L"sim%04lld", static_cast<long long>(description.sequence));
    sim_device device;
    device.file = join(folder_, hid_stack::device_file_name(description.vendor_id(),
                                                            description.product_id(), serial));
    device.path = hid_stack::device_path_of_file(device.file);
    device.description = std::move(description);
    HANDLE file = ::CreateFileW(device.file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    ::CloseHandle(file);
    if (!publish_description(device)) return {};
    return device;
}

bool sim_dir::pull(const sim_device& device) {
    return !device.file.empty() && ::DeleteFileW(description_file(device).c_str()) != 0;
}

bool sim_dir::update(sim_device& device, const hid_stack::device_description& description) {
    if (!present(device)) return false;
    const std::int64_t sequence = device.description.sequence;
    device.description = description;
    device.description.sequence = sequence;
    return publish_description(device);
}

bool sim_dir::present(const sim_device& device) const {
    return !device.file.empty() && file_exists(description_file(device));
}

std::vector<std::uint8_t> sim_dir::received(const sim_device& device) const {
    return read_bytes(device.file).value_or(std::vector<std::uint8_t>());
}

hid_stack::host_traffic sim_dir::traffic(const sim_device& device) const {
    return hid_stack::decode_host_traffic(received(device),
                                          device.description.calc.output_report_length);
}

std::vector<std::uint8_t> sim_dir::commands(const sim_device& device) const {
    return hid_stack::host_commands(traffic(device));
}

}  // namespace e2e
