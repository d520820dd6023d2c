// One overlay brush stamp on a 1920 x 1080 view with three overlays: the composition that
// follows hint 13 with the stamped box (only the map pixels showing the box are recomputed)
// against the same composition after a plain hint 13 (the whole overlay layer recomputed).
// Before timing, both are checked to give the same picture.
#include "base/Progress.h"
#include "base/layers/ImageOverlay.h"
#include "shading/ShaderRegistry.h"
#include "view/CKVView.h"

#include "ViewFixtures.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Scene {
    kvtest::TestViewDocument doc;
    kv::LightParms light;
    kv::ImageOverlayList overlays;
    kv::ImageOverlay* painted = nullptr;
    std::unique_ptr<kv::CKVView> view;
    kv::ImageBrush brush;
    Scene()
    {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        kv::GetShaderRegistry().Init(&doc.world, &light);
        for (int k = 0; k < 3; ++k) {
            kv::ImageOverlay* o = overlays.AddNamed("overlay " + std::to_string(k), 2048, 1024, true);
            for (int r = 0; r < 1024; ++r)
                for (int c = 0; c < 2048; ++c)
                    o->PixelRow(r)[c] = ((c / 64 + r / 64 + k) % 3 == 0) ? 0x80406080u : 0u;
            painted = o;
        }
        doc.overlayList = &overlays;
        view = std::make_unique<kv::CKVView>(doc);
        view->Projection().SetScale(0.25);
        view->SetClientSize(1920, 1080);
        while (!view->PrepareRender()) {
        }
        view->Compose();
        brush.SetParameters(21, 21, kv::ImageBrush::kWrapColumns, 0xFF0000FFu, 1.0f, 1.0f);
    }
    // One stamp at the i-th point of a stroke across the map.
    void Stamp(int i, bool withBox)
    {
        kv::OverlayStampHint stamped;
        brush.StampAt(*painted, 20.0 - (i % 40), -60.0 + (i % 120), nullptr, &stamped);
        if (withBox)
            view->OnUpdate(13, &stamped);
        else
            view->OnUpdate(13);
        view->Compose();
    }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

bool SamePicture()
{
    Scene& s = TheScene();
    s.Stamp(7, true);
    const kv::VideoBuffer partial = s.view->Compose();
    s.view->OnUpdate(13);
    const kv::VideoBuffer& full = s.view->Compose();
    return std::memcmp(partial.GetBits(), full.GetBits(), partial.RowBytes() * static_cast<size_t>(partial.GetHeight())) == 0;
}

void BM_StrokePointWithBox(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state)
        TheScene().Stamp(i++, true);
}

void BM_StrokePointFullLayer(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state)
        TheScene().Stamp(i++, false);
}

BENCHMARK(BM_StrokePointWithBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrokePointFullLayer)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!SamePicture()) {
        std::fprintf(stderr, "overlay_bench: the boxed redraw differs from the full redraw\n");
        return EXIT_FAILURE;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
