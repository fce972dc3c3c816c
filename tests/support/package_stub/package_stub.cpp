// Stand-in for a downloaded package or a browser: records how it was started and ends.
// Writes four UTF-8 lines (its own path, its working directory, its command line, and whether
// it could open its own file as an NSIS installer does: read access, sharing only reading)
// to the file named by ORV_PACKAGE_MARKER, or beside itself as "<program>.marker". The file appears
// complete or not at all (written aside, then renamed), so a test can poll for it.
#include <windows.h>

#include <string>

namespace {

std::string to_utf8(const std::wstring& text) {
    int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                          length, nullptr, nullptr);
    return bytes;
}

std::wstring module_path() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring current_directory() {
    wchar_t path[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, path);
    return path;
}

std::wstring marker_path() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::GetEnvironmentVariableW(L"ORV_PACKAGE_MARKER", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return path;
    return module_path() + L".marker";
}

// An installer reads its own file for what it unpacks, and shares nothing but reading.
bool opens_itself() {
    HANDLE self = ::CreateFileW(module_path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (self == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(self);
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::string content = to_utf8(module_path()) + "\n" + to_utf8(current_directory()) + "\n" +
                          to_utf8(::GetCommandLineW()) + "\n" +
                          (opens_itself() ? "opened itself" : "could not open itself") + "\n";
    std::wstring target = marker_path();
    std::wstring aside = target + L".part";
    HANDLE file = ::CreateFileW(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL ok =
        ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || !::MoveFileExW(aside.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return 1;
    return 0;
}
