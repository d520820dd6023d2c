// River overlays and grid overlays as the world document stores them. The first byte picks
// the record, the rest is its bytes. A record either loads or raises the archive error
// leaving the object unchanged (byte for byte, as it stores); whatever loaded stores, loads
// and stores again to the same bytes, and holds no river longer than a record may be.
#include "FuzzSupport.h"

#include "ArchiveBytes.h"
#include "GridRiverSamples.h"

#include <algorithm>

using namespace kv;

namespace {

enum Record : unsigned { kRivers, kGrids, kRecordCount };

// Unchanged when refused; else what it stores reads back and stores to the same bytes.
template <typename T> bool CheckRecord(T& object, const fuzz::Bytes& bytes)
{
    const fuzz::Bytes before = StoreBytes(object);
    if (!TryLoadBytes(object, bytes)) {
        FUZZ_CHECK(StoreBytes(object) == before);
        return false;
    }
    const fuzz::Bytes written = StoreBytes(object);
    T again;
    FUZZ_CHECK(TryLoadBytes(again, written));
    FUZZ_CHECK(StoreBytes(again) == written);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::Selected in = fuzz::Select(data, size, kRecordCount);
    const fuzz::Bytes bytes(in.body, in.body + in.size);
    if (in.choice == kRivers) {
        RiverVectorOverlay overlay = SampleRiverOverlay();
        if (CheckRecord(overlay, bytes))
            for (const RiverPath& r : overlay.rivers)
                FUZZ_CHECK(r.points.size() <= static_cast<size_t>(RiverPath::kMaxPoints));
    } else {
        CRectGrid overlay = SampleGridOverlay();
        if (CheckRecord(overlay, bytes)) {
            FUZZ_CHECK(overlay.subdivisionLevel >= CRectGrid::kMinLevel &&
                       overlay.subdivisionLevel <= CRectGrid::kMaxLevel);
            FUZZ_CHECK(overlay.grids.size() <= std::max<size_t>(bytes.size() / 4, 3));
        }
    }
    return 0;
}

namespace {

void MakeSeeds(const fuzz::SeedWriter& seeds)
{
    RiverVectorOverlay rivers = SampleRiverOverlay();
    seeds.Add("rivers", kRivers, StoreBytes(rivers));
    CRectGrid grids = SampleGridOverlay();
    seeds.Add("grids", kGrids, StoreBytes(grids));
    // A version-256 overlay of version-256 grids (no adaptive switch, extent or altitude).
    fuzz::Bytes old;
    {
        CArchive ar(old, CArchive::store);
        ar << int32_t(256) << int32_t(1) << 20.0 << int32_t(3) << int32_t(1);
        ar << int32_t(256) << int32_t(1) << int32_t(0xFF) << 15.0 << 10.0 << int32_t(50);
    }
    seeds.Add("grids-256", kGrids, old);
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)
