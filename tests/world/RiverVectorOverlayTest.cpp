// The river overlay: records of every version, damaged counts, drawing and export.
#include "world/RiverVectorOverlay.h"

#include "ArchiveBytes.h"
#include "DrawingFixtures.h"
#include "base/color/CColorList.h"
#include "base/raster/Canvas.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

using namespace kv;
using Bytes = std::vector<uint8_t>;

namespace {

RiverPath River(uint32_t colour, int32_t level, std::vector<RiverPoint> points)
{
    RiverPath r;
    r.colour = colour;
    r.level = level;
    r.points = std::move(points);
    return r;
}

RiverVectorOverlay TwoRivers()
{
    RiverVectorOverlay overlay;
    overlay.rivers.push_back(River(0x00FF8040, 3, {{10.5, -20.25}, {11.0, -19.0}, {12.0, -18.5}}));
    overlay.rivers.push_back(River(0x80000001, -2, {{-45.0, 179.5}}));
    return overlay;
}

} // namespace

TEST(RiverVectorOverlayArchive, StoredBytesFollowTheRecordLayout)
{
    RiverVectorOverlay overlay = TwoRivers();
    Bytes expected;
    {
        CArchive ar(expected, CArchive::store);
        ar << int32_t(256) << int32_t(2);
        ar << int32_t(257) << int32_t(0x00FF8040) << int32_t(3) << 10.5 << -20.25 << 11.0 << -19.0 << 12.0 << -18.5
           << int32_t(3);
        ar << int32_t(257) << int32_t(0x80000001) << int32_t(1) << -45.0 << 179.5 << int32_t(-2);
    }
    EXPECT_EQ(StoreBytes(overlay), expected);

    RiverVectorOverlay loaded;
    loaded.width = 5;
    loaded.adaptive = false;
    LoadBytes(loaded, expected);
    EXPECT_EQ(loaded.rivers, overlay.rivers);
    // Width and adaptive switch are not archived.
    EXPECT_EQ(loaded.width, 5);
    EXPECT_FALSE(loaded.adaptive);
    EXPECT_EQ(RiverVectorOverlay().width, 2);
    EXPECT_TRUE(RiverVectorOverlay().adaptive);
}

TEST(RiverVectorOverlayArchive, OlderRiverRecordsReadOnlyTheirFields)
{
    // One overlay holding a record of each version; each must end where the next begins.
    Bytes bytes;
    {
        CArchive ar(bytes, CArchive::store);
        ar << int32_t(256) << int32_t(3);
        ar << int32_t(255) << int32_t(0x111111);                                 // colour only
        ar << int32_t(256) << int32_t(0x222222) << int32_t(1) << 1.0 << 2.0;     // no level
        ar << int32_t(257) << int32_t(0x333333) << int32_t(0) << int32_t(9);     // no points
        ar << int32_t(12345);                                                    // what follows
    }
    RiverVectorOverlay overlay;
    CArchive ar(bytes.data(), bytes.size());
    overlay.Serialize(ar);
    int32_t after = 0;
    ar >> after;
    EXPECT_EQ(after, 12345);
    ASSERT_EQ(overlay.rivers.size(), 3u);
    EXPECT_EQ(overlay.rivers[0], River(0x111111, 0, {}));
    EXPECT_EQ(overlay.rivers[1], River(0x222222, 0, {{1.0, 2.0}}));
    EXPECT_EQ(overlay.rivers[2], River(0x333333, 9, {}));

    // Stored again, every river is a version-257 record.
    RiverVectorOverlay again;
    LoadBytes(again, StoreBytes(overlay));
    EXPECT_EQ(again.rivers, overlay.rivers);
}

TEST(RiverVectorOverlayArchive, AnotherOverlayVersionReadsNothingMore)
{
    for (int32_t version : {0, 255, 257, -1}) {
        Bytes bytes;
        {
            CArchive ar(bytes, CArchive::store);
            ar << version << int32_t(0);
        }
        RiverVectorOverlay overlay = TwoRivers();
        CArchive ar(bytes.data(), bytes.size());
        overlay.Serialize(ar);
        EXPECT_EQ(ar.Remaining(), 4u) << version;
        EXPECT_EQ(overlay.rivers, TwoRivers().rivers) << version;
    }
}

TEST(RiverVectorOverlayArchive, DamagedCountsRaiseTheArchiveErrorAndChangeNothing)
{
    struct Case {
        const char* name;
        int32_t rivers;
        int32_t points;
    };
    const Case cases[] = {
        {"negative point count", 1, -1},
        {"point count above 100000", 1, 100001},
        {"more points than bytes", 1, 50000},
        {"negative river count", -1, 0},
        {"more rivers than bytes", 0x7FFFFFFF, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes;
        {
            CArchive ar(bytes, CArchive::store);
            ar << int32_t(256) << c.rivers << int32_t(257) << int32_t(7) << c.points << 1.0 << 2.0 << int32_t(0);
        }
        RiverVectorOverlay overlay = TwoRivers();
        EXPECT_THROW(LoadBytes(overlay, bytes), CArchiveException);
        EXPECT_EQ(overlay.rivers, TwoRivers().rivers);
    }
}

// ---- drawing and export ----

namespace {

using Point = kv::line_pts::Point;

bool SamePoints(const std::vector<Point>& a, const std::vector<Point>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y)
            return false;
    return true;
}

std::vector<std::pair<int, int>> LitPixels(const VideoBuffer& image)
{
    std::vector<std::pair<int, int>> lit;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (image.GetPixel(x, y) & 0xFFFFFF)
                lit.emplace_back(x, y);
    return lit;
}

} // namespace

