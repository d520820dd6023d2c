// Whole-grid filters at two channel-grid sizes, in cells per second: the Gaussian blurs,
// the deterrace, the resizers and the selection's distance fill.
#include "base/layers/CSelection.h"
#include "base/grid/GridFilters.h"
#include "base/Progress.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>

using namespace kv;

namespace {

// Smooth hills quantised into 100 m steps: the flat terraces the deterrace removes.
Grid2DPtr TerracedGrid(int w, int h)
{
    Grid2DPtr g = Alloc2D(w, h, sizeof(float));
    GridRows<float> rows = g->Rows<float>();
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const double x = 2 * M_PI * c / w, y = M_PI * r / h;
            const double v = 1500 * std::sin(3 * x) * std::sin(2 * y) + 700 * std::cos(7 * x + 5 * y)
                             + 300 * std::sin(17 * x - 11 * y);
            rows[r][c] = static_cast<float>(std::floor(v / 100.0) * 100.0);
        }
    return g;
}

void SetCells(benchmark::State& state, int w, int h)
{
    const double cells = static_cast<double>(w) * h;
    state.counters["cells/s"] = benchmark::Counter(cells, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_GaussianBlurFloat(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0)), h = w / 2;
    Grid2DPtr g = TerracedGrid(w, h);
    for (auto _ : state) {
        GaussianBlurFloatGrid(*g, 2.0f);
        benchmark::DoNotOptimize(g->Data());
    }
    SetCells(state, w, h);
}

void BM_GaussianBlurBytes(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0)), h = w / 2;
    Grid2DPtr g = Alloc2D(w, h, 1);
    for (size_t i = 0; i < g->CellCount(); ++i)
        g->DataAs<uint8_t>()[i] = static_cast<uint8_t>((i * 2654435761u) >> 24);
    for (auto _ : state) {
        GaussianBlurBytes(*g, 2.0f);
        benchmark::DoNotOptimize(g->Data());
    }
    SetCells(state, w, h);
}

void BM_Deterrace(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0)), h = w / 2;
    const int directions = static_cast<int>(state.range(1));
    Grid2DPtr src = TerracedGrid(w, h);
    Grid2DPtr dst = Alloc2D(w, h, sizeof(float));
    ProgressHooks old = SetProgressHooks(SilentProgressHooks());
    for (auto _ : state) {
        DeterraceSurface(*src, *dst, directions, 1e-5f);
        benchmark::DoNotOptimize(dst->Data());
    }
    SetProgressHooks(old);
    SetCells(state, w, h);
}

void BM_ResizeFloat(benchmark::State& state)
{
    // From half the size up to the size; cells counted at the new size.
    const int w = static_cast<int>(state.range(0)), h = w / 2;
    Grid2DPtr base = TerracedGrid(w / 2, h / 2);
    for (auto _ : state) {
        state.PauseTiming();
        Grid2DPtr g = Clone2D(base.get());
        state.ResumeTiming();
        ResizeFloatGrid(g, w, h);
        benchmark::DoNotOptimize(g->Data());
    }
    SetCells(state, w, h);
}

void BM_ResizeColor(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0)), h = w / 2;
    Grid2DPtr base = Alloc2D(w / 2, h / 2, sizeof(uint32_t));
    for (size_t i = 0; i < base->CellCount(); ++i)
        base->DataAs<uint32_t>()[i] = static_cast<uint32_t>(i * 2654435761u);
    for (auto _ : state) {
        state.PauseTiming();
        Grid2DPtr g = Clone2D(base.get());
        state.ResumeTiming();
        ResizeColorGrid(g, w, h);
        benchmark::DoNotOptimize(g->Data());
    }
    SetCells(state, w, h);
}

void BM_DistanceFill(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0)), h = w / 2;
    CSelection sel;
    sel.Create(w, h);
    Grid2DPtr hills = TerracedGrid(w, h);
    sel.SelectRange(*hills, 0.0f, 0.0f, 0x20); // everything above sea level
    Grid2DPtr values = Alloc2D(w, h, sizeof(float));
    float maximum = 0;
    for (auto _ : state) {
        sel.DistanceFill(*values, &maximum, 0.0f);
        benchmark::DoNotOptimize(maximum);
    }
    SetCells(state, w, h);
}

} // namespace

BENCHMARK(BM_GaussianBlurFloat)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GaussianBlurBytes)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
// 64 directions is the global command's default; at 4096 x 2048 it takes some seconds a run.
BENCHMARK(BM_Deterrace)->Args({1024, 8})->Args({1024, 64})->Args({4096, 8})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResizeFloat)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResizeColor)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DistanceFill)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
