// The surface sampler: altitude evaluation and whole-map rendering of the default world
// at 1024 x 512, in Equirectangular and Orthographic, on one core and on all cores.
// Several samplers on disjoint bands of one image give the same pixels as one sampler;
// the multi-core cases check that before they are timed.
#include "projection/ProjectionParms.h"
#include "shading/ShaderRegistry.h"
#include "base/noise/CSourceDatabase.h"
#include "base/color/LightParms.h"
#include "base/Random.h"
#include "base/raster/VideoBuffer.h"
#include "world/SurfaceSampler.h"
#include "world/SurfMap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 512;
constexpr int kEquirectangular = 2;
constexpr int kOrthographic = 9;

// The default world after a recalculation: seeded, basis created, sea bias at the water
// percentile of a coarse sampling, scale factors from its extremes.
struct DefaultWorld {
    kv::SurfMap world;
    kv::LightParms light;

    DefaultWorld()
    {
        std::filesystem::path none = std::filesystem::temp_directory_path() / "kv-surface-bench-no-plugins";
        std::filesystem::create_directories(none);
        if (kv::GetSourceDatabase().FindById(0) < 0)
            kv::GetSourceDatabase().LoadSources(none.string());
        kv::SRand(static_cast<uint32_t>(world.sourceParms.seed));
        world.CreateFractalBasis();
        std::vector<double> values;
        for (int r = 0; r < 96; ++r)
            for (int c = 0; c < 192; ++c)
                values.push_back(world.EvaluateBasis(r * 180.0 / 95 - 90.0, c * 360.0 / 191 - 180.0));
        std::sort(values.begin(), values.end());
        const double bias = values[static_cast<size_t>(world.waterPercent / 100.0 * (values.size() - 1))];
        world.seaBias = static_cast<float>(bias);
        world.factorBelow = static_cast<float>(world.minAltitude / (values.front() - bias));
        world.factorAbove = static_cast<float>(world.maxAltitude / (values.back() - bias));
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
    p.SetScale(id == kEquirectangular ? 0.5 : 1.0);
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
    kv::ProjectionParms projection = Projection(kEquirectangular);
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
    state.SetLabel(state.range(0) == kEquirectangular ? "Equirectangular, 1 core" : "Orthographic, 1 core");
}
BENCHMARK(BM_RenderRect)->Arg(kEquirectangular)->Arg(kOrthographic)->Unit(benchmark::kMillisecond);

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
    state.SetLabel((state.range(0) == kEquirectangular ? "Equirectangular, " : "Orthographic, ") +
                   std::to_string(bands) + " samplers");
}
BENCHMARK(BM_RenderRectAllCores)->Arg(kEquirectangular)->Arg(kOrthographic)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
