#include "base/color/LightParms.h"
#include "world/ProfiledMound.h"
#include "world/RemapCurve.h"
#include "world/SurfMap.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

using namespace kv;

namespace {

// A world of w x w/2 cells whose land offset is `offset` everywhere and whose selection
// holds the cells for which select(c, r) is true.
template <class Select>
void MakeWorld(SurfMap& world, int w, float offset, Select select)
{
    ASSERT_EQ(world.SetResolution(w, false), 0);
    const int h = w / 2;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            world.Channel(kChannelLandOffset)->Row<float>(r)[c] = offset;
    ASSERT_EQ(world.selection.Create(w, h), 0);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            if (select(c, r))
                world.selection.SetAt(c, r, 255);
}

bool InDisc(int c, int r) { return (c - 16) * (c - 16) + (r - 8) * (r - 8) <= 25; }

float Offset(const SurfMap& world, int c, int r) { return world.GetCellValue(c, r, kChannelLandOffset); }

// The program's generator, written out: state x 214013 + 2531011, output bits 16..30.
std::vector<int> Draws(uint32_t seed, int count)
{
    std::vector<int> out;
    for (int i = 0; i < count; ++i) {
        seed = seed * 214013u + 2531011u;
        out.push_back(static_cast<int>((seed >> 16) & 0x7FFF));
    }
    return out;
}

} // namespace

TEST(ProfiledMound, DiscBecomesAConeAndTheRestKeepsItsOffset)
{
    SurfMap world;
    MakeWorld(world, 32, 5.0f, InDisc);
    ASSERT_TRUE(ProfiledMound(world, RemapCurve(), 0.0f, 10.0f, 0.0f, kCombineReplace));
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 32; ++c) {
            if (!InDisc(c, r))
                EXPECT_EQ(Offset(world, c, r), 5.0f) << c << "," << r;
            else
                EXPECT_GT(Offset(world, c, r), 0.0f);
        }
    // The centre is the most interior cell: the end of the straight profile.
    EXPECT_NEAR(Offset(world, 16, 8), 10.0f * 0.99999f, 1e-4f);
    // Rising from the edge to the centre along a radius. The second sweep leaves no cell
    // below 2 (every cell is 1 + a neighbour's value), so the edge stands at 2 / 5 of the
    // height, 5 being the centre's distance.
    for (int c = 11; c < 16; ++c)
        EXPECT_LE(Offset(world, c, 8), Offset(world, c + 1, 8)) << c;
    EXPECT_NEAR(Offset(world, 11, 8), 4.0f, 1e-5f);
    EXPECT_LT(Offset(world, 15, 8), Offset(world, 16, 8));
}

TEST(ProfiledMound, OperationsCombineWithTheOldOffset)
{
    SurfMap replaced, added, divided;
    MakeWorld(replaced, 32, 2.0f, InDisc);
    MakeWorld(added, 32, 2.0f, InDisc);
    MakeWorld(divided, 32, 2.0f, InDisc);
    ProfiledMound(replaced, RemapCurve(), 0.0f, 10.0f, 0.0f, kCombineReplace);
    ProfiledMound(added, RemapCurve(), 0.0f, 10.0f, 0.0f, kCombineAdd);
    // A profile of 0 everywhere: dividing by it keeps the old value.
    ProfiledMound(divided, RemapCurve(), 0.0f, 0.0f, 0.0f, kCombineDivide);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 32; ++c) {
            const float expectedAdd = InDisc(c, r) ? Offset(replaced, c, r) + 2.0f : 2.0f;
            EXPECT_FLOAT_EQ(Offset(added, c, r), expectedAdd);
            EXPECT_EQ(Offset(divided, c, r), 2.0f);
        }
}

TEST(ProfiledMound, NoiseDrawsOncePerCellFromTheLastCellAndRepeats)
{
    // 4 x 2 cells, all selected but the last of the top row: the distance sweeps give 2 at
    // every cell (worked by hand), so d = 1 and t = 1 everywhere.
    auto select = [](int c, int r) { return !(c == 3 && r == 1); };
    SurfMap world;
    MakeWorld(world, 4, 0.0f, select);
    ASSERT_TRUE(ProfiledMound(world, RemapCurve(), 0.0f, 10.0f, 50.0f, kCombineReplace));
    const float amplitude = 10.0f * 50.0f * 3.051851e-7f;
    const std::vector<int> draws = Draws(3, 8);
    // Rows from the last, columns from the last: (3,1) takes the first draw although it is
    // not selected.
    int k = 0;
    for (int r = 1; r >= 0; --r)
        for (int c = 3; c >= 0; --c, ++k) {
            const float expected = select(c, r) ? 10.0f * 0.99999f + static_cast<float>(draws[k]) * amplitude : 0.0f;
            EXPECT_NEAR(Offset(world, c, r), expected, 1e-5f) << c << "," << r;
        }

    SurfMap again;
    MakeWorld(again, 4, 0.0f, select);
    ProfiledMound(again, RemapCurve(), 0.0f, 10.0f, 50.0f, kCombineReplace);
    EXPECT_EQ(Equal2D(world.Channel(kChannelLandOffset), again.Channel(kChannelLandOffset)), 1);
}

TEST(ProfiledMound, WithoutASelectionNothingHappens)
{
    SurfMap world; // its mask exists but nothing is selected
    ASSERT_EQ(world.SetResolution(16, false), 0);
    EXPECT_FALSE(ProfiledMound(world, RemapCurve(), 0.0f, 10.0f, 0.0f, kCombineReplace));
    EXPECT_EQ(Offset(world, 3, 3), 0.0f);
}

TEST(DistanceSelection, RampFromTheEdge)
{
    auto block = [](int c, int r) { return c >= 4 && c < 14 && r >= 2 && r < 8; };
    SurfMap world;
    MakeWorld(world, 20, 0.0f, block);
    int calls = 0;
    ASSERT_TRUE(DistanceSelectionRamp(world, [&] { ++calls; }));
    EXPECT_EQ(calls, 1);
    int highest = 0;
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 20; ++c) {
            const int v = world.selection.GetAt(c, r);
            highest = std::max(highest, v);
            if (block(c, r))
                EXPECT_GE(v, 1) << c << "," << r;
            else
                EXPECT_EQ(v, 0) << c << "," << r;
        }
    EXPECT_EQ(highest, 255);
    EXPECT_LT(world.selection.GetAt(4, 2), world.selection.GetAt(8, 4));
}

TEST(DistanceSelection, NothingWithoutAnActiveSelection)
{
    SurfMap world;
    MakeWorld(world, 16, 0.0f, [](int, int) { return false; });
    int calls = 0;
    EXPECT_FALSE(DistanceSelectionRamp(world, [&] { ++calls; }));
    EXPECT_EQ(calls, 0);
}
