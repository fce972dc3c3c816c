#include "update_check/module_version.h"

#include <windows.h>

#include <cstring>

#include "framework/version_info.h"

namespace orv {

std::wstring calling_program_version() {
    wchar_t path[260] = {};
    if (!::GetModuleFileNameW(nullptr, path, 260)) return {};
    const auto info = fw::version_info::read(path);
    if (!info) return {};
    const VS_FIXEDFILEINFO* fixed = info->fixed_info();
    UINT translation_bytes = 0;
    if (!fixed || !info->translations(translation_bytes)) return {};
    return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
           std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

unsigned copy_version_wide(const std::wstring& text, wchar_t* buffer, unsigned size) {
    auto length = static_cast<unsigned>(text.size());
    if (length == 0 || !buffer || size == 0) return length;
    unsigned copied = length < size ? length : size - 1;
    std::memcpy(buffer, text.data(), copied * sizeof(wchar_t));
    buffer[copied] = L'\0';
    return length;
}

int copy_version_ansi(const std::wstring& text, char* buffer, unsigned size) {
    if (text.empty()) return 0;
    int needed = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    long long sum = static_cast<long long>(needed) + 2;
    if (sum < 0) sum = 0;
    if (!buffer || size == 0) return static_cast<int>(sum);
    int limit = static_cast<int>(static_cast<long long>(size) < sum ? size : sum);
    return ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, limit, nullptr, nullptr);
}

}  // namespace orv
