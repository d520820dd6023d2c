// The view block of the world file: its byte layout, the climate lists lent to the light
// text, every version, and loaded values that no table holds.
#include "ArchiveBytes.h"

#include "base/AppSettings.h"
#include "base/color/ClimateParms.h"
#include "base/text/CTokenizer.h"
#include "document/ViewSettings.h"
#include "platform/Archive.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace kv;
using Bytes = std::vector<uint8_t>;

namespace {

struct BlockFields {
    int32_t version = 257;
    int32_t shader = 3;
    int32_t hatch = 1;
    int32_t projection = 10;
    std::string light = "LightParms\nAmbient 0.5\naz 200\nLightParmsEnd\n";
    int32_t settings[4] = {11, 12, 13, 14};
    int savedViews = 1;
};

// A view block written field by field.
Bytes Block(const BlockFields& f)
{
    Bytes bytes;
    CArchive ar(bytes, CArchive::store);
    ar << f.version << f.shader << int32_t(5) << f.hatch << uint32_t(0x0000FF) << uint32_t(0xFFFFFF);
    ar << f.projection << 20.0 << -30.0 << 0.25 << -0.5 << 40.0 << 20.0 << 3.0;
    ar << uint32_t(f.light.size());
    ar.Write(f.light.data(), f.light.size());
    for (int32_t s : f.settings)
        ar << s;
    if (f.savedViews >= 0) {
        ar << int32_t(256) << int32_t(f.savedViews);
        for (int i = 0; i < f.savedViews; ++i) {
            CViewInfo info;
            info.name = "View " + std::to_string(i);
            info.centerLatitude = i;
            info.Serialize(ar);
        }
    }
    ar << uint32_t(0xABCD); // what follows in the file
    return bytes;
}

// Loads a block and returns the word that follows it.
uint32_t LoadBlock(ViewSettings& view, ClimateParms& climate, const Bytes& bytes)
{
    CArchive ar(bytes.data(), bytes.size());
    view.Serialize(ar, climate);
    uint32_t next = 0;
    ar >> next;
    return next;
}

Bytes StoreBlock(ViewSettings& view, ClimateParms& climate)
{
    Bytes bytes;
    CArchive ar(bytes, CArchive::store);
    view.Serialize(ar, climate);
    return bytes;
}

} // namespace

TEST(ViewSettingsTest, DefaultsComeFromTheProfile)
{
    AppSettings profile;
    profile.WriteInt("Tools", "Map", 4);
    profile.WriteInt("Bkgnd", "Hatch", 5);
    profile.WriteInt("Tools", "Fore", 0x102030);
    const AppSettings* previous = SetAppSettings(&profile);
    ViewSettings view;
    EXPECT_EQ(view.shaderId, 4);
    EXPECT_EQ(view.hatchIndex, 5);
    EXPECT_EQ(view.hatchColor, 0x102030u);
    EXPECT_EQ(view.backgroundColor, 0u);
    // A new view writes 0 for all four further settings.
    for (int32_t setting : view.settings)
        EXPECT_EQ(setting, 0);
    SetAppSettings(previous);

    ViewSettings plain;
    EXPECT_EQ(plain.shaderId, 1);
    EXPECT_EQ(plain.hatchIndex, 2);
}

TEST(ViewSettingsTest, StoredBlockHasTheFieldsInOrderAndTheLightTextVerbatim)
{
    ViewSettings view;
    ClimateParms climate;
    view.shaderId = 8;
    view.projection.SetCenter(10.0, 20.0);
    view.light.azimuth = 123.0;
    const Bytes bytes = StoreBlock(view, climate);

    CArchive ar(bytes.data(), bytes.size());
    int32_t version, shader, second, hatch, projection;
    uint32_t hatchColour, background, length;
    double lat, lon, x, y, p1, p2, scale;
    ar >> version >> shader >> second >> hatch >> hatchColour >> background >> projection;
    ar >> lat >> lon >> x >> y >> p1 >> p2 >> scale >> length;
    EXPECT_EQ(version, 257);
    EXPECT_EQ(shader, 8);
    EXPECT_EQ(projection, 2);
    EXPECT_EQ(lat, 10.0);
    EXPECT_EQ(lon, 20.0);
    EXPECT_EQ(p1, 50.0);
    EXPECT_EQ(scale, 1.0);
    std::string text(length, '\0');
    ar.ReadExact(text.data(), length);
    EXPECT_EQ(text.rfind("LightParms\n", 0), 0u);
    EXPECT_NE(text.find("\naz             123.00000\n"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.find('\0'), std::string::npos);
    // The climate lists travel inside the light text.
    EXPECT_NE(text.find("TemperatureList"), std::string::npos);
    EXPECT_NE(text.find("ClimateList"), std::string::npos);
    int32_t settings[4];
    for (int32_t& s : settings)
        ar >> s;
    int32_t listVersion, count;
    ar >> listVersion >> count;
    EXPECT_EQ(listVersion, 256);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ar.Remaining(), 0u);
    EXPECT_EQ(view.light.temperatureList, nullptr);
    EXPECT_EQ(view.light.climateList, nullptr);
}

