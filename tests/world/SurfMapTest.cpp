#include "base/Random.h"
#include "world/SurfMap.h"

#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

using namespace kv;

namespace {

// Fills a channel with distinct pseudo-random values.
void Scramble(SurfMap& world, int channel, uint32_t seed)
{
    SRand(seed);
    Grid2D* grid = world.Channel(channel);
    float* p = grid->DataAs<float>();
    for (std::size_t i = 0; i < grid->CellCount(); ++i)
        p[i] = static_cast<float>(Rand() % 2000 - 1000);
}

float Cell(const SurfMap& world, int channel, int col, int row)
{
    return world.Channel(channel)->Row<float>(static_cast<std::size_t>(row))[col];
}

double CatmullRomRef(double p0, double p1, double p2, double p3, double t)
{
    return p1 + t * (-0.5 * p0 + 0.5 * p2) + t * t * (p0 - 2.5 * p1 + 2 * p2 - 0.5 * p3) +
           t * t * t * (-0.5 * p0 + 1.5 * p1 - 1.5 * p2 + 0.5 * p3);
}

// Latitude of sampling row r (y = r exactly).
double RowLatitude(const SurfMap& world, int r) { return (static_cast<double>(r) / (world.gridHeight - 1) - 0.5) * 180.0; }

} // namespace

TEST(SurfMap, DefaultsAreTheLiteralValues)
{
    SurfMap world;
    EXPECT_EQ(world.sourceParms.size, 128);
    EXPECT_EQ(world.sourceParms.octaves, 13.0);
    EXPECT_EQ(world.sourceParms.H, 1.0);
    EXPECT_EQ(world.sourceParms.lacunarity, 2.0);
    EXPECT_EQ(world.sourceParms.seed, 12345);
    EXPECT_EQ(world.sourceParms.octaveMask, -1);
    const double extras[] = {1.0, 2.0, 0.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(world.sourceParms.extras[i], extras[i]) << i;
    // The single-precision foot the world has always carried: 1000 and 30000 of them.
    EXPECT_EQ(world.shelfAltitude, -1000.0 * static_cast<double>(0.3048f));
    EXPECT_EQ(world.maxAltitude, 30000.0 * static_cast<double>(0.3048f));
    EXPECT_EQ(world.minAltitude, -world.maxAltitude);
    EXPECT_EQ(world.circumference, 40233.60049724579);
    EXPECT_EQ(world.waterPercent, 70.0);
    EXPECT_EQ(world.exponentAbove, 1.75);
    EXPECT_EQ(world.exponentBelow, 0.6);
    EXPECT_EQ(world.originX, -10.0);
    EXPECT_EQ(world.scaleZ, 2.0);
    EXPECT_EQ(world.axisRotate, 1);
    EXPECT_EQ(world.sphericalMapping, 1);
    EXPECT_EQ(world.randomOrigin, 1);
    EXPECT_EQ(world.landSize, 1.2);

    int w = 0, h = 0;
    EXPECT_EQ(world.GetGridSize(w, h), 0);
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 128);
    EXPECT_EQ(world.GetResolutionCode(), 2);
    EXPECT_EQ(world.Channel(kChannelPrescale), nullptr);
    EXPECT_EQ(world.GetCellValue(10, 20, kChannelRoughness), 1.0f);
    EXPECT_EQ(world.GetCellValue(255, 127, kChannelClimate), -1.0f);
    EXPECT_EQ(world.GetCellValue(0, 0, kChannelLandOffset), 0.0f);
    EXPECT_EQ(world.selection.GetWidth(), 256);
    EXPECT_EQ(world.EstimateMemory(-1), 6LL * 256 * 256 * 4 / 2);
}

