// Terrain tools on the default world at 4096 x 2048: the altitude grid of the math tool on
// all cores against one (identical grids checked first), colour-to-altitude against the
// deterrace filter it is built on, and the smallest crater against one copy of the grid.
#include "base/Progress.h"
#include "base/color/LightParms.h"
#include "base/grid/GridFilters.h"
#include "base/raster/VideoBuffer.h"
#include "document/AltColor.h"
#include "document/Craters.h"
#include "document/MathTool.h"
#include "document/CKVDoc.h"
#include "document/SimpleCreate.h"
#include "world/RowEvaluation.h"
#include "platform/ParallelFor.h"
#include "projection/ProjectionParms.h"
#include "world/RowEvaluation.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"
#include "world/GridGeometry.h"

#include "WorldFixtures.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int kWidth = 4096;

struct BigWorld {
    kv::SurfMap world;
    kv::ProjectionParms projection;
    kv::LightParms light;
    BigWorld()
    {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        RecalculateWorld(world);
        world.SetResolution(kWidth, false);
    }
};

BigWorld& Big()
{
    static BigWorld w;
    return w;
}

kv::Grid2DPtr AltitudeGrid(int threads)
{
    BigWorld& b = Big();
    kv::SurfaceSampler sampler(&b.projection, &b.world, &b.light, 1);
    const int W = b.world.gridWidth, H = b.world.gridHeight;
    kv::Grid2DPtr g = kv::Alloc2D(W, H, sizeof(float));
    auto rows = g->Rows<float>();
    kv::EvaluateRows(
        sampler, H,
        [&](kv::SurfaceSampler& s, int i) {
            for (int j = 0; j < W; ++j) {
                double lat, lon;
                kv::GridCellToLatLon(j, i, W, H, lat, lon);
                rows[i][j] = s.GetAltitude(lat, lon);
            }
        },
        nullptr, threads);
    return g;
}

void BM_AltitudeGrid(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0)) == 0 ? kv::HardwareThreads() : 1;
    static const bool same = [] {
        kv::Grid2DPtr one = AltitudeGrid(1), all = AltitudeGrid(0);
        return kv::Equal2D(one.get(), all.get()) == 1;
    }();
    if (!same) {
        state.SkipWithError("grids differ between one core and all cores");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(AltitudeGrid(threads));
    state.counters["threads"] = threads;
    state.counters["cells/s"] = benchmark::Counter(static_cast<double>(kWidth) * (kWidth / 2) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AltitudeGrid)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// The deterrace walks across whole flat areas in 32 directions: at 4096 x 2048 one pass
// over a picture with wide flats takes minutes, so these two run at 1024 x 512.
constexpr int kPictureWidth = 1024;

// A picture of four contour colours in bands and two basins.
kv::VideoBuffer& Picture()
{
    static kv::VideoBuffer p = [] {
        kv::VideoBuffer v;
        v.Create(kPictureWidth, kPictureWidth / 2);
        for (int y = 0; y < kPictureWidth / 2; ++y)
            for (int x = 0; x < kPictureWidth; ++x) {
                uint32_t c = 0xFFFFFFFF;
                if (x % 128 == 0)
                    c = 0xFF000000u | static_cast<uint32_t>(1 + (x / 128) % 4);
                if ((x - 250) * (x - 250) + (y - 200) * (y - 200) < 50 * 50)
                    c = 0xFF0000FF;
                if ((x - 750) * (x - 750) + (y - 300) * (y - 300) < 75 * 75)
                    c = 0xFFFF0000;
                v.SetPixel(x, y, c);
            }
        return v;
    }();
    return p;
}

void BM_ColorToAltitude(benchmark::State& state)
{
    kv::AltColorList list;
    for (uint32_t k = 1; k <= 4; ++k) {
        kv::AltColor e;
        e.color = k;
        e.altitude = static_cast<float>(k * 250);
        list.push_back(e);
    }
    for (uint32_t c : {0x0000FFu, 0xFF0000u}) {
        kv::AltColor e;
        e.color = c;
        e.altitude = 100;
        e.altitude2 = -500;
        e.kind = kv::AltColor::kBasin;
        list.push_back(e);
    }
    kv::Grid2DPtr alt = kv::Alloc2D(kPictureWidth, kPictureWidth / 2, 4);
    kv::Grid2DPtr rough = kv::Alloc2D(kPictureWidth, kPictureWidth / 2, 4);
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::ColorToAltitude(Picture(), list, *alt, *rough, 32));
}
BENCHMARK(BM_ColorToAltitude)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Deterrace32(benchmark::State& state)
{
    kv::Grid2DPtr src = kv::Alloc2D(kPictureWidth, kPictureWidth / 2, 4);
    kv::Grid2DPtr dst = kv::Alloc2D(kPictureWidth, kPictureWidth / 2, 4);
    auto rows = src->Rows<float>();
    for (int y = 0; y < kPictureWidth / 2; ++y)
        for (int x = 0; x < kPictureWidth; ++x)
            rows[y][x] = static_cast<float>((x / 128) * 250);
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::DeterraceSurface(*src, *dst, 32, 0.00001f));
}
BENCHMARK(BM_Deterrace32)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SmallestCrater(benchmark::State& state)
{
    BigWorld& b = Big();
    kv::SurfaceSampler sampler(&b.projection, &b.world, &b.light, 1);
    kv::CraterStamper stamper(b.world, &sampler);
    const float extent = static_cast<float>(kv::CraterExtentFromDiameter(6.2137117, b.world.circumference));
    for (auto _ : state)
        benchmark::DoNotOptimize(stamper.Draw(10.0f, 20.0f, extent, true, false, true));
}
BENCHMARK(BM_SmallestCrater)->Unit(benchmark::kMicrosecond);

