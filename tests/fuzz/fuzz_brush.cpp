// Brush definition files (".brs" presets) through the preset loader. A text either loads or is
// refused with the reading error, leaving the settings as they were; what loaded has its
// sizes within 1..512, builds a stamp that paints, and writes a file that reads back and
// writes again to the same text.
#include "FuzzSupport.h"

#include "view/BrushPresets.h"
#include "world/SurfBrush.h"

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("case.brs", data, size);
    BrushSettings settings;
    settings.width = 21;
    settings.value = 3.0f;
    const BrushSettings before = settings;
    std::string error;
    const int result = LoadBrushPreset(path, settings, error);
    if (result != 0) {
        FUZZ_CHECK(error == "Error reading brush definition " + path);
        FUZZ_CHECK(settings == before);
        return 0;
    }
    FUZZ_CHECK(settings.width >= 1 && settings.width <= 512 && settings.height >= 1 && settings.height <= 512);
    FUZZ_CHECK(std::isfinite(settings.value) && std::isfinite(settings.bias) && std::isfinite(settings.flow));
    SurfBrush brush(settings);
    Grid2DPtr grid = Alloc2D(24, 12, sizeof(float));
    FUZZ_CHECK(grid != nullptr);
    brush.StrokeSegment(*grid, 5, 5, *grid, 5, 5, nullptr, 0, 0);
    brush.StrokeSegment(*grid, *grid, 20, 2, nullptr, 0.7);

    const std::string once = fuzz::ScratchPath("once.brs");
    FUZZ_CHECK(SaveBrushPreset(once, settings, error) == 0);
    BrushSettings again;
    FUZZ_CHECK(LoadBrushPreset(once, again, error) == 0);
    const std::string second = again.WriteText();
    BrushSettings third;
    const std::string twice = fuzz::ScratchPath("twice.brs");
    FUZZ_CHECK(SaveBrushPreset(twice, again, error) == 0);
    FUZZ_CHECK(LoadBrushPreset(twice, third, error) == 0);
    FUZZ_CHECK(third.WriteText() == second);
    return 0;
}

namespace {

void MakeSeeds(const fuzz::SeedWriter& seeds)
{
    seeds.Add("defaults", BrushSettings().WriteText());
    BrushSettings s;
    s.width = 31;
    s.height = 9;
    s.type = 0x313025;
    s.maskExpression = "1-r*r";
    s.fileName = "shape.bmp";
    s.Init(3, 0.5f, -1, -2);
    s.Set(0, 2, -0.25f);
    seeds.Add("changed", "leading words\n" + s.WriteText());
    seeds.Add("arithmetic", std::string("Brush\nYSize 2*(3+4)\nValue -1/4\nType 4096+16\nBrushEnd\n"));
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)
