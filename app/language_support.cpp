#include "app/language_support.h"

#include <shlwapi.h>

#include "framework/resources.h"
#include "framework/version_info.h"

namespace {

// The running program's path with its long names (a program started by an 8.3 alias would
// otherwise name its libraries by that alias); empty when it does not fit the buffer, since a
// cut-off path would name files that are not the program's. When the long form cannot be had,
// the path as the loader gives it still names the program and its folder: without it the
// program would have no language at all.
std::wstring running_program_path() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    wchar_t long_path[MAX_PATH] = {};
    const DWORD long_length = ::GetLongPathNameW(path, long_path, MAX_PATH);
    if (long_length == 0 || long_length >= MAX_PATH) return std::wstring(path, length);
    return std::wstring(long_path, long_length);
}

// `program_path` with its extension (from the last '.' of the file name) replaced by `tail`.
std::wstring beside_program(const std::wstring& program_path, const std::wstring& tail) {
    if (program_path.empty()) return {};
    const wchar_t* extension = ::PathFindExtensionW(program_path.c_str());
    return program_path.substr(0, static_cast<std::size_t>(extension - program_path.c_str())) +
           tail;
}

// The length of the program path without its extension, which a library's name shares.
std::size_t stem_length(const std::wstring& program_path) {
    return static_cast<std::size_t>(::PathFindExtensionW(program_path.c_str()) -
                                    program_path.c_str());
}

bool ascii_letter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// File names compare as the file system compares them: letter case aside.
bool same_name(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// True when `name` is `stem`, three letters and ".dll" (letter case aside): the only names a
// language library of the program has.
bool library_name(std::wstring_view name, std::wstring_view stem) {
    constexpr std::wstring_view tail = L".dll";
    if (name.size() != stem.size() + 3 + tail.size()) return false;
    if (!same_name(name.substr(0, stem.size()), stem)) return false;
    for (std::size_t i = stem.size(); i < stem.size() + 3; ++i) {
        if (!ascii_letter(name[i])) return false;
    }
    return same_name(name.substr(stem.size() + 3), tail);
}

// True when the file at `path` exists under exactly the name the path ends in, not by an 8.3
// alias of some other long name.
bool named_exactly(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    ::FindClose(search);
    return same_name(::PathFindFileNameW(path.c_str()), found.cFileName);
}

}  // namespace

language_support::language_support() : language_support(running_program_path()) {}

language_support::language_support(std::wstring program_path)
    : program_path_(std::move(program_path)) {
    own_language_ = file_language(program_path_);
}

language_support::~language_support() { unload_language(); }

language_support::language_id language_support::file_language(const std::wstring& path) {
    const auto info = fw::version_info::read(path);
    if (!info) return 0;
    UINT bytes = 0;
    const WORD* table = info->translations(bytes);
    return language_chain::first_translation_language(reinterpret_cast<const std::uint8_t*>(table),
                                                      bytes);
}

std::wstring language_support::language_display_name(language_id id) {
    wchar_t name[200] = {};
    const LCID locale = MAKELCID(id, SORT_DEFAULT);
    if (::GetLocaleInfoW(locale, LOCALE_SNATIVELANGNAME, name, 200) > 0) return name;
    if (::GetLocaleInfoW(locale, LOCALE_SLANGUAGE, name, 200) > 0) return name;
    return language_chain::unnamed_language(id);
}

std::wstring language_support::language_region_name(language_id id) {
    wchar_t name[200] = {};
    if (::GetLocaleInfoW(MAKELCID(id, SORT_DEFAULT), LOCALE_SNATIVECTRYNAME, name, 200) > 0) {
        return name;
    }
    return {};
}

void language_support::select_startup_language(const language_chain::candidate_query& query) {
    language_chain::select_startup_language(own_language_, current_language_, query,
                                            [this](language_id) { return load_language(); });
    adopt_loaded_language();
}

bool language_support::try_language() {
    const bool loaded = language_chain::try_language(
        current_language_, [this](language_id) { return load_language(); });
    if (loaded) adopt_loaded_language();
    return loaded;
}

void language_support::adopt_loaded_language() {
    // Reached through a neutral form (0x1004 and 0x0004 both end in vantaCHS.dll), the id that
    // loaded names no language the library or the menu knows: the file says what it holds.
    if (!library_) return;
    const std::wstring path = library_path(current_language_);
    if (path.empty()) return;
    if (const language_id loaded = file_language(path); loaded != 0) current_language_ = loaded;
}

std::wstring language_support::library_path(language_id id) const {
    wchar_t abbreviation[4] = {};
    if (::GetLocaleInfoW(MAKELCID(id, SORT_DEFAULT), LOCALE_SABBREVLANGNAME, abbreviation, 4) ==
        0) {
        return {};
    }
    return beside_program(program_path_, std::wstring(abbreviation) + L".dll");
}

bool language_support::load_language() {
    if (current_language_ == own_language_) {
        unload_language();
        return true;
    }
    const std::wstring path = library_path(current_language_);
    if (path.empty() || !named_exactly(path)) return false;
    // A language library is data: mapped for its resources only, so nothing in it ever runs.
    HMODULE library = ::LoadLibraryExW(path.c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!library) return false;
    unload_language();
    library_.reset(library);
    fw::set_resource_module(library);
    return true;
}

void language_support::unload_language() {
    if (!library_) return;
    // The resource source moves away before the module it points into goes.
    fw::set_resource_module(::GetModuleHandleW(nullptr));
    library_.reset();
}

void language_support::list_languages() {
    languages_.clear();
    if (own_language_ != 0) languages_.push_back(own_language_);
    if (program_path_.empty()) return;

    const std::wstring pattern = beside_program(program_path_, L"???.dll");
    const std::wstring folder = program_path_.substr(0, program_path_.find_last_of(L"\\/") + 1);
    // A library's name is the program's name, three letters and ".dll", judged on the long
    // name: the search itself also lets '?' match nothing and matches 8.3 aliases.
    const std::wstring stem =
        program_path_.substr(folder.size(), stem_length(program_path_) - folder.size());

    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!library_name(found.cFileName, stem)) continue;
        if (language_id language = file_language(folder + found.cFileName); language != 0) {
            languages_.push_back(language);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}
