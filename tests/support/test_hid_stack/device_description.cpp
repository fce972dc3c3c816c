#include "tests/support/test_hid_stack/device_description.h"

#include <charconv>
#include <functional>
#include <vector>

namespace hid_stack {

namespace {

using bytes = std::vector<std::uint8_t>;

std::string hex(const std::uint8_t* data, std::size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0xF];
    }
    return out;
}
std::string hex(const bytes& data) { return hex(data.data(), data.size()); }

std::string hex16(std::uint16_t value) {
    const std::uint8_t be[2] = {static_cast<std::uint8_t>(value >> 8),
                                static_cast<std::uint8_t>(value)};
    return hex(be, 2);
}

template <typename T>
std::optional<T> number(std::string_view text, int base = 10) {
    T value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
    return value;
}

std::optional<bytes> hex_bytes(std::string_view text) {
    if (text.size() % 2 != 0) return {};
    bytes out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        auto byte = number<std::uint8_t>(text.substr(i, 2), 16);
        if (!byte) return {};
        out.push_back(*byte);
    }
    return out;
}

bytes utf16le(const std::u16string& text) {
    bytes out;
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

std::u16string from_utf16le(const bytes& data) {
    std::u16string out;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        out += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
    return out;
}

// One key of the format: how to read it into a description and how to write it out (nothing
// to write for an unset optional).
struct field {
    const char* key;
    std::function<bool(device_description&, std::string_view)> read;
    std::function<std::optional<std::string>(const device_description&)> write;
};

template <typename T, typename Get>
field decimal(const char* key, Get get) {
    return {key,
            [get](device_description& d, std::string_view v) {
                auto n = number<T>(v);
                if (n) get(d) = *n;
                return n.has_value();
            },
            [get](const device_description& d) -> std::optional<std::string> {
                return std::to_string(get(d));
            }};
}

template <typename Get>
field hex_id(const char* key, Get get) {
    return {
        key,
        [get](device_description& d, std::string_view v) {
            auto n = v.size() <= 4 ? number<std::uint16_t>(v, 16) : std::nullopt;
            if (n) get(d) = *n;
            return n.has_value();
        },
        [get](const device_description& d) -> std::optional<std::string> { return hex16(get(d)); }};
}

template <typename Get>
field byte_string(const char* key, Get get) {
    return {
        key,
        [get](device_description& d, std::string_view v) {
            auto b = hex_bytes(v);
            if (b) get(d) = *b;
            return b.has_value();
        },
        [get](const device_description& d) -> std::optional<std::string> { return hex(get(d)); }};
}

template <typename T, typename Get>
field optional_decimal(const char* key, Get get) {
    return {key,
            [get](device_description& d, std::string_view v) {
                auto n = number<T>(v);
                if (n) get(d) = *n;
                return n.has_value();
            },
            [get](const device_description& d) -> std::optional<std::string> {
                const auto& value = get(d);
                if (!value) return std::nullopt;
                return std::to_string(*value);
            }};
}

template <typename Get>
field optional_bytes(const char* key, Get get) {
    return {key,
            [get](device_description& d, std::string_view v) {
                auto b = hex_bytes(v);
                if (b) get(d) = *b;
                return b.has_value();
            },
            [get](const device_description& d) -> std::optional<std::string> {
                const auto& value = get(d);
                if (!value) return std::nullopt;
                return hex(*value);
            }};
}

// Report lengths below 3 cannot carry a flag and a byte; above 1024 no HID device goes.
bool report_length_valid(std::uint16_t length) { return length >= 3 && length <= 1024; }

const std::vector<field>& fields() {
    static const std::vector<field> table = {
        decimal<std::int64_t>(
            "sequence", [](auto& x) -> auto& { return x.sequence; }),
        hex_id(
            "vendor_id", [](auto& x) -> auto& { return x.calc.vendor_id; }),
        hex_id(
            "product_id", [](auto& x) -> auto& { return x.calc.product_id; }),
        hex_id(
            "version_number", [](auto& x) -> auto& { return x.version_number; }),
        hex_id(
            "usage_page", [](auto& x) -> auto& { return x.usage_page; }),
        hex_id(
            "usage", [](auto& x) -> auto& { return x.usage; }),
        decimal<std::uint16_t>(
            "input_report_length", [](auto& x) -> auto& { return x.calc.input_report_length; }),
        decimal<std::uint16_t>(
            "output_report_length", [](auto& x) -> auto& { return x.calc.output_report_length; }),
        {"model",
         [](device_description& x, std::string_view v) {
             x.has_model = v == "calculator";
             return v == "calculator" || v == "none";
         },
         [](const device_description& x) -> std::optional<std::string> {
             return x.has_model ? "calculator" : "none";
         }},
        {"name",
         [](device_description& x, std::string_view v) {
             auto b = hex_bytes(v);
             if (!b || b->size() % 2 != 0) return false;
             x.calc.name = from_utf16le(*b);
             return true;
         },
         [](const device_description& x) -> std::optional<std::string> {
             return hex(utf16le(x.calc.name));
         }},
        optional_bytes(
            "raw_name_bytes", [](auto& x) -> auto& { return x.calc.raw_name_bytes; }),
        optional_decimal<std::uint8_t>(
            "name_length", [](auto& x) -> auto& { return x.calc.name_length; }),
        {"version_bytes",
         [](device_description& x, std::string_view v) {
             auto b = hex_bytes(v);
             if (!b || b->size() != 8) return false;
             std::copy(b->begin(), b->end(), x.calc.version_bytes.begin());
             return true;
         },
         [](const device_description& x) -> std::optional<std::string> {
             return hex(x.calc.version_bytes.data(), x.calc.version_bytes.size());
         }},
        byte_string(
            "identify_trailer", [](auto& x) -> auto& { return x.calc.identify_trailer; }),
        optional_bytes(
            "identify_payload", [](auto& x) -> auto& { return x.calc.identify_payload; }),
        optional_decimal<std::uint32_t>(
            "identify_announced_length",
            [](auto& x) -> auto& { return x.calc.identify_announced_length; }),
        byte_string(
            "block_payload", [](auto& x) -> auto& { return x.calc.block_payload; }),
        optional_decimal<std::uint32_t>(
            "block_announced_length",
            [](auto& x) -> auto& { return x.calc.block_announced_length; }),
        decimal<std::uint32_t>(
            "busy_polls_before_ack", [](auto& x) -> auto& { return x.calc.busy_polls_before_ack; }),
        decimal<std::uint32_t>(
            "busy_polls_before_data",
            [](auto& x) -> auto& { return x.calc.busy_polls_before_data; }),
        decimal<std::uint8_t>(
            "ack_flag", [](auto& x) -> auto& { return x.calc.ack_flag; }),
        decimal<std::uint8_t>(
            "first_data_flag", [](auto& x) -> auto& { return x.calc.first_data_flag; }),
        decimal<std::uint8_t>(
            "next_data_flag", [](auto& x) -> auto& { return x.calc.next_data_flag; }),
        decimal<std::int64_t>(
            "stall_from_poll", [](auto& x) -> auto& { return x.calc.stall_from_poll; }),
        {"answer_commands",
         [](device_description& x, std::string_view v) {
             x.calc.answer_commands = v == "1";
             return v == "0" || v == "1";
         },
         [](const device_description& x) -> std::optional<std::string> {
             return x.calc.answer_commands ? "1" : "0";
         }},
    };
    return table;
}

}  // namespace

