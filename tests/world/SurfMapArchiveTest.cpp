#include "ArchiveBytes.h"
#include "SurfMapSamples.h"
#include "platform/Archive.h"
#include "world/SurfMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

using namespace kv;
using Bytes = std::vector<uint8_t>;

namespace {

template <typename T> T At(const Bytes& b, size_t offset)
{
    T v;
    EXPECT_LE(offset + sizeof(T), b.size());
    std::memcpy(&v, b.data() + offset, sizeof(T));
    return v;
}

float Cell(const SurfMap& world, int channel, int col, int row)
{
    return world.Channel(channel)->Row<float>(static_cast<size_t>(row))[col];
}

void FillChannel(SurfMap& world, int channel, float value)
{
    Grid2D* g = world.Channel(channel);
    std::fill(g->DataAs<float>(), g->DataAs<float>() + g->CellCount(), value);
}

CColorList TwoStops(uint32_t a, uint32_t b)
{
    CColorList list;
    list.Add(a);
    list.Add(b);
    return list;
}

// A world record built item by item as the stored format gates them, for any version.
// Grid records are small: channel c is W x H (8 x 4 unless changed) and cell i holds
// 10 c + i / 100.
struct RecordLayout {
    int32_t version = SurfMap::kArchiveVersion;
    int32_t classCount = 3;
    int32_t widths[kChannelGridCount] = {8, 8, 8, 8, 8, 8, 8};
    int32_t heights[kChannelGridCount] = {4, 4, 4, 4, 4, 4, 4};
    int32_t byteCountChange = 0; // added to channel 0's byte count
    double lacunarity = 2.5;
    int32_t prescaleEnabled = 1;
    bool prescaleCells = true; // false: channel 6's record header only
};

void PutGrid(CArchive& ar, const RecordLayout& layout, int channel)
{
    const int32_t w = layout.widths[channel], h = layout.heights[channel];
    const int32_t bytes = w * h * 4 + (channel == 0 ? layout.byteCountChange : 0);
    ar << int32_t{257} << w << h << int32_t{4} << bytes;
    if (channel == kChannelPrescale && !layout.prescaleCells)
        return;
    for (int32_t i = 0; i < w * h; ++i)
        ar << static_cast<float>(10 * channel + i / 100.0);
}

Bytes BuildRecord(const RecordLayout& layout)
{
    const int32_t v = layout.version;
    Bytes out;
    CArchive ar(out, CArchive::store);
    ar << v << int32_t{1} << int32_t{777};
    ar << 0.5 << layout.lacunarity << 9.0 << 3.0 << 4.0;
    ar << 1.0 << 2.0 << 3.0 << 4.0 << 5.0 << 6.0;
    ar << 55.0 << -100.0 << int32_t{0};
    ar << 5000.0 << -6000.0 << 2.2 << 30000.0;
    ar << std::string("Old");
    ar << int32_t{1};
    for (int ch : {0, 1, 3, 2})
        PutGrid(ar, layout, ch);
    if (v > 256) {
        ar << int32_t{6} << int32_t{7};
        CISurf surface;
        surface.SetFileName("imported.raw");
        surface.Serialize(ar);
        surface.Serialize(ar);
    }
    if (v > 257) {
        PutGrid(ar, layout, 4);
        PutGrid(ar, layout, 5);
    }
    if (v >= 259)
        for (int i = 0; i < 8; ++i)
            ar << 1.5 + i;
    if (v > 259) {
        ar << layout.classCount;
        // A count past the limit is refused before its colours are read: a few are enough.
        for (int32_t i = 0; i < std::min(layout.classCount, 64); ++i)
            ar << 0x010101u * static_cast<uint32_t>(i + 1);
    }
    if (v > 260)
        ar << 12.0 << -7.0;
    if (v > 261)
        ar << 1.5 << 0.8;
    if (v >= 263)
        ar << int32_t{3} << int32_t{1};
    if (v > 263) {
        TwoStops(0x0000FF, 0x00FF00).Serialize(ar);
        TwoStops(0xFF0000, 0xFFFFFF).Serialize(ar);
    }
    if (v >= 265)
        for (int i = 0; i < 6; ++i)
            ar << 13.0 + i;
    if (v > 265)
        ar << int32_t{0};
    if (v > 266)
        ar << int32_t{1};
    if (v > 267)
        ar << int32_t{0};
    if (v > 268)
        ar << int32_t{1};
    if (v > 269)
        ar << layout.prescaleEnabled;
    if (v > 270 && layout.prescaleEnabled)
        PutGrid(ar, layout, 6);
    return out;
}

// A target whose values differ from both the defaults and every fixture value.
void MarkTarget(SurfMap& world)
{
    FillChannel(world, kChannelWaterLevel, 7.0f);
    FillChannel(world, kChannelClimate, 3.0f);
    world.randomOrigin = 0;
    world.mirrorLatitude = world.mirrorLongitude = 1;
    for (int i = 2; i < 8; ++i)
        world.sourceParms.extras[i] = 99.0;
    world.climate.ClimateList() = TwoStops(0x123456, 0x654321);
}

} // namespace

