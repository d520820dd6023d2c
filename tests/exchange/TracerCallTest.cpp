// The drawing sink: points mapped to drawing units with north up, lines merged by the
// merge angle and clipped to the map, filled rings as polygons, labels, long lines in
// pieces, boxes, groups, and a failed save that leaves the target alone.
#include "exchange/TracerCall.h"

#include "exchange/FCWBuiltins.h"

#include "FCWReader.h"
#include "base/AppSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

using kv::line_pts;
using kv::TracerCall;

namespace {

std::string TempPath(const char* tag)
{
    return ::testing::TempDir() + "kv_sink_" + std::to_string(::getpid()) + tag;
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

line_pts Line(std::initializer_list<std::pair<float, float>> points, bool closed = false)
{
    line_pts l;
    for (const auto& [x, y] : points)
        l.AddPoint(x, y);
    l.SetClosed(closed);
    return l;
}

// A sink writing into a temporary drawing: the template first, then what the test
// writes; Finish reads the drawing back.
struct Sink {
    Sink() : path(TempPath(".fcw"))
    {
        EXPECT_EQ(sink.Open(path), 0);
        sink.SetTemplate(&kv::fcw::BuiltinTemplate());
        sink.WriteRaw(kv::fcw::BuiltinTemplate().data(), kv::fcw::BuiltinTemplate().size());
        // Ten by ten grid cells onto 100 x 80 drawing units at (100, 200), north up.
        sink.SetSourceRect({0.0, 0.0, 9.0, 9.0});
        sink.SetDestinationRect({100.0, 280.0, 200.0, 200.0});
        sink.SelectLayer("RELIEF/CONTOURS");
        sink.mergeAngle = 0.01;
    }
    ~Sink() { std::remove(path.c_str()); }
    fcwtest::Drawing Finish()
    {
        EXPECT_EQ(sink.Close(), 0);
        fcwtest::Drawing d = fcwtest::Read(ReadFile(path));
        EXPECT_TRUE(d.problems.empty()) << d.problems.front();
        return d;
    }
    std::string path;
    TracerCall sink;
};

} // namespace

// Grid cells to drawing units: X = x0' + (x - x0)(x1' - x0') / |x1 - x0 + 1|; the top row
// goes to the top of the map. A filled ring is one polygon (outlined when the line is on
// too); the same ring of an unfilled level a polyline.
TEST(TracerCall, MapsFillsAndOutlines)
{
    Sink s;
    s.sink.pen.colour[0] = 7;   // fill
    s.sink.pen.colour[1] = 9;   // line
    s.sink.pen.lineWidth = 25;
    s.sink.pen.styleFlag[0] = 1;
    s.sink.pen.styleFlag[1] = 1;
    const line_pts ring = Line({{0, 0}, {5, 0}, {5, 5}, {0, 5}, {0, 0}}, true);
    EXPECT_EQ(s.sink.Trace(ring), 0);
    s.sink.pen.styleFlag[1] = 0;
    EXPECT_EQ(s.sink.Trace(ring), 0);
    EXPECT_EQ(s.sink.Trace(Line({{3, 3}})), 0); // one point: nothing
    const fcwtest::Drawing d = s.Finish();
    const auto lines = d.Of(3, 25);
    ASSERT_EQ(lines.size(), 2u);
    const auto& polygon = *lines[0];
    EXPECT_EQ(polygon.polygonFlag, 128);
    EXPECT_EQ(polygon.filled, 1);
    EXPECT_EQ(polygon.fillColour, 7);
    EXPECT_EQ(polygon.lineColour, 9);
    EXPECT_EQ(polygon.pen, 25);
    EXPECT_EQ(polygon.fillStyle, 1);
    EXPECT_EQ(polygon.number, 8000u);
    ASSERT_EQ(polygon.xy.size(), 10u);
    EXPECT_FLOAT_EQ(polygon.xy[0], 100.1f);    // 100 + 0.01 x 10
    EXPECT_FLOAT_EQ(polygon.xy[1], 279.92f);   // 280 - 0.01 x 8
    EXPECT_FLOAT_EQ(polygon.xy[2], 150.1f);
    EXPECT_FLOAT_EQ(polygon.xy[5], 239.92f);   // row 5: 280 - 5.01 x 8
    EXPECT_EQ(lines[1]->polygonFlag, 0);
    EXPECT_EQ(lines[1]->filled, 0);
    EXPECT_EQ(lines[1]->xy.size(), 10u);
    EXPECT_EQ(lines[1]->number, 8001u);
}

// Points whose following segment keeps the direction of the segment they continue are
// left out; the merge angle comes from Settings\MergeAngle x 0.0001, never below 0.
TEST(TracerCall, MergeAngle)
{
    Sink s;
    s.sink.pen.styleFlag[0] = 1;
    EXPECT_EQ(s.sink.Trace(Line({{0, 0}, {1, 0}, {2, 0}, {3, 0.02f}, {4, 1}})), 0);
    s.sink.mergeAngle = 0.05;
    EXPECT_EQ(s.sink.Trace(Line({{0, 0}, {1, 0}, {2, 0}, {3, 0.02f}, {4, 1}})), 0);
    const fcwtest::Drawing d = s.Finish();
    const auto lines = d.Of(3, 25);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->xy.size(), 2u * 4u); // (1, 0) left out; (2, 0) turns by 0.02 rad
    EXPECT_EQ(lines[1]->xy.size(), 2u * 3u); // within 0.05: (1, 0) and (2, 0) left out
    EXPECT_FLOAT_EQ(lines[1]->xy[2], 130.1f);

