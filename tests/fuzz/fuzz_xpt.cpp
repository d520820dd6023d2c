// Export definition files (".xpt"). A file either loads, and then saves and loads back to
// the same bytes, or is refused with -2 leaving the definition as it stored before.
#include "FuzzSupport.h"

#include "ArchiveBytes.h"
#include "exchange/PW2Output.h"

using namespace kv;

namespace {

// Every member away from its default, two levels and a grid.
PW2Output Sample()
{
    PW2Output p;
    p.mapTitle = "Sample";
    p.templatePath = "sheet.fcw";
    p.resolution = 3;
    p.altContourMode = 1;
    p.seaSmoothRadius = 2.0f;
    ContourDef d;
    d.altitude = 100.0;
    d.name = "low";
    p.contours.InsertSorted(d);
    d.altitude = 900.0;
    d.lineOn = 1;
    p.contours.InsertSorted(d);
    p.grid.grids.resize(2);
    return p;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("case.xpt", data, size);
    PW2Output p = Sample();
    const fuzz::Bytes before = StoreBytes(p);
    const int result = p.LoadFromFile(path);
    if (result != 0) {
        FUZZ_CHECK(result == -2);
        FUZZ_CHECK(StoreBytes(p) == before);
        return 0;
    }
    const std::string again = fuzz::ScratchPath("again.xpt");
    FUZZ_CHECK(p.SaveToFile(again) == 0);
    PW2Output q;
    FUZZ_CHECK(q.LoadFromFile(again) == 0);
    FUZZ_CHECK(StoreBytes(q) == StoreBytes(p));
    return 0;
}

namespace {

void MakeSeeds(const fuzz::SeedWriter& seeds)
{
    PW2Output plain;
    seeds.Add("default.xpt", StoreBytes(plain));
    PW2Output sample = Sample();
    fuzz::Bytes full = StoreBytes(sample);
    seeds.Add("sample.xpt", full);
    // Version 258: everything up to the contour list.
    PW2Output old = Sample();
    old.grid = CRectGrid();
    old.templatePath.clear();
    fuzz::Bytes v258 = StoreBytes(old);
    v258.resize(v258.size() - (28 + 4 + 1 + 4 + 4 + 4));
    v258[0] = 2;
    seeds.Add("v258.xpt", v258);
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)
