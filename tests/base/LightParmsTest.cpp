// Lighting parameters: defaults, light vector, altitude colours, the combine and blend
// operations, copying, and the keyword text form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>

#include "base/text/CTokenizer.h"
#include "base/color/LightParms.h"

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
    std::string items;
    FillCombineModeCombo([&](const char* name, int code) { items += std::to_string(code) + name + ";"; });
    FillBlendCurveCombo([&](const char* name, int code) { items += std::to_string(code) + name + ";"; });
    EXPECT_EQ(items, "0Replace;1Add;2Subtract;3Multiply;4Divide;5Min;6Max;0Linear;1Cosine;");

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

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

std::string WriteBlock(const LightParms& light, const char* name) {
    const std::string path = TempPath(name);
    CTokenizer tokenizer;
    std::FILE* file = std::fopen(path.c_str(), "w");
    EXPECT_NE(file, nullptr);
    EXPECT_EQ(light.WriteText(file, tokenizer), 0);
    std::fclose(file);
    return path;
}

std::string ReadAll(const std::string& path) {
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "r");
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, n);
    }
    std::fclose(file);
    return text;
}

int ReadBlock(LightParms& light, const std::string& path) {
    CTokenizer tokenizer;
    EXPECT_EQ(tokenizer.Open(path, false), 0);
    return light.ReadText(tokenizer);
}

int ReadBlockText(LightParms& light, const char* text, const char* name) {
    const std::string path = TempPath(name);
    std::FILE* file = std::fopen(path.c_str(), "w");
    std::fputs(text, file);
    std::fclose(file);
    return ReadBlock(light, path);
}

