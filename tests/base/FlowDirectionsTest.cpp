#include "base/grid/FlowDirections.h"
#include "base/Progress.h"

#include <cstdint>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace kv;

namespace {

Grid2DPtr Heights(std::size_t w, std::size_t h, const std::vector<float>& values)
{
    Grid2DPtr g = Alloc2D(w, h, sizeof(float));
    for (std::size_t i = 0; i < values.size(); ++i)
        g->DataAs<float>()[i] = values[i];
    return g;
}

std::vector<int> Directions(const Grid2D& heights)
{
    Grid2DPtr d = Alloc2D(heights.Width(), heights.Height(), 1);
    EXPECT_EQ(FindFlowDirections(&heights, heights.Width(), heights.Height(), d.get(), false), 0);
    return std::vector<int>(d->DataAs<std::uint8_t>(), d->DataAs<std::uint8_t>() + d->CellCount());
}

std::vector<int> Accumulate(const Grid2D& heights, int maxSteps, bool reverse)
{
    Grid2DPtr n = Alloc2D(heights.Width(), heights.Height(), 4);
    n->DataAs<std::int32_t>()[0] = 1234; // counts start from zero whatever the grid held
    EXPECT_EQ(ComputeFlowAccumulation(&heights, heights.Width(), heights.Height(), n.get(), maxSteps, reverse, false), 0);
    return std::vector<int>(n->DataAs<std::int32_t>(), n->DataAs<std::int32_t>() + n->CellCount());
}

// Records the progress calls; the poll asks to abort on a chosen call.
struct Recorder {
    static std::vector<std::string> log;
    static int pollCount;
    static int abortAtPoll;
    static void Begin(const char* text, int mode) { log.push_back(std::string("begin ") + text + " " + std::to_string(mode)); }
    static void End() { log.push_back("end"); }
    static int Step(double c, double t) { log.push_back("step " + std::to_string(int(c)) + "/" + std::to_string(int(t))); return 0; }
    static int Poll()
    {
        if (++pollCount == abortAtPoll) {
            g_abortValue = kAbortValue;
            return -1;
        }
        return 0;
    }
};
std::vector<std::string> Recorder::log;
int Recorder::pollCount = 0;
int Recorder::abortAtPoll = 0;

struct RecordingHooks {
    ProgressHooks saved;
    explicit RecordingHooks(int abortAtPoll)
    {
        Recorder::log.clear();
        Recorder::pollCount = 0;
        Recorder::abortAtPoll = abortAtPoll;
        saved = SetProgressHooks({Recorder::Begin, Recorder::End, Recorder::Step, Recorder::Poll});
    }
    ~RecordingHooks() { SetProgressHooks(saved); }
};

} // namespace

TEST(FlowDirections, WeightsAndOffsets)
{
    EXPECT_EQ(kFlowWeight[1], 0.70710677f);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(kFlowWeight[k], k % 2 ? 0.70710677f : 1.0f);
        EXPECT_EQ(kFlowColumnOffset[OppositeFlow(k)], -kFlowColumnOffset[k]);
        EXPECT_EQ(kFlowRowOffset[OppositeFlow(k)], -kFlowRowOffset[k]);
    }
}

TEST(FlowDirections, SteepestWeightedDropAtTheCentreCell)
{
    // 3 x 3 grid of 5 with some neighbours of the centre lowered: (col, row, height).
    struct Low { int col, row; float h; };
    struct Case { std::vector<Low> lows; int expect; };
    const Case cases[] = {
        {{}, kFlowNone},                               // flat
        {{{1, 0, 4.0f}}, 0},                           // north
        {{{1, 2, 4.0f}, {0, 1, 4.0f}}, 4},             // tie south / west: lower k
        {{{1, 0, 4.0f}, {2, 1, 4.0f}}, 0},             // tie north / east
        {{{2, 2, 3.5f}, {0, 1, 4.0f}}, 3},             // diagonal 1.5 x 0.7071 beats 1.0
        {{{2, 2, 3.6f}, {0, 1, 4.0f}}, 6},             // diagonal 1.4 x 0.7071 loses to 1.0
        {{{0, 0, 4.0f}}, 7},                           // north-west
    };
    for (const Case& c : cases) {
        std::vector<float> v(9, 5.0f);
        for (const Low& l : c.lows)
            v[l.row * 3 + l.col] = l.h;
        EXPECT_EQ(Directions(*Heights(3, 3, v))[4], c.expect);
    }
    // A flat grid: no lower neighbour anywhere.
    for (int d : Directions(*Heights(4, 3, std::vector<float>(12, 2.0f))))
        EXPECT_EQ(d, kFlowNone);
}

