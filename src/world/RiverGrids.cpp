#include "world/RiverGrids.h"

#include "base/Progress.h"
#include "base/layers/ImageOverlay.h"
#include "platform/ParallelFor.h"
#include "world/GridGeometry.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>

namespace kv {

const float kRiverWeight[8] = {static_cast<float>(1.0 / std::sqrt(2.0)), 1.0f,
                               static_cast<float>(1.0 / std::sqrt(2.0)), 1.0f,
                               static_cast<float>(1.0 / std::sqrt(2.0)), 1.0f,
                               static_cast<float>(1.0 / std::sqrt(2.0)), 1.0f};

namespace {

bool Fits(const Grid2D& grid, std::size_t elementSize, std::size_t width, std::size_t height)
{
    return grid.ElementSize() == elementSize && grid.Width() == width && grid.Height() == height;
}

// The longest walk, in cells, for a grid.
long long WalkLimit(std::size_t width, std::size_t height)
{
    return 4 * (static_cast<long long>(width) + static_cast<long long>(height));
}

// Reports one finished row; true when the user asked to stop.
bool RowDone(std::size_t row, std::size_t height)
{
    ProgressStepHook(static_cast<double>(row), static_cast<double>(height));
    ProgressPollHook();
    return AbortRequested();
}

// The direction and count grids of one accumulation.
struct WalkCells {
    GridRows<const std::uint8_t> dir;
    GridRows<std::uint32_t> counts;
    int width;
    int height;

