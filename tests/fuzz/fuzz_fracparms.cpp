// World parameters as text from arbitrary bytes: a "FracParms" block reads to its end or
// to the end of the text, and what the world then writes reads back to the same text; the
// same bytes as a command-line world value ("temp=", "rain=", a "parms=" list) leave
// numbers the block writes and reads back. No reader leaves a lacunarity that makes the
// noise NaN.
#include "FuzzSupport.h"
#include "SurfMapSamples.h"
#include "base/text/CTokenizer.h"
#include "world/SurfMapParms.h"

namespace {

// The defaults on small grids: the text never touches the grids, and small ones keep
// every run cheap.
kv::SurfMap SmallWorld()
{
    static const kv::SurfMap world = [] {
        kv::SurfMap w;
        w.SetResolution(4, false);
        return w;
    }();
    return world;
}

std::string Written(const kv::SurfMap& world)
{
    const std::string path = fuzz::ScratchPath("written.srf");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    const kv::CTokenizer spelling;
    FUZZ_CHECK(world.WriteParms(f, spelling) == 0);
    FUZZ_CHECK(std::fclose(f) == 0);
    return fuzz::ReadWhole(path);
}

int Read(kv::SurfMap& world, const std::string& text)
{
    return world.ReadParmsFile(fuzz::WriteScratch("read.srf", text));
}

// Written reads back into a default world and writes the same text.
void CheckReadsBack(const std::string& written)
{
    kv::SurfMap again = SmallWorld();
    FUZZ_CHECK(Read(again, written) == 0);
    FUZZ_CHECK(Written(again) == written);
}

// The blocks of the default world and of one with every stored value changed.
void MakeSeeds(const fuzz::SeedWriter& out)
{
    out.Add("default.srf", Written(SmallWorld()));
    kv::SurfMap unusual = SmallWorld();
    MakeUnusualWorld(unusual, 8);
    out.Add("unusual.srf", Written(unusual));
    out.Add("parms.txt", "1234,40000,65,8000,-8000,1.5,0,-1,-2,-3,2,2,2,1,-300,0,1,2.2,12");
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kv;
    const std::string input(reinterpret_cast<const char*>(data), size);

    SurfMap world = SmallWorld();
    const int result = Read(world, input);
    FUZZ_CHECK(result == 0 || result == -1);
    FUZZ_CHECK(SurfMap::UsableLacunarity(world.sourceParms.lacunarity));
    CheckReadsBack(Written(world));

    SurfMap parms = SmallWorld();
    FUZZ_CHECK(ParseTempRainParam(parms, input) == 0);
    FUZZ_CHECK(parms.sphericalMapping == 1);
    FUZZ_CHECK(SurfMap::UsableLacunarity(parms.sourceParms.lacunarity));
    CheckReadsBack(Written(parms));
    return 0;
}
