// Judging a release's version suffix against the caller's version tag. Portable.
#pragma once

#include <cstdint>
#include <string_view>

namespace orv {

// Outcome of a server query. The values are fixed: they are the query record's state field.
enum class QueryState : std::int32_t {
    Pending = 1,
    NotNewer = 3,
    Newer = 4,
};

// A version token read as a signed 32-bit decimal number: leading white space skipped, an
// optional sign, digits up to the first non-digit; no digits reads as 0, and a value beyond the
// 32-bit range is clamped to it.
std::int32_t token_number(std::wstring_view token);

// Compares token by token, separated by '_' or '.', until the server's tokens run out. A local
// token that is missing counts as -1, so "2012_2_22_1" is newer than "2012_2_22", while the
// server running out first ("2012_2" against "2012_2_22") is not newer. Separators at the start
// or the end of either text are not tokens: "2012_2_22" against "_2012_2_22" is not newer.
// `server_suffix` is the untrimmed version suffix of the found package's name.
QueryState compare_version_tokens(std::wstring_view server_suffix, std::wstring_view version_tag);

}  // namespace orv
