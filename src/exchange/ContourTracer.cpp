#include "exchange/ContourTracer.h"

#include "base/raster/VideoBuffer.h"
#include "platform/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>

namespace kv {

namespace {

// Edge marks in the visited grid: per corner (i, j), the edge to its right neighbour and
// the edge to the corner below.
constexpr uint8_t kHorizontalUsed = 1;
constexpr uint8_t kVerticalUsed = 2;

inline bool Crossed(double a, double b, double x)
{
    return (a <= x && b > x) || (b <= x && a > x);
}

// Position of the level along an edge from value a to value b (0 at a, 1 at b).
inline double Fraction(double a, double b, double x)
{
    const double t = (x - a) / (b - a);
    if (t >= 0.0 && t <= 1.0)
        return t;
    // Infinite corner values: the crossing lies at the finite end.
    if (std::isinf(a))
        return 1.0;
    if (std::isinf(b))
        return 0.0;
    return t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : 0.5);
}

// The range of the corner values of runs of kBlock cells of each row of cells: no cell of
// a run is crossed by a level outside [low, high). Several levels of one grid share it, so
// that each level's scan passes over the runs it cannot cross.
constexpr int kBlock = 32;
struct BlockRanges {
    int blocksPerRow = 0;
    std::vector<float> low, high;

    void Build(GridRows<const float> g, int width, int height, int threads)
    {
        blocksPerRow = (width - 1 + kBlock - 1) / kBlock;
        const std::size_t n = static_cast<std::size_t>(blocksPerRow) * static_cast<std::size_t>(height - 1);
        low.assign(n, 0.0f);
        high.assign(n, 0.0f);
        ParallelRows(
            height - 1,
            [&](int begin, int end) {
                for (int i = begin; i < end; ++i) {
                    const float* a = g[static_cast<std::size_t>(i)];
                    const float* b = g[static_cast<std::size_t>(i) + 1];
                    for (int k = 0; k < blocksPerRow; ++k) {
                        const int j0 = k * kBlock, j1 = std::min(width - 1, j0 + kBlock);
                        float lo = std::numeric_limits<float>::infinity(), hi = -lo;
                        for (int j = j0; j <= j1; ++j) {
                            lo = std::fmin(lo, std::fmin(a[j], b[j]));
                            hi = std::fmax(hi, std::fmax(a[j], b[j]));
                        }
                        const std::size_t at = static_cast<std::size_t>(i) * blocksPerRow + k;
                        low[at] = lo;
                        high[at] = hi;
                    }
                }
            },
            threads);
    }
    // False when no cell of the run can be crossed by x.
    bool MayCross(int row, int block, double x) const
    {
        const std::size_t at = static_cast<std::size_t>(row) * blocksPerRow + block;
        return low[at] <= x && x < high[at];
    }
};

class Tracer {
public:
    Tracer(TraceCallback& sink, GridRows<const float> grid, double level, int width, int height, GridRows<uint8_t> used,
           line_pts& points, int maxPoints, const VideoBuffer* mask)
        : m_sink(sink), m_g(grid), m_x(level), m_w(width), m_h(height), m_used(used), m_points(points),
          m_maxPoints(std::max(maxPoints, 2)), m_mask(mask)
    {
    }

