// Whole-world altitude grids and what works on them: the default world at 4096 x 2048
// (and 1024 x 512 for the climate model), on one core and on all cores.
//
// Everything is measured against the altitude grid of the same world in the same run
// (HeightGrid): Incise Flow stage by stage, the seasonal climate model's passes without
// its height evaluation. The multi-core cases check that their result equals the
// one-core result before they are timed.
#include "base/grid/FlowDirections.h"
#include "base/grid/GridFilters.h"
#include "base/Progress.h"
#include "document/AshgroveClimateModel.h"
#include "projection/ProjectionParms.h"
#include "world/AltitudeGrid.h"
#include "world/IncisedFlow.h"
#include "world/SurfaceSampler.h"
#include "world/SurfMap.h"

#include "WorldFixtures.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace {

constexpr int kSilent = 0;

struct World {
    kv::SurfMap world;
    kv::ProjectionParms projection;
    std::map<int, kv::Grid2DPtr> heights; // by width

    explicit World(int width)
    {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        RecalculateWorld(world);
        if (world.SetResolution(width, false) != 0)
            std::abort();
    }
    // The altitude grid on all cores, made once.
    const kv::Grid2D& Heights()
    {
        int w = 0, h = 0;
        world.GetGridSize(w, h);
        kv::Grid2DPtr& grid = heights[w];
        if (!grid) {
            grid = kv::Alloc2D(w, h, sizeof(float));
            kv::SurfaceSampler sampler(&projection, &world, nullptr, 1);
            kv::EvaluateAltitudeGrid(sampler, *grid, kv::AltitudeGridProgress());
        }
        return *grid;
    }
};

World& DefaultWorld(int width)
{
    static std::map<int, std::unique_ptr<World>> worlds;
    std::unique_ptr<World>& w = worlds[width];
    if (!w)
        w = std::make_unique<World>(width);
    return *w;
}

int Threads(const benchmark::State& state) { return static_cast<int>(state.range(1)); }

// ---------------------------------------------------------------- altitude grid

void HeightGrid(benchmark::State& state)
{
    World& w = DefaultWorld(static_cast<int>(state.range(0)));
    int gw = 0, gh = 0;
    w.world.GetGridSize(gw, gh);
    kv::Grid2DPtr grid = kv::Alloc2D(gw, gh, sizeof(float));
    kv::SurfaceSampler sampler(&w.projection, &w.world, nullptr, 1);
    for (auto _ : state)
        kv::EvaluateAltitudeGrid(sampler, *grid, kv::AltitudeGridProgress(), Threads(state));
    if (kv::Equal2D(grid.get(), &w.Heights()) != 1)
        state.SkipWithError("altitude grid differs between thread counts");
}
BENCHMARK(HeightGrid)->Args({4096, 1})->Args({4096, 0})->Args({1024, 1})->Args({1024, 0})
    ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// ---------------------------------------------------------------- incise flow

struct InciseGrids {
    kv::Grid2DPtr heights, filled, water, offset, counts, erosion;
    kv::CSelection selection;
    explicit InciseGrids(World& w)
    {
        const kv::Grid2D& z = w.Heights();
        heights = kv::Clone2D(&z);
        filled = kv::Clone2D(&z);
        water = kv::Clone2D(w.world.Channel(kv::kChannelWaterLevel));
        offset = kv::Clone2D(w.world.Channel(kv::kChannelLandOffset));
        counts = kv::Alloc2D(z.Width(), z.Height(), sizeof(int32_t));
        erosion = kv::Alloc2D(z.Width(), z.Height(), sizeof(float));
        kv::ComputeFlowAccumulation(heights.get(), z.Width(), z.Height(), counts.get(), 32768, false, false);
    }
    kv::InciseFlowGrids Grids()
    {
        return {heights.get(), filled.get(), water.get(), offset.get(), counts.get(), erosion.get()};
    }
};

InciseGrids& Incise()
{
    static InciseGrids grids(DefaultWorld(4096));
    return grids;
}

void InciseFlowAccumulation(benchmark::State& state)
{
    InciseGrids& g = Incise();
    const auto w = g.heights->Width(), h = g.heights->Height();
    for (auto _ : state)
        kv::ComputeFlowAccumulation(g.heights.get(), w, h, g.counts.get(), 32768, false, false);
}
BENCHMARK(InciseFlowAccumulation)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The passes of Incise Flow itself: the blend of the filled surface, the erosion from the
// counts, the blur (sigma range(0), twice), the range and the cut.
void InciseOwnPasses(benchmark::State& state)
{
    InciseGrids& g = Incise();
    const float blur = static_cast<float>(state.range(0));
    kv::InciseFlowGrids grids = g.Grids();
    kv::InciseFlowSettings settings;
    settings.blur = blur;
    for (auto _ : state) {
        kv::InciseBlendFilled(grids, g.selection, Threads(state));
        kv::InciseErosionFromCounts(grids, settings.flowExponent, Threads(state));
        if (blur > 0.0f) {
            kv::GaussianBlurFloatGrid(*grids.erosion, blur);
            kv::GaussianBlurFloatGrid(*grids.erosion, blur);
        }
        float lo = 0.0f, hi = 0.0f;
        kv::InciseErosionRange(grids, lo, hi, Threads(state));
        kv::InciseCut(grids, g.selection, settings, lo, hi, Threads(state));
    }
}
BENCHMARK(InciseOwnPasses)->Args({0, 1})->Args({0, 0})->Args({2, 1})->Args({2, 0})
    ->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// ---------------------------------------------------------------- climate model

void AshgrovePasses(benchmark::State& state)
{
    World& w = DefaultWorld(static_cast<int>(state.range(0)));
    const kv::Grid2D& heights = w.Heights();
    int gw = 0, gh = 0;
    w.world.GetGridSize(gw, gh);
    kv::AshgroveClimateModel model;
    model.threads = Threads(state);
    auto copyHeights = [&](kv::Grid2D& grid, const char*) {
        std::memcpy(grid.Data(), heights.Data(), heights.ByteCount());
        return true;
    };
    for (auto _ : state)
        model.RunOn(w.world, gw, gh, copyHeights);
}
BENCHMARK(AshgrovePasses)->Args({1024, 1})->Args({1024, 0})->Args({4096, 1})->Args({4096, 0})
    ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
