#include "projection/ProjectionParms.h"
#include "shading/ShaderRegistry.h"
#include "base/AppSettings.h"
#include "base/layers/ImageOverlay.h"
#include "base/color/LightParms.h"
#include "base/raster/VideoBuffer.h"
#include "base/noise/BuiltinNoise.h"
#include "world/SurfaceSampler.h"

#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace kv;

namespace {

constexpr double kRad = M_PI / 180.0;

// A recalculated default world with some paint in its channels, a view's projection and
// lighting, and the shader registry bound to them.
class SamplerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecalculateWorld(world);
        SRand(99);
        for (int ch : {kChannelRoughness, kChannelLandOffset, kChannelWaterLevel}) {
            Grid2D* grid = world.Channel(ch);
            float* p = grid->DataAs<float>();
            for (std::size_t i = 0; i < grid->CellCount(); ++i)
                p[i] += static_cast<float>(Rand() % 200) * (ch == kChannelRoughness ? 0.002f : 5.0f);
        }
        projection.SetScale(0.5);
        GetShaderRegistry().Init(&world, &light);
    }
    void TearDown() override { ShaderRegistry::Destroy(); }

    SurfMap world;
    ProjectionParms projection;
    LightParms light;
};

double Expected(const TexParms& parms, const CSourceDatabase::SourceEntry& source, const double p[3])
{
    TexParms local = parms;
    std::copy(p, p + 3, local.point);
    return source.Evaluate(local);
}

} // namespace