TEST(FlowDirections, OneRowClampsRowsAndWrapsColumns)
{
    // Row offsets clamp to row 0; west of column 0 is column 3 and east of column 3 is column 0.
    EXPECT_EQ(Directions(*Heights(4, 1, {3.0f, 2.5f, 4.0f, 0.0f})), (std::vector<int>{6, kFlowNone, 2, kFlowNone}));
    // Edge rows: a southern neighbour clamps to the cell itself.
    EXPECT_EQ(Directions(*Heights(3, 2, {5, 5, 5, 5, 4, 5}))[1], 4);
    EXPECT_EQ(Directions(*Heights(3, 2, {5, 5, 5, 5, 4, 5}))[4], kFlowNone);
}

TEST(FlowAccumulation, CountsPathsDownhillUphillAndToTheSea)
{
    // Directions of {1, 2, 3, 2}: none, west, east (tie with west), east (wraps to column 0).
    Grid2DPtr v = Heights(4, 1, {1, 2, 3, 2});
    EXPECT_EQ(Directions(*v), (std::vector<int>{kFlowNone, 6, 2, 2}));
    // Walks: 0 | 1 -> 0 | 2 -> 3 -> off the east edge (no wrap) | 3 -> off.
    EXPECT_EQ(Accumulate(*v, 1000, false), (std::vector<int>{2, 1, 1, 2}));
    // Uphill: 1 -> 2 -> back to 1 closes a loop; 2 -> 1 -> 2; 3 -> 2 -> 1 -> back to 2.
    EXPECT_EQ(Accumulate(*v, 1000, true), (std::vector<int>{1, 3, 3, 1}));
    // maxSteps 3 leaves one step per walk (each start counts itself); 2 leaves none.
    EXPECT_EQ(Accumulate(*v, 3, false), (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(Accumulate(*v, 2, false), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(Accumulate(*v, -5, false), (std::vector<int>{0, 0, 0, 0}));

    // A cell below 0 ends every path that reaches it and counts only itself as a start.
    EXPECT_EQ(Accumulate(*Heights(4, 1, {-1, 2, 3, 2}), 1000, false), (std::vector<int>{2, 1, 1, 2}));
    Grid2DPtr sea = Heights(3, 3, {-1, -1, -1, -1, -2, -1, -1, -1, -1});
    EXPECT_EQ(Accumulate(*sea, 1000, false), std::vector<int>(9, 1));

    // A long slope south: every cell of a column drains through all cells below it.
    Grid2DPtr slope = Heights(2, 4, {8, 8, 6, 6, 4, 4, 2, 2});
    EXPECT_EQ(Accumulate(*slope, 1000, false), (std::vector<int>{1, 1, 2, 2, 3, 3, 4, 4}));
    // A path is at most 2 x (width + height) = 12 steps; maxSteps 4 allows 2 cells per walk.
    EXPECT_EQ(Accumulate(*slope, 4, false), (std::vector<int>{1, 1, 2, 2, 2, 2, 2, 2}));
}

namespace {

// The walks written out plainly, one start cell after another, for comparison.
std::vector<int> ReferenceCounts(const Grid2D& heights, int maxSteps, bool reverse)
{
    const int w = static_cast<int>(heights.Width()), h = static_cast<int>(heights.Height());
    Grid2DPtr d = Alloc2D(heights.Width(), heights.Height(), 1);
    EXPECT_EQ(FindFlowDirections(&heights, heights.Width(), heights.Height(), d.get(), false), 0);
    std::vector<int> dir(d->DataAs<std::uint8_t>(), d->DataAs<std::uint8_t>() + d->CellCount());
    for (int i = 0; i < w * h; ++i)
        if (heights.DataAs<float>()[i] < 0)
            dir[i] = kFlowSea;
    const int limit = std::min(maxSteps, 2 * (w + h));
    std::vector<int> history(static_cast<std::size_t>(std::max(limit, 1)), -1);
    std::vector<int> counts(static_cast<std::size_t>(w * h), 0);
    for (int start = 0; start < w * h; ++start) {
        int row = start / w, col = start % w;
        for (int k = 1; k < limit - 1; ++k) {
            const int pos = row * w + col;
            if (pos == history[k / 2])
                break;
            history[k] = pos;
            ++counts[pos];
            int e = dir[pos];
            if (e >= 8)
                break;
            if (reverse)
                e = (e + 4) % 8;
            col += kFlowColumnOffset[e];
            row += kFlowRowOffset[e];
            if (col < 0 || col >= w || row < 0 || row >= h)
                break;
        }
    }
    return counts;
}

} // namespace

TEST(FlowAccumulation, MatchesPlainWalksOnVariedTerrain)
{
    std::mt19937 gen(5);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<Grid2DPtr> grids;
    // Rolling land with a sea, with and without roughness.
    for (float rough : {0.0f, 0.05f, 1.0f}) {
        const std::size_t w = 61, h = 37;
        Grid2DPtr g = Heights(w, h, {});
        for (std::size_t r = 0; r < h; ++r)
            for (std::size_t c = 0; c < w; ++c)
                g->Rows<float>()[r][c] = std::sin(0.21f * c) * std::cos(0.17f * r) + 0.01f * c + 0.3f + rough * noise(gen);
        grids.push_back(std::move(g));
    }
    // A walled serpentine: one downhill path far longer than 2 x (width + height).
    {
        const std::size_t w = 16, h = 9;
        Grid2DPtr g = Heights(w, h, std::vector<float>(w * h, 1000.0f));
        float level = 500.0f;
        for (std::size_t r = 0; r < h; r += 2) {
            for (std::size_t i = 0; i < w; ++i)
                g->Rows<float>()[r][(r / 2) % 2 ? w - 1 - i : i] = level--;
            if (r + 1 < h)
                g->Rows<float>()[r + 1][(r / 2) % 2 ? 0 : w - 1] = level--;
        }
        grids.push_back(std::move(g));
    }
    for (const Grid2DPtr& g : grids)
        for (int maxSteps : {32768, 40, 7, 3})
            for (bool reverse : {false, true}) {
                Grid2DPtr n = Alloc2D(g->Width(), g->Height(), 4);
                ASSERT_EQ(ComputeFlowAccumulation(g.get(), g->Width(), g->Height(), n.get(), maxSteps, reverse, false), 0);
                const std::vector<int> got(n->DataAs<std::int32_t>(), n->DataAs<std::int32_t>() + n->CellCount());
                EXPECT_EQ(got, ReferenceCounts(*g, maxSteps, reverse)) << g->Width() << " " << maxSteps << " " << reverse;
            }
    // The serpentine's outlet gathers every path cell when the walks may run its whole length,
    // but not under the 2 x (width + height) limit.
    const Grid2D& serpentine = *grids.back();
    const std::vector<int> counts = ReferenceCounts(serpentine, 32768, false);
    EXPECT_LT(*std::max_element(counts.begin(), counts.end()), 2 * (16 + 9));
}

TEST(FlowAccumulation, ReportsProgressAndStopsOnAbort)
{
    Grid2DPtr slope = Heights(2, 3, {8, 8, 6, 6, 4, 4});
    Grid2DPtr n = Alloc2D(2, 3, 4);
    {
        RecordingHooks hooks(0);
        EXPECT_EQ(ComputeFlowAccumulation(slope.get(), 2, 3, n.get(), 100, false, true), 0);
        const std::vector<std::string> expect = {
            "begin Finding 8-way Neighbors 3", "step 0/3", "step 1/3", "step 2/3", "end",
            "begin Finding flow 1", "step 0/3", "step 1/3", "step 2/3", "end"};
        EXPECT_EQ(Recorder::log, expect);
        EXPECT_EQ(Recorder::pollCount, 6);
    }
    {
        // Without progress nothing is shown, but the loops still poll.
        RecordingHooks hooks(0);
        EXPECT_EQ(ComputeFlowAccumulation(slope.get(), 2, 3, n.get(), 100, false, false), 0);
        EXPECT_TRUE(Recorder::log.empty());
        EXPECT_EQ(Recorder::pollCount, 6);
    }
    {
        // Abort while the directions are found: every row is still done, the result is -1.
        RecordingHooks hooks(1);
        Grid2DPtr d = Alloc2D(2, 3, 1);
        EXPECT_EQ(FindFlowDirections(slope.get(), 2, 3, d.get(), false), -1);
        EXPECT_EQ(g_abortValue.load(), 0);
        EXPECT_EQ(Recorder::pollCount, 3);
        EXPECT_EQ(d->Rows<std::uint8_t>()[2][1], kFlowNone);
        EXPECT_EQ(d->Rows<std::uint8_t>()[0][0], 4);
    }
    {
        // The same abort inside the accumulation is reported as an abort, not as success.
        RecordingHooks hooks(2);
        EXPECT_EQ(ComputeFlowAccumulation(slope.get(), 2, 3, n.get(), 100, false, true), -1);
        EXPECT_EQ(g_abortValue.load(), 0);
        EXPECT_EQ(Recorder::log.back(), "end");
        EXPECT_EQ(Recorder::pollCount, 3); // no flow rows were started
    }
    for (bool reverse : {false, true}) {
        // Abort at the first flow row's poll: no further start rows are begun and the run
        // ends at once. Uphill walks leave the later rows uncounted (start rows are walked in
        // bands; at this width a band is a few rows).
        const std::size_t w = std::size_t(1) << 17, h = 8;
        Grid2DPtr flat = Heights(w, h, {});
        Grid2DPtr counts = Alloc2D(w, h, 4);
        RecordingHooks hooks(static_cast<int>(h) + 1);
        EXPECT_EQ(ComputeFlowAccumulation(flat.get(), w, h, counts.get(), 100, reverse, false), -1);
        EXPECT_EQ(g_abortValue.load(), 0);
        EXPECT_EQ(Recorder::pollCount, static_cast<int>(h) + 1);
        if (reverse) {
            EXPECT_EQ(counts->Rows<std::int32_t>()[0][5], 1);
            EXPECT_EQ(counts->Rows<std::int32_t>()[h - 1][5], 0);
        }
    }
}

TEST(FlowAccumulation, RefusesGridsThatDoNotFit)
{
    Grid2DPtr h = Heights(4, 2, std::vector<float>(8, 1.0f));
    Grid2DPtr bytes = Alloc2D(4, 2, 1);
    Grid2DPtr ints = Alloc2D(4, 2, 4);
    Grid2DPtr small = Alloc2D(3, 2, 1);
    EXPECT_EQ(FindFlowDirections(nullptr, 4, 2, bytes.get(), false), kFlowBadInput);
    EXPECT_EQ(FindFlowDirections(h.get(), 4, 2, nullptr, false), kFlowBadInput);
    EXPECT_EQ(FindFlowDirections(h.get(), 4, 2, ints.get(), false), kFlowBadInput);
    EXPECT_EQ(FindFlowDirections(h.get(), 4, 2, small.get(), false), kFlowBadInput);
    EXPECT_EQ(FindFlowDirections(h.get(), 5, 2, bytes.get(), false), kFlowBadInput);
    EXPECT_EQ(ComputeFlowAccumulation(h.get(), 4, 2, bytes.get(), 10, false, false), kFlowBadInput);
    EXPECT_EQ(ComputeFlowAccumulation(h.get(), 4, 3, ints.get(), 10, false, false), kFlowBadInput);
}
