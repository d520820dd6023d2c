// The paint brush: stamps on a 4096 x 2048 channel under a feathered selection at sizes 3 to
// 512 beside a plain loop of the same arithmetic on the same cells; value and range set
// before each stamp (no rebuild); a 64 x 64 block of a lit 1024 x 512 view rendered from the
// stored positions and from scratch; and whole paint stroke points of the view.
#include "ViewFixtures.h"

#include "base/layers/CSelection.h"
#include "shading/ShaderRegistry.h"
#include "view/CKVView.h"
#include "world/SurfBrush.h"
#include "world/SurfaceSampler.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

constexpr int kGridW = 4096, kGridH = 2048;

struct Channel {
    kv::Grid2DPtr grid = kv::Alloc2D(kGridW, kGridH, sizeof(float));
    kv::CSelection selection;
    Channel()
    {
        selection.Create(kGridW, kGridH);
        // A feathered disc over the middle.
        for (int r = 0; r < kGridH; ++r)
            for (int c = 0; c < kGridW; ++c) {
                const double d = std::hypot(c - kGridW / 2.0, (r - kGridH / 2.0) * 2.0) / (kGridH / 2.0);
                selection.SetAt(c, r, static_cast<uint8_t>(255.0 * std::clamp(1.5 - d, 0.0, 1.0)));
            }
        selection.SetActive(true);
    }
};

Channel& TheChannel()
{
    static Channel channel;
    return channel;
}

kv::BrushSettings PaintBrush(int size)
{
    kv::BrushSettings s;
    s.width = s.height = size;
    s.type = 0x103010;
    s.value = 0.001f;
    return s;
}

void BM_Stamp(benchmark::State& state)
{
    Channel& ch = TheChannel();
    kv::SurfBrush brush(PaintBrush(static_cast<int>(state.range(0))));
    for (auto _ : state)
        brush.StrokeSegment(*ch.grid, kGridW / 2, kGridH / 2, *ch.grid, kGridW / 2, kGridH / 2, &ch.selection, 0, 0);
    int w, h;
    brush.GetSize(w, h);
    state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_Stamp)->Arg(3)->Arg(31)->Arg(256)->Arg(512);

// The same cells, weights, selection and arithmetic without the brush.
void BM_PlainLoop(benchmark::State& state)
{
    Channel& ch = TheChannel();
    kv::SurfBrush brush(PaintBrush(static_cast<int>(state.range(0))));
    int w, h;
    brush.GetSize(w, h);
    const int left = kGridW / 2 - w / 2, top = kGridH / 2 - h / 2;
    kv::GridRows<float> grid = ch.grid->Rows<float>();
    kv::GridRows<const uint8_t> sel = std::as_const(*ch.selection.Cells()).Rows<uint8_t>();
    const float v = 0.001f;
    for (auto _ : state) {
        for (int i = h - 1; i >= 0; --i) {
            float* out = grid[top + i] + left;
            const uint8_t* s = sel[top + i] + left;
            for (int j = 0; j < w; ++j) {
                const float o = out[j];
                const float n = o + brush.Weight(i, j) * v;
                out[j] = o + s[j] * (1.0f / 255.0f) * (n - o);
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_PlainLoop)->Arg(3)->Arg(31)->Arg(256)->Arg(512);

void BM_SetValueRangeStamp(benchmark::State& state)
{
    Channel& ch = TheChannel();
    kv::SurfBrush brush(PaintBrush(static_cast<int>(state.range(0))));
    float value = 0.001f;
    for (auto _ : state) {
        brush.SetValue(value);
        brush.SetRange(-1e20f, 1e20f);
        brush.StrokeSegment(*ch.grid, kGridW / 2, kGridH / 2, *ch.grid, kGridW / 2, kGridH / 2, &ch.selection, 0, 0);
        value = -value;
    }
}
BENCHMARK(BM_SetValueRangeStamp)->Arg(512);

// A document whose paint steps paint its world.
struct PaintingDocument : kvtest::TestViewDocument {
    int PaintChannel(int channel, const char*, double latitude, double longitude, kv::ChannelBrush& brush,
                     bool) override
    {
        return world.BrushAtLatLon(channel, latitude, longitude, brush) < 0 ? -1 : 0;
    }
};

struct LitView {
    PaintingDocument doc;
    kv::LightParms light;
    std::unique_ptr<kv::CKVView> view;
    LitView()
    {
        doc.world.SetResolution(kv::SurfMap::kResolution1024, true);
        kv::GetShaderRegistry().Init(&doc.world, &light);
        view = std::make_unique<kv::CKVView>(doc);
        view->Projection().SetScale(0.5);
        view->SetClientSize(1024, 512);
        kvtest::WaitUntil([&] { return view->PrepareRender(); });
        view->StopRenderWorker();
    }
};

LitView& TheView()
{
    static LitView v;
    return v;
}

// Arg 1: positions stored by the full render; 0: every position computed again.
void BM_Block64(benchmark::State& state)
{
    LitView& v = TheView();
    kv::SurfaceSampler& sampler = *v.view->GetSampler();
    kv::GeoBuffers& geo = *v.view->GetGeoBuffers();
    kv::VideoBuffer image;
    kv::VideoBuffer mask;
    image.Create(1024, 512);
    mask.Create(1024, 512);
    const bool stored = state.range(0) != 0;
    for (auto _ : state) {
        geo.positionsValid = stored;
        sampler.RenderRect(&geo, &image, &mask, 480, 224, 543, 287);
    }
    geo.positionsValid = true;
    state.SetItemsProcessed(state.iterations() * 64 * 64);
}
BENCHMARK(BM_Block64)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_PaintStroke(benchmark::State& state)
{
    LitView& v = TheView();
    kv::SurfBrush brush(PaintBrush(static_cast<int>(state.range(0))));
    int x = 400;
    for (auto _ : state) {
        v.view->PaintStroke(8, x, 256, false, brush);
        x = x == 400 ? 402 : 400;
        v.view->StopRenderWorker();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PaintStroke)->Arg(31)->Arg(512)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