TEST_F(SamplerTest, RotationOfTheUnitSphere)
{
    // Both axis values 0: the rotation by 90 degrees about x, (x, y, z) -> (x, z, -y).
    SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
    const double expected[3][3] = {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(sampler.Matrix()[i][j], expected[i][j], 1e-15) << i << j;

    const double lat = 25.0, lon = 70.0;
    const double v[3] = {std::cos(lat * kRad) * std::cos(lon * kRad), std::cos(lat * kRad) * std::sin(lon * kRad),
                         std::sin(lat * kRad)};
    const double turned[3] = {-10 + 2 * v[0], -10 + 2 * v[2], -10 - 2 * v[1]};
    const double plain[3] = {-10 + 2 * v[0], -10 + 2 * v[1], -10 + 2 * v[2]};
    const double a = sampler.EvaluateBasis(lat, lon);
    EXPECT_NEAR(a, Expected(world.sourceParms, *world.source, turned), 1e-12);
    // The world's own evaluator does not turn the point.
    EXPECT_NEAR(world.EvaluateBasis(lat, lon), Expected(world.sourceParms, *world.source, plain), 1e-12);
    EXPECT_NE(a, world.EvaluateBasis(lat, lon));

    // Axis longitude 90, latitude 90: only the turn about z, (x, y, z) -> (y, -x, z).
    world.axisLongitude = 90;
    world.axisLatitude = 90;
    SurfaceSampler z90(&projection, &world, &light, kShaderAltitude);
    const double zExpected[3][3] = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(z90.Matrix()[i][j], zExpected[i][j], 1e-15) << i << j;

    // Without rotation the axis values shift latitude and longitude; the matrix stays.
    world.axisRotate = 0;
    world.axisLongitude = world.axisLatitude = 0;
    SurfaceSampler plainSampler(&projection, &world, &light, kShaderAltitude);
    const double reference = plainSampler.EvaluateBasis(lat - 5, lon + 30);
    world.axisLongitude = 30;
    world.axisLatitude = -5;
    SurfaceSampler shifted(&projection, &world, &light, kShaderAltitude);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(shifted.Matrix()[i][j], expected[i][j], 1e-15) << i << j;
    EXPECT_EQ(shifted.EvaluateBasis(lat, lon), reference);
}

TEST_F(SamplerTest, ShapingFollowsTheCurve)
{
    world.seaBias = 0.5f;
    world.factorBelow = 2.0f;
    world.factorAbove = 3.0f;
    struct Case {
        double basis;
        double minAltitude;
        int waterPercentZero;
    };
    const Case cases[] = {
        {0.5, -9144.000113010406, 0}, // exactly at the sea bias: factorAbove
        {0.0, -9144.000113010406, 0}, {-500.0, -9144.000113010406, 0}, {900.0, -9144.000113010406, 0},
        {-500.0, -9144.000113010406, 1}, // no water: no shaping
        {-500.0, -304.80000376701355, 0}, // empty range below the shelf
        {-500.0, 100.0, 0},                // range above the shelf: negative ratio
    };
    for (const Case& c : cases) {
        world.minAltitude = c.minAltitude;
        world.waterPercent = c.waterPercentZero ? 0.0 : 70.0;
        SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
        const float s = static_cast<float>(c.basis) - 0.5f;
        const float v = s * (s < 0.0f ? 2.0f : 3.0f);
        const double shelf = world.shelfAltitude;
        const double below = static_cast<float>(c.minAltitude - shelf);
        const double above = static_cast<float>(world.maxAltitude - shelf);
        double expected = v;
        if (!c.waterPercentZero) {
            const double d = v - shelf;
            if (d < 0 && below == 0)
                expected = shelf;
            else if (d < 0)
                expected = shelf + below * std::copysign(std::pow(std::fabs(d / below), 0.6), d / below);
            else
                expected = shelf + above * std::pow(d / above, 1.75);
        }
        const double shaped = sampler.ShapeBasis(0, 0, c.basis);
        EXPECT_TRUE(std::isfinite(shaped)) << c.basis << " " << c.minAltitude;
        EXPECT_NEAR(shaped, expected, 1e-9 * std::max(1.0, std::fabs(expected))) << c.basis << " " << c.minAltitude;
    }
    world.minAltitude = -9144.000113010406;
    world.waterPercent = 70.0;
    world.shapingOn = 0;
    SurfaceSampler flat(&projection, &world, &light, kShaderAltitude);
    EXPECT_FLOAT_EQ(flat.ShapeBasis(0, 0, 2.5), 6.0f);

    // An imported basis is not shaped.
    world.surfaceType = kv::kSurfaceImported;
    EXPECT_EQ(flat.ShapeBasis(0, 0, 123.0), 123.0);
}

TEST_F(SamplerTest, AltitudeCombinesTheChannels)
{
    world.prescaleEnabled = 1;
    ASSERT_EQ(world.SetResolution(2, true), 0);
    world.Channel(kChannelPrescale)->DataAs<float>()[0] = 3.0f;
    SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
    for (double lat : {-90.0, -33.3, 0.0, 47.1, 90.0}) {
        for (double lon : {-180.0, -12.5, 99.0, 180.0}) {
            float scale = 0, offset = 0, prescale = 0;
            world.SampleScaleOffset(lat, lon, scale, offset);
            world.SamplePrescale(lat, lon, prescale);
            const double raw = sampler.EvaluateBasis(lat, lon);
            const double shaped = sampler.ShapeBasis(lat, lon, raw);
            EXPECT_EQ(sampler.GetBasisValue(lat, lon), shaped);
            EXPECT_EQ(sampler.GetAltitude(lat, lon), scale * static_cast<float>(shaped) + offset) << lat << " " << lon;
        }
    }
    EXPECT_NE(sampler.ShapeBasis(-90, -180, 0.1), sampler.ShapeBasis(10, 10, 0.1)); // the prescale cell counts

    // A raster world is channel 1 alone.
    world.rasterMode = 1;
    const float offset = world.SampleChannelBilinear(kChannelLandOffset, 12.0, 34.0);
    EXPECT_EQ(sampler.GetAltitude(12.0, 34.0), offset);
    EXPECT_EQ(sampler.AltitudeFromShaped(12.0, 34.0, 1e6), offset);
}

TEST_F(SamplerTest, PixelMappingsAreInverse)
{
    GeoBuffers target;
    ASSERT_NE(target.Allocate(64, 32), nullptr);
    SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
    sampler.SetTarget(&target, nullptr, nullptr);
    EXPECT_DOUBLE_EQ(sampler.PixelScale(), 0.5 / 16);
    double lat = 0, lon = 0;
    ASSERT_TRUE(sampler.PixelToLatLon(32, 16, lat, lon));
    EXPECT_NEAR(lat, 0.0, 0.01);
    EXPECT_NEAR(lon, 0.0, 0.01);
    // Unit map x = (col - 32) / 32 spans 180 degrees, y = (16 - row) / 32 likewise.
    ASSERT_TRUE(sampler.PixelToLatLon(1, 1, lat, lon));
    EXPECT_NEAR(lat, 84.375, 0.01);
    EXPECT_NEAR(lon, -174.375, 0.01);

    for (int mirror = 0; mirror < 2; ++mirror) {
        world.mirrorLatitude = world.mirrorLongitude = mirror;
        for (int row : {1, 7, 30})
            for (int col : {2, 33, 63}) {
                ASSERT_TRUE(sampler.PixelToLatLon(col, row, lat, lon));
                float x = 0, y = 0;
                ASSERT_TRUE(sampler.LatLonToPixelF(lat, lon, x, y));
                EXPECT_NEAR(x, col, 1e-4);
                EXPECT_NEAR(y, row, 1e-4);
                int ix = 0, iy = 0;
                ASSERT_TRUE(sampler.LatLonToPixel(lat, lon + (mirror ? -1e-9 : 1e-9), ix, iy));
            }
    }
    world.mirrorLatitude = world.mirrorLongitude = 0;

    // The integer pixel is the double position truncated: a point a hair left of column 40
    // and above row 12 lies in column 39 and row 11 (as floats both would round up).
    {
        double pLat = 0, pLon = 0;
        ASSERT_EQ(projection.MapToLatLon((8 - 1e-7) / 32, (4 + 1e-7) / 32, pLat, pLon), 0);
        double mapX = 0, mapY = 0;
        ASSERT_EQ(projection.LatLonToMap(pLat, pLon, mapX, mapY), 0);
        const double px = mapX / (0.5 / 16) + 32, py = 16 - mapY / (0.5 / 16);
        ASSERT_EQ(static_cast<float>(px), 40.0f);
        ASSERT_EQ(static_cast<float>(py), 12.0f);
        int ix = 0, iy = 0;
        ASSERT_TRUE(sampler.LatLonToPixel(pLat, pLon, ix, iy));
        EXPECT_EQ(ix, 39);
        EXPECT_EQ(iy, 11);
        EXPECT_EQ(ix, static_cast<int>(px));
        EXPECT_EQ(iy, static_cast<int>(py));
    }

    // Zoomed far in, a point on the other side of the map clamps instead of overflowing.
    projection.SetScale(1e-7);
    sampler.SetTarget(&target, nullptr, nullptr);
    int x = 0, y = 0;
    ASSERT_TRUE(sampler.LatLonToPixel(-60.0, 150.0, x, y));
    EXPECT_EQ(x, 32767);
    EXPECT_EQ(y, 32767);
    ASSERT_TRUE(sampler.LatLonToPixel(60.0, -150.0, x, y));
    EXPECT_EQ(x, -32767);
    EXPECT_EQ(y, -32767);

    double cellLat = 0, cellLon = 0;
    // The last column lies one column short of 180: the 256 columns go round the globe.
    EXPECT_TRUE(sampler.GridCellToLatLon(255, 127, cellLat, cellLon));
    EXPECT_DOUBLE_EQ(cellLat, 90.0);
    EXPECT_DOUBLE_EQ(cellLon, 180.0 - 360.0 / 256);
}

TEST_F(SamplerTest, RenderedRectangleMatchesDirectEvaluation)
{
    projection.SetProjection(kv::kMapOrthographic); // the corners are off the map
    projection.SetScale(1.0);
    GeoBuffers target;
    ASSERT_NE(target.Allocate(24, 16), nullptr);
    VideoBuffer colour, mask;
    ASSERT_EQ(colour.Create(24, 16), 0);
    ASSERT_EQ(mask.Create(24, 16), 0);
    SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
    EXPECT_EQ(sampler.RenderRect(&target, &colour, &mask, 24, 16, 0, 0), 0);

    SurfaceSampler direct(&projection, &world, &light, kShaderAltitude);
    direct.SetTarget(&target, nullptr, nullptr);
    float lowest = 1e30f, highest = -1e30f;
    int onMap = 0;
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 24; ++col) {
            double lat = 0, lon = 0;
            const bool valid = direct.PixelToLatLon(col, row, lat, lon);
            EXPECT_EQ(target.valid->Row<uint8_t>(row)[col], valid ? 1 : 0);
            EXPECT_EQ(mask.GetPixel(col, row) & 0xFFFFFF, valid ? 0xFFFFFFu : 0u);
            if (!valid)
                continue;
            ++onMap;
            const float altitude = direct.GetAltitude(lat, lon);
            EXPECT_EQ(target.altitude->Row<float>(row)[col], altitude) << col << "," << row;
            EXPECT_EQ(target.rawBasis->Row<float>(row)[col], static_cast<float>(direct.EvaluateBasis(lat, lon)));
            EXPECT_FLOAT_EQ(target.latitude->Row<float>(row)[col], static_cast<float>(lat * kRad));
            EXPECT_FLOAT_EQ(target.longitude->Row<float>(row)[col], static_cast<float>(lon * kRad));
            EXPECT_EQ(colour.GetPixel(col, row) & 0xFFFFFF, direct.ShadePoint(&target, col, row, lat, lon, altitude, true))
                << col << "," << row;
            lowest = std::min(lowest, altitude);
            highest = std::max(highest, altitude);
        }
    }
    EXPECT_GT(onMap, 100);
    EXPECT_LT(onMap, 24 * 16);
    EXPECT_EQ(target.minValue, lowest);
    EXPECT_EQ(target.maxValue, highest);
    EXPECT_EQ(sampler.RenderRect(&target, &colour, &mask, -5, 3, -1, 9), -1);
    EXPECT_EQ(sampler.RenderRect(&target, &colour, &mask, 30, 0, 40, 9), -1);

    // With the positions kept in the target, the altitude is recomputed from the stored
    // raw basis (here one planted value) and the channels as they are now.
    float* offsets = world.Channel(kChannelLandOffset)->DataAs<float>();
    for (std::size_t i = 0; i < world.Channel(kChannelLandOffset)->CellCount(); ++i)
        offsets[i] += 100.0f;
    target.rawBasis->Row<float>(8)[12] = 0.123f;
    target.positionsValid = true;
    GeoBuffers again = target;
    EXPECT_EQ(sampler.RenderRect(&again, nullptr, nullptr, 0, 0, 24, 16), 0);
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 24; ++col)
            if (target.valid->Row<uint8_t>(row)[col]) {
                double lat = target.latitude->Row<float>(row)[col] / kRad;
                double lon = target.longitude->Row<float>(row)[col] / kRad;
                EXPECT_EQ(target.altitude->Row<float>(row)[col],
                          direct.AltitudeFromShaped(lat, lon, direct.ShapeBasis(lat, lon, target.rawBasis->Row<float>(row)[col])));
            }
}

