#include "projection/ProjectionParms.h"
#include "base/Progress.h"
#include "base/Random.h"
#include "world/SurfaceSampler.h"
#include "world/GridGeometry.h"
#include "world/SurfMap.h"

#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <vector>

using namespace kv;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The generator's sequence worked by hand: state x 214013 + 2531011, bits 16..30.
struct HandRand {
    uint32_t state;
    int Next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
    float Uniform() { return static_cast<float>(Next()) * (1.0f / 32767.0f); }
    double Gaussian()
    {
        const double a = std::sqrt(12.0), s = 2.0 * a / 4.0;
        float sum = 0.0f;
        for (int i = 0; i < 4; ++i)
            sum += Uniform();
        return sum * s - a;
    }
};

// A recalculated default world (256 x 128 grids, the prescale grid too) with every
// channel painted, and a sampler on it.
class ChannelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousHooks = SetProgressHooks(SilentProgressHooks());
        world.prescaleEnabled = 1;
        world.SetResolution(SurfMap::kResolution256, true);
        RecalculateWorld(world);
        SRand(7);
        for (int ch = 0; ch < kChannelGridCount; ++ch) {
            Grid2D* grid = world.Channel(ch);
            ASSERT_NE(grid, nullptr) << ch;
            float* p = grid->DataAs<float>();
            for (std::size_t i = 0; i < grid->CellCount(); ++i)
                p[i] = ch == kChannelRoughness   ? 0.5f + Rand() % 100 * 0.01f
                       : ch == kChannelPrescale ? (Rand() % 100 - 50) * 0.001f
                                                : static_cast<float>(Rand() % 2000 - 1000);
        }
        sampler = std::make_unique<SurfaceSampler>(&projection, &world, nullptr, 1);
    }
    void TearDown() override { SetProgressHooks(previousHooks); }

    std::vector<std::vector<float>> Snapshot() const
    {
        std::vector<std::vector<float>> all;
        for (int ch = 0; ch < kChannelGridCount; ++ch) {
            const Grid2D* g = world.Channel(ch);
            all.emplace_back(g->DataAs<float>(), g->DataAs<float>() + g->CellCount());
        }
        return all;
    }
    float& Cell(int ch, int c, int r) { return world.Channel(ch)->Rows<float>()[r][c]; }

    ProgressHooks previousHooks{};
    SurfMap world;
    ProjectionParms projection;
    std::unique_ptr<SurfaceSampler> sampler;
};

TEST_F(ChannelsTest, AcceptedChannelsOfTheChannelForms)
{
    struct Form {
        const char* name;
        std::set<int> accepted;
        std::function<int(SurfMap&, int)> call;
    };
    const Form forms[] = {
        {"set", {0, 1, 2, 3, 4, 5, 6, 7}, [&](SurfMap& w, int ch) { return w.GlobalSetChannel(ch, 0.25f, sampler.get()); }},
        {"add", {0, 1, 2, 3, 4, 6, 7}, [](SurfMap& w, int ch) { return w.AddToChannel(ch, 3.0f, -500.0f, 500.0f); }},
        {"smooth", {0, 1, 2, 3, 4, 6}, [](SurfMap& w, int ch) { return w.SmoothChannel(ch, 2.0f); }},
        {"clamp", {0, 1, 2, 3, 4, 6}, [](SurfMap& w, int ch) { return w.ClampChannel(ch, -0.1f, 0.1f); }},
        {"noise", {0, 1, 2, 3, 4, 5, 6}, [](SurfMap& w, int ch) { return w.AddNoiseToChannel(ch, false, 1.0f, 2.0f, -2000.0f); }},
    };
    for (const Form& form : forms)
        for (int ch = -1; ch <= 8; ++ch) {
            const auto before = Snapshot();
            const bool accepted = form.accepted.count(ch) != 0;
            EXPECT_EQ(form.call(world, ch), accepted ? 0 : -1) << form.name << " " << ch;
            const auto after = Snapshot();
            std::set<int> changed;
            for (int g = 0; g < kChannelGridCount; ++g)
                if (before[g] != after[g])
                    changed.insert(g);
            EXPECT_EQ(changed, accepted ? std::set<int>{ch == 7 ? 1 : ch} : std::set<int>{}) << form.name << " " << ch;
        }
    // The climate channel takes the value as it is.
    world.GlobalSetChannel(kChannelClimate, 5.0f);
    EXPECT_EQ(Cell(kChannelClimate, 17, 9), 5.0f);

    // Without the prescale grid its channel is refused.
    world.grids[kChannelPrescale].reset();
    EXPECT_EQ(world.GlobalSetChannel(kChannelPrescale, 1.0f), -1);
    EXPECT_EQ(world.AddToChannel(kChannelPrescale, 1.0f, 0.0f, 1.0f), -1);
}

