// Range selections of the document at 4096 x 2048: the altitude range against the world's
// altitude grid (ComputeHeightGrid) of the same world in the same run, and the climate
// range beside them. All run on every core; before timing, the masks made on all cores are
// checked against a one-core evaluation at 1024 x 512.
#include "DocumentFixtures.h"

#include "base/Progress.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "world/AltitudeGrid.h"
#include "world/BasinFill.h"
#include "world/SurfaceSampler.h"
#include "world/GridGeometry.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(const std::function<void()>& body)
{
    const auto start = Clock::now();
    body();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct World {
    explicit World(int width)
    {
        doc.OnNewDocument();
        doc.GetWorld().SetResolution(width, false);
        RecalculateWorld(doc.GetWorld());
    }
    DocumentEnvironment env;
    kv::CKVDoc doc;
};

// The altitude range done cell by cell on the calling thread.
bool MatchesOneCore(World& w, float low, float high)
{
    kv::CKVDoc& doc = w.doc;
    doc.SelectRange(kv::CKVDoc::kRangeAltitude, low, high, 0, 0);
    const kv::CSelection& selection = doc.GetSelection();
    const kv::SurfaceSampler& sampler = *doc.GetSampler();
    const int width = selection.GetWidth(), height = selection.GetHeight();
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            double lat = 0, lon = 0;
            kv::GridCellToLatLon(c, r, width, height, lat, lon);
            const float a = sampler.GetAltitude(lat, lon);
            if (selection.GetAt(c, r) != (a >= low && a <= high ? 255 : 0))
                return false;
        }
    kv::GetUndoList().Clear();
    return true;
}

World& Large()
{
    static World* world = [] {
        {
            World check(1024);
            if (!MatchesOneCore(check, 0.0f, 1000.0f)) {
                std::fprintf(stderr, "altitude range on all cores differs from one core's\n");
                std::exit(1);
            }
        }
        return new World(4096);
    }();
    return *world;
}

void BM_AltitudeRangeSelection(benchmark::State& state)
{
    kv::CKVDoc& doc = Large().doc;
    for (auto _ : state) {
        doc.SelectRange(kv::CKVDoc::kRangeAltitude, 0.0f, 1000.0f, 0, 0);
        kv::GetUndoList().Clear();
    }
}
BENCHMARK(BM_AltitudeRangeSelection)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ComputeHeightGrid(benchmark::State& state)
{
    kv::SurfMap& world = Large().doc.GetWorld();
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::ComputeHeightGrid(world, 4096, 2048, "Calculating World Heights"));
}
BENCHMARK(BM_ComputeHeightGrid)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ClimateRangeSelection(benchmark::State& state)
{
    kv::CKVDoc& doc = Large().doc;
    int states[17] = {};
    states[3] = states[4] = 1;
    for (auto _ : state) {
        doc.SelectClimateRange(states);
        kv::GetUndoList().Clear();
    }
}
BENCHMARK(BM_ClimateRangeSelection)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Both in one run, alternating, with their ratio (the range selection should stay within
// 1.1 of the grid it evaluates the same way).
void BM_RangeAgainstHeightGrid(benchmark::State& state)
{
    World& w = Large();
    double range = 0.0, grid = 0.0;
    for (auto _ : state) {
        range += Seconds([&] { w.doc.SelectRange(kv::CKVDoc::kRangeAltitude, 0.0f, 1000.0f, 0, 0); });
        kv::GetUndoList().Clear();
        grid += Seconds([&] { benchmark::DoNotOptimize(kv::ComputeHeightGrid(w.doc.GetWorld(), 4096, 2048, "x")); });
    }
    state.counters["range_s"] = range / static_cast<double>(state.iterations());
    state.counters["grid_s"] = grid / static_cast<double>(state.iterations());
    state.counters["ratio"] = range / grid;
}
BENCHMARK(BM_RangeAgainstHeightGrid)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
