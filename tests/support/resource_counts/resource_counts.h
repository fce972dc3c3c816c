// What a process holds, for stress tests that check that nothing piles up:
//
//   auto before = resource_counts::of_process(pid);
//   ... 200 rounds ...
//   auto after = resource_counts::of_process(pid);
//   EXPECT_TRUE(resource_counts::within(after, before, {8, 4, 4, 2}));
//
// Wine answers 0 to GetProcessHandleCount and GetGuiResources, so handles are counted from
// the system's handle table (NtQuerySystemInformation), or for this process by probing its
// own handle values, and windows (top level and child) stand in for the USER objects a
// program really creates. GDI objects have no such substitute under Wine: `gdi` stays 0 there.
#pragma once

#include <windows.h>

#include <string>

namespace resource_counts {

struct counts {
    DWORD handles = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD windows = 0;
};

counts of_process(DWORD process_id);
inline counts of_this_process() { return of_process(::GetCurrentProcessId()); }

// Whether every count of `now` is at most `start` plus the margin of the same field.
bool within(const counts& now, const counts& start, const counts& margin);

// "handles 50 -> 52, GDI 0 -> 0, USER 0 -> 0, windows 7 -> 7".
std::string describe(const counts& start, const counts& end);

}  // namespace resource_counts