    bool Next(int row, int col, int& nextRow, int& nextCol) const
    {
        const int d = dir[static_cast<std::size_t>(row)][col];
        if (d >= 8)
            return false;
        RiverNeighbour(row, col, d, width, height, nextRow, nextCol);
        return true;
    }
};

enum class CountResult { Exact, Aborted, Inexact };

// Walks only descend, so a cell's count is the number of cells upstream of it (itself
// included) as long as no path is longer than a walk may go. One pass: a cell is taken
// once every cell flowing into it was, following each path while the cell it reaches has
// no other unfinished inflow. Inexact when some path is longer than the limit.
CountResult CountUpstream(const WalkCells& cells, long long limit)
{
    const auto w = static_cast<std::size_t>(cells.width), h = static_cast<std::size_t>(cells.height);
    Grid2DPtr inflowGrid = Alloc2D(w, h, sizeof(std::uint8_t));
    Grid2DPtr lengthGrid = Alloc2D(w, h, sizeof(std::uint16_t));
    if (!inflowGrid || !lengthGrid || limit > 0xFFFF)
        return CountResult::Inexact;
    constexpr std::uint8_t kDone = 0xFF;
    const GridRows<std::uint8_t> inflow = inflowGrid->Rows<std::uint8_t>();
    const GridRows<std::uint16_t> length = lengthGrid->Rows<std::uint16_t>();
    int nr = 0, nc = 0;
    for (int r = 0; r < cells.height; ++r)
        for (int c = 0; c < cells.width; ++c) {
            cells.counts[static_cast<std::size_t>(r)][c] = 1;
            length[static_cast<std::size_t>(r)][c] = 1;
            if (cells.Next(r, c, nr, nc))
                ++inflow[static_cast<std::size_t>(nr)][nc];
        }
    for (int r = 0; r < cells.height; ++r) {
        for (int c = 0; c < cells.width; ++c) {
            if (inflow[static_cast<std::size_t>(r)][c] != 0)
                continue;
            int row = r, col = c;
            while (cells.Next(row, col, nr, nc)) {
                const auto ur = static_cast<std::size_t>(row), dr = static_cast<std::size_t>(nr);
                cells.counts[dr][nc] += cells.counts[ur][col];
                const int pathLength = length[ur][col] + 1;
                if (pathLength > limit)
                    return CountResult::Inexact;
                length[dr][nc] = std::max<std::uint16_t>(length[dr][nc], static_cast<std::uint16_t>(pathLength));
                if (--inflow[dr][nc] != 0)
                    break;
                inflow[dr][nc] = kDone;
                row = nr;
                col = nc;
            }
        }
        if (RowDone(static_cast<std::size_t>(r), h))
            return CountResult::Aborted;
    }
    return CountResult::Exact;
}

// Every start cell walked, at most `limit` cells each. Walks only add, so bands of start
// rows are spread over the cores with atomic additions; the progress steps and polls
// follow for each row of the band in order, on this thread.
bool WalkEveryCell(const WalkCells& cells, long long limit)
{
    for (int r = 0; r < cells.height; ++r)
        std::fill(cells.counts[static_cast<std::size_t>(r)], cells.counts[static_cast<std::size_t>(r)] + cells.width,
                  0u);
    const int rowsPerBand = std::max(4, (1 << 18) / std::max(cells.width, 1));
    for (int first = 0; first < cells.height; first += rowsPerBand) {
        const int count = std::min(rowsPerBand, cells.height - first);
        ParallelRows(count, [&](int begin, int end) {
            for (int r = first + begin; r < first + end; ++r)
                for (int c = 0; c < cells.width; ++c) {
                    int row = r, col = c;
                    for (long long visited = 1;; ++visited) {
                        std::atomic_ref<std::uint32_t>(cells.counts[static_cast<std::size_t>(row)][col])
                            .fetch_add(1, std::memory_order_relaxed);
                        if (visited >= limit || !cells.Next(row, col, row, col))
                            break;
                    }
                }
        });
        for (int r = first; r < first + count; ++r)
            if (RowDone(static_cast<std::size_t>(r), static_cast<std::size_t>(cells.height)))
                return false;
    }
    return true;
}

} // namespace

float RepeatedSum(float value, std::uint32_t count)
{
    if (count == 0)
        return 0.0f;
    if (!std::isfinite(value) || value == 0.0f)
        return 0.0f + value;
    // Round to nearest is symmetric.
    if (value < 0.0f)
        return -RepeatedSum(-value, count);
    float sum = 0.0f;
    std::uint32_t done = 0;
    while (done < count) {
        // Two additions done one by one.
        const float first = sum + value;
        if (++done == count || first == sum)
            return first;
        const float second = first + value;
        if (++done == count || second == first)
            return second;
        // Inside one binade (one spacing u) every addition of the same value rounds by
        // the same amount, except that a tie rounds to even: after a rounding in the
        // binade the sum is even, so from there on the step is constant. Two equal steps
        // in the binade give that step; it holds while the exact sums stay below the top.
        if (sum > 0.0f && std::ilogb(sum) == std::ilogb(first) && std::ilogb(first) == std::ilogb(second) &&
            first - sum == second - first) {
            const double step = static_cast<double>(second) - static_cast<double>(first);
            const double top = std::ldexp(1.0, std::ilogb(second) + 1);
            const double base = second, add = value;
            // The number of further steps whose exact sum stays below the top.
            double estimate = std::floor((top - add - base) / step);
            auto steps = static_cast<std::uint64_t>(std::max(0.0, estimate));
            while (steps > 0 && !(base + static_cast<double>(steps - 1) * step + add < top))
                --steps;
            while (base + static_cast<double>(steps) * step + add < top)
                ++steps;
            steps = std::min<std::uint64_t>(steps, count - done);
            sum = static_cast<float>(base + static_cast<double>(steps) * step);
            done += static_cast<std::uint32_t>(steps);
        } else {
            sum = second;
        }
    }
    return sum;
}

int FindRiverDirections(const Grid2D& altitude, const Grid2D& waterLevel, Grid2D& directions)
{
    const std::size_t w = altitude.Width(), h = altitude.Height();
    if (w == 0 || h == 0 || !Fits(altitude, sizeof(float), w, h) || !Fits(waterLevel, sizeof(float), w, h) ||
        !Fits(directions, sizeof(std::uint8_t), w, h))
        return kRiverBadGrid;
    const GridRows<const float> z = altitude.Rows<float>();
    const GridRows<const float> level = waterLevel.Rows<float>();
    const GridRows<std::uint8_t> out = directions.Rows<std::uint8_t>();
    ParallelRows(static_cast<int>(h), [&](int begin, int end) {
        for (auto r = static_cast<std::size_t>(begin); r < static_cast<std::size_t>(end); ++r) {
            const float* up = z[r > 0 ? r - 1 : 0];
            const float* mid = z[r];
            const float* down = z[r + 1 < h ? r + 1 : h - 1];
            for (std::size_t c = 0; c < w; ++c) {
                const std::size_t left = c > 0 ? c - 1 : w - 1;
                const std::size_t right = c + 1 < w ? c + 1 : 0;
                // Neighbours in table order.
                const float n[8] = {up[left], up[c], up[right], mid[left], down[right], down[c], down[left], mid[right]};
                const float centre = mid[c];
                float best = 0.0f;
                std::uint8_t direction = kRiverNoLowerNeighbour;
                for (int k = 0; k < 8; ++k) {
                    const float drop = (centre - n[k]) * kRiverWeight[k];
                    if (drop > best) {
                        best = drop;
                        direction = static_cast<std::uint8_t>(k);
                    }
                }
                out[r][c] = level[r][c] > centre ? kRiverUnderWater : direction;
            }
        }
    });
    return kRiverOk;
}

int AccumulateRiverFlow(const Grid2D& directions, const Grid2D& rainfall, Grid2D& flow, Grid2D& reach)
{
    const std::size_t w = directions.Width(), h = directions.Height();
    if (w == 0 || h == 0 || !Fits(directions, sizeof(std::uint8_t), w, h) || !Fits(rainfall, sizeof(float), w, h) ||
        !Fits(flow, sizeof(float), w, h) || !Fits(reach, sizeof(float), w, h))
        return kRiverBadGrid;
    Grid2DPtr countGrid = Alloc2D(w, h, sizeof(std::uint32_t));
    if (!countGrid)
        return kRiverBadGrid;

    ProgressBeginHook("Calculating River Depths", 1);
    const WalkCells cells{directions.Rows<std::uint8_t>(), countGrid->Rows<std::uint32_t>(), static_cast<int>(w),
                          static_cast<int>(h)};
    const long long limit = WalkLimit(w, h);
    CountResult result = CountUpstream(cells, limit);
    if (result == CountResult::Inexact)
        result = WalkEveryCell(cells, limit) ? CountResult::Exact : CountResult::Aborted;
    ProgressEndHook();
    if (result == CountResult::Aborted)
        return kRiverAborted;

    // Every walk through a cell adds the same two values there, so the sums follow from
    // the number of walks.
    const GridRows<const float> rain = rainfall.Rows<float>();
    const GridRows<float> f = flow.Rows<float>();
    const GridRows<float> reached = reach.Rows<float>();
    ParallelRows(static_cast<int>(h), [&](int begin, int end) {
        for (auto r = static_cast<std::size_t>(begin); r < static_cast<std::size_t>(end); ++r)
            for (std::size_t c = 0; c < w; ++c) {
                const std::uint32_t n = cells.counts[r][c];
                f[r][c] = RepeatedSum(rain[r][c], n);
                reached[r][c] = RepeatedSum(100.0f, n);
            }
    });
    return kRiverOk;
}

bool IsRiverCellExcluded(const ImageOverlay* mask, int column, int row, int width, int height)
{
    if (mask == nullptr || !mask->visible || !mask->HasPixels() || width < 2 || height < 2)
        return false;
    const auto w = static_cast<int>(mask->pixels->Width());
    const auto h = static_cast<int>(mask->pixels->Height());
    if (w < 2 || h < 2)
        return false;
    const double latitude = GridRowLatitude(row + 0.5, height);
    const double longitude = GridColumnLongitude(column + 0.5, width);
    int x = 0, y = 0;
    if (!mask->LatLonToPixel(latitude, longitude, x, y) || x < 0 || y < 0 || x >= w || y >= h)
        return false;
    const std::uint32_t alpha = mask->PixelRow(y)[x] >> 24;
    // The alpha scaled by the opacity and rounded, as the overlay shows it.
    return std::lround(static_cast<double>(mask->opacity) * alpha / 255.0) > 0;
}

Grid2DPtr RiverExclusionGrid(const ImageOverlay* mask, int width, int height)
{
    if (mask == nullptr || width < 1 || height < 1)
        return nullptr;
    Grid2DPtr grid = Alloc2D(static_cast<std::size_t>(width), static_cast<std::size_t>(height), 1);
    if (!grid)
        return nullptr;
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    const GridRows<std::uint8_t> rows = grid->Rows<std::uint8_t>();
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            rows[static_cast<std::size_t>(r)][c] = IsRiverCellExcluded(mask, c, r, width, height) ? 1 : 0;
    return grid;
}

void RiverGridRange(const Grid2D& grid, float& minimum, float& maximum)
{
    minimum = 1e20f;
    maximum = 0.0f;
    if (grid.ElementSize() != sizeof(float))
        return;
    const float* p = grid.DataAs<float>();
    for (std::size_t i = 0, n = grid.CellCount(); i < n; ++i) {
        minimum = std::min(minimum, p[i]);
        maximum = std::max(maximum, p[i]);
    }
}

bool FillRiverPreview(ImageOverlay& preview, const Grid2D& value, float cut, std::uint32_t pixel,
                      const Grid2D* excluded)
{
    const std::size_t w = value.Width(), h = value.Height();
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    if (!preview.HasPixels() || !Fits(*preview.pixels, sizeof(std::uint32_t), w, h) ||
        value.ElementSize() != sizeof(float) || (excluded != nullptr && !Fits(*excluded, 1, w, h)))
        return false;
    const GridRows<const float> g = value.Rows<float>();
    for (std::size_t r = 0; r < h; ++r) {
        std::uint32_t* out = preview.PixelRow(static_cast<int>(r));
        const std::uint8_t* skip = excluded != nullptr ? excluded->Row<std::uint8_t>(r) : nullptr;
        for (std::size_t c = 0; c < w; ++c)
            if (skip == nullptr || skip[c] == 0)
                out[c] = g[r][c] > cut ? pixel : 0u;
    }
    return true;
}

namespace {

// The routing of one run: the grids, the marks and the sources in the order they are
// taken.
class RiverRouter {
public:
    RiverRouter(const RiverRoutingInput& in, int width, int height, GridRows<std::uint8_t> mark)
        : m_in(in), m_width(width), m_height(height), m_g(in.value->Rows<float>()),
          m_preview(in.preview->pixels->Rows<std::uint32_t>()), m_mark(mark),
          m_excluded(in.excluded != nullptr ? in.excluded->Rows<std::uint8_t>() : GridRows<const std::uint8_t>())
    {
    }