TEST_F(SamplerTest, SameSeedSamePixelsOnOneOrSeveralThreads)
{
    const int w = 96, h = 48;
    auto renderWhole = [&](SurfMap& surface, GeoBuffers& target, VideoBuffer& colour) {
        target.Allocate(w, h);
        colour.Create(w, h);
        SurfaceSampler sampler(&projection, &surface, &light, kShaderAltitude);
        return sampler.RenderRect(&target, &colour, nullptr, 0, 0, w, h);
    };
    GeoBuffers first, second;
    VideoBuffer colourFirst, colourSecond;
    ASSERT_EQ(renderWhole(world, first, colourFirst), 0);

    // A second world made from the same seed.
    SurfMap twin;
    twin = world;
    RecalculateWorld(twin);
    ASSERT_EQ(renderWhole(twin, second, colourSecond), 0);
    EXPECT_EQ(Equal2D(first.altitude.get(), second.altitude.get()), 1);
    EXPECT_EQ(std::memcmp(colourFirst.GetBits(), colourSecond.GetBits(), colourFirst.RowBytes() * h), 0);

    // Four samplers on four bands of one target (values first, then colours) give the
    // pixels of one.
    GeoBuffers shared;
    shared.Allocate(w, h);
    VideoBuffer colour;
    colour.Create(w, h);
    SurfaceSampler prototype(&projection, &world, &light, kShaderAltitude);
    EXPECT_EQ(RenderRectInBands(prototype, &shared, &colour, nullptr, 0, 0, w, h, 4), 0);
    EXPECT_EQ(Equal2D(first.altitude.get(), shared.altitude.get()), 1);
    EXPECT_EQ(Equal2D(first.latitude.get(), shared.latitude.get()), 1);
    EXPECT_EQ(std::memcmp(colourFirst.GetBits(), colour.GetBits(), colour.RowBytes() * h), 0);
    EXPECT_EQ(shared.minValue, first.minValue);
    EXPECT_EQ(shared.maxValue, first.maxValue);

    // The same on a part of the image with more bands than rows, and on an empty part.
    GeoBuffers part, partAlone;
    part.Allocate(w, h);
    partAlone.Allocate(w, h);
    VideoBuffer partColour, partAloneColour;
    partColour.Create(w, h);
    partAloneColour.Create(w, h);
    EXPECT_EQ(RenderRectInBands(prototype, &part, &partColour, nullptr, 10, 20, 40, 23, 8), 0);
    SurfaceSampler alone(prototype);
    EXPECT_EQ(alone.RenderRect(&partAlone, &partAloneColour, nullptr, 40, 23, 10, 20), 0);
    EXPECT_EQ(std::memcmp(partColour.GetBits(), partAloneColour.GetBits(), partColour.RowBytes() * h), 0);
    EXPECT_EQ(Equal2D(part.altitude.get(), partAlone.altitude.get()), 1);
    EXPECT_EQ(partColour.GetPixel(9, 20), 0u);
    EXPECT_EQ(RenderRectInBands(prototype, &part, &partColour, nullptr, 10, 48, 40, 60, 8), -1);
}

