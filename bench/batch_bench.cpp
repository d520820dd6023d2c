// The batch path of `KV image=world.png imgwidth=4096` in process: the whole-world image of a
// new document computed and saved as PNG, on all cores against one core (the PNG bytes are
// compared first), the render alone without the file, and bare SurfaceSampler::GetAltitude
// of the same 4096 x 2048 pixels on one core.
#include "base/Progress.h"
#include "document/CKVDoc.h"
#include "platform/ParallelFor.h"
#include "projection/ProjectionParms.h"
#include "view/CKVView.h"
#include "view/CRawImage.h"
#include "view/DocumentAdapter.h"
#include "world/SurfaceSampler.h"

#include "WorldFixtures.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

constexpr int kWidth = 4096;

struct Batch {
    std::unique_ptr<kv::CKVDoc> doc;
    std::unique_ptr<kv::DocumentAdapter> adapter;
    std::unique_ptr<kv::CKVView> view;
    Batch()
    {
        RegisterBuiltinSources();
        kv::SetProgressHooks(kv::SilentProgressHooks());
        kv::CKVDoc::SetFirstDocument(true);
        doc = std::make_unique<kv::CKVDoc>();
        adapter = std::make_unique<kv::DocumentAdapter>(*doc);
        view = std::make_unique<kv::CKVView>(*adapter);
        view->SetBatch(true);
        view->SetClientSize(64, 32);
        doc->OnNewDocument();
        kv::ViewStartup startup;
        startup.batch = true;
        startup.readDefaults = false;
        view->OnInitialUpdate(startup);
    }
};

Batch& TheBatch()
{
    static Batch b;
    return b;
}

std::string Path(int threads)
{
    return (std::filesystem::temp_directory_path() / ("kv_batch_bench_" + std::to_string(threads) + ".png")).string();
}

std::string RenderAndSave(int threads)
{
    kv::CRawImage image;
    image.SetThreads(threads);
    if (TheBatch().doc->RenderWorldImage(kWidth, image) != 0 || image.SavePNG(Path(threads), false) != 0)
        return std::string();
    std::ifstream in(Path(threads), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void BM_BatchImage(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    static const bool same = [] {
        const std::string one = RenderAndSave(1);
        return !one.empty() && one == RenderAndSave(0);
    }();
    if (!same) {
        state.SkipWithError("the PNG of one core differs from the PNG of all cores");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderAndSave(threads));
    state.counters["threads"] = threads > 0 ? threads : kv::HardwareThreads();
    state.SetItemsProcessed(state.iterations() * kWidth * (kWidth / 2));
}
BENCHMARK(BM_BatchImage)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The render alone (no file): against BM_BatchImage it gives the share of the PNG.
void BM_BatchRender(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        kv::CRawImage image;
        image.SetThreads(threads);
        if (TheBatch().doc->RenderWorldImage(kWidth, image) != 0)
            state.SkipWithError("render failed");
    }
    state.counters["threads"] = threads > 0 ? threads : kv::HardwareThreads();
    state.SetItemsProcessed(state.iterations() * kWidth * (kWidth / 2));
}
BENCHMARK(BM_BatchRender)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_BareAltitude(benchmark::State& state)
{
    kv::SurfaceSampler* viewSampler = TheBatch().view->GetSampler();
    kv::ProjectionParms whole = *viewSampler->Projection();
    whole.SetScale(0.5);
    whole.SetOffset(0, 0);
    kv::SurfaceSampler sampler(*viewSampler);
    sampler.SetProjection(&whole);
    kv::GeoBuffers geo;
    geo.Allocate(kWidth, kWidth / 2);
    sampler.SetTarget(&geo, nullptr, nullptr);
    for (auto _ : state) {
        kv::NoiseEvaluationScope evaluating;
        double sum = 0.0;
        for (int y = 0; y < kWidth / 2; ++y)
            for (int x = 0; x < kWidth; ++x) {
                double lat, lon;
                if (sampler.PixelToLatLon(x, y, lat, lon))
                    sum += sampler.GetAltitude(lat, lon);
            }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * (kWidth / 2));
}
BENCHMARK(BM_BareAltitude)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