TEST(SurfMap, ResolutionCodes)
{
    struct Case {
        int code;
        int result;
        int width; // expected width afterwards
    };
    const Case cases[] = {
        {0, 0, 1024}, {1, 0, 512}, {2, 0, 256}, {8191, 0, 8190}, {1000, 0, 1000}, {1001, 0, 1000},
        // Width 2 (or 0) would leave one row or none: refused, the grids stay.
        {3, -1, 1000}, {8193, -1, 1000}, {5, 0, 4}, {-1, -1, 4}, {6, 0, 6},
    };
    SurfMap world;
    for (const Case& c : cases) {
        EXPECT_EQ(world.SetResolution(c.code, false), c.result) << c.code;
        EXPECT_EQ(world.gridWidth, c.width) << c.code;
        EXPECT_EQ(world.gridHeight, c.width / 2) << c.code;
        EXPECT_EQ(static_cast<int>(world.Channel(0)->Width()), c.width) << c.code;
    }
    EXPECT_EQ(world.ResolutionCodeToWidth(1), 512);
    EXPECT_EQ(world.ResolutionCodeToWidth(77), 77);
    EXPECT_EQ(world.ResolutionCodeToWidth(-1), 6);

    // Keeping the contents resamples them; a constant stays constant.
    world.prescaleEnabled = 1;
    ASSERT_EQ(world.SetResolution(8, false), 0);
    world.SetCellValue(3, 2, 4.0f, kChannelRainfall);
    for (int col = 0; col < 8; ++col)
        for (int row = 0; row < 4; ++row)
            world.SetCellValue(col, row, 7.0f, kChannelTemperature);
    ASSERT_EQ(world.SetResolution(16, true), 0);
    EXPECT_EQ(world.Channel(kChannelPrescale)->Width(), 16u);
    EXPECT_FLOAT_EQ(world.GetCellValue(5, 3, kChannelTemperature), 7.0f);
    EXPECT_FLOAT_EQ(world.GetCellValue(0, 0, kChannelClimate), -1.0f);
}

TEST(SurfMap, CellAccessIsCheckedAndBlendedBySelection)
{
    SurfMap world;
    EXPECT_EQ(world.GetCellValue(-1, 0, 1), 0.0f);
    EXPECT_EQ(world.GetCellValue(256, 0, 1), 0.0f);
    EXPECT_EQ(world.GetCellValue(0, 128, 1), 0.0f);
    EXPECT_EQ(world.GetCellValue(0, 0, 7), 0.0f);
    EXPECT_FALSE(world.SetCellValue(256, 0, 1.0f, 1));
    EXPECT_FALSE(world.SetCellValue(0, -1, 1.0f, 1));
    EXPECT_FALSE(world.SetCellValue(0, 0, 1.0f, 7));
    EXPECT_FALSE(world.SetCellValue(0, 0, 1.0f, kChannelPrescale)); // no such grid

    // A negative channel means the default channel (negative there: land offset).
    world.defaultChannel = kChannelRainfall;
    EXPECT_TRUE(world.SetCellValue(1, 1, 5.0f, -1));
    EXPECT_EQ(world.GetCellValue(1, 1, kChannelRainfall), 5.0f);
    world.defaultChannel = -3;
    EXPECT_TRUE(world.SetCellValue(1, 1, 6.0f, -1));
    EXPECT_EQ(world.GetCellValue(1, 1, kChannelLandOffset), 6.0f);

    world.selection.SetAt(2, 2, 0);
    world.selection.SetAt(3, 2, 255);
    world.selection.SetAt(4, 2, 51);
    ASSERT_TRUE(world.selection.IsActive());
    for (int col : {2, 3, 4})
        world.SetCellValue(col, 2, 100.0f, kChannelLandOffset);
    EXPECT_EQ(world.GetCellValue(2, 2, kChannelLandOffset), 0.0f);
    EXPECT_EQ(world.GetCellValue(3, 2, kChannelLandOffset), 100.0f);
    EXPECT_NEAR(world.GetCellValue(4, 2, kChannelLandOffset), 20.0f, 1e-4);
}

