// Which listed file on the update server is a package release, decided from its name alone.
// Names come from the network, so nothing here trusts them. Portable: no Windows headers.
//
// A release is named after the package's base name, one more character, a version suffix and
// the extension: "Orv_Vanta_Kit" + "_" + "2012_3_1" + ".exe".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// The server path up to its last '.' (anywhere in the path); the whole path without one.
// "/pub/k/Orv_Vanta_Kit.exe" -> "/pub/k/Orv_Vanta_Kit".
std::wstring pattern_base(std::wstring_view server_path);

// The version suffix of a listed name: the last (length(stem) - length(base_name) - 1)
// characters of `stem` (the name without its extension), or empty when that count is not
// positive. Not trimmed; the character right after the base name is skipped, whatever it is.
std::wstring version_suffix(std::wstring_view stem, std::wstring_view base_name);

// `text` without white space at either end.
std::wstring trim_blanks(std::wstring_view text);

// Whether `name` can only ever mean a file directly inside the directory it is joined to:
// 1 to 255 characters, no path separator or drive colon, no control character, none of the
// characters Windows forbids in names, not "." or ".." (nor made only of dots and blanks, which
// Windows strips to nothing), and no reserved device name such as "CON" or "com1.exe".
bool is_plain_file_name(std::wstring_view name);

// Whether `a` and `b` are the same text but for the case of ASCII letters.
bool equals_ignoring_case(std::wstring_view a, std::wstring_view b);

// Whether a listed entry is taken as the package: a plain file name that begins with
// `base_name` and ends with `extension` (both compared ignoring ASCII case; an empty extension
// takes nothing), and whose version suffix is not blank. `stem` is `file_name` without its
// extension. The server's pattern match is not relied on: a listing is the server's word.
bool is_versioned_package(std::wstring_view file_name, std::wstring_view stem,
                          std::wstring_view base_name, std::wstring_view extension);

// One entry of a server listing: its name and that name without its extension.
struct listed_name {
    std::wstring name;
    std::wstring stem;
};

// Produces the listing's entries in the server's order; false when there are no more.
using listing_reader = std::function<bool(listed_name& entry)>;

// The name of the first listed entry that is a versioned package for `base_name` and
// `extension` (is_versioned_package); the entries are taken in the server's order, not sorted,
// and reading stops at the first that qualifies. Nothing when none does.
std::optional<std::wstring> select_listed_package(const listing_reader& next,
                                                  std::wstring_view base_name,
                                                  std::wstring_view extension);

}  // namespace orv
