#include "update_check/rules/download_place.h"

namespace orv {
namespace {

bool is_absolute(std::wstring_view path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        wchar_t drive = path[0];
        return (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    }
    return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
}

std::wstring with_separator(std::wstring_view path) {
    std::wstring result(path);
    if (result.back() != L'\\') result += L'\\';
    return result;
}

}  // namespace

std::optional<std::wstring> download_parent_for(bool elevated, std::wstring_view program_data,
                                                std::wstring_view user_temp) {
    std::wstring_view base = elevated ? program_data : user_temp;
    if (!is_absolute(base)) return std::nullopt;
    std::wstring parent = with_separator(base);
    if (elevated) parent += std::wstring(download_parent_name) + L"\\";
    return parent;
}

bool trusted_owner(std::wstring_view owner_sid) {
    return owner_sid == sid_administrators || owner_sid == sid_system;
}

bool only_administrators_change(const std::optional<std::vector<access_entry>>& dacl) {
    if (!dacl) return false;
    constexpr std::uint8_t inherit_only = 0x08;
    for (const access_entry& entry : *dacl) {
        if (!entry.allows || (entry.mask & changing_rights) == 0) continue;
        if (trusted_owner(entry.sid)) continue;
        if (entry.sid == sid_creator_owner && (entry.flags & inherit_only) != 0) continue;
        return false;
    }
    return true;
}

bool is_download_folder_name(std::wstring_view name) {
    constexpr std::wstring_view prefix = L"OrvUpdate-";
    if (name.size() != prefix.size() + 16 || name.substr(0, prefix.size()) != prefix) {
        return false;
    }
    for (wchar_t c : name.substr(prefix.size())) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    }
    return true;
}

bool directly_inside(std::wstring_view file, std::wstring_view folder) {
    if (folder.empty() || file.size() <= folder.size() + 1 || file[folder.size()] != L'\\') {
        return false;
    }
    if (file.find(L'\\', folder.size() + 1) != std::wstring_view::npos) return false;
    return file.substr(0, folder.size()) == folder;
}

}  // namespace orv