TEST(ViewSettingsTest, RoundTripCarriesTheClimateListsBackToTheClimate)
{
    ViewSettings view;
    ClimateParms climate;
    CColorList hot;
    hot.RemoveAll();
    hot.Add(0x0000FF);
    hot.Add(0x00FFFF);
    climate.SetTemperatureList(hot);
    view.hatchIndex = 3;
    view.settings[1] = 9;
    CViewInfo info;
    info.name = "Saved";
    info.scale = 4.0;
    view.savedViews.Add(info);
    const Bytes bytes = StoreBlock(view, climate);

    ViewSettings loaded;
    ClimateParms other;
    CArchive ar(bytes.data(), bytes.size());
    loaded.Serialize(ar, other);
    EXPECT_EQ(other.TemperatureList().GetSize(), 2);
    EXPECT_EQ(loaded.hatchIndex, 3);
    EXPECT_EQ(loaded.settings[1], 9);
    ASSERT_EQ(loaded.savedViews.Count(), 1);
    EXPECT_EQ(*loaded.savedViews.At(0), info);
    EXPECT_EQ(loaded.light.temperatureList, nullptr);
    EXPECT_EQ(StoreBlock(loaded, other), bytes);
}

TEST(ViewSettingsTest, LoadedBlockSetsEverySetting)
{
    ViewSettings view;
    ClimateParms climate;
    EXPECT_EQ(LoadBlock(view, climate, Block(BlockFields{})), 0xABCDu);
    EXPECT_EQ(view.shaderId, 3);
    EXPECT_EQ(view.secondSetting, 5);
    EXPECT_EQ(view.hatchIndex, 1);
    EXPECT_EQ(view.hatchColor, 0x0000FFu);
    EXPECT_EQ(view.backgroundColor, 0xFFFFFFu);
    EXPECT_EQ(view.projection.GetProjectionId(), 10);
    double lat, lon, p1, p2;
    view.projection.GetCenter(lat, lon);
    view.projection.GetConicParallels(p1, p2);
    EXPECT_EQ(lat, 20.0);
    EXPECT_EQ(lon, -30.0);
    EXPECT_EQ(p1, 40.0);
    EXPECT_EQ(view.projection.GetScale(), 3.0);
    EXPECT_EQ(view.light.ambient, 0.5);
    EXPECT_EQ(view.light.azimuth, 200.0);
    EXPECT_EQ(view.settings[3], 14);
    EXPECT_EQ(view.savedViews.Count(), 1);
}

TEST(ViewSettingsTest, OlderAndOddBlocks)
{
    const CColorList ownClimate = [] {
        ClimateParms c;
        return c.ClimateList();
    }();
    struct Case {
        const char* what;
        BlockFields fields;
    };
    BlockFields v256;
    v256.version = 256;
    v256.savedViews = -1; // none written
    BlockFields unreadableLight;
    unreadableLight.light = "\x01\x02 not a light block \"";
    BlockFields unregistered;
    unregistered.projection = 999;
    BlockFields badTables;
    badTables.hatch = 9;
    badTables.shader = 77;
    BlockFields negativeHatch;
    negativeHatch.hatch = -1;
    negativeHatch.shader = 8;
    BlockFields otherListVersion;
    otherListVersion.savedViews = -1;

    {
        SCOPED_TRACE("version 256: settings but no saved views");
        ViewSettings view;
        CViewInfo kept;
        view.savedViews.Add(kept);
        ClimateParms climate;
        EXPECT_EQ(LoadBlock(view, climate, Block(v256)), 0xABCDu);
        EXPECT_EQ(view.shaderId, 3);
        EXPECT_EQ(view.settings[0], 11);
        EXPECT_EQ(view.savedViews.Count(), 1);
    }
    {
        SCOPED_TRACE("version 255: nothing more is read");
        Bytes bytes;
        CArchive ar(bytes, CArchive::store);
        ar << int32_t(255) << uint32_t(0xABCD);
        ViewSettings view;
        view.shaderId = 4;
        ClimateParms climate;
        EXPECT_EQ(LoadBlock(view, climate, bytes), 0xABCDu);
        EXPECT_EQ(view.shaderId, 4);
        EXPECT_EQ(view.light.climateList, nullptr);
    }
    {
        SCOPED_TRACE("a light text that does not read still lets the rest load");
        ViewSettings view;
        ClimateParms climate;
        EXPECT_EQ(LoadBlock(view, climate, Block(unreadableLight)), 0xABCDu);
        EXPECT_EQ(view.settings[2], 13);
        EXPECT_EQ(view.savedViews.Count(), 1);
        // No climate lists in the text: the climate keeps its own.
        EXPECT_EQ(climate.ClimateList().GetSize(), ownClimate.GetSize());
    }
    {
        SCOPED_TRACE("an unregistered projection selects 2 and keeps the stored values");
        ViewSettings view;
        ClimateParms climate;
        LoadBlock(view, climate, Block(unregistered));
        EXPECT_EQ(view.projection.GetProjectionId(), 2);
        double lat, lon, x, y, p1, p2;
        view.projection.GetCenter(lat, lon);
        view.projection.GetOffset(x, y);
        view.projection.GetConicParallels(p1, p2);
        EXPECT_EQ(lat, 20.0);
        EXPECT_EQ(lon, -30.0);
        EXPECT_DOUBLE_EQ(x, 0.25);
        EXPECT_DOUBLE_EQ(y, -0.5);
        EXPECT_EQ(p2, 20.0);
        EXPECT_EQ(view.projection.GetScale(), 3.0);
    }
    {
        SCOPED_TRACE("hatch and shader outside their tables");
        ViewSettings view;
        ClimateParms climate;
        LoadBlock(view, climate, Block(badTables));
        EXPECT_EQ(view.hatchIndex, 2);
        EXPECT_EQ(view.shaderId, 1);
        LoadBlock(view, climate, Block(negativeHatch));
        EXPECT_EQ(view.hatchIndex, 2);
        EXPECT_EQ(view.shaderId, 8);
    }
    {
        // Another version's layout is unknown: reading on would misalign what follows.
        SCOPED_TRACE("a saved-view list or entry of another version is the archive error");
        for (int listVersion : {300, 256}) {
            Bytes bytes = Block(otherListVersion);
            bytes.resize(bytes.size() - 4);
            CArchive ar(bytes, CArchive::store);
            ar << int32_t(listVersion);
            if (listVersion == 256)
                ar << int32_t(1) << int32_t(255) << uint8_t(0) << uint8_t(0) << uint8_t(0);
            for (int i = 0; i < 7; ++i)
                ar << 0.0;
            ViewSettings view;
            view.savedViews.Add(CViewInfo{});
            ClimateParms climate;
            CArchive in(bytes.data(), bytes.size());
            EXPECT_THROW(view.Serialize(in, climate), CArchiveException) << listVersion;
            EXPECT_EQ(view.light.climateList, nullptr);
        }
    }
}