TEST(SurfMapArchive, ByteLayoutOfTheDefaultRecord)
{
    SurfMap world;
    world.Channel(kChannelRainfall)->Row<float>(0)[0] = 2.5f;
    world.Channel(kChannelTemperature)->Row<float>(0)[0] = 3.5f;
    const Bytes b = StoreBytes(world);

    EXPECT_EQ(At<int32_t>(b, 0), 271);
    EXPECT_EQ(At<int32_t>(b, 4), 0);         // basisId
    EXPECT_EQ(At<int32_t>(b, 8), 12345);     // seed
    EXPECT_EQ(At<double>(b, 12), 1.0);       // H
    EXPECT_EQ(At<double>(b, 20), 2.0);       // lacunarity
    EXPECT_EQ(At<double>(b, 28), 13.0);      // octaves
    EXPECT_EQ(At<double>(b, 52), -10.0);     // originX
    EXPECT_EQ(At<double>(b, 100), 70.0);     // waterPercent
    EXPECT_EQ(At<int32_t>(b, 116), 1);       // shapingOn
    EXPECT_EQ(At<double>(b, 144), world.circumference);
    EXPECT_EQ(b[152], 0);                    // empty name
    EXPECT_EQ(At<int32_t>(b, 153), 1);       // grids present

    // Grid records 0, 1, 3, 2 of 256 x 128 cells, 131092 bytes each.
    const size_t grid = 157, record = 131092;
    const float firstCells[4] = {1.0f, 0.0f, 3.5f, 2.5f};
    for (int k = 0; k < 4; ++k) {
        const size_t at = grid + k * record;
        EXPECT_EQ(At<int32_t>(b, at), 257);
        EXPECT_EQ(At<int32_t>(b, at + 4), 256);
        EXPECT_EQ(At<int32_t>(b, at + 8), 128);
        EXPECT_EQ(At<int32_t>(b, at + 12), 4);
        EXPECT_EQ(At<int32_t>(b, at + 16), 131072);
        EXPECT_EQ(At<float>(b, at + 20), firstCells[k]) << k;
    }
    size_t at = grid + 4 * record;
    EXPECT_EQ(At<int32_t>(b, at), 0); // surfaceType
    at += 8 + 2 * StoreBytes(world.surface1).size();
    EXPECT_EQ(At<int32_t>(b, at + 4), 256);            // channel 4's record
    EXPECT_EQ(At<float>(b, at + record + 20), -1.0f);  // channel 5's first cell
    at += 2 * record;
    EXPECT_EQ(At<double>(b, at), 1.0);  // solar factor
    at += 64;
    EXPECT_EQ(At<int32_t>(b, at), 17); // class colours
    EXPECT_EQ(At<uint32_t>(b, at + 4), world.climate.ClimateColor(0));
    {
        // A class colour is 0x00BBGGRR: a stored top byte is dropped on loading, as every
        // colour stop's is, so the record stores the same bytes after every load.
        Bytes marked = b;
        marked[at + 4 + 3] = 0x21;
        SurfMap loaded;
        LoadBytes(loaded, marked);
        EXPECT_EQ(loaded.climate.ClimateColor(0), world.climate.ClimateColor(0));
        EXPECT_EQ(StoreBytes(loaded), b);
    }
    at += 4 + 17 * 4 + 32;
    EXPECT_EQ(At<int32_t>(b, at), 2);  // randomOrigin in bit 1, no mirrors
    EXPECT_EQ(At<int32_t>(b, at + 4), 0);
    at += 8 + StoreBytes(world.climate.TemperatureList()).size() + StoreBytes(world.climate.RainfallList()).size();
    EXPECT_EQ(At<double>(b, at), 0.0); // extra 3
    at += 48;
    const int32_t tail[5] = {1, 0, 1, 0, 0}; // axisRotate .. prescaleEnabled
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(At<int32_t>(b, at + 4 * i), tail[i]) << i;
    EXPECT_EQ(b.size(), at + 20); // no channel 6 without prescale

    // Without grid 0 the flag is 0 and no records follow.
    world.grids[kChannelRoughness].reset();
    const Bytes bare = StoreBytes(world);
    EXPECT_EQ(At<int32_t>(bare, 153), 0);
    EXPECT_EQ(bare.size(), b.size() - 4 * record);
}