    int Run(const BlockRanges* ranges = nullptr)
    {
        for (int i = 0; i + 1 < m_h; ++i) {
            const float* top = m_g[static_cast<std::size_t>(i)];
            const float* bottom = m_g[static_cast<std::size_t>(i) + 1];
            for (int j = 0; j + 1 < m_w; ++j) {
                if (ranges && j % kBlock == 0 && !ranges->MayCross(i, j / kBlock, m_x)) {
                    j += kBlock - 1;
                    continue;
                }
                // Quick rejection: all four corners on one side of the level.
                const bool s0 = top[j] > m_x, s1 = top[j + 1] > m_x, s2 = bottom[j + 1] > m_x, s3 = bottom[j] > m_x;
                if (s0 == s1 && s1 == s2 && s2 == s3 && !(std::isnan(top[j]) || std::isnan(top[j + 1]) ||
                                                          std::isnan(bottom[j + 1]) || std::isnan(bottom[j])))
                    continue;
                if (m_mask && m_mask->GetPixel(j, i) == 0)
                    continue;
                for (;;) {
                    const int start = FirstFreeEdge(i, j);
                    if (start < 0)
                        break;
                    const int result = TraceFrom(i, j, start);
                    if (result < 0)
                        return result;
                }
            }
        }
        return 0;
    }

private:
    unsigned CrossedEdges(int i, int j) const
    {
        const float* top = m_g[static_cast<std::size_t>(i)];
        const float* bottom = m_g[static_cast<std::size_t>(i) + 1];
        const double c0 = top[j], c1 = top[j + 1], c2 = bottom[j + 1], c3 = bottom[j];
        return (Crossed(c0, c1, m_x) ? 1u : 0u) | (Crossed(c1, c2, m_x) ? 2u : 0u) | (Crossed(c2, c3, m_x) ? 4u : 0u) |
               (Crossed(c3, c0, m_x) ? 8u : 0u);
    }

    // The mark cell and bit of edge k of cell (i, j).
    bool Used(int i, int j, int k) const
    {
        switch (k) {
        case 0: return (m_used[static_cast<std::size_t>(i)][j] & kHorizontalUsed) != 0;
        case 1: return (m_used[static_cast<std::size_t>(i)][j + 1] & kVerticalUsed) != 0;
        case 2: return (m_used[static_cast<std::size_t>(i) + 1][j] & kHorizontalUsed) != 0;
        default: return (m_used[static_cast<std::size_t>(i)][j] & kVerticalUsed) != 0;
        }
    }
    void Mark(int i, int j, int k)
    {
        switch (k) {
        case 0: m_used[static_cast<std::size_t>(i)][j] |= kHorizontalUsed; break;
        case 1: m_used[static_cast<std::size_t>(i)][j + 1] |= kVerticalUsed; break;
        case 2: m_used[static_cast<std::size_t>(i) + 1][j] |= kHorizontalUsed; break;
        default: m_used[static_cast<std::size_t>(i)][j] |= kVerticalUsed; break;
        }
    }
    // One number per edge of the grid, the same from both cells beside it.
    long long EdgeId(int i, int j, int k) const
    {
        const long long w = m_w;
        switch (k) {
        case 0: return (static_cast<long long>(i) * w + j) * 2;
        case 1: return (static_cast<long long>(i) * w + j + 1) * 2 + 1;
        case 2: return (static_cast<long long>(i + 1) * w + j) * 2;
        default: return (static_cast<long long>(i) * w + j) * 2 + 1;
        }
    }

    int FirstFreeEdge(int i, int j) const
    {
        const unsigned crossed = CrossedEdges(i, j);
        for (int k = 0; k < 4; ++k)
            if ((crossed & (1u << k)) && !Used(i, j, k))
                return k;
        return -1;
    }

    // The crossing point of edge k of cell (i, j), measured from the edge's left or upper
    // corner so that both cells beside an edge give the same point.
    int AddCrossing(int i, int j, int k)
    {
        const float* top = m_g[static_cast<std::size_t>(i)];
        const float* bottom = m_g[static_cast<std::size_t>(i) + 1];
        double x = 0.0, y = 0.0;
        switch (k) {
        case 0: x = j + Fraction(top[j], top[j + 1], m_x); y = i; break;
        case 1: x = j + 1; y = i + Fraction(top[j + 1], bottom[j + 1], m_x); break;
        case 2: x = j + Fraction(bottom[j], bottom[j + 1], m_x); y = i + 1; break;
        default: x = j; y = i + Fraction(top[j], bottom[j], m_x); break;
        }
        return m_points.AddPoint(static_cast<float>(x), static_cast<float>(y));
    }