    bool Excluded(int r, int c) const { return m_excluded && m_excluded[static_cast<std::size_t>(r)][c] != 0; }
    float G(int r, int c) const { return m_g[static_cast<std::size_t>(r)][c]; }
    bool Clear(int r, int c) const { return (m_preview[static_cast<std::size_t>(r)][c] >> 24) == 0; }
    std::uint8_t& Mark(int r, int c) { return m_mark[static_cast<std::size_t>(r)][c]; }

    // Marks a cell used; a free river cell no longer counts as remaining.
    void Use(int r, int c)
    {
        std::uint8_t& m = Mark(r, c);
        if ((m & 1) == 0 && !Excluded(r, c) && G(r, c) > m_in.cut)
            --remaining;
        m = 1;
    }

    // Sources: free cells not excluded with a value above the cut (and above 0), by value
    // descending, ties in scan order.
    void CollectSources(std::uint64_t& total)
    {
        total = 0;
        remaining = 0;
        for (int r = 0; r < m_height; ++r)
            for (int c = 0; c < m_width; ++c) {
                const float g = G(r, c);
                if (!(g > m_in.cut))
                    continue;
                ++total;
                if (Excluded(r, c) || (Mark(r, c) & 1) != 0)
                    continue;
                ++remaining;
                // Larger values first, then scan order: the complemented value key above
                // the cell index.
                if (g > 0.0f)
                    m_sources.push_back((std::uint64_t(~std::bit_cast<std::uint32_t>(g)) << 32) |
                                        (static_cast<std::uint64_t>(r) * static_cast<std::uint64_t>(m_width) +
                                         static_cast<std::uint64_t>(c)));
            }
        std::sort(m_sources.begin(), m_sources.end());
    }

