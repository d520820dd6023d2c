// Off-screen rendering of the default world in Equirectangular at 1024 x 512 and
// 4096 x 2048 with the altitude, climate and Gaia shaders: CRawImage::Compute (with the
// shading pass) on all cores and on one core, and the bare altitude of the same pixels on
// one core, point by point (SurfaceSampler::GetAltitude) and in the render's groups.
// Before anything is timed, every shader and size is computed on one core and on all
// cores and the pixels, values and land flag compared.
#include "base/Progress.h"
#include "base/color/LightParms.h"
#include "platform/ParallelFor.h"
#include "projection/ProjectionParms.h"
#include "shading/ShaderIds.h"
#include "shading/ShaderRegistry.h"
#include "view/CRawImage.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include "WorldFixtures.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Scene {
    kv::SurfMap world;
    kv::LightParms light;
    kv::ProjectionParms projection;
    Scene()
    {
        RecalculateWorld(world);
        projection.SetScale(0.5);
        kv::GetShaderRegistry().Init(&world, &light);
        kv::SetProgressHooks(kv::SilentProgressHooks());
    }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

bool SameCompute(int shader, int width, int height)
{
    Scene& s = TheScene();
    kv::SurfaceSampler sampler(&s.projection, &s.world, &s.light, shader);
    kv::CRawImage one(&sampler), all(&sampler);
    for (kv::CRawImage* image : {&one, &all})
        image->SetSize(width, height);
    one.SetThreads(1);
    if (one.Compute(nullptr, true, false) != 0 || all.Compute(nullptr, true, false) != 0)
        return false;
    const size_t bytes = one.ColorBuffer().RowBytes() * static_cast<size_t>(height);
    return std::memcmp(one.ColorBuffer().GetBits(), all.ColorBuffer().GetBits(), bytes) == 0 &&
           std::memcmp(one.MaskBuffer().GetBits(), all.MaskBuffer().GetBits(), bytes) == 0 &&
           kv::Equal2D(one.Geo().altitude.get(), all.Geo().altitude.get()) == 1 && one.HasLand() == all.HasLand();
}

// Arguments: shader id, width, threads (0: all cores).
void BM_Compute(benchmark::State& state)
{
    Scene& s = TheScene();
    const int shader = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    kv::SurfaceSampler sampler(&s.projection, &s.world, &s.light, shader);
    kv::CRawImage image(&sampler);
    image.SetSize(width, width / 2);
    image.SetThreads(static_cast<int>(state.range(2)));
    for (auto _ : state) {
        if (image.Compute(nullptr, true, false) != 0)
            state.SkipWithError("compute failed");
    }
    state.counters["threads"] = state.range(2) > 0 ? static_cast<double>(state.range(2)) : kv::HardwareThreads();
    state.SetItemsProcessed(state.iterations() * width * (width / 2));
}

// The bare altitude of the same pixels on one core: unproject and evaluate.
void BM_BareAltitude(benchmark::State& state)
{
    Scene& s = TheScene();
    const int width = static_cast<int>(state.range(0));
    const int height = width / 2;
    kv::SurfaceSampler sampler(&s.projection, &s.world, &s.light, kv::kShaderAltitude);
    kv::GeoBuffers geo;
    geo.Allocate(width, height);
    sampler.SetTarget(&geo, nullptr, nullptr);
    for (auto _ : state) {
        kv::NoiseEvaluationScope evaluating;
        double sum = 0.0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                double lat, lon;
                if (sampler.PixelToLatLon(x, y, lat, lon))
                    sum += sampler.GetAltitude(lat, lon);
            }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}

// The same altitudes as the render evaluates them, in groups along each row, stored in
// the view's grids: the first pass of the render without the colour pass.
void BM_BareAltitudeGrouped(benchmark::State& state)
{
    Scene& s = TheScene();
    const int width = static_cast<int>(state.range(0));
    const int height = width / 2;
    kv::SurfaceSampler sampler(&s.projection, &s.world, &s.light, kv::kShaderAltitude);
    kv::GeoBuffers geo;
    geo.Allocate(width, height);
    for (auto _ : state)
        sampler.RenderRect(&geo, nullptr, nullptr, 0, 0, width - 1, height - 1);
    state.SetItemsProcessed(state.iterations() * width * height);
}

void ComputeArgs(benchmark::internal::Benchmark* b)
{
    for (int shader : {kv::kShaderAltitude, kv::kShaderClimate, kv::kShaderGaia})
        for (int width : {1024, 4096})
            for (int threads : {1, 0})
                b->Args({shader, width, threads});
}

} // namespace

BENCHMARK(BM_Compute)->Apply(ComputeArgs)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.2);
BENCHMARK(BM_BareAltitude)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.2);
BENCHMARK(BM_BareAltitudeGrouped)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.2);

int main(int argc, char** argv)
{
    for (int shader : {kv::kShaderAltitude, kv::kShaderClimate, kv::kShaderGaia})
        for (int width : {1024, 4096})
            if (!SameCompute(shader, width, width / 2)) {
                std::fprintf(stderr, "shader %d at %d: all cores differ from one core\n", shader, width);
                return 1;
            }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
