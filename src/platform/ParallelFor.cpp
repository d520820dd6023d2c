#include "platform/ParallelFor.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

#include <pthread.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace kv {

namespace {

// How long a thread keeps checking for the next pass (or for the last range of a pass)
// before it sleeps: passes of one computation usually follow within microseconds, and a
// sleeping thread takes tens of microseconds to wake.
constexpr auto kSpinTime = std::chrono::microseconds(200);

inline void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}

// Spins until ready() holds or the spin time is over; true when it holds.
template <class Ready>
bool SpinUntil(Ready ready)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1;; ++i) {
        if (ready())
            return true;
        CpuRelax();
        if ((i & 63) == 0 && std::chrono::steady_clock::now() - start > kSpinTime)
            return ready();
    }
}

// Counts the forks this process came out of as a child: a forked child has only the thread
// that forked, so the pools made before it have no threads there.
std::atomic<unsigned> g_forks{0};

unsigned ForkGeneration()
{
    static std::once_flag once;
    std::call_once(once, [] { pthread_atfork(nullptr, nullptr, [] { g_forks.fetch_add(1); }); });
    return g_forks.load(std::memory_order_acquire);
}

// Set on the threads of every pool while they run a range: a ParallelRows from inside a
// range starts its own threads instead of waiting for the pool it runs on.
thread_local bool t_inPool = false;

// The threads ParallelRows shares between its callers: one per core besides the caller,
// made on first use and kept until the process ends (never destroyed, so that a caller
// during static destruction still finds them).
struct SharedPool {
    ParallelRowPool pool{HardwareThreads()};
    std::atomic<bool> busy{false};
};

SharedPool& TheSharedPool()
{
    static SharedPool* shared = new SharedPool;
    return *shared;
}

// Keeps the first exception thrown by any range, to be thrown again on the calling thread
// once every range has ended.
class FirstError {
public:
    void Keep(std::exception_ptr error)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_error)
            m_error = std::move(error);
    }
    void Rethrow()
    {
        std::exception_ptr error;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            error = std::exchange(m_error, nullptr);
        }
        if (error)
            std::rethrow_exception(error);
    }

private:
    std::mutex m_mutex;
    std::exception_ptr m_error;
};

