// Stands in for the firmware updater "Updater.exe" in tests. It records how it was started and
// exits at once: one line per start, appended (UTF-8) to the file named by VANTA_UPDATER_LOG, or
// to "updater-starts.log" in its working directory when that variable is not set:
//   <command line as received>\t<working directory>\t<own module path>
#include <windows.h>

#include <string>

namespace {

std::wstring env(const wchar_t* name) {
    wchar_t buffer[1024];
    DWORD length = ::GetEnvironmentVariableW(name, buffer, 1024);
    return length > 0 && length < 1024 ? std::wstring(buffer, length) : std::wstring();
}

std::string utf8(const std::wstring& text) {
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                          bytes, nullptr, nullptr);
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t directory[MAX_PATH * 4] = {};
    ::GetCurrentDirectoryW(MAX_PATH * 4, directory);
    wchar_t module[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH * 4);

    std::wstring log = env(L"VANTA_UPDATER_LOG");
    if (log.empty()) log = L"updater-starts.log";

    std::string line = utf8(::GetCommandLineW()) + "\t" + utf8(directory) + "\t" + utf8(module) +
                       "\n";
    HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == line.size() ? 0 : 1;
}
