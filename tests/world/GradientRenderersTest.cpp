#include "world/GradientRenderers.h"

#include "../support/ProgressFixtures.h"
#include "base/color/LightParms.h"
#include "world/SurfMap.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

constexpr int kChannel = 2;

struct GradientWorld : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(world.SetResolution(256, false), 0);
        world.GetGridDims(width, height);
        ASSERT_EQ(width, 256);
        ASSERT_EQ(height, 128);
        m_hooks = SetProgressHooks(SilentProgressHooks());
    }
    void TearDown() override
    {
        SetProgressHooks(m_hooks);
        g_abortValue = 0;
    }
    void FillChannel(float value)
    {
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                world.SetCellValue(c, r, value, kChannel);
    }
    float At(int c, int r) const { return world.GetCellValue(c, r, kChannel); }

    SurfMap world;
    int width = 0, height = 0;
    ProgressHooks m_hooks{};
};

GradientSetup MakeSetup(int curve, double ex, double ey)
{
    GradientSetup s;
    s.curve = curve;
    s.endX = ex;
    s.endY = ey;
    s.startValue = 0.0;
    s.endValue = 100.0;
    return s;
}

} // namespace

TEST_F(GradientWorld, KindsGiveTheirValuesAlongStartToEnd)
{
    struct Case {
        int kind, curve, column, row;
        double expected;
    };
    const Case cases[] = {
        {kGradientLinear, kBlendLinear, 25, 0, 25.0},
        {kGradientLinear, kBlendCosine, 25, 0, 14.644661},
        {kGradientLinear, kBlendLinear, 150, 0, 100.0},  // past E
        {kGradientLinear, kBlendLinear, 0, 7, 0.0},      // on the start line
        {kGradientRamp, kBlendLinear, 25, 0, 25.0},
        {kGradientRamp, kBlendLinear, 150, 0, 0.0},     // ramp falls back past E
        {kGradientDouble, kBlendLinear, 50, 0, 100.0},
        {kGradientDouble, kBlendLinear, 75, 0, 50.0},
        {kGradientRadial, kBlendCosine, 25, 0, 85.355339},
        {kGradientRadial, kBlendCosine, 0, 0, 100.0},
        {kGradientRadial, kBlendLinear, 101, 0, 0.0},
        {kGradientPyramid, kBlendCosine, 25, 25, 14.644661},
        {kGradientPyramid, kBlendLinear, 50, 0, 100.0},
        {kGradientPyramid, kBlendLinear, 25, 60, 0.0},  // beyond the side at half the length
    };
    for (const Case& c : cases) {
        FillChannel(-5.0f);
        EXPECT_EQ(RenderGradient(world, kChannel, c.kind, MakeSetup(c.curve, 100, 0)), 0);
        EXPECT_NEAR(At(c.column, c.row), c.expected, 1e-4) << "kind " << c.kind << " at " << c.column;
    }
}

TEST_F(GradientWorld, CombinesWithTheOldValueAndKeepsUnselectedCells)
{
    FillChannel(10.0f);
    world.selection.Create(width, height);
    world.selection.SetAt(25, 0, 255);
    world.selection.SetAt(26, 0, 128);
    GradientSetup s = MakeSetup(kBlendLinear, 100, 0);
    s.operation = 1; // add
    ASSERT_EQ(RenderGradient(world, kChannel, kGradientLinear, s), 0);
    EXPECT_NEAR(At(25, 0), 35.0, 1e-4);
    EXPECT_NEAR(At(26, 0), 10.0 + 26.0 * 128.0 / 255.0, 1e-3);
    EXPECT_FLOAT_EQ(At(27, 0), 10.0f);
    EXPECT_FLOAT_EQ(At(25, 1), 10.0f);
}

TEST_F(GradientWorld, RadialWithStartOnEndStoresTheStartValue)
{
    FillChannel(-5.0f);
    GradientSetup s = MakeSetup(kBlendLinear, 0, 0);
    s.startValue = 7.0;
    ASSERT_EQ(RenderGradient(world, kChannel, kGradientRadial, s), 0);
    for (int r = 0; r < height; r += 17)
        for (int c = 0; c < width; c += 13)
            ASSERT_FLOAT_EQ(At(c, r), 7.0f);
    ASSERT_EQ(RenderGradient(world, kChannel, kGradientPyramid, s), 0);
    EXPECT_FLOAT_EQ(At(0, 0), 7.0f);
}

TEST(GradientRenderers, AbortKeepsExactlyTheRowsBeforeItsPoll)
{
    SurfMap world;
    ASSERT_EQ(world.SetResolution(512, false), 0); // 256 rows: two polls
    int width = 0, height = 0;
    world.GetGridDims(width, height);
    ASSERT_EQ(height, 256);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            world.SetCellValue(c, r, -5.0f, kChannel);
    {
        AbortDuring abort("Rendering Radial Gradient", 2);
        EXPECT_EQ(RenderGradient(world, kChannel, kGradientRadial, MakeSetup(kBlendLinear, 1000, 0)), -1);
    }
    g_abortValue = 0;
    EXPECT_NE(world.GetCellValue(3, 127, kChannel), -5.0f);
    EXPECT_EQ(world.GetCellValue(3, 128, kChannel), -5.0f);
    EXPECT_EQ(world.GetCellValue(3, 255, kChannel), -5.0f);
}

TEST(GradientRenderers, ThreadCountDoesNotChangeCells)
{
    SurfMap one, many;
    ASSERT_EQ(one.SetResolution(256, false), 0);
    ASSERT_EQ(many.SetResolution(256, false), 0);
    const ProgressHooks previous = SetProgressHooks(SilentProgressHooks());
    GradientSetup s = MakeSetup(kBlendCosine, 90.5, 40.25);
    s.startX = 10.5;
    s.startY = 80.0;
    for (int kind = 0; kind < kGradientKindCount; ++kind) {
        RenderGradient(one, kChannel, kind, s, 1);
        RenderGradient(many, kChannel, kind, s, 4);
        for (int r = 0; r < 128; ++r)
            for (int c = 0; c < 256; ++c)
                ASSERT_EQ(one.GetCellValue(c, r, kChannel), many.GetCellValue(c, r, kChannel));
    }
    SetProgressHooks(previous);
}
