#include "SurfMapSamples.h"
#include "world/SurfMapParms.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <fstream>
#include <functional>

using namespace kv;

namespace {

const char* const kDefaultText = "FracParms\n"
                                 "Type 0, 1\n"
                                 "Seed 12345\n"
                                 "Procedural 1.00000, 2.00000, 13.00000, 1.00000, 2.00000, 0.00000, 1.00000, "
                                 "1.00000, 1.00000, 1.00000, 1.00000\n"
                                 "Axis 0.00000, 0.00000, 1, 0\n"
                                 "Position -10.00000, -10.00000, -10.00000\n"
                                 "Range 2.00000, 2.00000, 2.00000\n"
                                 "World 70.00000, -304.80000, 9144.00011, -9144.00011, 1.20000, 40233.60050, 1\n"
                                 "Misc 1.75000, 0.60000, 0, 0, 1\n"
                                 "Climate 1.00000, 1.10000, 0.30000, 0.41015, 50.00000, 16.00000, 80.00000, "
                                 "130.00000\n"
                                 "FracParmsEnd\n";

} // namespace

TEST(SurfMapParms, TextOfTheDefaultWorld)
{
    SurfMap world;
    EXPECT_EQ(ParmsTextOf(world), kDefaultText);
}

TEST(SurfMapParms, TextRoundTripCarriesEveryField)
{
    SurfMap world;
    MakeUnusualWorld(world, 8);
    const std::string text = ParmsTextOf(world);

    SurfMap read;
    EXPECT_EQ(ReadParmsText(read, text), 0);
    EXPECT_EQ(ParmsTextOf(read), text);
    EXPECT_EQ(read.sphericalMapping, 0);
    EXPECT_EQ(read.sourceParms.extras[7], 8.5);
    EXPECT_EQ(read.climate.axialTilt, 4.5);
    EXPECT_EQ(read.randomOrigin, 0);

    // Through a file written in place of an old one.
    const std::string path = ParmsScratchPath("world.srf");
    std::ofstream(path) << "old";
    ASSERT_EQ(world.WriteParmsFile(path), 0);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
    const std::string missing = ParmsScratchPath("missing/x.srf");
    EXPECT_EQ(world.WriteParmsFile(missing), -1);
    EXPECT_EQ(read.ReadParmsFile(missing), -2);
}

TEST(SurfMapParms, ReadingTakesLinesInAnyOrderAndKeepsWhatIsMissing)
{
    SurfMap world;
    world.exponentAbove = 3;
    world.mirrorLatitude = 1;
    world.sphericalMapping = 0;
    world.axisRotate = 0;
    world.sourceParms.extras[5] = 42;
    const std::string text = "Unknown 1 2 3\n"
                             "World 60, -100, 8000, -8000, 1.5, 2*20000, 0\n"
                             "Axis 10, 20\n"
                             "Seed 99\n"
                             "Type 1\n"
                             "Procedural 0.5, 3, 8, 4, 5\n"
                             "FracParms\n"
                             "FracParmsEnd\n"
                             "Seed 5\n";
    EXPECT_EQ(ReadParmsText(world, text), 0);
    EXPECT_EQ(world.sourceParms.seed, 99); // nothing after the end is read
    EXPECT_EQ(world.circumference, 40000.0);
    EXPECT_EQ(world.shapingOn, 0);
    EXPECT_EQ(world.basisId, 1);
    EXPECT_EQ(world.sourceParms.lacunarity, 3.0);
    EXPECT_EQ(world.sourceParms.extras[1], 5.0);
    EXPECT_EQ(world.axisLatitude, 20.0);
    // Optional tails and a missing "Misc" line leave their fields.
    EXPECT_EQ(world.sphericalMapping, 0);
    EXPECT_EQ(world.axisRotate, 0);
    EXPECT_EQ(world.sourceParms.extras[5], 42.0);
    EXPECT_EQ(world.exponentAbove, 3.0);
    EXPECT_EQ(world.mirrorLatitude, 1);
}

