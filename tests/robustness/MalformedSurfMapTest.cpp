// Damaged world records, parameter texts and command-line values through the world's
// readers. The seeds come from the world's own writers. Each damaged record is refused with
// the archive error and changes nothing, or loads a world whose grids all have its size
// and whose record reads back as written; each damaged text reads, and what it wrote
// reads back to the same text. The sanitizer build checks every case for reads outside
// what was given and for undefined behaviour.
#include "ArchiveBytes.h"
#include "SurfMapSamples.h"
#include "platform/Archive.h"
#include "world/SurfMapParms.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace kv;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int kRandomCases = 400;

// The defaults on 8 x 4 grids, and a world with every stored value changed.
std::vector<SurfMap> SeedWorlds()
{
    std::vector<SurfMap> worlds(2);
    worlds[0].SetResolution(8, false);
    MakeUnusualWorld(worlds[1], 8);
    return worlds;
}

std::string ToText(const Bytes& b)
{
    return std::string(b.begin(), b.end());
}

// Damaged copies of the seeds: every truncation; a boundary value over the 4 bytes at
// every offset; each special text inserted at every offset (cycling through the lists
// by offset); and seeded random edits (bit flips, deleted and repeated runs).
std::vector<Bytes> Damaged(const std::vector<Bytes>& seeds, const std::vector<uint32_t>& words,
                           const std::vector<std::string>& texts)
{
    std::vector<Bytes> out;
    std::mt19937 rng(20261210);
    for (const Bytes& seed : seeds) {
        for (size_t n = 0; n < seed.size(); ++n)
            out.emplace_back(seed.begin(), seed.begin() + static_cast<long>(n));
        for (size_t at = 0; at + 4 <= seed.size(); ++at) {
            Bytes b = seed;
            const uint32_t w = words[at % words.size()];
            for (int k = 0; k < 4; ++k)
                b[at + k] = static_cast<uint8_t>(w >> (8 * k));
            out.push_back(std::move(b));
        }
        for (size_t at = 0; at <= seed.size(); ++at) {
            Bytes b = seed;
            const std::string& t = texts[at % texts.size()];
            b.insert(b.begin() + static_cast<long>(at), t.begin(), t.end());
            out.push_back(std::move(b));
        }
        for (int i = 0; i < kRandomCases; ++i) {
            Bytes b = seed;
            for (int edits = 1 + static_cast<int>(rng() % 4); edits > 0 && !b.empty(); --edits) {
                const size_t at = rng() % b.size();
                const size_t run = std::min<size_t>(1 + rng() % 24, b.size() - at);
                switch (rng() % 3) {
                case 0: b[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
                case 1: b.erase(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + run)); break;
                default: {
                    const Bytes copy(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + run));
                    b.insert(b.begin() + static_cast<long>(rng() % (b.size() + 1)), copy.begin(), copy.end());
                }
                }
            }
            out.push_back(std::move(b));
        }
    }
    return out;
}

// Every channel grid that exists, the selection and the grid size agree; channels 0 to 5
// exist, and 6 whenever it is enabled; sampling anywhere stays inside the grids.
void ExpectConsistent(const SurfMap& world)
{
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        const Grid2D* g = world.Channel(ch);
        if (ch < kChannelPrescale || world.prescaleEnabled) {
            ASSERT_NE(g, nullptr) << ch;
        }
        if (g != nullptr) {
            EXPECT_EQ(static_cast<int>(g->Width()), world.gridWidth) << ch;
            EXPECT_EQ(static_cast<int>(g->Height()), world.gridHeight) << ch;
        }
    }
    EXPECT_EQ(world.selection.GetWidth(), world.gridWidth);
    EXPECT_EQ(world.selection.GetHeight(), world.gridHeight);
    EXPECT_TRUE(SurfMap::UsableLacunarity(world.sourceParms.lacunarity));
    for (int k = 0; k < 9; ++k) {
        const double lat = -90 + 22.5 * k, lon = -180 + 45 * k;
        float scale, offset, prescale;
        world.SampleScaleOffset(lat, lon, scale, offset);
        world.SamplePrescale(lat, lon, prescale);
        world.SampleWaterLevel(lat, lon);
        world.GetClimateOverride(lat, lon);
        world.SampleChannelCubic(kChannelRainfall, lat, lon);
    }
}

// A text reads into the first world (to its end or to the end of the text) and what
// that world then writes reads into the second world and writes back the same.
void ExpectTextReadsBack(const std::vector<SurfMap>& bases, const std::string& text)
{
    SCOPED_TRACE(text);
    SurfMap world = bases[0];
    const int result = ReadParmsText(world, text);
    EXPECT_TRUE(result == 0 || result == -1) << result;
    EXPECT_TRUE(SurfMap::UsableLacunarity(world.sourceParms.lacunarity));
    const std::string written = ParmsTextOf(world);
    SurfMap again = bases[1];
    EXPECT_EQ(ReadParmsText(again, written), 0);
    EXPECT_EQ(ParmsTextOf(again), written);
}

} // namespace

