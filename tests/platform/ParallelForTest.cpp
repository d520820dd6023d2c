#include "platform/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <utility>
#include <vector>

using namespace kv;

namespace {

// The ranges a call hands out, in order of their start.
template <class Call>
std::vector<std::pair<int, int>> Ranges(Call call)
{
    std::mutex mutex;
    std::vector<std::pair<int, int>> ranges;
    call([&](int begin, int end) {
        std::lock_guard<std::mutex> lock(mutex);
        ranges.emplace_back(begin, end);
    });
    std::sort(ranges.begin(), ranges.end());
    return ranges;
}

} // namespace

TEST(ParallelRowPool, SplitsLikeParallelRowsRunAfterRun)
{
    ParallelRowPool pool(4);
    EXPECT_EQ(pool.Threads(), 4);
    for (int count : {0, 1, 3, 4, 10, 1001}) {
        for (int repeat = 0; repeat < 50; ++repeat) {
            const auto pooled = Ranges([&](auto body) { pool.Run(count, body); });
            const auto fresh = Ranges([&](auto body) { ParallelRows(count, body, 4); });
            ASSERT_EQ(pooled, fresh) << count;
        }
        int covered = 0;
        for (auto [b, e] : Ranges([&](auto body) { pool.Run(count, body); }))
            covered += e - b;
        EXPECT_EQ(covered, count);
    }
}

TEST(ParallelRowPool, EveryRowOnce)
{
    ParallelRowPool pool;
    std::vector<std::atomic<int>> hits(5000);
    for (int pass = 0; pass < 20; ++pass)
        pool.Run(5000, [&](int begin, int end) {
            for (int i = begin; i < end; ++i)
                hits[i].fetch_add(1);
        });
    for (auto& h : hits)
        ASSERT_EQ(h.load(), 20);
}
