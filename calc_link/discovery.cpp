#include "calc_link/discovery.h"

namespace vanta_kit {
namespace {

// A query handle that is closed on every way out.
class scoped_query {
public:
    scoped_query(device_queries& queries, const std::wstring& path)
        : queries_(queries), handle_(queries.open_query(path)) {}
    ~scoped_query() {
        if (is_open()) queries_.close_query(handle_);
    }
    scoped_query(const scoped_query&) = delete;
    scoped_query& operator=(const scoped_query&) = delete;

    bool is_open() const { return handle_ != invalid_query_handle; }
    query_handle get() const { return handle_; }

private:
    device_queries& queries_;
    query_handle handle_;
};

// The interface's ids; {0, 0} (no known device) when they cannot be read.
usb_identity read_identity(device_queries& queries, const scoped_query& query) {
    usb_identity ids{0, 0};
    if (!queries.get_attributes(query.get(), ids.vendor_id, ids.product_id)) return {0, 0};
    return ids;
}

bool operator==(usb_identity a, usb_identity b) {
    return a.vendor_id == b.vendor_id && a.product_id == b.product_id;
}

// A record that cannot be read stays zeroed: its report lengths of 0 make the transport
// refuse the device instead of working with leftovers.
hid_caps read_caps(device_queries& queries, const scoped_query& query) {
    hid_caps caps{};
    queries.get_caps(query.get(), caps);
    return caps;
}

}  // namespace

std::wstring upper_case_path(std::wstring path) {
    for (wchar_t& c : path) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return path;
}

void enumerate_present_calculators(device_queries& queries, usb_identity calculator,
                                   device_sink& sink) {
    queries.for_each_present_hid_interface([&](const std::wstring& path) {
        scoped_query query(queries, path);
        if (!query.is_open() || !(read_identity(queries, query) == calculator)) return;
        hid_caps caps = read_caps(queries, query);
        sink.add_calculator(path, &caps);
    });
}

void handle_interface_arrival(device_queries& queries, usb_identity calculator,
                              const std::wstring& path, device_sink& sink) {
    scoped_query query(queries, path);
    if (!query.is_open()) return;
    usb_identity ids = read_identity(queries, query);
    if (ids == calculator) {
        hid_caps caps = read_caps(queries, query);
        sink.add_calculator(path, &caps);
    } else if (ids == recovery_device_identity) {
        sink.on_recovery_device_arrival();
    }
}

void handle_interface_removal(const std::wstring& path, device_sink& sink) {
    sink.remove_calculator(upper_case_path(path));
}

}  // namespace vanta_kit
