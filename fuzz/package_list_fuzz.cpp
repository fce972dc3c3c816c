// The HTTPS list file as the server sends it, through the parser, the shared selection and the
// request path of the chosen package.
//
// Input: the list file's bytes.
// Invariants: no sanitizer finding; a list over 64 KiB never parses; a parsed list has at most
// 1,000 entries, each a non-empty name of A-Z a-z 0-9 . _ - only; the chosen entry obeys the
// file-name rules and its request path stays in the package's directory.
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "update_check/https/https_paths.h"
#include "update_check/https/package_list.h"
#include "update_check/rules/package_selection.h"

namespace {

bool is_list_name(const std::wstring& name) {
    if (name.empty()) return false;
    for (wchar_t c : name) {
        const bool allowed = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                             (c >= L'0' && c <= L'9') || c == L'.' || c == L'_' || c == L'-';
        if (!allowed) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = orv::parse_package_list(bytes);
    if (size > orv::max_package_list_bytes) FUZZ_CHECK(!entries);
    if (!entries) return 0;
    FUZZ_CHECK(entries->size() <= orv::max_package_list_entries);
    for (const auto& entry : *entries) FUZZ_CHECK(is_list_name(entry.name));

    std::size_t read = 0;
    const auto chosen = orv::select_listed_package(
        [&](orv::listed_name& listed) {
            if (read == entries->size()) return false;
            listed.name = (*entries)[read++].name;
            listed.stem = listed.name.substr(0, listed.name.rfind(L'.'));
            return true;
        },
        L"Orv_Vanta_Kit", L".exe");
    if (!chosen) return 0;
    FUZZ_CHECK(orv::is_plain_file_name(*chosen));
    const auto server = orv::parse_https_source(L"https://localhost:8443/root");
    FUZZ_CHECK(server);
    const auto request = orv::https_package_request(*server, L"/pub/" + *chosen);
    FUZZ_CHECK(request && *request == L"/root/pub/" + *chosen);
    return 0;
}
