// Colour-to-altitude Generate on a 4096 x 2048 world grid with two overlays: the overlay
// picture pass on one core against all cores (the pictures are checked identical first),
// and the whole Generate against ColorToAltitude alone on the same picture and list.
#include "base/Progress.h"
#include "base/raster/VideoBuffer.h"
#include "document/AltColorGenerate.h"
#include "document/CKVDoc.h"
#include "platform/ParallelFor.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

using namespace kv;

namespace {

constexpr int kWidth = 4096;

struct Scene {
    Scene()
    {
        SetProgressHooks(SilentProgressHooks());
        doc.GetWorld().SetResolution(kWidth, false);
        int w = 0, h = 0;
        doc.GetGridSize(w, h);
        if (w != kWidth || h != kWidth / 2) {
            std::fprintf(stderr, "world grid %d x %d, not %d x %d\n", w, h, kWidth, kWidth / 2);
            std::exit(1);
        }
        ImageOverlay* a = doc.GetOverlays().AddNamed("a", 1024, 512, true);
        a->Fill(0xFF0000FFu);
        ImageOverlay* b = doc.GetOverlays().AddNamed("b", 512, 512, true);
        b->west = -40, b->east = 60, b->north = 50, b->south = -30;
        b->Fill(0x8000FF00u);
        image.Create(w, h);

        // One core and all cores paint the same picture.
        VideoBuffer single;
        single.Create(w, h);
        CompositeOverlayImage(doc, single, 1);
        CompositeOverlayImage(doc, image, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (single.GetPixel(x, y) != image.GetPixel(x, y)) {
                    std::fprintf(stderr, "overlay pictures differ at %d, %d\n", x, y);
                    std::exit(1);
                }

        // Level the first overlay's colour; a basin under the second one.
        AltColor level;
        level.color = image.GetPixel(0, 0) & 0xFFFFFF;
        level.kind = AltColor::kNone;
        level.altitude = 200.0f;
        list.push_back(level);
        AltColor basin;
        basin.color = image.GetPixel((10 + 180) * w / 360, (10 + 90) * (h - 1) / 180) & 0xFFFFFF;
        basin.kind = AltColor::kBasin;
        basin.altitude = 100.0f;
        basin.altitude2 = -500.0f;
        list.push_back(basin);
        altitude = Alloc2D(w, h, sizeof(float));
        roughness = Alloc2D(w, h, sizeof(float));
    }
    CKVDoc doc;
    VideoBuffer image;
    AltColorList list;
    Grid2DPtr altitude, roughness;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void CompositePass(benchmark::State& state)
{
    Scene& scene = TheScene();
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(CompositeOverlayImage(scene.doc, scene.image, threads));
    state.counters["threads"] = threads == 0 ? HardwareThreads() : threads;
}

void ColorToAltitudeAlone(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state)
        benchmark::DoNotOptimize(ColorToAltitude(scene.image, scene.list, *scene.altitude, *scene.roughness, 32));
}

void Generate(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state)
        if (GenerateFromOverlays(scene.doc, scene.list) != 0)
            state.SkipWithError("Generate failed");
}

} // namespace

BENCHMARK(CompositePass)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ColorToAltitudeAlone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Generate)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
