#include "platform/ParallelFor.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace kv {

int HardwareThreads()
{
    unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

void ParallelRows(int count, const std::function<void(int, int)>& body, int threads)
{
    if (count <= 0)
        return;
    int n = threads > 0 ? threads : HardwareThreads();
    n = std::min(n, count);
    if (n <= 1) {
        body(0, count);
        return;
    }
    std::vector<std::thread> pool;
    pool.reserve(static_cast<size_t>(n - 1));
    int chunk = count / n, extra = count % n, begin = 0;
    int firstEnd = 0;
    for (int t = 0; t < n; ++t) {
        int end = begin + chunk + (t < extra ? 1 : 0);
        if (t == 0)
            firstEnd = end;
        else
            pool.emplace_back(body, begin, end);
        begin = end;
    }
    body(0, firstEnd);
    for (auto& th : pool)
        th.join();
}

void ParallelRowPool::Range(int count, int parts, int index, int& begin, int& end)
{
    const int chunk = count / parts, extra = count % parts;
    begin = index * chunk + std::min(index, extra);
    end = begin + chunk + (index < extra ? 1 : 0);
}

ParallelRowPool::ParallelRowPool(int threads)
{
    m_threads = threads > 0 ? threads : HardwareThreads();
    for (int i = 1; i < m_threads; ++i)
        m_workers.emplace_back(&ParallelRowPool::Work, this, i);
}

ParallelRowPool::~ParallelRowPool()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (auto& worker : m_workers)
        worker.join();
}

void ParallelRowPool::Work(int index)
{
    unsigned seen = 0;
    for (;;) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [&] { return m_stop || m_generation != seen; });
        if (m_stop)
            return;
        seen = m_generation;
        const std::function<void(int, int)>* body = m_body;
        const int count = m_count, parts = m_parts;
        lock.unlock();
        if (index < parts) {
            int begin = 0, end = 0;
            Range(count, parts, index, begin, end);
            (*body)(begin, end);
        }
        lock.lock();
        if (--m_pending == 0)
            m_done.notify_one();
    }
}

void ParallelRowPool::Run(int count, const std::function<void(int begin, int end)>& body)
{
    if (count <= 0)
        return;
    const int parts = std::min(m_threads, count);
    if (parts <= 1) {
        body(0, count);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_body = &body;
        m_count = count;
        m_parts = parts;
        m_pending = static_cast<int>(m_workers.size());
        ++m_generation;
    }
    m_wake.notify_all();
    int begin = 0, end = 0;
    Range(count, parts, 0, begin, end);
    body(begin, end);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [&] { return m_pending == 0; });
}

} // namespace kv
