#include "world/RiverGrids.h"

#include "ProgressFixtures.h"
#include "RiverLiteral.h"
#include "base/Progress.h"
#include "base/layers/ImageOverlay.h"
#include "world/BasinFill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

using namespace kv;

namespace {

Grid2DPtr Floats(int w, int h, const std::vector<float>& values)
{
    Grid2DPtr g = Alloc2D(w, h, sizeof(float));
    std::memcpy(g->Data(), values.data(), values.size() * sizeof(float));
    return g;
}

Grid2DPtr Constant(int w, int h, float value)
{
    return Floats(w, h, std::vector<float>(static_cast<std::size_t>(w) * h, value));
}

// A world in small: filled random relief, some of it under water, rainfall varying.
struct RiverWorld {
    int w, h;
    Grid2DPtr z, water, rain, dir, flow, reach;

    RiverWorld(unsigned seed, int width, int height, double wetShare) : w(width), h(height)
    {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> u(0.0f, 1.0f);
        std::vector<float> zs, ws, rs;
        for (int i = 0; i < w * h; ++i) {
            const float v = std::floor(u(rng) * 8.0f) * 0.6f + u(rng) * 3.0f;
            zs.push_back(v);
            ws.push_back(u(rng) < wetShare ? v + 1.0f : -100.0f);
            rs.push_back(u(rng) < 0.1f ? 0.0f : 5.0f + u(rng) * 150.0f);
        }
        Grid2DPtr raw = Floats(w, h, zs);
        water = Floats(w, h, ws);
        rain = Floats(w, h, rs);
        z = Alloc2D(w, h, sizeof(float));
        EXPECT_TRUE(FillBasins(raw.get(), water.get(), z.get(), w, h, 0.0f));
        dir = Alloc2D(w, h, 1);
        flow = Alloc2D(w, h, sizeof(float));
        reach = Alloc2D(w, h, sizeof(float));
        EXPECT_EQ(FindRiverDirections(*z, *water, *dir), kRiverOk);
        EXPECT_EQ(AccumulateRiverFlow(*dir, *rain, *flow, *reach), kRiverOk);
    }
};

bool SameBytes(const Grid2D& a, const Grid2D& b)
{
    return a.ByteCount() == b.ByteCount() && std::memcmp(a.Data(), b.Data(), a.ByteCount()) == 0;
}

} // namespace

TEST(RiverGridsTest, DirectionsFollowTheTableOrderAtEdgesAndTies)
{
    // 4 x 3; the middle row's cell 0 sees its left neighbour across the wrap (column 3).
    struct Case {
        const char* name;
        std::vector<float> z;
        int col, row;
        int expected;
    } cases[] = {
        {"left and right tie: 3 before 7", {9, 9, 9, 9, 1, 5, 1, 9, 9, 9, 9, 9}, 1, 1, 3},
        {"column 0 wraps to the last column", {9, 9, 9, 9, 5, 9, 9, 2, 9, 9, 9, 9}, 0, 1, 3},
        {"edge drop beats a corner drop of the same height", {9, 9, 9, 9, 9, 5, 9, 9, 9, 4, 4, 9}, 1, 1, 5},
        {"a corner wins with a drop larger by more than sqrt(2)", {9, 9, 9, 9, 9, 5, 9, 9, 9, 4, 2.1f, 9}, 1, 1, 4},
        {"top row: steps off the edge stay in the row", {9, 9, 9, 9, 9, 9, 9, 9, 3, 5, 9, 9}, 1, 2, 3},
        {"no lower neighbour", {9, 9, 9, 9, 9, 1, 9, 9, 9, 9, 9, 9}, 1, 1, 9},
        {"flat", std::vector<float>(12, 2.0f), 2, 1, 9},
    };
    for (const Case& c : cases) {
        Grid2DPtr z = Floats(4, 3, c.z), water = Constant(4, 3, -1.0f), dir = Alloc2D(4, 3, 1);
        ASSERT_EQ(FindRiverDirections(*z, *water, *dir), kRiverOk);
        EXPECT_EQ(dir->Row<std::uint8_t>(c.row)[c.col], c.expected) << c.name;
        Grid2DPtr expected = Alloc2D(4, 3, 1);
        literal::Directions(*z, *water, *expected);
        EXPECT_TRUE(SameBytes(*dir, *expected)) << c.name;
    }
    Grid2DPtr z = Alloc2D(4, 3, sizeof(float)), bytes = Alloc2D(4, 3, 1), dir = Alloc2D(5, 3, 1);
    EXPECT_EQ(FindRiverDirections(*z, *bytes, *bytes), kRiverBadGrid);
    EXPECT_EQ(FindRiverDirections(*z, *z, *dir), kRiverBadGrid);
}

