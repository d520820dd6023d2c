#include "projection/ProjectionParms.h"
#include "base/AppSettings.h"
#include "base/raster/Canvas.h"
#include "base/raster/VideoBuffer.h"
#include "world/LineSubdivision.h"
#include "world/SurfaceSampler.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace kv;

namespace {

// Keeps every polyline it is handed.
struct RecordingSink : TraceCallback {
    int Trace(const line_pts& line) override
    {
        lines.emplace_back(line.Points(), line.Points() + line.Count());
        return 0;
    }
    std::vector<std::vector<line_pts::Point>> lines;
};

// A 360 x 180 map of the whole world: on the equirectangular projection pixel (x, y) is
// (longitude + 180, 90 - latitude).
class LineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image.Create(360, 180);
        projection.SetScale(0.5);
        sampler.SetTarget(nullptr, &image, nullptr);
    }
    void UseProjection(int id, double centreLon)
    {
        projection.SetProjection(id);
        projection.SetCenter(0.0, centreLon);
        sampler.SetTarget(nullptr, &image, nullptr);
    }
    // A parallel from lon0 to lon1 in segments of `step` degrees, closed with its end point.
    void Parallel(double lat, double lon0, double lon1, double step, float error, int depth)
    {
        for (double lon = lon0; lon < lon1; lon += step)
            line.Run(lat, lon, lat, std::min(lon + step, lon1), sampler, error, depth);
        line.AppendProjected(lat, lon1);
    }

    VideoBuffer image;
    ProjectionParms projection;
    SurfaceSampler sampler{&projection, nullptr, nullptr, 1};
    SubdivideGCLine line;
};

TEST_F(LineTest, StraightLinesKeepTheirStepPoints)
{
    struct Case {
        double lat0, lon0, lat1, lon1;
        int segments;
    } cases[] = {
        {20, -170, 20, 170, 12},  // a parallel
        {-80, 45, 80, 45, 8},     // a meridian
        {-60, -120, 30, 90, 5},   // a slanted line
    };
    for (const Case& c : cases) {
        line.Clear();
        for (int i = 0; i < c.segments; ++i) {
            const double a = double(i) / c.segments, b = double(i + 1) / c.segments;
            line.Run(c.lat0 + (c.lat1 - c.lat0) * a, c.lon0 + (c.lon1 - c.lon0) * a, c.lat0 + (c.lat1 - c.lat0) * b,
                     c.lon0 + (c.lon1 - c.lon0) * b, sampler, 0.5f, 8);
        }
        line.AppendProjected(c.lat1, c.lon1);
        ASSERT_EQ(line.points.size(), static_cast<size_t>(c.segments + 1)) << c.lon0;
        for (const GCLinePoint& p : line.points) {
            EXPECT_EQ(p.visible, 1);
            EXPECT_NEAR(p.x, p.longitude + 180.0, 0.02);
            EXPECT_NEAR(p.y, 90.0 - p.latitude, 0.02);
        }
        RecordingSink sink;
        DrawGCLinePoints(sink, sampler, line, 20000);
        ASSERT_EQ(sink.lines.size(), 1u);
        ASSERT_EQ(sink.lines[0].size(), line.points.size());
        EXPECT_FLOAT_EQ(sink.lines[0][0].x, line.points[0].x + 0.01f);
        EXPECT_FLOAT_EQ(sink.lines[0][0].y, line.points[0].y + 0.01f);
    }
}

TEST_F(LineTest, CurvedLinesAreRefinedUntilEveryChordFits)
{
    // Parallels of the Hammer projection bend: every chord of the result must pass within
    // the tolerance of the projected midpoint of its two ends.
    UseProjection(4, 0.0);
    const float error = 0.05f;
    Parallel(60.0, -150.0, 150.0, 30.0, error, 10);
    ASSERT_GT(line.points.size(), 20u);
    ASSERT_LT(line.points.size(), 10u * (1u << 11) + 1);
    for (size_t i = 0; i + 1 < line.points.size(); ++i) {
        const GCLinePoint& a = line.points[i];
        const GCLinePoint& b = line.points[i + 1];
        EXPECT_EQ(a.visible, 1);
        EXPECT_LT(a.longitude, b.longitude);
        float mx = 0, my = 0;
        ASSERT_TRUE(sampler.LatLonToPixelF(60.0, (a.longitude + b.longitude) / 2.0, mx, my));
        EXPECT_LE(std::fabs((a.x + b.x) / 2 - mx) + std::fabs((a.y + b.y) / 2 - my), error) << i;
    }
}