    int Exit(int i, int j, int entry) const
    {
        const unsigned crossed = CrossedEdges(i, j);
        const int n = std::popcount(crossed);
        if (n == 2) {
            for (int k = 0; k < 4; ++k)
                if (k != entry && (crossed & (1u << k)))
                    return k;
            return -1;
        }
        if (n != 4)
            return -1;
        const float* top = m_g[static_cast<std::size_t>(i)];
        const float* bottom = m_g[static_cast<std::size_t>(i) + 1];
        const double c[4] = {top[j], top[j + 1], bottom[j + 1], bottom[j]};
        const double mean = (c[0] + c[1] + c[2] + c[3]) / 4.0;
        const double entryStart = c[entry];
        if ((m_x >= mean && m_x < entryStart) || (m_x < mean && m_x >= entryStart))
            return (entry + 3) % 4;
        return (entry + 1) % 4;
    }

    int Deliver(bool closed)
    {
        m_points.SetClosed(closed);
        if (m_points.Count() < 2)
            return 0;
        const int answer = m_sink.Trace(m_points);
        return answer < 0 ? answer : 0;
    }

    // A line from edge `entry` of cell (i, j): first on through the cell, and when it
    // does not come back to that edge, from the same edge the other way through the cell
    // across it, as a line of its own.
    int TraceFrom(int i, int j, int entry)
    {
        Mark(i, j, entry);
        bool closed = false;
        int result = Walk(i, j, entry, true, closed);
        if (result < 0 || closed)
            return result;
        int ni = i, nj = j, nentry = 0;
        if (!Across(ni, nj, entry, nentry))
            return 0;
        return Walk(ni, nj, nentry, false, closed);
    }

    // Moves (i, j) across edge k; `entry` becomes the same edge seen from the new cell.
    // False when the new cell lies outside the grid.
    bool Across(int& i, int& j, int k, int& entry) const
    {
        switch (k) {
        case 0: --i; entry = 2; break;
        case 1: ++j; entry = 3; break;
        case 2: ++i; entry = 0; break;
        default: --j; entry = 1; break;
        }
        return i >= 0 && j >= 0 && i <= m_h - 2 && j <= m_w - 2;
    }

    // Follows the line from its (already marked) entry edge until it leaves the grid,
    // meets a cell it cannot pass, meets a marked edge, or (`mayClose`) comes back to the
    // entry edge. Lines reaching maxPoints are handed over and continued.
    int Walk(int i, int j, int entry, bool mayClose, bool& closed)
    {
        m_points.Clear();
        m_points.SetClosed(false);
        if (AddCrossing(i, j, entry) < 0)
            return kTraceNoMemory;
        const long long startEdge = EdgeId(i, j, entry);
        bool cut = false;
        closed = false;
        for (;;) {
            const int exit = Exit(i, j, entry);
            if (exit < 0)
                break;
            if (AddCrossing(i, j, exit) < 0)
                return kTraceNoMemory;
            if (mayClose && EdgeId(i, j, exit) == startEdge) {
                closed = true;
                break;
            }
            if (Used(i, j, exit))
                break;
            Mark(i, j, exit);
            if (!Across(i, j, exit, entry))
                break;
            if (m_points.Count() >= m_maxPoints) {
                const int answer = Deliver(false);
                if (answer < 0)
                    return answer;
                m_points.KeepLast();
                cut = true;
            }
        }
        // A ring handed over in pieces is not closed in any one of them.
        const bool ring = closed;
        const int answer = Deliver(closed && !cut);
        closed = ring;
        return answer;
    }