// A run of cells evaluated in groups (positions, then the noise of the group, then the
// rest) leaves every grid, pixel, range and the water answer as ComputeCell cell by cell,
// for runs longer than a group, reaching past the target, in both passes.
TEST_F(SamplerTest, RunsInGroupsEqualCellByCell)
{
    projection.SetProjection(kv::kMapOrthographic); // part of each row is off the globe
    projection.SetScale(1.0);
    constexpr int w = 150, h = 12;
    struct Render {
        GeoBuffers target;
        VideoBuffer colour, mask;
        bool above[2][h] = {};
    };
    Render cells, runs;
    for (Render* r : {&cells, &runs}) {
        ASSERT_NE(r->target.Allocate(w, h), nullptr);
        ASSERT_EQ(r->colour.Create(w, h), 0);
        ASSERT_EQ(r->mask.Create(w, h), 0);
        SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
        sampler.SetTarget(&r->target, &r->colour, &r->mask);
        for (int pass = 0; pass < 2; ++pass) {
            const int mode = pass == 0 ? 0 : kCellColour;
            for (int row = 0; row < h; ++row) {
                if (r == &runs) {
                    sampler.ComputeRun(row, -3, w + 4, mode, &r->above[pass][row]);
                    continue;
                }
                for (int col = -3; col <= w + 4; ++col) {
                    bool above = false;
                    sampler.ComputeCell(col, row, mode, &above);
                    r->above[pass][row] = r->above[pass][row] || above;
                }
            }
        }
    }
    for (auto grid : {&GeoBuffers::altitude, &GeoBuffers::rawBasis, &GeoBuffers::latitude, &GeoBuffers::longitude,
                      &GeoBuffers::valid})
        EXPECT_EQ(Equal2D((cells.target.*grid).get(), (runs.target.*grid).get()), 1);
    EXPECT_EQ(std::memcmp(cells.colour.GetBits(), runs.colour.GetBits(), cells.colour.RowBytes() * h), 0);
    EXPECT_EQ(std::memcmp(cells.mask.GetBits(), runs.mask.GetBits(), cells.mask.RowBytes() * h), 0);
    EXPECT_EQ(cells.target.minValue, runs.target.minValue);
    EXPECT_EQ(cells.target.maxValue, runs.target.maxValue);
    EXPECT_EQ(std::memcmp(cells.above, runs.above, sizeof cells.above), 0);
    int land = 0;
    for (bool a : cells.above[0])
        land += a ? 1 : 0;
    EXPECT_GT(land, 0);
}

