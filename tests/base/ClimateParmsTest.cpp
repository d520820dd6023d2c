#include "ArchiveBytes.h"
#include "platform/Archive.h"
#include "base/color/ClimateParms.h"
#include "base/Random.h"
#include "base/noise/BuiltinNoise.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

using kv::ClimateParms;
using kv::CColorList;
using kv::ColorOf;

namespace {

std::vector<uint8_t> Store(ClimateParms& p)
{
    return StoreBytes(p);
}

void Load(ClimateParms& p, const std::vector<uint8_t>& bytes)
{
    LoadBytes(p, bytes);
}

template <typename T> void Put(std::vector<uint8_t>& out, T v)
{
    const auto* b = reinterpret_cast<const uint8_t*>(&v);
    out.insert(out.end(), b, b + sizeof v);
}

struct Climate {
    double rain = 0, temperature = 0;
    int cls = -1;
};

Climate Evaluate(ClimateParms& p, double lat, double lon, double alt, double water = 0, int override = -1,
                 double rainOffset = 0, double tempOffset = 0)
{
    Climate c;
    EXPECT_EQ(p.EvaluateClimate(lat, lon, alt, c.rain, c.temperature, c.cls, rainOffset, tempOffset, water, override,
                                -10, -10, -10),
              0);
    return c;
}

// Parameters whose temperature is exactly the fixed base (no latitude term, no noise).
ClimateParms FlatAt(double kelvin)
{
    ClimateParms p;
    p.useFixedTemperature = 1;
    p.fixedMeanTemperature = kelvin - 273.15;
    p.latitudeRange = 0;
    p.temperatureNoise = 0;
    p.rainfallNoise = 0;
    return p;
}

} // namespace