    TraceCallback& m_sink;
    GridRows<const float> m_g;
    double m_x;
    int m_w;
    int m_h;
    GridRows<uint8_t> m_used;
    line_pts& m_points;
    int m_maxPoints;
    const VideoBuffer* m_mask;
};

// Keeps every line it is given.
class LineStore : public TraceCallback {
public:
    explicit LineStore(std::vector<line_pts>& lines) : m_lines(lines) {}
    int Trace(const line_pts& line) override
    {
        m_lines.push_back(line);
        return 0;
    }

private:
    std::vector<line_pts>& m_lines;
};

} // namespace

namespace {

int Trace(TraceCallback& sink, GridRows<const float> grid, double level, int width, int height, Grid2D* visited,
          line_pts* points, int maxPoints, const VideoBuffer* mask, const BlockRanges* ranges)
{
    if (!grid || width < 2 || height < 2)
        return kTraceBadGrid;
    Grid2DPtr ownVisited;
    if (!visited || visited->Width() != static_cast<std::size_t>(width) ||
        visited->Height() != static_cast<std::size_t>(height) || visited->ElementSize() != 1) {
        ownVisited = Alloc2D(static_cast<std::size_t>(width), static_cast<std::size_t>(height), 1);
        if (!ownVisited)
            return kTraceNoMemory;
        visited = ownVisited.get();
    } else {
        visited->Clear();
    }
    line_pts ownPoints;
    if (!points)
        points = &ownPoints;
    try {
        Tracer tracer(sink, grid, level, width, height, visited->Rows<uint8_t>(), *points, maxPoints, mask);
        return tracer.Run(ranges);
    } catch (const std::bad_alloc&) {
        return kTraceNoMemory;
    }
}

} // namespace

int TraceContours(TraceCallback& sink, GridRows<const float> grid, double level, int width, int height,
                  Grid2D* visited, line_pts* points, int maxPoints, const VideoBuffer* mask)
{
    return Trace(sink, grid, level, width, height, visited, points, maxPoints, mask, nullptr);
}

int TraceContourLevels(const std::vector<double>& levels, GridRows<const float> grid, int width, int height,
                       int maxPoints, const VideoBuffer* mask, const LevelLinesSink& deliver, int threads)
{
    if (!grid || width < 2 || height < 2)
        return kTraceBadGrid;
    const int count = static_cast<int>(levels.size());
    std::vector<std::vector<line_pts>> traced(levels.size());
    std::vector<int> results(levels.size(), 0);
    const int workers = std::max(1, std::min(threads > 0 ? threads : HardwareThreads(), count));
    BlockRanges ranges;
    try {
        ranges.Build(grid, width, height, threads > 0 ? threads : HardwareThreads());
    } catch (const std::bad_alloc&) {
        return kTraceNoMemory;
    }
    std::atomic<int> next{0};
    ParallelRows(
        workers,
        [&](int begin, int end) {
            for (int w = begin; w < end; ++w) {
                Grid2DPtr visited = Alloc2D(static_cast<std::size_t>(width), static_cast<std::size_t>(height), 1);
                line_pts points;
                for (int k = next.fetch_add(1); k < count; k = next.fetch_add(1)) {
                    if (!visited) {
                        results[static_cast<std::size_t>(k)] = kTraceNoMemory;
                        continue;
                    }
                    try {
                        LineStore store(traced[static_cast<std::size_t>(k)]);
                        results[static_cast<std::size_t>(k)] =
                            Trace(store, grid, levels[static_cast<std::size_t>(k)], width, height, visited.get(),
                                  &points, maxPoints, mask, &ranges);
                    } catch (const std::bad_alloc&) {
                        results[static_cast<std::size_t>(k)] = kTraceNoMemory;
                    }
                }
            }
        },
        workers);
    for (int k = 0; k < count; ++k) {
        if (results[static_cast<std::size_t>(k)] < 0)
            return results[static_cast<std::size_t>(k)];
        const int answer = deliver(k, traced[static_cast<std::size_t>(k)]);
        if (answer < 0)
            return answer;
        std::vector<line_pts>().swap(traced[static_cast<std::size_t>(k)]);
    }
    return 0;
}

} // namespace kv
