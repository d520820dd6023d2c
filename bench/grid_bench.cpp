// Flow directions and flow accumulation over whole grids, in cells per second.
#include "base/grid/FlowDirections.h"
#include "base/grid/Grid2D.h"
#include "base/Progress.h"
#include "base/Random.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>

namespace {

// Rolling terrain with a sea below 0. Rough terrain has many pits and short paths; smooth
// terrain drains over long paths.
kv::Grid2DPtr Terrain(std::size_t w, std::size_t h, bool smooth)
{
    kv::Grid2DPtr g = kv::Alloc2D(w, h, sizeof(float));
    kv::GridRows<float> rows = g->Rows<float>();
    kv::SRand(4242);
    for (std::size_t r = 0; r < h; ++r)
        for (std::size_t c = 0; c < w; ++c) {
            const double x = 6.283185307179586 * static_cast<double>(c) / static_cast<double>(w);
            const double y = 3.141592653589793 * static_cast<double>(r) / static_cast<double>(h);
            const double v = 1000.0 * std::sin(3 * x) * std::sin(2 * y) + 400.0 * std::cos(7 * x + 5 * y) +
                             (smooth ? 5.0 : 50.0) * kv::RandomUniform() + 200.0;
            rows[r][c] = static_cast<float>(v);
        }
    return g;
}

void BM_FindFlowDirections(benchmark::State& state)
{
    const auto w = static_cast<std::size_t>(state.range(0));
    const auto h = static_cast<std::size_t>(state.range(1));
    kv::SetProgressHooks(kv::SilentProgressHooks());
    kv::Grid2DPtr heights = Terrain(w, h, true);
    kv::Grid2DPtr directions = kv::Alloc2D(w, h, 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::FindFlowDirections(heights.get(), w, h, directions.get(), true));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(w * h));
}

void BM_ComputeFlowAccumulation(benchmark::State& state)
{
    const auto w = static_cast<std::size_t>(state.range(0));
    const auto h = static_cast<std::size_t>(state.range(1));
    kv::SetProgressHooks(kv::SilentProgressHooks());
    const bool smooth = state.range(2) != 0;
    const bool uphill = state.range(3) != 0;
    kv::Grid2DPtr heights = Terrain(w, h, smooth);
    kv::Grid2DPtr counts = kv::Alloc2D(w, h, sizeof(std::int32_t));
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::ComputeFlowAccumulation(heights.get(), w, h, counts.get(), 32768, uphill, true));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(w * h));
}

} // namespace

BENCHMARK(BM_FindFlowDirections)->Args({1024, 512})->Args({4096, 2048})->Unit(benchmark::kMillisecond)->UseRealTime();
// Arguments: width, height, smooth terrain, uphill.
BENCHMARK(BM_ComputeFlowAccumulation)
    ->ArgNames({"w", "h", "smooth", "uphill"})
    ->Args({1024, 512, 0, 0})
    ->Args({1024, 512, 1, 0})
    ->Args({1024, 512, 1, 1})
    ->Args({4096, 2048, 0, 0})
    ->Args({4096, 2048, 1, 0})
    ->Args({4096, 2048, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
