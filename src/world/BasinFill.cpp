#include "world/BasinFill.h"

#include "world/AltitudeGrid.h"

#include "base/Progress.h"
#include "projection/ProjectionParms.h"
#include "world/RowEvaluation.h"
#include "world/SurfaceSampler.h"
#include "world/SurfMap.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace kv {

namespace {

// Value of an inner cell not reached yet.
constexpr float kUnfilled = 1e20f;

// Cells finalised between two progress steps and polls.
constexpr std::uint32_t kCellsPerPoll = 1u << 16;

// A float as an unsigned key of the same order (for finite values and infinities).
inline std::uint32_t OrderedKey(float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
}

// A monotone priority queue of cells by key: every key pushed is at least the last key
// popped, which holds for the fill because a cell's neighbours are offered the cell's
// final value plus a positive drop. Items live in 33 buckets by the highest bit in which
// their key differs from the last popped key; equal keys cost nothing to order.
class RadixQueue {
public:
    bool Empty() const { return m_size == 0; }

    void Push(std::uint32_t key, std::uint32_t cell)
    {
        m_buckets[BucketOf(key)].push_back((std::uint64_t(key) << 32) | cell);
        ++m_size;
    }

    // The cell of the smallest key (any of several equal ones).
    void Pop(std::uint32_t& key, std::uint32_t& cell)
    {
        if (m_buckets[0].empty()) {
            int i = 1;
            while (m_buckets[i].empty())
                ++i;
            std::vector<std::uint64_t>& from = m_buckets[i];
            m_last = static_cast<std::uint32_t>(*std::min_element(from.begin(), from.end()) >> 32);
            for (std::uint64_t item : from)
                m_buckets[BucketOf(static_cast<std::uint32_t>(item >> 32))].push_back(item);
            from.clear();
        }
        const std::uint64_t item = m_buckets[0].back();
        m_buckets[0].pop_back();
        --m_size;
        key = static_cast<std::uint32_t>(item >> 32);
        cell = static_cast<std::uint32_t>(item);
    }

private:
    int BucketOf(std::uint32_t key) const { return key == m_last ? 0 : 32 - std::countl_zero(key ^ m_last); }

    std::vector<std::uint64_t> m_buckets[33];
    std::uint32_t m_last = 0;
    std::size_t m_size = 0;
};

bool IsFloatGrid(const Grid2D* grid, int width, int height)
{
    return grid != nullptr && grid->ElementSize() == sizeof(float) &&
           grid->Width() == static_cast<std::size_t>(width) && grid->Height() == static_cast<std::size_t>(height);
}

// One fill: the grids as flat arrays and the cells finalised but not yet spread.
class BasinFiller {
public:
    BasinFiller(const float* z, const float* l, float* f, int width, int height)
        : m_z(z), m_l(l), m_f(f), m_width(width), m_height(height),
          m_cells(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)),
          m_state(new std::uint8_t[m_cells]()), m_ready(new std::uint32_t[m_cells])
    {
        const std::ptrdiff_t w = width;
        const std::ptrdiff_t offsets[8] = {-w - 1, -w, -w + 1, 1, w + 1, w, w - 1, -1};
        const float drops[8] = {kBasinCornerDrop, kBasinEdgeDrop, kBasinCornerDrop, kBasinEdgeDrop,
                                kBasinCornerDrop, kBasinEdgeDrop, kBasinCornerDrop, kBasinEdgeDrop};
        std::copy(offsets, offsets + 8, m_offset);
        std::copy(drops, drops + 8, m_drop);
    }

    // False when the user aborted.
    bool Run()
    {
        Seed();
        std::uint32_t sincePoll = 0;
        for (;;) {
            while (m_readyCount > 0) {
                Spread(m_ready[--m_readyCount]);
                if (++sincePoll == kCellsPerPoll && !Report(sincePoll))
                    return false;
            }
            if (m_queue.Empty())
                break;
            std::uint32_t key = 0, cell = 0;
            m_queue.Pop(key, cell);
            if ((m_state[cell] & kFinal) || OrderedKey(m_f[cell]) != key)
                continue;
            m_state[cell] |= kFinal;
            Spread(cell);
            if (++sincePoll == kCellsPerPoll && !Report(sincePoll))
                return false;
        }
        // Water-covered cells keep their altitude.
        for (std::size_t i = 0; i < m_cells; ++i)
            if (m_l[i] > m_z[i])
                m_f[i] = m_z[i];
        return true;
    }

private:
    static constexpr std::uint8_t kFinal = 1;
    static constexpr std::uint8_t kBorder = 2;

