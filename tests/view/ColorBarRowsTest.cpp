#include "view/ColorBarRows.h"

#include "base/color/CColorList.h"
#include "base/color/LightParms.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(ColorBarRowsTest, EachStopIsABandTopDownAndTheModeIsKept)
{
    CColorList list;
    list.Add(0x0000FF);
    list.Add(0x00FF00);
    list.Add(0xFF0000);
    list.SetInterpolation(CColorList::kCubic);
    const auto rows = ColorBarRowColors(list, 5);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], 0xFF0000u);  // t = 1: the last stop on top
    EXPECT_EQ(rows[2], 0x00FF00u);
    EXPECT_EQ(rows[4], 0x0000FFu);
    EXPECT_EQ(list.GetInterpolation(), CColorList::kCubic);
    EXPECT_TRUE(ColorBarRowColors(list, 3).empty());
    EXPECT_TRUE(ColorBarRowColors(list, 0).empty());
}

TEST(ColorBarRowsTest, PreviewShowsLandAboveAndSeaBelow)
{
    LightParms light;
    light.landColors.RemoveAll();
    light.landColors.Add(0x000011);
    light.landColors.Add(0x000022);
    light.seaColors.RemoveAll();
    light.seaColors.Add(0x330000);
    light.seaColors.Add(0x440000);
    const auto rows = SchemePreviewRowColors(light, 8);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0], 0x000022u);
    EXPECT_EQ(rows[3], 0x000011u);
    // The lower half counts from the middle over the whole height: 1 - i / 7.
    EXPECT_EQ(rows[4], 0x440000u);
    EXPECT_EQ(rows[7], 0x440000u);  // i = 3: t = 0.57, still the upper sea stop
    EXPECT_TRUE(SchemePreviewRowColors(light, 3).empty());
}

} // namespace
} // namespace kv