TEST_F(ChannelsTest, SelectionWeightsBlendOldAndNew)
{
    // Weights 0, 51 (0.2) and 255 on three cells, the rest 0.
    world.selection.Create(world.gridWidth, world.gridHeight);
    world.selection.SetAt(10, 4, 51);
    world.selection.SetAt(11, 4, 255);
    ASSERT_TRUE(world.selection.IsActive());
    struct Cells {
        float c9, c10, c11;
    };
    auto run = [&](auto op, Cells old, Cells expected) {
        Cell(2, 9, 4) = old.c9;
        Cell(2, 10, 4) = old.c10;
        Cell(2, 11, 4) = old.c11;
        EXPECT_EQ(op(), 0);
        EXPECT_FLOAT_EQ(Cell(2, 9, 4), expected.c9);
        EXPECT_FLOAT_EQ(Cell(2, 10, 4), expected.c10);
        EXPECT_FLOAT_EQ(Cell(2, 11, 4), expected.c11);
    };
    Grid2D* g = world.Channel(2);
    run([&] { return world.FillGridValue(g, 100.0f); }, {0, 0, 0}, {0, 20, 100});
    run([&] { return world.ClampGrid(g, -10.0f, 10.0f); }, {50, 50, 50}, {50, 42, 10});
    // Added by weight, then clamped: also the unweighted cell.
    run([&] { return world.AddToGrid(g, 10.0f, -100.0f, 5.0f); }, {50, -2, 0}, {5, 0, 5});
    // Without an active selection every cell takes the new value.
    world.selection.Deselect();
    run([&] { return world.FillGridValue(g, 100.0f); }, {0, 0, 0}, {100, 100, 100});
    run([&] { return world.AddToGrid(g, 10.0f, -100.0f, 500.0f); }, {50, -2, 0}, {60, 8, 10});
}

TEST_F(ChannelsTest, NoiseFollowsTheGeneratorCellByCell)
{
    Grid2DPtr grid = Alloc2D(4, 2, sizeof(float));
    const float values[8] = {0.0f, 5.0f, 0.009f, 10.0f, 0.01f, -3.0f, 2.5f, 0.02f};
    for (bool gaussian : {false, true}) {
        std::copy(values, values + 8, grid->DataAs<float>());
        SRand(4321);
        ASSERT_EQ(world.AddNoiseToGrid(grid.get(), gaussian, 0.5f, 3.0f, 0.0f), 0);
        HandRand hand{4321};
        for (int i = 0; i < 8; ++i) {
            const float e = values[i];
            float expected = e;
            if (e - 0.0 >= 0.01) {
                const double r = gaussian ? std::fabs(hand.Gaussian()) : hand.Uniform() - 0.5;
                expected = static_cast<float>(0.5f + (3.0f * r + e));
            }
            EXPECT_EQ(grid->DataAs<float>()[i], expected) << gaussian << " " << i;
        }
        EXPECT_EQ(RandState(), hand.state); // no draw for a cell at or below the floor
    }
    // A floor above every value: nothing changes and nothing is drawn.
    std::copy(values, values + 8, grid->DataAs<float>());
    SRand(99);
    world.AddNoiseToGrid(grid.get(), true, 0.5f, 3.0f, 10.0f);
    EXPECT_EQ(RandState(), 99u);
    EXPECT_TRUE(std::equal(values, values + 8, grid->DataAs<float>()));
}

