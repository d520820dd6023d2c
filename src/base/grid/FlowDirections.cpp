#include "base/grid/FlowDirections.h"

#include "platform/ParallelFor.h"
#include "base/Progress.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>

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

// The direction and count grids of one accumulation run.
struct FlowCells {
    GridRows<const std::uint8_t> dir;
    GridRows<std::int32_t> counts;
    std::size_t width;
    std::size_t height;

    // The cell the path from (row, col) moves to, or false when the path ends there. Paths end
    // at directions 8 and above and at the grid's edges (columns do not wrap here).
    bool Next(std::size_t row, std::size_t col, int direction, std::size_t& nextRow, std::size_t& nextCol) const
    {
        if (direction >= 8)
            return false;
        const long long c = static_cast<long long>(col) + kFlowColumnOffset[direction];
        const long long r = static_cast<long long>(row) + kFlowRowOffset[direction];
        if (c < 0 || c >= static_cast<long long>(width) || r < 0 || r >= static_cast<long long>(height))
            return false;
        nextRow = static_cast<std::size_t>(r);
        nextCol = static_cast<std::size_t>(c);
        return true;
    }
};

// Reports one finished start row; true when the user asked to stop.
bool RowDone(std::size_t row, std::size_t height, bool showProgress)
{
    if (showProgress)
        ProgressStepHook(static_cast<double>(row), static_cast<double>(height));
    ProgressPollHook();
    return AbortRequested();
}

// Walks the path of every start cell for at most pathLimit - 2 cells, adding 1 to each cell
// it passes. history: at least pathLimit entries with entry 0 = -1. A walk whose position
// equals the one recorded at half its step count has closed a loop. Step k reads entry k / 2,
// which is entry 0 or one the same walk wrote at an earlier step, so no other entry needs
// clearing between walks.
void WalkRow(const FlowCells& cells, std::size_t startRow, long long pathLimit, bool reverse, long long* history)
{
    const auto width = static_cast<long long>(cells.width);
    for (std::size_t startCol = 0; startCol < cells.width; ++startCol) {
        std::size_t row = startRow;
        std::size_t col = startCol;
        long long pos = static_cast<long long>(row) * width + static_cast<long long>(col);
        for (long long k = 1; k < pathLimit - 1; ++k) {
            if (pos == history[k / 2])
                break;
            history[k] = pos;
            std::atomic_ref<std::int32_t>(cells.counts[row][col]).fetch_add(1, std::memory_order_relaxed);
            const int e = cells.dir[row][col];
            if (!cells.Next(row, col, reverse && e < 8 ? OppositeFlow(e) : e, row, col))
                break;
            pos = static_cast<long long>(row) * width + static_cast<long long>(col);
        }
    }
}

void WalkEveryStartCell(const FlowCells& cells, long long pathLimit, bool reverse, bool showProgress)
{
    for (std::size_t r = 0; r < cells.height; ++r)
        std::fill(cells.counts[r], cells.counts[r] + cells.width, 0);
    // Walks only add to the counts, so a band of start rows is spread over the cores with
    // atomic additions; the sums are the same in any order. The progress steps and polls
    // follow for each row of the band in order, on this thread.
    const std::size_t rowsPerBand = std::max<std::size_t>(4, kCellsPerBand / 4 / cells.width);
    for (std::size_t first = 0; first < cells.height; first += rowsPerBand) {
        const std::size_t count = std::min(rowsPerBand, cells.height - first);
        ParallelRows(static_cast<int>(count), [&](int begin, int end) {
            std::unique_ptr<long long[]> history(new long long[static_cast<std::size_t>(std::max(pathLimit, 1LL))]);
            history[0] = -1;
            for (int r = begin; r < end; ++r)
                WalkRow(cells, first + static_cast<std::size_t>(r), pathLimit, reverse, history.get());
        });
        for (std::size_t row = first; row < first + count; ++row)
            if (RowDone(row, cells.height, showProgress))
                return;
    }
}

enum class UpstreamResult { Exact, Aborted, Inexact };

// Path lengths of the one-pass count are kept in 16 bits.
constexpr long long kLongestCountedPath = 0xFFFF;

// Downhill counts in one pass: each cell's count is the number of cells whose path passes
// through it. Cells are taken in an order where every cell comes after all cells flowing into
// it: start at cells nothing flows into and follow each path while the cell it reaches has no
// other unfinished inflow. Inexact when a path is longer than longestPath cells (a walk
// would stop early) or when the working grids cannot be had.
UpstreamResult CountUpstreamCells(const FlowCells& cells, long long longestPath, bool showProgress)
{
    Grid2DPtr inflowGrid = Alloc2D(cells.width, cells.height, sizeof(std::uint8_t));
    Grid2DPtr lengthGrid = Alloc2D(cells.width, cells.height, sizeof(std::uint16_t));
    if (!inflowGrid || !lengthGrid)
        return UpstreamResult::Inexact;
    // inflow: neighbours still to be finished that flow into the cell (at most 8); kDone once
    // the cell was reached by its last inflow. length: the longest path ending at the cell.
    constexpr std::uint8_t kDone = 0xFF;
    const GridRows<std::uint8_t> inflow = inflowGrid->Rows<std::uint8_t>();
    const GridRows<std::uint16_t> length = lengthGrid->Rows<std::uint16_t>();
    std::size_t nr = 0, nc = 0;
    for (std::size_t r = 0; r < cells.height; ++r)
        for (std::size_t c = 0; c < cells.width; ++c) {
            cells.counts[r][c] = 1;
            length[r][c] = 1;
            if (cells.Next(r, c, cells.dir[r][c], nr, nc))
                ++inflow[nr][nc];
        }

    for (std::size_t r = 0; r < cells.height; ++r) {
        for (std::size_t c = 0; c < cells.width; ++c) {
            if (inflow[r][c] != 0)
                continue;
            std::size_t row = r, col = c;
            while (cells.Next(row, col, cells.dir[row][col], nr, nc)) {
                cells.counts[nr][nc] += cells.counts[row][col];
                const int pathLength = length[row][col] + 1;
                if (pathLength > longestPath)
                    return UpstreamResult::Inexact;
                length[nr][nc] = std::max<std::uint16_t>(length[nr][nc], static_cast<std::uint16_t>(pathLength));
                if (--inflow[nr][nc] != 0)
                    break;
                inflow[nr][nc] = kDone;
                row = nr;
                col = nc;
            }
        }
        if (RowDone(r, cells.height, showProgress))
            return UpstreamResult::Aborted;
    }
    return UpstreamResult::Exact;
}

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
    const FlowCells cells{dir, n, width, height};

    // Downhill paths never repeat a cell, so when no path is longer than a walk may go, every
    // count is simply the number of cells upstream of it, itself included: one pass over the
    // grid gives what the walks would. Otherwise (uphill walks, or a path longer than the
    // limit) every start cell is walked.
    UpstreamResult result = UpstreamResult::Inexact;
    if (!reverse && pathLimit >= 3 && pathLimit - 2 <= kLongestCountedPath)
        result = CountUpstreamCells(cells, pathLimit - 2, showProgress);
    if (result == UpstreamResult::Inexact)
        WalkEveryStartCell(cells, pathLimit, reverse, showProgress);

    if (showProgress)
        ProgressEndHook();
    return FinishAbortable();
}

} // namespace kv
