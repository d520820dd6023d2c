// Grid definition files (".grd") through the overlay's reader. A text either loads (0) or is
// refused (-1) leaving the overlay as it was; what loaded holds a subdivision level within
// its range and writes back as a file that reads and writes again to the same bytes.
#include "FuzzSupport.h"

#include "world/CRectGrid.h"

using namespace kv;

namespace {

CRectGrid SampleGrids()
{
    CRectGrid overlay;
    overlay.polarEndcap = 15.0;
    overlay.subdivisionLevel = 4;
    for (int i = 0; i < 3; ++i) {
        RectInfo g;
        g.show = i != 1;
        g.colour = 0x00336699u + static_cast<uint32_t>(i);
        g.latSpacing = 10.0 * (i + 1);
        g.lonSpacing = i == 2 ? 0.0 : 15.0 + i;
        g.lineWidth = 25 * i;
        g.west = -170.0 + i;
        g.altitude = i == 0 ? RectInfo::kDefaultAltitude : -250.5 * i;
        overlay.grids.push_back(g);
    }
    return overlay;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("case.grd", data, size);
    CRectGrid overlay = SampleGrids();
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
    FUZZ_CHECK(SampleGrids().Save(path) == 0);
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
