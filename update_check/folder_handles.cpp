#include "update_check/folder_handles.h"

#include <sddl.h>
#include <winternl.h>

#include <cstddef>

#include "update_check/rules/package_selection.h"

namespace orv {

fw::local_memory descriptor_from_sddl(const std::wstring& sddl) {
    fw::local_memory descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                descriptor.put(), nullptr)) {
        descriptor.reset();
    }
    return descriptor;
}

fw::file_handle open_entry(HANDLE folder, std::wstring_view name, const entry_access& how) {
    if (!is_plain_file_name(name)) {
        ::SetLastError(ERROR_INVALID_NAME);
        return {};
    }
    UNICODE_STRING unicode_name;
    unicode_name.Buffer = const_cast<wchar_t*>(name.data());
    unicode_name.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    unicode_name.MaximumLength = unicode_name.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &unicode_name, 0, folder, how.descriptor);
    IO_STATUS_BLOCK status{};
    HANDLE handle = INVALID_HANDLE_VALUE;
    const ULONG options = FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT |
                          (how.directory ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
    NTSTATUS result =
        ::NtCreateFile(&handle, how.access | SYNCHRONIZE | FILE_READ_ATTRIBUTES, &attributes,
                       &status, nullptr, FILE_ATTRIBUTE_NORMAL, how.share,
                       how.create ? FILE_CREATE : FILE_OPEN, options, nullptr, 0);
    if (!NT_SUCCESS(result)) {
        ::SetLastError(::RtlNtStatusToDosError(result));
        return {};
    }
    return fw::file_handle(handle);
}

bool delete_entry(HANDLE entry) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(entry, FileDispositionInfo, &disposition,
                                        sizeof(disposition)) != FALSE;
}

bool list_entries(HANDLE folder, std::vector<folder_entry>& entries) {
    entries.clear();
    // 8-byte alignment, as the records require.
    std::vector<std::uint64_t> buffer(8 * 1024);
    FILE_INFO_BY_HANDLE_CLASS kind = FileFullDirectoryRestartInfo;
    for (;;) {
        if (!::GetFileInformationByHandleEx(folder, kind, buffer.data(),
                                            static_cast<DWORD>(buffer.size() * 8))) {
            // The end of the listing; for a first read, an empty folder.
            DWORD error = ::GetLastError();
            return error == ERROR_NO_MORE_FILES ||
                   (kind == FileFullDirectoryRestartInfo && error == ERROR_FILE_NOT_FOUND);
        }
        kind = FileFullDirectoryInfo;
        const auto* at = reinterpret_cast<const BYTE*>(buffer.data());
        for (;;) {
            const auto* record = reinterpret_cast<const FILE_FULL_DIR_INFO*>(at);
            std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                entries.push_back({std::move(name), record->FileAttributes});
            }
            if (record->NextEntryOffset == 0) break;
            at += record->NextEntryOffset;
        }
    }
}

bool is_plain(HANDLE handle, bool directory) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return false;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
    return ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == directory;
}

std::wstring final_path(HANDLE handle) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length =
            ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {};
        if (length < buffer.size()) return without_long_path_prefix({buffer.data(), length});
        buffer.resize(length + 1);
    }
}

std::wstring without_long_path_prefix(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

}  // namespace orv
