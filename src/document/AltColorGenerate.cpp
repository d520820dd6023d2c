#include "document/AltColorGenerate.h"

#include "base/Progress.h"
#include "base/ViewHooks.h"
#include "base/layers/ImageOverlay.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "platform/ParallelFor.h"
#include "platform/ZeroedPages.h"
#include "world/GridGeometry.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cstdio>
#include <vector>
#include <mutex>

namespace kv {

namespace {

constexpr int kReach = 32;
constexpr int kRowsPerPoll = 64; // rows of the calling thread between progress polls

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
    std::vector<double> longitudes(static_cast<std::size_t>(std::max(w, 0)));
    for (int j = 0; j < w; ++j)
        longitudes[static_cast<std::size_t>(j)] = GridColumnLongitude(j, w);
    const OverlayRowCompositor compositor(overlays, longitudes);
    // Rows are handed out one at a time (rows crossing more overlays cost more) to every
    // thread until none is left: an aborted picture is thrown away whole, so no row has to
    // wait for a poll. The calling thread steps the progress and polls between its rows.
    const int parts = std::max(1, std::min(threads > 0 ? threads : HardwareThreads(), h));
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
    ParallelRows(
        parts,
        [&](int begin, int) {
            const bool caller = begin == 0;
            int sincePoll = 0;
            std::vector<uint32_t> colours(static_cast<std::size_t>(w));
            for (int i = next.fetch_add(1, std::memory_order_relaxed); i < h && !stop.load(std::memory_order_relaxed);
                 i = next.fetch_add(1, std::memory_order_relaxed)) {
                compositor.Row(i * latStep - 90.0, i, 0.0, colours.data());
                if (image.BytesPerPixel() == 4) {
                    // Stored blue, green, red, coverage.
                    uint8_t* p = image.RowPointer(i);
                    for (int j = 0; j < w; ++j) {
                        const uint32_t c = colours[static_cast<std::size_t>(j)];
                        const uint32_t stored = (c & 0xFF00FF00u) | ((c >> 16) & 0xFFu) | ((c & 0xFFu) << 16);
                        std::memcpy(p + static_cast<std::size_t>(j) * 4, &stored, 4);
                    }
                } else {
                    for (int j = 0; j < w; ++j)
                        image.SetPixelFast(j, i, colours[static_cast<std::size_t>(j)]);
                }
                const int finished = done.fetch_add(1, std::memory_order_relaxed) + 1;
                if (caller && ++sincePoll >= kRowsPerPoll) {
                    sincePoll = 0;
                    ProgressStepHook(finished, h);
                    ProgressPollHook();
                    if (AbortRequested())
                        stop.store(true, std::memory_order_relaxed);
                }
            }
        },
        parts);
    if (!stop.load()) {
        ProgressStepHook(h, h);
        ProgressPollHook();
    }
    if (stop.load() || AbortRequested())
        result = -1;
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
    Grid2DPtr altitude = Alloc2D(w, h, sizeof(float));
    Grid2DPtr scale = Alloc2D(w, h, sizeof(float));
    if (!altitude || !scale)
        return -2;
    // Fresh blocks get their pages on first touch. The picture's rows are handed out one at
    // a time, so its threads would queue on the same large page, and ColorToAltitude's first
    // passes run on one core: every page is taken here, each thread in a block of its own.
    ParallelRows(
        h,
        [&](int begin, int end) {
            const std::size_t rows = static_cast<std::size_t>(end - begin);
            TouchPages(image.RowPointer(end - 1), rows * image.RowBytes());
            for (Grid2D* g : {altitude.get(), scale.get()})
                TouchPages(g->Row<float>(static_cast<std::size_t>(begin)), rows * g->Width() * g->ElementSize());
        },
        threads);
    if (CompositeOverlayImage(doc, image, threads) != 0)
        return -1;
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
                float* o = off[i];
                float* r = ro[i];
                const float* a = alt[i];
                const float* s = sc[i];
                for (int j = 0; j < w; ++j) {
                    const bool painted = pixels[static_cast<size_t>(j) * 4 + 3] != 0;
                    o[j] = painted ? a[j] : o[j];
                    r[j] = painted ? s[j] : r[j];
                }
            }
        },
        threads);
    doc.SetModifiedFlag();
    UpdateActiveDocViews(kHintChannelDataChanged);
    return 0;
}

} // namespace kv