TEST_F(LineTest, DepthZeroAndRejectedSegments)
{
    UseProjection(4, 0.0);
    // Run at depth 0 appends only the start point.
    line.Run(60.0, -150.0, 60.0, 150.0, sampler, 0.5f, 0);
    ASSERT_EQ(line.points.size(), 1u);
    EXPECT_FLOAT_EQ(line.points[0].longitude, -150.0f);

    // At the last level a chord too far from its midpoint gets that midpoint once.
    line.error = 0.1f;
    const GCLinePoint a = line.Project(60.0, -40.0), b = line.Project(60.0, 40.0);
    line.Clear();
    line.Subdivide(a, b, 0);
    ASSERT_EQ(line.points.size(), 1u);
    EXPECT_FLOAT_EQ(line.points[0].latitude, 60.0f);
    EXPECT_FLOAT_EQ(line.points[0].longitude, 0.0f);
    EXPECT_EQ(line.points[0].visible, 1);

    // Both ends left of the image (or both below it): nothing, although the midpoint of
    // the two positions would lie on the map.
    for (auto [x0, y0, x1, y1] : {std::array<float, 4>{-50, 10, -10, 10}, std::array<float, 4>{10, -5, 300, -1}}) {
        line.Clear();
        line.Subdivide(GCLinePoint{0, -100, x0, y0, 1}, GCLinePoint{0, 100, x1, y1, 1}, 8);
        EXPECT_TRUE(line.points.empty());
    }
    // Ends on opposite sides are not rejected.
    line.Clear();
    line.Subdivide(GCLinePoint{60, -100, -10, 10, 1}, GCLinePoint{60, 100, 40000, 10, 1}, 0);
    EXPECT_EQ(line.points.size(), 1u);
}

TEST_F(LineTest, ParallelAcrossTheSeamIsDrawnAsTwoPolylines)
{
    // From 95 W eastwards past 180 to 95 E (265): the segment 175 .. 205 crosses the seam.
    Parallel(10.0, -95.0, 265.0, 30.0, 0.5f, 6);
    RecordingSink sink;
    DrawGCLinePoints(sink, sampler, line, 20000);
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(sink.lines[0].size(), 10u); // -95 .. 175
    EXPECT_NEAR(sink.lines[0].back().x, 355.01, 0.02);
    EXPECT_NEAR(sink.lines[1].front().x, 25.01, 0.02); // 205 = 155 W
    EXPECT_NEAR(sink.lines[1].back().x, 85.01, 0.02);  // 265 = 95 W
    for (const auto& l : sink.lines)
        for (const auto& p : l)
            EXPECT_NEAR(p.y, 80.01, 0.02);
}

TEST_F(LineTest, ParallelOfAViewCentredOffGreenwichStaysWhole)
{
    // Centre 30 E: the parallel spans 145 W .. 205 E and bends. Its midpoints east of 180
    // unproject to longitudes one turn lower; they are on the map all the same.
    UseProjection(4, 30.0);
    Parallel(50.0, -145.0, 205.0, 30.0, 0.25f, 6);
    ASSERT_GT(line.points.size(), 13u);
    for (const GCLinePoint& p : line.points)
        EXPECT_EQ(p.visible, 1) << p.longitude;
    RecordingSink sink;
    DrawGCLinePoints(sink, sampler, line, 20000);
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0].size(), line.points.size());
}