    kv::AppSettings settings;
    const kv::AppSettings* previous = kv::SetAppSettings(&settings);
    EXPECT_DOUBLE_EQ(kv::ReadMergeAngle(), 0.01);
    settings.WriteInt("Settings", "MergeAngle", 250);
    EXPECT_DOUBLE_EQ(kv::ReadMergeAngle(), 0.025);
    settings.WriteInt("Settings", "MergeAngle", -5);
    EXPECT_EQ(kv::ReadMergeAngle(), 0.0);
    kv::SetAppSettings(previous);
}

// Open lines are clipped to the map (Cohen-Sutherland): the runs inside become
// polylines, a run that leaves and comes back is two.
TEST(TracerCall, ClipsOpenLines)
{
    Sink s;
    s.sink.pen.styleFlag[0] = 1;
    // Across the right edge (x = 200 at column 9.99) and back.
    EXPECT_EQ(s.sink.Trace(Line({{8, 1}, {14, 1}, {14, 4}, {8, 4}})), 0);
    // Entirely outside.
    EXPECT_EQ(s.sink.Trace(Line({{12, 1}, {14, 1}})), 0);
    const fcwtest::Drawing d = s.Finish();
    const auto lines = d.Of(3, 25);
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0]->xy.size(), 4u);
    EXPECT_FLOAT_EQ(lines[0]->xy[0], 180.1f);
    EXPECT_FLOAT_EQ(lines[0]->xy[2], 200.0f);
    ASSERT_EQ(lines[1]->xy.size(), 4u);
    EXPECT_FLOAT_EQ(lines[1]->xy[0], 200.0f);
    EXPECT_FLOAT_EQ(lines[1]->xy[2], 180.1f);
}

