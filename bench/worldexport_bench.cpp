// The whole-world exports of the default world: sphere map and icosahedral net at 4096,
// 36 spin frames at 512 and Special MDR at 4096, each on one core and on all cores, with
// the bare work they stand on beside them (the net's remap alone, 36 bare frame computes,
// bare GetAltitude of the Special MDR's points). Every multi-core case first checks that
// it gives the same bytes as one core.
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "exchange/CMovieFrameWriter.h"
#include "exchange/IcosahedralNet.h"
#include "exchange/RowBlocks.h"
#include "exchange/SpecialMDR.h"
#include "exchange/SpinSequence.h"
#include "projection/ProjectionParms.h"
#include "view/CRawImage.h"
#include "world/SurfaceSampler.h"

#include "DocumentFixtures.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

constexpr int kWorldWidth = 4096;
constexpr int kFrameSize = 512;
constexpr int kFrames = 36;

struct Bench {
    Bench()
    {
        doc.OnNewDocument();
        folder = std::filesystem::temp_directory_path() / "kv-worldexport-bench";
        std::filesystem::create_directories(folder);
    }
    ~Bench() { std::filesystem::remove_all(folder); }
    std::string Path(const std::string& name) const { return (folder / name).string(); }

    DocumentEnvironment env;
    kv::CKVDoc doc;
    std::filesystem::path folder;
};

Bench& TheBench()
{
    static Bench bench;
    return bench;
}

std::vector<char> FileBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool Same(const kv::VideoBuffer& a, const kv::VideoBuffer& b)
{
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           std::equal(a.GetBits(), a.GetBits() + a.RowBytes() * a.GetHeight(), b.GetBits());
}

bool RenderSphere(kv::CRawImage& image, int threads)
{
    image.SetThreads(threads);
    return TheBench().doc.RenderWorldImage(kWorldWidth, image, -1) == 0;
}

void MakeNet(const kv::VideoBuffer& sphere, kv::VideoBuffer& net, int threads)
{
    net.Create(kWorldWidth, kv::IcosahedralNetHeight(kWorldWidth), 32);
    kv::StretchToNet(sphere, net, threads);
    kv::RemapIcosahedral(net, 0xFFFFFF, threads);
}

// ---- sphere map and net

void BM_SphereMap(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        kv::CRawImage image;
        if (!RenderSphere(image, threads))
            state.SkipWithError("render failed");
        benchmark::DoNotOptimize(image.ColorBuffer().GetBits());
    }
}

void BM_IcosahedralNet(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    {
        kv::CRawImage one, all;
        kv::VideoBuffer netOne, netAll;
        RenderSphere(one, 1);
        RenderSphere(all, threads);
        MakeNet(one.ColorBuffer(), netOne, 1);
        MakeNet(all.ColorBuffer(), netAll, threads);
        if (!Same(one.ColorBuffer(), all.ColorBuffer()) || !Same(netOne, netAll)) {
            state.SkipWithError("threads change the pixels");
            return;
        }
    }
    for (auto _ : state) {
        kv::CRawImage image;
        kv::VideoBuffer net;
        RenderSphere(image, threads);
        MakeNet(image.ColorBuffer(), net, threads);
        benchmark::DoNotOptimize(net.GetBits());
    }
}

void BM_NetRemapOnly(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    kv::CRawImage image;
    RenderSphere(image, 0);
    kv::VideoBuffer stretched;
    stretched.Create(kWorldWidth, kv::IcosahedralNetHeight(kWorldWidth), 32);
    kv::StretchToNet(image.ColorBuffer(), stretched, 0);
    for (auto _ : state) {
        state.PauseTiming();
        kv::VideoBuffer net = stretched;
        state.ResumeTiming();
        kv::RemapIcosahedral(net, 0xFFFFFF, threads);
        benchmark::DoNotOptimize(net.GetBits());
    }
}

// ---- spin frames

