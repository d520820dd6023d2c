#include "WorldFixtures.h"
#include "base/color/ClimateParms.h"
#include "base/raster/VideoBuffer.h"
#include "document/AshgroveClimateModel.h"
#include "world/SurfMap.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace kv;

namespace {

using Model = AshgroveClimateModel;

void Allocate(Model& model, int w, int h)
{
    model.SetGridSize(w, h);
    ASSERT_TRUE(model.AllocateGrids());
}

template <class T>
T& At(Grid2DPtr& grid, int c, int r)
{
    return grid->Row<T>(static_cast<std::size_t>(r))[c];
}

// A world of w x w/2 cells with its water level at 0.
void MakeWorld(SurfMap& world, int w)
{
    ASSERT_EQ(world.SetResolution(w, false), 0);
}

// The ring growth written out as the model describes it: one scan, in place.
void LiteralGrowRings(std::vector<int8_t>& lab, int w, int h, int steps)
{
    for (int i = 1; i < steps; ++i)
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                int8_t& cell = lab[r * w + c];
                if (cell != 0)
                    continue;
                const int8_t around[4] = {lab[r * w + (c + w - 1) % w], lab[r * w + (c + 1) % w],
                                          r < h - 1 ? lab[(r + 1) * w + c] : int8_t(0),
                                          r > 0 ? lab[(r - 1) * w + c] : int8_t(0)};
                for (int8_t v : around)
                    if (v > 0 && v != i)
                        cell = static_cast<int8_t>(i);
            }
    for (int8_t& v : lab)
        if (v == 0)
            v = static_cast<int8_t>(steps);
}

} // namespace

TEST(AshgroveClimateModel, Defaults)
{
    Model model;
    EXPECT_EQ(model.Width(), 128);
    EXPECT_TRUE(model.HasGrids());
    EXPECT_DOUBLE_EQ(model.pi, 3.14159265359);
    EXPECT_DOUBLE_EQ(model.degreesToRadians, 0.01745329251994);
    EXPECT_EQ(model.codeTable[2][4], 10);
    EXPECT_EQ(model.codeTable[1][1], 5);
    EXPECT_EQ(model.codeTable[4][0], 0);
    EXPECT_EQ(model.rainfallThresholds[4], 180);
    model.SetDefaults();
    EXPECT_FALSE(model.HasGrids());
}

TEST(AshgroveClimateModel, HeatOnLandAndAtSea)
{
    Model model;
    Allocate(model, 16, 8);
    model.surfaceMask->Clear();
    for (int r = 1; r <= 7; ++r)
        for (int c = 5; c <= 11; ++c)
            At<uint8_t>(model.surfaceMask, c, r) = Model::kLand;
    model.Heat();
    // Row H/2 lies at latitude 0. (8, 4) has 49 land cells around it, (0, 4) none.
    const float land[4] = {303.7541f, 318.0833f, 303.7541f, 318.0833f};
    const float sea[4] = {304.1227f, 308.0f, 304.1227f, 308.0f};
    for (int s = 0; s < 4; ++s) {
        EXPECT_NEAR(At<float>(model.temperature[s], 8, 4), land[s], 1e-4f) << s;
        EXPECT_NEAR(At<float>(model.temperature[s], 0, 4), sea[s], 1e-4f) << s;
    }
    EXPECT_EQ(model.LandCountAround(8, 4), 49);
    EXPECT_EQ(model.LandCountAround(0, 4), 0);
    EXPECT_EQ(model.LandCountAround(4, 0), 3 * 3); // rows 0..3 (1..3 land), columns 1..7 (5..7 land)
}

