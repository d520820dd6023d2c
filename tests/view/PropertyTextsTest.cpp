#include "view/PropertyTexts.h"

#include "view/ViewInput.h"
#include "world/GreatCircle.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(PropertyTexts, CursorValuesInBothUnitsAndNoData)
{
    CursorInfo info;
    for (const std::string& text : CursorTexts(info, true))
        EXPECT_EQ(text, "No Data");
    info.onMap = true;
    info.latitude = 12.5;
    info.longitude = -0.123456;
    info.altitude = 1000.0f;
    info.rainfall = 254.0f;
    info.temperature = 300.0f;
    info.waterLevel = -10.0f;
    info.className = "Tundra";
    const std::array<std::string, 7> metric = {"12.50000 deg", "-0.12346 deg", "1000.0 m", "254.0 cm",
                                               "26.9 C",       "-10.0 m",      "Tundra"};
    EXPECT_EQ(CursorTexts(info, true), metric);
    const std::array<std::string, 7> imperial = {"12.50000 deg", "-0.12346 deg", "3280.8 ft", "100.0 in",
                                                 "80.3 F",       "-32.8 ft",     "Tundra"};
    EXPECT_EQ(CursorTexts(info, false), imperial);
}

TEST(PropertyTexts, MeasureInKilometresOrMiles)
{
    ProjectedAxes axes;
    axes.northSouth = 1000.0;
    axes.eastWest = 2500.5;
    axes.top = 40;
    axes.bottom = -10.25;
    axes.left = 170;
    axes.right = -170;
    const std::array<std::string, 4> km = {"1000.00 km", "2500.50 km", "50.25000 deg", "340.00000 deg"};
    EXPECT_EQ(MeasureTexts(axes, true), km);
    EXPECT_EQ(MeasureTexts(axes, false)[0], "621.37 mi");
    EXPECT_EQ(FormatValueWithUnit(0, 2.5, "x"), "2 x");
}