TEST_F(ChannelsTest, GlobalSetAltitudeWithOneSampleUsesEachCellsEvaluation)
{
    const auto before = Snapshot();
    ASSERT_EQ(world.GlobalSetAltitude(1500.0, 1, *sampler), 0);
    for (int r = 0; r < world.gridHeight; r += 7)
        for (int c = 0; c < world.gridWidth; c += 5) {
            double lat, lon;
            sampler->GridCellToLatLon(c, r, lat, lon);
            const float b = static_cast<float>(sampler->GetBasisValue(lat, lon));
            const float roughness = before[0][static_cast<size_t>(r) * world.gridWidth + c];
            ASSERT_EQ(Cell(1, c, r), static_cast<float>(1500.0 - roughness * b)) << c << " " << r;
        }
    // The altitude channel form is the same evaluation.
    SurfMap copy(world);
    world.GlobalSetChannel(kChannelAltitude, -200.0f, sampler.get());
    SurfaceSampler copySampler(&projection, &copy, nullptr, 1);
    copy.GlobalSetAltitude(-200.0, 1, copySampler);
    EXPECT_EQ(Snapshot()[1], std::vector<float>(copy.Channel(1)->DataAs<float>(),
                                                copy.Channel(1)->DataAs<float>() + copy.Channel(1)->CellCount()));
}

TEST_F(ChannelsTest, JitteredEvaluationsMatchOneThreadAndTheDrawOrder)
{
    // Four samples on all threads: the layout's order of draws, worked cell by cell on one.
    SurfMap reference(world);
    SRand(555);
    ASSERT_EQ(world.GlobalSetAltitude(800.0, 4, *sampler, 0), 0);
    const uint32_t stateAfter = RandState();

    HandRand hand{555};
    const int w = world.gridWidth, h = world.gridHeight;
    std::vector<float> expected(static_cast<size_t>(w) * h);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            double lat, lon;
            sampler->GridCellToLatLon(c, r, lat, lon);
            float b = static_cast<float>(sampler->GetBasisValue(lat, lon));
            for (int k = 1; k < 4; ++k) {
                const int r1 = hand.Next(), r2 = hand.Next();
                b = static_cast<float>(b + sampler->GetBasisValue(lat + r2 * 360.0 / (w * 32767.0),
                                                                  lon + r1 * 180.0 / (h * 32767.0)));
            }
            b = static_cast<float>(b * 0.25);
            expected[static_cast<size_t>(r) * w + c] = static_cast<float>(800.0 - reference.GetCellValue(c, r, 0) * b);
        }
    EXPECT_EQ(Snapshot()[1], expected);
    EXPECT_EQ(stateAfter, hand.state);

    // Temperature and rainfall: one thread and three give the same grids and sequence.
    for (int ch : {kChannelTemperature, kChannelRainfall}) {
        SurfMap one(reference), many(reference);
        SurfaceSampler s1(&projection, &one, nullptr, 1), s3(&projection, &many, nullptr, 1);
        SRand(77);
        ch == kChannelTemperature ? one.GlobalSetTemperature(15.0, 2, s1, 1) : one.GlobalSetRainfall(80.0, 2, s1, 1);
        const uint32_t state1 = RandState();
        SRand(77);
        ch == kChannelTemperature ? many.GlobalSetTemperature(15.0, 2, s3, 3) : many.GlobalSetRainfall(80.0, 2, s3, 3);
        EXPECT_EQ(RandState(), state1);
        EXPECT_EQ(Equal2D(one.Channel(ch), many.Channel(ch)), 1) << ch;
        EXPECT_EQ(Equal2D(one.Channel(ch), reference.Channel(ch)), 0) << ch;
        // Cell (c, r): old + value - mean of the jittered climates (Celsius for temperature),
        // evaluated on the world as it was.
        SurfaceSampler sr(&projection, &reference, nullptr, 1);
        HandRand draws{77};
        const int c = 0, r = 0; // the first cell takes the first draws
        double lat, lon;
        sr.GridCellToLatLon(c, r, lat, lon);
        const float altitude = sr.GetAltitude(lat, lon);
        float sum = 0.0f;
        for (int k = 0; k < 2; ++k) {
            const int r1 = draws.Next();
            const int r2 = draws.Next();
            float rain = 0, temp = 0;
            int cls = 0;
            sr.GetClimate(lat + r1 * 360.0 / (w * 32767.0), lon + r2 * 180.0 / (h * 32767.0), altitude, rain, temp,
                          cls, nullptr);
            sum += ch == kChannelTemperature ? temp : rain;
        }
        const float mean = ch == kChannelTemperature ? static_cast<float>(sum * 0.5 - 273.15)
                                                      : static_cast<float>(sum * 0.5);
        const double value = ch == kChannelTemperature ? 15.0 : 80.0;
        EXPECT_EQ(one.GetCellValue(c, r, ch), static_cast<float>(reference.GetCellValue(c, r, ch) + value - mean));
    }
}