TEST(RiverVectorOverlayDraw, OnePointAndRepeatedPoints)
{
    SmallMap map;
    // One point: that one projected point.
    RiverPath single = River(0xFF, 0, {{30.0, 60.0}});
    RecordingSink sink;
    single.Trace(sink, *map.sampler, true, 1.0, 6, 20000);
    ASSERT_EQ(sink.lines.size(), 1u);
    ASSERT_EQ(sink.lines[0].points.size(), 1u);
    EXPECT_NEAR(sink.lines[0].points[0].x, SmallMap::X(60.0) + 0.011, 0.005);
    EXPECT_NEAR(sink.lines[0].points[0].y, SmallMap::Y(30.0) + 0.01, 0.005);

    // Consecutive equal points add no segment: the same polyline as without them.
    RecordingSink plain, repeated;
    River(0xFF, 0, {{0.0, -90.0}, {10.0, -60.0}, {10.0, 0.0}}).Trace(plain, *map.sampler, true, 1.0, 6, 20000);
    River(0xFF, 0, {{0.0, -90.0}, {0.0, -90.0}, {10.0, -60.0}, {10.0, -60.0}, {10.0, -60.0}, {10.0, 0.0}, {10.0, 0.0}})
        .Trace(repeated, *map.sampler, true, 1.0, 6, 20000);
    ASSERT_EQ(plain.lines.size(), 1u);
    ASSERT_EQ(repeated.lines.size(), 1u);
    EXPECT_EQ(plain.lines[0].points.size(), 3u);
    EXPECT_TRUE(SamePoints(plain.lines[0].points, repeated.lines[0].points));

    // Nothing for a river without points.
    RecordingSink none;
    River(0xFF, 0, {}).Trace(none, *map.sampler, true, 1.0, 6, 20000);
    EXPECT_TRUE(none.lines.empty());
}

TEST(RiverVectorOverlayDraw, RiversAreDrawnOnePixelWideInTheirColourUpToTheLevelLimit)
{
    SmallMap map;
    RiverVectorOverlay overlay;
    overlay.rivers.push_back(River(0x0000FF, 1, {{0.0, -90.0}, {0.0, -60.0}}));  // row 18, columns 18..23
    overlay.rivers.push_back(River(0x00FF00, 2, {{-30.0, 0.0}, {-30.0, 20.0}})); // row 24, columns 36..39
    // Traced past the pole: drawn along the top row; the stored points stay as they were.
    overlay.rivers.push_back(River(0xFF0000, 1, {{95.0, 0.0}, {97.0, 30.0}}));
    Canvas& dc = *map.image.GetDC();
    dc.SelectPen(Pen::Solid(0x123456, 3));

    overlay.Draw(dc, *map.sampler, 0);
    EXPECT_TRUE(LitPixels(map.image).empty());

    EXPECT_EQ(overlay.Draw(dc, *map.sampler, 1), 0);
    EXPECT_EQ(dc.GetPen().colour, 0x123456u);
    EXPECT_EQ(dc.GetPen().width, 3);
    std::vector<std::pair<int, int>> expected;
    for (int x = 36; x < 42; ++x)
        expected.emplace_back(x, 0);
    for (int x = 18; x < 24; ++x)
        expected.emplace_back(x, 18);
    EXPECT_EQ(LitPixels(map.image), expected);
    EXPECT_EQ(map.image.GetPixel(18, 18) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(map.image.GetPixel(36, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(overlay.rivers[2].points[0].latitude, 95.0);

    overlay.Draw(dc, *map.sampler, 2);
    EXPECT_EQ(map.image.GetPixel(38, 24) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(LitPixels(map.image).size(), expected.size() + 4);
}

TEST(RiverVectorOverlayExport, PenPerRiverLevelLimitAndAbort)
{
    SmallMap map;
    RiverVectorOverlay overlay;
    overlay.rivers.push_back(River(0x0000FF, 1, {{0.0, -90.0}, {0.0, -60.0}}));
    overlay.rivers.push_back(River(0x00FF00, 5, {{-30.0, 0.0}, {-30.0, 20.0}}));
    overlay.rivers.push_back(River(0x808080, 2, {{20.0, 0.0}, {25.0, 20.0}}));

    RecordingSink sink;
    sink.pen.styleFlag[0] = 7;
    sink.pen.width[1] = 3.5;
    sink.pen.extra = 9;
    EXPECT_EQ(overlay.Export(sink, *map.sampler, 0), 0);
    EXPECT_TRUE(sink.lines.empty());

    EXPECT_EQ(overlay.Export(sink, *map.sampler, 2), 0);
    ASSERT_EQ(sink.lines.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const uint32_t colour = i == 0 ? 0x0000FF : 0x808080;
        DrawingPen expected;
        expected.colour[0] = expected.colour[1] = FindNearestPaletteIndex(colour);
        expected.styleFlag[0] = expected.styleFlag[1] = 1;
        EXPECT_EQ(sink.lines[i].pen, expected) << i;
    }

    // The poll after the first river asks to stop: the export ends between rivers.
    AbortOnPoll abort;
    RecordingSink stopped;
    EXPECT_EQ(overlay.Export(stopped, *map.sampler, 10), 0);
    EXPECT_EQ(stopped.lines.size(), 1u);
    EXPECT_EQ(AbortOnPoll::polls, 1);
}
