// Archive records read from documents and ".bcl" files: colour lists, climate parameters,
// image overlay lists and imported surfaces. The first byte picks the record, the rest is
// its bytes. A record either loads or raises the archive error; colour lists, climate
// parameters and imported surfaces that refuse a record are unchanged (byte for byte, as
// they store); whatever loaded stores, loads and stores again to the same bytes, and can
// be used (colours interpolated, climate evaluated, overlays composited).
#include "FuzzSupport.h"

#include "ArchiveBytes.h"
#include "base/color/CColorList.h"
#include "base/color/ClimateParms.h"
#include "base/layers/CISurf.h"
#include "base/layers/ImageOverlay.h"

#include <cstring>
#include <mutex>

using namespace kv;

namespace {

enum Record : unsigned { kColourList, kClimate, kOverlayList, kImportedSurface, kRecordCount };

constexpr size_t kLargestRecheckedRecord = size_t(1) << 18;

// Loads `bytes` into `object` (made by `make`): unchanged when refused; else what it stores
// reads back and stores to the same bytes. Returns whether it loaded.
template <typename T, typename Make>
bool CheckRecord(T& object, const fuzz::Bytes& bytes, Make make, bool keptOnError,
                 bool (*worthStoring)(const T&) = nullptr)
{
    const fuzz::Bytes before = StoreBytes(object);
    if (!TryLoadBytes(object, bytes)) {
        if (keptOnError)
            FUZZ_CHECK(StoreBytes(object) == before);
        return false;
    }
    if (worthStoring && !worthStoring(object))
        return true;
    const fuzz::Bytes written = StoreBytes(object);
    // Overlays of old records keep their default 512 x 256 size and store every pixel:
    // reading such a record back adds nothing but time.
    if (written.size() > kLargestRecheckedRecord)
        return true;
    auto again = make();
    FUZZ_CHECK(TryLoadBytes(*again, written));
    FUZZ_CHECK(StoreBytes(*again) == written);
    return true;
}

CColorList SampleList()
{
    CColorList list;
    list.FillSpectrum(0.1, 0.9, 5);
    list.SetExponent(1.7);
    list.SetInterpolation(CColorList::kLinear);
    list.Stop(2).SetName("mid \"stop\"");
    return list;
}

ClimateParms SampleClimate()
{
    ClimateParms parms;
    parms.SetModelDouble(2, 0.75);
    return parms;
}

void SampleOverlays(ImageOverlayList& list)
{
    list.AddNamed("one", 6, 4, true)->Fill(0x80FF0000u);
    ImageOverlay* two = list.AddNamed("two", 3, 5, true);
    two->Fill(0xFF00FF00u);
    two->mode = kOverlaySoftRange;
    two->west = -30;
    two->east = 40;
}

// A signed 16-bit big-endian raster with a header, and a bitmap across the 180th meridian.
CISurf SampleSurface(bool bitmap)
{
    CISurf s;
    s.SetFileName("surface.raw");
    s.SetSampleType(CISurf::kSigned);
    s.SetSampleSize(2);
    s.SetBigEndian(true);
    s.SetHeaderOffset(10);
    s.SetRowStride(12);
    s.SetRasterWindow({0, 0, 6, 4});
    s.SetBounds({-40.0, -20.0, 60.0, 30.0});
    if (bitmap) {
        s.SetFileName("surface.bmp");
        s.SetSampleType(CISurf::kBitmap24);
        s.SetBounds({170.0, -20.0, -170.0, 30.0});
        s.SetBilinear(false);
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::Selected in = fuzz::Select(data, size, kRecordCount);
    const fuzz::Bytes bytes(in.body, in.body + in.size);
    switch (in.choice) {
    case kColourList: {
        CColorList list = SampleList();
        if (CheckRecord(list, bytes, [] { return std::make_unique<CColorList>(); }, true)) {
            for (int k = 0; k <= 8; ++k)
                list.Interpolate(k / 8.0);
            list.NearestStopIndex(0.5);
        }
        break;
    }
    case kClimate: {
        ClimateParms parms = SampleClimate();
        if (CheckRecord(parms, bytes, [] { return std::make_unique<ClimateParms>(); }, true)) {
            double rainfall, kelvin;
            int cls;
            for (int k = 0; k < 5; ++k) {
                parms.EvaluateClimate(-90 + 45 * k, -180 + 90 * k, -4000 + 2500 * k, rainfall, kelvin, cls, 0, 0, 0,
                                      -1, 0, 0, 0);
                parms.ClimateColor(cls);
                parms.TemperatureColor(kelvin);
                parms.RainfallColor(rainfall);
            }
        }
        break;
    }
    case kOverlayList: {
        // Overlays of records older than the first with pixels keep the default 512 x 256
        // and store every pixel (as zeros): lists with such an overlay are loaded and used
        // but not stored, and lists of more than a few overlays are not tried.
        constexpr int32_t kMostOverlays = 4;
        if (bytes.size() >= 8) {
            int32_t count = 0;
            std::memcpy(&count, bytes.data() + 4, sizeof count);
            if (count > kMostOverlays)
                return 0;
        }
        // A document that fails to load is dropped whole: the list need not be kept.
        ImageOverlayList list;
        CheckRecord(list, bytes, [] { return std::make_unique<ImageOverlayList>(); }, false,
                    +[](const ImageOverlayList& loaded) {
                        for (int i = 0; i < loaded.Count(); ++i)
                            if (!loaded.At(i)->HasPixels())
                                return false;
                        return true;
                    });
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        // Overlays of an old record (or of one cut short) may have no pixels; those that do
        // have the size they claim.
        for (int i = 0; i < list.Count(); ++i) {
            const ImageOverlay& o = *list.At(i);
            if (o.HasPixels()) {
                FUZZ_CHECK(static_cast<int>(o.pixels->Width()) == o.width);
                FUZZ_CHECK(static_cast<int>(o.pixels->Height()) == o.height);
            }
        }
        for (int k = 0; k < 25; ++k)
            list.CompositeAt(-90 + 45 * (k / 5), -180 + 90 * (k % 5), -2000.0 + 1000 * (k % 5), k, k);
        break;
    }
    default: {
        CISurf surface = SampleSurface(false);
        if (CheckRecord(surface, bytes, [] { return std::make_unique<CISurf>(); }, true)) {
            float column, row;
            for (int k = 0; k < 25; ++k)
                surface.LatLonToGrid(-90 + 45 * (k / 5), -180 + 90 * (k % 5), column, row);
        }
        break;
    }
    }
    return 0;
}

namespace {

void MakeSeeds(const fuzz::SeedWriter& seeds)
{
    CColorList list = SampleList();
    seeds.Add("colour-list", kColourList, StoreBytes(list));
    CColorList plain;
    plain.ResetBlackWhite();
    seeds.Add("colour-list-black-white", kColourList, StoreBytes(plain));
    ClimateParms climate = SampleClimate();
    seeds.Add("climate", kClimate, StoreBytes(climate));
    ImageOverlayList overlays;
    SampleOverlays(overlays);
    seeds.Add("overlay-list", kOverlayList, StoreBytes(overlays));
    CISurf values = SampleSurface(false);
    seeds.Add("imported-surface-values", kImportedSurface, StoreBytes(values));
    CISurf colours = SampleSurface(true);
    seeds.Add("imported-surface-bitmap", kImportedSurface, StoreBytes(colours));
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)
