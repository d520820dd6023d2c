#include "projection/ProjectionParms.h"
#include "base/raster/VideoBuffer.h"
#include "world/GreatCircle.h"
#include "world/SurfaceSampler.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kv;

namespace {

constexpr double kRad = M_PI / 180.0;
constexpr double kCircumference = 40000.0;
constexpr double kRadius = kCircumference * kCircumferenceToRadius;

TEST(GreatCircle, CentralAngles)
{
    struct Case {
        double lat1, lon1, lat2, lon2, angle;
    } cases[] = {
        {0.3, 1.1, 0.3, 1.1, 0.0},
        {0.0, 0.0, 0.0, M_PI, M_PI},
        {0.5, 0.2, -0.5, 0.2 - M_PI, M_PI},
        {M_PI / 2, 0.0, -M_PI / 2, 2.0, M_PI},
        {0.0, 0.0, 0.0, M_PI / 2, M_PI / 2},
        {0.0, 1.0, M_PI / 2, 0.0, M_PI / 2},
        {60 * kRad, 0.0, 60 * kRad, M_PI, 60 * kRad},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(GreatCircleAngle(c.lat1, c.lon1, c.lat2, c.lon2), c.angle, 1e-7) << c.lat1 << " " << c.lon2;

    // Identical points whose cosine rounds above 1 give 0 instead of NaN.
    int above = 0;
    for (int i = 0; i < 2000; ++i) {
        const double lat = (i % 157) * 0.01 - 0.78, lon = i * 0.0031;
        const double c = std::cos(0.0) * std::cos(lat) * std::cos(lat) + std::sin(lat) * std::sin(lat);
        above += c > 1.0;
        const double angle = GreatCircleAngle(lat, lon, lat, lon);
        EXPECT_TRUE(angle >= 0.0 && angle < 2e-8) << lat; // acos of the largest double below 1 at most
    }
    EXPECT_GT(above, 0); // the loop does reach the rounding case
}

TEST(GreatCircle, ArcSpans)
{
    double ew = 0, ns = 0;
    ArcSpanLengths(90, -180, -90, 180, 1.0, ew, ns);
    EXPECT_NEAR(ew, 2 * M_PI, 1e-9); // along the equator
    EXPECT_NEAR(ns, M_PI, 1e-9);
    // Along the parallel of 30 degrees the steps approach its length, cos 30 x 90 degrees.
    ArcSpanLengths(60, 0, 0, 90, kRadius, ew, ns);
    EXPECT_NEAR(ew, kRadius * std::cos(30 * kRad) * M_PI / 2, 0.1);
    EXPECT_NEAR(ns, kCircumference / 6, 1e-6);
    // A point: 128 angles of (nearly) 0.
    ArcSpanLengths(10, 20, 10, 20, kRadius, ew, ns);
    EXPECT_NEAR(ew, 0.0, 0.05);
    EXPECT_NEAR(ns, 0.0, 0.05);
}

// A 360 x 180 image; at scale 0.5 the equirectangular world fills it with pixel (x, y) at
// (longitude x - 180, latitude 90 - y).
class MeasureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image.Create(360, 180);
        projection.SetScale(0.5);
        sampler.SetTarget(nullptr, &image, nullptr);
    }
    VideoBuffer image;
    ProjectionParms projection;
    SurfaceSampler sampler{&projection, nullptr, nullptr, 1};
};

TEST_F(MeasureTest, ProjectedAxesOfAWholeWorld)
{
    const ProjectedAxes a = MeasureProjectedAxes(sampler, 360, 180, kRadius);
    EXPECT_EQ(a.firstRow, 0);
    EXPECT_EQ(a.lastRow, 179);
    // The default offset moves the map a little to the right: column 0 falls off.
    EXPECT_EQ(a.firstColumn, 1);
    EXPECT_EQ(a.lastColumn, 359);
    EXPECT_NEAR(a.top, 90.0, 0.01);
    EXPECT_NEAR(a.bottom, -89.0, 0.01);
    EXPECT_NEAR(a.left, -179.0, 0.01);
    EXPECT_NEAR(a.right, 179.0, 0.01);
    EXPECT_NEAR(a.northSouth, kCircumference / 2, kCircumference * 0.01);
    EXPECT_NEAR(a.eastWest, kCircumference, kCircumference * 0.01);
}

TEST_F(MeasureTest, ProjectedAxesWithTheCentreColumnOffTheMap)
{
    // Scale 1 puts the world in columns 90 .. 270; moved right by 1.5 map units (135
    // pixels) the centre column 180 misses it while the centre row still crosses it.
    projection.SetScale(1.0);
    projection.SetOffset(1.5, 0.0);
    sampler.SetTarget(nullptr, &image, nullptr);
    const ProjectedAxes a = MeasureProjectedAxes(sampler, 360, 180, kRadius);
    EXPECT_EQ(a.top, 0.0);
    EXPECT_EQ(a.bottom, 0.0);
    EXPECT_EQ(a.firstRow, 0);
    EXPECT_EQ(a.lastRow, 0);
    EXPECT_EQ(a.northSouth, 0.0);
    EXPECT_EQ(a.firstColumn, 225);
    EXPECT_EQ(a.lastColumn, 359);
    EXPECT_NEAR(a.left, -180.0, 0.05);
    EXPECT_GT(a.eastWest, 0.0);
}

