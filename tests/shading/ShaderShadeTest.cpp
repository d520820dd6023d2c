// Worked colours of the shaders from the lighting steps and each shader's formula.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <thread>
#include <vector>

#include "ShaderTestWorld.h"
#include "shading/ShaderMath.h"
#include "shading/Shaders.h"
#include "base/noise/CSourceDatabase.h"
#include "base/raster/VideoBuffer.h"

namespace kv {
namespace {

using shading::Rgb;

template <class Shader>
struct Fixture {
    Fixture() { shader.Init(&world, &light); }
    TestWorld world;
    LightParms light;
    Shader shader;
};

constexpr uint32_t kAltColor = 0xC08040;  // red 64, green 128, blue 192

struct LightCase {
    const char* what;
    float landNormal[3];
    float seaNormal[3];
    float altitude, waterLevel;
    double seaOpacity;
    float ambient, gamma;
    uint32_t expected;
};

// Light (0, 0, 1) throughout: d is the z of the unit normal.
const LightCase kLightCases[] = {
    {"facing the light", {0, 0, 1}, {0, 0, 1}, 10, 0, 0, 0.25f, 2.0f / 3.0f, kAltColor},
    {"facing away gives the ambient", {0, 0, -1}, {0, 0, 1}, 10, 0, 0, 0.25f, 2.0f / 3.0f, Rgb(16, 32, 48)},
    {"tilted, unnormalised: d^2 + ambient", {3, 0, 3}, {0, 0, 1}, 10, 0, 0, 0.1f, 2.0f, Rgb(38, 76, 115)},
    {"full ambient ignores the normal", {0, 0, -1}, {0, 0, -1}, 10, 0, 0, 1.0f, 2.0f, kAltColor},
    {"254/255 ambient is full", {0, 0, -1}, {0, 0, -1}, 10, 0, 0, 254.0f / 255.0f, 2.0f, kAltColor},
    {"just below full ambient", {0, 0, -1}, {0, 0, -1}, 10, 0, 0, 0.99f, 2.0f, Rgb(63, 126, 190)},
    {"under an opaque sea: sea normal", {0, 0, -1}, {0, 0, 1}, -10, 0, 0.5, 0.25f, 1.0f, kAltColor},
    {"under a clear sea: land normal", {0, 0, -1}, {0, 0, 1}, -10, 0, 0.49, 0.25f, 1.0f, Rgb(16, 32, 48)},
    {"at the water level: land normal", {0, 0, -1}, {0, 0, 1}, 0, 0, 1.0, 0.25f, 1.0f, Rgb(16, 32, 48)},
    {"zero normal faces no light", {0, 0, 0}, {0, 0, 1}, 10, 0, 0, 0.25f, 1.0f, Rgb(16, 32, 48)},
};

TEST(ShaderShadeTest, AltitudeShaderFollowsTheLightingSteps) {
    Fixture<Shader_altitude> f;
    for (const LightCase& c : kLightCases) {
        SCOPED_TRACE(c.what);
        ShadeSample s = UnlitSample();
        s.altitudeColor = kAltColor;
        SetVec(s.landNormal, c.landNormal[0], c.landNormal[1], c.landNormal[2]);
        SetVec(s.seaNormal, c.seaNormal[0], c.seaNormal[1], c.seaNormal[2]);
        s.altitude = c.altitude;
        s.waterLevel = c.waterLevel;
        s.ambient = c.ambient;
        s.gamma = c.gamma;
        f.light.seaOpacity = c.seaOpacity;
        EXPECT_EQ(f.shader.Shade(&s), c.expected);
    }
}

TEST(ShaderShadeTest, ClimateShadersMixTheAltitudeColourThenLight) {
    Fixture<Shader_climate> climate;
    Fixture<Shader_TexClimate> textured;
    Fixture<Shader_temperature> temperature;
    Fixture<Shader_rainfall> rainfall;

    ShadeSample s = UnlitSample();
    s.altitudeColor = Rgb(100, 100, 100);
    s.climateCode = 3;          // desert: 255, 255, 0
    s.temperature = 273.15f;    // stop 14: 147, 136, 207
    s.rainfall = 100.0f;        // stop 6: 25, 75, 14
    // Each channel: trunc(C (1 - 16/255) + 100 x 16/255).
    EXPECT_EQ(climate.shader.Shade(&s), Rgb(245, 245, 6));
    EXPECT_EQ(textured.shader.Shade(&s), Rgb(245, 245, 6));
    EXPECT_EQ(temperature.shader.Shade(&s), Rgb(144, 133, 200));
    EXPECT_EQ(rainfall.shader.Shade(&s), Rgb(29, 76, 19));

    // Lit from behind: the mixed colour times the ambient 0.25.
    SetVec(s.landNormal, 0, 0, -1);
    EXPECT_EQ(climate.shader.Shade(&s), Rgb(61, 61, 1));
    EXPECT_EQ(temperature.shader.Shade(&s), Rgb(36, 33, 50));
    EXPECT_EQ(rainfall.shader.Shade(&s), Rgb(7, 19, 4));

    // A class code far outside 0..16 (or not a number) is clamped, never converted as is.
    s.climateCode = 1e30f;
    SetVec(s.landNormal, 0, 0, 1);
    s.altitudeColorWeight = 0;
    EXPECT_EQ(climate.shader.Shade(&s), 0xFF4040u);
    s.climateCode = std::nanf("");
    EXPECT_EQ(climate.shader.Shade(&s), 0xC0C0C0u);
}

TEST(ShaderShadeTest, RawShaderReturnsTheImportedSurfaceColourUnlit) {
    Fixture<Shader_raw> f;
    ShadeSample s = UnlitSample();
    s.latitude = 12.5f;
    s.longitude = -40.25f;
    SetVec(s.landNormal, 0, 0, -1);
    EXPECT_EQ(f.shader.Shade(&s), 0x80000000u);
    f.world.rawColor = 0x123456;
    EXPECT_EQ(f.shader.Shade(&s), 0x123456u);
    EXPECT_EQ(f.world.lastLatitude, 12.5);
    EXPECT_EQ(f.world.lastLongitude, -40.25);
}

TEST(ShaderShadeTest, NormalMapWritesTheUnitNormal) {
    Fixture<Shader_NormalMap> f;
    ShadeSample s = UnlitSample();
    EXPECT_EQ(f.shader.Shade(&s), Rgb(128, 128, 0));  // unlit: (0, 0, 1)
    // Flat ground as the sampler computes it points down the z axis: blue 128 + 128 clamps.
    SetVec(s.landNormal, 0, 0, -5000);
    EXPECT_EQ(f.shader.Shade(&s), Rgb(128, 128, 255));
    SetVec(s.landNormal, 2, 0, 2);
    EXPECT_EQ(f.shader.Shade(&s), Rgb(218, 128, 37));
    SetVec(s.landNormal, 0, -1, 0);
    EXPECT_EQ(f.shader.Shade(&s), Rgb(128, 0, 128));
    // Under an opaque sea the flat sea-surface normal is written.
    s.altitude = -100;
    s.waterLevel = 0;
    f.light.seaOpacity = 0.5;
    SetVec(s.seaNormal, 0, 0, -1);
    EXPECT_EQ(f.shader.Shade(&s), Rgb(128, 128, 255));
}

TEST(ShaderShadeTest, BumpMapIsSinglePrecisionGrey) {
    Fixture<Shader_BumpMap> f;
    ShadeSample s = UnlitSample();
    s.maxAltitude = static_cast<float>(9144.000113010406);  // the default maximum altitude
    struct Case {
        float altitude, waterLevel;
        double seaOpacity;
        int grey;
    } cases[] = {
        {s.maxAltitude, 0, 0, 255},   // double precision would give 254
        {20000, 0, 0, 255},           // clamped
        {0, 0, 0, 0},
        {-100, 0, 0, 0},
        {-100, 4572, 0.5, 127},       // an opaque sea raises the grey to its surface
        {-100, 4572, 0.4, 0},
        {4572, 4572, 0.5, 127},
    };
    for (const Case& c : cases) {
        s.altitude = c.altitude;
        s.waterLevel = c.waterLevel;
        f.light.seaOpacity = c.seaOpacity;
        EXPECT_EQ(f.shader.Shade(&s), Rgb(c.grey, c.grey, c.grey)) << c.altitude << " " << c.waterLevel;
    }
}

class GaiaTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const auto empty = std::filesystem::temp_directory_path() / "kv_gaia_no_plugins";
        std::filesystem::create_directories(empty);
        GetSourceDatabase().LoadSources(empty.string());
    }
    void SetUp() override {
        world.originX = 5.0;
        gaia.Init(&world, &light);
        light.seaLowest = -1000;
        light.landLow = 0;
        light.landHigh = 9144;
    }
    double Noise(double lat, double lon) const { return gaia.NoiseSurface().Evaluate(lat, lon) * 0.1; }