TEST(SurfMapArchive, RoundTripIsByteIdentical)
{
    SurfMap world;
    MakeUnusualWorld(world);
    const Bytes first = StoreBytes(world);
    SurfMap loaded;
    LoadBytes(loaded, first);
    EXPECT_EQ(StoreBytes(loaded), first);

    EXPECT_EQ(loaded.name, "Round trip");
    EXPECT_EQ(loaded.gridWidth, 16);
    EXPECT_EQ(loaded.gridHeight, 8);
    EXPECT_EQ(loaded.selection.GetWidth(), 16);
    EXPECT_EQ(loaded.selection.GetHeight(), 8);
    EXPECT_EQ(Cell(loaded, kChannelPrescale, 3, 2), Cell(world, kChannelPrescale, 3, 2));
    EXPECT_EQ(loaded.climate.TemperatureList().Stop(1).Name(), "warm");
    EXPECT_EQ(loaded.climate.ClimateList().GetSize(), 20);
    EXPECT_EQ(loaded.surface2.GetFileName(), "second.raw");
    EXPECT_EQ(loaded.sourceParms.octaveMask, -1); // not stored
}

TEST(SurfMapArchive, OlderVersionsReadWhatTheyHoldAndKeepTheRest)
{
    struct Case {
        int32_t version;
        int32_t classCount;
    };
    const Case cases[] = {{256, 3}, {259, 3}, {262, -1}, {265, 3}, {270, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        RecordLayout layout;
        layout.version = c.version;
        layout.classCount = c.classCount;
        SurfMap world;
        MarkTarget(world);
        LoadBytes(world, BuildRecord(layout));
        const int32_t v = c.version;

        // Items 1 to 11 always.
        EXPECT_EQ(world.basisId, 1);
        EXPECT_EQ(world.sourceParms.seed, 777);
        EXPECT_EQ(world.sourceParms.extras[1], 4.0);
        EXPECT_EQ(world.scaleZ, 6.0);
        EXPECT_EQ(world.circumference, 30000.0);
        EXPECT_EQ(world.name, "Old");
        EXPECT_EQ(world.gridWidth, 8);
        EXPECT_EQ(world.gridHeight, 4);
        EXPECT_EQ(world.selection.GetWidth(), 8);
        EXPECT_FLOAT_EQ(Cell(world, kChannelTemperature, 5, 1), 30.13f);
        EXPECT_FLOAT_EQ(Cell(world, kChannelRainfall, 5, 1), 20.13f);

        EXPECT_EQ(world.surfaceType, v > 256 ? 6 : 0);
        EXPECT_EQ(world.surface1.GetFileName(), v > 256 ? "imported.raw" : "");
        // Channels 4 and 5 kept below 258, resampled to the loaded size.
        EXPECT_FLOAT_EQ(Cell(world, kChannelWaterLevel, 7, 3), v > 257 ? 40.31f : 7.0f);
        EXPECT_FLOAT_EQ(Cell(world, kChannelClimate, 0, 0), v > 257 ? 50.0f : 3.0f);
        EXPECT_EQ(world.climate.solarFactor, v >= 259 ? 1.5 : 1.0);
        EXPECT_EQ(world.climate.rainfallBase, v >= 259 ? 8.5 : 130.0);
        // The class colours: emptied, entry 16 set, then the stored ones; a negative
        // count leaves the list.
        const CColorList& classes = world.climate.ClimateList();
        if (v > 259 && c.classCount >= 0) {
            ASSERT_EQ(classes.GetSize(), 17);
            EXPECT_EQ(classes.Stop(2).Color(), 0x030303u);
            EXPECT_EQ(classes.Stop(16).Color(), 0u);
        } else {
            ASSERT_EQ(classes.GetSize(), 2);
            EXPECT_EQ(classes.Stop(0).Color(), 0x123456u);
        }
        EXPECT_EQ(world.axisLongitude, v > 260 ? 12.0 : 0.0);
        EXPECT_EQ(world.exponentBelow, v > 261 ? 0.8 : 0.6);
        EXPECT_EQ(world.mirrorLatitude, v >= 263 ? 1 : 0);
        EXPECT_EQ(world.mirrorLongitude, v >= 263 ? 1 : 0);
        EXPECT_EQ(world.randomOrigin, v >= 263 ? 1 : 0);
        EXPECT_EQ(world.climate.TemperatureList().GetSize(), v > 263 ? 2 : 38);
        EXPECT_EQ(world.sourceParms.extras[2], v >= 265 ? 13.0 : 99.0);
        EXPECT_EQ(world.sourceParms.extras[7], v >= 265 ? 18.0 : 99.0);
        EXPECT_EQ(world.axisRotate, v > 265 ? 0 : 1);
        EXPECT_EQ(world.axisShiftsGrids, v > 266 ? 1 : 0);
        EXPECT_EQ(world.sphericalMapping, v > 267 ? 0 : 1);
        EXPECT_EQ(world.rasterMode, v > 268 ? 1 : 0);
        // Version 270 enables the prescale channel without storing it: a zero grid.
        EXPECT_EQ(world.prescaleEnabled, v > 269 ? 1 : 0);
        if (v > 269) {
            ASSERT_NE(world.Channel(kChannelPrescale), nullptr);
            EXPECT_EQ(world.Channel(kChannelPrescale)->Width(), 8u);
            EXPECT_EQ(Cell(world, kChannelPrescale, 7, 3), 0.0f);
        } else {
            EXPECT_EQ(world.Channel(kChannelPrescale), nullptr);
        }
    }
}

TEST(SurfMapArchive, PrescaleChannelFollowsTheStoredFlag)
{
    // Stored with the flag: channel 6 is read. Without: a world's own channel 6 stays.
    SurfMap world;
    LoadBytes(world, BuildRecord(RecordLayout{}));
    EXPECT_FLOAT_EQ(Cell(world, kChannelPrescale, 1, 0), 60.01f);

    RecordLayout off;
    off.prescaleEnabled = 0;
    SurfMap keeps;
    keeps.prescaleEnabled = 1;
    ASSERT_EQ(keeps.SetResolution(8, false), 0);
    FillChannel(keeps, kChannelPrescale, 4.5f);
    LoadBytes(keeps, BuildRecord(off));
    EXPECT_EQ(keeps.prescaleEnabled, 0);
    ASSERT_NE(keeps.Channel(kChannelPrescale), nullptr);
    EXPECT_EQ(Cell(keeps, kChannelPrescale, 3, 3), 4.5f);
}

TEST(SurfMapArchive, GridsOfOtherSizesAreResampledToTheLoadedSize)
{
    // An old record (no channels 4 and 5) at 8 x 4 read into a 4 x 2 world: the kept
    // water level is interpolated, the painted climate codes are not blended.
    SurfMap world;
    ASSERT_EQ(world.SetResolution(4, false), 0);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c) {
            world.SetCellValue(c, r, c % 2 ? 100.0f : 0.0f, kChannelWaterLevel);
            world.SetCellValue(c, r, c % 2 ? 7.0f : 3.0f, kChannelClimate);
        }
    RecordLayout layout;
    layout.version = 257;
    LoadBytes(world, BuildRecord(layout));
    std::set<float> water, codes;
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        if (const Grid2D* g = world.Channel(ch)) {
            EXPECT_EQ(g->Width(), 8u) << ch;
            EXPECT_EQ(g->Height(), 4u) << ch;
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) {
            water.insert(Cell(world, kChannelWaterLevel, c, r));
            codes.insert(Cell(world, kChannelClimate, c, r));
        }
    EXPECT_EQ(codes, (std::set<float>{3.0f, 7.0f}));
    EXPECT_GT(water.size(), 2u);

    // A damaged record whose grids disagree ends at the size of the last one read
    // (channel 6 here); every channel and the selection follow it.
    RecordLayout mixed;
    mixed.widths[kChannelLandOffset] = 16;
    mixed.heights[kChannelLandOffset] = 8;
    mixed.widths[kChannelRainfall] = 6;
    mixed.heights[kChannelRainfall] = 2;
    mixed.widths[kChannelPrescale] = 32;
    mixed.heights[kChannelPrescale] = 16;
    SurfMap damaged;
    LoadBytes(damaged, BuildRecord(mixed));
    EXPECT_EQ(damaged.gridWidth, 32);
    EXPECT_EQ(damaged.gridHeight, 16);
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        EXPECT_EQ(damaged.Channel(ch)->Width(), 32u) << ch;
        EXPECT_EQ(damaged.Channel(ch)->Height(), 16u) << ch;
    }
    EXPECT_EQ(damaged.selection.GetWidth(), 32);
    float scale, offset;
    damaged.SampleScaleOffset(89.9, 179.9, scale, offset);
    EXPECT_TRUE(std::isfinite(scale) && std::isfinite(offset));
}

