#include "world/AltitudeGrid.h"

#include "base/Progress.h"
#include "world/RowEvaluation.h"
#include "world/SurfaceSampler.h"
#include "world/GridGeometry.h"

#include <cstring>

namespace kv {

bool EvaluateAltitudeGrid(const SurfaceSampler& prototype, Grid2D& grid, const AltitudeGridProgress& progress,
                          int threads)
{
    const int w = static_cast<int>(grid.Width()), h = static_cast<int>(grid.Height());
    GridRows<float> rows = grid.Rows<float>();
    const double total = static_cast<double>(progress.totalFactor) * h;
    // A stale abort value stops a loop that looks at it before its first row.
    if (progress.stopOnAbort && AbortRequested())
        return false;
    ProgressBeginHook(progress.text, progress.stepMode);
    // The hooks see every row in order, as a row-by-row loop would report them.
    const int result = EvaluateRowBatches(
        prototype, h,
        [&](SurfaceSampler& sampler, int r) {
            float* out = rows[static_cast<std::size_t>(r)];
            double latitude = 0.0, longitude = 0.0;
            for (int c = 0; c < w; ++c) {
                GridCellToLatLon(c, r, w, h, latitude, longitude);
                out[c] = sampler.GetAltitude(latitude, longitude);
            }
        },
        [&](int first, int last) {
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
                    return false;
                }
            }
            return true;
        },
        threads, 1);
    ProgressEndHook();
    return result == 0;
}

} // namespace kv