    TestWorld world;
    LightParms light;
    Shader_Gaia gaia;
};

TEST_F(GaiaTest, NoiseFieldSitsAtTheWorldOriginAndBindsBrownianNoise) {
    const UnitNoiseSurface& noise = gaia.NoiseSurface();
    EXPECT_EQ(noise.BasisId(), 1);
    EXPECT_DOUBLE_EQ(noise.Origin()[0], 1.2);
    EXPECT_DOUBLE_EQ(noise.Origin()[1], 2.35);
    EXPECT_DOUBLE_EQ(noise.Origin()[2], 7.1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(noise.Scale()[i], 7.0);
    }
    ASSERT_TRUE(noise.IsBound());

    const CSourceDatabase::SourceEntry* entry = nullptr;
    ASSERT_GE(GetSourceDatabase().FindById(1, &entry), 0);
    TexParms parms = noise.Parms();
    EXPECT_EQ(parms.size, 128);
    EXPECT_EQ(parms.H, 1.0);
    EXPECT_EQ(parms.octaves, 13.0);
    const double lat = 30 * std::numbers::pi / 180, lon = 45 * std::numbers::pi / 180;
    parms.point[0] = 1.2 + std::cos(lat) * std::cos(lon) * 7;
    parms.point[1] = 2.35 + std::cos(lat) * std::sin(lon) * 7;
    parms.point[2] = 7.1 + std::sin(lat) * 7;
    const double expected = entry->Evaluate(parms);
    EXPECT_NE(expected, 0.0);
    EXPECT_NEAR(noise.Evaluate(30, 45), expected, 1e-6);
    // The surface's own block is untouched by evaluation.
    EXPECT_EQ(noise.Parms().point[0], 0.0);
}