TEST(AshgroveClimateModel, Bands)
{
    Model model;
    const struct {
        double f;
        int band;
    } temperatures[] = {{-10, 0}, {0, 0}, {0.5, 1}, {40, 1}, {40.01, 2}, {90, 2}, {95, 3}, {500, 3}};
    for (const auto& t : temperatures)
        EXPECT_EQ(model.TemperatureBand(t.f), t.band) << t.f;
    const struct {
        double r;
        int band;
    } rainfalls[] = {{0, 0}, {40, 0}, {41, 1}, {60, 1}, {110, 2}, {160, 3}, {160.5, 4}, {255, 4}};
    for (const auto& r : rainfalls)
        EXPECT_EQ(model.RainfallBand(r.r), r.band) << r.r;
}

TEST(AshgroveClimateModel, GrowRingsCases)
{
    Model model;
    struct Case {
        std::vector<int8_t> in, out;
    };
    const Case cases[] = {
        {{0, 0, 0, 1, 0, 0, 0}, {4, 3, 2, 1, 2, 3, 4}},           // a label never feeds its own step
        {{0, 0, -1, 0, 0, 0, 0}, {15, 15, -1, 15, 15, 15, 15}},   // -1 never qualifies
        {{0, 0, 0, 0, 0, 0, 0}, {15, 15, 15, 15, 15, 15, 15}},
    };
    for (const Case& c : cases) {
        Grid2DPtr g = Alloc2D(7, 1, 1);
        std::copy(c.in.begin(), c.in.end(), g->DataAs<int8_t>());
        model.GrowRings(*g);
        EXPECT_EQ(std::vector<int8_t>(g->DataAs<int8_t>(), g->DataAs<int8_t>() + 7), c.out);
    }

    // Any grid: the same labels as the one in-place scan.
    std::mt19937 random(7);
    const int w = 64, h = 33;
    std::vector<int8_t> labels(w * h);
    for (int8_t& v : labels) {
        const int k = static_cast<int>(random() % 10);
        v = static_cast<int8_t>(k < 6 ? 0 : (k == 6 ? -1 : k - 6));
    }
    Grid2DPtr g = Alloc2D(w, h, 1);
    std::copy(labels.begin(), labels.end(), g->DataAs<int8_t>());
    model.GrowRings(*g);
    LiteralGrowRings(labels, w, h, 15);
    EXPECT_EQ(std::vector<int8_t>(g->DataAs<int8_t>(), g->DataAs<int8_t>() + w * h), labels);
}

TEST(AshgroveClimateModel, ThermalEquatorJoinsColumns)
{
    Model model;
    Allocate(model, 3, 6);
    for (int r = 0; r < 6; ++r) {
        At<float>(model.temperature[0], 0, r) = 1.0f;                 // half reached after 3 rows
        At<float>(model.temperature[0], 1, r) = r >= 4 ? 1.0f : 0.0f; // after 5 rows
        At<float>(model.temperature[0], 2, r) = 1.0f;
    }
    model.ThermalEquator(0);
    const int expected[6][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {3, 3, 3}, {0, 3, 3}, {0, 3, 3}};
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(At<uint8_t>(model.pressureCode[0], c, r), expected[r][c]) << c << "," << r;
}

TEST(AshgroveClimateModel, ThermalEquatorPastTheLastRowStaysOnTheGrid)
{
    Model model;
    Allocate(model, 4, 2);
    for (int c = 0; c < 4; ++c) {
        At<float>(model.temperature[0], c, 0) = 100.0f;
        At<float>(model.temperature[0], c, 1) = 300.0f; // more than half in the last row
    }
    model.ThermalEquator(0);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(At<uint8_t>(model.pressureCode[0], c, 1), Model::kThermalEquator);
}

