#include "shading/SwapGuard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using namespace kv;

namespace {

// Counts live objects and marks the dead, so that a reader holding a freed one sees it.
std::atomic<int> g_alive{0};
struct Marked {
    explicit Marked(int v) : value(v) { ++g_alive; }
    ~Marked()
    {
        value = -1;
        --g_alive;
    }
    int value;
};

} // namespace

// Many reading threads (more than the guard has counter slots) while one thread keeps
// replacing: every reader sees a live object, and each replacement frees the one before.
TEST(SwapGuardTest, ReadersNeverHoldAFreedObject)
{
    {
        SwapGuard<Marked> guard;
        guard.Replace(std::make_unique<Marked>(0));
        std::atomic<bool> stop{false};
        std::atomic<int> bad{0};
        std::vector<std::thread> readers;
        for (int t = 0; t < 17; ++t)
            readers.emplace_back([&] {
                while (!stop.load()) {
                    {
                        const auto reader = guard.Read();
                        if (!reader || reader->value < 0)
                            ++bad;
                    }
                    std::this_thread::yield();
                }
            });
        for (int i = 1; i <= 200; ++i) {
            guard.Replace(std::make_unique<Marked>(i));
            EXPECT_EQ(g_alive.load(), 1);
        }
        stop = true;
        for (auto& thread : readers)
            thread.join();
        EXPECT_EQ(bad.load(), 0);
        EXPECT_EQ(guard.Read()->value, 200);
        guard.Replace(nullptr);
        EXPECT_FALSE(guard.Read());
    }
    EXPECT_EQ(g_alive.load(), 0);
}