// Polls that ask to stop at the given poll.
int g_pollsLeft = 0;
int StopAfterPolls()
{
    if (--g_pollsLeft <= 0)
        g_abortValue.store(kAbortValue);
    return 0;
}

TEST_F(ChannelsTest, AbortedEvaluationsWriteNothing)
{
    ProgressHooks hooks = SilentProgressHooks();
    hooks.poll = StopAfterPolls;
    SetProgressHooks(hooks);
    const auto before = Snapshot();
    const std::vector<double> curve{0.0, 0.5, 1.0};
    struct Case {
        const char* name;
        std::function<int()> call;
    } cases[] = {
        {"altitude", [&] { return world.GlobalSetAltitude(100.0, 2, *sampler); }},
        {"altitude threads", [&] { return world.GlobalSetAltitude(100.0, 1, *sampler, 4); }},
        {"temperature", [&] { return world.GlobalSetTemperature(10.0, 1, *sampler); }},
        {"rainfall", [&] { return world.GlobalSetRainfall(10.0, 1, *sampler); }},
        {"remap", [&] { return world.RemapAltitudes(-1e6, 1e6, curve, *sampler); }},
    };
    for (const Case& c : cases) {
        g_pollsLeft = 5;
        EXPECT_EQ(c.call(), -1) << c.name;
        EXPECT_EQ(Snapshot(), before) << c.name;
    }
    g_abortValue.store(0);
}

TEST_F(ChannelsTest, RemapThroughTheIdentityCurve)
{
    const int w = world.gridWidth, h = world.gridHeight;
    std::vector<float> altitude(static_cast<size_t>(w) * h);
    float highest = -1e30f;
    int top = 0;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            double lat, lon;
            sampler->GridCellToLatLon(c, r, lat, lon);
            const size_t i = static_cast<size_t>(r) * w + c;
            altitude[i] = sampler->GetAltitude(lat, lon);
            if (altitude[i] > highest)
                highest = altitude[i], top = static_cast<int>(i);
        }
    const double low = 0.0, high = highest;
    const auto before = Snapshot();
    const std::vector<double> identity{0.0, 1.0};
    ASSERT_EQ(world.RemapAltitudes(low, high, identity, *sampler, 0), 0);
    const auto after = Snapshot();
    int inside = 0;
    for (size_t i = 0; i < altitude.size(); ++i) {
        if (static_cast<int>(i) == top) {
            // The top of the range becomes low + 0.99999 x range.
            EXPECT_NEAR(after[1][i] - before[1][i], -0.00001 * (high - low), 1e-4);
        } else if (altitude[i] < low || altitude[i] > high) {
            ASSERT_EQ(after[1][i], before[1][i]) << i;
        } else {
            ++inside;
            ASSERT_NEAR(after[1][i], before[1][i], 1e-4) << i;
        }
    }
    EXPECT_GT(inside, 100);
    EXPECT_LT(inside, w * h - 100);

    // A flat curve sends every selected cell in range to the bottom of the range; the
    // others stay.
    world.selection.Create(w, h);
    world.selection.SetAt(top % w, top / w, 1);
    const std::vector<double> flat{0.0, 0.0, 0.0};
    const auto selected = Snapshot();
    double lat, lon;
    sampler->GridCellToLatLon(top % w, top / w, lat, lon);
    const float topNow = sampler->GetAltitude(lat, lon);
    ASSERT_EQ(world.RemapAltitudes(low, high, flat, *sampler, 1), 0);
    const auto remapped = Snapshot();
    for (size_t i = 0; i < altitude.size(); ++i) {
        if (static_cast<int>(i) == top) {
            EXPECT_NEAR(remapped[1][i], selected[1][i] - (topNow - low), 1e-3);
        } else {
            ASSERT_EQ(remapped[1][i], selected[1][i]) << i;
        }
    }

    // Refused: short curves, curves or bounds that are not numbers.
    const std::vector<double> one{0.5}, bad{0.0, std::nan("")};
    EXPECT_EQ(world.RemapAltitudes(low, high, one, *sampler), -1);
    EXPECT_EQ(world.RemapAltitudes(low, high, std::span<const double>(), *sampler), -1);
    EXPECT_EQ(world.RemapAltitudes(low, high, bad, *sampler), -1);
    EXPECT_EQ(world.RemapAltitudes(std::nan(""), high, identity, *sampler), -1);
    EXPECT_EQ(Snapshot(), remapped);
}

