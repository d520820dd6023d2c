// The overlay picture pass of colour-to-altitude Generate on a 4096 x 2048 world grid with
// two overlays: on one core against all cores (the pictures are identical).
#include "base/raster/VideoBuffer.h"
#include "document/AltColorGenerate.h"
#include "document/CKVDoc.h"
#include "platform/ParallelFor.h"

#include <benchmark/benchmark.h>

using namespace kv;

namespace {

struct Scene {
    Scene()
    {
        ImageOverlay* a = doc.GetOverlays().AddNamed("a", 1024, 512, true);
        a->Fill(0xFF0000FFu);
        ImageOverlay* b = doc.GetOverlays().AddNamed("b", 512, 512, true);
        b->west = -40, b->east = 60, b->north = 50, b->south = -30;
        b->Fill(0x8000FF00u);
        image.Create(4096, 2048);
    }
    CKVDoc doc;
    VideoBuffer image;
};

void CompositePass(benchmark::State& state)
{
    static Scene scene;
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(CompositeOverlayImage(scene.doc, scene.image, threads));
    state.counters["threads"] = threads == 0 ? HardwareThreads() : threads;
}

} // namespace

BENCHMARK(CompositePass)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