TEST(RiverGridsTest, FlowAndReachAreBitForBitWhatTheWalksAdd)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        RiverWorld world(seed, 8 + static_cast<int>(seed * 5 % 40), 4 + static_cast<int>(seed * 3 % 20),
                         seed % 4 == 0 ? 0.0 : 0.1);
        Grid2DPtr expectedDir = Alloc2D(world.w, world.h, 1);
        literal::Directions(*world.z, *world.water, *expectedDir);
        ASSERT_TRUE(SameBytes(*world.dir, *expectedDir)) << seed;
        Grid2DPtr flow = Alloc2D(world.w, world.h, sizeof(float)), reach = Alloc2D(world.w, world.h, sizeof(float));
        literal::Walks(*world.dir, *world.rain, *flow, *reach);
        EXPECT_TRUE(SameBytes(*world.flow, *flow)) << seed;
        EXPECT_TRUE(SameBytes(*world.reach, *reach)) << seed;
    }
}

TEST(RiverGridsTest, PathsLongerThanAWalkAreCutAsTheWalksCutThem)
{
    // A serpentine: path rows 0, 2, ... joined at alternate ends through gaps in the wall
    // rows between them, falling one unit a cell: about 500 cells, walks stop after 320.
    // The last column stays wall, so that no path shortcuts across the wrap.
    const int w = 64, h = 16, pathWidth = w - 1;
    std::vector<float> zs(static_cast<std::size_t>(w) * h, 5000.0f);
    float altitude = 1000.0f;
    for (int pr = 0; pr < h; pr += 2) {
        const bool rightward = (pr / 2) % 2 == 0;
        for (int i = 0; i < pathWidth; ++i)
            zs[static_cast<std::size_t>(pr) * w + (rightward ? i : pathWidth - 1 - i)] = altitude--;
        if (pr + 1 < h)
            zs[static_cast<std::size_t>(pr + 1) * w + (rightward ? pathWidth - 1 : 0)] = altitude--;
    }
    Grid2DPtr z = Floats(w, h, zs), water = Constant(w, h, -1.0f), rain = Constant(w, h, 3.3f);
    Grid2DPtr dir = Alloc2D(w, h, 1), flow = Alloc2D(w, h, sizeof(float)), reach = Alloc2D(w, h, sizeof(float));
    ASSERT_EQ(FindRiverDirections(*z, *water, *dir), kRiverOk);
    ASSERT_EQ(AccumulateRiverFlow(*dir, *rain, *flow, *reach), kRiverOk);
    Grid2DPtr expectedFlow = Alloc2D(w, h, sizeof(float)), expectedReach = Alloc2D(w, h, sizeof(float));
    literal::Walks(*dir, *rain, *expectedFlow, *expectedReach);
    EXPECT_TRUE(SameBytes(*flow, *expectedFlow));
    EXPECT_TRUE(SameBytes(*reach, *expectedReach));
    // Every cell drains to the last gap cell, but only the walks from 320 cells or nearer
    // reach it.
    EXPECT_LT(expectedReach->Row<float>(h - 1)[0], RepeatedSum(100.0f, w * h));
    EXPECT_GT(expectedReach->Row<float>(h - 1)[0], RepeatedSum(100.0f, 4 * (w + h)));
}

TEST(RiverGridsTest, UnderWaterAndFlatWorldsKeepEveryWalkAtItsSource)
{
    for (const bool underWater : {true, false}) {
        Grid2DPtr z = Constant(12, 6, 3.0f), water = Constant(12, 6, underWater ? 4.0f : 0.0f);
        std::vector<float> rs;
        for (int i = 0; i < 72; ++i)
            rs.push_back(0.25f * i);
        Grid2DPtr rain = Floats(12, 6, rs), dir = Alloc2D(12, 6, 1);
        Grid2DPtr flow = Alloc2D(12, 6, sizeof(float)), reach = Alloc2D(12, 6, sizeof(float));
        ASSERT_EQ(FindRiverDirections(*z, *water, *dir), kRiverOk);
        ASSERT_EQ(AccumulateRiverFlow(*dir, *rain, *flow, *reach), kRiverOk);
        for (int i = 0; i < 72; ++i) {
            EXPECT_EQ(dir->DataAs<std::uint8_t>()[i], underWater ? kRiverUnderWater : kRiverNoLowerNeighbour);
            EXPECT_EQ(flow->DataAs<float>()[i], rs[static_cast<std::size_t>(i)]);
            EXPECT_EQ(reach->DataAs<float>()[i], 100.0f);
        }
    }
}

