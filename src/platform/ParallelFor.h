// Splits independent rows over the machine's cores. Each row is handled exactly as on
// one core, so results do not depend on the number of threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kv {

// Number of worker threads used by ParallelRows (at least 1).
int HardwareThreads();

// Calls body(begin, end) on disjoint, contiguous ranges covering [0, count). An exception
// thrown by a range is thrown again on the calling thread once every range has ended.
// With threads <= 0 the machine's core count is used; small counts run inline. Up to the
// core count, the ranges run on threads kept for the whole process (shared by callers one
// at a time; a second caller, or a call from inside a range, starts threads of its own).
void ParallelRows(int count, const std::function<void(int begin, int end)>& body, int threads = 0);

// ParallelRows on threads started once, for work that runs many short passes in a row.
// Run splits [0, count) exactly as ParallelRows does and returns when every range is done;
// the calling thread takes the first range; with `parts` > 0, into at most that many ranges.
// An exception of a range is thrown again by Run once every range has ended.
// One caller at a time. Threads keep checking for the next pass for a moment before they
// sleep, so passes that follow closely do not wait for threads to wake. In a child forked
// after the pool was made, Run starts threads of its own for the same ranges.
class ParallelRowPool {
public:
    // threads <= 0: the machine's core count.
    explicit ParallelRowPool(int threads = 0);
    ~ParallelRowPool();
    ParallelRowPool(const ParallelRowPool&) = delete;
    ParallelRowPool& operator=(const ParallelRowPool&) = delete;

    int Threads() const { return m_threads; }
    void Run(int count, const std::function<void(int begin, int end)>& body, int parts = 0);

private:
    void Work(int index);
    // The range of `index` among `parts` contiguous ranges of [0, count).
    static void Range(int count, int parts, int index, int& begin, int& end);

    int m_threads = 1;
    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    const std::function<void(int, int)>* m_body = nullptr;
    int m_count = 0;
    int m_parts = 0;
    std::atomic<unsigned> m_generation{0};
    std::atomic<int> m_pending{0};
    std::atomic<bool> m_stop{false};
    int m_sleepers = 0; // workers waiting on m_wake (under m_mutex)
    std::exception_ptr m_error; // the first exception of a worker's range (under m_mutex)
    unsigned m_fork = 0; // the fork generation the workers were started in
};

} // namespace kv
