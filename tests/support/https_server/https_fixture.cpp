#include "tests/support/https_server/https_fixture.h"

#include <windows.h>

#include <vector>

#include "tests/support/ftp_server/ftp_fixture.h"

namespace https_fixture {
namespace {

// A serialized certificate as the registry store keeps it: one property, CERT_CERT_PROP_ID
// (32), whose value is the DER.
std::string registry_blob(const std::string& der) {
    std::string blob;
    auto put = [&](DWORD value) { blob.append(reinterpret_cast<const char*>(&value), 4); };
    put(32);
    put(1);
    put(static_cast<DWORD>(der.size()));
    return blob + der;
}

bool store_in_view(const std::wstring& thumbprint, const std::string& blob, REGSAM view) {
    const std::wstring key_path =
        L"Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\" + thumbprint;
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view,
                          nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LSTATUS status =
        ::RegSetValueExW(key, L"Blob", 0, REG_BINARY, reinterpret_cast<const BYTE*>(blob.data()),
                         static_cast<DWORD>(blob.size()));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

bool available() {
    return ftp_fixture::available() &&
           !ftp_fixture::environment(L"ORV_TEST_HTTPS_SERVER").empty() &&
           !ftp_fixture::environment(L"ORV_TEST_HTTPS_ROOT").empty();
}

std::wstring server_setting() { return ftp_fixture::environment(L"ORV_TEST_HTTPS_SERVER"); }

std::wstring untrusted_server_setting() {
    return ftp_fixture::environment(L"ORV_TEST_HTTPS_UNTRUSTED_SERVER");
}

bool trust_test_root() {
    const std::wstring thumbprint = ftp_fixture::environment(L"ORV_TEST_HTTPS_ROOT_SHA1");
    std::wstring path = L"Z:" + ftp_fixture::environment(L"ORV_TEST_HTTPS_ROOT");
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    std::string der;
    if (thumbprint.size() != 40 || !ftp_fixture::read_file(path, der) || der.empty()) {
        return false;
    }
    const std::string blob = registry_blob(der);
    return store_in_view(thumbprint, blob, KEY_WOW64_64KEY) &&
           store_in_view(thumbprint, blob, KEY_WOW64_32KEY);
}

std::string list_line(std::string_view name, unsigned long long size) {
    return std::string(name) + " " + std::to_string(size) + "\n";
}

bool cut_short(std::wstring_view relative, unsigned long long count) {
    return ftp_fixture::write_file(std::wstring(relative) + L".cut-short", std::to_string(count));
}

}  // namespace https_fixture