TEST(RiverGridsTest, RepeatedSumMatchesOneAdditionAfterAnother)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    std::vector<float> values = {100.0f, 0.1f, 1.0f / 3.0f, 3.0f, 1e-3f, 7.5f, 0.75f, -2.6f, 1e-30f, 0.0f, 150.0f};
    for (int i = 0; i < 40; ++i)
        values.push_back(std::ldexp(u(rng), static_cast<int>(u(rng) * 20) - 10));
    // Ties: a value of an odd number of half spacings once the sum has grown.
    values.push_back(std::ldexp(3.0f, -1));
    values.push_back(1.0f + std::ldexp(1.0f, -23));
    for (float v : values) {
        float sum = 0.0f;
        const std::uint32_t checks[] = {1, 2, 3, 7, 100, 4097, 70000, 300000};
        std::uint32_t n = 0;
        for (std::uint32_t count : checks) {
            for (; n < count; ++n)
                sum += v;
            ASSERT_EQ(std::memcmp(&sum, &static_cast<const float&>(RepeatedSum(v, count)), 4), 0)
                << v << " x " << count << ": " << sum << " vs " << RepeatedSum(v, count);
        }
    }
    EXPECT_EQ(RepeatedSum(5.0f, 0), 0.0f);
}

TEST(RiverGridsTest, ExclusionIsTheMaskPixelsAlphaWhateverItsMode)
{
    ImageOverlay mask;
    mask.SetGeometry(8, 4, -180, 90, 180, -90);
    mask.AllocatePixels();
    mask.mode = kOverlayLand; // at altitude 0 it would show nothing
    mask.opacity = 127;
    mask.PixelRow(1)[2] = 0xFF000000;
    mask.PixelRow(2)[5] = 0x01FFFFFF; // alpha 1 x 127 / 255 rounds to 0
    // Cell (c, r) of an 8 x 4 grid (8 columns round the globe) samples pixel
    // (trunc((c + 0.5) / 8 x 7), trunc((r + 0.5) / 3 x 3)): cell 2 pixel 2, cell 6 pixel 5.
    EXPECT_TRUE(IsRiverCellExcluded(&mask, 2, 1, 8, 4));
    EXPECT_FALSE(IsRiverCellExcluded(&mask, 3, 1, 8, 4));
    EXPECT_FALSE(IsRiverCellExcluded(&mask, 6, 2, 8, 4));
    EXPECT_FALSE(IsRiverCellExcluded(nullptr, 2, 1, 8, 4));
    Grid2DPtr grid = RiverExclusionGrid(&mask, 8, 4);
    ASSERT_TRUE(grid);
    int excluded = 0;
    for (std::size_t i = 0; i < grid->CellCount(); ++i)
        excluded += grid->DataAs<std::uint8_t>()[i];
    EXPECT_EQ(excluded, 1);
    mask.visible = false;
    EXPECT_FALSE(IsRiverCellExcluded(&mask, 2, 1, 8, 4));
}

