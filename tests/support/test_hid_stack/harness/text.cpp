#include "tests/support/test_hid_stack/harness/text.h"

#include <windows.h>

namespace e2e {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int count =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(count), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                          count);
    return out;
}

std::string narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int count = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                            nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(count), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), count,
                          nullptr, nullptr);
    return out;
}

}  // namespace e2e
