// Whole-world altitude grids and what works on them: the default world at 4096 x 2048
// (and 1024 x 512 for the climate model), on one core and on all cores.
//
// Everything is measured against ComputeHeightGrid of the same world in the same run:
// Burn In and EvaluateHeightGrid (the same banded evaluation through the document's
// sampler), Incise Flow stage by stage (heights, fill, flow counts, its own passes with
// blur 0 and 2), the seasonal climate model's passes without its height evaluation and
// its whole run. The multi-core cases check that their result equals the one-core result.
#include "base/grid/FlowDirections.h"
#include "base/grid/GridFilters.h"
#include "base/Progress.h"
#include "document/AshgroveClimateModel.h"
#include "projection/ProjectionParms.h"
#include "world/AltitudeGrid.h"
#include "world/IncisedFlow.h"
#include "world/SurfaceSampler.h"
#include "world/SurfMap.h"

#include "DocumentFixtures.h"
#include "world/BasinFill.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace {

constexpr int kSilent = 0;

// One document for every case: the noise tables are process-wide, so a second world would
// change the first one's altitudes. Its grids are made anew at each change of width; the
// cases that change the world (Incise Flow, Burn In) come last.
struct World {
    DocumentEnvironment env;
    kv::CKVDoc doc;
    kv::ProjectionParms projection;
    std::map<int, kv::Grid2DPtr> heights; // by width

    World()
    {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        doc.OnNewDocument();
    }
    kv::SurfMap& Surface() { return doc.GetWorld(); }
    void Use(int width)
    {
        int w = 0, h = 0;
        Surface().GetGridSize(w, h);
        if (w != width && Surface().SetResolution(width, false) != 0)
            std::abort();
    }
    // The altitude grid on all cores, made once per width.
    const kv::Grid2D& Heights()
    {
        int w = 0, h = 0;
        Surface().GetGridSize(w, h);
        kv::Grid2DPtr& grid = heights[w];
        if (!grid)
            grid = kv::ComputeHeightGrid(Surface(), w, h, "");
        return *grid;
    }
};

World& DefaultWorld(int width)
{
    static World world;
    world.Use(width);
    return world;
}

int Threads(const benchmark::State& state) { return static_cast<int>(state.range(1)); }

// ---------------------------------------------------------------- altitude grid

// ComputeHeightGrid runs on all cores; the one-core figure is the same banded evaluation
// on one thread.
void HeightGrid(benchmark::State& state)
{
    World& w = DefaultWorld(static_cast<int>(state.range(0)));
    int gw = 0, gh = 0;
    w.Surface().GetGridSize(gw, gh);
    w.Heights();
    kv::Grid2DPtr grid = kv::Alloc2D(gw, gh, sizeof(float));
    kv::SurfaceSampler sampler(&w.projection, &w.Surface(), nullptr, 1);
    for (auto _ : state) {
        if (Threads(state) == 1)
            kv::EvaluateAltitudeGrid(sampler, *grid, kv::AltitudeGridProgress(), 1);
        else
            grid = kv::ComputeHeightGrid(w.Surface(), gw, gh, "");
    }
    if (kv::Equal2D(grid.get(), &w.Heights()) != 1)
        state.SkipWithError("altitude grid differs between thread counts");
}
BENCHMARK(HeightGrid)->Args({4096, 1})->Args({4096, 0})->Args({1024, 1})->Args({1024, 0})
    ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void EvaluateHeightGrid(benchmark::State& state)
{
    World& w = DefaultWorld(4096);
    kv::Grid2DPtr grid = kv::Alloc2D(4096, 2048, sizeof(float));
    for (auto _ : state)
        w.doc.EvaluateHeightGrid(*grid, "");
    if (kv::Equal2D(grid.get(), &w.Heights()) != 1)
        state.SkipWithError("EvaluateHeightGrid differs from ComputeHeightGrid");
}
BENCHMARK(EvaluateHeightGrid)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// ---------------------------------------------------------------- incise flow

struct InciseGrids {
    kv::Grid2DPtr heights, filled, water, offset, counts, erosion;
    kv::CSelection selection;
    explicit InciseGrids(World& w)
    {
        const kv::Grid2D& z = w.Heights();
        heights = kv::Clone2D(&z);
        filled = kv::Clone2D(&z);
        water = kv::Clone2D(w.Surface().Channel(kv::kChannelWaterLevel));
        offset = kv::Clone2D(w.Surface().Channel(kv::kChannelLandOffset));
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

void InciseFill(benchmark::State& state)
{
    InciseGrids& g = Incise();
    const int w = static_cast<int>(g.heights->Width()), h = static_cast<int>(g.heights->Height());
    for (auto _ : state)
        kv::FillBasins(&DefaultWorld(4096).Heights(), g.water.get(), g.filled.get(), w, h, 0.0f);
}
BENCHMARK(InciseFill)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

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
    w.Surface().GetGridSize(gw, gh);
    kv::AshgroveClimateModel model;
    model.threads = Threads(state);
    auto copyHeights = [&](kv::Grid2D& grid, const char*) {
        std::memcpy(grid.Data(), heights.Data(), heights.ByteCount());
        return true;
    };
    for (auto _ : state)
        model.RunOn(w.Surface(), gw, gh, copyHeights);
}
BENCHMARK(AshgrovePasses)->Args({1024, 1})->Args({1024, 0})->Args({4096, 1})->Args({4096, 0})
    ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The whole run on the active document, its height evaluation included.
void AshgroveRun(benchmark::State& state)
{
    World& w = DefaultWorld(static_cast<int>(state.range(0)));
    int gw = 0, gh = 0;
    w.Surface().GetGridSize(gw, gh);
    ActiveDocument active(&w.doc);
    kv::AshgroveClimateModel model;
    for (auto _ : state)
        model.Run(gw, gh);
}
BENCHMARK(AshgroveRun)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// ---------------------------------------------------------------- changing the world

// The whole of Incise Flow: heights, fill, counts and passes (it changes the world).
void InciseFlowWhole(benchmark::State& state)
{
    World& w = DefaultWorld(4096);
    for (auto _ : state)
        w.doc.InciseFlow(0.0f, 1.0f, 0.6666667f, 1.0f);
}
BENCHMARK(InciseFlowWhole)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Burn In (last: it changes the world).
void BurnIn(benchmark::State& state)
{
    World& w = DefaultWorld(4096);
    for (auto _ : state)
        w.doc.BurnIn();
}
BENCHMARK(BurnIn)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
