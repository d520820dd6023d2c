#include "document/AltColorGenerate.h"

#include "base/Progress.h"
#include "base/ViewHooks.h"
#include "base/layers/ImageOverlay.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "platform/ParallelFor.h"

#include <cstdio>
#include <mutex>

namespace kv {

namespace {

constexpr int kReach = 32;
constexpr int kBandRows = 256;

} // namespace

std::string AltColorHexText(uint32_t color)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    return text;
}

std::string AltColorAltitudeText(const AltColor& entry, bool metric)
{
    char text[64];
    std::snprintf(text, sizeof text, "%0.1lf", metric ? double(entry.altitude) : double(entry.altitude) * 3.28084);
    return text;
}

std::string AltColorOperationText(int kind)
{
    switch (kind) {
    case AltColor::kBasin:
        return "Basin";
    case AltColor::kPeak:
        return "Peak";
    case AltColor::kNone:
        return "None";
    default:
        return "Contour";
    }
}

int CompositeOverlayImage(const CKVDoc& doc, VideoBuffer& image, int threads)
{
    const int w = image.GetWidth(), h = image.GetHeight();
    const ImageOverlayList& overlays = doc.GetOverlays();
    const double latStep = h > 1 ? 180.0 / (h - 1) : 0.0;
    g_abortValue = 0;
    ProgressBeginHook("Calculating overlay image", 1);
    int result = 0;
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    for (int band = 0; band < h; band += kBandRows) {
        const int count = std::min(kBandRows, h - band);
        ParallelRows(
            count,
            [&](int begin, int end) {
                for (int k = begin; k < end; ++k) {
                    const int i = band + k;
                    const double latitude = i * latStep - 90.0;
                    for (int j = 0; j < w; ++j) {
                        const double longitude = double(j) / w * 360.0 - 180.0;
                        image.SetPixelFast(j, i, overlays.CompositeAt(latitude, longitude, 0.0, j, i));
                    }
                }
            },
            threads);
        ProgressStepHook(band + count, h);
        ProgressPollHook();
        if (AbortRequested()) {
            result = -1;
            break;
        }
    }
    ProgressEndHook();
    return result;
}

int GenerateFromOverlays(CKVDoc& doc, const AltColorList& list, int threads)
{
    ViewBusyScope busy;
    StopActiveViewRender();
    int w = 0, h = 0;
    doc.GetGridSize(w, h);
    SurfMap& world = doc.GetWorld();
    Grid2D* offset = world.Channel(kChannelLandOffset);
    Grid2D* rough = world.Channel(kChannelRoughness);
    auto fits = [&](const Grid2D* g) {
        return g && static_cast<int>(g->Width()) == w && static_cast<int>(g->Height()) == h;
    };
    if (w < 1 || h < 1 || !fits(offset) || !fits(rough))
        return -2;
    VideoBuffer image;
    if (image.Create(w, h) != 0)
        return -2;
    if (CompositeOverlayImage(doc, image, threads) != 0)
        return -1;
    Grid2DPtr altitude = Alloc2D(w, h, sizeof(float));
    Grid2DPtr scale = Alloc2D(w, h, sizeof(float));
    if (!altitude || !scale)
        return -2;
    if (!ColorToAltitude(image, list, *altitude, *scale, kReach))
        return -1;

    world.basisId = 1;
    world.shapingOn = 0;
    world.CreateFractalBasis();
    auto alt = altitude->Rows<float>();
    auto sc = scale->Rows<float>();
    auto off = offset->Rows<float>();
    auto ro = rough->Rows<float>();
    // Rows are independent: the write-back is spread over the same cores as the picture.
    ParallelRows(
        h,
        [&](int begin, int end) {
            for (int i = begin; i < end; ++i) {
                // The picture is 32-bit: the fourth byte of a pixel is its coverage.
                const uint8_t* pixels = image.RowPointer(i);
                for (int j = 0; j < w; ++j)
                    if (pixels[static_cast<size_t>(j) * 4 + 3] != 0) {
                        off[i][j] = alt[i][j];
                        ro[i][j] = sc[i][j];
                    }
            }
        },
        threads);
    doc.SetModifiedFlag();
    UpdateActiveDocViews(kHintChannelDataChanged);
    return 0;
}

} // namespace kv
