#include "exchange/RowBlocks.h"

#include "platform/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kv {

int RowBlockThreads(int threads, int rows)
{
    const int n = threads > 0 ? threads : HardwareThreads();
    return std::max(1, std::min(n, std::max(rows, 1)));
}

namespace {

// `n` threads kept for the whole loop; each block is handed to all of them at once and
// they take its rows in turn.
class BlockWorkers {
public:
    BlockWorkers(int n, const std::function<void(int, int)>& compute) : m_compute(compute)
    {
        for (int slot = 0; slot < n; ++slot)
            m_threads.emplace_back([this, slot] { Run(slot); });
    }
    ~BlockWorkers()
    {
        Wait();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_start.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }
    BlockWorkers(const BlockWorkers&) = delete;
    BlockWorkers& operator=(const BlockWorkers&) = delete;

    void Start(int first, int end)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_next.store(first);
        m_end = end;
        m_busy = static_cast<int>(m_threads.size());
        ++m_generation;
        m_start.notify_all();
    }
    void Wait()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [this] { return m_busy == 0; });
    }

private:
    void Run(int slot)
    {
        int seen = 0;
        for (;;) {
            int end;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_start.wait(lock, [&] { return m_quit || m_generation != seen; });
                if (m_quit)
                    return;
                seen = m_generation;
                end = m_end;
            }
            for (int row = m_next.fetch_add(1); row < end; row = m_next.fetch_add(1))
                m_compute(row, slot);
            std::lock_guard<std::mutex> lock(m_mutex);
            if (--m_busy == 0)
                m_done.notify_all();
        }
    }

    const std::function<void(int, int)>& m_compute;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_start;
    std::condition_variable m_done;
    std::atomic<int> m_next{0};
    int m_end = 0;
    int m_busy = 0;
    int m_generation = 0;
    bool m_quit = false;
};

} // namespace

bool RunRowBlocks(int rows, int threads, int blockRows, const std::function<void(int row, int slot)>& compute,
                  const std::function<bool(int first, int end)>& finish)
{
    const int n = RowBlockThreads(threads, rows);
    blockRows = std::max(blockRows, 1);
    if (n == 1) {
        // One core: no workers, the same order of work.
        for (int first = 0; first < rows; first += blockRows) {
            const int end = std::min(rows, first + blockRows);
            for (int row = first; row < end; ++row)
                compute(row, 0);
            if (!finish(first, end))
                return false;
        }
        return true;
    }
    BlockWorkers workers(n, compute);
    int first = 0;
    int end = std::min(rows, blockRows);
    workers.Start(first, end);
    for (;;) {
        workers.Wait();
        const int nextFirst = end;
        const int nextEnd = std::min(rows, nextFirst + blockRows);
        if (nextFirst < rows)
            workers.Start(nextFirst, nextEnd);
        if (!finish(first, end))
            return false; // the workers complete the block in flight
        if (nextFirst >= rows)
            return true;
        first = nextFirst;
        end = nextEnd;
    }
}

} // namespace kv
