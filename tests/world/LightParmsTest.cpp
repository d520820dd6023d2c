// Lighting parameters: defaults, light vector, altitude colours, the combine and blend
// operations, copying, and the keyword text form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>

#include "world/CTokenizer.h"
#include "world/LightParms.h"

namespace kv {
namespace {

TEST(LightParmsTest, DefaultsAndLightVector) {
    LightParms light;
    EXPECT_EQ(light.ambient, 0.25);
    EXPECT_EQ(light.gamma, 2.0 / 3.0);
    EXPECT_EQ(light.vertExag, 1.1);
    EXPECT_EQ(light.azimuth, 315.0);
    EXPECT_EQ(light.elevation, 45.0);
    EXPECT_EQ(light.seaLowest, -1.0);
    EXPECT_EQ(light.iceColor, 0xFFFFFF);
    EXPECT_EQ(light.blendAlt, 1);
    EXPECT_EQ(light.facingSouthDir, 180.0);
    EXPECT_EQ(light.colors, 15);
    EXPECT_EQ(light.unit, 1);
    EXPECT_EQ(light.temperatureList, nullptr);
    EXPECT_EQ(light.northColors.GetSize(), 0);
    // (-cos el cos(90 - az), -cos el sin(90 - az), -sin el)
    EXPECT_NEAR(light.GetLightVector()[0], 0.5f, 1e-6);
    EXPECT_NEAR(light.GetLightVector()[1], -0.5f, 1e-6);
    EXPECT_NEAR(light.GetLightVector()[2], -0.70710678f, 1e-6);

    const uint32_t land[] = {0x97DA62, 0xB9E696, 0x97FDA0, 0xCBFDCE, 0xC8DAFE,
                             0xAECAFE, 0x94BAFE, 0x7AAAFE, 0xE8E8E8};
    ASSERT_EQ(light.landColors.GetSize(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(light.landColors.GetColorAt(i), land[i]) << i;
    }
    const uint32_t sea[] = {0xFFE85B, 0xFFEE91, 0xFFF4C7, 0xFFF7E2};
    ASSERT_EQ(light.seaColors.GetSize(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(light.seaColors.GetColorAt(i), sea[i]) << i;
    }

    // Light from straight overhead points straight down.
    light.UpdateLight(-500, 10, 20);
    light.elevation = 90;
    light.UpdateLightVector();
    EXPECT_NEAR(light.lightVector[2], -1.0f, 1e-6);
    EXPECT_EQ(light.seaLowest, -500);
    EXPECT_EQ(light.landLow, 10);
    EXPECT_EQ(light.landHigh, 20);
}

TEST(LightParmsTest, AltitudeColourPicksSeaOrLandList) {
    LightParms light;
    light.UpdateLight(-1000, 0, 1000);
    light.landColors.ResetDefaults();
    light.landColors.SetInterpolation(1);
    light.landColors.Add(0x000000);
    light.landColors.Add(0x0000FF);  // red rises from 0 to 255 over the land range
    light.seaColors.ResetDefaults();
    light.seaColors.SetInterpolation(1);
    light.seaColors.Add(0x000000);
    light.seaColors.Add(0xFF0000);   // blue rises from the sea lowest to the sea level

    EXPECT_EQ(light.AltitudeColor(0.0), 0xFF0000u);     // at the sea level: the sea list's end
    EXPECT_EQ(light.AltitudeColor(-500.0), 0x7F0000u);  // half way down
    EXPECT_EQ(light.AltitudeColor(-5000.0), 0u);        // clamped
    EXPECT_EQ(light.AltitudeColor(1.0), 0u);            // just above: land near 0
    EXPECT_EQ(light.AltitudeColor(500.0), 0x00007Fu);
    EXPECT_EQ(light.AltitudeColor(9000.0), 0x0000FFu);
    // The sea level of the point decides, not the block's own.
    EXPECT_EQ(light.AltitudeColorAt(-500.0, -1000.0), 0u);
    EXPECT_EQ(light.AltitudeColorAt(-500.0, 1000.0), 0x3F0000u);  // 1 - 1500/2000

    // Equal bounds give position 0 instead of a division by zero.
    light.UpdateLight(0, 100, 100);
    EXPECT_EQ(light.AltitudeColor(-50.0), 0xFF0000u);  // sea: 1 - 0
    EXPECT_EQ(light.AltitudeColor(200.0), 0u);         // land: 0
}

TEST(LightParmsTest, ShadeIsTheLitFactor) {
    LightParms light;
    light.elevation = 90;
    light.UpdateLightVector();  // (0, 0, -1)
    light.gamma = 2.0;
    light.ambient = 0.1;
    EXPECT_NEAR(light.Shade(0, 0, -1), 1.0, 1e-12);            // 1 + 0.1 clamped
    EXPECT_NEAR(light.Shade(0, 0, 1), 0.1, 1e-12);             // facing away: the ambient
    EXPECT_NEAR(light.Shade(0, std::sqrt(0.5), -std::sqrt(0.5)), 0.6, 1e-6);
    light.ambient = 254.0 / 255.0;
    EXPECT_EQ(light.Shade(0, 0, 1), 1.0);
}

TEST(LightParmsTest, CombineAndBlendOperations) {
    struct Case {
        int op;
        double a, b, expected;
    } cases[] = {
        {0, 5, 7, 7},  {1, 5, 7, 12}, {2, 5, 7, -2}, {3, 5, 7, 35},  {4, 5, 2, 2.5},
        {4, 5, 0, 5},  {4, 5, 1e-11, 5}, {5, 5, 7, 5}, {6, 5, 7, 7}, {9, 5, 7, 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CombineValues(c.op, c.a, c.b), c.expected) << c.op;
    }
    EXPECT_STREQ(CombineOpName(0), "Replace");
    EXPECT_STREQ(CombineOpName(4), "Divide");
    EXPECT_STREQ(CombineOpName(6), "Max");
    EXPECT_STREQ(CombineOpName(7), "");
    EXPECT_STREQ(BlendCurveName(1), "Cosine");

    EXPECT_EQ(ApplyBlendCurve(0, 0.3), 0.3);
    EXPECT_NEAR(ApplyBlendCurve(1, 0.5), 0.5, 1e-12);
    EXPECT_NEAR(ApplyBlendCurve(1, 0.25), (1 - std::cos(std::numbers::pi / 4)) / 2, 1e-12);
    EXPECT_NEAR(ApplyBlendCurve(1, 1.0), 1.0, 1e-12);

    // The line from (0, 0) to (4, 0): points above it are at negative distance.
    EXPECT_NEAR(PointLineDistance(2, 3, 0, 0, 4, 0), -3.0, 1e-12);
    EXPECT_NEAR(PointLineDistance(2, -3, 0, 0, 4, 0), 3.0, 1e-12);
    EXPECT_EQ(PointLineDistance(2, 3, 1, 1, 1, 1), 0.0);
}

TEST(LightParmsTest, CopyKeepsTheTargetsListReferences) {
    CColorList mine, theirs;
    LightParms a, b;
    a.ambient = 0.5;
    a.name = "Dusk";
    a.northColors.Add(0x123456);
    a.temperatureList = &theirs;
    b.temperatureList = &mine;
    b = a;
    EXPECT_EQ(b.ambient, 0.5);
    EXPECT_EQ(b.name, "Dusk");
    EXPECT_EQ(b.northColors.GetColorAt(0), 0x123456u);
    EXPECT_EQ(b.temperatureList, &mine);
    LightParms c(a);
    EXPECT_EQ(c.temperatureList, nullptr);
    EXPECT_EQ(c.ambient, 0.5);
}

} // namespace
} // namespace kv