TEST_F(ChannelsTest, MoundOverTheSelection)
{
    const auto before = Snapshot();
    // No selection, and a selection with nothing selected: 0, nothing changes.
    EXPECT_EQ(world.MoundFromSelection(0.0f, 1000.0f, true, 1.0f), 0.0f);
    world.selection.Create(world.gridWidth, world.gridHeight);
    EXPECT_EQ(world.MoundFromSelection(0.0f, 1000.0f, true, 1.0f), 0.0f);
    EXPECT_EQ(Snapshot(), before);

    // A block of 9 x 9 cells: the centre is farthest from the unselected cells.
    for (int r = 40; r < 49; ++r)
        for (int c = 100; c < 109; ++c)
            world.selection.SetAt(c, r, 255);
    const float m = world.MoundFromSelection(100.0f, 1100.0f, true, 2.0f);
    ASSERT_GT(m, 0.0f);
    EXPECT_FLOAT_EQ(Cell(1, 104, 44), 1100.0f);
    const auto set = Snapshot();
    for (int r = 0; r < world.gridHeight; ++r)
        for (int c = 0; c < world.gridWidth; ++c) {
            const size_t i = static_cast<size_t>(r) * world.gridWidth + c;
            const bool inside = r >= 40 && r < 49 && c >= 100 && c < 109;
            if (!inside)
                ASSERT_EQ(set[1][i], before[1][i]);
            else
                ASSERT_GE(set[1][i], 100.0f);
        }
    // Added instead of set.
    EXPECT_EQ(world.MoundFromSelection(0.0f, 10.0f, false, 1.0f), m);
    EXPECT_FLOAT_EQ(Cell(1, 104, 44), 1110.0f);

    // Amounts that are not numbers, or a selection of another size.
    EXPECT_EQ(world.MoundFromSelection(kNaN, 10.0f, false, 1.0f), -1.0f);
    EXPECT_EQ(world.MoundFromSelection(0.0f, 10.0f, false, kNaN), -1.0f);
    world.selection.Create(10, 10);
    world.selection.SetAt(5, 5, 255);
    EXPECT_EQ(world.MoundFromSelection(0.0f, 10.0f, false, 1.0f), -1.0f);
}