    // Border cells on dry land are final at their altitude; water-covered cells wait in
    // the queue at their water level; other inner cells are not reached yet.
    void Seed()
    {
        for (int r = 0; r < m_height; ++r) {
            const bool borderRow = r == 0 || r == m_height - 1;
            const std::size_t base = static_cast<std::size_t>(r) * static_cast<std::size_t>(m_width);
            for (int c = 0; c < m_width; ++c) {
                const auto i = static_cast<std::uint32_t>(base + static_cast<std::size_t>(c));
                const bool border = borderRow || c == 0 || c == m_width - 1;
                if (border)
                    m_state[i] = kBorder;
                if (m_l[i] > m_z[i]) {
                    m_f[i] = m_l[i];
                    m_queue.Push(OrderedKey(m_f[i]), i);
                } else if (border) {
                    m_f[i] = m_z[i];
                    Finalise(i);
                } else {
                    m_f[i] = kUnfilled;
                }
            }
        }
    }

    void Finalise(std::uint32_t cell)
    {
        m_state[cell] |= kFinal;
        m_ready[m_readyCount++] = cell;
    }

    // Offers a final cell's value to one neighbour that is not final yet.
    void Offer(std::uint32_t n, float candidate, bool fromDrained)
    {
        if (m_state[n] & kBorder) {
            // A border cell still waiting is water-covered: it dries, or keeps its level.
            if (fromDrained && m_z[n] >= candidate) {
                m_f[n] = m_z[n];
                Finalise(n);
            }
            return;
        }
        if (m_z[n] >= candidate) {
            m_f[n] = m_z[n];
            Finalise(n);
        } else if (candidate < m_f[n]) {
            m_f[n] = candidate;
            m_queue.Push(OrderedKey(candidate), n);
        }
    }

    void Spread(std::uint32_t cell)
    {
        const float value = m_f[cell];
        const bool border = (m_state[cell] & kBorder) != 0;
        // A border cell, or a cell at its own altitude, dries water-covered border cells.
        const bool drained = border || value == m_z[cell];
        if (!border) {
            for (int k = 0; k < 8; ++k) {
                const auto n = static_cast<std::uint32_t>(static_cast<std::ptrdiff_t>(cell) + m_offset[k]);
                if (!(m_state[n] & kFinal))
                    Offer(n, value + m_drop[k], drained);
            }
            return;
        }
        const int r = static_cast<int>(cell / static_cast<std::uint32_t>(m_width));
        const int c = static_cast<int>(cell % static_cast<std::uint32_t>(m_width));
        static constexpr int kRowStep[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
        static constexpr int kColumnStep[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
        for (int k = 0; k < 8; ++k) {
            const int nr = r + kRowStep[k];
            const int nc = c + kColumnStep[k];
            if (nr < 0 || nr >= m_height || nc < 0 || nc >= m_width)
                continue;
            const auto n = static_cast<std::uint32_t>(static_cast<std::ptrdiff_t>(cell) + m_offset[k]);
            if (!(m_state[n] & kFinal))
                Offer(n, value + m_drop[k], drained);
        }
    }

    bool Report(std::uint32_t& sincePoll)
    {
        m_done += sincePoll;
        sincePoll = 0;
        ProgressStepHook(static_cast<double>(m_done), static_cast<double>(m_cells));
        ProgressPollHook();
        return !AbortRequested();
    }

    const float* m_z;
    const float* m_l;
    float* m_f;
    int m_width;
    int m_height;
    std::size_t m_cells;
    std::unique_ptr<std::uint8_t[]> m_state;
    // Cells final but not yet spread to their neighbours (each enters once).
    std::unique_ptr<std::uint32_t[]> m_ready;
    std::size_t m_readyCount = 0;
    RadixQueue m_queue;
    std::ptrdiff_t m_offset[8];
    float m_drop[8];
    std::size_t m_done = 0;
};

} // namespace

bool FillBasins(const Grid2D* altitude, const Grid2D* waterLevel, Grid2D* filled, int width, int height,
                float /*tolerance*/)
{
    if (width < 1 || height < 1 || !IsFloatGrid(altitude, width, height) || !IsFloatGrid(waterLevel, width, height) ||
        !IsFloatGrid(filled, width, height) || filled == altitude || filled == waterLevel)
        return false;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) >
        std::numeric_limits<std::uint32_t>::max())
        return false;

    ProgressBeginHook("Filling Basins", 1);
    BasinFiller filler(altitude->DataAs<float>(), waterLevel->DataAs<float>(), filled->DataAs<float>(), width,
                       height);
    const bool done = filler.Run();
    ProgressEndHook();
    g_abortValue.store(0);
    return done;
}

Grid2DPtr ComputeHeightGrid(SurfMap& world, int width, int height, const char* progressText)
{
    if (width < 2 || height < 2)
        return nullptr;
    Grid2DPtr grid = Alloc2D(static_cast<std::size_t>(width), static_cast<std::size_t>(height), sizeof(float));
    if (!grid)
        return nullptr;
    g_abortValue.store(0);
    ProjectionParms projection;
    const SurfaceSampler prototype(&projection, &world, nullptr, 1);
    AltitudeGridProgress progress;
    progress.text = progressText;
    progress.pollFirst = false; // each row: step (row, height), then poll
    if (!EvaluateAltitudeGrid(prototype, *grid, progress))
        return nullptr;
    return grid;
}

} // namespace kv
