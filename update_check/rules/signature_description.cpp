#include "update_check/rules/signature_description.h"

#include "update_check/rules/package_trust_rules.h"

namespace orv {
namespace {

// One DER element: its tag (a single identifier byte) and its contents.
struct element {
    std::uint8_t tag = 0;
    const std::uint8_t* contents = nullptr;
    std::size_t size = 0;
};

// Reads the element at the start of [at, end) and moves `at` past it. False when the bytes are
// not a complete element with a low tag number and a definite length that fits what is left.
bool read_element(const std::uint8_t*& at, const std::uint8_t* end, element& out) {
    if (end - at < 2) return false;
    out.tag = at[0];
    if ((out.tag & 0x1F) == 0x1F) return false;  // high tag numbers appear nowhere here
    std::size_t length = at[1];
    const std::uint8_t* contents = at + 2;
    if (length & 0x80) {
        const std::size_t count = length & 0x7F;
        // 0x80 is the indefinite form, which DER never uses; four bytes cover any signature.
        if (count == 0 || count > 4 || static_cast<std::size_t>(end - contents) < count) {
            return false;
        }
        length = 0;
        for (std::size_t i = 0; i < count; ++i) length = length << 8 | contents[i];
        contents += count;
    }
    if (static_cast<std::size_t>(end - contents) < length) return false;
    out.contents = contents;
    out.size = length;
    at = contents + length;
    return true;
}

std::optional<std::wstring> spc_string(const element& choice) {
    std::wstring text;
    if (choice.tag == 0x80) {  // [0] IMPLICIT BMPString: UTF-16 code units, big-endian
        if (choice.size % 2 != 0) return std::nullopt;
        for (std::size_t i = 0; i < choice.size; i += 2) {
            text.push_back(static_cast<wchar_t>(choice.contents[i] << 8 | choice.contents[i + 1]));
        }
        return text;
    }
    if (choice.tag == 0x81) {  // [1] IMPLICIT IA5String: ASCII
        for (std::size_t i = 0; i < choice.size; ++i) {
            if (choice.contents[i] > 0x7F) return std::nullopt;
            text.push_back(static_cast<wchar_t>(choice.contents[i]));
        }
        return text;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::wstring> opus_program_name(const std::uint8_t* der, std::size_t size) {
    if (!der) return std::nullopt;
    const std::uint8_t* at = der;
    const std::uint8_t* end = der + size;
    element info;
    if (!read_element(at, end, info) || info.tag != 0x30 || at != end) return std::nullopt;
    at = info.contents;
    end = info.contents + info.size;
    element name;
    if (!read_element(at, end, name) || name.tag != 0xA0) return std::nullopt;
    // What may follow (moreInfo) must still be well-formed.
    for (element rest; at != end;) {
        if (!read_element(at, end, rest)) return std::nullopt;
    }
    const std::uint8_t* inner = name.contents;
    const std::uint8_t* inner_end = name.contents + name.size;
    element choice;
    if (!read_element(inner, inner_end, choice) || inner != inner_end) return std::nullopt;
    return spc_string(choice);
}

bool signature_description_matches(const std::optional<std::wstring>& description,
                                   std::wstring_view base_name) {
    const std::wstring product = product_name_for(base_name);
    return description && !product.empty() && *description == product + L" Setup";
}

}  // namespace orv