TEST(Climate, NamesAndClassTable)
{
    EXPECT_STREQ(ClimateParms::GetClimateName(0), "Tundra or Alpine");
    EXPECT_STREQ(ClimateParms::GetClimateName(9), "Savannah");
    EXPECT_STREQ(ClimateParms::GetClimateName(16), "Oceanic Trench");
    EXPECT_STREQ(ClimateParms::GetClimateName(17), "");
    EXPECT_STREQ(ClimateParms::GetClimateName(-1), "");

    struct Case {
        double rain, kelvin;
        int expected;
    };
    const Case cases[] = {
        {0, 300, 3},          // row 19, column int(34.35 x 0.42667) = 14
        {300, 260, 0},        // row 19 - 24 clamps to 0; column negative takes 0
        {100, 293.15, 8},     // row 11, column int(11.73) = 11
        {100, 295.5, 8},      // row 11, column int(12.74) = 12
        {90, 295.5, 9},       // row 19 - int(7.2) = 12, column 12
        {12.5, 273.15, 2},    // row 18, column 3
        {60, 285, 5},         // row 19 - int(4.8) = 15, column int(8.256) = 8
        {1000, 400, 6},       // row 0, column 15
        {-20, 300, 3},        // int(-1.6) = -1: row 20 clamps to 19
        {-5, 300, 3},         // int(-0.4) = 0: row 19
        {1e300, -1e300, 0},   // far outside both ways
        {std::nan(""), std::nan(""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClimateParms::LookupClimateClass(c.rain, c.kelvin), c.expected) << c.rain << " " << c.kelvin;

    ClimateParms p;
    int codes[4];
    double tf = 0, rf = 0;
    p.GetClassCorners(100, 293.15, codes, tf, rf);
    EXPECT_EQ(codes[0], 8);
    EXPECT_EQ(codes[1], 8);
    EXPECT_EQ(codes[2], 8);
    EXPECT_EQ(codes[3], 9);
    EXPECT_NEAR(tf, 27.5 * 0.4266666666666667 - 11, 1e-12);
    EXPECT_NEAR(rf, 0.0, 1e-12);
    p.GetClassCorners(0, 400, codes, tf, rf); // bottom right corner: every index clamps
    for (int c : codes)
        EXPECT_EQ(c, 3);
    EXPECT_NEAR(tf, (400 - 273.15 + 7.5) * 0.4266666666666667 - 15, 1e-9);
}

TEST(Climate, DefaultsAndColours)
{
    ClimateParms p;
    EXPECT_EQ(p.TemperatureList().GetSize(), 38);
    EXPECT_EQ(p.TemperatureList().GetInterpolation(), 0);
    EXPECT_EQ(p.RainfallList().GetSize(), 15);
    EXPECT_EQ(p.RainfallList().GetInterpolation(), 0);
    EXPECT_EQ(p.ClimateList().GetSize(), 17);
    EXPECT_EQ(p.ClimateList().GetInterpolation(), 2);
    EXPECT_EQ(p.GetListCount(), 2);

    EXPECT_EQ(p.ClimateColor(20), ColorOf(64, 64, 255));
    EXPECT_EQ(p.ClimateColor(-3), ColorOf(192, 192, 192));
    EXPECT_EQ(p.ClimateColor(11), ColorOf(0, 0, 255));
    EXPECT_EQ(p.TemperatureColor(233.15), ColorOf(46, 61, 78));
    // 0 C: t = 40 x 0.00952381, nearest stop int(37 t + 0.5) = 14
    EXPECT_EQ(p.TemperatureColor(273.15), ColorOf(147, 136, 207));
    EXPECT_EQ(p.TemperatureColor(500), ColorOf(154, 205, 240));
    EXPECT_EQ(p.RainfallColor(125), ColorOf(215, 215, 0)); // stop 7 of 15
    EXPECT_EQ(p.RainfallColor(300), ColorOf(255, 32, 223));
    double lo = -1, hi = -1;
    p.GetClassRange(lo, hi);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 16.0);

    EXPECT_EQ(p.solarFactor, 1.0);
    EXPECT_EQ(p.heatFactor, 1.1);
    EXPECT_EQ(p.axialTilt, 0.41015237421866746);
    EXPECT_EQ(p.fixedMeanTemperature, 15.277778182500697);
    EXPECT_EQ(p.GetModelDouble(7), 130.0);
    EXPECT_EQ(p.GetModelDouble(8), 0.0);
}

TEST(Climate, EvaluateFollowsTheModel)
{
    kv::SRand(4321);
    kv::RebuildNoiseTables();
    ClimateParms p;
    const double r = p.axialTilt;
    const double t0 = std::pow(1.0, 0.25) * 0.7 * 1.1 * 374.0;

    struct Case {
        double lat, lon, alt;
    };
    for (const Case& c : {Case{0, 0, 1000}, Case{45, 30, 250}, Case{-60, -120, 2500}, Case{80, 170, 10}}) {
        const double phi = c.lat * std::numbers::pi / 180, lambda = c.lon * std::numbers::pi / 180;
        const double u = std::max(std::cos(r - phi), 0.0) + std::max(-std::cos(r + phi), 0.0);
        const double d = std::max(std::cos(-r - phi), 0.0);
        const double cc = std::max(-std::cos(phi - r), 0.0);
        const double f = (cc + d + 2 * std::cos(phi) + u) * 0.25 * 50 + (t0 - 40) - c.alt * 0.006491;
        const double x = std::cos(phi) * std::cos(lambda) - 10, y = std::cos(phi) * std::sin(lambda) - 10,
                     z = std::sin(phi) - 10;
        const double n1 = kv::FractalBrownianSum(x + 2, y + 5, z - 3, 2, 2, 8, -1);
        const double n2 = kv::FractalBrownianSum(x + 4.2, y - 6.1, z + 1, 2, 2, 8, -1);
        const double t = std::max(n1 * 16 + f, 0.0);
        const double rain = std::max((std::fabs(n2) * 80 + 130) * (t - 273.15 + 30) * 0.016666668 + c.alt * 0.001, 0.0);

        Climate got = Evaluate(p, c.lat, c.lon, c.alt, 0, -1, 7.0, -3.0);
        EXPECT_NEAR(got.temperature, std::max(t - 3.0, 0.0), 1e-9) << c.lat;
        EXPECT_NEAR(got.rain, rain + 7.0, 1e-9) << c.lat;
        const int expected = got.temperature < 249.81667 ? 10 : ClimateParms::LookupClimateClass(rain + 7.0, t - 3.0);
        EXPECT_EQ(got.cls, expected) << c.lat;
        EXPECT_NEAR(p.baseTemperature, 287.98, 1e-9);
    }

    // Without noise, at the equator, below the water level: no lapse rate.
    p.temperatureNoise = 0;
    p.rainfallNoise = 0;
    Climate sea = Evaluate(p, 0, 0, -10, 0);
    EXPECT_NEAR(sea.temperature, (2 + 2 * std::cos(r)) * 12.5 + t0 - 40, 1e-9);
}

TEST(Climate, EvaluateFollowsChangesOfTiltAndSunAtOnePoint)
{
    // The same point evaluated again after the tilt or the solar factor changed follows
    // the new values: nothing of the previous evaluation is carried over.
    ClimateParms p;
    p.temperatureNoise = 0;
    p.rainfallNoise = 0;
    for (double tilt : {p.axialTilt, 0.1, 0.4})
        for (double sun : {1.0, 2.0, 0.5}) {
            p.axialTilt = tilt;
            p.solarFactor = sun;
            const double t0 = std::pow(sun, 0.25) * 0.7 * 1.1 * 374.0;
            // At the equator the insolation terms are cos r, cos r, 0 and 2.
            const Climate sea = Evaluate(p, 0, 0, -10, 0);
            EXPECT_NEAR(sea.temperature, (2 + 2 * std::cos(tilt)) * 12.5 + t0 - 40, 1e-9) << tilt << " " << sun;
            EXPECT_NEAR(p.baseTemperature, t0, 1e-9) << sun;
        }
}

TEST(Climate, ClassesOfSeaAndLand)
{
    struct Case {
        const char* what;
        double kelvin, alt, water;
        int override, expected;
    };
    const Case cases[] = {
        {"deep sea", 280, -500, 0, -1, 11},
        {"shelf sea", 280, -100, 0, -1, 12},
        {"frozen sea", 240, -500, 0, -1, 10},
        {"sea under a raised water level", 280, 50, 100, -1, 12},
        {"sea ignores the override", 280, -500, 0, 4, 11},
        {"land override", 300, 0.5, 0, 5, 5},
        {"land override above 16", 300, 0.5, 0, 40, 16},
        {"override before ice", 200, 0.5, 0, 3, 3},
        {"frozen land", 240, 0.5, 0, -1, 10},
    };
    for (const Case& c : cases) {
        ClimateParms p = FlatAt(c.kelvin);
        Climate got = Evaluate(p, 10, 20, c.alt, c.water, c.override);
        EXPECT_EQ(got.cls, c.expected) << c.what;
    }
    // Land without override: the table at (rainfall, temperature).
    ClimateParms p = FlatAt(300 + 0.5 * 0.006491);
    Climate got = Evaluate(p, 10, 20, 0.5, 0, -1, -100.0);
    EXPECT_NEAR(got.temperature, 300, 1e-9);
    const double rain = 130 * (300 - 273.15 + 30) * 0.016666668 + 0.0005;
    EXPECT_NEAR(got.rain, rain - 100, 1e-9);
    EXPECT_EQ(got.cls, ClimateParms::LookupClimateClass(rain - 100, 300));
    // Temperature and rainfall never go below 0.
    p = FlatAt(10);
    got = Evaluate(p, 0, 0, -1000, 0, -1, 0, -50);
    EXPECT_EQ(got.temperature, 0.0);
    EXPECT_EQ(got.rain, 0.0);
}

TEST(Climate, CopyAndEquals)
{
    ClimateParms a;
    a.albedo = 0.5;
    a.useFixedTemperature = 1;
    CColorList red;
    red.Add(ColorOf(255, 0, 0));
    a.SetRainfallList(red);

    ClimateParms b;
    EXPECT_FALSE(b.Equals(a));
    b.CopySettings(a);
    EXPECT_TRUE(b.Equals(a));
    EXPECT_EQ(b.RainfallList().GetSize(), 15); // lists are not settings
    b = a;
    EXPECT_EQ(b.RainfallList().GetSize(), 1);
    b.fixedMeanTemperature += 1e-12;
    EXPECT_FALSE(b.Equals(a));
    b = a;
    b.SetRainfallList(CColorList());
    EXPECT_TRUE(b.Equals(a)); // lists are not compared

    CColorList out;
    a.GetRainfallList(out);
    EXPECT_EQ(out.GetColorAt(0), ColorOf(255, 0, 0));
    ClimateParms::DefaultClimateColors(out);
    EXPECT_EQ(out.GetSize(), 17);
}

TEST(ClimateArchive, RoundTripAndLayout)
{
    ClimateParms a;
    for (int i = 0; i < 8; ++i)
        a.SetModelDouble(i, 1.5 + i);
    CColorList list;
    list.Add(ColorOf(1, 2, 3));
    list.Add(ColorOf(4, 5, 6));
    a.SetTemperatureList(list);
    const std::vector<uint8_t> bytes = Store(a);

    std::vector<uint8_t> head;
    Put<int32_t>(head, 257);
    for (int i = 0; i < 8; ++i)
        Put<double>(head, 1.5 + i);
    Put<int32_t>(head, 257); // the climate list follows
    ASSERT_GT(bytes.size(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));

    ClimateParms b;
    Load(b, bytes);
    EXPECT_TRUE(b.Equals(a));
    EXPECT_TRUE(b.TemperatureList().Equals(a.TemperatureList()));
    EXPECT_TRUE(b.ClimateList().Equals(a.ClimateList()));
    EXPECT_TRUE(b.RainfallList().Equals(a.RainfallList()));
}

TEST(ClimateArchive, OldVersionsAndShortClimateLists)
{
    ClimateParms base;
    std::vector<uint8_t> tail;
    {
        std::vector<uint8_t> lists;
        kv::CArchive ar(lists, kv::CArchive::store);
        CColorList t = base.TemperatureList(), r = base.RainfallList();
        t.Serialize(ar);
        r.Serialize(ar);
        tail = lists;
    }
    auto head = [](int32_t version) {
        std::vector<uint8_t> b;
        Put<int32_t>(b, version);
        for (int i = 0; i < 8; ++i)
            Put<double>(b, 2.0);
        return b;
    };

    // Version 256: bare climate colours over the defaults.
    std::vector<uint8_t> v256 = head(256);
    Put<int32_t>(v256, 2);
    Put<int32_t>(v256, 0x010203);
    Put<int32_t>(v256, 0x21040506); // a top byte, dropped as every stop's is (fuzz finding)
    v256.insert(v256.end(), tail.begin(), tail.end());
    ClimateParms p;
    Load(p, v256);
    EXPECT_EQ(p.albedo, 2.0);
    EXPECT_EQ(p.ClimateList().GetSize(), 17);
    EXPECT_EQ(p.ClimateColor(0), 0x010203u);
    EXPECT_EQ(p.ClimateColor(1), 0x040506u);
    EXPECT_EQ(p.ClimateColor(2), ColorOf(128, 128, 0));

    // Version 257 with a three-stop climate list: padded with its last colour.
    std::vector<uint8_t> v257 = head(257);
    {
        CColorList shortList;
        shortList.Add(1);
        shortList.Add(2);
        shortList.Add(3);
        kv::CArchive ar(v257, kv::CArchive::store);
        shortList.Serialize(ar);
    }
    v257.insert(v257.end(), tail.begin(), tail.end());
    Load(p, v257);
    EXPECT_EQ(p.ClimateList().GetSize(), 17);
    EXPECT_EQ(p.ClimateColor(2), 3u);
    EXPECT_EQ(p.ClimateColor(16), 3u);

    // Below 256 only the version is read.
    ClimateParms q;
    q.albedo = 0.9;
    const std::vector<uint8_t> v255 = {0xFF, 0, 0, 0};
    kv::CArchive ar(v255.data(), v255.size());
    q.Serialize(ar);
    EXPECT_EQ(q.albedo, 0.9);
    EXPECT_EQ(ar.Remaining(), 0u);
}

TEST(ClimateArchive, DamagedRecordsRaiseAndChangeNothing)
{
    ClimateParms a;
    a.albedo = 0.25;
    const std::vector<uint8_t> good = Store(a);
    for (size_t n = 0; n < good.size(); n += 7) {
        ClimateParms p;
        EXPECT_THROW(Load(p, std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n))),
                     kv::CArchiveException);
        EXPECT_TRUE(p.Equals(ClimateParms()));
        EXPECT_EQ(p.ClimateList().GetSize(), 17);
    }

    std::vector<uint8_t> bad;
    Put<int32_t>(bad, 256);
    for (int i = 0; i < 8; ++i)
        Put<double>(bad, 1.0);
    Put<int32_t>(bad, -4);
    ClimateParms p;
    EXPECT_THROW(Load(p, bad), kv::CArchiveException);
    EXPECT_EQ(p.albedo, 0.3);
}
