// A small stand-in for vanta's calculator link, run under Wine beside the test hid.dll and
// setupapi.dll: it enumerates HID interfaces, opens each one as discovery does, and has the
// identify exchange with every calculator, with the same API calls and report framing. It
// writes what it found, one line per finding (UTF-8), to the file named by its argument:
//   device <index> vid=<hex4> pid=<hex4>
//   caps <index> in=<n> out=<n>
//   identify <index> name=<name> version=<hex16>
//   failed <index> <what>
// With "--update-start" it sends the update-start command after a successful identify.
#include <windows.h>
#include <setupapi.h>
extern "C" {
#include <hidusage.h>
#include <hidpi.h>
#include <hidsdi.h>
}

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int poll_limit = 4000;  // 20 s at 5 ms: a hung device ends the probe, not the test

struct link {
    HANDLE write = INVALID_HANDLE_VALUE;
    HANDLE read = INVALID_HANDLE_VALUE;
    std::uint16_t in_length = 0, out_length = 0;
};

std::string utf8(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

bool send_report(const link& l, std::uint8_t flag, const std::uint8_t* data, std::size_t count) {
    std::vector<std::uint8_t> report(l.out_length, 0);
    report[0] = 1;
    report[1] = flag;
    for (std::size_t i = 0; i < count && i + 2 < report.size(); ++i) report[i + 2] = data[i];
    DWORD written = 0;
    return ::WriteFile(l.write, report.data(), l.out_length, &written, nullptr) &&
           written == l.out_length;
}

// Polls every 5 ms until the device answers with a non-zero flag.
bool wait_report(const link& l, std::vector<std::uint8_t>& report) {
    report.assign(l.out_length > l.in_length ? l.out_length : l.in_length, 0);
    for (int poll = 0; poll < poll_limit; ++poll) {
        ::Sleep(5);
        report[0] = 1;
        if (!HidD_GetInputReport(l.read, report.data(), l.out_length)) return false;
        if (report[1] != 0) return true;
    }
    return false;
}

bool command(const link& l, std::uint8_t byte) {
    std::vector<std::uint8_t> ack;
    return send_report(l, 2, &byte, 1) && wait_report(l, ack);
}

// Reads device data until `count` bytes have come, acknowledging every report.
bool read_bytes(const link& l, std::vector<std::uint8_t>& into, std::size_t count) {
    std::vector<std::uint8_t> report;
    while (into.size() < count) {
        if (!wait_report(l, report) || !send_report(l, 0, nullptr, 0)) return false;
        into.insert(into.end(), report.begin() + 2, report.begin() + l.in_length);
    }
    return true;
}

std::string identify(const link& l, bool update_start) {
    std::vector<std::uint8_t> reply;
    if (!command(l, 0xFA) || !read_bytes(l, reply, 5)) return "failed identify-exchange";
    const std::size_t length = (reply[3] << 8) | reply[4];
    if (length == 0 || length > 62 || !read_bytes(l, reply, 5 + length)) {
        return "failed identify-length";
    }
    const std::uint8_t* payload = reply.data() + 5;
    const std::size_t n = payload[1];
    if (13 + n > length) return "failed identify-layout";
    std::wstring name;
    for (std::size_t i = 0; i + 1 < n; i += 2)
        name += static_cast<wchar_t>(payload[5 + i] | (payload[6 + i] << 8));
    char version[20];
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value = (value << 8) | payload[5 + n + i];
    std::snprintf(version, sizeof version, "%016llx", static_cast<unsigned long long>(value));
    if (update_start && !command(l, 0xE6)) {
        return "failed update-start";
    }
    return "name=" + utf8(name) + " version=" + version;
}

HANDLE open(const std::wstring& path, DWORD access) {
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
}

void probe(const std::wstring& path, int index, bool update_start, std::string& out) {
    std::string at = " ";
    at += std::to_string(index);
    HANDLE query = open(path, 0);
    if (query == INVALID_HANDLE_VALUE) {
        out += "failed" + at + " open-query\n";
        return;
    }
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    link l;
    const bool known = HidD_GetAttributes(query, &attributes);
    char ids[48];
    std::snprintf(ids, sizeof ids, " vid=%04x pid=%04x", attributes.VendorID, attributes.ProductID);
    out += known ? "device" + at + ids + "\n" : "failed" + at + " attributes\n";
    const bool calculator =
        known && attributes.VendorID == 0x3C5D && attributes.ProductID == 0x7E21;
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    HIDP_CAPS caps{};
    if (calculator && HidD_GetPreparsedData(query, &preparsed)) {
        if (HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
            l.in_length = caps.InputReportByteLength;
            l.out_length = caps.OutputReportByteLength;
            out += "caps" + at + " in=" + std::to_string(l.in_length) +
                   " out=" + std::to_string(l.out_length) + "\n";
        }
        HidD_FreePreparsedData(preparsed);
    }
    ::CloseHandle(query);
    if (!calculator || l.in_length < 3 || l.out_length < 3) return;

    l.write = open(path, GENERIC_WRITE);
    l.read = open(path, GENERIC_READ);
    if (l.write != INVALID_HANDLE_VALUE && l.read != INVALID_HANDLE_VALUE) {
        const std::string result = identify(l, update_start);
        out += (result.rfind("failed", 0) == 0 ? "failed" + at + result.substr(6)
                                               : "identify" + at + " " + result) +
               "\n";
    } else {
        out += "failed" + at + " open-transport\n";
    }
    if (l.write != INVALID_HANDLE_VALUE) ::CloseHandle(l.write);
    if (l.read != INVALID_HANDLE_VALUE) ::CloseHandle(l.read);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const bool update_start = argc > 2 && std::wstring(argv[2]) == L"--update-start";
    std::string out;
    GUID hid{};
    HidD_GetHidGuid(&hid);
    HDEVINFO set =
        SetupDiGetClassDevsW(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return 3;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &hid, index, &data); ++index) {
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &needed, nullptr);
        std::vector<std::uint8_t> buffer(needed);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!SetupDiGetDeviceInterfaceDetailW(set, &data, detail, needed, nullptr, nullptr)) {
            out += "failed " + std::to_string(index) + " detail\n";
            continue;
        }
        probe(detail->DevicePath, static_cast<int>(index), update_start, out);
    }
    SetupDiDestroyDeviceInfoList(set);

    HANDLE file = ::CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 4;
    DWORD written = 0;
    const bool ok =
        ::WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok ? 0 : 5;
}
