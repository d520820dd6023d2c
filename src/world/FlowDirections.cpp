#include "world/FlowDirections.h"

#include "platform/ParallelFor.h"
#include "world/Progress.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace kv {

namespace {

const float kInvSqrt2 = 1.0f / std::sqrt(2.0f);

// Rows are computed in bands of about this many cells before their progress steps and polls
// are reported in order; large enough that starting the worker threads costs little.
constexpr std::size_t kCellsPerBand = std::size_t(1) << 20;

bool GridFits(const Grid2D* grid, std::size_t elementSize, std::size_t width, std::size_t height)
{
    return grid && grid->ElementSize() == elementSize && grid->Width() >= width && grid->Height() >= height;
}

void DirectionsOfRow(GridRows<const float> heights, GridRows<std::uint8_t> directions, std::size_t width,
                     std::size_t height, std::size_t i)
{
    const float* up = heights[i > 0 ? i - 1 : 0];
    const float* mid = heights[i];
    const float* down = heights[i + 1 < height ? i + 1 : height - 1];
    std::uint8_t* out = directions[i];
    for (std::size_t j = 0; j < width; ++j) {
        const std::size_t left = j > 0 ? j - 1 : width - 1;
        const std::size_t right = j + 1 < width ? j + 1 : 0;
        // Neighbours in direction order 0..7.
        const float neighbour[8] = {up[j], up[right], mid[right], down[right],
                                    down[j], down[left], mid[left], up[left]};
        const float centre = mid[j];
        float max = 0.0f;
        std::uint8_t best = kFlowNone;
        for (int k = 0; k < 8; ++k) {
            const float drop = (centre - neighbour[k]) * kFlowWeight[k];
            if (drop > max) {
                max = drop;
                best = static_cast<std::uint8_t>(k);
            }
        }
        out[j] = best;
    }
}

// Walks the flow paths of start cells and counts the cells they pass.
struct FlowWalk {
    GridRows<const std::uint8_t> dir;
    GridRows<std::int32_t> counts;
    long long width;
    long long height;
    long long pathLimit;
    bool reverse;

    // history: at least pathLimit entries, entry 0 = -1. A walk whose position equals the one
    // recorded at half its step count has closed a loop. Entries 1..k-1 are always written by
    // the current walk before step k reads them, so the history is filled once for all walks.
    void WalkRow(long long startRow, std::vector<long long>& history) const
    {
        for (long long startCol = 0; startCol < width; ++startCol) {
            long long row = startRow;
            long long col = startCol;
            long long pos = row * width + col;
            for (long long k = 1; k < pathLimit - 1; ++k) {
                if (pos == history[static_cast<std::size_t>(k / 2)])
                    break;
                history[static_cast<std::size_t>(k)] = pos;
                const auto r = static_cast<std::size_t>(row);
                std::atomic_ref<std::int32_t>(counts[r][col]).fetch_add(1, std::memory_order_relaxed);
                const int e = dir[r][col];
                if (e >= 8)
                    break;
                const int move = reverse ? OppositeFlow(e) : e;
                col += kFlowColumnOffset[move];
                row += kFlowRowOffset[move];
                if (col < 0 || col >= width || row < 0 || row >= height)
                    break;
                pos = row * width + col;
            }
        }
    }
};

// Ends the abortable run: reset the abort value and report -1 when the user asked to stop.
int FinishAbortable()
{
    if (g_abortValue.load() == kAbortValue) {
        g_abortValue.store(0);
        return -1;
    }
    return 0;
}

} // namespace

const float kFlowWeight[8] = {1.0f, kInvSqrt2, 1.0f, kInvSqrt2, 1.0f, kInvSqrt2, 1.0f, kInvSqrt2};