void BM_GridCopy(benchmark::State& state)
{
    kv::Grid2D& g = *Big().world.Channel(kv::kChannelLandOffset);
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::Clone2D(&g));
}
BENCHMARK(BM_GridCopy)->Unit(benchmark::kMicrosecond);

// Simple Create at Res 1024, Rays 64 on a painted default document, against its own
// deterrace of the 1024 x 512 raw heights plus one pass of the basis over the world grid.
struct PaintedDocument {
    kv::CKVDoc doc;
    PaintedDocument()
    {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        kv::CKVDoc::SetFirstDocument(false);
        doc.GetWorld().SetResolution(1024, false);
        doc.Recalculate();
        kv::ImageOverlay* o = doc.GetOverlays().AddNamed(kv::kSimpleCreateLayer, 1024, 512, true);
        o->SetGeometry(1024, 512, -180, 90, 180, -90);
        const kv::ClimateParms& c = doc.GetWorld().climate;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 1024; ++x) {
                const int cls = (x / 128 + y / 128) % 2 ? 11 : (x < 512 ? 13 : 14);
                o->PixelRow(y)[x] = 0xFF000000u | (c.ClimateColor(cls) & 0xFFFFFF);
            }
    }
};

void BM_SimpleCreate(benchmark::State& state)
{
    static PaintedDocument painted;
    kv::SimpleCreateSettings s;
    s.resolution = 1024;
    s.rays = 64;
    for (auto _ : state) {
        for (int i = 0; i < painted.doc.GetOverlays().Count(); ++i)
            painted.doc.GetOverlays().At(i)->visible = true;
        benchmark::DoNotOptimize(painted.doc.RunSimpleCreate(s));
    }
}
BENCHMARK(BM_SimpleCreate)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_SimpleCreateParts(benchmark::State& state)
{
    static PaintedDocument painted;
    kv::Grid2DPtr src = kv::Alloc2D(1024, 512, 4), dst = kv::Alloc2D(1024, 512, 4);
    auto rows = src->Rows<float>();
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 1024; ++x)
            rows[y][x] = (x / 128 + y / 128) % 2 ? -1524.0f : 304.8f;
    kv::SurfaceSampler* sampler = painted.doc.GetSampler();
    const int W = painted.doc.GetWorld().gridWidth, H = painted.doc.GetWorld().gridHeight;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kv::DeterraceSurface(*src, *dst, 64, 1e-5f));
        double sum = 0;
        for (int i = 0; i < H; ++i)
            for (int j = 0; j < W; ++j) {
                double lat, lon;
                sampler->GridCellToLatLon(j, i, lat, lon);
                sum += sampler->GetBasisValue(lat, lon);
            }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_SimpleCreateParts)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