TEST_F(LineTest, CoordinatesThatAreNotNumbersEndTheLine)
{
    UseProjection(4, 0.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (auto [lat0, lon0, lat1, lon1] : {std::array<double, 4>{nan, 0, 10, 10}, std::array<double, 4>{0, 0, 10, inf},
                                          std::array<double, 4>{-inf, 0, 10, 10}}) {
        line.Clear();
        line.Run(lat0, lon0, lat1, lon1, sampler, 0.5f, 16);
        ASSERT_EQ(line.points.size(), 1u);
        EXPECT_EQ(line.points[0].visible, std::isfinite(lat0) && std::isfinite(lon0) ? 1 : 0);
    }
    // An end point that does not project (NaN position) in a direct call: bounded by depth.
    line.Clear();
    const GCLinePoint bad{0, 0, std::nanf(""), std::nanf(""), 0};
    line.Subdivide(line.Project(10, 10), bad, 4);
    EXPECT_LE(line.points.size(), 31u);
    // A depth beyond the limit is held at the limit.
    line.Clear();
    line.Run(60.0, -150.0, 60.0, 150.0, sampler, -1.0f, 1000);
    EXPECT_EQ(line.points.size(), size_t{1} << (kMaxSubdivisionDepth + 1));
}

TEST_F(LineTest, PointsAreCutIntoPolylines)
{
    // Visible points along a row of the image, some made invisible or moved outside it.
    struct Case {
        const char* pattern; // v visible, i invisible, o outside the image
        int maxPoints;
        std::vector<size_t> sizes;
    } cases[] = {
        {"vvvvvvvvvv", 4, {3, 3, 3, 3, 2}}, // sent at 3 points, each continuing from its last
        {"vvvvvvvvv", 4, {3, 3, 3, 3, 1}},  // the last kept point is sent alone at the end
        {"vvivvv", 20000, {2, 3}},
        {"vivvo", 20000, {2}},              // a lone point before a gap is dropped
        {"vvvo", 20000, {3}},
        {"iiv", 20000, {1}},
        {"ioi", 20000, {}},
        {"vvvv", 1, {2, 2, 2, 1}},          // below 3 counts as 3
    };
    for (const Case& c : cases) {
        line.Clear();
        for (int i = 0; c.pattern[i] != 0; ++i) {
            const char k = c.pattern[i];
            line.points.push_back(GCLinePoint{0, 0, k == 'o' ? 360.0f : 10.0f * i, 50, uint8_t(k == 'i' ? 0 : 1)});
        }
        RecordingSink sink;
        DrawGCLinePoints(sink, sampler, line, c.maxPoints);
        std::vector<size_t> sizes;
        for (const auto& l : sink.lines)
            sizes.push_back(l.size());
        EXPECT_EQ(sizes, c.sizes) << c.pattern;
    }
    // Continued polylines start with the point that ended the previous one.
    line.Clear();
    for (int i = 0; i < 5; ++i)
        line.points.push_back(GCLinePoint{0, 0, 10.0f * i, 50, 1});
    RecordingSink sink;
    DrawGCLinePoints(sink, sampler, line, 4);
    ASSERT_EQ(sink.lines.size(), 3u);
    EXPECT_FLOAT_EQ(sink.lines[1][0].x, 20.01f);
    EXPECT_FLOAT_EQ(sink.lines[2][0].x, 40.01f);
}

TEST(LinePts, AppendGrowsByStepsAndKeepLastRestarts)
{
    line_pts l;
    l.KeepLast();
    EXPECT_EQ(l.Count(), 0);
    for (int i = 0; i < 129; ++i)
        l.Append(float(i), float(-i));
    EXPECT_EQ(l.Count(), 129);
    EXPECT_EQ(l.Capacity(), 256);
    EXPECT_FLOAT_EQ(l[128].x, 128.01f);
    EXPECT_FLOAT_EQ(l[128].y, -127.99f);
    l.KeepLast();
    EXPECT_EQ(l.Count(), 1);
    EXPECT_FLOAT_EQ(l[0].x, 128.01f);
}

// Records the chunks a drawing sink hands to its canvas.
template <class Sink>
struct ChunkRecorder : Sink {
    using Sink::Sink;
    void DrawChunk(const CanvasPoint* points, int count) override
    {
        chunks.emplace_back(points, points + count);
        Sink::DrawChunk(points, count);
    }
    std::vector<std::vector<CanvasPoint>> chunks;
};

line_pts Points(int n, bool distinct)
{
    line_pts l;
    for (int i = 0; i < n; ++i)
        l.Append(distinct ? float(i % 300) : 5.5f, distinct ? float(i / 300) : 7.0f);
    return l;
}

TEST(TraceSinks, ChunksOfAtMost4096Points)
{
    VideoBuffer image(400, 40), mask(400, 40);
    Canvas dc(image), maskDc(mask);

    // 5000 equal points make one point after dropping duplicates: nothing is drawn.
    ChunkRecorder<TraceDCCallback> one(&dc);
    EXPECT_EQ(one.Trace(Points(5000, false)), 0);
    EXPECT_TRUE(one.chunks.empty());

    // Exactly 4096 distinct points: one chunk and nothing more.
    EXPECT_EQ(one.Trace(Points(4096, true)), 0);
    ASSERT_EQ(one.chunks.size(), 1u);
    EXPECT_EQ(one.chunks[0].size(), 4096u);

    // One more: the second chunk starts with the last point of the first.
    one.chunks.clear();
    one.Trace(Points(4097, true));
    ASSERT_EQ(one.chunks.size(), 2u);
    ASSERT_EQ(one.chunks[1].size(), 2u);
    EXPECT_EQ(one.chunks[1][0], one.chunks[0].back());
    EXPECT_EQ(one.chunks[1][1], (CanvasPoint{4096 % 300, 4096 / 300}));

    // The masked sink keeps duplicates and draws every chunk on both canvases.
    ChunkRecorder<MaskedDCCallback> two(&dc, &maskDc);
    EXPECT_EQ(two.Trace(Points(5000, false)), 0);
    ASSERT_EQ(two.chunks.size(), 2u);
    EXPECT_EQ(two.chunks[0].size(), 4096u);
    EXPECT_EQ(two.chunks[1].size(), 5000u - 4096u + 1u);
    EXPECT_EQ(two.chunks[1][0], (CanvasPoint{5, 7}));

    // No target; fewer than two points.
    EXPECT_EQ(TraceDCCallback(nullptr).Trace(Points(10, true)), -1);
    EXPECT_EQ(MaskedDCCallback(&dc, nullptr).Trace(Points(10, true)), -1);
    EXPECT_EQ(MaskedDCCallback(nullptr, &maskDc).Trace(Points(10, true)), -1);
    one.chunks.clear();
    EXPECT_EQ(one.Trace(Points(1, true)), 0);
    EXPECT_TRUE(one.chunks.empty());
}

TEST(TraceSinks, DrawsTruncatedPointsAndClosesRings)
{
    VideoBuffer image(40, 20), mask(40, 20);
    Canvas dc(image), maskDc(mask);
    dc.SelectPen(Pen::Solid(0x0000FF));
    maskDc.SelectPen(Pen::Solid(0xFFFFFF));

    // 9.995 is stored as 10.005 and drawn from column 10.
    line_pts l;
    l.Append(9.995f, 5.0f);
    l.Append(19.5f, 5.0f);
    MaskedDCCallback both(&dc, &maskDc);
    ASSERT_EQ(both.Trace(l), 0);
    for (int x = 0; x < 40; ++x) {
        const bool lit = x >= 10 && x < 19;
        EXPECT_EQ(image.GetPixel(x, 5), lit ? 0x0000FFu : 0u) << x;
        EXPECT_EQ(mask.GetPixel(x, 5), lit ? 0xFFFFFFu : 0u) << x;
    }

    ChunkRecorder<TraceDCCallback> ring(&dc);
    line_pts tri;
    for (auto [x, y] : {std::pair{2.0f, 2.0f}, {30.0f, 2.0f}, {16.0f, 15.0f}})
        tri.Append(x, y);
    tri.SetClosed(true);
    ring.Trace(tri);
    ASSERT_EQ(ring.chunks.size(), 1u);
    EXPECT_EQ(ring.chunks[0], (std::vector<CanvasPoint>{{2, 2}, {30, 2}, {16, 15}, {2, 2}}));
}

// Profile values with their ranges.
struct ProfileValues : AppSettings {
    int GetInt(const std::string&, const std::string& key, int def) const override
    {
        return key == "nMaxPW2Pts" ? maxPoints : key == "AdaptiveGridDepth" ? depth : def;
    }
    double GetDouble(const std::string&, const std::string& key, double def) const override
    {
        return key == "AdaptiveGridError" ? error : def;
    }
    int maxPoints = 0;
    int depth = 0;
    double error = 0;
};

TEST(LineProfileValues, ReadWithTheCallersDefaultAndClamped)
{
    EXPECT_EQ(ReadMaxPolylinePoints(), 20000);
    EXPECT_EQ(ReadAdaptiveGridDepth(5), 5);
    EXPECT_EQ(ReadAdaptiveGridError(0.75), 0.75);

    ProfileValues profile;
    const AppSettings* previous = SetAppSettings(&profile);
    struct Case {
        int maxPoints, depth;
        double error;
        int expectMax, expectDepth;
        double expectError;
    } cases[] = {
        {500, 3, 0.2, 500, 3, 0.2},
        {-7, -2, std::numeric_limits<double>::quiet_NaN(), 3, 0, 1.5},
        {2, 99, std::numeric_limits<double>::infinity(), 3, kMaxSubdivisionDepth, 1.5},
    };
    for (const Case& c : cases) {
        profile.maxPoints = c.maxPoints;
        profile.depth = c.depth;
        profile.error = c.error;
        EXPECT_EQ(ReadMaxPolylinePoints(), c.expectMax);
        EXPECT_EQ(ReadAdaptiveGridDepth(4), c.expectDepth);
        EXPECT_EQ(ReadAdaptiveGridError(1.5), c.expectError);
    }
    SetAppSettings(previous);
}

} // namespace