TEST(RiverGridsTest, RoutingTracesWhatTheRescansTrace)
{
    struct Case {
        const char* name;
        unsigned seed;
        int w, h;
        bool potential;
        bool masked;
        float threshold;
        int maxTiny;
        int clearTop; // preview pixels cleared at the strongest cells: tiny rivers there
    } cases[] = {
        {"flow", 3, 48, 24, false, false, 0.02f, 200, 0},
        {"reach", 4, 48, 24, true, false, 0.01f, 200, 0},
        {"masked", 5, 40, 20, false, true, 0.005f, 200, 0},
        {"masked reach", 6, 64, 32, true, true, 0.001f, 200, 0},
        {"high threshold", 8, 40, 20, false, false, 0.2f, 200, 0},
        {"tiny rivers counted", 9, 40, 20, false, false, 0.001f, 200, 3},
        {"stops after two tiny rivers", 9, 40, 20, false, false, 0.001f, 2, 3},
    };
    for (const Case& c : cases) {
        RiverWorld world(c.seed, c.w, c.h, 0.08);
        const Grid2D& g = c.potential ? *world.reach : *world.flow;
        float minimum = 0.0f, maximum = 0.0f;
        RiverGridRange(g, minimum, maximum);
        const float cut = (maximum - minimum) * c.threshold;
        ImageOverlay mask;
        mask.SetGeometry(c.w, c.h, -180, 90, 180, -90);
        mask.AllocatePixels();
        for (int r = c.h / 4; r < c.h / 2; ++r)
            for (int col = 0; col < c.w / 3; ++col)
                mask.PixelRow(r)[col] = 0xFF0000FF;
        Grid2DPtr excluded = c.masked ? RiverExclusionGrid(&mask, c.w, c.h) : nullptr;
        ImageOverlay preview;
        preview.SetGeometry(c.w, c.h, -180, 90, 180, -90);
        preview.AllocatePixels();
        ASSERT_TRUE(FillRiverPreview(preview, g, cut, 0xFFC04000, excluded.get()));
        std::vector<std::pair<float, int>> strongest;
        for (int i = 0; i < c.w * c.h; ++i)
            strongest.push_back({-g.DataAs<float>()[i], i});
        std::sort(strongest.begin(), strongest.end());
        for (int i = 0; i < c.clearTop; ++i)
            preview.PixelRow(strongest[i].second / c.w)[strongest[i].second % c.w] = 0;
        long long total = 0, maskedAbove = 0;
        for (int i = 0; i < c.w * c.h; ++i) {
            if (g.DataAs<float>()[i] > cut) {
                ++total;
                maskedAbove += excluded && excluded->DataAs<std::uint8_t>()[i] ? 1 : 0;
            }
        }

        RiverRoutingInput in;
        in.value = &g;
        in.altitude = world.z.get();
        in.waterLevel = world.water.get();
        in.excluded = excluded.get();
        in.preview = &preview;
        in.cut = cut;
        in.colour = 0xFFC04000;
        in.maxTinySegments = c.maxTiny;
        std::vector<RoutedRiver> ours;
        ASSERT_EQ(RouteRivers(in, [&](RoutedRiver& r) { ours.push_back(r); }), kRiverOk) << c.name;
        const std::vector<RoutedRiver> expected = literal::Route(in);
        ASSERT_EQ(ours.size(), expected.size()) << c.name;
        if (c.maxTiny <= c.clearTop) {
            // The strongest sources were all tiny: nothing traced.
            EXPECT_TRUE(ours.empty()) << c.name;
            continue;
        }
        ASSERT_FALSE(ours.empty()) << c.name;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            EXPECT_EQ(ours[i].level, expected[i].level) << c.name << " river " << i;
            EXPECT_EQ(ours[i].colour, 0xFFC04000u);
            EXPECT_EQ(ours[i].points, expected[i].points) << c.name << " river " << i;
        }
        if (c.clearTop == 0) {
            EXPECT_EQ(ours.front().level, maskedAbove * 10000 / total) << c.name;
        } else {
            EXPECT_EQ(ours.front().level, c.clearTop * 10000 / total) << c.name;
        }
        if (c.masked) {
            EXPECT_GT(maskedAbove, 0) << c.name;
        }
    }
}

TEST(RiverGridsTest, PreviewSetsRiverCellsAndLeavesMaskedCellsAlone)
{
    Grid2DPtr g = Floats(4, 2, {0, 1, 2, 3, 4, 5, 6, 7});
    Grid2DPtr excluded = Alloc2D(4, 2, 1);
    excluded->Row<std::uint8_t>(1)[3] = 1;
    ImageOverlay preview;
    preview.SetGeometry(4, 2, -180, 90, 180, -90);
    preview.AllocatePixels();
    preview.PixelRow(1)[3] = 0x12345678;
    preview.PixelRow(0)[0] = 0x87654321;
    ASSERT_TRUE(FillRiverPreview(preview, *g, 2.0f, 0xFF0000FF, excluded.get()));
    const std::uint32_t expected[8] = {0, 0, 0, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0x12345678};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(preview.PixelRow(i / 4)[i % 4], expected[i]) << i;
    Grid2DPtr wrong = Alloc2D(5, 2, sizeof(float));
    EXPECT_FALSE(FillRiverPreview(preview, *wrong, 2.0f, 1, nullptr));
}

TEST(RiverGridsTest, AccumulationStopsOnAbort)
{
    AbortDuring abort("Calculating River Depths");
    Grid2DPtr dir = Alloc2D(8, 4, 1), rain = Constant(8, 4, 1.0f);
    Grid2DPtr flow = Alloc2D(8, 4, sizeof(float)), reach = Alloc2D(8, 4, sizeof(float));
    EXPECT_EQ(AccumulateRiverFlow(*dir, *rain, *flow, *reach), kRiverAborted);
    EXPECT_EQ(g_abortValue.load(), kAbortValue);
    g_abortValue.store(0);
}