TEST(ViewSettingsTest, DamagedBlocksRaiseTheArchiveErrorAndClearTheLentLists)
{
    BlockFields fields;
    fields.savedViews = 2;
    const Bytes good = Block(fields);
    const size_t lengthAt = 4 * 7 + 8 * 7;

    Bytes hugeLight = good;
    const uint32_t huge = 0xFFFFFFF0u;
    std::memcpy(&hugeLight[lengthAt], &huge, 4);

    Bytes hugeCount = good;
    const size_t countAt = lengthAt + 4 + fields.light.size() + 16 + 4;
    const int32_t count = 0x7FFFFFFF;
    std::memcpy(&hugeCount[countAt], &count, 4);

    Bytes truncated(good.begin(), good.begin() + static_cast<long>(lengthAt + 10));

    for (const Bytes* bytes : {&hugeLight, &hugeCount, &truncated}) {
        ViewSettings view;
        ClimateParms climate;
        CArchive ar(bytes->data(), bytes->size());
        EXPECT_THROW(view.Serialize(ar, climate), CArchiveException);
        EXPECT_EQ(view.light.temperatureList, nullptr);
        EXPECT_EQ(view.light.rainfallList, nullptr);
    }
}

TEST(ViewSettingsTest, FieldOffsetsAndStoreLoadStoreIdentity)
{
    ViewSettings view;
    ClimateParms climate;
    view.projection.SetProjection(kMapSinusoidal);
    view.projection.SetScale(0.75);
    view.secondSetting = 6;
    view.settings[1] = 9;
    CViewInfo info;
    info.name = "North";
    info.projectionName = "Sinusoidal";
    info.scale = 0.5;
    info.shaderId = 2;
    view.savedViews.Add(info);
    const Bytes first = StoreBlock(view, climate);

    auto i32 = [&](size_t at) {
        int32_t v;
        std::memcpy(&v, &first[at], 4);
        return v;
    };
    double scale;
    std::memcpy(&scale, &first[76], 8);
    const auto n = static_cast<size_t>(i32(84));
    EXPECT_EQ(i32(24), kMapSinusoidal);
    EXPECT_EQ(scale, 0.75);
    EXPECT_EQ(std::string(first.begin() + 88, first.begin() + 98), "LightParms");
    EXPECT_EQ(i32(88 + n + 4), 9);
    EXPECT_EQ(i32(104 + n), 256);
    EXPECT_EQ(i32(108 + n), 1);

    ViewSettings loaded;
    ClimateParms other;
    CArchive ar(first.data(), first.size());
    loaded.Serialize(ar, other);
    EXPECT_EQ(StoreBlock(loaded, other), first);
    EXPECT_EQ(*loaded.savedViews.At(0), info);
}