TEST_F(GaiaTest, ColourListsAreRebuiltFromTheirFractions) {
    const uint32_t land[] = {Rgb(191, 165, 51), Rgb(127, 99, 51), Rgb(127, 99, 51),  Rgb(51, 76, 0),
                             Rgb(21, 51, 10),   Rgb(16, 56, 10),  Rgb(127, 107, 71), Rgb(153, 153, 160),
                             Rgb(255, 255, 255)};
    ASSERT_EQ(gaia.LandColors().GetSize(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(gaia.LandColors().GetColorAt(i), land[i]) << i;
    }
    ASSERT_EQ(gaia.SeaColors().GetSize(), 3);
    EXPECT_EQ(gaia.SeaColors().GetColorAt(0), Rgb(25, 51, 127));
    EXPECT_EQ(gaia.SeaColors().GetColorAt(2), Rgb(25, 78, 127));
    EXPECT_EQ(gaia.LandColors().GetInterpolation(), 2);
    // A second Init rebuilds rather than appends.
    gaia.Init(&world, &light);
    EXPECT_EQ(gaia.LandColors().GetSize(), 9);
}

TEST_F(GaiaTest, PolesAreIceLitThroughTheSeaSurface) {
    ShadeSample s = UnlitSample();
    s.latitude = 90;
    s.altitude = 3000;
    ASSERT_GT((Noise(90, 0) + 1.0) * 1.2, 0.85);
    SetVec(s.landNormal, 0, 0, -1);
    EXPECT_EQ(gaia.Shade(&s), 0xFFFFFFu);
    SetVec(s.landNormal, 0, 0, 1);
    SetVec(s.seaNormal, 0, 0, -1);
    EXPECT_EQ(gaia.Shade(&s), Rgb(63, 63, 63));
}

TEST_F(GaiaTest, SeaAndLandRulesAtTheEquator) {
    for (float lon : {-120.0f, 0.0f, 75.0f}) {
        SCOPED_TRACE(lon);
        const double n = Noise(0, lon);
        ASSERT_LT(n * 1.2, 0.85);  // no ice at the equator
        ShadeSample s = UnlitSample();
        s.longitude = lon;

        // Half way down to the sea lowest: the sea list at n + 1 - 0.5.
        s.altitude = -500;
        uint32_t c = gaia.Shade(&s);
        EXPECT_EQ(shading::Red(c), 25);
        EXPECT_EQ(shading::Blue(c), 127);
        EXPECT_EQ(c, gaia.SeaColors().Interpolate(std::clamp(n + 1.0 - 0.5, 0.0, 1.0)));

        // Half way up the land range: the land list at 0.5 + 0.8 x 1.2 n.
        s.altitude = 4572;
        const double p = (n + 1.0 - 1.0) * 1.2;
        EXPECT_EQ(gaia.Shade(&s), gaia.LandColors().Interpolate(std::clamp(0.5 + 0.8 * p, 0.0, 1.0)));
    }
}

TEST_F(GaiaTest, NormalChoiceIsTheOppositeOpacityTest) {
    ShadeSample s = UnlitSample();
    s.altitude = -500;
    SetVec(s.landNormal, 0, 0, -1);
    SetVec(s.seaNormal, 0, 0, 1);
    const uint32_t full = gaia.Shade(&s);  // clear sea: sea-surface normal
    EXPECT_EQ(shading::Red(full), 25);
    light.seaOpacity = 0.5;                // opaque sea: the land normal, facing away
    EXPECT_EQ(gaia.Shade(&s), shading::LitColor(full, 0.25f));
}

TEST_F(GaiaTest, EqualBoundsGiveTheNearerEnd) {
    ShadeSample s = UnlitSample();
    const double n = Noise(0, 0);
    const double p = (n + 1.0 - 1.0) * 1.2;
    light.seaLowest = 0;  // the water level: no depth range
    s.altitude = -10;
    EXPECT_EQ(gaia.Shade(&s), gaia.SeaColors().Interpolate(std::clamp(n + 1.0 - 1.0, 0.0, 1.0)));
    s.altitude = 0;
    EXPECT_EQ(gaia.Shade(&s), gaia.SeaColors().Interpolate(std::clamp(n + 1.0 - 0.0, 0.0, 1.0)));
    light.landLow = light.landHigh = 100;
    s.altitude = 200;
    EXPECT_EQ(gaia.Shade(&s), gaia.LandColors().Interpolate(std::clamp(1.0 + 0.8 * p, 0.0, 1.0)));
    s.altitude = 100;
    EXPECT_EQ(gaia.Shade(&s), gaia.LandColors().Interpolate(std::clamp(0.0 + 0.8 * p, 0.0, 1.0)));
}

class ImgClimateTest : public ::testing::Test {
protected:
    static uint32_t Pixel(int x, int y, int blue) { return Rgb(10 * x + 5, 20 * y + 5, blue); }
    static std::string WriteImage(const char* name, int blue) {
        VideoBuffer image;
        EXPECT_EQ(image.Create(8, 4), 0);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                image.SetPixel(x, y, Pixel(x, y, blue));
            }
        }
        const auto path = std::filesystem::temp_directory_path() / name;
        EXPECT_EQ(image.SaveBMP(path.string()), 0);
        return path.string();
    }
    void SetUp() override { shader.Init(&world, &light); }

    TestWorld world;
    LightParms light;
    Shader_ImgClimate shader;
};

