#include "update_check/shell_paths.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

namespace orv {

std::wstring path_extension(const std::wstring& path) { return ::PathFindExtensionW(path.c_str()); }

std::wstring path_file_name(const std::wstring& path) { return ::PathFindFileNameW(path.c_str()); }

std::wstring path_without_extension(const std::wstring& path) {
    std::vector<wchar_t> buffer(path.begin(), path.end());
    buffer.push_back(L'\0');
    ::PathRemoveExtensionW(buffer.data());
    return buffer.data();
}

}  // namespace orv