TEST(SurfMapParms, BadValuesAndAnEarlyEnd)
{
    struct Case {
        const char* text;
        int result;
        std::function<void(const SurfMap&)> check;
    };
    const Case cases[] = {
        // A lacunarity that is not above 0 keeps the old one; the others are read.
        {"Procedural 0.5, 0, 8, 1, 2\nFracParmsEnd", 0,
         [](const SurfMap& w) {
             EXPECT_EQ(w.sourceParms.lacunarity, 2.0);
             EXPECT_EQ(w.sourceParms.octaves, 8.0);
         }},
        {"Procedural 0.5, -2, 8, 1, 2\nFracParmsEnd", 0,
         [](const SurfMap& w) { EXPECT_EQ(w.sourceParms.lacunarity, 2.0); }},
        {"Procedural 0.5, 0.000004, 8, 1, 2\nFracParmsEnd", 0, // written back it would be 0.00000
         [](const SurfMap& w) { EXPECT_EQ(w.sourceParms.lacunarity, 2.0); }},
        {"Procedural 0.5, 0.00001, 8, 1, 2\nFracParmsEnd", 0,
         [](const SurfMap& w) { EXPECT_EQ(w.sourceParms.lacunarity, 0.00001); }},
        // Values that do not parse or overflow keep their fields.
        {"Position 1, (, 3\nRange 1e400, 5, 6\nFracParmsEnd", 0,
         [](const SurfMap& w) {
             EXPECT_EQ(w.originX, 1.0);
             EXPECT_EQ(w.originY, -10.0);
             EXPECT_EQ(w.scaleX, 2.0);
             EXPECT_EQ(w.scaleZ, 6.0);
         }},
        // The text ends before "FracParmsEnd": -1, what was read is kept.
        {"FracParms\nSeed 31\nMisc 2, 0.5, 1, 1, 0\n", -1,
         [](const SurfMap& w) {
             EXPECT_EQ(w.sourceParms.seed, 31);
             EXPECT_EQ(w.mirrorLongitude, 1);
         }},
        {"World 50, -10, 7000", -1,
         [](const SurfMap& w) {
             EXPECT_EQ(w.waterPercent, 50.0);
             EXPECT_EQ(w.maxAltitude, 7000.0);
             EXPECT_EQ(w.minAltitude, -9144.000113010406);
         }},
        {"", -1, [](const SurfMap& w) { EXPECT_EQ(ParmsTextOf(w), kDefaultText); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SurfMap world;
        EXPECT_EQ(ReadParmsText(world, c.text), c.result);
        c.check(world);
    }
}

// ---- command-line values ----

namespace {

// The fields of a "parms=" list in their order, as doubles.
std::vector<std::function<double(const SurfMap&)>> ParmsFields()
{
    std::vector<std::function<double(const SurfMap&)>> f = {
        [](const SurfMap& w) { return w.sourceParms.seed; },
        [](const SurfMap& w) { return w.circumference; },
        [](const SurfMap& w) { return w.waterPercent; },
        [](const SurfMap& w) { return w.maxAltitude; },
        [](const SurfMap& w) { return w.minAltitude; },
        [](const SurfMap& w) { return w.landSize; },
        [](const SurfMap& w) { return w.randomOrigin; },
        [](const SurfMap& w) { return w.originX; },
        [](const SurfMap& w) { return w.originY; },
        [](const SurfMap& w) { return w.originZ; },
        [](const SurfMap& w) { return w.scaleX; },
        [](const SurfMap& w) { return w.scaleY; },
        [](const SurfMap& w) { return w.scaleZ; },
        [](const SurfMap& w) { return w.shapingOn; },
        [](const SurfMap& w) { return w.shelfAltitude; },
        [](const SurfMap& w) { return w.basisId; },
        [](const SurfMap& w) { return w.sourceParms.H; },
        [](const SurfMap& w) { return w.sourceParms.lacunarity; },
        [](const SurfMap& w) { return w.sourceParms.octaves; },
    };
    for (int i = 0; i < 8; ++i)
        f.push_back([i](const SurfMap& w) { return w.sourceParms.extras[i]; });
    f.push_back([](const SurfMap& w) { return w.axisLongitude; });
    f.push_back([](const SurfMap& w) { return w.axisLatitude; });
    f.push_back([](const SurfMap& w) { return w.exponentAbove; });
    f.push_back([](const SurfMap& w) { return w.exponentBelow; });
    f.push_back([](const SurfMap& w) { return w.mirrorLatitude; });
    f.push_back([](const SurfMap& w) { return w.mirrorLongitude; });
    for (int i = 0; i < 8; ++i)
        f.push_back([i](const SurfMap& w) { return w.climate.GetModelDouble(i); });
    return f;
}

} // namespace

TEST(SurfMapParms, ParmsListsCutShortAtEveryItem)
{
    const auto fields = ParmsFields();
    ASSERT_EQ(fields.size(), 41u);
    const SurfMap defaults;
    for (size_t n = 0; n <= fields.size(); ++n) {
        SCOPED_TRACE(n);
        std::string text;
        for (size_t k = 0; k < n; ++k)
            text += (k ? "," : "") + std::to_string(100 + k) + (k % 2 ? ".5" : "");
        SurfMap world;
        world.sphericalMapping = 0;
        ASSERT_EQ(ParseTempRainParam(world, text), 0);
        EXPECT_EQ(world.sphericalMapping, 1);
        for (size_t k = 0; k < fields.size(); ++k) {
            const bool integer = k == 0 || k == 6 || k == 13 || k == 15 || k == 31 || k == 32;
            const double given = 100 + k + (k % 2 && !integer ? 0.5 : 0.0);
            EXPECT_EQ(fields[k](world), k < n ? given : fields[k](defaults)) << "item " << k;
        }
    }
}

TEST(SurfMapParms, ParmsItemsConvertLikeTheCLibraryButSaturate)
{
    struct Case {
        const char* text;
        int seed;
        double circumference;
        double waterPercent;
    };
    const Case cases[] = {
        {"77", 77, 40233.60049724579, 70.0},               // one integer: only the seed
        {"12.9,abc,5e1", 12, 0.0, 50.0},                   // atoi stops at '.', no number gives 0
        {"99999999999,1e400,-1e400", INT_MAX, DBL_MAX, -DBL_MAX},
        {"-99999999999, nan", INT_MIN, 0.0, 70.0},
        {"5,,7", 5, 40233.60049724579, 70.0},              // an empty item ends the list
        {"5, ,7", 5, 40233.60049724579, 70.0},
        {"5,6,", 5, 6.0, 70.0},
        {"", 12345, 40233.60049724579, 70.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SurfMap world;
        ParseTempRainParam(world, c.text);
        EXPECT_EQ(world.sourceParms.seed, c.seed);
        EXPECT_EQ(world.circumference, c.circumference);
        EXPECT_EQ(world.waterPercent, c.waterPercent);
    }

    // A lacunarity of 0 or less (or one that rounds to 0 in the text form) keeps the old one.
    SurfMap world;
    const std::string head = "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,0,0.5,";
    ParseTempRainParam(world, head + "0,9");
    EXPECT_EQ(world.sourceParms.lacunarity, 2.0);
    EXPECT_EQ(world.sourceParms.octaves, 9.0);
    ParseTempRainParam(world, head + "-1.5");
    EXPECT_EQ(world.sourceParms.lacunarity, 2.0);
    ParseTempRainParam(world, head + "1e-6");
    EXPECT_EQ(world.sourceParms.lacunarity, 2.0);
    ParseTempRainParam(world, head + "2.75");
    EXPECT_EQ(world.sourceParms.lacunarity, 2.75);
}

TEST(SurfMapParms, TemperatureAndRainfallValues)
{
    SurfMap world;
    world.sphericalMapping = 0;
    ParseTempRainParam(world, "temp=21.5,40,12");
    EXPECT_EQ(world.climate.fixedMeanTemperature, 21.5);
    EXPECT_EQ(world.climate.useFixedTemperature, 1);
    EXPECT_EQ(world.climate.latitudeRange, 40.0);
    EXPECT_EQ(world.climate.temperatureNoise, 12.0);
    EXPECT_EQ(world.sphericalMapping, 1);
    // The fixed temperature is what the climate model now starts from.
    double rainfall, kelvin;
    int cls;
    world.climate.EvaluateClimate(0, 0, 0, rainfall, kelvin, cls, 0, 0, 0, -1, 0, 0, 0);
    EXPECT_DOUBLE_EQ(world.climate.baseTemperature, 21.5 + 273.15);

    ParseTempRainParam(world, "temp=-5");
    EXPECT_EQ(world.climate.fixedMeanTemperature, -5.0);
    EXPECT_EQ(world.climate.latitudeRange, 40.0);

    ParseTempRainParam(world, "rain=60,110");
    EXPECT_EQ(world.climate.rainfallNoise, 60.0);
    EXPECT_EQ(world.climate.rainfallBase, 110.0);
    EXPECT_EQ(world.sourceParms.seed, 12345);
    ParseTempRainParam(world, "rain=,5");
    EXPECT_EQ(world.climate.rainfallNoise, 60.0);
}

// Every int of the block at the ends of the int range reads back as written (the fuzzer
// found a "parms=" list leaving randomOrigin at INT_MIN that read back one higher).
TEST(SurfMapParms, IntegersAtTheEndsOfTheRangeReadBackAsWritten)
{
    for (int v : {INT_MIN, INT_MIN + 1, -1, INT_MAX - 1, INT_MAX}) {
        SCOPED_TRACE(v);
        SurfMap world;
        world.basisId = world.sphericalMapping = world.sourceParms.seed = v;
        world.axisRotate = world.axisShiftsGrids = world.shapingOn = v;
        world.mirrorLatitude = world.mirrorLongitude = world.randomOrigin = v;
        const std::string text = ParmsTextOf(world);
        SurfMap read;
        ASSERT_EQ(ReadParmsText(read, text), 0);
        EXPECT_EQ(read.randomOrigin, v);
        EXPECT_EQ(read.sourceParms.seed, v);
        EXPECT_EQ(ParmsTextOf(read), text);
    }
    // The list of the finding, then its block read back.
    SurfMap world;
    ParseTempRainParam(world, "1,2,3,4,5,6,-2147483648");
    EXPECT_EQ(world.randomOrigin, INT_MIN);
    SurfMap read;
    ASSERT_EQ(ReadParmsText(read, ParmsTextOf(world)), 0);
    EXPECT_EQ(read.randomOrigin, INT_MIN);
    // Past the ends the block saturates, as the list does.
    ASSERT_EQ(ReadParmsText(read, "FracParms\nSeed -3e9\nMisc 1, 1, 0, 0, 3e9\nFracParmsEnd\n"), 0);
    EXPECT_EQ(read.sourceParms.seed, INT_MIN);
    EXPECT_EQ(read.randomOrigin, INT_MAX);
}

// How a command-line value was read: the numbers it gave and a note for each part that
// gave none. A value with no number at all is one the batch run refuses.
TEST(SurfMapParms, ReadingNotesWhatTheListDidNotGive)
{
    struct Case {
        const char* text;
        int numbers;
        std::vector<std::string> unread;
    };
    const Case cases[] = {
        {"abc", 0, {"item 1 \"abc\" is not a number: read as 0"}},
        {"temp=abc", 0, {"item 1 \"abc\" is not a number: read as 0"}},
        {"temp=", 0, {}},
        {"rain=x,y", 0, {"item 1 \"x\" is not a number: read as 0", "item 2 \"y\" is not a number: read as 0"}},
        {"77", 1, {}},
        {"12.9,abc,5e1", 2, {"item 1 \"12.9\": read as 12, \".9\" ignored", "item 2 \"abc\" is not a number: read as 0"}},
        {"5,6x", 2, {"item 2 \"6x\": read as 6, \"x\" ignored"}},
        {"5,,7", 1, {"the values after item 1 ignored (an empty item ends the list)"}},
        {"5,6,", 2, {}},
        {"temp=20,30,40,50", 3, {"the values after item 3 ignored (the list sets 3)"}},
        {"rain= 60 , 110 ", 2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SurfMap world;
        ParmsReading reading;
        EXPECT_EQ(ParseTempRainParam(world, c.text, &reading), 0);
        EXPECT_EQ(reading.numbers, c.numbers);
        EXPECT_EQ(reading.unread, c.unread);
    }
    // A list longer than the values it sets.
    std::string longList = "1";
    for (int i = 2; i <= 45; ++i)
        longList += "," + std::to_string(i);
    SurfMap world;
    ParmsReading reading;
    ParseTempRainParam(world, longList, &reading);
    EXPECT_EQ(reading.numbers, 41);
    EXPECT_EQ(reading.unread, std::vector<std::string>{"the values after item 41 ignored (the list sets 41)"});
}
