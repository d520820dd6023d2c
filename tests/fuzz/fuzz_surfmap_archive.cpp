// The world surface record from arbitrary bytes: refused with the archive error and the
// world unchanged, or loaded with every grid and the selection at the loaded size and a
// record that reads back to the bytes it was written as.
#include "platform/Archive.h"
#include "world/SurfMap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

std::vector<uint8_t> Store(kv::SurfMap& world)
{
    std::vector<uint8_t> bytes;
    kv::CArchive ar(bytes, kv::CArchive::store);
    world.Serialize(ar);
    return bytes;
}

const kv::SurfMap& SmallWorld()
{
    static const kv::SurfMap world = [] {
        kv::SurfMap w;
        w.SetResolution(8, false);
        return w;
    }();
    return world;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kv;
    SurfMap world = SmallWorld();
    const std::vector<uint8_t> before = Store(world);
    try {
        CArchive ar(data, size);
        world.Serialize(ar);
    } catch (const CArchiveException&) {
        if (Store(world) != before)
            __builtin_trap();
        return 0;
    }
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        const Grid2D* g = world.Channel(ch);
        if ((g == nullptr && (ch < kChannelPrescale || world.prescaleEnabled)) ||
            (g != nullptr && (static_cast<int>(g->Width()) != world.gridWidth ||
                              static_cast<int>(g->Height()) != world.gridHeight)))
            __builtin_trap();
    }
    if (world.selection.GetWidth() != world.gridWidth || !SurfMap::UsableLacunarity(world.sourceParms.lacunarity))
        __builtin_trap();
    float scale, offset, prescale;
    world.SampleScaleOffset(90.0, 180.0, scale, offset);
    world.SamplePrescale(-90.0, -180.0, prescale);
    world.GetClimateOverride(45.0, 90.0);

    const std::vector<uint8_t> written = Store(world);
    SurfMap again = SmallWorld();
    CArchive ar(written.data(), written.size());
    again.Serialize(ar);
    if (Store(again) != written)
        __builtin_trap();
    return 0;
}
