#include "tests/support/test_hid_stack/harness/registry_values.h"

#include "framework/unique_handle.h"

namespace e2e {

namespace {

fw::registry_key create(HKEY root, const std::wstring& key) {
    fw::registry_key opened;
    if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                          nullptr, opened.put(), nullptr) != ERROR_SUCCESS) {
        opened.reset();
    }
    return opened;
}

}  // namespace

bool set_string(HKEY root, const std::wstring& key, const std::wstring& name,
                const std::wstring& value) {
    fw::registry_key opened = create(root, key);
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return opened &&
           ::RegSetValueExW(opened.get(), name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

bool set_dword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
    fw::registry_key opened = create(root, key);
    return opened &&
           ::RegSetValueExW(opened.get(), name.c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

std::optional<DWORD> read_dword(HKEY root, const std::wstring& key, const std::wstring& name) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (::RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, &type, &value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

bool delete_value(HKEY root, const std::wstring& key, const std::wstring& name) {
    fw::registry_key opened;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, opened.put()) != ERROR_SUCCESS) {
        return true;
    }
    const LSTATUS status = ::RegDeleteValueW(opened.get(), name.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace e2e
