#include "update_check/package_identity.h"

#include "framework/first_use_imports.h"
#include "framework/unique_handle.h"
#include "framework/version_info.h"

namespace orv {
namespace {

struct mapped_view {
    void* base = nullptr;
    ~mapped_view() {
        if (base) ::UnmapViewOfFile(base);
    }
};

std::optional<fw::version_info> mapped_version_resource(HANDLE file) {
    fw::kernel_handle mapping(
        ::CreateFileMappingW(file, nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr));
    if (!mapping) return std::nullopt;
    mapped_view view{::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0)};
    if (!view.base) return std::nullopt;
    // An image view is laid out as the loader lays out a module, so the resource functions
    // read it like one; nothing of it is run.
    auto module = static_cast<HMODULE>(view.base);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (!found) return std::nullopt;
    DWORD size = ::SizeofResource(module, found);
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0) return std::nullopt;
    const auto* bytes = static_cast<const BYTE*>(data);
    return fw::version_info::from_block(std::vector<BYTE>(bytes, bytes + size));
}

}  // namespace

std::vector<package_identity> program_identities(HANDLE file) {
    std::optional<fw::version_info> info = mapped_version_resource(file);
    if (!info) return {};
    const VS_FIXEDFILEINFO* fixed = info->fixed_info();
    UINT table_bytes = 0;
    const WORD* table = info->translations(table_bytes);
    if (!fixed || fixed->dwSignature != VS_FFI_SIGNATURE || !table) return {};
    std::uint64_t version =
        static_cast<std::uint64_t>(fixed->dwProductVersionMS) << 32 | fixed->dwProductVersionLS;
    std::vector<package_identity> identities;
    for (UINT i = 0; i + 1 < table_bytes / sizeof(WORD); i += 2) {
        package_identity identity;
        identity.product_name = info->string(table[i], table[i + 1], L"ProductName").value_or(L"");
        identity.file_description =
            info->string(table[i], table[i + 1], L"FileDescription").value_or(L"");
        identity.product_version = version;
        identities.push_back(std::move(identity));
    }
    return identities;
}

namespace {

using msi_handle = unsigned long;
using open_database_fn = UINT(WINAPI*)(LPCWSTR, LPCWSTR, msi_handle*);
using open_view_fn = UINT(WINAPI*)(msi_handle, LPCWSTR, msi_handle*);
using execute_fn = UINT(WINAPI*)(msi_handle, msi_handle);
using fetch_fn = UINT(WINAPI*)(msi_handle, msi_handle*);
using record_string_fn = UINT(WINAPI*)(msi_handle, UINT, LPWSTR, DWORD*);
using close_fn = UINT(WINAPI*)(msi_handle);

// msi.dll, from the system directory, bound when an installer package is first judged.
struct msi_functions {
    open_database_fn open_database =
        reinterpret_cast<open_database_fn>(fw::system_function(L"msi.dll", "MsiOpenDatabaseW"));
    open_view_fn open_view =
        reinterpret_cast<open_view_fn>(fw::system_function(L"msi.dll", "MsiDatabaseOpenViewW"));
    execute_fn execute =
        reinterpret_cast<execute_fn>(fw::system_function(L"msi.dll", "MsiViewExecute"));
    fetch_fn fetch = reinterpret_cast<fetch_fn>(fw::system_function(L"msi.dll", "MsiViewFetch"));
    record_string_fn record_string =
        reinterpret_cast<record_string_fn>(fw::system_function(L"msi.dll", "MsiRecordGetStringW"));
    close_fn close = reinterpret_cast<close_fn>(fw::system_function(L"msi.dll", "MsiCloseHandle"));

    bool complete() const {
        return open_database && open_view && execute && fetch && record_string && close;
    }
};

class msi_owner {
public:
    msi_owner(const msi_functions& msi) : msi_(msi) {}
    ~msi_owner() {
        if (handle) msi_.close(handle);
    }
    msi_owner(const msi_owner&) = delete;
    msi_owner& operator=(const msi_owner&) = delete;
    msi_handle handle = 0;

private:
    const msi_functions& msi_;
};

std::optional<std::wstring> property(const msi_functions& msi, msi_handle database,
                                     const wchar_t* name) {
    std::wstring query =
        std::wstring(L"SELECT `Value` FROM `Property` WHERE `Property` = '") + name + L"'";
    msi_owner view(msi);
    msi_owner record(msi);
    if (msi.open_view(database, query.c_str(), &view.handle) != ERROR_SUCCESS ||
        msi.execute(view.handle, 0) != ERROR_SUCCESS ||
        msi.fetch(view.handle, &record.handle) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t value[256] = {};
    DWORD length = 256;
    if (msi.record_string(record.handle, 1, value, &length) != ERROR_SUCCESS) return std::nullopt;
    return std::wstring(value, length < 256 ? length : 255);
}

}  // namespace

std::vector<package_identity> installer_identities(const std::wstring& path) {
    static const msi_functions msi;
    if (!msi.complete()) return {};
    msi_owner database(msi);
    // MSIDBOPEN_READONLY: the package is only read.
    if (msi.open_database(path.c_str(), reinterpret_cast<LPCWSTR>(0), &database.handle) !=
        ERROR_SUCCESS) {
        return {};
    }
    std::optional<std::wstring> name = property(msi, database.handle, L"ProductName");
    std::optional<std::wstring> release = property(msi, database.handle, L"OrvReleaseVersion");
    std::optional<std::wstring> version = property(msi, database.handle, L"ProductVersion");
    if (!name || !release || !version) return {};
    std::optional<std::uint64_t> fixed = installer_release_version(*release, *version);
    if (!fixed) return {};
    // An installer package has no FileDescription; its product name stands for both.
    return {package_identity{*name, *name + L" Setup", *fixed}};
}

}  // namespace orv