void SpawnRows(int count, int n, const std::function<void(int, int)>& body)
{
    if (n <= 1) {
        body(0, count);
        return;
    }
    FirstError error;
    auto guarded = [&](int begin, int end) {
        try {
            body(begin, end);
        } catch (...) {
            error.Keep(std::current_exception());
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(static_cast<size_t>(n - 1));
    int chunk = count / n, extra = count % n, begin = 0;
    int firstEnd = 0;
    try {
        for (int t = 0; t < n; ++t) {
            int end = begin + chunk + (t < extra ? 1 : 0);
            if (t == 0)
                firstEnd = end;
            else
                pool.emplace_back(guarded, begin, end);
            begin = end;
        }
    } catch (...) {
        // No thread to be had: the ranges that have one finish, then the failure is passed on.
        for (auto& th : pool)
            th.join();
        throw;
    }
    guarded(0, firstEnd);
    for (auto& th : pool)
        th.join();
    error.Rethrow();
}

} // namespace

int HardwareThreads()
{
    unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

void ParallelRows(int count, const std::function<void(int, int)>& body, int threads)
{
    if (count <= 0)
        return;
    const int cores = HardwareThreads();
    int n = threads > 0 ? threads : cores;
    n = std::min(n, count);
    if (n <= 1) {
        body(0, count);
        return;
    }
    // The shared threads, unless this runs inside one of their ranges, another caller has
    // them, or more threads than cores were asked for (bodies that wait for each other).
    if (n <= cores && !t_inPool) {
        SharedPool& shared = TheSharedPool();
        if (!shared.busy.exchange(true, std::memory_order_acquire)) {
            struct Release {
                std::atomic<bool>& busy;
                ~Release() { busy.store(false, std::memory_order_release); }
            } release{shared.busy};
            shared.pool.Run(count, body, n);
            return;
        }
    }
    SpawnRows(count, n, body);
}

void ParallelRowPool::Range(int count, int parts, int index, int& begin, int& end)
{
    const int chunk = count / parts, extra = count % parts;
    begin = index * chunk + std::min(index, extra);
    end = begin + chunk + (index < extra ? 1 : 0);
}

ParallelRowPool::ParallelRowPool(int threads)
{
    m_fork = ForkGeneration();
    m_threads = threads > 0 ? threads : HardwareThreads();
    for (int i = 1; i < m_threads; ++i)
        m_workers.emplace_back(&ParallelRowPool::Work, this, i);
}

ParallelRowPool::~ParallelRowPool()
{
    if (m_fork != g_forks.load(std::memory_order_acquire)) {
        // A forked child: the workers live in the parent only, and their handles must be
        // neither joined nor detached here; they are left behind unused.
        new std::vector<std::thread>(std::move(m_workers));
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop.store(true, std::memory_order_release);
    }
    m_wake.notify_all();
    for (auto& worker : m_workers)
        worker.join();
}

void ParallelRowPool::Work(int index)
{
    unsigned seen = 0;
    for (;;) {
        auto ready = [&] {
            return m_stop.load(std::memory_order_acquire) || m_generation.load(std::memory_order_acquire) != seen;
        };
        if (!SpinUntil(ready)) {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++m_sleepers;
            m_wake.wait(lock, ready);
            --m_sleepers;
        }
        if (m_stop.load(std::memory_order_acquire))
            return;
        seen = m_generation.load(std::memory_order_acquire);
        const std::function<void(int, int)>* body = m_body;
        const int count = m_count, parts = m_parts;
        if (index < parts) {
            int begin = 0, end = 0;
            Range(count, parts, index, begin, end);
            t_inPool = true;
            try {
                (*body)(begin, end);
            } catch (...) {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (!m_error)
                    m_error = std::current_exception();
            }
            t_inPool = false;
        }
        if (m_pending.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done.notify_one();
        }
    }
}

void ParallelRowPool::Run(int count, const std::function<void(int begin, int end)>& body, int parts)
{
    if (count <= 0)
        return;
    parts = std::min(parts > 0 ? std::min(parts, m_threads) : m_threads, count);
    if (parts <= 1) {
        body(0, count);
        return;
    }
    if (m_fork != g_forks.load(std::memory_order_acquire)) {
        // In a forked child the workers are gone: the same ranges on threads of their own.
        SpawnRows(count, parts, body);
        return;
    }
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_body = &body;
        m_count = count;
        m_parts = parts;
        m_pending.store(static_cast<int>(m_workers.size()), std::memory_order_relaxed);
        m_generation.fetch_add(1, std::memory_order_acq_rel);
        wake = m_sleepers > 0;
    }
    if (wake)
        m_wake.notify_all();
    int begin = 0, end = 0;
    Range(count, parts, 0, begin, end);
    const bool inPool = t_inPool;
    t_inPool = true;
    std::exception_ptr error;
    try {
        body(begin, end);
    } catch (...) {
        error = std::current_exception();
    }
    t_inPool = inPool;
    // Every range ends before Run does, whatever threw: the ranges use the caller's data.
    auto done = [&] { return m_pending.load(std::memory_order_acquire) == 0; };
    std::unique_lock<std::mutex> lock(m_mutex, std::defer_lock);
    if (!SpinUntil(done)) {
        lock.lock();
        m_done.wait(lock, done);
    }
    if (!lock.owns_lock())
        lock.lock();
    std::exception_ptr workerError = std::exchange(m_error, nullptr);
    lock.unlock();
    if (error || workerError)
        std::rethrow_exception(error ? error : workerError);
}

} // namespace kv
