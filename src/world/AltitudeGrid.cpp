#include "world/AltitudeGrid.h"

#include "base/Progress.h"
#include "platform/ParallelFor.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

namespace kv {

void AltitudeCellToLatLon(int col, int row, int width, int height, double& latitude, double& longitude)
{
    latitude = height > 1 ? row * 180.0 / (height - 1) - 90.0 : 0.0;
    longitude = width > 1 ? col * 360.0 / (width - 1) - 180.0 : 0.0;
}

bool EvaluateAltitudeGrid(const SurfaceSampler& prototype, Grid2D& grid, const AltitudeGridProgress& progress,
                          int threads)
{
    const int w = static_cast<int>(grid.Width()), h = static_cast<int>(grid.Height());
    if (threads <= 0)
        threads = HardwareThreads();
    threads = std::max(1, std::min(threads, h));

    // One sampler per thread, each on its own cache lines (it caches the last latitude).
    struct alignas(64) Worker {
        explicit Worker(const SurfaceSampler& p) : sampler(p) {}
        SurfaceSampler sampler;
    };
    std::vector<std::unique_ptr<Worker>> workers;
    workers.reserve(static_cast<std::size_t>(threads));
    for (int i = 0; i < threads; ++i)
        workers.push_back(std::make_unique<Worker>(prototype));

    GridRows<float> rows = grid.Rows<float>();
    auto evaluateRow = [&](const SurfaceSampler& sampler, int r) {
        float* out = rows[static_cast<std::size_t>(r)];
        double latitude = 0.0, longitude = 0.0;
        for (int c = 0; c < w; ++c) {
            AltitudeCellToLatLon(c, r, w, h, latitude, longitude);
            out[c] = sampler.GetAltitude(latitude, longitude);
        }
    };

    // Bands of a few rows per thread: the user sees progress and can stop the loop
    // without waiting for the whole grid. Rows are handed out one at a time within a band
    // because polar rows cost less than equatorial ones.
    const int bandRows = threads == 1 ? 1 : threads * 4;
    const double total = static_cast<double>(progress.totalFactor) * h;
    bool stopped = progress.stopOnAbort && AbortRequested();
    ProgressBeginHook(progress.text, progress.stepMode);
    for (int first = 0; first < h && !stopped; first += bandRows) {
        const int last = std::min(h, first + bandRows);
        if (threads == 1) {
            NoiseEvaluationScope evaluating;
            for (int r = first; r < last; ++r)
                evaluateRow(workers[0]->sampler, r);
        } else {
            std::atomic<int> next{first};
            ParallelRows(
                threads,
                [&](int begin, int end) {
                    NoiseEvaluationScope evaluating;
                    for (int i = begin; i < end; ++i)
                        for (int r = next.fetch_add(1); r < last; r = next.fetch_add(1))
                            evaluateRow(workers[static_cast<std::size_t>(i)]->sampler, r);
                },
                threads);
        }
        for (int r = first; r < last; ++r) {
            if (progress.pollFirst) {
                ProgressPollHook();
                ProgressStepHook(r, total);
            } else {
                ProgressStepHook(r, total);
                ProgressPollHook();
            }
            if (progress.stopOnAbort && AbortRequested()) {
                // A row-by-row loop would not have reached the rows after this one.
                for (int later = r + 1; later < last; ++later)
                    std::memset(rows[static_cast<std::size_t>(later)], 0, sizeof(float) * static_cast<std::size_t>(w));
                stopped = true;
                break;
            }
        }
    }
    ProgressEndHook();
    return !stopped;
}

} // namespace kv