TEST(AshgroveClimateModel, IsobarFlagsFollowTheLevels)
{
    Model model;
    const int w = 23, h = 17;
    Allocate(model, w, h);
    std::mt19937 random(11);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            At<uint8_t>(model.pressureBytes, c, r) = static_cast<uint8_t>(random() % 256);
            At<uint8_t>(model.pressureCode[1], c, r) = random() % 40 == 0 ? 3 : 0;
            At<uint8_t>(model.windFlags[1], c, r) = 0;
        }
    model.IsobarFlags(1);
    // The level loop as described: levels 16 .. 240, columns W - 1, 0, 1, ...
    std::vector<uint8_t> flags(w * h, 0);
    auto p = [&](int c, int r) { return At<uint8_t>(model.pressureBytes, c, r); };
    for (int b = 16; b <= 255; b += 16)
        for (int i = 0; i < w; ++i) {
            const int x = i == 0 ? w - 1 : i - 1, left = x == 0 ? w - 1 : x - 1;
            bool past = false;
            for (int k = 0; k < h; ++k) {
                const bool here = p(x, k) >= b;
                past = past || At<uint8_t>(model.pressureCode[1], x, k) == 3;
                uint8_t& f = flags[k * w + x];
                if (k > 0) {
                    const bool above = p(x, k - 1) < b;
                    if (here && above)
                        f |= past ? 8 : 4;
                    if (!here && !above)
                        f |= past ? 4 : 8;
                }
                if (here && p(left, k) < b)
                    f |= past ? 2 : 1;
                if (!here && p(left, k) >= b)
                    f |= past ? 1 : 2;
            }
        }
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            ASSERT_EQ(At<uint8_t>(model.windFlags[1], c, r), flags[r * w + c]) << c << "," << r;
}

TEST(AshgroveClimateModel, MoistureFrontCarriesIntoTheNextSeason)
{
    Model model;
    Allocate(model, 4, 5);
    model.moistureSteps = 3;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c) {
            At<uint8_t>(model.surfaceMask, c, r) = r == 0 ? Model::kSea : Model::kLand;
            At<uint8_t>(model.windFlags[0], c, r) = Model::kWindRowUp;
            At<uint8_t>(model.windFlags[1], c, r) = Model::kWindRowUp;
        }
    At<uint8_t>(model.surfaceMask, 3, 2) = Model::kHighland;
    model.MoistureTransport(0);
    const int first[5] = {0, 1, 1, 1, 0};
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(At<uint8_t>(model.arrivals, 0, r), first[r]) << r;
    EXPECT_EQ(At<float>(model.rain[0], 3, 2), 32.0f); // rained out on the highland
    EXPECT_EQ(At<uint8_t>(model.arrivals, 3, 3), 0);
    // The front left in row 3 moves on with the new one.
    model.MoistureTransport(1);
    const int second[5] = {0, 1, 1, 1, 1};
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(At<uint8_t>(model.arrivals, 0, r), second[r]) << r;
}

TEST(AshgroveClimateModel, RainfallOfOneCell)
{
    Model model;
    Allocate(model, 3, 3);
    model.surfaceMask->Clear();
    model.arrivals->Clear();
    model.pressureCode[0]->Clear();
    model.windFlags[0]->Clear();
    model.rain[0]->Clear();
    At<uint8_t>(model.surfaceMask, 1, 1) = Model::kLand;
    At<uint8_t>(model.arrivals, 1, 1) = 2;
    for (auto [c, r] : {std::pair{0, 1}, {2, 1}, {1, 0}, {1, 2}})
        At<uint8_t>(model.arrivals, c, r) = 1;
    At<uint8_t>(model.pressureCode[0], 1, 1) = Model::kThermalEquator;
    At<uint8_t>(model.windFlags[0], 1, 2) = Model::kWindRowUp;
    At<float>(model.rain[0], 1, 1) = 5.0f;
    model.Rainfall(0);
    // 32 + 4 x 2 + 3 x 2 + 3 x 4 + 5, land 10, equator 32 and 24, next-row flow -24.
    EXPECT_EQ(At<float>(model.rain[0], 1, 1), 105.0f);
    // (0, 0): 32 + 3 x (1 + 1) neighbours' arrivals, next to the equator cell? no: 38.
    EXPECT_EQ(At<float>(model.rain[0], 0, 0), 38.0f);
}