TEST_F(ChannelsTest, OutsideNumbersAreRefusedOrHeld)
{
    const auto before = Snapshot();
    Grid2D* g = world.Channel(kChannelRainfall);
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(world.FillGridValue(g, kNaN), -1);
    EXPECT_EQ(world.FillGridValue(nullptr, 1.0f), -1);
    EXPECT_EQ(world.AddToGrid(g, inf, 0.0f, 1.0f), -1);
    EXPECT_EQ(world.AddNoiseToGrid(g, false, kNaN, 1.0f, 0.0f), -1);
    EXPECT_EQ(world.AddNoiseToGrid(g, true, 0.0f, inf, 0.0f), -1);
    EXPECT_EQ(world.GlobalSetAltitude(std::nan(""), 1, *sampler), -1);
    // Radii of 0, below 0 or not a number blur nothing.
    for (float radius : {0.0f, -3.0f, kNaN})
        EXPECT_EQ(world.BlurGrid(g, radius), 0);
    EXPECT_EQ(Snapshot(), before);

    // Sample counts of 0 or below count as 1; a selection of another size weighs the
    // cells outside it fully, and the evaluation covers the whole grid.
    world.selection.Create(16, 8);
    world.selection.SelectAll();
    ASSERT_TRUE(world.selection.IsActive());
    ASSERT_EQ(world.GlobalSetAltitude(300.0, 0, *sampler), 0);
    const auto zero = Snapshot();
    world.selection.Free();
    for (int samples : {1, -4}) {
        SurfMap again(world);
        std::copy(before[1].begin(), before[1].end(), again.Channel(1)->DataAs<float>());
        SurfaceSampler s(&projection, &again, nullptr, 1);
        ASSERT_EQ(again.GlobalSetAltitude(300.0, samples, s), 0);
        EXPECT_TRUE(std::equal(zero[1].begin(), zero[1].end(), again.Channel(1)->DataAs<float>())) << samples;
    }
    for (float v : zero[1])
        ASSERT_FALSE(std::isnan(v));
}

} // namespace

// A cell lies where the sampling reads it back: a value written at a cell is the value the
// renderer finds there. Set Global Altitude 500, then every cell sampled at its own
// position is 500 (within float rounding), on a small and a large grid.
TEST(CellPosition, GlobalAltitudeSamplesBackAtEveryCell)
{
    const ProgressHooks previous = SetProgressHooks(SilentProgressHooks());
    for (const int width : {64, 512}) {
        SurfMap world;
        ASSERT_EQ(world.SetResolution(width, false), 0);
        RecalculateWorld(world);
        // Rough land, so the basis differs from cell to cell.
        float* roughness = world.Channel(kChannelRoughness)->DataAs<float>();
        for (std::size_t i = 0; i < world.Channel(kChannelRoughness)->CellCount(); ++i)
            roughness[i] = 0.5f + static_cast<float>(i % 7) * 0.25f;
        ProjectionParms projection;
        SurfaceSampler sampler(&projection, &world, nullptr, 1);
        ASSERT_EQ(world.GlobalSetAltitude(500.0, 1, sampler), 0);
        int off = 0;
        for (int r = 0; r < world.gridHeight; ++r)
            for (int c = 0; c < world.gridWidth; ++c) {
                double lat, lon, x, y;
                sampler.GridCellToLatLon(c, r, lat, lon);
                world.LatLonToGrid(lat, lon, x, y);
                ASSERT_NEAR(x, c, 1e-9) << width;
                ASSERT_NEAR(y, r, 1e-9) << width;
                off += std::fabs(sampler.GetAltitude(lat, lon) - 500.0f) > 0.01f;
            }
        EXPECT_EQ(off, 0) << width;
    }
    SetProgressHooks(previous);
}

TEST(CellPosition, ColumnsAndRowsLieWhereTheSamplingReadsThem)
{
    EXPECT_DOUBLE_EQ(GridColumnLongitude(0, 256), -180.0);
    EXPECT_DOUBLE_EQ(GridColumnLongitude(128, 256), 0.0);
    EXPECT_DOUBLE_EQ(GridColumnLongitude(255, 256), 180.0 - 360.0 / 256);
    EXPECT_DOUBLE_EQ(GridColumnLongitude(64.5, 256), -89.296875);
    EXPECT_DOUBLE_EQ(GridRowLatitude(0, 128), -90.0);
    EXPECT_DOUBLE_EQ(GridRowLatitude(127, 128), 90.0);
    EXPECT_DOUBLE_EQ(GridColumnLongitude(0, 1), 0.0);
    EXPECT_DOUBLE_EQ(GridRowLatitude(0, 1), 0.0);
}
