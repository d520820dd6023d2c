// The math tool's operations, grids and result codes.
#include "base/color/LightParms.h"
#include "projection/ProjectionParms.h"
#include "document/MathTool.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kv;

namespace {

class MathToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FreeMathUserBuffer();
        RecalculateWorld(world);
        ASSERT_EQ(world.SetResolution(64, false), 0); // 64 x 32
        for (int ch = 0; ch < 6; ++ch) {
            Grid2D& g = *world.Channel(ch);
            for (size_t i = 0; i < g.CellCount(); ++i)
                g.DataAs<float>()[i] = static_cast<float>(ch * 100 + static_cast<int>(i % 17));
        }
    }
    void TearDown() override { FreeMathUserBuffer(); }
    float At(int ch, int x, int y) { return world.Channel(ch)->Rows<float>()[y][x]; }
    void SelectWeights()
    {
        for (int y = 0; y < world.selection.GetHeight(); ++y)
            for (int x = 0; x < world.selection.GetWidth(); ++x)
                world.selection.SetAt(x, y, static_cast<uint8_t>((x * 4) & 0xFF));
    }

    SurfMap world;
    ProjectionParms projection;
};

} // namespace

TEST_F(MathToolTest, AddAConstantWithAndWithoutASelection)
{
    Grid2DPtr before = Clone2D(world.Channel(kChannelLandOffset));
    ASSERT_EQ(RunMathTool(world, nullptr, kMathOffset, kMathOffset, kMathAdd, kMathConstant, 10.0f), 0);
    EXPECT_EQ(At(1, 5, 3), before->Rows<float>()[3][5] + 10.0f);
    Copy2D(world.Channel(kChannelLandOffset), before.get());
    SelectWeights();
    ASSERT_EQ(RunMathTool(world, nullptr, kMathOffset, kMathOffset, kMathAdd, kMathConstant, 10.0f), 0);
    for (int x : {0, 10, 40}) {
        const double old = before->Rows<float>()[3][x];
        const double r = old + 10.0f;
        EXPECT_EQ(At(1, x, 3), static_cast<float>(old + world.selection.GetWeight(x, 3) * (r - old)));
    }
}

TEST_F(MathToolTest, OperationsCellByCell)
{
    const struct {
        int op;
        float b;
        double (*expect)(double a, double b);
    } cases[] = {
        {kMathSubtract, 3.0f, [](double a, double b) { return a - b; }},
        {kMathMultiply, 2.5f, [](double a, double b) { return a * b; }},
        {kMathDivide, 4.0f, [](double a, double b) { return a / b; }},
        {kMathDivide, 0.000001f, [](double a, double) { return a; }},
        {kMathExponent, 0.5f, [](double a, double b) { return std::pow(a, b); }},
    };
    for (const auto& c : cases) {
        SetUp();
        const double a = At(kChannelRainfall, 7, 2);
        ASSERT_EQ(RunMathTool(world, nullptr, kMathWater, kMathRainfall, c.op, kMathConstant, c.b), 0);
        EXPECT_EQ(At(kChannelWaterLevel, 7, 2), static_cast<float>(c.expect(a, c.b))) << c.op;
    }
    // Minimum, Maximum and Copy take the land offset as Source 2, whatever was chosen.
    SetUp();
    const float rain = At(kChannelRainfall, 3, 1), offset = At(kChannelLandOffset, 3, 1);
    ASSERT_EQ(RunMathTool(world, nullptr, kMathWater, kMathRainfall, kMathMinimum, kMathConstant, -1e9f), 0);
    EXPECT_EQ(At(kChannelWaterLevel, 3, 1), std::min(rain, offset));
    ASSERT_EQ(RunMathTool(world, nullptr, kMathWater, kMathRainfall, kMathMaximum, 99, 0), 0);
    EXPECT_EQ(At(kChannelWaterLevel, 3, 1), std::max(rain, offset));
    // A result that is not finite keeps the old cell.
    world.Channel(kChannelRainfall)->Rows<float>()[1][3] = -4.0f;
    const float water = At(kChannelWaterLevel, 3, 1);
    ASSERT_EQ(RunMathTool(world, nullptr, kMathWater, kMathRainfall, kMathExponent, kMathConstant, 0.5f), 0);
    EXPECT_EQ(At(kChannelWaterLevel, 3, 1), water);
}

TEST_F(MathToolTest, AltitudeThroughTheUserBufferAndTheSelectionGrid)
{
    LightParms light;
    SurfaceSampler sampler(&projection, &world, &light, 1);
    ASSERT_EQ(RunMathTool(world, &sampler, kMathUserBuffer, kMathOffset, kMathAdd, kMathUserBuffer, 0),
              kMathNoUserBuffer);
    ASSERT_EQ(RunMathTool(world, &sampler, kMathUserBuffer, kMathAltitude, kMathCopy, kMathOffset, 0), 0);
    EXPECT_TRUE(HasMathUserBuffer());
    // Column 9 of 64 lies at 9 x 360 / 64 - 180, where the sampling reads it back.
    const float expected = sampler.GetAltitude(2 * 180.0 / 31 - 90.0, 9 * 360.0 / 64 - 180.0);
    ASSERT_EQ(RunMathTool(world, &sampler, kMathOffset, kMathUserBuffer, kMathCopy, kMathOffset, 0), 0);
    EXPECT_EQ(At(kChannelLandOffset, 9, 2), expected);

    // The selection as a source without an active selection is 0; as the destination it
    // maps the lowest altitude to 0 and the highest to 255.
    ASSERT_EQ(RunMathTool(world, &sampler, kMathWater, kMathSelection, kMathAdd, kMathConstant, 1.0f), 0);
    EXPECT_EQ(At(kChannelWaterLevel, 4, 4), 1.0f);
    float low = 0, high = 0;
    world.GetAltitudeRange(low, high);
    for (float v : {low, high}) {
        ASSERT_EQ(RunMathTool(world, &sampler, kMathSelection, kMathConstant, kMathAdd, kMathConstant, v * 0.5f), 0);
        EXPECT_EQ(world.selection.GetAt(0, 0), v == low ? 0 : 255);
    }

    // A new resolution makes the buffer's size differ: -8, and the buffer is gone.
    ASSERT_EQ(world.SetResolution(32, true), 0);
    EXPECT_EQ(RunMathTool(world, &sampler, kMathOffset, kMathUserBuffer, kMathCopy, kMathOffset, 0),
              kMathUserBufferSize);
    EXPECT_FALSE(HasMathUserBuffer());
}

TEST_F(MathToolTest, FailuresLeaveTheDestination)
{
    Grid2DPtr before = Clone2D(world.Channel(kChannelLandOffset));
    const struct {
        int d, s1, op, s2, code;
    } cases[] = {
        {8, 0, 0, 0, kMathBadDestination},   {-1, 0, 0, 0, kMathBadDestination},
        {kMathPrescale, 0, 0, 0, kMathBadDestination}, // no prescale grid
        {0, 10, 0, 0, kMathBadSource1},      {0, kMathAltitude, 0, 0, kMathBadSource1}, // no sampler
        {0, 0, 0, -2, kMathBadSource2},      {0, 0, 8, 0, kMathBadOperation},
        {0, 0, 0, kMathUserBuffer, kMathNoUserBuffer},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunMathTool(world, nullptr, c.d, c.s1, c.op, c.s2, 1.0f), c.code);
        EXPECT_TRUE(Equal2D(before.get(), world.Channel(kChannelLandOffset)));
    }
}