TEST(SurfMap, CubicSamplingWrapsColumnsAndClampsRows)
{
    SurfMap world;
    ASSERT_EQ(world.SetResolution(16, false), 0); // 16 x 8
    Scramble(world, kChannelLandOffset, 3);
    Scramble(world, kChannelRoughness, 4);
    const int w = 16, h = 8;

    // Column 0 at longitude -180 and at +180, rows at the poles: exact cells.
    for (int r : {0, 3, h - 1}) {
        const double lat = RowLatitude(world, r);
        EXPECT_FLOAT_EQ(world.SampleChannelCubic(1, lat, -180.0), Cell(world, 1, 0, r)) << r;
        EXPECT_FLOAT_EQ(world.SampleChannelCubic(1, lat, 180.0), Cell(world, 1, 0, r)) << r;
    }
    EXPECT_FLOAT_EQ(world.SampleChannelCubic(1, 90.0, 0.0), Cell(world, 1, w / 2, h - 1));
    EXPECT_FLOAT_EQ(world.SampleChannelCubic(1, -90.0, 0.0), Cell(world, 1, w / 2, 0));
    // Beyond the poles the rows are held.
    EXPECT_FLOAT_EQ(world.SampleChannelCubic(1, 120.0, 0.0), Cell(world, 1, w / 2, h - 1));

    // Between the last column and column 0 the cubic takes W-2, W-1, 0, 1.
    const int r = 4;
    const double t = 0.25;
    const double lon = ((w - 1 + t) / w - 0.5) * 360.0;
    auto at = [&](int c) { return static_cast<double>(Cell(world, 1, c, r)); };
    const double expected = CatmullRomRef(at(w - 2), at(w - 1), at(0), at(1), t);
    EXPECT_NEAR(world.SampleChannelCubic(1, RowLatitude(world, r), lon), expected, 1e-3);

    // A general point: the two-dimensional cubic worked from the cells.
    const double fx = 0.4, fy = 0.7;
    const int c0 = 5, r0 = 2;
    const double glon = ((c0 + fx) / w - 0.5) * 360.0;
    const double glat = ((r0 + fy) / (h - 1) - 0.5) * 180.0;
    double rows[4];
    for (int j = 0; j < 4; ++j) {
        const int rr = std::clamp(r0 - 1 + j, 0, h - 1);
        auto v = [&](int c) { return static_cast<double>(Cell(world, 0, c, rr)); };
        rows[j] = CatmullRomRef(v(c0 - 1), v(c0), v(c0 + 1), v(c0 + 2), fx);
    }
    const double expected2 = CatmullRomRef(rows[0], rows[1], rows[2], rows[3], fy);
    float scale = 0, offset = 0;
    world.SampleScaleOffset(glat, glon, scale, offset);
    EXPECT_NEAR(scale, expected2, 1e-3);
    EXPECT_FLOAT_EQ(offset, world.SampleChannelCubic(1, glat, glon));
}

TEST(SurfMap, BilinearWaterAndNearestClimate)
{
    SurfMap world;
    ASSERT_EQ(world.SetResolution(16, false), 0);
    Scramble(world, kChannelWaterLevel, 9);
    const int w = 16, h = 8;
    const double fx = 0.3, fy = 0.6;
    const int c = w - 1, r = 3; // the right neighbour wraps to column 0
    const double lat = ((r + fy) / (h - 1) - 0.5) * 180.0;
    const double lon = ((c + fx) / w - 0.5) * 360.0;
    auto v = [&](int col, int row) { return static_cast<double>(Cell(world, 4, col, row)); };
    const double top = v(c, r) + (v(0, r) - v(c, r)) * fx;
    const double bottom = v(c, r + 1) + (v(0, r + 1) - v(c, r + 1)) * fx;
    EXPECT_NEAR(world.SampleWaterLevel(lat, lon), top + (bottom - top) * fy, 1e-3);

    EXPECT_EQ(world.GetClimateOverride(lat, lon), -1);
    world.SetCellValue(c, r, 7.9f, kChannelClimate);
    EXPECT_EQ(world.GetClimateOverride(lat, lon), 7);
    world.SetCellValue(w - 1, h - 1, 3.0f, kChannelClimate);
    EXPECT_EQ(world.GetClimateOverride(90.0, 180.0), 3); // clamped to the last cell
}

