// Package selection from a listing the fuzzer makes, the file-name rules, and the version
// comparison of the chosen name's suffix against a version tag the fuzzer makes.
//
// Input: a byte choosing the package's base name, the version tag (a length byte, then UTF-16
// units), then listed names (each a length byte and UTF-16 units) until the input ends.
// Invariants: no sanitizer finding; the chosen name obeys the file-name rules and has a
// non-blank version suffix, and every name listed before it fails them; the comparison only
// ever says newer or not newer, a tag is never newer than itself, and two suffixes are never
// each newer than the other; the remote path of the chosen name ends with it.
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "update_check/rules/package_selection.h"
#include "update_check/rules/server_paths.h"
#include "update_check/rules/version_tag.h"

namespace {

const std::wstring server_paths[] = {
    L"/pub/calculators/OrvK58x/Orv_Vanta_Kit.exe",
    L"/Orv_Vanta_Kit",
    L"a.b/c",
    L"",
};

// The name without its extension, cut at the last '.' as the shell cuts it.
std::wstring stem_of(const std::wstring& name) {
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

bool is_known(orv::QueryState state) {
    return state == orv::QueryState::Newer || state == orv::QueryState::NotNewer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::input in(data, size);
    const std::wstring& server_path = server_paths[in.byte() % std::size(server_paths)];
    const std::wstring base_name = [&] {
        const std::wstring base = orv::pattern_base(server_path);
        return base.substr(base.find_last_of(L"/\\") + 1);
    }();
    const std::wstring tag = in.short_text();

    std::vector<std::wstring> listing;
    while (!in.empty()) listing.push_back(in.short_text());

    std::size_t read = 0;
    const auto found = orv::select_listed_package(
        [&](orv::listed_name& entry) {
            if (read == listing.size()) return false;
            entry.name = listing[read++];
            entry.stem = stem_of(entry.name);
            return true;
        },
        base_name, L".exe");

    for (std::size_t i = 0; i + 1 < read; ++i) {
        FUZZ_CHECK(!orv::is_versioned_package(listing[i], stem_of(listing[i]), base_name, L".exe"));
    }
    if (!found) {
        FUZZ_CHECK(read == listing.size());
        return 0;
    }
    FUZZ_CHECK(read > 0 && *found == listing[read - 1]);
    FUZZ_CHECK(orv::is_plain_file_name(*found));
    const std::wstring suffix = orv::version_suffix(stem_of(*found), base_name);
    FUZZ_CHECK(!orv::trim_blanks(suffix).empty());

    const orv::QueryState against_tag = orv::compare_version_tokens(suffix, tag);
    FUZZ_CHECK(is_known(against_tag));
    FUZZ_CHECK(orv::compare_version_tokens(tag, tag) == orv::QueryState::NotNewer);
    FUZZ_CHECK(orv::compare_version_tokens(suffix, suffix) == orv::QueryState::NotNewer);
    if (against_tag == orv::QueryState::Newer) {
        FUZZ_CHECK(orv::compare_version_tokens(tag, suffix) == orv::QueryState::NotNewer);
    }

    if (const auto remote = orv::remote_package_path(server_path, *found)) {
        FUZZ_CHECK(remote->size() >= found->size() &&
                   remote->compare(remote->size() - found->size(), found->size(), *found) == 0);
    }
    return 0;
}
