#include "world/RowEvaluation.h"

#include "base/Progress.h"
#include "platform/ParallelFor.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace kv {

int EvaluateRowBatches(const SurfaceSampler& prototype, int rows,
                       const std::function<void(SurfaceSampler& sampler, int row)>& rowBody,
                       const std::function<bool(int first, int last)>& afterBatch, int threads,
                       int minimumBatchRows)
{
    if (rows <= 0)
        return 0;
    if (threads <= 0)
        threads = HardwareThreads();
    threads = std::max(1, std::min(threads, rows));
    struct alignas(64) Worker {
        explicit Worker(const SurfaceSampler& p) : sampler(p) {}
        SurfaceSampler sampler;
    };
    std::vector<std::unique_ptr<Worker>> workers;
    for (int i = 0; i < threads; ++i)
        workers.push_back(std::make_unique<Worker>(prototype));

    const int batchRows = std::max(threads * 4, minimumBatchRows);
    for (int first = 0; first < rows; first += batchRows) {
        const int last = std::min(rows, first + batchRows);
        std::atomic<int> next{first};
        ParallelRows(
            threads,
            [&](int begin, int end) {
                for (int w = begin; w < end; ++w) {
                    SurfaceSampler& sampler = workers[static_cast<size_t>(w)]->sampler;
                    NoiseEvaluationScope evaluating;
                    for (int row = next.fetch_add(1, std::memory_order_relaxed); row < last;
                         row = next.fetch_add(1, std::memory_order_relaxed))
                        rowBody(sampler, row);
                }
            },
            threads);
        if (afterBatch && !afterBatch(first, last))
            return -1;
    }
    return 0;
}

int EvaluateRows(const SurfaceSampler& prototype, int rows,
                 const std::function<void(SurfaceSampler& sampler, int row)>& rowBody, const char* progressText,
                 int threads)
{
    if (rows <= 0)
        return 0;
    if (progressText)
        ProgressBeginHook(progressText, 1);
    const int result = EvaluateRowBatches(
        prototype, rows, rowBody,
        [&](int, int last) {
            if (progressText) {
                ProgressStepHook(last, rows);
                ProgressPollHook();
            }
            return !AbortRequested();
        },
        threads);
    if (progressText)
        ProgressEndHook();
    return result;
}

} // namespace kv
