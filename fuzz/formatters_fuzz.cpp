// The text formatters that take patterns from outside the program (string tables of language
// libraries): the retry text, the restart message and the version text, with arbitrary
// patterns and values.
//
// Input: the retry number (32 bits), the version (64 bits), the application name (a length
// byte, then UTF-16 units), then the pattern as UTF-16 units.
// Invariants: no sanitizer finding (no read past an argument, no overflow); every output is
// bounded by its pattern and values; a pattern without '%' comes back unchanged.
#include <string>

#include "app/language_chain.h"
#include "app/version_reference.h"
#include "fuzz/fuzz_input.h"
#include "update_check/rules/builtin_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::input in(data, size);
    const auto number = static_cast<int>(in.u16() | (static_cast<std::uint32_t>(in.u16()) << 16));
    const std::uint64_t version = in.u64();
    const std::wstring name = in.short_text();
    const std::wstring pattern = in.rest_as_text();
    const bool has_percent = pattern.find(L'%') != std::wstring::npos;

    const std::wstring retry = orv::format_retry_text(pattern, number);
    FUZZ_CHECK(retry.size() <= pattern.size() + 11);  // "%i" becomes at most "-2147483648"
    if (!has_percent) FUZZ_CHECK(retry == pattern);

    const std::wstring restart = language_chain::format_restart_text(pattern, name);
    FUZZ_CHECK(restart.size() <= pattern.size() + (pattern.size() / 2) * name.size());
    if (!has_percent) FUZZ_CHECK(restart == pattern);

    // The version pattern is a C string: it ends at its first NUL.
    const std::wstring version_text = format_version(pattern.c_str(), version);
    FUZZ_CHECK(version_text.size() <= 63);
    const std::wstring terminated = pattern.substr(0, pattern.find(L'\0'));
    if (terminated.find(L'%') == std::wstring::npos && terminated.size() <= 63) {
        FUZZ_CHECK(version_text == terminated);
    }
    return 0;
}
