// The map-editing tools at 4096 x 2048: every gradient kind with an active selection on all
// cores and on one core against a bare loop of the gradient value on one core and on all; the selection
// colour pick over three overlays (through the view's dispatch) against a bare CompositeAt
// loop on all cores. Before anything is timed, each kind is rendered on one core and on
// all cores and the cells compared.
#include "base/Progress.h"
#include "base/Undo.h"
#include "base/layers/ImageOverlay.h"
#include "document/CKVDoc.h"
#include "platform/ParallelFor.h"
#include "view/ViewInput.h"
#include "view/tools/MouseTool.h"
#include "world/GradientRenderers.h"
#include "world/SurfMap.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

constexpr int kWidth = 4096;
constexpr int kChannel = 2;

kv::GradientSetup Setup()
{
    kv::GradientSetup s;
    s.curve = 1;
    s.startX = 1000.5;
    s.startY = 700.25;
    s.endX = 2900.0;
    s.endY = 1400.0;
    s.startValue = -50.0;
    s.endValue = 300.0;
    s.operation = 1;
    return s;
}

struct GradientScene {
    kv::SurfMap world;
    GradientScene()
    {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        if (world.SetResolution(kWidth, false) != 0)
            std::abort();
        int w = 0, h = 0;
        world.GetGridDims(w, h);
        world.selection.Create(w, h);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                world.selection.SetAt(c, r, static_cast<uint8_t>((c * 7 + r * 3) & 0xFF));
    }
};

GradientScene& TheGradientScene()
{
    static GradientScene scene;
    return scene;
}

bool SameCells(int kind)
{
    kv::SurfMap& world = TheGradientScene().world;
    kv::SurfMap a, b;
    a.SetResolution(kWidth, false);
    b.SetResolution(kWidth, false);
    a.selection = world.selection;
    b.selection = world.selection;
    kv::RenderGradient(a, kChannel, kind, Setup(), 1);
    kv::RenderGradient(b, kChannel, kind, Setup(), 0);
    return std::memcmp(a.Channel(kChannel)->Data(), b.Channel(kChannel)->Data(), a.Channel(kChannel)->ByteCount()) == 0;
}

void BM_Gradient(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    kv::SurfMap& world = TheGradientScene().world;
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::RenderGradient(world, kChannel, kind, Setup(), threads));
    state.SetLabel(threads == 1 ? "one core" : "all cores");
}

void BM_BareGradientLoop(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    kv::SurfMap& world = TheGradientScene().world;
    int w = 0, h = 0;
    world.GetGridDims(w, h);
    const kv::GradientField field(kind, Setup());
    std::vector<float> out(static_cast<size_t>(w));
    for (auto _ : state) {
        for (int i = 0; i < h; ++i) {
            for (int j = 0; j < w; ++j)
                out[static_cast<size_t>(j)] = static_cast<float>(field.At(j, i));
            benchmark::DoNotOptimize(out.data());
        }
    }
}

// The same bare loop on all cores, rows handed out one at a time, nothing shared but the
// field: what the machine itself gives for this arithmetic on all cores.
void BM_BareGradientLoopAllCores(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    kv::SurfMap& world = TheGradientScene().world;
    int w = 0, h = 0;
    world.GetGridDims(w, h);
    const kv::GradientField field(kind, Setup());
    const int threads = kv::HardwareThreads();
    for (auto _ : state) {
        std::atomic<int> next{0};
        kv::ParallelRows(
            threads,
            [&](int, int) {
                std::vector<float> out(static_cast<size_t>(w));
                for (int i = next.fetch_add(1); i < h; i = next.fetch_add(1)) {
                    for (int j = 0; j < w; ++j)
                        out[static_cast<size_t>(j)] = static_cast<float>(field.At(j, i));
                    benchmark::DoNotOptimize(out.data());
                }
            },
            threads);
    }
}

// ---- colour pick ----

struct PickHost : kv::ToolHost {
    kv::CKVDoc* doc = nullptr;
    kv::SurfMap* World() override { return &doc->GetWorld(); }
    kv::CKVDoc* EditedDocument() override { return doc; }
    bool PixelToLatLon(int x, int y, double& lat, double& lon) override
    {
        lat = 90.0 - y;
        lon = x - 180.0;
        return true;
    }
};

struct PickScene {
    kv::CKVDoc doc;
    PickHost host;
    std::unique_ptr<kv::ViewInput> input;
    PickScene()
    {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        kv::GetUndoList().SetDepth(1);
        if (doc.GetWorld().SetResolution(kWidth, false) != 0)
            std::abort();
        for (int k = 0; k < 3; ++k) {
            kv::ImageOverlay* o = doc.GetOverlays().AddNamed("layer", 1024, 512, true);
            for (int r = 0; r < 512; ++r)
                for (int c = 0; c < 1024; ++c)
                    o->PixelRow(r)[c] = ((c / 64 + r / 64 + k) % 3 == 0) ? 0xFF0000FFu : (k == 2 ? 0u : 0x80FF0000u);
        }
        host.doc = &doc;
        input = std::make_unique<kv::ViewInput>(host);
        input->SetTool(34, 0);
    }
};

PickScene& ThePickScene()
{
    static PickScene scene;
    return scene;
}

void BM_ColourPick(benchmark::State& state)
{
    PickScene& s = ThePickScene();
    for (auto _ : state)
        s.input->OnMouse(kv::kToolMsgLButtonDown, kv::kToolFlagLButton, 3, 3);
}

void BM_BareCompositeAt(benchmark::State& state)
{
    PickScene& s = ThePickScene();
    const kv::ImageOverlayList& overlays = s.doc.GetOverlays();
    const int w = s.doc.GetSelection().GetWidth(), h = s.doc.GetSelection().GetHeight();
    for (auto _ : state) {
        std::atomic<uint32_t> sink{0};
        std::lock_guard<std::recursive_mutex> lock(kv::OverlayLock());
        kv::ParallelRows(h, [&](int begin, int end) {
            uint32_t acc = 0;
            for (int i = begin; i < end; ++i)
                for (int j = 0; j < w; ++j)
                    acc += overlays.CompositeAt(i * 180.0 / (h - 1) - 90.0, j * 360.0 / (w - 1) - 180.0, 0.0, j, i);
            sink += acc;
        });
        benchmark::DoNotOptimize(sink.load());
    }
}

} // namespace

int main(int argc, char** argv)
{
    for (int kind = 0; kind < kv::kGradientKindCount; ++kind)
        if (!SameCells(kind)) {
            std::fprintf(stderr, "gradient kind %d differs between one core and all cores\n", kind);
            return 1;
        }
    for (int kind = 0; kind < kv::kGradientKindCount; ++kind) {
        benchmark::RegisterBenchmark("Gradient/all_cores", BM_Gradient)->Args({kind, 0})->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Gradient/one_core", BM_Gradient)->Args({kind, 1})->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BareGradientLoop/one_core", BM_BareGradientLoop)->Arg(kind)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BareGradientLoop/all_cores", BM_BareGradientLoopAllCores)
            ->Arg(kind)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("ColourPick/three_overlays", BM_ColourPick)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BareCompositeAt/three_overlays", BM_BareCompositeAt)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
