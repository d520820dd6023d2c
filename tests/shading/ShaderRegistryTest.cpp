// The shader registry: defaults for missing shaders, creation, one-time Init, descriptors,
// the legend answers of every shader, and the sheet hook.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ShaderTestWorld.h"
#include "shading/ShaderRegistry.h"
#include "shading/Shaders.h"
#include "base/DisplayUnits.h"

namespace kv {
namespace {

class ShaderRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ShaderRegistry::Destroy(); }
    void TearDown() override {
        ShaderRegistry::Destroy();
        SetColoringSheetFactory(nullptr);
        MetricUnits = 1;
    }
    TestWorld world;
    LightParms light;
};

TEST_F(ShaderRegistryTest, MissingShadersAnswerTheDefaults) {
    ShaderRegistry& registry = GetShaderRegistry();
    for (int id = 0; id < kShaderSlots; ++id) {
        EXPECT_EQ(registry.GetShader(id), nullptr) << "before Init, id " << id;
    }
    registry.Init(&world, &light);
    const ShadeSample sample;
    for (int id : {5, 6, 7, 13, 255, 256, 300, -1}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(registry.GetShader(id), nullptr);
        EXPECT_EQ(registry.Shade(id, &sample), 0x00FF00u);
        EXPECT_EQ(registry.ValueToColor(id, 12.0f), 0xFF0000u);
        float low = -5, high = -5;
        registry.GetRange(id, &low, &high);
        EXPECT_EQ(low, 0.0f);
        EXPECT_EQ(high, 1.0f);
        std::string units;
        registry.GetUnits(id, units);
        EXPECT_EQ(units, "Invalid Shader");
        EXPECT_EQ(registry.ToDisplayUnits(id, 123.5f), 123.5f);
        EXPECT_EQ(registry.GetFlags(id), -1);
    }
}

TEST_F(ShaderRegistryTest, InitCreatesTheTenShadersOnceWithTheFirstPointers) {
    ShaderRegistry& registry = GetShaderRegistry();
    registry.Init(&world, &light);
    const int present[] = {0, 1, 2, 3, 4, 8, 9, 10, 11, 12};
    int count = 0;
    for (int id = 0; id < kShaderSlots; ++id) {
        if (registry.GetShader(id) != nullptr) {
            ++count;
        }
    }
    EXPECT_EQ(count, 10);
    for (int id : present) {
        ASSERT_NE(registry.GetShader(id), nullptr) << id;
        EXPECT_EQ(registry.GetShader(id)->Descriptor().id, id);
        EXPECT_EQ(registry.GetShader(id)->World(), &world);
        EXPECT_EQ(registry.GetShader(id)->Light(), &light);
    }
    TexShader* before = registry.GetShader(1);
    TestWorld otherWorld;
    LightParms otherLight;
    registry.Init(&otherWorld, &otherLight);
    EXPECT_EQ(registry.GetShader(1), before);
    EXPECT_EQ(registry.GetShader(1)->World(), &world);
    EXPECT_EQ(registry.GetShader(8)->Light(), &light);

    // Destroy frees everything; the next use is a new, empty registry.
    ShaderRegistry::Destroy();
    EXPECT_FALSE(GetShaderRegistry().IsInitialised());
    EXPECT_EQ(GetShaderRegistry().GetShader(1), nullptr);
}

TEST_F(ShaderRegistryTest, DescriptorIsCopiedOnlyForTheExactSize) {
    ShaderRegistry& registry = GetShaderRegistry();
    registry.Init(&world, &light);
    const TexShader* gaia = registry.GetShader(kShaderGaia);
    unsigned char buffer[600];
    for (int size : {587, 589, 0}) {
        std::memset(buffer, 0xAB, sizeof buffer);
        EXPECT_FALSE(gaia->GetDescriptor(buffer, size)) << size;
        for (unsigned char b : buffer) {
            ASSERT_EQ(b, 0xAB);
        }
    }
    ASSERT_TRUE(gaia->GetDescriptor(buffer, 588));
    int32_t id = 0;
    std::memcpy(&id, buffer, 4);
    EXPECT_EQ(id, 8);
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer + 8), "&Gaia");
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer + 72), "Show Gaia Shading\nShow Gaia");
    EXPECT_EQ(buffer[328], 0);
    EXPECT_EQ(buffer[599], 0xAB);  // nothing written past the record
}

struct LegendCase {
    int id;
    int flags;
    const char* caption;
    const char* prompt;
    const char* metricUnits;
    const char* imperialUnits;
    float value;           // a value in the shader's own measure
    float metricDisplay;   // ToDisplayUnits(value) with metric units
    float imperialDisplay; // and with imperial units
    float low, high;       // GetRange on the test world
};

