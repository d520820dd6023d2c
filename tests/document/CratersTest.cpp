// Crater profiles, the crater passes and the bombardment's sizes.
#include "base/Random.h"
#include "document/Craters.h"
#include "world/SurfMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace kv;

TEST(CraterProfile, WorkedValues)
{
    const struct {
        double D, r, km;
    } cases[] = {{10, 0, -0.025976}, {5, 0, -0.455290}, {100, 0, -1.039671}, {100, 50, 0.628277}};
    for (const auto& c : cases)
        EXPECT_NEAR(CraterProfile(c.r, c.D), c.km, 5e-7) << c.D << " " << c.r;
    EXPECT_DOUBLE_EQ(CraterProfile(600, 2400), CraterProfile(500, 2000));
    // Rim: the bowl reaches the rim height from inside, the ejecta starts there.
    const double D = 50, R = D / 2, t = 0.06 * std::pow(D, 0.51);
    EXPECT_NEAR(CraterProfile(R - 1e-9, D), t, 1e-6);
    EXPECT_NEAR(CraterProfile(R, D), t, 1e-12);
    EXPECT_NEAR(CraterProfile(4 * R, D), 0.0, 1e-12);
    // No central peak below 7 km; at 100 km a peak of radius 0.22 sqrt(93) / 2.
    const double m = 0.22 * std::sqrt(93.0);
    EXPECT_GT(CraterProfile(0, 100) - CraterProfile(m / 2 + 1e-6, 100), 0.0);
}

TEST(CraterStamper, RingCountsFollowTheGridWidth)
{
    const double extent = CraterExtentFromDiameter(100, 40233.6);
    EXPECT_EQ(CraterStamper::RingCount(extent, 256), 8);
    EXPECT_EQ(CraterStamper::RingCount(extent, 1024), 32);
    EXPECT_NEAR(CraterDiameterFromExtent(extent, 40233.6), 100.0, 1e-9);
    EXPECT_EQ(CraterStamper::RingPoints(0, 0, 0, false), 8);
    EXPECT_EQ(CraterStamper::RingPoints(10, 0, 0, false), 108);
    EXPECT_EQ(CraterStamper::RingPoints(10, M_PI / 2, 0, true), 1296); // 12 times at the pole
    EXPECT_EQ(CraterStamper::RingPoints(1000, 0, 0, false), CraterStamper::kMaxRingPoints);
}

namespace {

// Every value a crater writes on a flat world (no basis, so the mean is 0) is a profile
// table entry at some ring's distance, weighted by the selection.
void ExpectTableValues(SurfMap& world, double extent, double weight)
{
    const Grid2D& g = *world.Channel(kChannelLandOffset);
    const int W = static_cast<int>(g.Width()), H = static_cast<int>(g.Height());
    const int n = CraterStamper::RingCount(extent, W);
    const double D = CraterDiameterFromExtent(extent, world.circumference);
    std::set<float> allowed;
    for (int k = 1; k < n; ++k) {
        const float d = static_cast<float>(k) / static_cast<float>(n);
        const int entry = std::min(static_cast<int>(static_cast<double>(d) * 2048), 2047);
        const float T = static_cast<float>(CraterProfile(D / 2 * entry / 512.0, D) * 1000.0);
        allowed.insert(static_cast<float>(weight * T));
    }
    int changed = 0;
    auto rows = g.Rows<float>();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (rows[y][x] != 0.0f) {
                ++changed;
                EXPECT_TRUE(allowed.count(rows[y][x])) << x << "," << y << " " << rows[y][x];
            }
    EXPECT_GT(changed, n);
}

} // namespace

