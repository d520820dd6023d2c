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

} // namespace kv