// Many points at once give each point's own sample bit for bit: inside the grid, on its
// edges, past the seam and the poles, and at positions that are not numbers.
TEST(SurfMap, WaterLevelsOfManyPointsAreEachPointsOwn)
{
    SurfMap world;
    ASSERT_EQ(world.SetResolution(16, false), 0);
    Scramble(world, kChannelWaterLevel, 9);
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    std::vector<double> lat, lon;
    const double odd[][2] = {{90, 180},  {-90, -180},  {0, 180},     {0, -180},  {95, 540},  {-200, -725.5},
                             {45, 1e300}, {nan, 10},   {10, nan},    {inf, inf}, {-inf, -inf}, {0, 179.99999999999997}};
    for (const auto& p : odd) {
        lat.push_back(p[0]);
        lon.push_back(p[1]);
    }
    for (int i = 0; i < 67; ++i) { // an odd count: the last point is left over from the pairs
        lat.push_back(-89.0 + i * 2.71);
        lon.push_back(-179.5 + i * 5.37);
    }
    const int n = static_cast<int>(lat.size());
    std::vector<float> levels(static_cast<size_t>(n), -1.0f);
    world.SampleWaterLevels(lat.data(), lon.data(), n, levels.data());
    for (int i = 0; i < n; ++i) {
        const float one = world.SampleWaterLevel(lat[static_cast<size_t>(i)], lon[static_cast<size_t>(i)]);
        EXPECT_EQ(std::bit_cast<uint32_t>(levels[static_cast<size_t>(i)]), std::bit_cast<uint32_t>(one))
            << "point " << i << " at " << lat[static_cast<size_t>(i)] << ", " << lon[static_cast<size_t>(i)];
    }
}

TEST(SurfMap, LatLonToGridAndAxisShift)
{
    SurfMap world;
    double x = 0, y = 0;
    EXPECT_TRUE(world.LatLonToGrid(0.0, 0.0, x, y));
    EXPECT_DOUBLE_EQ(x, 128.0);
    EXPECT_DOUBLE_EQ(y, 63.5);
    EXPECT_FALSE(world.LatLonToGrid(0.0, 180.0, x, y));
    EXPECT_DOUBLE_EQ(x, 256.0);
    EXPECT_FALSE(world.LatLonToGrid(-90.0, 0.0, x, y));

    ASSERT_EQ(world.SetResolution(16, false), 0);
    Scramble(world, kChannelLandOffset, 5);
    world.axisLatitude = 10;
    world.axisLongitude = 45;
    float s0, o0, s1, o1;
    world.SampleScaleOffset(0, 0, s0, o0);
    world.axisRotate = 0;
    world.SampleScaleOffset(0, 0, s1, o1);
    EXPECT_EQ(o1, o0); // shifting grids needs its own flag
    world.axisShiftsGrids = 1;
    world.SampleScaleOffset(0, 0, s1, o1);
    EXPECT_EQ(o1, world.SampleChannelCubic(1, 10, 45));
}

TEST(SurfMap, BrushCellWrapsAndClamps)
{
    struct Brush : ChannelBrush {
        int x = -9, y = -9;
        const Grid2D* grid = nullptr;
        int StrokeSegment(Grid2D& g, int x0, int y0, Grid2D&, int, int, const CSelection*, int, int) override
        {
            grid = &g;
            x = x0;
            y = y0;
            return 5;
        }
    } brush;
    SurfMap world;
    EXPECT_EQ(world.BrushAtLatLon(kChannelAltitude, 90.0, 180.0, brush), 5);
    EXPECT_EQ(brush.grid, world.Channel(kChannelLandOffset));
    EXPECT_EQ(brush.x, 0);
    EXPECT_EQ(brush.y, 127);
    world.BrushAtLatLon(kChannelRainfall, 0.0, -90.0, brush);
    EXPECT_EQ(brush.x, 64);
    EXPECT_EQ(brush.y, 64);
    EXPECT_EQ(world.BrushAtLatLon(kChannelPrescale, 0, 0, brush), -1);
    EXPECT_EQ(world.BrushAtLatLon(8, 0, 0, brush), -1);
}

