// Grid overlay records: defaults and copies, the ".grd" text, the archive form.
#include "world/CRectGrid.h"

#include "ArchiveBytes.h"
#include "DrawingFixtures.h"
#include "base/AppSettings.h"
#include "base/color/CColorList.h"
#include "base/raster/Canvas.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

std::string TempPath(const std::string& name)
{
    static const fs::path dir = [] {
        fs::path p = fs::temp_directory_path() / ("kv_rectgrid_" + std::to_string(getpid()));
        fs::create_directories(p);
        return p;
    }();
    return (dir / name).string();
}

std::string WriteText(const std::string& name, const std::string& text)
{
    const std::string path = TempPath(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    return path;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

RectInfo Grid(int32_t show, uint32_t colour, double latSp, double lonSp, int32_t width)
{
    RectInfo g;
    g.show = show;
    g.colour = colour;
    g.latSpacing = latSp;
    g.lonSpacing = lonSp;
    g.lineWidth = width;
    return g;
}

// Three grids that differ from the defaults and from each other in every field.
CRectGrid ThreeGrids()
{
    CRectGrid grid;
    grid.shown = 0;
    grid.polarEndcap = 12.5;
    grid.subdivisionLevel = 5;
    grid.adaptive = 0;
    for (int i = 0; i < 3; ++i) {
        RectInfo g = Grid(i % 2, 0x102030u * (i + 1), 10.0 + i, 20.0 + i, 25 * (i + 1));
        g.west = -170.0 + i;
        g.north = 80.0 - i;
        g.east = 170.0 - i;
        g.south = -80.0 + i;
        g.altitude = 1000.0 * i - 250.5;
        grid.grids.push_back(g);
    }
    return grid;
}

const char kExample[] = "RectGrid 1, 30.00000, 2, 1\n"
                        "\n"
                        "Grid 1, 16777215, 30.00000, 30.00000, 25, 304800.00377\n"
                        "Effective -180.00000, 90.00000, 180.00000, -90.00000\n"
                        "EndGrid\n"
                        "\n"
                        "EndRectGrid\n";

} // namespace

TEST(RectInfo, DefaultsAndCopiesLeaveTheDrawnFlagBehind)
{
    RectInfo g;
    EXPECT_EQ(g.show, 0);
    EXPECT_EQ(g.colour, 0u);
    EXPECT_EQ(g.latSpacing, 30.0);
    EXPECT_EQ(g.lonSpacing, 30.0);
    EXPECT_EQ(g.west, -180.0);
    EXPECT_EQ(g.north, 90.0);
    EXPECT_EQ(g.east, 180.0);
    EXPECT_EQ(g.south, -90.0);
    EXPECT_EQ(g.lineWidth, 0);
    EXPECT_EQ(g.altitude, 304800.00376701355);
    EXPECT_EQ(g.drawn, 0);

    RectInfo source = ThreeGrids().grids[1];
    source.drawn = 1;
    const RectInfo copy(source);
    EXPECT_TRUE(copy.SameValues(source));
    EXPECT_EQ(copy.drawn, 0);
    RectInfo assigned;
    assigned.drawn = 1;
    source.drawn = 0;
    assigned = source;
    EXPECT_TRUE(assigned.SameValues(source));
    EXPECT_EQ(assigned.drawn, 1);

    CRectGrid overlay;
    EXPECT_EQ(overlay.shown, 1);
    EXPECT_EQ(overlay.polarEndcap, 30.0);
    EXPECT_EQ(overlay.subdivisionLevel, 2);
    EXPECT_EQ(overlay.adaptive, 1);
    EXPECT_TRUE(overlay.grids.empty());
}

TEST(CRectGrid, AssignmentResizesAndKeepsTheReceiversDrawnFlags)
{
    const CRectGrid other = ThreeGrids();
    CRectGrid target;
    target.grids.resize(5);
    target.grids[0].drawn = 1;
    target.grids[4].drawn = 1;
    target = other;
    EXPECT_TRUE(target.SameValues(other));
    ASSERT_EQ(target.grids.size(), 3u);
    EXPECT_EQ(target.grids[0].drawn, 1);
    EXPECT_EQ(target.grids[1].drawn, 0);
}

TEST(CRectGridText, TheExampleIsWrittenByteForByteAndReadsBack)
{
    CRectGrid overlay;
    overlay.grids.push_back(Grid(1, 0xFFFFFF, 30.0, 30.0, 25));
    const std::string path = TempPath("example.grd");
    ASSERT_EQ(overlay.Save(path), 0);
    EXPECT_EQ(ReadText(path), kExample);

    CRectGrid loaded;
    loaded.shown = 0;
    loaded.grids.resize(4);
    ASSERT_EQ(loaded.Load(path), 0);
    ASSERT_EQ(loaded.grids.size(), 1u);
    EXPECT_EQ(loaded.shown, 1);
    RectInfo expected = overlay.grids[0];
    expected.altitude = 304800.00377; // five decimals
    EXPECT_TRUE(loaded.grids[0].SameValues(expected));

    // Five decimals of every value survive, negative colours included.
    CRectGrid three = ThreeGrids();
    three.grids[2].colour = 0xFFFFFFFFu;
    ASSERT_EQ(three.Save(TempPath("three.grd")), 0);
    CRectGrid back;
    ASSERT_EQ(back.Load(TempPath("three.grd")), 0);
    EXPECT_TRUE(back.SameValues(three));
}

TEST(CRectGridText, ReaderCases)
{
    struct Case {
        const char* name;
        const char* text;
        int result;
        size_t grids;      // grids after reading (the overlay starts with two)
        int32_t level;     // subdivision level after reading
    };
    const Case cases[] = {
        {"only the frame", "RectGrid 1, 30, 2, 1\nEndRectGrid\n", 0, 0, 2},
        {"blanks for commas", "rectgrid 1 30 2 1\ngrid 1 16777215 30 30 25 304800.00377\n"
                              "effective -180, 90, 180, -90\nendgrid\nendrectgrid\n", 0, 1, 2},
        {"expressions", "RectGrid 1, 15*2, 1+1, 1\nGrid 1, 255*256, 60/2, 30, 25, 304800.00377\n"
                        "Effective -180, 90, 180, -90\nEndGrid\nEndRectGrid\n", 0, 1, 2},
        {"not a grid file", "Grid 1, 0, 30, 30, 25, 0\nEffective 0, 0, 0, 0\nEndGrid\n", -1, 2, 7},
        {"empty file", "", -1, 2, 7},
        {"header number unreadable", "RectGrid 1, x, 2, 1\nEndRectGrid\n", -1, 2, 7},
        {"ends inside a block", "RectGrid 1, 30, 2, 1\nGrid 1, 16777215, 30, 30, 25, 304800.00377\n"
                                "Effective -180, 90, 180, -90\nEndGrid\nGrid 1, 2, 3\n", 0, 1, 2},
        {"block without Effective dropped, the next one read",
         "RectGrid 1, 30, 2, 1\nGrid 1, 2, 3, 4, 5, 6\nEndGrid\nGrid 1, 16777215, 30, 30, 25, 304800.00377\n"
         "Effective -180, 90, 180, -90\nEndGrid\nEndRectGrid\n", 0, 1, 2},
        {"block with an unreadable number dropped",
         "RectGrid 1, 30, 2, 1\nGrid 1, 16777215, 30, 30, 25, 1e400\nEffective -180, 90, 180, -90\nEndGrid\n"
         "EndRectGrid\n", 0, 0, 2},
        {"unknown tokens skipped", "RectGrid 1, 30, 2, 1 junk \"text\" ;\nGrid 1, 16777215, 30, 30, 25, "
                                   "304800.00377\nEffective -180, 90, 180, -90\nmore junk\nEndGrid\nEndRectGrid\n",
         0, 1, 2},
        {"level 0 read as 1", "RectGrid 1, 30, 0, 1\nEndRectGrid\n", 0, 0, 1},
        {"negative level read as 1", "RectGrid 1, 30, -5, 1\nEndRectGrid\n", 0, 0, 1},
        {"huge level read as 32", "RectGrid 1, 30, 1000000, 1\nEndRectGrid\n", 0, 0, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRectGrid overlay;
        overlay.subdivisionLevel = 7;
        overlay.grids.resize(2);
        const CRectGrid before = overlay;
        EXPECT_EQ(overlay.Load(WriteText("case.grd", c.text)), c.result);
        EXPECT_EQ(overlay.grids.size(), c.grids);
        EXPECT_EQ(overlay.subdivisionLevel, c.level);
        if (c.result != 0) {
            EXPECT_TRUE(overlay.SameValues(before));
        }
        if (c.grids == 1) {
            const RectInfo& g = overlay.grids[0];
            EXPECT_EQ(g.show, 1);
            EXPECT_EQ(g.colour, c.name == std::string("expressions") ? 65280u : 16777215u);
            EXPECT_EQ(g.latSpacing, 30.0);
            EXPECT_EQ(g.lineWidth, 25);
            EXPECT_EQ(g.west, -180.0);
            EXPECT_EQ(g.south, -90.0);
            EXPECT_EQ(g.altitude, 304800.00377);
        }
    }
}

TEST(CRectGridText, MissingFilesAndUnwritableTargetsGiveMinusOne)
{
    CRectGrid overlay = ThreeGrids();
    EXPECT_EQ(overlay.Load(TempPath("no such file.grd")), -1);
    EXPECT_TRUE(overlay.SameValues(ThreeGrids()));
    EXPECT_EQ(overlay.Save(TempPath("no such folder") + "/x.grd"), -1);
}

TEST(CRectGridArchive, ByteLayoutHoldsTheGridsLastFirst)
{
    CRectGrid overlay = ThreeGrids();
    const Bytes bytes = StoreBytes(overlay);
    // header 4 + 4 + 8 + 4 + 4 + 4, three records of 4 + 4 + 4 + 8 + 8 + 4 + 32 + 8
    ASSERT_EQ(bytes.size(), 28u + 3 * 72u);
    Bytes expected;
    {
        CArchive ar(expected, CArchive::store);
        ar << int32_t(257) << int32_t(0) << 12.5 << int32_t(5) << int32_t(0) << int32_t(3);
        for (int i = 2; i >= 0; --i) {
            const RectInfo& g = overlay.grids[static_cast<size_t>(i)];
            ar << int32_t(257) << g.show << static_cast<int32_t>(g.colour) << g.latSpacing << g.lonSpacing
               << g.lineWidth << g.west << g.north << g.east << g.south << g.altitude;
        }
    }
    EXPECT_EQ(bytes, expected);

    CRectGrid loaded;
    LoadBytes(loaded, bytes);
    EXPECT_TRUE(loaded.SameValues(overlay));
}

TEST(CRectGridArchive, OlderVersions)
{
    // A version-256 overlay of version-256 grids: no adaptive switch, no extent, no altitude.
    Bytes v256;
    {
        CArchive ar(v256, CArchive::store);
        ar << int32_t(256) << int32_t(1) << 20.0 << int32_t(3) << int32_t(2);
        ar << int32_t(256) << int32_t(1) << int32_t(0xFF) << 15.0 << 10.0 << int32_t(50);
        ar << int32_t(256) << int32_t(0) << int32_t(0xFF00) << 45.0 << 5.0 << int32_t(75);
    }
    CRectGrid loaded;
    LoadBytes(loaded, v256);
    EXPECT_EQ(loaded.adaptive, 0);
    EXPECT_EQ(loaded.polarEndcap, 20.0);
    EXPECT_EQ(loaded.subdivisionLevel, 3);
    ASSERT_EQ(loaded.grids.size(), 2u);
    // Stored last first.
    EXPECT_EQ(loaded.grids[1].colour, 0xFFu);
    EXPECT_EQ(loaded.grids[0].colour, 0xFF00u);
    EXPECT_EQ(loaded.grids[0].lineWidth, 75);
    for (const RectInfo& g : loaded.grids) {
        EXPECT_EQ(g.west, -180.0);
        EXPECT_EQ(g.north, 90.0);
        EXPECT_EQ(g.east, 180.0);
        EXPECT_EQ(g.south, -90.0);
        EXPECT_EQ(g.altitude, RectInfo::kDefaultAltitude);
    }

    // Below 256 nothing more is read and the overlay stays as it was.
    CRectGrid kept = ThreeGrids();
    Bytes v255;
    {
        CArchive ar(v255, CArchive::store);
        ar << int32_t(255) << int32_t(99);
    }
    CArchive ar(v255.data(), v255.size());
    kept.Serialize(ar);
    EXPECT_EQ(ar.Remaining(), 4u);
    EXPECT_TRUE(kept.SameValues(ThreeGrids()));

    // A level outside 1..32 is brought into it.
    Bytes level0;
    {
        CArchive out(level0, CArchive::store);
        out << int32_t(257) << int32_t(1) << 30.0 << int32_t(0) << int32_t(1) << int32_t(0);
    }
    LoadBytes(kept, level0);
    EXPECT_EQ(kept.subdivisionLevel, 1);
    EXPECT_TRUE(kept.grids.empty());
}

TEST(CRectGridArchive, DamagedCountsRaiseTheArchiveErrorAndChangeNothing)
{
    for (int32_t count : {-1, 4, 0x7FFFFFFF}) {
        SCOPED_TRACE(count);
        Bytes bytes;
        {
            CArchive ar(bytes, CArchive::store);
            ar << int32_t(257) << int32_t(1) << 30.0 << int32_t(2) << int32_t(1) << count;
            RectInfo g;
            g.Serialize(ar); // one record where `count` are announced
        }
        CRectGrid overlay = ThreeGrids();
        EXPECT_THROW(LoadBytes(overlay, bytes), CArchiveException);
        EXPECT_TRUE(overlay.SameValues(ThreeGrids()));
    }
}

// ---- drawing ----

namespace {

using Point = kv::line_pts::Point;

// Pixels of a buffer that are not 0, as (x, y) pairs in row order.
std::vector<std::pair<int, int>> LitPixels(const VideoBuffer& image, uint32_t* colour = nullptr)
{
    std::vector<std::pair<int, int>> lit;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (const uint32_t c = image.GetPixel(x, y) & 0xFFFFFF) {
                lit.emplace_back(x, y);
                if (colour)
                    *colour = c;
            }
    return lit;
}

bool Near(float a, double b) { return std::fabs(a - b) < 0.02; }

} // namespace

TEST(CRectGridDraw, ASmallGridLightsExactlyItsLinesInImageAndMask)
{
    // End cap 30: parallels at -60, -30, 0, 30, 60 (rows 30, 24, 18, 12, 6) across the map,
    // meridians every 30 degrees (columns 0, 6, ..., 72) from -60 up to 60. A polyline leaves
    // its last pixel unlit: the parallels stop at column 71, the meridians at row 7.
    SmallMap map;
    CRectGrid overlay;
    overlay.grids.push_back(Grid(1, 0x0000FF, 30.0, 30.0, 0));
    overlay.Draw(*map.image.GetDC(), *map.mask.GetDC(), *map.sampler, 1.0);
    map.image.ReleaseDC();
    map.mask.ReleaseDC();

    std::vector<std::pair<int, int>> expected;
    for (int y = 0; y < SmallMap::kHeight; ++y)
        for (int x = 0; x < SmallMap::kWidth; ++x) {
            const bool onParallel = y % 6 == 0 && y >= 6 && y <= 30 && x <= 71;
            const bool onMeridian = x % 6 == 0 && y >= 7 && y <= 30;
            if (onParallel || onMeridian)
                expected.emplace_back(x, y);
        }
    uint32_t colour = 0, maskColour = 0;
    EXPECT_EQ(LitPixels(map.image, &colour), expected);
    EXPECT_EQ(colour, 0x0000FFu);
    EXPECT_EQ(LitPixels(map.mask, &maskColour), expected);
    EXPECT_EQ(maskColour, 0xFFFFFFu);
}

TEST(CRectGridDraw, FirstGridEndsOnTopAndHiddenOrTooFineGridsAreSkipped)
{
    SmallMap map;
    CRectGrid overlay;
    overlay.grids.push_back(Grid(1, 0x0000FF, 30.0, 30.0, 0));
    overlay.grids.push_back(Grid(1, 0x00FF00, 30.0, 30.0, 0));
    overlay.grids.push_back(Grid(0, 0xFF0000, 15.0, 15.0, 0));
    Canvas& dc = *map.image.GetDC();
    Canvas& maskDc = *map.mask.GetDC();
    dc.SelectPen(Pen::Solid(0x123456, 3));
    overlay.Draw(dc, maskDc, *map.sampler, 1.0);
    EXPECT_EQ(dc.GetPen().colour, 0x123456u);
    EXPECT_EQ(dc.GetPen().width, 3);
    std::vector<std::pair<int, int>> lit = LitPixels(map.image);
    ASSERT_FALSE(lit.empty());
    for (auto [x, y] : lit)
        EXPECT_EQ(map.image.GetPixel(x, y) & 0xFFFFFF, 0x0000FFu) << x << "," << y;

    // A grid whose spacing is not coarser than the minimum spacing is not drawn.
    SmallMap fine;
    overlay.Draw(*fine.image.GetDC(), *fine.mask.GetDC(), *fine.sampler, std::sqrt(30.0 * 30.0 * 2));
    EXPECT_TRUE(LitPixels(fine.image).empty());
    EXPECT_TRUE(LitPixels(fine.mask).empty());
}

TEST(CRectGridDraw, ParallelsAndMeridiansAsTraced)
{
    struct Case {
        const char* name;
        double latSpacing, lonSpacing, endcap, centre;
        std::vector<double> parallels;   // latitudes, in order
        std::vector<double> meridians;   // longitudes, in order
        double meridianStep;             // latitude step along a meridian
    };
    std::vector<double> every30, every15, every30From0;
    for (double lon = -180; lon <= 180; lon += 30)
        every30.push_back(lon);
    for (double lon = -180; lon <= 180; lon += 15)
        every15.push_back(lon);
    const Case cases[] = {
        {"end cap 30", 30, 30, 30, 0, {-60, -30, 0, 30, 60}, every30, 15},
        {"latitude spacing 0: meridians only, 30 degrees apart along them", 0, 15, 30, 0, {}, every15, 30},
        {"longitude spacing 0: parallels only", 30, 0, 0, 0, {-90, -60, -30, 0, 30, 60, 90}, {}, 0},
        {"negative spacing drawn as 30", -5, 30, 30, 0, {-60, -30, 0, 30, 60}, every30, 15},
        {"centre longitude 60", 30, 30, 30, 60, {-60, -30, 0, 30, 60}, every30, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmallMap map(c.centre);
        CRectGrid overlay;
        overlay.polarEndcap = c.endcap;
        overlay.grids.push_back(Grid(1, 0xFFFFFF, c.latSpacing, c.lonSpacing, 0));
        RecordingSink sink;
        overlay.DrawAltitudeBand(sink, *map.sampler, -1e9, 1e9);
        ASSERT_EQ(sink.lines.size(), c.parallels.size() + c.meridians.size());
        const double north = c.endcap > 0 ? 90 - c.endcap : 90;
        size_t i = 0;
        for (double lat : c.parallels) {
            // Each parallel spans the map from edge to edge, wherever the map is centred.
            const std::vector<Point>& p = sink.lines[i++].points;
            ASSERT_FALSE(p.empty());
            EXPECT_TRUE(Near(p.front().x, 0.01)) << lat << " " << p.front().x;
            EXPECT_TRUE(Near(p.back().x, 72.01)) << lat << " " << p.back().x;
            for (const Point& q : p)
                EXPECT_TRUE(Near(q.y, SmallMap::Y(lat) + 0.01)) << lat;
        }
        for (double lon : c.meridians) {
            // Meridians stand at absolute longitudes.
            const std::vector<Point>& p = sink.lines[i++].points;
            double shifted = lon - c.centre;
            shifted -= 360.0 * std::floor((shifted + 180.0) / 360.0);
            if (lon - c.centre == 180.0)
                shifted = 180.0;
            const size_t steps = static_cast<size_t>(std::lround(2 * north / c.meridianStep));
            ASSERT_EQ(p.size(), steps + 1) << lon;
            for (size_t k = 0; k < p.size(); ++k) {
                EXPECT_TRUE(Near(p[k].x, 36.0 + shifted / 5.0 + 0.011)) << lon << " " << p[k].x;
                EXPECT_TRUE(Near(p[k].y, SmallMap::Y(-north + k * c.meridianStep) + 0.01)) << lon;
            }
        }
    }
}

TEST(CRectGridDraw, AltitudeBandsWriteEachShownGridOnceWithItsPen)
{
    SmallMap map;
    CRectGrid overlay;
    overlay.grids.push_back(Grid(1, 0x0000FF, 60.0, 0.0, 300));  // altitude 0
    overlay.grids.push_back(Grid(1, 0x00FF00, 60.0, 0.0, 25));   // altitude 100
    overlay.grids.push_back(Grid(0, 0xFF0000, 60.0, 0.0, 25));   // hidden
    overlay.grids.push_back(Grid(1, 0xFF0000, 60.0, 0.0, 50));   // on top
    overlay.grids[0].altitude = 0.0;
    overlay.grids[1].altitude = 100.0;
    overlay.grids[2].altitude = 0.0;
    const int linesPerGrid = 3; // parallels -60, 0, 60

    RecordingSink sink;
    overlay.DrawAltitudeBand(sink, *map.sampler, 0.0, 100.0);
    ASSERT_EQ(sink.lines.size(), size_t(linesPerGrid));
    EXPECT_EQ(sink.lines[0].pen.colour[0], FindNearestPaletteIndex(0x0000FF));
    EXPECT_EQ(sink.lines[0].pen.colour[1], FindNearestPaletteIndex(0x0000FF));
    EXPECT_EQ(sink.lines[0].pen.lineWidth, 300 & 0xFF);
    EXPECT_EQ(overlay.grids[0].drawn, 1);
    EXPECT_EQ(overlay.grids[2].drawn, 0);

    // The same band again writes nothing; the rest goes out last grid first.
    overlay.DrawAltitudeBand(sink, *map.sampler, 0.0, 100.0);
    EXPECT_EQ(sink.lines.size(), size_t(linesPerGrid));
    overlay.DrawAltitudeBand(sink, *map.sampler, -1e300, 1e300);
    ASSERT_EQ(sink.lines.size(), size_t(3 * linesPerGrid));
    EXPECT_EQ(sink.lines[linesPerGrid].pen.colour[0], FindNearestPaletteIndex(0xFF0000));
    EXPECT_EQ(sink.lines[linesPerGrid].pen.lineWidth, 50);
    EXPECT_EQ(sink.lines[2 * linesPerGrid].pen.colour[0], FindNearestPaletteIndex(0x00FF00));

    overlay.ClearDrawn();
    for (const RectInfo& g : overlay.grids)
        EXPECT_EQ(g.drawn, 0);
}

TEST(CRectGridDraw, ProgressedTracingStopsWhenTheUserAborts)
{
    SmallMap map;
    const RectInfo grid = Grid(1, 0xFFFFFF, 30.0, 30.0, 0);
    {
        AbortOnPoll abort;
        RecordingSink sink;
        grid.DrawToSink(sink, *map.sampler, 2, -60, -180, 60, 180, true);
        EXPECT_EQ(sink.lines.size(), 1u);
        EXPECT_EQ(AbortOnPoll::polls, 1);

        // The view's drawing shows no progress and ignores the abort value.
        CRectGrid overlay;
        overlay.grids.push_back(grid);
        overlay.Draw(*map.image.GetDC(), *map.mask.GetDC(), *map.sampler, 1.0);
        EXPECT_FALSE(LitPixels(map.image).empty());
    }
    RecordingSink sink;
    grid.DrawToSink(sink, *map.sampler, 2, -60, -180, 60, 180, true);
    EXPECT_EQ(sink.lines.size(), 5u + 13u);
}

TEST(CRectGridDraw, DamagedValuesDrawFinitelyOrNotAtAll)
{
    SmallMap map;
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        RectInfo grid;
        int level;
        size_t lines; // 0 for none; kSome for some, as many as the lines held to +-360 give
    };
    constexpr size_t kSome = 1000;
    RectInfo nanSpacing = Grid(1, 1, nan, 30.0, 0);
    RectInfo infExtent = Grid(1, 1, 30.0, 30.0, 0);
    infExtent.west = -inf;
    RectInfo nanExtent = Grid(1, 1, 30.0, 30.0, 0);
    nanExtent.north = nan;
    RectInfo hugeExtent = Grid(1, 1, 30.0, 30.0, 0);
    hugeExtent.west = -1e300;
    hugeExtent.east = 1e300;
    hugeExtent.south = -1e300;
    hugeExtent.north = 1e300;
    const Case cases[] = {
        {"spacing not a number drawn as 30", nanSpacing, 2, 7 + 13},
        {"infinite extent", infExtent, 2, 0},
        {"extent not a number", nanExtent, 2, 0},
        {"huge extent held to the world", hugeExtent, 2, kSome},
        {"level 0 drawn as 1", Grid(1, 1, 30.0, 30.0, 0), 0, 7 + 13},
        {"level below 0 drawn as 1", Grid(1, 1, 30.0, 30.0, 0), -3, 7 + 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSink sink;
        c.grid.TraceLines(sink, *map.sampler, c.level, c.grid.south, c.grid.west, c.grid.north, c.grid.east, true,
                          0.1, 6, false);
        if (c.lines == kSome) {
            EXPECT_GT(sink.lines.size(), 7u + 25u - 1);
            EXPECT_LE(sink.lines.size(), 7u * 3 + 25u);
        } else {
            EXPECT_EQ(sink.lines.size(), c.lines);
        }
    }
}

TEST(CRectGridDraw, SpacingsAreCheckedAgainstThePointLimitOfTheProfile)
{
    // With at most 100 points, a spacing of 1 degree (180 lines) is drawn as 30, and a family
    // that is off stays off.
    GetAppSettings().WriteInt("Settings", "nMaxPW2Pts", 100);
    SmallMap map;
    CRectGrid overlay;
    overlay.grids.push_back(Grid(1, 1, 0.0, 1.0, 0));
    RecordingSink sink;
    overlay.DrawAltitudeBand(sink, *map.sampler, -1e9, 1e9);
    GetAppSettings().WriteInt("Settings", "nMaxPW2Pts", 20000);
    ASSERT_EQ(sink.lines.size(), 13u);
    for (const RecordingSink::Line& line : sink.lines)
        EXPECT_EQ(line.points.size(), 5u); // -60 to 60 in steps of 30
}
