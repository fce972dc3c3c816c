// Times programs from the moment they are started until their main window is shown and their
// message loop is idle, interleaved round by round, and prints the median and interquartile
// range of each and its ratio to the first. The last line is "startup ratio: R", the ratio of
// the second program's median to the first's.
//   startup_bench ROUNDS WORKING_DIRECTORY "PROGRAM.exe [ARGS]" ["PROGRAM.exe [ARGS]" ...]
// Each program must show one top-level window and end when that window is closed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct window_search {
    DWORD process_id;
    HWND found;
};

BOOL CALLBACK find_visible_window(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<window_search*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->process_id && ::IsWindowVisible(window) &&
        !::GetWindow(window, GW_OWNER)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

double now_ms() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds until the program's window is shown and answers; negative on failure.
double time_start(const std::wstring& entry, const std::wstring& folder) {
    const std::size_t space = entry.find(L".exe ");
    const std::wstring program = space == std::wstring::npos ? entry : entry.substr(0, space + 4);
    std::wstring command = L"\"" + program + L"\"";
    if (space != std::wstring::npos) command += entry.substr(space + 4);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    double start = now_ms();
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &info)) {
        return -1;
    }
    double elapsed = -1;
    ::WaitForInputIdle(info.hProcess, 60000);
    window_search search{info.dwProcessId, nullptr};
    // The window may come after the first idle moment; give up with the process or after a
    // minute.
    double deadline = now_ms() + 60000;
    while (!search.found && now_ms() < deadline &&
           ::WaitForSingleObject(info.hProcess, 1) == WAIT_TIMEOUT) {
        ::EnumWindows(&find_visible_window, reinterpret_cast<LPARAM>(&search));
    }
    if (search.found) {
        DWORD_PTR ignored = 0;
        // Answered only once the program's message loop runs.
        ::SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored);
        elapsed = now_ms() - start;
        ::PostMessageW(search.found, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0) {
        ::TerminateProcess(info.hProcess, 1);
        ::WaitForSingleObject(info.hProcess, INFINITE);
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return elapsed;
}

// The q-quantile of `values` (0 <= q <= 1), interpolated between neighbours.
double quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const std::size_t below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fwprintf(stderr,
                      L"usage: startup_bench ROUNDS FOLDER PROGRAM.exe [PROGRAM.exe ...]\n");
        return 2;
    }
    int rounds = std::max(1, _wtoi(argv[1]));
    std::wstring folder = argv[2];
    std::vector<std::wstring> programs(argv + 3, argv + argc);
    std::vector<std::vector<double>> times(programs.size());

    // One start of each first, not counted: it loads the files into the cache.
    for (const auto& program : programs) time_start(program, folder);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            double t = time_start(programs[i], folder);
            if (t < 0) {
                std::fwprintf(stderr, L"%ls did not come up\n", programs[i].c_str());
                return 1;
            }
            times[i].push_back(t);
        }
    }
    const double reference = quantile(times[0], 0.5);
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const double m = quantile(times[i], 0.5);
        std::wprintf(L"%-64ls median %7.1f ms  IQR %6.1f ms  (+%6.1f ms)  ratio %.2f\n",
                     programs[i].c_str(), m, quantile(times[i], 0.75) - quantile(times[i], 0.25),
                     m - reference, m / reference);
    }
    if (programs.size() > 1) {
        std::wprintf(L"startup ratio: %.2f\n", quantile(times[1], 0.5) / reference);
    }
    return 0;
}
