// Points per second of the noise sources at 12 octaves: the built-in sums one point at a
// time and in groups (one, two or four points per register), the two plug-ins through the
// registry, and libnoise's Perlin and RidgedMulti as a peer.
#include "base/noise/CSourceDatabase.h"
#include "base/Random.h"
#include "base/noise/BuiltinNoise.h"
#include "platform/ParallelFor.h"

#include <benchmark/benchmark.h>
// The peer library's headers have unused parameters; keep our build warning-free.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <noise.h>
#pragma GCC diagnostic pop

#include <array>
#include <cmath>

namespace {

constexpr int kOctaves = 12;
constexpr size_t kPointCount = 4096;

// Points on a unit sphere scaled into a few noise cells, as a world samples them.
struct Points {
    std::array<double, kPointCount> x, y, z;
    Points()
    {
        for (size_t i = 0; i < kPointCount; ++i) {
            const double lat = std::asin(2.0 * ((i * 0.618034) - std::floor(i * 0.618034)) - 1.0);
            const double lon = i * 2.399963;
            x[i] = 3.0 * std::cos(lat) * std::cos(lon) + 1.5;
            y[i] = 3.0 * std::cos(lat) * std::sin(lon) - 0.7;
            z[i] = 3.0 * std::sin(lat) + 4.2;
        }
    }
};
const Points& SamplePoints()
{
    static const Points points;
    return points;
}

void PrepareBuiltins()
{
    kv::SRand(12345);
    kv::RebuildNoiseTables();
}

void BM_BuiltinFractalBrownianSum(benchmark::State& state)
{
    PrepareBuiltins();
    const Points& p = SamplePoints();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kv::FractalBrownianSum(p.x[i], p.y[i], p.z[i], 1.0, 2.0, kOctaves, -1));
        i = (i + 1) % kPointCount;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuiltinFractalBrownianSum);

void BM_BuiltinRidgedMultifractalSum(benchmark::State& state)
{
    PrepareBuiltins();
    const Points& p = SamplePoints();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kv::RidgedMultifractalSum(p.x[i], p.y[i], p.z[i], 1.0, 2.0, kOctaves, 1.0, 1.0, -1));
        i = (i + 1) % kPointCount;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuiltinRidgedMultifractalSum);

// The group forms over all 4096 points at once; the argument is the lane count (1, 2, or
// 0 for the widest the processor runs).
void BM_BuiltinFractalBrownianSums(benchmark::State& state)
{
    PrepareBuiltins();
    const Points& p = SamplePoints();
    std::array<double, kPointCount> out;
    const int lanes = static_cast<int>(state.range(0));
    for (auto _ : state) {
        kv::FractalBrownianSums(kPointCount, p.x.data(), p.y.data(), p.z.data(), 1.0, 2.0, kOctaves, -1, out.data(),
                                lanes);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kPointCount);
    state.counters["lanes"] = lanes > 0 ? lanes : kv::NoiseLaneWidth();
}
BENCHMARK(BM_BuiltinFractalBrownianSums)->Arg(1)->Arg(2)->Arg(0);

void BM_BuiltinRidgedMultifractalSums(benchmark::State& state)
{
    PrepareBuiltins();
    const Points& p = SamplePoints();
    std::array<double, kPointCount> out;
    const int lanes = static_cast<int>(state.range(0));
    for (auto _ : state) {
        kv::RidgedMultifractalSums(kPointCount, p.x.data(), p.y.data(), p.z.data(), 1.0, 2.0, kOctaves, 1.0, 1.0, -1,
                                   out.data(), lanes);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kPointCount);
    state.counters["lanes"] = lanes > 0 ? lanes : kv::NoiseLaneWidth();
}
BENCHMARK(BM_BuiltinRidgedMultifractalSums)->Arg(1)->Arg(2)->Arg(0);

// The widest lanes on one thread and on every core at once, each thread with its own
// output: the same amount of work per thread, so time(all) / time(one) shows what the
// machine gives for this arithmetic with every core busy (1.0 when cores share nothing).
void BM_RidgedSumsEveryCore(benchmark::State& state)
{
    PrepareBuiltins();
    const Points& p = SamplePoints();
    const int threads = state.range(0) == 0 ? kv::HardwareThreads() : 1;
    for (auto _ : state)
        kv::ParallelRows(
            threads,
            [&](int, int) {
                std::array<double, kPointCount> out;
                kv::RidgedMultifractalSums(kPointCount, p.x.data(), p.y.data(), p.z.data(), 1.0, 2.0, kOctaves, 1.0,
                                           1.0, -1, out.data(), 0);
                benchmark::DoNotOptimize(out.data());
            },
            threads);
    state.counters["threads"] = threads;
}
BENCHMARK(BM_RidgedSumsEveryCore)->Arg(1)->Arg(0)->UseRealTime();

// TexEval through a registry entry, on the evaluator's own copy of the record, exactly as
// a world samples a source.
void PluginEval(benchmark::State& state, int id)
{
    kv::CSourceDatabase db;
    db.LoadSources(KV_PLUGIN_DIR);
    const kv::CSourceDatabase::SourceEntry* entry = nullptr;
    if (db.FindById(id, &entry) < 0) {
        state.SkipWithError("plug-in not found in " KV_PLUGIN_DIR);
        return;
    }
    kv::TexParms parms{};
    parms.size = kv::kTexParmsSize;
    parms.H = 1.0;
    parms.lacunarity = 2.0;
    parms.octaves = kOctaves;
    parms.seed = 12345;
    parms.octaveMask = -1;
    parms.extras[0] = 1.0;
    parms.extras[1] = 1.0;
    entry->Destroy(parms);
    entry->Create(parms);
    const Points& p = SamplePoints();
    size_t i = 0;
    for (auto _ : state) {
        kv::TexParms local = parms;
        local.point[0] = p.x[i];
        local.point[1] = p.y[i];
        local.point[2] = p.z[i];
        benchmark::DoNotOptimize(entry->Evaluate(local));
        i = (i + 1) % kPointCount;
    }
    state.SetItemsProcessed(state.iterations());
}
void BM_PluginTexEvalRidged(benchmark::State& state) { PluginEval(state, 19); }
void BM_PluginTexEvalFBm(benchmark::State& state) { PluginEval(state, 18); }
BENCHMARK(BM_PluginTexEvalRidged);
BENCHMARK(BM_PluginTexEvalFBm);

template <typename Module>
void LibnoiseModule(benchmark::State& state)
{
    Module module;
    module.SetOctaveCount(kOctaves);
    module.SetFrequency(1.0);
    module.SetLacunarity(2.0);
    const Points& p = SamplePoints();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(module.GetValue(p.x[i], p.y[i], p.z[i]));
        i = (i + 1) % kPointCount;
    }
    state.SetItemsProcessed(state.iterations());
}
void BM_LibnoisePerlin(benchmark::State& state) { LibnoiseModule<noise::module::Perlin>(state); }
void BM_LibnoiseRidgedMulti(benchmark::State& state) { LibnoiseModule<noise::module::RidgedMulti>(state); }
BENCHMARK(BM_LibnoisePerlin);
BENCHMARK(BM_LibnoiseRidgedMulti);

} // namespace

BENCHMARK_MAIN();
