#include "platform/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

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

TEST(ParallelRowPool, PartsLimitTheRanges)
{
    ParallelRowPool pool(6);
    for (int parts : {1, 2, 3, 6, 9})
        for (int count : {2, 7, 100}) {
            const auto pooled = Ranges([&](auto body) { pool.Run(count, body, parts); });
            const auto fresh = Ranges([&](auto body) { ParallelRows(count, body, std::min(parts, 6)); });
            ASSERT_EQ(pooled, fresh) << parts << " " << count;
        }
}

TEST(ParallelRows, ConcurrentAndNestedCallersEachCoverTheirRows)
{
    // Callers from several threads at once, each range starting calls of its own: the shared
    // threads serve one caller, the others start theirs, and nothing waits on itself.
    constexpr int kOuter = 40, kInner = 17, kCallers = 4;
    std::vector<std::vector<std::atomic<int>>> hits(kCallers);
    for (auto& h : hits)
        h = std::vector<std::atomic<int>>(kOuter * kInner);
    std::vector<std::thread> callers;
    for (int c = 0; c < kCallers; ++c)
        callers.emplace_back([&, c] {
            for (int pass = 0; pass < 5; ++pass)
                ParallelRows(kOuter, [&](int begin, int end) {
                    for (int i = begin; i < end; ++i)
                        ParallelRows(kInner, [&](int b, int e) {
                            for (int k = b; k < e; ++k)
                                hits[c][i * kInner + k].fetch_add(1);
                        });
                });
        });
    for (auto& t : callers)
        t.join();
    for (auto& h : hits)
        for (auto& cell : h)
            ASSERT_EQ(cell.load(), 5);
}

TEST(ParallelRows, RangesRunAtTheSameTime)
{
    // Ranges that wait for every other range to start (as a render's progress range waits
    // for its workers) need a thread each, on the shared threads and past the core count.
    for (int n : {2, HardwareThreads(), HardwareThreads() + 1}) {
        if (n < 2)
            continue;
        std::mutex mutex;
        std::condition_variable arrived;
        int started = 0;
        std::atomic<int> together{0};
        ParallelRows(
            n,
            [&](int begin, int end) {
                std::unique_lock<std::mutex> lock(mutex);
                started += end - begin;
                arrived.notify_all();
                if (arrived.wait_for(lock, std::chrono::seconds(10), [&] { return started == n; }))
                    together += end - begin;
            },
            n);
        EXPECT_EQ(together.load(), n) << n;
    }
}

TEST(ParallelRows, AForkedChildStartsThreadsOfItsOwn)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer does not follow threads into a forked child";
#endif
    // The shared threads and a pool exist before the fork; the child has neither, and its
    // calls (with ranges waiting for each other) still run every range.
    ParallelRowPool pool(3);
    pool.Run(6, [](int, int) {});
    ParallelRows(100, [](int, int) {});
    const pid_t child = fork();
    if (child == 0) {
        std::atomic<int> rows{0};
        ParallelRows(1000, [&](int begin, int end) { rows += end - begin; });
        std::mutex mutex;
        std::condition_variable arrived;
        int started = 0;
        bool together = true;
        pool.Run(3, [&](int begin, int end) {
            std::unique_lock<std::mutex> lock(mutex);
            started += end - begin;
            arrived.notify_all();
            if (!arrived.wait_for(lock, std::chrono::seconds(10), [&] { return started == 3; }))
                together = false;
        });
        _exit(rows.load() == 1000 && together ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(ParallelRows, AnExceptionOfARangeReachesTheCallerAfterEveryRangeEnded)
{
    // The throwing range is the caller's (0) or a worker's (the last); every other range
    // still runs to its end before the exception is thrown again, on the shared threads, on
    // threads of its own (more than the cores) and on a pool.
    ParallelRowPool pool(4);
    const int many = HardwareThreads() + 2;
    struct Call {
        const char* name;
        int parts;
        bool usePool;
    };
    for (const Call call : {Call{"shared", 4, false}, Call{"spawned", many, false}, Call{"pool", 4, true}}) {
        for (const bool callerThrows : {true, false}) {
            std::atomic<int> finished{0};
            const int parts = call.parts;
            auto body = [&](int begin, int) {
                const bool throws = callerThrows ? begin == 0 : begin == parts - 1;
                if (throws)
                    throw std::runtime_error("range failed");
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                ++finished;
            };
            try {
                if (call.usePool)
                    pool.Run(parts, body);
                else
                    ParallelRows(parts, body, parts);
                ADD_FAILURE() << call.name << ": no exception";
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "range failed");
            }
            EXPECT_EQ(finished.load(), parts - 1) << call.name << " " << callerThrows;
        }
    }
    // The threads serve the next call as before.
    std::atomic<int> rows{0};
    ParallelRows(1000, [&](int begin, int end) { rows += end - begin; });
    pool.Run(1000, [&](int begin, int end) { rows += end - begin; });
    EXPECT_EQ(rows.load(), 2000);
}