TEST(SurfMapArchive, RefusedRecordsLeaveTheWorldAsItWas)
{
    struct Case {
        const char* what;
        RecordLayout layout;
        size_t cut; // bytes dropped from the end
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, auto change, size_t cut = 0) {
        RecordLayout layout;
        change(layout);
        cases.push_back({what, layout, cut});
    };
    add("width 3", [](RecordLayout& s) { s.widths[0] = 3; });
    add("width 8191", [](RecordLayout& s) { s.widths[2] = 8191; });
    add("height 1", [](RecordLayout& s) { s.heights[5] = 1; });
    add("byte count short of the sides", [](RecordLayout& s) { s.byteCountChange = -4; });
    add("byte count beyond the sides", [](RecordLayout& s) { s.byteCountChange = 4; });
    add("class colours above the limit", [](RecordLayout& s) { s.classCount = CColorList::kMaxArchivedStops + 1; });
    add("huge grid in a short archive", [](RecordLayout& s) {
        s.widths[6] = 8190;
        s.heights[6] = 4095;
        s.prescaleCells = false;
    });
    add("truncated last grid", [](RecordLayout&) {}, 1);
    add("truncated after the version", [](RecordLayout&) {}, BuildRecord(RecordLayout{}).size() - 4);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = BuildRecord(c.layout);
        bytes.resize(bytes.size() - c.cut);
        SurfMap world;
        MakeUnusualWorld(world);
        const Bytes before = StoreBytes(world);
        EXPECT_THROW(LoadBytes(world, bytes), CArchiveException);
        EXPECT_EQ(StoreBytes(world), before);
    }
}

TEST(SurfMapArchive, VersionsBelow256ReadNothingMore)
{
    SurfMap world;
    MakeUnusualWorld(world);
    const Bytes before = StoreBytes(world);
    Bytes record = BuildRecord(RecordLayout{});
    record[0] = 255;
    record[1] = 0;
    LoadBytes(world, record);
    EXPECT_EQ(StoreBytes(world), before);
}

TEST(SurfMapArchive, UnusableLacunarityKeepsThePreviousValue)
{
    // Also one the parameter text would write as 0.00000.
    for (double lacunarity : {0.0, -3.0, 0.000004, std::nan(""), double(INFINITY)}) {
        RecordLayout layout;
        layout.lacunarity = lacunarity;
        SurfMap world;
        world.sourceParms.lacunarity = 2.125;
        LoadBytes(world, BuildRecord(layout));
        EXPECT_EQ(world.sourceParms.lacunarity, 2.125) << lacunarity;
        EXPECT_EQ(world.sourceParms.H, 0.5); // the rest of the record is read
    }
    RecordLayout small;
    small.lacunarity = 0.00001;
    SurfMap world;
    LoadBytes(world, BuildRecord(small));
    EXPECT_EQ(world.sourceParms.lacunarity, 0.00001);
}