vanta_kit::hid_caps device_description::caps() const {
    vanta_kit::hid_caps record = calc.caps();
    record.UsagePage = usage_page;
    record.Usage = usage;
    return record;
}

device_description calculator_device(std::u16string name, std::uint64_t version_bytes) {
    device_description d;
    d.calc.name = std::move(name);
    for (int i = 0; i < 8; ++i) {
        d.calc.version_bytes[i] = static_cast<std::uint8_t>(version_bytes >> (56 - 8 * i));
    }
    return d;
}

device_description recovery_device() {
    device_description d;
    d.has_model = false;
    d.calc.vendor_id = 0x066F;
    d.calc.product_id = 0x3770;
    return d;
}

device_description mouse_device() {
    device_description d;
    d.has_model = false;
    d.calc.vendor_id = 0x046D;
    d.calc.product_id = 0xC077;
    d.usage_page = 0x0001;
    d.usage = 0x0002;
    d.calc.input_report_length = 5;
    d.calc.output_report_length = 3;
    return d;
}

std::string format_device_description(const device_description& description) {
    std::string out;
    for (const field& f : fields()) {
        if (auto value = f.write(description)) out += std::string(f.key) + "=" + *value + "\n";
    }
    return out;
}

parsed_description parse_device_description(std::string_view text) {
    device_description d;
    int line_number = 0;
    while (!text.empty()) {
        ++line_number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;

        const std::string where = "line " + std::to_string(line_number) + ": ";
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return {{}, where + "no '='"};
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        const field* match = nullptr;
        for (const field& f : fields()) {
            if (key == f.key) match = &f;
        }
        if (!match) return {{}, where + "unknown key '" + std::string(key) + "'"};
        if (!match->read(d, value)) {
            return {{}, where + "bad value for '" + std::string(key) + "'"};
        }
    }
    if (!report_length_valid(d.calc.input_report_length) ||
        !report_length_valid(d.calc.output_report_length)) {
        return {{}, "report lengths must lie between 3 and 1024"};
    }
    return {d, {}};
}

}  // namespace hid_stack
