// The download's progress steps: whatever the read sizes, the bar moves as 1,024-byte reads
// would move it.
#include "update_check/rules/download_progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace orv {
namespace {

// Feeds `size` bytes (listed as `listed`) in reads of `read_size`, then completes.
std::vector<int> steps(std::uint64_t listed, std::uint64_t size, std::uint64_t read_size) {
    std::vector<int> reported;
    download_progress progress(listed, [&](int percent) { reported.push_back(percent); });
    for (std::uint64_t sent = 0; sent < size;) {
        std::uint64_t count = size - sent < read_size ? size - sent : read_size;
        progress.add(count);
        sent += count;
    }
    progress.complete();
    return reported;
}

// The steps of the plain 1,024-byte loop, written out independently.
std::vector<int> reference(std::uint64_t listed, std::uint64_t size) {
    std::vector<int> reported;
    int last = -1;
    for (std::uint64_t total = 0; total < size;) {
        total += size - total < 1024 ? size - total : 1024;
        int percent = static_cast<int>(total * 100 / listed);
        if (percent != last) reported.push_back(last = percent);
    }
    return reported;
}

TEST(DownloadProgress, AThousandByteReadsOfTwoAndAHalfKilobytes) {
    EXPECT_EQ(steps(2500, 2500, 1024), (std::vector<int>{40, 81, 100}));
}

TEST(DownloadProgress, LargeReadsGiveTheStepsOfSmallOnes) {
    for (std::uint64_t size :
         {1ULL, 1023ULL, 1024ULL, 1025ULL, 2500ULL, 102400ULL, 123457ULL, 5'000'000ULL}) {
        for (std::uint64_t read_size : {1ULL, 1000ULL, 1024ULL, 4096ULL, 65536ULL, 262144ULL}) {
            if (size > 200'000 && read_size < 1024) continue;
            EXPECT_EQ(steps(size, size, read_size), reference(size, size))
                << "size " << size << ", reads of " << read_size;
        }
    }
}

TEST(DownloadProgress, EveryPercentOnceForLargeFiles) {
    std::vector<int> all = steps(64ULL << 20, 64ULL << 20, 256 * 1024);
    // The first block is under 1 %: 0 is the first step.
    ASSERT_EQ(all.size(), 101u);
    for (int percent = 0; percent <= 100; ++percent) EXPECT_EQ(all[percent], percent);
}

TEST(DownloadProgress, NothingArrivesNothingMoves) {
    EXPECT_TRUE(steps(0, 0, 1024).empty());
    EXPECT_TRUE(steps(5000, 0, 1024).empty());
}

TEST(DownloadProgress, UnknownSizeJumpsToTheEndWhenComplete) {
    EXPECT_EQ(steps(0, 1, 1024), (std::vector<int>{100}));
    EXPECT_EQ(steps(0, 3'000'000, 65536), (std::vector<int>{100}));
}

TEST(DownloadProgress, MoreDataThanListedStopsAtAHundred) {
    EXPECT_EQ(steps(1000, 3000, 1024), (std::vector<int>{100}));
    std::vector<int> over = steps(2048, 10'000, 1024);
    EXPECT_EQ(over, (std::vector<int>{50, 100}));
}

TEST(DownloadProgress, APartialBlockIsReportedOnlyWhenTheTransferEnds) {
    std::vector<int> reported;
    download_progress progress(2500, [&](int percent) { reported.push_back(percent); });
    progress.add(2500);
    EXPECT_EQ(reported, (std::vector<int>{40, 81}));
    progress.complete();
    EXPECT_EQ(reported, (std::vector<int>{40, 81, 100}));
    EXPECT_EQ(progress.last_percent(), 100);
}

}  // namespace
}  // namespace orv
