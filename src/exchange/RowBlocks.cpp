#include "exchange/RowBlocks.h"

#include "platform/ParallelFor.h"

#include <algorithm>
#include <atomic>

namespace kv {

int RowBlockThreads(int threads, int rows)
{
    const int n = threads > 0 ? threads : HardwareThreads();
    return std::max(1, std::min(n, std::max(rows, 1)));
}

bool RunRowBlocks(int rows, int threads, int blockRows, const std::function<void(int row, int slot)>& compute,
                  const std::function<bool(int first, int end)>& finish)
{
    const int n = RowBlockThreads(threads, rows);
    blockRows = std::max(blockRows, 1);
    for (int first = 0; first < rows; first += blockRows) {
        const int end = std::min(rows, first + blockRows);
        std::atomic<int> next{first};
        ParallelRows(
            n,
            [&](int begin, int stop) {
                for (int slot = begin; slot < stop; ++slot)
                    for (int row = next.fetch_add(1); row < end; row = next.fetch_add(1))
                        compute(row, slot);
            },
            n);
        if (!finish(first, end))
            return false;
    }
    return true;
}

} // namespace kv
