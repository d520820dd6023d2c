#include "view/WorldSettingsValues.h"

#include "world/SurfMap.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kv {
namespace {

TEST(WorldSettingsValuesTest, ImperialDisplayOfDefaultsAndBack)
{
    SurfMap world;
    // Default world in imperial units: 25000 mi around, -1000 ft shelf, 30000 ft peak.
    EXPECT_NEAR(WorldSizeToDisplay(world.circumference, 0, 0), 25000.0, 0.01);
    EXPECT_NEAR(ShelfToDisplay(world.shelfAltitude, 0), -1000.0, 1e-6);
    EXPECT_NEAR(HeightToDisplay(world.maxAltitude, 0), 30000.0, 0.01);
    EXPECT_NEAR(BaseTemperatureToDisplay(15.0, 0), 59.0, 1e-12);
    EXPECT_NEAR(BaseTemperatureFromDisplay(59.5, 0), 27.5 * 0.5555555702727522, 1e-12);
    EXPECT_NEAR(TemperatureVarianceFromDisplay(18.0, 0), 10.0, 1e-12);
    EXPECT_NEAR(RainfallFromDisplay(10.0, 0), 25.4, 1e-12);
    EXPECT_NEAR(TiltFromDisplay(23.5), 0.41015237421866746, 1e-12);
    EXPECT_NEAR(WorldSizeFromDisplay(25000.0, 0, 0), 25000.0 * 5280.0 * 0.3048 * 0.001, 1e-9);
    // Metric shows the stored value.
    EXPECT_EQ(HeightToDisplay(1234.5, 1), 1234.5);
    EXPECT_EQ(RainfallToDisplay(130.0, 1), 130.0);
}

TEST(WorldSettingsValuesTest, SizeChoiceTwiceReturnsTheShownValue)
{
    const float shown = 25000.0f;
    const float diameter = shown * kCircumferenceToDiameter;
    EXPECT_NEAR(diameter * kDiameterToCircumference, shown, shown * 1e-6);
    // A diameter typed in goes back to the circumference it stands for.
    EXPECT_NEAR(WorldSizeFromDisplay(1000.0, 1, 1), 3141.5927, 1e-3);
}

TEST(WorldSettingsValuesTest, SliderPositionsTruncateAndValuesFollowTheScale)
{
    EXPECT_EQ(kRoughnessSlider.PositionOf(1.0), 668);  // 668.9189...
    EXPECT_NEAR(kRoughnessSlider.ValueAt(669), 1.00012, 1e-12);
    EXPECT_NEAR(kRoughnessSlider.ValueAt(668), 0.99864, 1e-12);
    EXPECT_EQ(kRoughnessSlider.PositionOf(2.2), 1000);   // beyond the range: the end
    EXPECT_EQ(kRoughnessSlider.PositionOf(-3.0), 0);
    EXPECT_EQ(kRoughnessSlider.PositionOf(NAN), 0);
    EXPECT_EQ(kLandSizeSlider.PositionOf(1.2), 22);      // 22.22...
    EXPECT_NEAR(kLandSizeSlider.ValueAt(1000), 10.0, 1e-12);
    EXPECT_EQ(kPercentSeaSlider.PositionOf(70.0), 70);
    EXPECT_EQ(kPercentSeaSlider.ValueAt(35), 35.0);
}

TEST(WorldSettingsValuesTest, MemoryAndCellTexts)
{
    EXPECT_EQ(GridMemoryText(256, false), "768 KB");
    EXPECT_EQ(GridMemoryText(1024, true), "14.0 MB");
    EXPECT_EQ(GridMemoryText(4, false), "0 KB");
    EXPECT_EQ(GridMemoryBytes(8190, true), 7LL * 8190 * 8190 * 2);  // no int overflow
    EXPECT_EQ(GridCellSizeText(40233.60049724579, 256, 0), "97.7 mi");
    EXPECT_EQ(GridCellSizeText(40233.60049724579, 256, 1), "157.2 km");
}

TEST(WorldSettingsValuesTest, EditTextsClampOrChangeNothing)
{
    struct Case {
        const char* text;
        std::optional<double> azimuth;
        std::optional<double> elevation;
    };
    const Case cases[] = {
        {"400", 359.99, 90.0}, {"-5", 0.0, -5.0}, {"360", 359.99, 90.0}, {"12.5abc", {}, {}},
        {"-120", 0.0, -90.0},  {"nan", {}, {}},   {"inf", {}, {}},       {"x", {}, {}},
        {"", {}, {}},          {" 12.5 ", 12.5, 12.5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseAzimuthText(c.text), c.azimuth) << c.text;
        EXPECT_EQ(ParseElevationText(c.text), c.elevation) << c.text;
    }
    EXPECT_EQ(ParseColorCountText("0", 1), 1);
    EXPECT_EQ(ParseColorCountText("0", 2), 2);
    EXPECT_EQ(ParseColorCountText("16", 1), 16);
    EXPECT_EQ(ParseColorCountText(" 256 ", 1), 256);
    // Counts outside 0..256 and text after the number are no count: the page says so.
    for (const char* bad : {"257", "100000", "99999999999999999999", "-1", "abc", "12abc", "", "1.5"})
        EXPECT_EQ(ParseColorCountText(bad, 1), std::nullopt) << bad;
}

TEST(WorldSettingsValuesTest, WorkingCopyCarriesParametersButNoGrids)
{
    SurfMap world;
    ASSERT_EQ(world.SetResolution(SurfMap::kResolution512, false), 0);
    world.exponentAbove = 2.5;
    world.exponentBelow = 0.25;
    world.sourceParms.seed = 99;
    world.climate.heatFactor = 3.0;
    SurfMap copy;
    const Grid2D* ownGrid = copy.Channel(0);
    CopyWorldSettings(copy, world);
    EXPECT_EQ(copy.exponentAbove, 2.5);
    EXPECT_EQ(copy.exponentBelow, 0.25);
    EXPECT_EQ(copy.sourceParms.seed, 99);
    EXPECT_EQ(copy.climate.heatFactor, 3.0);
    EXPECT_EQ(copy.gridWidth, 512);
    EXPECT_EQ(copy.Channel(0), ownGrid);  // grids are not copied
}

TEST(WorldSettingsValuesTest, NewSeedsDiffer)
{
    // Two draws a moment apart use different counter values.
    const int32_t a = DrawNewWorldSeed();
    int32_t b = a;
    for (int i = 0; i < 100 && b == a; ++i)
        b = DrawNewWorldSeed();
    EXPECT_NE(a, b);
}

} // namespace
} // namespace kv
