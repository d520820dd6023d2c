// A pointer that one thread replaces while others read through it, with no lock per read.
//
// Readers register in one of two counters, chosen by the current epoch, for as long as they
// hold the pointer. Replace publishes the new object, moves the epoch on, then waits until
// every reader of the old epoch has left before it frees the old object. Readers that arrive
// after the switch register in the other counter and see the new object, so the wait ends as
// soon as the reads in flight are done.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace kv {

template <class T>
class SwapGuard {
public:
    class Reader {
    public:
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;
        ~Reader() { m_counter->fetch_sub(1, std::memory_order_release); }
        const T* get() const { return m_object; }
        const T* operator->() const { return m_object; }
        explicit operator bool() const { return m_object != nullptr; }

    private:
        friend class SwapGuard;
        Reader(std::atomic<int>* counter, const T* object) : m_counter(counter), m_object(object) {}
        std::atomic<int>* m_counter;
        const T* m_object;
    };

    SwapGuard() = default;
    ~SwapGuard() { delete m_object.load(); }
    SwapGuard(const SwapGuard&) = delete;
    SwapGuard& operator=(const SwapGuard&) = delete;

    Reader Read() const {
        for (;;) {
            const unsigned epoch = m_epoch.load();
            std::atomic<int>& counter = m_readers[epoch & 1u];
            counter.fetch_add(1);
            if (m_epoch.load() == epoch) {
                return Reader(&counter, m_object.load());
            }
            counter.fetch_sub(1);
        }
    }

    // Installs next (may be null) and frees the previous object once no reader holds it.
    void Replace(std::unique_ptr<T> next) {
        std::lock_guard<std::mutex> lock(m_writer);
        std::unique_ptr<T> previous(m_object.exchange(next.release()));
        const unsigned epoch = m_epoch.load();
        m_epoch.store(epoch + 1);
        const std::atomic<int>& counter = m_readers[epoch & 1u];
        while (counter.load() != 0) {
            std::this_thread::yield();
        }
        // previous is freed here, after the last reader that could see it has gone.
    }

private:
    std::atomic<T*> m_object{nullptr};
    mutable std::atomic<unsigned> m_epoch{0};
    mutable std::atomic<int> m_readers[2]{};
    std::mutex m_writer;
};

} // namespace kv