// The colouring pass of a run inside the target (altitudes read back, the shader's setup
// looked up once per run, the steps over groups of cells) colours, masks and marks every
// cell as ComputeCell does, for shaders that read the water level and the climate, with
// positions unprojected or stored: on a view where part of each row is off the globe, and
// on a mirrored world whose map seam runs down the middle of the view.
TEST_F(SamplerTest, ColouringRunsEqualCellByCell)
{
    constexpr int w = 150, h = 60;
    for (int view = 0; view < 2; ++view)
    for (int shader : {kShaderAltitude, kShaderClimate, kShaderGaia})
        for (int stored : {0, kCellStoredPositions}) {
            if (view == 0) {
                projection.SetProjection(kv::kMapOrthographic);
                projection.SetScale(1.0);
            } else {
                projection.SetProjection(kv::kMapEquirectangular);
                projection.SetCenter(0.0, 180.0);
                projection.SetScale(0.4);
                world.mirrorLatitude = world.mirrorLongitude = true;
            }
            GeoBuffers target[2];
            VideoBuffer colour[2], mask[2];
            float low[2], high[2];
            for (int i = 0; i < 2; ++i) {
                ASSERT_NE(target[i].Allocate(w, h), nullptr);
                ASSERT_EQ(colour[i].Create(w, h), 0);
                ASSERT_EQ(mask[i].Create(w, h), 0);
                SurfaceSampler sampler(&projection, &world, &light, shader);
                sampler.SetTarget(&target[i], &colour[i], &mask[i]);
                for (int row = 0; row < h; ++row)
                    sampler.ComputeRun(row, 0, w - 1, 0, nullptr);
                for (int row = 0; row < h; ++row) {
                    if (i == 1) {
                        sampler.ComputeRun(row, 0, w - 1, stored | kCellColour, nullptr);
                        continue;
                    }
                    for (int col = 0; col < w; ++col)
                        sampler.ComputeCell(col, row, stored | kCellColour, nullptr);
                }
                low[i] = sampler.MinValue();
                high[i] = sampler.MaxValue();
            }
            SCOPED_TRACE(testing::Message() << "view " << view << " shader " << shader << " stored " << stored);
            EXPECT_EQ(std::memcmp(colour[0].GetBits(), colour[1].GetBits(), colour[0].RowBytes() * h), 0);
            EXPECT_EQ(std::memcmp(mask[0].GetBits(), mask[1].GetBits(), mask[0].RowBytes() * h), 0);
            EXPECT_EQ(Equal2D(target[0].valid.get(), target[1].valid.get()), 1);
            EXPECT_EQ(low[0], low[1]);
            EXPECT_EQ(high[0], high[1]);
            // The globe view is partly off the map, the flat view crosses the seam between
            // two cells of the middle row; both are coloured.
            int off = 0, coloured = 0, seams = 0;
            const float* longitude = target[1].longitude->Row<float>(h / 2);
            for (int col = 0; col < w; ++col) {
                off += target[1].valid->Row<uint8_t>(h / 2)[col] == 0 ? 1 : 0;
                coloured += colour[1].GetPixel(col, h / 2) != 0 ? 1 : 0;
                seams += col + 1 < w && std::fabs(longitude[col + 1] - longitude[col]) > 3.0f ? 1 : 0;
            }
            if (view == 0)
                EXPECT_GT(off, 0);
            EXPECT_EQ(seams > 0, view == 1);
            EXPECT_GT(coloured, h / 2);
        }
}