    // The next source, or false when none is left.
    bool NextSource(int& r, int& c)
    {
        while (m_next < m_sources.size()) {
            const auto cell = static_cast<std::uint32_t>(m_sources[m_next++]);
            r = static_cast<int>(cell / static_cast<std::uint32_t>(m_width));
            c = static_cast<int>(cell % static_cast<std::uint32_t>(m_width));
            if ((Mark(r, c) & 1) == 0)
                return true;
        }
        return false;
    }

    // The best neighbour of a cell for the walk (scan from `start`) or the joins
    // (table order, marked cells, not points of the river yet); false when none is above 0.
    template <class Accept>
    bool BestNeighbour(int r, int c, int start, Accept accept, int& br, int& bc) const
    {
        float best = 0.0f;
        bool found = false;
        for (int b = 0; b < 8; ++b) {
            const int k = (start + b) % 8;
            int nr = 0, nc = 0;
            RiverNeighbour(r, c, k, m_width, m_height, nr, nc);
            if (Excluded(nr, nc) || Clear(nr, nc) || !accept(nr, nc))
                continue;
            const float v = G(nr, nc) / kRiverWeight[k];
            if (v > best) {
                best = v;
                br = nr;
                bc = nc;
                found = true;
            }
        }
        return found;
    }

    std::uint64_t remaining = 0;

private:
    const RiverRoutingInput& m_in;
    int m_width;
    int m_height;
    GridRows<const float> m_g;
    GridRows<const std::uint32_t> m_preview;
    GridRows<std::uint8_t> m_mark;
    GridRows<const std::uint8_t> m_excluded;
    std::vector<std::uint64_t> m_sources;
    std::size_t m_next = 0;
};

// The scan start of the walk's neighbour search after a move by (dx, dy).
int ScanStart(int dx, int dy)
{
    static constexpr int kStart[8] = {3, 6, 5, 4, 7, 2, 1, 0};
    const double angle = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
    const auto index = static_cast<int>((angle + std::numbers::pi) * 8.0 / (2.0 * std::numbers::pi));
    return kStart[index % 8];
}

constexpr long long kMostRivers = 5555555;

} // namespace

int RouteRivers(const RiverRoutingInput& in, const std::function<void(RoutedRiver&)>& append)
{
    if (in.value == nullptr || in.altitude == nullptr || in.waterLevel == nullptr || in.preview == nullptr ||
        !in.preview->HasPixels())
        return kRiverBadGrid;
    const std::size_t w = in.value->Width(), h = in.value->Height();
    if (w < 2 || h < 2 || !Fits(*in.value, sizeof(float), w, h) || !Fits(*in.altitude, sizeof(float), w, h) ||
        !Fits(*in.waterLevel, sizeof(float), w, h) || !Fits(*in.preview->pixels, sizeof(std::uint32_t), w, h) ||
        (in.excluded != nullptr && !Fits(*in.excluded, 1, w, h)))
        return kRiverBadGrid;
    Grid2DPtr markGrid = Alloc2D(w, h, 1);
    if (!markGrid)
        return kRiverBadGrid;
    const int width = static_cast<int>(w), height = static_cast<int>(h);

    // Submerged cells without any value are used from the start.
    const GridRows<std::uint8_t> mark = markGrid->Rows<std::uint8_t>();
    const GridRows<const float> z = in.altitude->Rows<float>();
    const GridRows<const float> level = in.waterLevel->Rows<float>();
    const GridRows<const float> g = in.value->Rows<float>();
    for (std::size_t r = 0; r < h; ++r)
        for (std::size_t c = 0; c < w; ++c)
            mark[r][c] = (level[r][c] > z[r][c] && g[r][c] == 0.0f) ? 3 : 0;

    RiverRouter router(in, width, height, mark);
    std::uint64_t total = 0;
    router.CollectSources(total);

    ProgressBeginHook("Routing rivers in Vector Overlay", 1);
    const long long walkLimit = WalkLimit(w, h);
    int tiny = 0;
    long long rivers = 0;
    std::vector<std::array<int, 2>> cells; // (row, column)
    int sr = 0, sc = 0;
    while (!AbortRequested() && tiny < in.maxTinySegments && router.NextSource(sr, sc)) {
        const std::uint64_t done = total - router.remaining;
        ProgressStepHook(static_cast<double>(done), static_cast<double>(total));
        ProgressPollHook();

        RoutedRiver river;
        river.colour = in.colour;
        river.level = total > 0 ? static_cast<int>(done * 10000 / total) : 0;

        // Upstream from the source.
        cells.clear();
        int r = sr, c = sc;
        for (long long i = 0; i < walkLimit; ++i) {
            if (router.Clear(r, c))
                break;
            cells.push_back({r, c});
            router.Use(r, c);
            int start = 0;
            if (cells.size() >= 2) {
                const auto& last = cells[cells.size() - 1];
                const auto& before = cells[cells.size() - 2];
                start = ScanStart(last[1] - before[1], last[0] - before[0]);
            }
            int nr = r, nc = c;
            const bool moved = router.BestNeighbour(r, c, start, [&](int ar, int ac) { return router.Mark(ar, ac) == 0; },
                                                    nr, nc);
            if (!moved)
                break; // staying on a marked cell ends the walk
            r = nr;
            c = nc;
        }
        cells.push_back({r, c});
        router.Use(r, c);

        // Join both ends to the rivers before it.
        auto notPoint = [&](int ar, int ac) {
            if (router.Mark(ar, ac) == 0)
                return false;
            for (const auto& p : cells)
                if (p[0] == ar && p[1] == ac)
                    return false;
            return true;
        };
        int jr = 0, jc = 0;
        if (router.BestNeighbour(sr, sc, 0, notPoint, jr, jc))
            cells.insert(cells.begin(), {jr, jc});
        const auto [er, ec] = cells.back();
        if (router.BestNeighbour(er, ec, 0, notPoint, jr, jc))
            cells.push_back({jr, jc});

        if (cells.size() >= 2) {
            for (const auto& p : cells) {
                const double latitude = std::min(90.0, GridRowLatitude(p[0] + 0.5, height));
                const double longitude = GridColumnLongitude(p[1] + 0.5, width);
                river.points.push_back({latitude, longitude});
            }
            append(river);
        } else {
            ++tiny;
        }
        if (++rivers == kMostRivers) {
            g_abortValue.store(kAbortValue);
            break;
        }
    }
    ProgressEndHook();
    return AbortRequested() ? kRiverAborted : kRiverOk;
}

} // namespace kv
