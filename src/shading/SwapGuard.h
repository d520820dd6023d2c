// A pointer that one thread replaces while others read through it, with no lock per read.
//
// Readers register in one of two sets of counters, chosen by the current epoch, for as long
// as they hold the pointer. Replace publishes the new object, moves the epoch on, then waits
// until every reader of the old epoch has left before it frees the old object. Readers that
// arrive after the switch register in the other set and see the new object, so the wait ends
// as soon as the reads in flight are done. A set has one counter per cache line for several
// slots, each thread using its own slot: render threads reading at every pixel then do not
// pull one line back and forth between their cores.
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
        const unsigned slot = ThreadSlot();
        for (;;) {
            const unsigned epoch = m_epoch.load();
            std::atomic<int>& counter = m_readers[epoch & 1u][slot].count;
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
        for (const Counter& counter : m_readers[epoch & 1u]) {
            while (counter.count.load() != 0) {
                std::this_thread::yield();
            }
        }
        // previous is freed here, after the last reader that could see it has gone.
    }

private:
    static constexpr unsigned kSlots = 16;
    struct alignas(64) Counter {
        std::atomic<int> count{0};
    };
    // The calling thread's slot, handed out in turn as threads first read.
    static unsigned ThreadSlot() {
        static std::atomic<unsigned> next{0};
        thread_local const unsigned slot = next.fetch_add(1, std::memory_order_relaxed) % kSlots;
        return slot;
    }

    std::atomic<T*> m_object{nullptr};
    mutable std::atomic<unsigned> m_epoch{0};
    mutable Counter m_readers[2][kSlots];
    std::mutex m_writer;
};

} // namespace kv
