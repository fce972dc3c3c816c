// The language support's readings of outside data: the translation table of a language
// library's version resource (a file beside the program) and the "ResourceLocale" text from
// HKCU, and the fallback chain run on the language id that comes out.
//
// Input: a byte choosing which of the two the rest is, then the table's bytes or the text's
// UTF-16 units.
// Invariants: no sanitizer finding; the table's language is 0 without a whole first entry;
// a text without hexadecimal digits gives 0; the fallback chain never tries language 0 and
// tries at most three ids, each a form of the one it started from.
#include <vector>

#include "app/language_chain.h"
#include "fuzz/fuzz_input.h"

namespace {

bool is_hex_digit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

void check_fallback(language_chain::language_id start, std::uint8_t loads) {
    std::vector<language_chain::language_id> tried;
    language_chain::language_id current = start;
    const bool loaded = language_chain::try_language(current, [&](language_chain::language_id id) {
        tried.push_back(id);
        return (loads >> (tried.size() - 1) & 1) != 0;
    });
    FUZZ_CHECK(tried.size() <= 3);
    for (const auto id : tried) {
        FUZZ_CHECK(id != 0);
        FUZZ_CHECK(language_chain::primary_language(id) == language_chain::primary_language(start));
    }
    if (start == 0) FUZZ_CHECK(tried.empty() && !loaded);
    if (loaded) FUZZ_CHECK(!tried.empty() && tried.back() == current);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::input in(data, size);
    const std::uint8_t choice = in.byte();
    const std::size_t offset = size - in.remaining();
    language_chain::language_id language = 0;
    if (choice & 1) {
        // The table as VerQueryValueW hands it out: a copy of exactly the bytes it reports.
        const std::vector<std::uint8_t> table(data + offset, data + size);
        language = language_chain::first_translation_language(table.data(), table.size());
        if (table.size() < 2) FUZZ_CHECK(language == 0);
    } else {
        const std::wstring text = in.rest_as_text();
        language = language_chain::parse_resource_locale(text);
        bool any_digit = false;
        for (const wchar_t c : text) any_digit = any_digit || is_hex_digit(c);
        if (!any_digit) FUZZ_CHECK(language == 0);
    }
    check_fallback(language, choice >> 1);
    return 0;
}