TEST_F(SamplerTest, RectangleCornersAreBothIncluded)
{
    // The whole-target rectangle is (0, 0) .. (w - 1, h - 1); this Equirectangular view
    // lies on the map at every pixel, the last column and row included.
    const int w = 64, h = 32;
    projection.SetScale(0.4);
    for (int bands : {0, 1, 3}) {
        GeoBuffers target;
        ASSERT_NE(target.Allocate(w, h), nullptr);
        VideoBuffer mask;
        ASSERT_EQ(mask.Create(w, h), 0);
        SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
        if (bands == 0)
            ASSERT_EQ(sampler.RenderRect(&target, nullptr, &mask, w - 1, h - 1, 0, 0), 0);
        else
            ASSERT_EQ(RenderRectInBands(sampler, &target, nullptr, &mask, 0, 0, w - 1, h - 1, bands), 0);
        for (int row = 0; row < h; ++row)
            for (int col = 0; col < w; ++col) {
                ASSERT_EQ(target.valid->Row<uint8_t>(row)[col], 1) << bands << ": " << col << "," << row;
                ASSERT_EQ(mask.GetPixel(col, row) & 0xFFFFFF, 0xFFFFFFu) << bands << ": " << col << "," << row;
            }
        sampler.SetTarget(&target, nullptr, nullptr);
        double lat = 0, lon = 0;
        ASSERT_TRUE(sampler.PixelToLatLon(w - 1, h - 1, lat, lon));
        EXPECT_EQ(target.altitude->Row<float>(h - 1)[w - 1], sampler.GetAltitude(lat, lon)) << bands;
    }

    // A rectangle of one column is one column, not empty; one beside the target is empty.
    GeoBuffers target;
    ASSERT_NE(target.Allocate(w, h), nullptr);
    SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
    ASSERT_EQ(sampler.RenderRect(&target, nullptr, nullptr, 5, 3, 5, 9), 0);
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            EXPECT_EQ(target.valid->Row<uint8_t>(row)[col], col == 5 && row >= 3 && row <= 9 ? 1 : 0) << col << "," << row;
    EXPECT_EQ(sampler.RenderRect(&target, nullptr, nullptr, w, 0, w + 5, h - 1), -1);
}

