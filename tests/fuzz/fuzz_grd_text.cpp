// Grid definition files (".grd") through the overlay's reader. A text either loads (0) or is
// refused (-1) leaving the overlay as it was; what loaded holds a subdivision level within
// its range and writes back as a file that reads and writes again to the same bytes.
#include "FuzzSupport.h"

#include "GridRiverSamples.h"

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("case.grd", data, size);
    CRectGrid overlay = SampleGridOverlay();
    const CRectGrid before = overlay;
    const int result = overlay.Load(path);
    FUZZ_CHECK(result == 0 || result == -1);
    if (result != 0) {
        FUZZ_CHECK(overlay.SameValues(before));
        return 0;
    }
    FUZZ_CHECK(overlay.subdivisionLevel >= CRectGrid::kMinLevel && overlay.subdivisionLevel <= CRectGrid::kMaxLevel);
    const std::string once = fuzz::ScratchPath("once.grd");
    FUZZ_CHECK(overlay.Save(once) == 0);
    CRectGrid again;
    FUZZ_CHECK(again.Load(once) == 0);
    FUZZ_CHECK(again.grids.size() == overlay.grids.size());
    const std::string twice = fuzz::ScratchPath("twice.grd");
    FUZZ_CHECK(again.Save(twice) == 0);
    CRectGrid third;
    FUZZ_CHECK(third.Load(twice) == 0);
    FUZZ_CHECK(third.SameValues(again));
    return 0;
}

namespace {

void MakeSeeds(const fuzz::SeedWriter& seeds)
{
    const std::string path = fuzz::ScratchPath("seed.grd");
    FUZZ_CHECK(SampleGridOverlay().Save(path) == 0);
    seeds.Add("three-grids", fuzz::ReadWhole(path));
    seeds.Add("blanks-and-expressions", std::string("rectgrid 1 30 2 1\n"
                                                    "grid 1 255*256 60/2 15 25 304800.00377\n"
                                                    "effective -180, 90, 180, -90\n"
                                                    "endgrid\n"
                                                    "endrectgrid\n"));
    seeds.Add("empty-overlay", std::string("RectGrid 0, 0.00000, 1, 0\n\nEndRectGrid\n"));
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)