TEST(MalformedSurfMap, DamagedRecordsAreRefusedUnchangedOrLoadConsistently)
{
    const std::vector<SurfMap> bases = SeedWorlds();
    std::vector<Bytes> seeds;
    for (SurfMap world : bases)
        seeds.push_back(StoreBytes(world));
    const std::vector<uint32_t> words = {0, 1, 3, 255, 256, 271, 8190, 8191, 0xFFFF, 0x10000, 0x7FFFFFFF,
                                         0x80000000u, 0xFFFFFFFFu, 0x7FC00000 /* NaN */};
    const std::vector<Bytes> cases = Damaged(seeds, words, {"\xFF\xFF\xFF", "\x00\x00\x00\x00", "\x01"});

    int refused = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        SurfMap world = bases[i % 2];
        const Bytes before = StoreBytes(world);
        try {
            LoadBytes(world, cases[i]);
        } catch (const CArchiveException&) {
            ++refused;
            EXPECT_EQ(StoreBytes(world), before);
            EXPECT_EQ(world.selection.GetWidth(), world.gridWidth);
            continue;
        }
        ExpectConsistent(world);
        // What a damaged record loaded writes a record that reads back to the same bytes.
        const Bytes written = StoreBytes(world);
        SurfMap again = bases[0];
        LoadBytes(again, written);
        EXPECT_EQ(StoreBytes(again), written);
        if (::testing::Test::HasFailure())
            break;
    }
    EXPECT_GT(refused, 0);
    EXPECT_LT(refused, static_cast<int>(cases.size()));
}

TEST(MalformedSurfMap, EveryTruncatedRecordIsRefused)
{
    // A version-271 record reads every item, so no prefix is a record.
    SurfMap unusual = SeedWorlds()[1];
    const Bytes seed = StoreBytes(unusual);
    for (size_t n = 0; n < seed.size(); ++n) {
        SurfMap world;
        ASSERT_THROW(LoadBytes(world, Bytes(seed.begin(), seed.begin() + static_cast<long>(n))), CArchiveException)
            << n;
    }
}

TEST(MalformedSurfMap, DamagedTextsReadAndWriteBackWhatTheyRead)
{
    const std::vector<SurfMap> bases = SeedWorlds();
    std::vector<Bytes> seeds;
    for (const SurfMap& world : bases) {
        const std::string text = ParmsTextOf(world);
        seeds.emplace_back(text.begin(), text.end());
    }
    const std::vector<std::string> texts = {"e400", "*1e308*10", "\"", "//", "(((", ",", "-", "az", "Bias(",
                                            "\n", "FracParmsEnd", "Misc", "0", "\r\n", "1e308", "-2147483648"};
    const std::vector<uint32_t> words = {0x2C2C2C2C /* ",,,," */, 0x30303030 /* "0000" */, 0x0A0A0A0A,
                                         0x39396539 /* "9e99" */, 0x2D2D2D2D};
    const std::vector<Bytes> cases = Damaged(seeds, words, texts);
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        ExpectTextReadsBack(bases, ToText(cases[i]));
        if (::testing::Test::HasFailure())
            break;
    }
}

TEST(MalformedSurfMap, FoundByFuzzing)
{
    // A lacunarity of 0.0000015 was taken, written as 0.00000 and refused on the way back.
    ExpectTextReadsBack(SeedWorlds(), "Procedural 1.09.0000015,.");
}

TEST(MalformedSurfMap, CommandLineValuesNeverLeaveUnusableParameters)
{
    const std::vector<SurfMap> bases = SeedWorlds(); // world 1 has planar mapping
    const std::string alphabet = "0123456789.,-+eE naifx\t";
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        std::string text = i % 3 == 0 ? "temp=" : i % 3 == 1 ? "rain=" : "";
        for (size_t n = rng() % 400; n > 0; --n)
            text += alphabet[rng() % alphabet.size()];
        SCOPED_TRACE(text);
        SurfMap world = bases[1];
        ASSERT_EQ(ParseTempRainParam(world, text), 0);
        EXPECT_EQ(world.sphericalMapping, 1);
        EXPECT_TRUE(SurfMap::UsableLacunarity(world.sourceParms.lacunarity));
        // Every value read is a number the text form writes and reads back.
        const std::string written = ParmsTextOf(world);
        SurfMap again = bases[0];
        EXPECT_EQ(ReadParmsText(again, written), 0);
        EXPECT_EQ(ParmsTextOf(again), written);
        if (::testing::Test::HasFailure())
            break;
    }
}
