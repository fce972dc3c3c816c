#include "tests/support/test_hid_stack/harness/device_notifier.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace e2e {

namespace {

std::vector<std::uint8_t> broadcast_record(const device_change& change) {
    const std::size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) +
                             (change.path.size() + 1) * sizeof(wchar_t);
    std::vector<std::uint8_t> record(size, 0);
    auto* header = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(record.data());
    header->dbcc_size = static_cast<DWORD>(size);
    header->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    header->dbcc_classguid = change.interface_class;
    std::memcpy(header->dbcc_name, change.path.c_str(), (change.path.size() + 1) * sizeof(wchar_t));
    return record;
}

}  // namespace

bool send_device_change(HWND window, const device_change& change, DWORD timeout_ms) {
    std::vector<std::uint8_t> record = broadcast_record(change);
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, WM_DEVICECHANGE, change.event,
                                 reinterpret_cast<LPARAM>(record.data()), SMTO_NORMAL, timeout_ms,
                                 &result) != 0;
}

struct pending_device_change::state {
    HWND window = nullptr;
    device_change change;
    DWORD timeout_ms = 0;
    bool answered = false;
    HANDLE done = nullptr;  // set when the send has returned
    ~state() {
        if (done) ::CloseHandle(done);
    }
};

pending_device_change::pending_device_change(HWND window, device_change change, DWORD timeout_ms)
    : state_(std::make_shared<state>()) {
    state_->window = window;
    state_->change = std::move(change);
    state_->timeout_ms = timeout_ms;
    state_->done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // The thread holds its own reference, so it may outlive this object.
    auto* held = new std::shared_ptr<state>(state_);
    HANDLE thread = ::CreateThread(nullptr, 0, &pending_device_change::send, held, 0, nullptr);
    if (thread) {
        ::CloseHandle(thread);
    } else {
        delete held;
        ::SetEvent(state_->done);
    }
}

pending_device_change::~pending_device_change() = default;

DWORD WINAPI pending_device_change::send(void* held) {
    std::unique_ptr<std::shared_ptr<state>> s(static_cast<std::shared_ptr<state>*>(held));
    (*s)->answered = send_device_change((*s)->window, (*s)->change, (*s)->timeout_ms);
    ::SetEvent((*s)->done);
    return 0;
}

bool pending_device_change::wait(DWORD timeout_ms) {
    return ::WaitForSingleObject(state_->done, timeout_ms) == WAIT_OBJECT_0 && state_->answered;
}

}  // namespace e2e