TEST(LightParmsTextTest, WritesKeywordLinesInOrder) {
    LightParms light;
    light.name = "Dusk";
    light.ambient = 0.125;
    const std::string text = ReadAll(WriteBlock(light, "kv_light_layout.lgt"));
    EXPECT_EQ(text.rfind("LightParms\n"
                         "Name           \"Dusk\"\n"
                         "BitDepth       0\n"
                         "Colors         15\n"
                         "Levels         15\n"
                         "Ambient        0.12500\n"
                         "Gamma          0.6666666666666666\n",  // 2/3: as many places as read back exactly
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("\naz             315.00000\nel             45.00000\nAbsColor       0\n"
                        "AbsMin         0.000000\nAbsMax         1000.000000\nIceNorth       0.35000\n"),
              std::string::npos);
    EXPECT_NE(text.find("FacingRelate   0\n\nAltColor ColorList\n"), std::string::npos);
    EXPECT_EQ(text.find("TemperatureList"), std::string::npos);  // no list lent, none written
    EXPECT_EQ(text.substr(text.size() - 14), "LightParmsEnd\n");
}

TEST(LightParmsTextTest, RoundTripKeepsEveryField) {
    CColorList temperatures, readTemperatures;
    temperatures.Add(0x010203);
    temperatures.Add(0x040506);
    LightParms a;
    a.name = "Mixed \"quotes\" and\nbreaks";
    a.bitDepth = 24;
    a.ambient = 0.3;
    a.gamma = 1.5;
    a.vertExag = 2.25;
    a.azimuth = 200;
    a.elevation = 30.5;
    a.seaLevel = -12.5;
    a.seaLowest = -8000;
    a.seaOpacity = 0.75;
    a.altMode = 2;
    a.seaEqual = 1;
    a.seaFloat = 1;
    a.seaSatMin = 0.1;
    a.seaSatMax = 0.9;
    a.corner = 3;
    a.unit = 0;
    a.landOpacity = 0.4;
    a.absColor = 1;
    a.absMax = 2500.5;
    a.absMin = -100.25;
    a.iceNorth = 0.5;
    a.iceSouth = 0.6;
    a.iceColor = 0xABCDEF;
    a.iceOpacity = 0.2;
    a.blendLat = 1;
    a.blendAlt = 0;
    a.blendSlope = 1;
    a.blendFacing = 1;
    a.blendLatVal = 0.11;
    a.blendAltVal = 0.22;
    a.blendSlopeVal = 0.33;
    a.blendFacingVal = 0.44;
    a.facingNorthDir = 10;
    a.facingNorthVal = 0.55;
    a.facingSouthDir = 170;
    a.facingSouthVal = 0.66;
    a.facingRelate = kCombineMultiply;
    a.colors = 7;
    a.levels = 9;
    a.landColors.ResetDefaults();
    a.landColors.Add(0x0A0B0C);
    a.seaColors.SetInterpolation(0);
    a.northColors.Add(0x112233);
    a.southColors.Add(0x445566);
    a.slopeColors.Add(0x778899);
    a.temperatureList = &temperatures;
    const std::string path = WriteBlock(a, "kv_light_round.lgt");

    LightParms b;
    b.temperatureList = &readTemperatures;
    ASSERT_EQ(ReadBlock(b, path), 0);
    EXPECT_EQ(b.name, "Mixed \"quotes\" and breaks");
    EXPECT_EQ(b.bitDepth, 24);
    EXPECT_EQ(b.ambient, 0.3);
    EXPECT_EQ(b.gamma, 1.5);
    EXPECT_EQ(b.vertExag, 2.25);
    EXPECT_EQ(b.azimuth, 200);
    EXPECT_EQ(b.elevation, 30.5);
    EXPECT_EQ(b.seaLevel, -12.5);
    EXPECT_EQ(b.seaLowest, -8000);
    EXPECT_EQ(b.seaOpacity, 0.75);
    EXPECT_EQ(b.altMode, 2);
    EXPECT_EQ(b.seaEqual, 1);
    EXPECT_EQ(b.seaFloat, 1);
    EXPECT_EQ(b.seaSatMin, 0.1);
    EXPECT_EQ(b.seaSatMax, 0.9);
    EXPECT_EQ(b.corner, 3);
    EXPECT_EQ(b.unit, 0);
    EXPECT_EQ(b.landOpacity, 0.4);
    EXPECT_EQ(b.absColor, 1);
    EXPECT_EQ(b.absMax, 2500.5);
    EXPECT_EQ(b.absMin, -100.25);
    EXPECT_EQ(b.iceNorth, 0.5);
    EXPECT_EQ(b.iceSouth, 0.6);
    EXPECT_EQ(b.iceColor, 0xABCDEF);
    EXPECT_EQ(b.iceOpacity, 0.2);
    EXPECT_EQ(b.blendLat, 1);
    EXPECT_EQ(b.blendAlt, 0);
    EXPECT_EQ(b.blendSlope, 1);
    EXPECT_EQ(b.blendFacing, 1);
    EXPECT_EQ(b.blendLatVal, 0.11);
    EXPECT_EQ(b.blendAltVal, 0.22);
    EXPECT_EQ(b.blendSlopeVal, 0.33);
    EXPECT_EQ(b.blendFacingVal, 0.44);
    EXPECT_EQ(b.facingNorthDir, 10);
    EXPECT_EQ(b.facingNorthVal, 0.55);
    EXPECT_EQ(b.facingSouthDir, 170);
    EXPECT_EQ(b.facingSouthVal, 0.66);
    EXPECT_EQ(b.facingRelate, kCombineMultiply);
    EXPECT_EQ(b.colors, 7);
    EXPECT_EQ(b.levels, 9);
    ASSERT_EQ(b.landColors.GetSize(), 1);
    EXPECT_EQ(b.landColors.GetColorAt(0), 0x0A0B0Cu);
    EXPECT_EQ(b.seaColors.GetInterpolation(), 0);
    EXPECT_EQ(b.seaColors.GetSize(), 4);
    EXPECT_EQ(b.northColors.GetColorAt(0), 0x112233u);
    EXPECT_EQ(b.southColors.GetColorAt(0), 0x445566u);
    EXPECT_EQ(b.slopeColors.GetColorAt(0), 0x778899u);
    ASSERT_EQ(readTemperatures.GetSize(), 2);
    EXPECT_EQ(readTemperatures.GetColorAt(1), 0x040506u);
    // The light vector follows the azimuth and elevation read.
    LightParms expected;
    expected.azimuth = 200;
    expected.elevation = 30.5;
    expected.UpdateLightVector();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(b.lightVector[i], expected.lightVector[i]);
    }
}

