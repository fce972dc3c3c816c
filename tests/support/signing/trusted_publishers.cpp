#include "tests/support/signing/trusted_publishers.h"

#include <windows.h>

#include "tests/support/machine_settings.h"

namespace test_signing {

std::wstring test_publisher_pin(const std::wstring& directory) {
    HANDLE file = ::CreateFileW((directory + L"\\test_publisher.pin").c_str(), GENERIC_READ,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char text[65] = {};
    DWORD got = 0;
    BOOL ok = ::ReadFile(file, text, 64, &got, nullptr);
    ::CloseHandle(file);
    if (!ok || got != 64) return {};
    return std::wstring(text, text + 64);
}

bool set_trusted_publishers(const std::vector<std::wstring>& pins) {
    std::wstring text;
    for (const auto& pin : pins) text += pin + L'\0';
    if (!text.empty()) text += L'\0';
    return test_support::set_update_machine_value(L"TrustedPublishers", REG_MULTI_SZ, text);
}

}  // namespace test_signing
