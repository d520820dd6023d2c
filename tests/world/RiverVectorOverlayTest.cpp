// The river overlay: records of every version, damaged counts, drawing and export.
#include "world/RiverVectorOverlay.h"

#include "ArchiveBytes.h"
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
