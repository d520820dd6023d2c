// Damaged brush definitions through the preset loader, as a paint tool takes them: every
// damaged text is refused with the reading error and leaves the settings as they were, or
// reads to settings whose sizes lie within 1..512 and whose stamp builds and paints. The
// sanitizer build checks every case for reads outside what was given.
#include "view/BrushPresets.h"
#include "world/SurfBrush.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

using namespace kv;

namespace {

constexpr int kRandomCases = 300;

struct BrushFiles : ::testing::Test {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("kv_malformed_brush_" + std::to_string(getpid()));
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Loads `text` as a preset into a tool's settings; checks the outcome.
    int Load(const std::string& text)
    {
        const std::string path = (dir / "case.brs").string();
        {
            std::ofstream out(path, std::ios::binary);
            out << text;
        }
        BrushSettings settings;
        settings.value = 3.0f;
        settings.width = 21;
        const BrushSettings before = settings;
        std::string error;
        const int result = LoadBrushPreset(path, settings, error);
        if (result != 0) {
            EXPECT_EQ(error, "Error reading brush definition " + path);
            EXPECT_EQ(settings, before);
            return result;
        }
        EXPECT_GE(settings.width, 1);
        EXPECT_LE(settings.width, 512);
        EXPECT_GE(settings.height, 1);
        EXPECT_LE(settings.height, 512);
        EXPECT_TRUE(std::isfinite(settings.value));
        // What was read builds a stamp that paints.
        SurfBrush brush(settings);
        Grid2DPtr grid = Alloc2D(16, 8, sizeof(float));
        brush.StrokeSegment(*grid, 3, 3, *grid, 3, 3, nullptr, 0, 0);
        return result;
    }
};

std::string Seed()
{
    BrushSettings s;
    s.Init(3, 1.5f, 1, 2);
    s.maskExpression = "1-r*r";
    return s.WriteText();
}

} // namespace

TEST_F(BrushFiles, NamedDamage)
{
    struct Case {
        const char* text;
        bool refused;
    } cases[] = {
        {"Brush\nXSize 99999999999\nYSize -5\nBrushEnd\n", false}, // held within 1..512
        {"Brush\nValue nan\nBrushEnd\n", true},
        {"Brush\nValue 1e300*1e300\nBrushEnd\n", true},
        {"Brush\nValue\n", true},
        {"Brush\nXSize (\n", true},
        {"Brush\nMaskExpr \"1-r\nBrushEnd\n", false}, // an open quote runs to the line's end
        {"Brush\nMaskExpr 12\nBrushEnd\n", true},
        {"Brush\nKernel\n 0\nScale 1\n 0\n 0\nData\n\nBrushEnd\n", true},
        {"Brush\nKernel\n 99\nScale 1\n 0\n 0\nData\n\nBrushEnd\n", true},
        {"Brush\nKernel\n 1\n 0\n 0\nData\n 1,\nBrushEnd\n", true},   // no Scale
        {"Brush\nKernel\n 3\nScale 1\n 0\n 0\nData\n 1, 2,\n", true}, // rows cut short
        {"Brush\nKernel\n 1\nScale 1\n 0\n 0\nData\n 2,\n\nBrushEnd\n", false},
        {"Brush", false},
        {"", true}, // no "Brush"
    };
    for (const Case& c : cases)
        EXPECT_EQ(Load(c.text) != 0, c.refused) << c.text;
}

TEST_F(BrushFiles, TruncatedMutatedAndRandom)
{
    const std::string seed = Seed();
    EXPECT_EQ(Load(seed), 0);
    for (std::size_t n = 0; n < seed.size(); n += 3)
        Load(seed.substr(0, n));
    std::mt19937 rng(27);
    const std::string alphabet = "0123456789.-+*/()\", \nBrushValueXSizeKernelDataScaleType";
    for (int i = 0; i < kRandomCases; ++i) {
        std::string mutated = seed;
        for (int k = 0; k < 4; ++k)
            mutated[rng() % mutated.size()] = static_cast<char>(rng() % 256);
        Load(mutated);
        std::string random = "Brush\n";
        for (int k = 0; k < 60; ++k)
            random += alphabet[rng() % alphabet.size()];
        Load(random);
    }
}
