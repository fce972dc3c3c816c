#include "tests/support/test_hid_stack/harness/file_system.h"

#include <windows.h>

#include "tests/support/test_hid_stack/sim_files.h"

namespace e2e {

namespace {

std::wstring parent(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

std::wstring program_dir() {
    wchar_t buffer[4096];
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, 4096);
    return parent(std::wstring(buffer, length));
}

std::wstring build_dir() { return parent(program_dir()); }
std::wstring test_hid_stack_dir() { return join(build_dir(), L"test_hid_stack"); }
std::wstring tests_root() { return join(build_dir(), L"e2e"); }

std::wstring join(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

bool file_exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool make_dirs(const std::wstring& folder) {
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring above = parent(folder);
    if (!above.empty() && above != folder && !make_dirs(above)) return false;
    return ::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(join(folder, L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = join(folder, name);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
    return !file_exists(folder);
}

bool make_fresh_dir(const std::wstring& folder) { return remove_tree(folder) && make_dirs(folder); }

bool copy_file(const std::wstring& from, const std::wstring& to) {
    return ::CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

std::optional<std::vector<std::uint8_t>> read_bytes(const std::wstring& path) {
    auto text = hid_stack::read_file(path);
    if (!text) return std::nullopt;
    return std::vector<std::uint8_t>(text->begin(), text->end());
}

}  // namespace e2e