// Values that five places would round (2/3 of the defaults among them) are written with as
// many places as read back to the same double, so a view renders the same after its
// lighting went through the file.
TEST(LightParmsTextTest, EveryDoubleReadsBackExactly) {
    LightParms a;
    a.ambient = 1.0 / 3.0;
    a.vertExag = 1.0 + 1e-12;
    a.azimuth = -123.456789012345;
    a.absMin = -1e-9;
    a.absMax = 4.0e15 / 3.0;
    a.iceOpacity = 5e-300;
    a.facingSouthVal = 0.1 + 0.2;
    LightParms b;
    ASSERT_EQ(ReadBlock(b, WriteBlock(a, "kv_light_exact.lgt")), 0);
    EXPECT_EQ(b.gamma, 2.0 / 3.0);
    EXPECT_EQ(b.ambient, a.ambient);
    EXPECT_EQ(b.vertExag, a.vertExag);
    EXPECT_EQ(b.azimuth, a.azimuth);
    EXPECT_EQ(b.absMin, a.absMin);
    EXPECT_EQ(b.absMax, a.absMax);
    EXPECT_EQ(b.iceOpacity, a.iceOpacity);
    EXPECT_EQ(b.facingSouthVal, a.facingSouthVal);
    EXPECT_EQ(ReadAll(WriteBlock(b, "kv_light_exact2.lgt")), ReadAll(WriteBlock(a, "kv_light_exact3.lgt")));
}

TEST(LightParmsTextTest, EmptyBlockResetsOnlyTheLight) {
    LightParms light;
    light.ambient = 0.9;
    light.gamma = 3;
    light.corner = 5;
    light.unit = 0;
    light.name = "Old";
    light.landColors.Add(0x123456);
    light.iceNorth = 0.9;
    light.seaOpacity = 0.8;
    ASSERT_EQ(ReadBlockText(light, "LightParms\nLightParmsEnd\n", "kv_light_empty.lgt"), 0);
    EXPECT_EQ(light.ambient, 0.25);
    EXPECT_EQ(light.gamma, 2.0 / 3.0);
    EXPECT_EQ(light.corner, 0);
    EXPECT_EQ(light.unit, 1);
    EXPECT_EQ(light.name, "");
    EXPECT_EQ(light.landColors.GetSize(), 9);
    EXPECT_EQ(light.iceNorth, 0.9);
    EXPECT_EQ(light.seaOpacity, 0.8);
}

TEST(LightParmsTextTest, OverflowingValuesLeaveTheField) {
    // "inf" would be written back, and no reader takes it for a number.
    LightParms light;
    light.iceNorth = 0.9;
    light.seaOpacity = 0.8;
    ASSERT_EQ(ReadBlockText(light, "LightParms\nIceNorth 1e400\nSeaOpacity -1e308*10\nIceSouth 0.5\nLightParmsEnd\n",
                            "kv_light_overflow.lgt"),
              0);
    EXPECT_EQ(light.iceNorth, 0.9);
    EXPECT_EQ(light.seaOpacity, 0.8);
    EXPECT_EQ(light.iceSouth, 0.5);
}

TEST(LightParmsTextTest, ClimateListWithNothingToReadIntoIsSkipped) {
    LightParms light;
    const char* text =
        "LightParms\n"
        "Ambient 0.1*2\n"
        "TemperatureList ColorList\nGamma 3.00000\nMode 1\nData\n   1,   2,   3,\"\"\nColorListEnd\n"
        "Mystery 12\n"
        "SeaOpacity 0.75\n"
        "VertExag oops\n"
        "Levels )\n"
        "LightParmsEnd\n";
    ASSERT_EQ(ReadBlockText(light, text, "kv_light_scratch.lgt"), 0);
    EXPECT_DOUBLE_EQ(light.ambient, 0.2);
    EXPECT_EQ(light.gamma, 2.0 / 3.0);  // the list's own Gamma stays in the list
    EXPECT_EQ(light.seaOpacity, 0.75);
    EXPECT_EQ(light.vertExag, 1.1);  // values that do not parse leave the field alone
    EXPECT_EQ(light.levels, 15);
    EXPECT_EQ(light.landColors.GetExponent(), 1.0);
    EXPECT_EQ(light.seaColors.GetExponent(), 1.0);

    // Without the end keyword: -1, keeping what was read.
    LightParms cut;
    EXPECT_EQ(ReadBlockText(cut, "LightParms\nAmbient 0.5\nVertExag 3\n", "kv_light_cut.lgt"), -1);
    EXPECT_EQ(cut.ambient, 0.5);
    EXPECT_EQ(cut.vertExag, 3.0);
}

} // namespace
} // namespace kv
