// Whole-world terrain grids of the default world: the altitude grid on all cores against
// one sampler, the basin fill against a plain binary-heap flood with the same rule, and
// the river stages at 4096 x 2048 (each should cost less than the fill) and at 1024 x 512
// beside the stages done cell by cell (every walk walked, a full rescan per river).
// Every pair is checked for identical grids or rivers before it is timed.
#include "RiverLiteral.h"
#include "WorldFixtures.h"
#include "base/Progress.h"
#include "base/layers/ImageOverlay.h"
#include "platform/ParallelFor.h"
#include "projection/ProjectionParms.h"
#include "world/BasinFill.h"
#include "world/RiverGrids.h"
#include "world/SurfaceSampler.h"
#include "world/SurfMap.h"
#include "world/GridGeometry.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <queue>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// CPU seconds of the whole process (every thread).
double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

double Seconds(const std::function<void()>& body)
{
    const auto start = Clock::now();
    body();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool Same(const kv::Grid2D* a, const kv::Grid2D* b)
{
    return kv::Equal2D(a, b) == 1;
}

kv::SurfMap& DefaultWorld()
{
    static kv::SurfMap* world = [] {
        auto* w = new kv::SurfMap;
        RecalculateWorld(*w);
        return w;
    }();
    return *world;
}

// The altitude grid of one sampler, row after row.
kv::Grid2DPtr HeightGridOneCore(int w, int h)
{
    kv::ProjectionParms projection;
    kv::SurfaceSampler sampler(&projection, &DefaultWorld(), nullptr, 1);
    kv::Grid2DPtr grid = kv::Alloc2D(w, h, sizeof(float));
    kv::NoiseEvaluationScope evaluating;
    for (int r = 0; r < h; ++r) {
        const double latitude = kv::GridRowLatitude(r, h);
        for (int c = 0; c < w; ++c)
            grid->Row<float>(r)[c] = sampler.GetAltitude(latitude, kv::GridColumnLongitude(c, w));
    }
    return grid;
}

// The world sampled as Find Rivers samples it, filled, with directions, flow and reach.
struct RiverWorld {
    int w, h;
    kv::Grid2DPtr raw, z, water, rain, dir, flow, reach;
    double fillSeconds = 0.0;

    RiverWorld(int width, int height) : w(width), h(height)
    {
        raw = kv::ComputeHeightGrid(DefaultWorld(), w, h, "Calculating World Heights");
        water = kv::Alloc2D(w, h, sizeof(float));
        rain = kv::Alloc2D(w, h, sizeof(float));
        kv::ProjectionParms projection;
        const kv::SurfaceSampler prototype(&projection, &DefaultWorld(), nullptr, 1);
        kv::ParallelRows(h, [&](int begin, int end) {
            kv::SurfaceSampler sampler(prototype);
            kv::NoiseEvaluationScope evaluating;
            for (int r = begin; r < end; ++r)
                for (int c = 0; c < w; ++c) {
                    float rainfall = 0, temperature = 0;
                    int climate = 0;
                    sampler.GetClimate(kv::GridRowLatitude(r, h), kv::GridColumnLongitude(c, w),
                                       raw->Row<float>(r)[c], rainfall, temperature, climate,
                                       &water->Row<float>(r)[c]);
                    rain->Row<float>(r)[c] = rainfall;
                }
        });
        z = kv::Alloc2D(w, h, sizeof(float));
        fillSeconds = Seconds([&] { kv::FillBasins(raw.get(), water.get(), z.get(), w, h, 0.0f); });
        dir = kv::Alloc2D(w, h, 1);
        flow = kv::Alloc2D(w, h, sizeof(float));
        reach = kv::Alloc2D(w, h, sizeof(float));
        kv::FindRiverDirections(*z, *water, *dir);
        kv::AccumulateRiverFlow(*dir, *rain, *flow, *reach);
    }
};

RiverWorld& Rivers(int width)
{
    static std::unique_ptr<RiverWorld> large, small;
    std::unique_ptr<RiverWorld>& slot = width == 4096 ? large : small;
    if (!slot) {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        slot = std::make_unique<RiverWorld>(width, width / 2);
    }
    return *slot;
}

// ---- the basin fill ----

constexpr float kDrop[8] = {kv::kBasinCornerDrop, kv::kBasinEdgeDrop, kv::kBasinCornerDrop, kv::kBasinEdgeDrop,
                            kv::kBasinCornerDrop, kv::kBasinEdgeDrop, kv::kBasinCornerDrop, kv::kBasinEdgeDrop};
constexpr int kRow[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
constexpr int kCol[8] = {-1, 0, 1, 1, 1, 0, -1, -1};

// The same rule through std::priority_queue: every cell, its final value included, goes
// through the heap, and is final when it leaves it.
void PlainFlood(const kv::Grid2D& zGrid, const kv::Grid2D& lGrid, kv::Grid2D& fGrid)
{
    const int w = static_cast<int>(zGrid.Width()), h = static_cast<int>(zGrid.Height());
    const float* z = zGrid.DataAs<float>();
    const float* l = lGrid.DataAs<float>();
    float* f = fGrid.DataAs<float>();
    std::vector<std::uint8_t> final(static_cast<std::size_t>(w) * h);
    using Item = std::pair<float, std::uint32_t>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
    auto border = [&](int r, int c) { return r == 0 || r == h - 1 || c == 0 || c == w - 1; };
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const std::size_t i = static_cast<std::size_t>(r) * w + c;
            f[i] = l[i] > z[i] ? l[i] : (border(r, c) ? z[i] : 1e20f);
            if (f[i] < 1e20f)
                queue.push({f[i], static_cast<std::uint32_t>(i)});
        }
    while (!queue.empty()) {
        const auto [value, cell] = queue.top();
        queue.pop();
        if (final[cell] || value != f[cell])
            continue;
        final[cell] = 1;
        const int r = static_cast<int>(cell / w), c = static_cast<int>(cell % w);
        const bool drained = border(r, c) || value == z[cell];
        for (int k = 0; k < 8; ++k) {
            const int nr = r + kRow[k], nc = c + kCol[k];
            if (nr < 0 || nr >= h || nc < 0 || nc >= w)
                continue;
            const std::size_t n = static_cast<std::size_t>(nr) * w + nc;
            if (final[n])
                continue;
            const float candidate = value + kDrop[k];
            if (border(nr, nc)) {
                if (drained && z[n] >= candidate && f[n] != z[n]) {
                    f[n] = z[n];
                    queue.push({f[n], static_cast<std::uint32_t>(n)});
                }
                continue;
            }
            const float next = z[n] >= candidate ? z[n] : candidate;
            if (next < f[n]) {
                f[n] = next;
                queue.push({next, static_cast<std::uint32_t>(n)});
            }
        }
    }
    for (std::size_t i = 0; i < final.size(); ++i)
        if (l[i] > z[i])
            f[i] = z[i];
}

void BM_FillBasins(benchmark::State& state)
{
    RiverWorld& world = Rivers(4096);
    kv::Grid2DPtr plain = kv::Alloc2D(world.w, world.h, sizeof(float));
    const double plainSeconds = Seconds([&] { PlainFlood(*world.raw, *world.water, *plain); });
    if (!Same(plain.get(), world.z.get())) {
        state.SkipWithError("the fill differs from the plain flood");
        return;
    }
    kv::Grid2DPtr f = kv::Alloc2D(world.w, world.h, sizeof(float));
    double ours = 0.0;
    for (auto _ : state)
        ours += Seconds([&] { kv::FillBasins(world.raw.get(), world.water.get(), f.get(), world.w, world.h, 0.0f); });
    state.counters["plain_heap_s"] = plainSeconds;
    state.counters["speedup_vs_plain"] = plainSeconds / (ours / static_cast<double>(state.iterations()));
    state.SetLabel("4096 x 2048, one core");
}
BENCHMARK(BM_FillBasins)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- the altitude grid ----

void BM_HeightGridAllCores(benchmark::State& state)
{
    const int w = 4096, h = 2048;
    kv::SetProgressHooks(kv::SilentProgressHooks());
    kv::Grid2DPtr single;
    const double oneCoreCpuBefore = ProcessCpuSeconds();
    const double oneCore = Seconds([&] { single = HeightGridOneCore(w, h); });
    const double oneCoreCpu = ProcessCpuSeconds() - oneCoreCpuBefore;
    kv::Grid2DPtr grid;
    double all = 0.0, cpu = 0.0;
    for (auto _ : state) {
        const double cpuBefore = ProcessCpuSeconds();
        all += Seconds([&] { grid = kv::ComputeHeightGrid(DefaultWorld(), w, h, "Calculating World Heights"); });
        cpu += ProcessCpuSeconds() - cpuBefore;
        if (!Same(grid.get(), single.get())) {
            state.SkipWithError("the grid differs from one sampler's");
            return;
        }
    }
    const double perRun = all / static_cast<double>(state.iterations());
    state.counters["one_core_s"] = oneCore;
    state.counters["threads"] = kv::HardwareThreads();
    state.counters["efficiency"] = oneCore / (kv::HardwareThreads() * perRun);
    // On a shared machine the wall-clock efficiency also counts cores taken by others; the
    // CPU time spent against one core's shows the work the spreading adds.
    state.counters["cpu_over_one_core"] = cpu / static_cast<double>(state.iterations()) / oneCoreCpu;
    state.SetLabel("4096 x 2048");
}
BENCHMARK(BM_HeightGridAllCores)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// ---- rivers at 4096 x 2048: each stage against the fill ----

void ReportAgainstFill(benchmark::State& state, const RiverWorld& world, double seconds)
{
    state.counters["fill_s"] = world.fillSeconds;
    state.counters["share_of_fill"] = seconds / static_cast<double>(state.iterations()) / world.fillSeconds;
}

void BM_RiverDirections(benchmark::State& state)
{
    RiverWorld& world = Rivers(4096);
    kv::Grid2DPtr dir = kv::Alloc2D(world.w, world.h, 1);
    double seconds = 0.0;
    for (auto _ : state)
        seconds += Seconds([&] { kv::FindRiverDirections(*world.z, *world.water, *dir); });
    ReportAgainstFill(state, world, seconds);
}
BENCHMARK(BM_RiverDirections)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RiverAccumulation(benchmark::State& state)
{
    RiverWorld& world = Rivers(4096);
    kv::Grid2DPtr flow = kv::Alloc2D(world.w, world.h, sizeof(float));
    kv::Grid2DPtr reach = kv::Alloc2D(world.w, world.h, sizeof(float));
    double seconds = 0.0;
    for (auto _ : state)
        seconds += Seconds([&] { kv::AccumulateRiverFlow(*world.dir, *world.rain, *flow, *reach); });
    ReportAgainstFill(state, world, seconds);
}
BENCHMARK(BM_RiverAccumulation)->Unit(benchmark::kMillisecond)->UseRealTime();

struct Preview {
    kv::ImageOverlay overlay;
    float cut = 0.0f;
    Preview(const RiverWorld& world, float threshold)
    {
        overlay.SetGeometry(world.w, world.h, -180, 90, 180, -90);
        overlay.AllocatePixels();
        float minimum = 0, maximum = 0;
        kv::RiverGridRange(*world.flow, minimum, maximum);
        cut = (maximum - minimum) * threshold;
        kv::FillRiverPreview(overlay, *world.flow, cut, 0xFFC04000, nullptr);
    }
};

void BM_RiverPreview(benchmark::State& state)
{
    RiverWorld& world = Rivers(4096);
    Preview preview(world, 0.02f);
    double seconds = 0.0;
    for (auto _ : state)
        seconds += Seconds([&] { kv::FillRiverPreview(preview.overlay, *world.flow, preview.cut, 0xFFC04000, nullptr); });
    ReportAgainstFill(state, world, seconds);
}
BENCHMARK(BM_RiverPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

kv::RiverRoutingInput RoutingInput(const RiverWorld& world, const Preview& preview)
{
    kv::RiverRoutingInput in;
    in.value = world.flow.get();
    in.altitude = world.z.get();
    in.waterLevel = world.water.get();
    in.preview = &preview.overlay;
    in.cut = preview.cut;
    in.colour = 0xFFC04000;
    return in;
}

void BM_RiverRouting(benchmark::State& state)
{
    RiverWorld& world = Rivers(4096);
    Preview preview(world, 0.02f);
    const kv::RiverRoutingInput in = RoutingInput(world, preview);
    double seconds = 0.0;
    std::size_t rivers = 0;
    for (auto _ : state) {
        rivers = 0;
        seconds += Seconds([&] { kv::RouteRivers(in, [&](kv::RoutedRiver&) { ++rivers; }); });
    }
    ReportAgainstFill(state, world, seconds);
    state.counters["rivers"] = static_cast<double>(rivers);
}
BENCHMARK(BM_RiverRouting)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- rivers at 1024 x 512 beside the literal stages ----

void BM_RiverAccumulationVsWalks(benchmark::State& state)
{
    RiverWorld& world = Rivers(1024);
    kv::Grid2DPtr flow = kv::Alloc2D(world.w, world.h, sizeof(float));
    kv::Grid2DPtr reach = kv::Alloc2D(world.w, world.h, sizeof(float));
    const double walks = Seconds([&] { literal::Walks(*world.dir, *world.rain, *flow, *reach); });
    if (!Same(flow.get(), world.flow.get()) || !Same(reach.get(), world.reach.get())) {
        state.SkipWithError("flow or reach differ from the walks");
        return;
    }
    double seconds = 0.0;
    for (auto _ : state)
        seconds += Seconds([&] { kv::AccumulateRiverFlow(*world.dir, *world.rain, *flow, *reach); });
    state.counters["walks_s"] = walks;
    state.counters["walks_over_ours"] = walks / (seconds / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_RiverAccumulationVsWalks)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RiverRoutingVsRescans(benchmark::State& state)
{
    RiverWorld& world = Rivers(1024);
    Preview preview(world, 0.02f);
    const kv::RiverRoutingInput in = RoutingInput(world, preview);
    std::vector<kv::RoutedRiver> expected;
    const double rescans = Seconds([&] { expected = literal::Route(in); });
    std::vector<kv::RoutedRiver> ours;
    double seconds = 0.0;
    for (auto _ : state) {
        ours.clear();
        seconds += Seconds([&] { kv::RouteRivers(in, [&](kv::RoutedRiver& r) { ours.push_back(r); }); });
    }
    bool same = ours.size() == expected.size();
    for (std::size_t i = 0; same && i < ours.size(); ++i)
        same = ours[i].points == expected[i].points && ours[i].level == expected[i].level;
    if (!same) {
        state.SkipWithError("rivers differ from the rescans");
        return;
    }
    state.counters["rescans_s"] = rescans;
    state.counters["rescans_over_ours"] = rescans / (seconds / static_cast<double>(state.iterations()));
    state.counters["rivers"] = static_cast<double>(ours.size());
}
BENCHMARK(BM_RiverRoutingVsRescans)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