TEST_F(ImgClimateTest, LandSamplesThePictureByTemperatureAndRainfall) {
    const std::string path = WriteImage("kv_img_climate_a.bmp", 200);
    ASSERT_EQ(shader.SetImage(7, path), 0);
    EXPECT_TRUE(shader.IsImageLoaded());
    int enabled = 0;
    std::string stored;
    shader.GetImage(enabled, stored);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(stored, path);

    ShadeSample s = UnlitSample();
    s.altitudeColorWeight = 0;
    s.altitude = 100;
    s.temperature = 250.0f;  // below 0 F: the first column
    s.rainfall = 0;
    EXPECT_EQ(shader.Shade(&s), Pixel(0, 0, 200));
    s.temperature = 400.0f;  // past 100 F: column width - 2
    EXPECT_EQ(shader.Shade(&s), Pixel(6, 0, 200));
    s.rainfall = 1000.0f;    // past 300 cm/yr: row height - 2
    EXPECT_EQ(shader.Shade(&s), Pixel(6, 2, 200));
    // 150 cm/yr is half way down: row 1.5 blends rows 1 and 2 of the column.
    s.rainfall = 150.0f;
    EXPECT_NEAR(shading::Green(shader.Shade(&s)), (25 + 45) / 2, 1);

    // Water takes the altitude colour; lit from behind, the ambient.
    s.altitude = -5;
    s.altitudeColor = 0x336699;
    EXPECT_EQ(shader.Shade(&s), 0x336699u);
    s.altitude = 100;
    s.rainfall = 0;
    SetVec(s.landNormal, 0, 0, -1);
    EXPECT_EQ(shader.Shade(&s), shading::LitColor(Pixel(6, 0, 200), 0.25f));
}