TEST(AshgroveClimateModel, OutputWritesKelvinRainAndClassOnLandOnly)
{
    SurfMap world;
    MakeWorld(world, 4);
    Model model;
    Allocate(model, 4, 2);
    model.surfaceMask->Clear();
    At<uint8_t>(model.surfaceMask, 1, 0) = Model::kLand;
    const float temps[4] = {280, 290, 286, 296};
    for (int s = 0; s < 4; ++s)
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 4; ++c) {
                At<float>(model.temperature[s], c, r) = c == 3 ? 250.0f : temps[s];
                At<float>(model.rain[s], c, r) = 100.0f;
            }
    model.Output(world);
    EXPECT_EQ(world.GetCellValue(1, 0, kChannelTemperature), 288.0f);
    EXPECT_EQ(world.GetCellValue(1, 0, kChannelRainfall), 100.0f);
    EXPECT_EQ(world.GetCellValue(1, 0, kChannelClimate), float(ClimateParms::LookupClimateClass(100.0, 288.0)));
    EXPECT_EQ(world.GetCellValue(0, 0, kChannelTemperature), 0.0f); // sea: not written
    EXPECT_EQ(world.GetCellValue(0, 0, kChannelClimate), -1.0f);
    EXPECT_EQ(At<uint8_t>(model.modelCodes, 0, 0), Model::kOpenWater);
    EXPECT_EQ(At<uint8_t>(model.modelCodes, 3, 0), Model::kFrozenSea);
}

TEST(AshgroveClimateModel, WorldWithoutLandKeepsItsChannels)
{
    SurfMap world;
    MakeWorld(world, 32);
    Model model;
    ASSERT_TRUE(model.RunOn(world, 32, 16, [](Grid2D& heights, const char*) {
        for (std::size_t r = 0; r < heights.Height(); ++r)
            for (std::size_t c = 0; c < heights.Width(); ++c)
                heights.Row<float>(r)[c] = -100.0f - float(c);
        return true;
    }));
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 32; ++c) {
            const int code = At<uint8_t>(model.modelCodes, c, r);
            EXPECT_TRUE(code == Model::kFrozenSea || code == Model::kOpenWater);
            // Negative highest height: 0.7 x it lies above it, no highland.
            EXPECT_EQ(At<uint8_t>(model.surfaceMask, c, r), Model::kSea);
            EXPECT_EQ(world.GetCellValue(c, r, kChannelClimate), -1.0f);
            EXPECT_EQ(world.GetCellValue(c, r, kChannelTemperature), 0.0f);
        }
}

TEST(AshgroveClimateModel, RunOnASmallWorld)
{
    for (int w : {4, 64}) {
        SurfMap world;
        MakeWorld(world, w);
        Model model;
        ASSERT_TRUE(model.RunOn(world, w, w / 2, [](Grid2D& heights, const char*) {
            for (std::size_t r = 0; r < heights.Height(); ++r)
                for (std::size_t c = 0; c < heights.Width(); ++c)
                    heights.Row<float>(r)[c] = c % 3 == 0 ? 500.0f : -10.0f + float(r);
            return true;
        }));
        int land = 0;
        for (int r = 0; r < w / 2; ++r)
            for (int c = 0; c < w; ++c)
                if (At<uint8_t>(model.surfaceMask, c, r) != Model::kSea) {
                    ++land;
                    const float t = world.GetCellValue(c, r, kChannelTemperature);
                    EXPECT_GT(t, 200.0f);
                    EXPECT_LT(t, 350.0f);
                    EXPECT_GE(world.GetCellValue(c, r, kChannelClimate), 0.0f);
                }
        EXPECT_GT(land, 0);
    }
}

