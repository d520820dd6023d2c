#include "projection/ProjectionParms.h"
#include "base/raster/VideoBuffer.h"
#include "world/GeoBuffers.h"
#include "world/SurfaceSampler.h"
#include "world/WorldData.h"

#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kv;

namespace {

class WorldDataTest : public ::testing::Test {
protected:
    void SetUp() override { RecalculateWorld(world); }
    SurfMap world;
};

TEST_F(WorldDataTest, HistogramOfTheSinusoidalMap)
{
    WorldData data;
    ASSERT_EQ(data.Compute(world), 0);

    // The same map rendered by one plain RenderRect, binned by hand.
    ProjectionParms projection;
    projection.SetProjection(kv::kMapSinusoidal);
    projection.SetScale(1.0);
    projection.SetOffset(0.00001, 0.00001);
    GeoBuffers target;
    target.Allocate(384, 384);
    VideoBuffer mask(384, 384);
    SurfaceSampler sampler(&projection, &world, nullptr, 1);
    ASSERT_EQ(sampler.RenderRect(&target, nullptr, &mask, 0, 0, 383, 383), 0);
    GridRows<float> raw = target.rawBasis->Rows<float>();
    float lo = 1e20f, hi = -1e20f;
    int onMap = 0;
    for (int r = 0; r < 384; ++r)
        for (int c = 0; c < 384; ++c)
            if (mask.GetPixel(c, r) != 0) {
                lo = std::min(lo, raw[r][c]);
                hi = std::max(hi, raw[r][c]);
                ++onMap;
            }
    EXPECT_GT(onMap, 45000);
    EXPECT_LT(onMap, 49000);
    EXPECT_EQ(data.GetMinimum(), lo);
    EXPECT_EQ(data.GetMaximum(), hi);
    ASSERT_LT(lo, hi);

    std::vector<uint32_t> bins(1025, 0);
    int atMaximum = 0;
    for (int r = 0; r < 384; ++r)
        for (int c = 0; c < 384; ++c)
            if (mask.GetPixel(c, r) != 0) {
                const int bin = static_cast<int>((raw[r][c] - lo) * (1024.0f / (hi - lo)));
                atMaximum += bin == 1024;
                if (bin < 1024)
                    ++bins[bin];
            }
    EXPECT_EQ(data.Histogram(), bins);
    EXPECT_GE(atMaximum, 1);
    EXPECT_EQ(data.Count(), onMap - atMaximum); // the maximum is never counted
    EXPECT_EQ(data.Histogram()[1024], 0u);
    EXPECT_GE(data.Histogram()[0], 1u); // the minimum is

    // Again on the same record: the same figures.
    const std::vector<uint32_t> first = data.Histogram();
    data.Compute(world);
    EXPECT_EQ(data.Histogram(), first);
}

TEST_F(WorldDataTest, Percentiles)
{
    WorldData data;
    data.Compute(world);
    const double lo = data.GetMinimum(), hi = data.GetMaximum();
    int top = 1023;
    while (data.Histogram()[top] == 0)
        --top;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double p;
        double expected;
    } cases[] = {
        {0.0, lo},
        {-5.0, lo},
        {100.0, lo + double(float(hi - lo)) * (top / 1024.0)}, // lower edge of the highest bin in use
        {100.5, lo},
        {250.0, lo},
        {nan, lo},
    };
    for (const Case& c : cases)
        EXPECT_EQ(data.Percentile(c.p), c.expected) << c.p;
    EXPECT_LT(data.Percentile(100.0), hi);

    // In between: rising with p, each the lower edge of a bin whose running count reaches
    // p percent while the bin before does not.
    double previous = lo;
    for (double p : {10.0, 30.0, 50.0, 70.0, 90.0}) {
        const double v = data.Percentile(p);
        EXPECT_GE(v, previous);
        previous = v;
        const int bin = static_cast<int>(std::lround((v - lo) / (double(float(hi - lo)) / 1024.0)));
        uint32_t below = 0;
        for (int i = 0; i < bin; ++i)
            below += data.Histogram()[i];
        EXPECT_LT(below, data.Count() * p / 100.0) << p;
        EXPECT_GE(below + data.Histogram()[bin], data.Count() * p / 100.0) << p;
    }
}

TEST_F(WorldDataTest, ConstantBasisCountsNothing)
{
    // A raster world leaves the raw basis at 0 everywhere.
    world.rasterMode = 1;
    WorldData data;
    data.Compute(world);
    EXPECT_EQ(data.GetMinimum(), 0.0f);
    EXPECT_EQ(data.GetMaximum(), 0.0f);
    EXPECT_EQ(data.Count(), 0);
    for (uint32_t bin : data.Histogram())
        ASSERT_EQ(bin, 0u);
    for (double p : {0.0, 70.0, 100.0, 150.0})
        EXPECT_EQ(data.Percentile(p), 0.0);
}

TEST_F(WorldDataTest, ResetKeepsStorage)
{
    WorldData data;
    EXPECT_EQ(data.Histogram().size(), 1025u);
    EXPECT_EQ(data.Percentile(50), 0.0);
    data.Compute(world);
    data.Reset();
    EXPECT_EQ(data.GetMinimum(), 0.0f);
    EXPECT_EQ(data.GetMaximum(), 0.0f);
    EXPECT_EQ(data.Count(), 0);
    ASSERT_EQ(data.Histogram().size(), 1025u);
    for (uint32_t bin : data.Histogram())
        ASSERT_EQ(bin, 0u);
    data.Compute(world);
    EXPECT_GT(data.Count(), 40000);
}

} // namespace

// The fuzz targets sample a smaller map: fewer samples of the same world, with about the
// same median.
TEST_F(WorldDataTest, ASmallerSampledMapTakesFewerSamplesOfTheSameWorld)
{
    WorldData full;
    full.Compute(world);
    const int before = WorldData::SetSampledMapSize(48);
    EXPECT_EQ(before, WorldData::kMapSize);
    WorldData small;
    small.Compute(world);
    EXPECT_EQ(WorldData::SetSampledMapSize(2), 48);
    EXPECT_EQ(WorldData::SampledMapSize(), 8);
    WorldData::SetSampledMapSize(before);
    // About a third of the square is on the sinusoidal map, as at full size.
    EXPECT_GT(small.Count(), 600);
    EXPECT_LT(small.Count(), 850);
    const double range = full.GetMaximum() - full.GetMinimum();
    EXPECT_NEAR(small.Percentile(50), full.Percentile(50), 0.2 * range);
}