TEST_F(SamplerTest, ClimateAndGaiaShadingAreTheSameInBands)
{
    const int w = 64, h = 32;
    for (int shader : {kShaderClimate, kShaderTemperature, kShaderGaia}) {
        GeoBuffers one, banded;
        one.Allocate(w, h);
        banded.Allocate(w, h);
        VideoBuffer colourOne, colourBanded;
        colourOne.Create(w, h);
        colourBanded.Create(w, h);
        SurfaceSampler sampler(&projection, &world, &light, shader);
        ASSERT_EQ(sampler.RenderRect(&one, &colourOne, nullptr, 0, 0, w, h), 0);
        ASSERT_EQ(RenderRectInBands(sampler, &banded, &colourBanded, nullptr, 0, 0, w, h, 8), 0);
        EXPECT_EQ(std::memcmp(colourOne.GetBits(), colourBanded.GetBits(), colourOne.RowBytes() * h), 0) << shader;
    }
}

TEST_F(SamplerTest, SurfaceNormalsAtEdgesAndDegenerateTargets)
{
    GeoBuffers target;
    ASSERT_NE(target.Allocate(16, 8), nullptr);
    SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
    sampler.RenderRect(&target, nullptr, nullptr, 0, 0, 16, 8);
    float interior[3], lastColumn[3], lastRow[3];
    sampler.SurfaceNormal(&target, 3, 3, interior, true);
    sampler.SurfaceNormal(&target, 15, 3, lastColumn, true);
    sampler.SurfaceNormal(&target, 3, 7, lastRow, true);
    // A flat surface: every normal is vertical and points the same way.
    for (const float* n : {interior, lastColumn, lastRow}) {
        EXPECT_NEAR(n[0], 0.0f, 1e-3 * std::fabs(n[2]));
        EXPECT_NEAR(n[1], 0.0f, 1e-3 * std::fabs(n[2]));
        EXPECT_NE(n[2], 0.0f);
    }
    EXPECT_EQ(std::signbit(lastColumn[2]), std::signbit(interior[2]));
    EXPECT_EQ(std::signbit(lastRow[2]), std::signbit(interior[2]));

    // (dLon F, dLat F, dAlt) across and down, crossed, on a cell worked by hand.
    float relief[3];
    sampler.SurfaceNormal(&target, 4, 2, relief, false);
    auto at = [&](const std::shared_ptr<Grid2D>& g, int c, int r) { return static_cast<double>(g->Row<float>(r)[c]); };
    const double f = world.circumference * 1000.0 / 360.0;
    const double a[3] = {(at(target.longitude, 5, 2) - at(target.longitude, 4, 2)) * f,
                         (at(target.latitude, 5, 2) - at(target.latitude, 4, 2)) * f,
                         (at(target.altitude, 5, 2) - at(target.altitude, 4, 2)) * light.vertExag};
    const double b[3] = {(at(target.longitude, 4, 3) - at(target.longitude, 4, 2)) * f,
                         (at(target.latitude, 4, 3) - at(target.latitude, 4, 2)) * f,
                         (at(target.altitude, 4, 3) - at(target.altitude, 4, 2)) * light.vertExag};
    EXPECT_NEAR(relief[0], a[1] * b[2] - a[2] * b[1], 1e-3 * std::fabs(relief[2]));
    EXPECT_NEAR(relief[1], a[2] * b[0] - a[0] * b[2], 1e-3 * std::fabs(relief[2]));
    EXPECT_NEAR(relief[2], a[0] * b[1] - a[1] * b[0], 1e-6 * std::fabs(relief[2]));

    // One pixel wide or high: no slope to measure, the vertical.
    GeoBuffers thin;
    ASSERT_NE(thin.Allocate(1, 5), nullptr);
    sampler.RenderRect(&thin, nullptr, nullptr, 0, 0, 1, 5);
    float n[3];
    sampler.SurfaceNormal(&thin, 0, 4, n, false);
    EXPECT_EQ(n[0], 0.0f);
    EXPECT_EQ(n[2], 1.0f);
    sampler.SurfaceNormal(nullptr, 0, 0, n, false);
    EXPECT_EQ(n[2], 1.0f);
}

