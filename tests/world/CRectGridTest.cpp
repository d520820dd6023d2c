// Grid overlay records: defaults and copies, the ".grd" text, the archive form.
#include "world/CRectGrid.h"

#include "ArchiveBytes.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