TEST_F(MeasureTest, MaskExtents)
{
    VideoBuffer mask(360, 180);
    // Empty: all zero.
    MaskExtents e = MeasureMaskExtents(mask, sampler, kRadius);
    EXPECT_EQ(e.topRow + e.bottomRow + e.leftColumn + e.rightColumn, 0);
    EXPECT_EQ(e.northSouth + e.eastWest + e.topLatitude + e.rightLongitude, 0.0);

    // Top and bottom in one column, left and right in one row: the paths follow a meridian
    // and the equator. Ties go to the first pixel in each scan order.
    mask.SetPixel(100, 40, 0xFFFFFF);
    mask.SetPixel(120, 40, 0xFFFFFF);
    mask.SetPixel(100, 150, 0xFFFFFF);
    mask.SetPixel(50, 90, 0xFFFFFF);
    mask.SetPixel(300, 90, 0xFFFFFF);
    e = MeasureMaskExtents(mask, sampler, kRadius);
    EXPECT_EQ(e.topRow, 40);
    EXPECT_EQ(e.bottomRow, 150);
    EXPECT_EQ(e.leftColumn, 50);
    EXPECT_EQ(e.rightColumn, 300);
    EXPECT_NEAR(e.topLatitude, 50.0, 0.01);
    EXPECT_NEAR(e.bottomLatitude, -60.0, 0.01);
    EXPECT_NEAR(e.leftLongitude, -130.0, 0.01);
    EXPECT_NEAR(e.rightLongitude, 120.0, 0.01);
    EXPECT_NEAR(e.northSouth, kRadius * 110 * kRad, 1e-6);
    EXPECT_NEAR(e.eastWest, kRadius * 250 * kRad, 1e-6);

    // A slanted path: truncated columns, each step a short arc.
    VideoBuffer slant(360, 180);
    slant.SetPixel(10, 20, 0xFFFFFF);
    slant.SetPixel(13, 26, 0xFFFFFF);
    e = MeasureMaskExtents(slant, sampler, kRadius);
    double expected = 0;
    const int cols[] = {10, 10, 11, 11, 12, 12, 13};
    for (int i = 0; i < 6; ++i)
        expected += kRadius * GreatCircleAngle((70 - i) * kRad, (cols[i] - 180) * kRad, (69 - i) * kRad,
                                               (cols[i + 1] - 180) * kRad);
    EXPECT_NEAR(e.northSouth, expected, 1e-6);
    EXPECT_EQ(e.leftColumn, 10);
    EXPECT_EQ(e.rightColumn, 13);

    // All set pixels in one row: no north-south length.
    VideoBuffer row(360, 180);
    row.SetPixel(30, 60, 1);
    row.SetPixel(90, 60, 1);
    e = MeasureMaskExtents(row, sampler, kRadius);
    EXPECT_EQ(e.northSouth, 0.0);
    // Along the row, that is along the parallel of 30 degrees.
    EXPECT_NEAR(e.eastWest, kRadius * std::cos(30 * kRad) * 60 * kRad, 0.1);
}

TEST_F(MeasureTest, MaskPathsSkipPixelsOffTheMap)
{
    // An orthographic globe leaves the left of its centre row off the map; a mask reaching
    // there measures as if it began at the first pixel on the map.
    projection.SetProjection(kv::kMapOrthographic);
    projection.SetScale(1.0);
    sampler.SetTarget(nullptr, &image, nullptr);
    int first = 0;
    double lat = 0, lon = 0;
    while (first < 360 && !sampler.PixelToLatLon(first, 90, lat, lon))
        ++first;
    ASSERT_GT(first, 10);
    ASSERT_LT(first, 150);

    VideoBuffer beyond(360, 180), inside(360, 180);
    beyond.SetPixel(10, 90, 0xFFFFFF);
    inside.SetPixel(first, 90, 0xFFFFFF);
    for (VideoBuffer* m : {&beyond, &inside})
        m->SetPixel(200, 90, 0xFFFFFF);
    const MaskExtents a = MeasureMaskExtents(beyond, sampler, kRadius);
    const MaskExtents b = MeasureMaskExtents(inside, sampler, kRadius);
    EXPECT_EQ(a.leftColumn, 10);
    EXPECT_EQ(a.leftLongitude, 0.0); // does not unproject
    EXPECT_GT(b.eastWest, 0.0);
    EXPECT_DOUBLE_EQ(a.eastWest, b.eastWest);
}

} // namespace
