// The surface sampler: altitude evaluation and whole-map rendering of the default world
// at 1024 x 512, in Equirectangular and Orthographic, on one core and on all cores.
// Several samplers on disjoint bands of one image give the same pixels as one sampler;
// the multi-core cases check that before they are timed.
#include "projection/ProjectionParms.h"
#include "shading/ShaderRegistry.h"
#include "base/color/LightParms.h"
#include "base/raster/VideoBuffer.h"
#include "world/SurfaceSampler.h"
#include "world/SurfMap.h"

#include "WorldFixtures.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 512;

// The default world after a recalculation (on a finer sampling than the tests use).
struct DefaultWorld {
    kv::SurfMap world;
    kv::LightParms light;

    DefaultWorld()
    {
        RecalculateWorld(world, 96);
        kv::GetShaderRegistry().Init(&world, &light);
    }
};

DefaultWorld& World()
{
    static DefaultWorld w;
    return w;
}

// The view's projection with the whole map filling the image.
kv::ProjectionParms Projection(int id)
{
    kv::ProjectionParms p;
    p.SetProjection(id);
    p.SetScale(id == kv::kMapEquirectangular ? 0.5 : 1.0);
    return p;
}

struct Image {
    kv::GeoBuffers target;
    kv::VideoBuffer colour;
    kv::VideoBuffer mask;
    Image()
    {
        target.Allocate(kWidth, kHeight);
        colour.Create(kWidth, kHeight);
        mask.Create(kWidth, kHeight);
    }
};

void RenderOne(kv::ProjectionParms& projection, Image& image)
{
    kv::SurfaceSampler sampler(&projection, &World().world, &World().light, kv::kShaderAltitude);
    sampler.RenderRect(&image.target, &image.colour, &image.mask, 0, 0, kWidth - 1, kHeight - 1);
}

void RenderBands(kv::ProjectionParms& projection, Image& image, int bands)
{
    kv::SurfaceSampler prototype(&projection, &World().world, &World().light, kv::kShaderAltitude);
    kv::RenderRectInBands(prototype, &image.target, &image.colour, &image.mask, 0, 0, kWidth - 1, kHeight - 1, bands);
}

bool SamePixels(const Image& a, const Image& b)
{
    return std::memcmp(a.colour.GetBits(), b.colour.GetBits(), a.colour.RowBytes() * kHeight) == 0 &&
           kv::Equal2D(a.target.altitude.get(), b.target.altitude.get()) == 1 &&
           a.target.minValue == b.target.minValue && a.target.maxValue == b.target.maxValue;
}

void BM_SamplerAltitude(benchmark::State& state)
{
    kv::ProjectionParms projection = Projection(kv::kMapEquirectangular);
    kv::SurfaceSampler sampler(&projection, &World().world, &World().light, kv::kShaderAltitude);
    double sum = 0;
    for (auto _ : state) {
        for (int r = 0; r < kHeight; ++r) {
            const double lat = (r + 0.5) * 180.0 / kHeight - 90.0;
            for (int c = 0; c < kWidth; ++c)
                sum += sampler.GetAltitude(lat, (c + 0.5) * 360.0 / kWidth - 180.0);
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_SamplerAltitude)->Unit(benchmark::kMillisecond);

void BM_RenderRect(benchmark::State& state)
{
    kv::ProjectionParms projection = Projection(static_cast<int>(state.range(0)));
    Image image;
    for (auto _ : state)
        RenderOne(projection, image);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.SetLabel(state.range(0) == kv::kMapEquirectangular ? "Equirectangular, 1 core" : "Orthographic, 1 core");
}
BENCHMARK(BM_RenderRect)->Arg(kv::kMapEquirectangular)->Arg(kv::kMapOrthographic)->Unit(benchmark::kMillisecond);

void BM_RenderRectAllCores(benchmark::State& state)
{
    kv::ProjectionParms projection = Projection(static_cast<int>(state.range(0)));
    const int bands = std::max(1u, std::thread::hardware_concurrency());
    Image single, banded;
    RenderOne(projection, single);
    RenderBands(projection, banded, bands);
    if (!SamePixels(single, banded)) {
        state.SkipWithError("bands differ from one sampler");
        return;
    }
    for (auto _ : state)
        RenderBands(projection, banded, bands);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.SetLabel((state.range(0) == kv::kMapEquirectangular ? "Equirectangular, " : "Orthographic, ") +
                   std::to_string(bands) + " samplers");
}
BENCHMARK(BM_RenderRectAllCores)->Arg(kv::kMapEquirectangular)->Arg(kv::kMapOrthographic)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