TEST_F(ImgClimateTest, DisabledMissingOrUnreadableImagesShadeLandBlack) {
    ShadeSample s = UnlitSample();
    s.altitudeColorWeight = 0;
    s.altitude = 100;
    EXPECT_EQ(shader.Shade(&s), 0u);
    EXPECT_EQ(shader.SetImage(0, WriteImage("kv_img_climate_b.bmp", 10)), 0);
    EXPECT_FALSE(shader.IsImageLoaded());
    EXPECT_LT(shader.SetImage(1, "/nonexistent/picture.bmp"), 0);
    EXPECT_FALSE(shader.IsImageLoaded());
    EXPECT_EQ(shader.Shade(&s), 0u);
}

TEST_F(ImgClimateTest, ReplacingTheImageWhileShadingIsSafe) {
    const std::string a = WriteImage("kv_img_climate_c.bmp", 40);
    const std::string b = WriteImage("kv_img_climate_d.bmp", 80);
    ASSERT_EQ(shader.SetImage(1, a), 0);
    std::atomic<bool> stop{false};
    std::atomic<int> unexpected{0};
    std::atomic<long> shaded{0};
    auto worker = [&] {
        ShadeSample s = UnlitSample();
        s.altitudeColorWeight = 0;
        s.altitude = 100;
        s.temperature = 250.0f;
        while (!stop.load()) {
            const uint32_t c = shader.Shade(&s);
            if (c != 0 && c != Pixel(0, 0, 40) && c != Pixel(0, 0, 80)) {
                ++unexpected;
            }
            ++shaded;
        }
    };
    // Waits (boundedly) until the workers have shaded n more points, so that every swap
    // lands among reads in flight.
    auto awaitShading = [&](long n) {
        const long target = shaded.load() + n;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (shaded.load() < target && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
    };
    std::thread t1(worker), t2(worker);
    awaitShading(100);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(shader.SetImage(1, i % 2 ? a : b), 0);
        awaitShading(20);
    }
    stop = true;
    t1.join();
    t2.join();
    EXPECT_EQ(unexpected.load(), 0);
    EXPECT_GT(shaded.load(), 900);
}

