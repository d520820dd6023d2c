// Remap curves (".remap" texts) from arbitrary bytes: a text either loads, and then holds
// samples inside 0..1 and writes and reads back to the same bytes, or is refused with the
// curve unchanged.
#include "FuzzSupport.h"
#include "world/RemapCurve.h"

namespace {

// The default line and six samples with a scale, as the curve writer writes them.
void MakeSeeds(const fuzz::SeedWriter& out)
{
    const std::string path = fuzz::ScratchPath("seed.remap");
    FUZZ_CHECK(kv::RemapCurve().SaveToFile(path) == 0);
    out.Add("default.remap", fuzz::ReadWhole(path));
    kv::RemapCurve curve;
    curve.samples = {0.0f, 0.1f, 0.4f, 0.8f, 1.0f, 0.9f};
    curve.scaleLow = -2.5f;
    curve.scaleHigh = 3.0f;
    FUZZ_CHECK(curve.SaveToFile(path) == 0);
    out.Add("six_samples.remap", fuzz::ReadWhole(path));
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string in = fuzz::WriteScratch("in.remap", data, size);
    const std::string out1 = fuzz::ScratchPath("1.remap"), out2 = fuzz::ScratchPath("2.remap");
    kv::RemapCurve curve;
    curve.samples = {0.25f};
    curve.scaleHigh = 9.0f;
    const int result = curve.LoadFromFile(in);
    FUZZ_CHECK(result == 0 || result == -1);
    if (result != 0) {
        // A refused text leaves the curve as it was.
        FUZZ_CHECK(curve.samples.size() == 1 && curve.samples[0] == 0.25f && curve.scaleHigh == 9.0f);
        return 0;
    }
    for (float s : curve.samples)
        FUZZ_CHECK(s >= 0.0f && s <= 1.0f);
    FUZZ_CHECK(curve.SaveToFile(out1) == 0);
    kv::RemapCurve again;
    FUZZ_CHECK(again.LoadFromFile(out1) == 0);
    FUZZ_CHECK(again.samples.size() == curve.samples.size());
    FUZZ_CHECK(again.SaveToFile(out2) == 0);
    FUZZ_CHECK(fuzz::ReadWhole(out1) == fuzz::ReadWhole(out2));
    return 0;
}