int FindFlowDirections(const Grid2D* heights, std::size_t width, std::size_t height, Grid2D* directions,
                       bool showProgress)
{
    if (!GridFits(heights, sizeof(float), width, height) ||
        !GridFits(directions, sizeof(std::uint8_t), width, height))
        return kFlowBadInput;

    g_abortValue.store(0);
    if (showProgress)
        ProgressBeginHook("Finding 8-way Neighbors", 3);

    const GridRows<const float> h = heights->Rows<float>();
    const GridRows<std::uint8_t> d = directions->Rows<std::uint8_t>();
    // Rows are independent, so a band of them is spread over the cores; the progress steps
    // and polls then follow for each row of the band in order, on this thread.
    const std::size_t rowsPerBand = std::max<std::size_t>(16, kCellsPerBand / std::max<std::size_t>(width, 1));
    for (std::size_t first = 0; first < height; first += rowsPerBand) {
        const std::size_t count = std::min(rowsPerBand, height - first);
        ParallelRows(static_cast<int>(count), [&](int begin, int end) {
            for (int r = begin; r < end; ++r)
                DirectionsOfRow(h, d, width, height, first + static_cast<std::size_t>(r));
        });
        for (std::size_t i = first; i < first + count; ++i) {
            if (showProgress)
                ProgressStepHook(static_cast<double>(i), static_cast<double>(height));
            ProgressPollHook();
        }
    }

    if (showProgress)
        ProgressEndHook();
    return FinishAbortable();
}

int ComputeFlowAccumulation(const Grid2D* heights, std::size_t width, std::size_t height, Grid2D* counts,
                            int maxSteps, bool reverse, bool showProgress)
{
    if (!GridFits(heights, sizeof(float), width, height) ||
        !GridFits(counts, sizeof(std::int32_t), width, height))
        return kFlowBadInput;
    if (width == 0 || height == 0)
        return 0;

    Grid2DPtr directionGrid = Alloc2D(width, height, sizeof(std::uint8_t));
    if (!directionGrid)
        return kFlowBadInput;
    // An abort while the directions are found ends the run here with -1; the abort value
    // was already reset by FindFlowDirections.
    if (FindFlowDirections(heights, width, height, directionGrid.get(), showProgress) < 0)
        return -1;

    if (showProgress)
        ProgressBeginHook("Finding flow", 1);

    const GridRows<const float> h = heights->Rows<float>();
    const GridRows<std::uint8_t> dir = directionGrid->Rows<std::uint8_t>();
    const GridRows<std::int32_t> n = counts->Rows<std::int32_t>();
    ParallelRows(static_cast<int>(height), [&](int begin, int end) {
        for (auto r = static_cast<std::size_t>(begin); r < static_cast<std::size_t>(end); ++r) {
            std::fill(n[r], n[r] + width, 0);
            for (std::size_t c = 0; c < width; ++c)
                if (h[r][c] < 0.0f)
                    dir[r][c] = kFlowSea;
        }
    });

    const long long pathLimit =
        std::min(static_cast<long long>(maxSteps), 2 * (static_cast<long long>(width) + static_cast<long long>(height)));
    const FlowWalk walk{dir, n, static_cast<long long>(width), static_cast<long long>(height), pathLimit, reverse};

    // Walks of different start rows only add to the counts, so a band of start rows is spread
    // over the cores with atomic additions; the sums are the same in any order. The progress
    // steps and polls follow for each row of the band in order, on this thread.
    const std::size_t rowsPerBand = std::max<std::size_t>(4, kCellsPerBand / 8 / width);
    for (std::size_t first = 0; first < height && !AbortRequested(); first += rowsPerBand) {
        const std::size_t count = std::min(rowsPerBand, height - first);
        ParallelRows(static_cast<int>(count), [&](int begin, int end) {
            std::vector<long long> history(static_cast<std::size_t>(std::max(pathLimit, 1LL)), -1);
            for (int r = begin; r < end; ++r)
                walk.WalkRow(static_cast<long long>(first) + r, history);
        });
        for (std::size_t row = first; row < first + count; ++row) {
            if (showProgress)
                ProgressStepHook(static_cast<double>(row), static_cast<double>(height));
            ProgressPollHook();
            if (AbortRequested())
                break;
        }
    }

    if (showProgress)
        ProgressEndHook();
    return FinishAbortable();
}

} // namespace kv