// A group of points shades as each point alone (the lighting steps taken over the group),
// for every shader, over groups that end inside, at and past a chunk of points.
std::vector<ShadeSample> VariedSamples(int count) {
    std::vector<ShadeSample> samples;
    uint32_t state = 12345;
    auto next = [&](float low, float high) {
        state = state * 1664525u + 1013904223u;
        return low + (high - low) * static_cast<float>(state >> 8) / static_cast<float>(1u << 24);
    };
    const float ambients[] = {0.25f, 0.0f, 0.99f, 1.0f};
    const float gammas[] = {2.0f / 3.0f, 1.0f, 2.0f};
    for (int i = 0; i < count; ++i) {
        ShadeSample s = UnlitSample();
        s.latitude = next(-90, 90);
        s.longitude = next(-180, 180);
        s.altitude = next(-3000, 3000);
        s.waterLevel = i % 7 == 0 ? s.altitude : next(-500, 500);
        s.temperature = next(200, 350);
        s.rainfall = next(0, 400);
        s.climateCode = static_cast<float>(i % 17);
        s.altitudeColor = static_cast<uint32_t>(next(0, 16777215));
        s.ambient = ambients[i % 4];
        s.gamma = gammas[i % 3];
        SetVec(s.landNormal, next(-1, 1), next(-1, 1), next(-1, 1));
        SetVec(s.seaNormal, next(-1, 1), next(-1, 1), next(0, 1));
        if (i % 11 == 0) {
            SetVec(s.landNormal, 0, 0, 0);
        }
        if (i % 13 == 6) {
            SetVec(s.landNormal, std::nanf(""), 0.5f, 0.5f);
        }
        // The light differs from point to point, so a group that mixes up its points shows.
        const float lights[][3] = {{0.5f, -0.5f, 0.70710677f}, {0.0f, 0.6f, 0.8f}, {-0.8f, 0.0f, 0.6f}};
        SetVec(s.lightVector, lights[i % 3][0], lights[i % 3][1], lights[i % 3][2]);
        s.flags = kShaderFlagsClimate;
        samples.push_back(s);
    }
    return samples;
}

template <class Shader>
void ExpectGroupsShadeAsPoints(Shader& shader, LightParms& light, const char* what) {
    const std::vector<ShadeSample> samples = VariedSamples(100);
    for (double opacity : {0.3, 0.7}) {
        light.seaOpacity = opacity;
        for (int count : {1, 31, 32, 33, 100}) {
            std::vector<uint32_t> group(static_cast<size_t>(count), 0xDEADBEEFu);
            shader.ShadeMany(samples.data(), count, group.data());
            for (int i = 0; i < count; ++i) {
                ASSERT_EQ(group[static_cast<size_t>(i)], shader.Shade(&samples[static_cast<size_t>(i)]))
                    << what << ", opacity " << opacity << ", group of " << count << ", point " << i;
            }
        }
    }
}

TEST(ShaderShadeTest, GroupsShadeAsEachPointAlone) {
    Fixture<Shader_raw> raw;
    Fixture<Shader_altitude> altitude;
    Fixture<Shader_climate> climate;
    Fixture<Shader_temperature> temperature;
    Fixture<Shader_rainfall> rainfall;
    Fixture<Shader_Gaia> gaia;
    Fixture<Shader_ImgClimate> image;
    Fixture<Shader_NormalMap> normalMap;
    Fixture<Shader_BumpMap> bumpMap;
    Fixture<Shader_TexClimate> textured;
    ExpectGroupsShadeAsPoints(raw.shader, raw.light, "raw");
    ExpectGroupsShadeAsPoints(altitude.shader, altitude.light, "altitude");
    ExpectGroupsShadeAsPoints(climate.shader, climate.light, "climate");
    ExpectGroupsShadeAsPoints(temperature.shader, temperature.light, "temperature");
    ExpectGroupsShadeAsPoints(rainfall.shader, rainfall.light, "rainfall");
    ExpectGroupsShadeAsPoints(gaia.shader, gaia.light, "Gaia");
    ExpectGroupsShadeAsPoints(image.shader, image.light, "image climate without a picture");
    ExpectGroupsShadeAsPoints(normalMap.shader, normalMap.light, "normal map");
    ExpectGroupsShadeAsPoints(bumpMap.shader, bumpMap.light, "bump map");
    ExpectGroupsShadeAsPoints(textured.shader, textured.light, "textured climate");

    // With a picture: land from the picture, water from the altitude colour.
    VideoBuffer picture;
    ASSERT_EQ(picture.Create(8, 4), 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            picture.SetPixel(x, y, Rgb(30 * x, 60 * y, 90));
        }
    }
    const std::string path = (std::filesystem::temp_directory_path() / "kv_group_climate.bmp").string();
    ASSERT_EQ(picture.SaveBMP(path), 0);
    ASSERT_EQ(image.shader.SetImage(1, path), 0);
    ExpectGroupsShadeAsPoints(image.shader, image.light, "image climate");
    std::filesystem::remove(path);
}

} // namespace
} // namespace kv
