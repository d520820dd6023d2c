// The world surface record (the world's part of a world document) from arbitrary bytes:
// refused with the archive error and the world unchanged, or loaded with every channel
// grid and the selection at the loaded size, a usable lacunarity, and a record that
// loads back to the bytes it stores.
#include "FuzzSupport.h"
#include "SurfMapSamples.h"
#include "platform/Archive.h"
#include "world/SurfMap.h"

namespace {

fuzz::Bytes Store(kv::SurfMap& world)
{
    fuzz::Bytes bytes;
    kv::CArchive ar(bytes, kv::CArchive::store);
    world.Serialize(ar);
    return bytes;
}

void Load(kv::SurfMap& world, const uint8_t* data, size_t size)
{
    kv::CArchive ar(data, size);
    world.Serialize(ar);
}

// The defaults on 8 x 4 grids (the world every input is read into).
const kv::SurfMap& SmallWorld()
{
    static const kv::SurfMap world = [] {
        kv::SurfMap w;
        w.SetResolution(8, false);
        return w;
    }();
    return world;
}

// The small default world and one with every stored value changed, as stored.
void MakeSeeds(const fuzz::SeedWriter& out)
{
    kv::SurfMap plain = SmallWorld();
    out.Add("default", Store(plain));
    kv::SurfMap unusual;
    MakeUnusualWorld(unusual, 8);
    out.Add("unusual", Store(unusual));
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kv;
    SurfMap world = SmallWorld();
    const fuzz::Bytes before = Store(world);
    try {
        Load(world, data, size);
    } catch (const CArchiveException&) {
        FUZZ_CHECK(Store(world) == before);
        return 0;
    }
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        const Grid2D* g = world.Channel(ch);
        FUZZ_CHECK(g != nullptr || (ch == kChannelPrescale && !world.prescaleEnabled));
        FUZZ_CHECK(g == nullptr || (static_cast<int>(g->Width()) == world.gridWidth &&
                                    static_cast<int>(g->Height()) == world.gridHeight));
    }
    FUZZ_CHECK(world.selection.GetWidth() == world.gridWidth && world.selection.GetHeight() == world.gridHeight);
    FUZZ_CHECK(SurfMap::UsableLacunarity(world.sourceParms.lacunarity));
    float scale, offset, prescale;
    world.SampleScaleOffset(90.0, 180.0, scale, offset);
    world.SamplePrescale(-90.0, -180.0, prescale);
    world.SampleWaterLevel(45.0, -90.0);
    world.GetClimateOverride(45.0, 90.0);

    const fuzz::Bytes written = Store(world);
    SurfMap again = SmallWorld();
    Load(again, written.data(), written.size());
    FUZZ_CHECK(Store(again) == written);
    return 0;
}