TEST(AshgroveClimateModel, RunRefusesGridsOfAnotherSize)
{
    MessageRecorder messages;
    SurfMap world;
    MakeWorld(world, 16);
    Model model;
    EXPECT_FALSE(model.RunOn(world, 32, 16, [](Grid2D&, const char*) { return true; }));
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(world.GetCellValue(0, 0, kChannelClimate), -1.0f);
}

TEST(AshgroveClimateModel, DrawLayers)
{
    Model model;
    Allocate(model, 4, 2);
    VideoBuffer bitmap;
    ASSERT_EQ(bitmap.Create(4, 2), 0);
    // Values: a ramp from black at the minimum to white at the maximum; row 0 at the bottom.
    const float values[2][4] = {{0, 1, 2, 4}, {4, 4, 4, 4}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            At<float>(model.rain[2], c, r) = values[r][c];
    model.DrawLayer(bitmap, 4, 2);
    EXPECT_EQ(bitmap.GetPixel(0, 1) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(bitmap.GetPixel(1, 1) & 0xFFFFFF, 0x3F3F3Fu); // 255 x 0.25 truncated
    EXPECT_EQ(bitmap.GetPixel(3, 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(bitmap.GetPixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);

    // A flat layer draws black.
    bitmap.Clear(0xFF00FF);
    model.pressure[0]->Clear();
    model.DrawLayer(bitmap, 2, 0);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(bitmap.GetPixel(c, r) & 0xFFFFFF, 0x000000u);

    // Codes: each colour below the count, others left alone.
    bitmap.Clear(0xFF00FF);
    const uint8_t codes[4] = {0, 4, 10, 11};
    for (int c = 0; c < 4; ++c)
        At<uint8_t>(model.modelCodes, c, 0) = codes[c];
    model.modelCodes->Row<uint8_t>(1)[0] = 2;
    model.DrawLayer(bitmap, 5, 0);
    EXPECT_EQ(bitmap.GetPixel(0, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(bitmap.GetPixel(1, 1) & 0xFFFFFF, 0xFFFFC0u);
    EXPECT_EQ(bitmap.GetPixel(2, 1) & 0xFFFFFF, 0xC0FF80u);
    EXPECT_EQ(bitmap.GetPixel(3, 1) & 0xFFFFFF, 0xFF00FFu);
    EXPECT_EQ(bitmap.GetPixel(0, 0) & 0xFFFFFF, 0xC0C0C0u);

    bitmap.Clear(0xFF00FF);
    model.DrawLayer(bitmap, 6, 0);
    EXPECT_EQ(bitmap.GetPixel(0, 0) & 0xFFFFFF, 0xFF00FFu);
}

TEST(AshgroveClimateModel, SameResultsAtAnyThreadCount)
{
    auto heights = [](Grid2D& grid, const char*) {
        std::mt19937 random(5);
        for (std::size_t r = 0; r < grid.Height(); ++r)
            for (std::size_t c = 0; c < grid.Width(); ++c)
                grid.Row<float>(r)[c] = static_cast<float>(random() % 2000) - 900.0f;
        return true;
    };
    SurfMap one, many;
    MakeWorld(one, 96);
    MakeWorld(many, 96);
    Model a, b;
    a.threads = 1;
    b.threads = 5;
    ASSERT_TRUE(a.RunOn(one, 96, 48, heights));
    ASSERT_TRUE(b.RunOn(many, 96, 48, heights));
    for (int ch : {kChannelRainfall, kChannelTemperature, kChannelClimate})
        EXPECT_EQ(Equal2D(one.Channel(ch), many.Channel(ch)), 1) << ch;
    EXPECT_EQ(Equal2D(a.modelCodes.get(), b.modelCodes.get()), 1);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(Equal2D(a.windFlags[s].get(), b.windFlags[s].get()), 1);
        EXPECT_EQ(Equal2D(a.rain[s].get(), b.rain[s].get()), 1);
        EXPECT_EQ(Equal2D(a.temperature[s].get(), b.temperature[s].get()), 1);
    }
}