TEST(CraterStamper, GridPassWritesTheProfileTable)
{
    SurfMap world;
    ASSERT_EQ(world.SetResolution(2, false), 0);
    world.ClearChannels();
    for (int ch : {kChannelLandOffset, kChannelRoughness})
        std::fill(world.Channel(ch)->DataAs<float>(), world.Channel(ch)->DataAs<float>() + world.Channel(ch)->CellCount(), 0.0f);
    const double extent = static_cast<float>(CraterExtentFromDiameter(500, world.circumference));
    CraterStamper stamper(world, nullptr);
    ASSERT_EQ(stamper.Draw(0.0f, 0.0f, static_cast<float>(extent), false, false, true), 0);
    ExpectTableValues(world, extent, 1.0);
}

TEST(CraterStamper, SphericalPassUnderAHalfSelection)
{
    SurfMap world;
    ASSERT_EQ(world.SetResolution(2, false), 0);
    Grid2D& off = *world.Channel(kChannelLandOffset);
    std::fill(off.DataAs<float>(), off.DataAs<float>() + off.CellCount(), 0.0f);
    for (int y = 0; y < world.selection.GetHeight(); ++y)
        for (int x = 0; x < world.selection.GetWidth(); ++x)
            world.selection.SetAt(x, y, 51); // weight 0.2
    ASSERT_TRUE(world.selection.IsActive());
    const double extent = static_cast<float>(CraterExtentFromDiameter(500, world.circumference));
    CraterStamper stamper(world, nullptr);
    ASSERT_EQ(stamper.Draw(0.0f, 0.0f, static_cast<float>(extent), true, false, true), 0);
    ExpectTableValues(world, extent, 51 * (1.0 / 255.0));
}

TEST(CraterStamper, OutsideExtentsDrawNothingAndCratersRepeat)
{
    SurfMap world;
    ASSERT_EQ(world.SetResolution(2, false), 0);
    const Grid2D& off = *world.Channel(kChannelLandOffset);
    Grid2DPtr before = Clone2D(&off);
    CraterStamper stamper(world, nullptr);
    for (float e : {0.0f, -3.0f, NAN, INFINITY})
        EXPECT_EQ(stamper.Draw(10, 10, e, true, false, true), 0);
    EXPECT_TRUE(Equal2D(before.get(), &off));
    // Across the date line: columns wrap, and a second identical crater on a fresh copy
    // gives the same cells (the marks were cleared).
    ASSERT_EQ(stamper.Draw(0, 179.5f, 4.0f, true, false, true), 0);
    Grid2DPtr first = Clone2D(&off);
    Copy2D(world.Channel(kChannelLandOffset), before.get());
    ASSERT_EQ(stamper.Draw(0, 179.5f, 4.0f, true, false, true), 0);
    EXPECT_TRUE(Equal2D(first.get(), &off));
    auto rows = off.Rows<float>();
    const int H = static_cast<int>(off.Height()), W = static_cast<int>(off.Width());
    EXPECT_NE(rows[H / 2][1], (*before).Rows<float>()[H / 2][1]);
    EXPECT_NE(rows[H / 2][W - 3], (*before).Rows<float>()[H / 2][W - 3]);
}

TEST(Bombardment, SizesRepeatForASeedAndComeLargestFirst)
{
    BombardmentSettings s;
    SRand(7);
    const std::vector<float> a = BombardmentSizes(s);
    SRand(7);
    const std::vector<float> b = BombardmentSizes(s);
    ASSERT_EQ(a.size(), 250u);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(std::is_sorted(a.rbegin(), a.rend()));
    for (float v : a) {
        EXPECT_GE(v, 2 * s.smallest - 1e-3);
        EXPECT_LE(v, 2 * s.largest + 1e-3);
    }
    s.count = -4;
    EXPECT_TRUE(BombardmentSizes(s).empty());
    s.count = 1;
    s.largest = s.smallest = 10;
    SRand(1);
    const float f = std::pow(static_cast<float>(Rand()) * static_cast<float>(1.0 / 32767.0), 50.0);
    SRand(1);
    EXPECT_FLOAT_EQ(BombardmentSizes(s)[0], static_cast<float>((10 + static_cast<double>(f)) * 2));
}
