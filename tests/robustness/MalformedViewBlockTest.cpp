// Damaged view blocks (the world file's first view with its saved views). A block cut short anywhere, with a huge text length or saved-view count, or with a
// list or entry of another version is the archive error and leaves no climate list lent;
// random bytes in the light text still let the rest load. The sanitizer build checks every
// case for reads outside what was given.
#include "base/color/ClimateParms.h"
#include "document/ViewSettings.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace kv;
using Bytes = std::vector<uint8_t>;

namespace {

// A stored block with two saved views, as the writer makes it.
Bytes SeedBlock(size_t& lengthAt, size_t& listAt)
{
    ViewSettings view;
    ClimateParms climate;
    for (const char* name : {"North", "South"}) {
        CViewInfo info;
        info.name = name;
        info.projectionName = "Mercator";
        info.scale = 0.5;
        view.savedViews.Add(info);
    }
    Bytes bytes;
    CArchive ar(bytes, CArchive::store);
    view.Serialize(ar, climate);
    lengthAt = 84;
    uint32_t n;
    std::memcpy(&n, &bytes[lengthAt], 4);
    listAt = 104 + n;
    return bytes;
}

// Loads the block; true when it loaded, false on the archive error. No lent list survives.
bool Load(const Bytes& bytes, ViewSettings& view)
{
    ClimateParms climate;
    CArchive ar(bytes.data(), bytes.size());
    bool loaded = true;
    try {
        view.Serialize(ar, climate);
    } catch (const CArchiveException&) {
        loaded = false;
    }
    EXPECT_EQ(view.light.temperatureList, nullptr);
    EXPECT_EQ(view.light.rainfallList, nullptr);
    EXPECT_EQ(view.light.climateList, nullptr);
    return loaded;
}

void Put32(Bytes& bytes, size_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }

} // namespace

TEST(MalformedViewBlock, EveryTruncationIsTheArchiveError)
{
    size_t lengthAt, listAt;
    const Bytes good = SeedBlock(lengthAt, listAt);
    for (size_t cut = 4; cut < good.size(); ++cut) {
        ViewSettings view;
        ASSERT_FALSE(Load(Bytes(good.begin(), good.begin() + static_cast<long>(cut)), view)) << cut;
    }
    ViewSettings view;
    EXPECT_TRUE(Load(good, view));
    EXPECT_EQ(view.savedViews.Count(), 2);
}

TEST(MalformedViewBlock, HugeLengthsCountsAndOtherVersions)
{
    size_t lengthAt, listAt;
    const Bytes good = SeedBlock(lengthAt, listAt);
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
    } cases[] = {
        {"text length beyond the bytes", lengthAt, 0xFFFFFFF0u},
        {"text length one past the end", lengthAt, static_cast<uint32_t>(good.size())},
        {"list of another version", listAt, 255},
        {"negative count", listAt + 4, 0x80000000u},
        {"count beyond the bytes", listAt + 4, 0x7FFFFFFFu},
        // Three entries of 59 bytes at least cannot fit in what two of them left.
        {"count one too many", listAt + 4, 3},
        {"entry of another version", listAt + 8, 257},
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        Put32(bad, c.at, c.value);
        ViewSettings view;
        EXPECT_FALSE(Load(bad, view)) << c.what;
    }
}

TEST(MalformedViewBlock, RandomLightTextStillLoadsTheRest)
{
    size_t lengthAt, listAt;
    const Bytes good = SeedBlock(lengthAt, listAt);
    uint32_t n;
    std::memcpy(&n, &good[lengthAt], 4);
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        Bytes bad = good;
        for (size_t i = 88; i < 88 + n; ++i)
            if (random() % 4 == 0)
                bad[i] = static_cast<uint8_t>(random());
        ViewSettings view;
        ASSERT_TRUE(Load(bad, view)) << round;
        ASSERT_EQ(view.savedViews.Count(), 2);
        EXPECT_EQ(view.savedViews.At(1)->name, "South");
    }
}