TEST(SurfMap, UndoOfAChannelEdit)
{
    ViewRecorder view;
    SurfMap world;
    ASSERT_EQ(world.SetResolution(8, false), 0);
    UndoList undo;
    ASSERT_TRUE(undo.Add(&world, "Offset Edit", kChannelAltitude, 0)); // 7 records channel 1
    world.SetCellValue(2, 1, 50.0f, kChannelLandOffset);
    ASSERT_TRUE(undo.Undo());
    EXPECT_EQ(world.GetCellValue(2, 1, kChannelLandOffset), 0.0f);
    EXPECT_EQ(view.stops, 1);
    ASSERT_TRUE(undo.Redo());
    EXPECT_EQ(world.GetCellValue(2, 1, kChannelLandOffset), 50.0f);

    // After a change of resolution the saved grid no longer fits: refused, nothing changes.
    ASSERT_TRUE(undo.Add(&world, "Rain", kChannelRainfall, 0));
    ASSERT_EQ(world.SetResolution(16, false), 0);
    world.SetCellValue(0, 0, 9.0f, kChannelRainfall);
    const int stops = view.stops;
    EXPECT_FALSE(undo.Undo());
    EXPECT_EQ(world.GetCellValue(0, 0, kChannelRainfall), 9.0f);
    EXPECT_EQ(view.stops, stops);

    // A record of another world is refused.
    SurfMap other;
    std::unique_ptr<UndoData> data;
    ASSERT_TRUE(other.CreateUndoData(kChannelRainfall, 0, data));
    EXPECT_FALSE(world.RestoreUndoData(*data));
    // No grid for the channel: no record.
    EXPECT_FALSE(world.CreateUndoData(kChannelPrescale, 0, data));
}

TEST(SurfMap, CopyingParametersAndWholeWorlds)
{
    SurfMap a;
    a.SetResolution(8, false);
    a.exponentAbove = 3.0;
    a.surfaceType = kv::kSurfaceProceduralNoRoughness;
    a.name = "Aster";
    a.sourceParms.seed = 77;
    a.climate.albedo = 0.5;
    a.SetCellValue(1, 1, 4.0f, kChannelTemperature);

    SurfMap b;
    b.CopyParms(a);
    EXPECT_EQ(b.name, "Aster");
    EXPECT_EQ(b.sourceParms.seed, 77);
    EXPECT_EQ(b.climate.albedo, 0.5);
    EXPECT_EQ(b.gridWidth, 8);
    EXPECT_EQ(b.exponentAbove, 1.75); // not copied
    EXPECT_EQ(b.surfaceType, kv::kSurfaceProcedural); // not copied
    EXPECT_EQ(b.GetCellValue(1, 1, kChannelTemperature), 0.0f);

    SurfMap c(a);
    EXPECT_EQ(c.GetCellValue(1, 1, kChannelTemperature), 4.0f);
    EXPECT_NE(c.Channel(kChannelTemperature), a.Channel(kChannelTemperature));
    EXPECT_EQ(c.selection.GetWidth(), 8);

    SurfMap unit;
    unit.SetUnitBasis(1, 2, 3, 7);
    EXPECT_EQ(unit.basisId, 1);
    EXPECT_EQ(unit.originZ, 3);
    EXPECT_EQ(unit.scaleY, 7);
    EXPECT_EQ(unit.shapingOn, 0);
    EXPECT_EQ(unit.exponentBelow, 1.0);

    // The flat world resets roughness to 0.
    SurfMap flat;
    flat.surfaceType = kv::kSurfaceProceduralNoRoughness;
    flat.ClearChannels();
    EXPECT_EQ(flat.GetCellValue(0, 0, kChannelRoughness), 0.0f);
}