// Labels: mode 1 the lowest point, 2 the highest, with the sink's label value; no mode
// no label.
TEST(TracerCall, CollectsLabels)
{
    Sink s;
    s.sink.pen.styleFlag[0] = 1;
    s.sink.labelValue = 500.0;
    const line_pts l = Line({{1, 1}, {2, 6}, {3, 2}});
    s.sink.pen.extra = 1;
    s.sink.Trace(l);
    s.sink.pen.extra = 2;
    s.sink.Trace(l);
    s.sink.pen.extra = 0;
    s.sink.Trace(l);
    ASSERT_EQ(s.sink.labels.size(), 2u);
    EXPECT_EQ(s.sink.labels[0].value, 500.0);
    EXPECT_FLOAT_EQ(s.sink.labels[0].y, 280.0f - 6.01f * 8.0f); // row 6 is the lowest
    EXPECT_FLOAT_EQ(s.sink.labels[1].y, 280.0f - 1.01f * 8.0f);
    EXPECT_FLOAT_EQ(s.sink.labels[1].x, 110.1f);
    s.Finish();
}

// A polyline longer than 32,767 points goes out in pieces that continue one another.
TEST(TracerCall, SplitsLongPolylines)
{
    Sink s;
    s.sink.SetSourceRect({0.0, 0.0, 39999.0, 1.0});
    s.sink.SetDestinationRect({0.0, 1.0, 40000.0, -1.0});
    s.sink.pen.styleFlag[0] = 1;
    line_pts zigzag;
    for (int i = 0; i < 40000; ++i)
        zigzag.AddPoint(static_cast<float>(i), static_cast<float>(i % 2) * 0.5f);
    ASSERT_EQ(s.sink.Trace(zigzag), 0);
    const fcwtest::Drawing d = s.Finish();
    const auto lines = d.Of(3, 25);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->xy.size(), 2u * 32767u);
    EXPECT_EQ(lines[1]->xy.size(), 2u * (40000u - 32767u + 1u));
    EXPECT_EQ(lines[1]->xy[0], lines[0]->xy[2 * 32766]);
}

// A box is written filled in the line colour, then outlined in the fill colour; the pen
// is as it was afterwards. Groups open and close in pairs; CloseAllGroups closes what an
// interrupted export left open.
TEST(TracerCall, BoxesAndGroups)
{
    Sink s;
    s.sink.pen.colour[0] = 0;    // outline colour
    s.sink.pen.colour[1] = 163;  // fill colour of the box
    const kv::DrawingPen before = s.sink.pen;
    s.sink.OpenGroup();
    s.sink.WriteBox(10.0f, 20.0f, 30.0f, 25.0f);
    s.sink.OpenGroup();
    EXPECT_TRUE(s.sink.pen == before);
    s.sink.CloseAllGroups();
    const fcwtest::Drawing d = s.Finish();
    const auto lines = d.Of(3, 25);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->polygonFlag, 128);
    EXPECT_EQ(lines[0]->fillColour, 163);
    EXPECT_EQ(lines[0]->xy, (std::vector<float>{10.01f, 20.01f, 30.01f, 20.01f, 30.01f, 25.01f, 10.01f, 25.01f}));
    EXPECT_EQ(lines[1]->polygonFlag, 0);
    EXPECT_EQ(lines[1]->lineColour, 0);
    EXPECT_EQ(lines[1]->xy.size(), 10u);
    EXPECT_EQ(d.Of(17).size(), 2u);
    EXPECT_EQ(d.maxDepth, 2);
}

// Opening twice is -1, a file that cannot be made -2; a drawing that cannot replace its
// target is -1 and the target stays as it was; without a file the sink refuses lines.
TEST(TracerCall, FileResults)
{
    TracerCall sink;
    EXPECT_EQ(sink.Trace(Line({{0, 0}, {1, 1}})), -1);
    EXPECT_EQ(sink.Open("/nonexistent-folder/out.fcw"), -2);
    const std::string dir = TempPath("_target");
    std::filesystem::create_directories(dir + "/inside");
    ASSERT_EQ(sink.Open(dir), 0);
    EXPECT_EQ(sink.Open(dir), -1);
    sink.WriteRaw(kv::fcw::BuiltinTemplate().data(), 128);
    EXPECT_EQ(sink.Close(), -1);
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/inside"));
    std::filesystem::remove_all(dir);
}