TEST_F(SamplerTest, OverlaysBlendIntoThePixel)
{
    GeoBuffers target;
    target.Allocate(8, 4);
    VideoBuffer colour;
    colour.Create(8, 4);
    SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
    sampler.RenderRect(&target, &colour, nullptr, 0, 0, 8, 4);
    ImageOverlayList overlays;
    ImageOverlay* overlay = overlays.AddNamed("o", 4, 4, true);
    overlay->Fill(0x80204060u);
    sampler.SetOverlays(&overlays);
    const uint32_t old = colour.GetPixel(3, 2) & 0xFFFFFF;
    EXPECT_EQ(sampler.ColorPixel(3, 2), 1);
    uint32_t expected = 0;
    for (int k = 0; k < 3; ++k) {
        const uint32_t o = (old >> (8 * k)) & 0xFF, n = (0x204060u >> (8 * k)) & 0xFF;
        expected |= (((o * 127) >> 8) + n * 128 / 256) << (8 * k);
    }
    EXPECT_EQ(colour.GetPixel(3, 2) & 0xFFFFFF, expected);
    overlay->Fill(0xFF0000FFu);
    sampler.ColorPixel(3, 2);
    EXPECT_EQ(colour.GetPixel(3, 2) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(SamplerTest, WithoutWorldOrLight)
{
    SurfaceSampler none(&projection, nullptr, nullptr, kShaderAltitude);
    float rain = 1, temperature = 1, water = 1;
    int cls = 1;
    EXPECT_EQ(none.GetClimate(0, 0, 0, rain, temperature, cls, &water), 0);
    EXPECT_EQ(rain + temperature + water, 0.0f);
    EXPECT_EQ(cls, 0);
    EXPECT_EQ(none.ValueToColor(1.0f), 0xFFFFFFu);
    EXPECT_EQ(none.ShadePoint(nullptr, 0, 0, 0, 0, 0, true), 0xFFFFFFu);
    EXPECT_EQ(none.GetClimateName(3), "");

    // No lighting: the light is skipped, the render still runs.
    GeoBuffers target;
    target.Allocate(8, 4);
    VideoBuffer colour;
    colour.Create(8, 4);
    SurfaceSampler dark(&projection, &world, nullptr, kShaderAltitude);
    EXPECT_EQ(dark.RenderRect(&target, &colour, nullptr, 0, 0, 8, 4), 0);
    EXPECT_EQ(dark.GetClimateName(3), "Desert");
    EXPECT_EQ(dark.GetShaderName(200), "Invalid Shader");
}

TEST_F(SamplerTest, NoiseRebuildSettingRebuildsFromTheCallingThread)
{
    struct Rebuild : AppSettings {
        bool RebuildNoiseOnPrepare() const override { return true; }
    } settings;
    SRand(4242);
    RebuildNoiseTables();
    const BuiltinNoiseTables expected = GetNoiseTables();

    // Something else in the tables meanwhile; preparing rebuilds them from the same state.
    SRand(1);
    RebuildNoiseTables();
    const AppSettings* previous = SetAppSettings(&settings);
    SRand(4242);
    SurfaceSampler sampler(&projection, &world, &light, kShaderAltitude);
    SetAppSettings(previous);
    EXPECT_EQ(std::memcmp(&expected, &GetNoiseTables(), sizeof expected), 0);

    // Put the world's tables back for the other tests.
    RecalculateWorld(world);
}