// The test world's altitude range is -9144 .. 9144.
const LegendCase kLegendCases[] = {
    {0, 0x7FFF, "&Raw Data", "Show Raw Data\nRaw Data", "m", "ft", 100.0f, 100.0f, 328.084f, -9144.0f, 9144.0f},
    {1, 0x7F8F, "&Altitude", "Show Altitude information\nShow Altitude", "m", "ft", 100.0f, 100.0f, 328.084f,
     -9144.0f, 9144.0f},
    {2, 0x7FFF, "&Climate", "Show Climate information\nShow Climate", "", "", 5.0f, 5.0f, 5.0f, 0.0f, 16.0f},
    {3, 0x7FFF, "&Temperature", "Show Temperature information\nShow Temperature", "C", "F", 283.15f, 10.0f, 50.0f,
     233.15f, 338.15f},
    {4, 0x7FFF, "&Rainfall", "Show Rainfall information\nShow Rainfall", "cm/yr", "in/yr", 100.0f, 100.0f,
     39.370078f, 0.0f, 250.0f},
    {8, 0x7F8F, "&Gaia", "Show Gaia Shading\nShow Gaia", "m", "ft", -10.0f, -10.0f, -32.8084f, -9144.0f, 9144.0f},
    {9, 0x7FFF, "&Image Climate", "Show Image Climate Shading\nShow Image Climate", "", "", 3.0f, 3.0f, 3.0f, 0.0f,
     16.0f},
    {10, 0x7F8F, "&Normal Map", "Show Normal Map\nShow Normal Map", "m", "ft", 1.0f, 1.0f, 3.28084f, -9144.0f,
     9144.0f},
    {11, 0x7F8F, "&Bump Map", "Show Bump Map\nShow Bump Map", "m", "ft", 1.0f, 1.0f, 3.28084f, -9144.0f, 9144.0f},
    {12, 0x7FFF, "&Textured Climate", "Show Climate information as textures\nShow Textured Climate", "", "", 7.0f,
     7.0f, 7.0f, 0.0f, 16.0f},
};

TEST_F(ShaderRegistryTest, EveryShaderAnswersItsLegendInBothUnitSystems) {
    ShaderRegistry& registry = GetShaderRegistry();
    registry.Init(&world, &light);
    for (const LegendCase& c : kLegendCases) {
        SCOPED_TRACE(c.caption);
        const TexShader* shader = registry.GetShader(c.id);
        ASSERT_NE(shader, nullptr);
        EXPECT_EQ(registry.GetFlags(c.id), c.flags);
        EXPECT_STREQ(shader->Descriptor().caption, c.caption);
        EXPECT_STREQ(shader->Descriptor().prompt, c.prompt);
        EXPECT_STREQ(shader->Descriptor().unused, "");
        float low = 0, high = 0;
        registry.GetRange(c.id, &low, &high);
        EXPECT_FLOAT_EQ(low, c.low);
        EXPECT_FLOAT_EQ(high, c.high);
        std::string units;
        MetricUnits = 1;
        registry.GetUnits(c.id, units);
        EXPECT_EQ(units, c.metricUnits);
        EXPECT_NEAR(registry.ToDisplayUnits(c.id, c.value), c.metricDisplay, 1e-3);
        MetricUnits = 0;
        registry.GetUnits(c.id, units);
        EXPECT_EQ(units, c.imperialUnits);
        EXPECT_NEAR(registry.ToDisplayUnits(c.id, c.value), c.imperialDisplay, 1e-3);
    }
}

TEST_F(ShaderRegistryTest, ValueColorsComeFromTheLightingAndTheClimateLists) {
    ShaderRegistry& registry = GetShaderRegistry();
    registry.Init(&world, &light);
    // At the sea level (0) the altitude colour is the sea list's last stop.
    for (int id : {1, 8, 10, 11}) {
        EXPECT_EQ(registry.ValueToColor(id, 0.0f), 0xFFF7E2u) << id;
    }
    EXPECT_EQ(registry.ValueToColor(0, 500.0f), 0u);
    // Class 3 (desert) is yellow; codes past 16 take class 16; codes below 0 take class 0.
    for (int id : {2, 9, 12}) {
        EXPECT_EQ(registry.ValueToColor(id, 3.0f), 0x00FFFFu) << id;
        EXPECT_EQ(registry.ValueToColor(id, 20.0f), 0xFF4040u) << id;
        EXPECT_EQ(registry.ValueToColor(id, -2.0f), 0xC0C0C0u) << id;
    }
    // Temperature: 0 C is at (40/105) of the 38 stops (nearest stop 14: 147, 136, 207).
    EXPECT_EQ(registry.ValueToColor(3, 273.15f), 0xCF8893u);
    // Rainfall: 100 cm/yr is at 0.4 of the 15 stops (stop 6: 25, 75, 14).
    EXPECT_EQ(registry.ValueToColor(4, 100.0f), 0x0E4B19u);
}

class RecordingSheet : public ColoringSheet {
public:
    explicit RecordingSheet(std::string& log) : m_log(log) {}
    void Show(int showCommand) override {
        m_visible = showCommand != 0;
        m_log += "show" + std::to_string(showCommand) + ";";
    }
    bool IsVisible() const override { return m_visible; }
    void LoadActiveViewLighting() override { m_log += "load;"; }
    void SetLighting(const LightParms& light) override { m_log += "set" + std::to_string(light.ambient) + ";"; }
    void RefreshPages() override { m_log += "refresh;"; }
    void DestroyWindow() override { m_log += "destroy;"; }

private:
    std::string& m_log;
    bool m_visible = false;
};

TEST_F(ShaderRegistryTest, ColoringSheetIsMadeOnFirstShowAndDestroyedWithTheRegistry) {
    std::string log;
    ShaderRegistry& registry = GetShaderRegistry();
    // Without a sheet factory nothing happens.
    registry.ShowColoringSheet(1);
    EXPECT_FALSE(registry.IsColoringSheetVisible());
    light.ambient = 0.5;
    registry.SetLighting(&light);

    int made = 0;
    SetColoringSheetFactory([&] {
        ++made;
        return std::make_unique<RecordingSheet>(log);
    });
    registry.ShowColoringSheet(1);
    EXPECT_TRUE(registry.IsColoringSheetVisible());
    registry.ShowColoringSheet(0);
    EXPECT_FALSE(registry.IsColoringSheetVisible());
    registry.SetLighting(&light);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(log, "show1;load;refresh;show0;set0.500000;refresh;");
    ShaderRegistry::Destroy();
    EXPECT_EQ(log, "show1;load;refresh;show0;set0.500000;refresh;destroy;");
}

} // namespace
} // namespace kv
