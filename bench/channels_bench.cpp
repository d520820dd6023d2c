// Whole-channel operations on the default world at 4096 x 2048 cells: set, add, clamp
// (one core and all cores: rows are independent, the results identical), smooth (the blur
// spreads its own rows), noise (one core: the draws follow the cells), the whole-world
// altitude set with 1 and 4 samples (one core and all cores: a sampler per thread, the
// jitter draws taken in order first), and the world statistics of every recalculation
// against a bare render of the same 384 x 384 map. Figures are cells (pixels) per second.
#include "projection/ProjectionParms.h"
#include "base/Progress.h"
#include "base/raster/VideoBuffer.h"
#include "world/GeoBuffers.h"
#include "world/SurfaceSampler.h"
#include "world/SurfMap.h"
#include "world/WorldData.h"

#include "WorldFixtures.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kGridWidth = 4096;

struct BigWorld {
    kv::SurfMap world;
    kv::ProjectionParms projection;
    BigWorld()
    {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        world.SetResolution(kGridWidth, false);
        RecalculateWorld(world);
    }
    int64_t Cells() const { return int64_t{world.gridWidth} * world.gridHeight; }
};

BigWorld& Big()
{
    static BigWorld w;
    return w;
}

// threads: 1 = one core, 0 = all cores.
void BM_Set(benchmark::State& state)
{
    BigWorld& b = Big();
    for (auto _ : state)
        b.world.FillGridValue(b.world.Channel(kv::kChannelRainfall), 12.5f, static_cast<int>(state.range(0)));
    state.SetItemsProcessed(state.iterations() * b.Cells());
}
BENCHMARK(BM_Set)->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Add(benchmark::State& state)
{
    BigWorld& b = Big();
    for (auto _ : state)
        b.world.AddToGrid(b.world.Channel(kv::kChannelRainfall), 0.5f, -1e6f, 1e6f, static_cast<int>(state.range(0)));
    state.SetItemsProcessed(state.iterations() * b.Cells());
}
BENCHMARK(BM_Add)->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Clamp(benchmark::State& state)
{
    BigWorld& b = Big();
    for (auto _ : state)
        b.world.ClampGrid(b.world.Channel(kv::kChannelRainfall), -5.0f, 5.0f, static_cast<int>(state.range(0)));
    state.SetItemsProcessed(state.iterations() * b.Cells());
}
BENCHMARK(BM_Clamp)->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Smooth(benchmark::State& state)
{
    BigWorld& b = Big();
    for (auto _ : state)
        b.world.SmoothChannel(kv::kChannelRainfall, 2.0f);
    state.SetItemsProcessed(state.iterations() * b.Cells());
}
BENCHMARK(BM_Smooth)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Noise(benchmark::State& state)
{
    BigWorld& b = Big();
    for (auto _ : state)
        b.world.AddNoiseToChannel(kv::kChannelRainfall, true, 0.0f, 1.0f, -1e6f);
    state.SetItemsProcessed(state.iterations() * b.Cells());
}
BENCHMARK(BM_Noise)->UseRealTime()->Unit(benchmark::kMillisecond);

// {samples, threads}
void BM_GlobalSetAltitude(benchmark::State& state)
{
    BigWorld& b = Big();
    const kv::SurfaceSampler sampler(&b.projection, &b.world, nullptr, 1);
    for (auto _ : state)
        b.world.GlobalSetAltitude(500.0, static_cast<int>(state.range(0)), sampler, static_cast<int>(state.range(1)));
    state.SetItemsProcessed(state.iterations() * b.Cells());
}
BENCHMARK(BM_GlobalSetAltitude)
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({4, 1})
    ->Args({4, 0})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_WorldDataCompute(benchmark::State& state)
{
    BigWorld& b = Big();
    kv::WorldData data;
    for (auto _ : state)
        data.Compute(b.world);
    state.SetItemsProcessed(state.iterations() * kv::WorldData::kMapSize * kv::WorldData::kMapSize);
}
BENCHMARK(BM_WorldDataCompute)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same map through one RenderRect on one core.
void BM_BareRenderRect384(benchmark::State& state)
{
    BigWorld& b = Big();
    kv::ProjectionParms projection;
    projection.SetProjection(kv::WorldData::kSinusoidalId);
    projection.SetScale(1.0);
    projection.SetOffset(0.00001, 0.00001);
    kv::GeoBuffers target;
    target.Allocate(kv::WorldData::kMapSize, kv::WorldData::kMapSize);
    kv::VideoBuffer mask(kv::WorldData::kMapSize, kv::WorldData::kMapSize);
    kv::SurfaceSampler sampler(&projection, &b.world, nullptr, 1);
    for (auto _ : state)
        sampler.RenderRect(&target, nullptr, &mask, 0, 0, kv::WorldData::kMapSize - 1, kv::WorldData::kMapSize - 1);
    state.SetItemsProcessed(state.iterations() * kv::WorldData::kMapSize * kv::WorldData::kMapSize);
}
BENCHMARK(BM_BareRenderRect384)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
