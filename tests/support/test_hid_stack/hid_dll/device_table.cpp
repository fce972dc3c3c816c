#include "tests/support/test_hid_stack/hid_dll/device_table.h"

#include <vector>

#include "tests/support/test_hid_stack/sim_files.h"

namespace hid_stack {

namespace {

std::wstring upper(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

}  // namespace

device_table& device_table::instance() {
    static device_table table;
    return table;
}

bool device_table::get_input_report(HANDLE handle, void* buffer, unsigned long length,
                                    DWORD& error) {
    const std::wstring path = path_of_handle(handle);
    if (path.empty()) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    const auto description = read_description(path);
    if (!description) {
        error = ERROR_DEVICE_NOT_CONNECTED;
        return false;
    }
    if (!description->has_model) {
        error = ERROR_INVALID_FUNCTION;
        return false;
    }
    auto* report = static_cast<std::uint8_t*>(buffer);
    if (!report || length < description->calc.input_report_length) {
        error = ERROR_INVALID_USER_BUFFER;
        return false;
    }
    if (report[0] != 1) {  // the caller names the report it wants; this device has only id 1
        error = ERROR_INVALID_PARAMETER;
        return false;
    }

    std::lock_guard<std::mutex> lock(mutex_);
    auto& slot = devices_[upper(path)];
    if (!slot) slot = std::make_unique<device>(description->calc);
    // The harness may rewrite a plugged-in device's behaviour (a stall, say) at any time.
    slot->model.config() = description->calc;
    if (!feed_new_reports(handle, *slot, description->calc.output_report_length)) {
        error = ERROR_ACCESS_DENIED;
        return false;
    }
    if (!slot->model.produce_input_report(report, length)) {
        error = ERROR_INVALID_USER_BUFFER;
        return false;
    }
    return true;
}

bool device_table::feed_new_reports(HANDLE handle, device& target, std::uint32_t report_length) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(target.consumed);
    if (!::SetFilePointerEx(handle, position, nullptr, FILE_BEGIN)) return false;
    std::vector<std::uint8_t> pending;
    std::uint8_t chunk[4096];
    DWORD got = 0;
    while (true) {
        if (!::ReadFile(handle, chunk, sizeof chunk, &got, nullptr)) return false;
        if (got == 0) break;
        pending.insert(pending.end(), chunk, chunk + got);
    }
    std::size_t fed = 0;
    for (; fed + report_length <= pending.size(); fed += report_length) {
        target.model.receive_output_report(pending.data() + fed, report_length);
    }
    target.consumed += fed;
    return true;
}

}  // namespace hid_stack
