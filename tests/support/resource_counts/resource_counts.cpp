#include "tests/support/resource_counts/resource_counts.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace resource_counts {
namespace {

// The classic layout of SystemHandleInformation (class 16).
struct handle_entry {
    ULONG process_id;
    BYTE object_type;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct handle_table {
    ULONG count;
    handle_entry entries[1];
};
using query_system_fn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

DWORD handles_from_system_table(DWORD process_id) {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    auto query =
        ntdll
            ? reinterpret_cast<query_system_fn>(::GetProcAddress(ntdll, "NtQuerySystemInformation"))
            : nullptr;
    if (!query) return 0;
    std::vector<std::uint8_t> buffer(1 << 16);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* table = reinterpret_cast<const handle_table*>(buffer.data());
            DWORD count = 0;
            for (ULONG i = 0; i < table->count; ++i) {
                if (table->entries[i].process_id == process_id) ++count;
            }
            return count;
        }
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
    }
    return 0;
}

DWORD probed_own_handles() {
    DWORD count = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

struct window_census {
    DWORD process_id;
    DWORD count;
};

BOOL CALLBACK count_child(HWND, LPARAM census) {
    ++reinterpret_cast<window_census*>(census)->count;
    return TRUE;
}

BOOL CALLBACK count_top_level(HWND window, LPARAM census) {
    auto* c = reinterpret_cast<window_census*>(census);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != c->process_id) return TRUE;
    ++c->count;
    ::EnumChildWindows(window, count_child, census);
    return TRUE;
}

}  // namespace

counts of_process(DWORD process_id) {
    counts result;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id);
    if (process) {
        ::GetProcessHandleCount(process, &result.handles);
        result.gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
        result.user = ::GetGuiResources(process, GR_USEROBJECTS);
        ::CloseHandle(process);
    }
    if (result.handles == 0) result.handles = handles_from_system_table(process_id);
    if (result.handles == 0 && process_id == ::GetCurrentProcessId()) {
        result.handles = probed_own_handles();
    }
    window_census census{process_id, 0};
    ::EnumWindows(count_top_level, reinterpret_cast<LPARAM>(&census));
    result.windows = census.count;
    return result;
}

bool within(const counts& now, const counts& start, const counts& margin) {
    return now.handles <= start.handles + margin.handles && now.gdi <= start.gdi + margin.gdi &&
           now.user <= start.user + margin.user && now.windows <= start.windows + margin.windows;
}

std::string describe(const counts& start, const counts& end) {
    auto pair = [](const char* name, DWORD a, DWORD b) {
        return std::string(name) + " " + std::to_string(a) + " -> " + std::to_string(b);
    };
    return pair("handles", start.handles, end.handles) + ", " + pair("GDI", start.gdi, end.gdi) +
           ", " + pair("USER", start.user, end.user) + ", " +
           pair("windows", start.windows, end.windows);
}

}  // namespace resource_counts
