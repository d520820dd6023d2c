// Climate channel cells that a damaged world document can bring: not numbers, infinite, or
// beyond the int range. Reading the painted class of such a cell must not convert it to an
// int (undefined, and on this processor INT_MIN, a class that indexes nothing); it is read
// as no override, and the climate of the point is evaluated as if none were painted.
#include "world/SurfMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kv;

TEST(MalformedClimateChannel, CellsThatNameNoIntegerAreNoOverride)
{
    SurfMap world;
    ASSERT_EQ(world.SetResolution(8, false), 0);
    float* cells = world.Channel(kChannelClimate)->Row<float>(2);
    const float inf = std::numeric_limits<float>::infinity();
    const float cases[] = {-inf, inf, std::nanf(""), 3e9f, -3e9f, 2147483648.0f};
    for (float value : cases) {
        SCOPED_TRACE(value);
        cells[5] = value;
        // Latitude 35 falls in row 2 of 4, longitude 50 in column 5 of 8.
        EXPECT_EQ(world.GetClimateOverride(35.0, 50.0), -1);
    }
    // The largest float below 2^31 and a negative class still read as themselves.
    cells[5] = 2147483520.0f;
    EXPECT_EQ(world.GetClimateOverride(35.0, 50.0), 2147483520);
    cells[5] = -2.5f;
    EXPECT_EQ(world.GetClimateOverride(35.0, 50.0), -2);
}