void BM_SpinFrames(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    kv::SurfaceSampler* sampler = TheBench().doc.GetSampler();
    kv::SpinSettings settings;
    settings.size = kFrameSize;
    settings.frames = kFrames;
    settings.shaded = true;
    {
        kv::CBMPFrameWriter one, all;
        settings.path = TheBench().Path("one.bmp");
        kv::WriteSpinFrames(*sampler, settings, one, nullptr, 1);
        settings.path = TheBench().Path("all.bmp");
        kv::WriteSpinFrames(*sampler, settings, all, nullptr, threads);
        for (int k : {0, 17, 35})
            if (FileBytes(one.FrameName(k)) != FileBytes(all.FrameName(k))) {
                state.SkipWithError("threads change the frames");
                return;
            }
    }
    settings.path = TheBench().Path("spin.bmp");
    for (auto _ : state) {
        kv::CBMPFrameWriter writer;
        if (kv::WriteSpinFrames(*sampler, settings, writer, nullptr, threads) != 0)
            state.SkipWithError("spin failed");
    }
}

void BM_Spin36Computes(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    kv::SurfaceSampler* sampler = TheBench().doc.GetSampler();
    for (auto _ : state) {
        for (int k = 0; k < kFrames; ++k) {
            kv::ProjectionParms orthographic;
            orthographic.SetProjection(9);
            orthographic.SetCenter(0.0, k * 10.0);
            kv::CRawImage image(sampler);
            image.SetSize(kFrameSize, kFrameSize);
            image.SetProjection(&orthographic);
            image.SetThreads(threads);
            image.Compute(nullptr, true, false);
            benchmark::DoNotOptimize(image.ColorBuffer().GetBits());
        }
    }
}

// ---- Special MDR

void BM_SpecialMDR(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    kv::SurfaceSampler& sampler = *TheBench().doc.GetSampler();
    if (threads != 1) {
        kv::WriteSpecialMDRFile(sampler, TheBench().Path("one.mdr"), kWorldWidth, false, true, 1);
        kv::WriteSpecialMDRFile(sampler, TheBench().Path("all.mdr"), kWorldWidth, false, true, threads);
        if (FileBytes(TheBench().Path("one.mdr")) != FileBytes(TheBench().Path("all.mdr"))) {
            state.SkipWithError("threads change the samples");
            return;
        }
    }
    for (auto _ : state)
        if (kv::WriteSpecialMDRFile(sampler, TheBench().Path("world.mdr"), kWorldWidth, false, true, threads) != 0)
            state.SkipWithError("write failed");
}

// GetAltitude of the same points with nothing else: one sampler copy per thread, rows
// taken in turn.
void BM_BareGetAltitude(benchmark::State& state)
{
    const int threads = kv::RowBlockThreads(static_cast<int>(state.range(0)), kWorldWidth / 2);
    const kv::SurfaceSampler& sampler = *TheBench().doc.GetSampler();
    const int height = kWorldWidth / 2;
    for (auto _ : state) {
        std::vector<std::unique_ptr<kv::SurfaceSampler>> copies;
        for (int i = 0; i < threads; ++i)
            copies.push_back(std::make_unique<kv::SurfaceSampler>(sampler));
        std::vector<float> sums(static_cast<size_t>(threads) * 16);
        kv::RunRowBlocks(
            height, threads, height,
            [&](int row, int slot) {
                kv::NoiseEvaluationScope evaluating;
                const double latitude = 90.0 - row * 180.0 / (height - 1);
                float sum = 0;
                for (int i = 0; i < kWorldWidth; ++i)
                    sum += copies[static_cast<size_t>(slot)]->GetAltitude(latitude, i * 360.0 / (kWorldWidth - 1) - 180);
                sums[static_cast<size_t>(slot) * 16] += sum;
            },
            [](int, int) { return true; });
        benchmark::DoNotOptimize(sums.data());
    }
}

} // namespace

// Argument: threads (1: one core, 0: every core).
BENCHMARK(BM_SphereMap)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_IcosahedralNet)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_NetRemapOnly)->Arg(1)->Arg(2)->Arg(4)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_SpinFrames)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Spin36Computes)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SpecialMDR)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_BareGetAltitude)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
