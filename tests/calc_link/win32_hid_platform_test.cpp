// system_hid_platform() on the real Win32 calls. No calculator is attached under Wine, so the
// calls are checked against a plain file and a path that does not exist.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "calc_link/hid_platform.h"

namespace {

using vanta_kit::hid_access;
using vanta_kit::invalid_hid_handle;

std::wstring temp_file(const wchar_t* name) {
    wchar_t directory[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, directory);
    EXPECT_GT(length, 0u);
    return std::wstring(directory, length) + name;
}

TEST(win32_hid_platform, missing_path_gives_the_invalid_handle) {
    auto& platform = vanta_kit::system_hid_platform();
    EXPECT_EQ(platform.open(L"\\\\?\\hid#vid_3c5d&pid_7e21#missing", hid_access::write),
              invalid_hid_handle);
    EXPECT_EQ(platform.open(L"\\\\?\\hid#vid_3c5d&pid_7e21#missing", hid_access::read),
              invalid_hid_handle);
}

TEST(win32_hid_platform, opens_existing_only_with_the_asked_access_and_shared) {
    const std::wstring path = temp_file(L"vanta_hid_platform_test.bin");
    auto& platform = vanta_kit::system_hid_platform();
    DeleteFileW(path.c_str());
    EXPECT_EQ(platform.open(path, hid_access::write), invalid_hid_handle);  // OPEN_EXISTING

    HANDLE created = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);

    const auto writer = platform.open(path, hid_access::write);
    const auto reader = platform.open(path, hid_access::read);  // shares with the writer
    ASSERT_NE(writer, invalid_hid_handle);
    ASSERT_NE(reader, invalid_hid_handle);

    const std::uint8_t report[4] = {1, 2, 0xFA, 0};
    std::uint32_t written = 0;
    EXPECT_TRUE(platform.write_report(writer, report, 4, written));
    EXPECT_EQ(written, 4u);
    // The read handle cannot write, and a file has no input report.
    EXPECT_FALSE(platform.write_report(reader, report, 4, written));
    std::uint8_t input[4] = {1};
    EXPECT_FALSE(platform.get_input_report(reader, input, 4));

    platform.close(writer);
    platform.close(reader);
    EXPECT_NE(DeleteFileW(path.c_str()), FALSE);  // both handles were closed
}

TEST(win32_hid_platform, sleep_blocks_the_thread) {
    // The performance counter, not the tick count: the tick count may move in steps coarser
    // than the sleep itself.
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    vanta_kit::system_hid_platform().sleep(20);
    QueryPerformanceCounter(&end);
    const double elapsed_ms =
        static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    EXPECT_GE(elapsed_ms, 15.0);
}

}  // namespace