TEST(SurfMap, CreatingTheBasisFallsBackToTheRidgedSource)
{
    RegisterBuiltinSources();
    MessageRecorder messages;
    SurfMap world;
    world.basisId = 4711;
    EXPECT_EQ(world.CreateFractalBasis(), 0);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Unable to create fractal basis function ID 4711.\nUsing Ridged Multifractal instead.");
    EXPECT_EQ(world.basisId, 0);
    ASSERT_NE(world.source, nullptr);
    EXPECT_EQ(world.source->Id(), 0);
}

TEST(SurfMap, EvaluatesTheBasisOnItsOwnBlock)
{
    RegisterBuiltinSources();
    SurfMap world;
    SRand(12345);
    world.CreateFractalBasis();
    const double lat = 20.0, lon = -35.0;
    const double p[3] = {-10 + std::cos(lat * M_PI / 180) * std::cos(lon * M_PI / 180) * 2,
                         -10 + std::cos(lat * M_PI / 180) * std::sin(lon * M_PI / 180) * 2,
                         -10 + std::sin(lat * M_PI / 180) * 2};
    TexParms local = world.sourceParms;
    std::copy(p, p + 3, local.point);
    const double expected = world.source->Evaluate(local);
    EXPECT_EQ(world.EvaluateBasis(lat, lon), expected);
    EXPECT_NE(expected, 0.0);
    EXPECT_NEAR(world.sourceParms.point[0], p[0], 1e-12); // written into the world's block

    world.sphericalMapping = 0;
    local = world.sourceParms;
    local.point[0] = (lon / 360 + 0.5) * 4 - 10;
    local.point[1] = (lat / 180 + 0.5) * 2 - 10;
    local.point[2] = -10;
    EXPECT_EQ(world.EvaluateBasis(lat, lon), world.source->Evaluate(local));

    // Raster worlds answer channel 1; unknown surface types 0.
    world.rasterMode = 1;
    world.SetCellValue(0, 0, 12.0f, kChannelLandOffset);
    world.SetCellValue(255, 0, 12.0f, kChannelLandOffset);
    EXPECT_FLOAT_EQ(world.EvaluateBasis(-90.0, -180.0), 12.0f);
    world.rasterMode = 0;
    world.surfaceType = 3;
    EXPECT_EQ(world.EvaluateBasis(lat, lon), 0.0);
}

TEST(SurfMap, ClimateFromTheChannels)
{
    SurfMap world;
    ASSERT_EQ(world.SetResolution(8, false), 0);
    for (int c = 0; c < 8; ++c)
        for (int r = 0; r < 4; ++r) {
            world.SetCellValue(c, r, 40.0f, kChannelRainfall);
            world.SetCellValue(c, r, 300.0f, kChannelTemperature);
        }
    world.directClimate = 1;
    float rain = 0, temperature = 0;
    int cls = -5;
    EXPECT_EQ(world.EvaluateClimate(10, 10, 100, rain, temperature, cls), 0);
    EXPECT_FLOAT_EQ(rain, 40.0f);
    EXPECT_FLOAT_EQ(temperature, 300.0f);
    EXPECT_EQ(cls, ClimateParms::LookupClimateClass(40.0, 300.0));
    world.SetCellValue(4, 2, 13.0f, kChannelClimate);
    EXPECT_EQ(world.EvaluateClimate(60.0, 0.0, 100, rain, temperature, cls), 0); // cell (4, 2.5)
    EXPECT_EQ(cls, 13);

    // The model: the offsets reach the climate operation of the parameters.
    world.directClimate = 0;
    double r2 = 0, t2 = 0;
    int c2 = 0;
    ClimateParms reference = world.climate;
    reference.EvaluateClimate(10, 10, 100, r2, t2, c2, 40, 300, 0, -1, -10, -10, -10);
    EXPECT_EQ(world.EvaluateClimate(10, 10, 100, rain, temperature, cls), 0);
    EXPECT_NEAR(rain, r2, 1e-3);
    EXPECT_NEAR(temperature, t2, 1e-3);
    EXPECT_EQ(cls, c2);
}
