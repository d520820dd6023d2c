// The Multiple Files export and Expand Land in Offset, each against the work it is built
// on, in one run of the default world:
//  - an atlas of 2 x 2 levels (384-pixel JPEGs, pages and drawings of a bare definition)
//    against CRawImage::Compute of the same pictures alone, on all cores;
//  - the same atlas on one core, whose files must equal the all-core ones;
//  - one land expansion pass against Fill Basins in Offset at 4096 x 2048.
#include "base/Progress.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "exchange/MultiFileAtlas.h"
#include "exchange/PW2Output.h"
#include "platform/ParallelFor.h"
#include "shading/ShaderRegistry.h"
#include "view/CRawImage.h"
#include "world/SurfaceSampler.h"

#include "DocumentFixtures.h"
#include "OutsideTools.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>

namespace {

// One world in every run, so that the folders of two builds can be compared.
struct FixedSeed : kv::SeedClock {
    uint64_t Counter() const override { return 20240611u; }
};

struct Atlas {
    FixedSeed seed;
    DocumentEnvironment env;
    kv::CKVDoc doc;
    ScratchFolder scratch;
    kv::AtlasSource source;

    Atlas()
    {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        kv::SetSeedClock(&seed);
        doc.OnNewDocument();
        RecalculateWorld(doc.GetWorld());
        kv::GetShaderRegistry().Init(&doc.GetWorld(), &doc.GetViewSettings().light);
        source.document = &doc;
        source.projection = doc.GetViewSettings().projection;
        source.light = doc.GetViewSettings().light;
        source.shaderId = doc.GetViewSettings().shaderId;
        source.definitionFolder = scratch.path.string();
        kv::PW2Output plain;
        plain.altContoursOn = 0;
        plain.tempContoursOn = 0;
        plain.seaOnList = 0;
        plain.grid.shown = 0;
        if (plain.SaveToFile(scratch / "plain.xpt") != 0)
            std::abort();
    }
    kv::MultiMapSettings Settings(int levels, const std::string& folder) const
    {
        kv::MultiMapSettings s;
        s.levelCount = levels;
        for (int i = 0; i < levels; ++i) {
            s.levels[i].columns = s.levels[i].rows = 2;
            s.levels[i].pictureWidth = 384;
            s.levels[i].definition = "plain";
        }
        s.writeDrawings = s.writePictures = s.writePages = true;
        kv::SetAtlasRoot(s, source);
        s.outputFolder = folder;
        return s;
    }
    // Every map of the atlas in the export's order (what ExportMultipleFiles runs after
    // its dialog); `pictureOnly` computes the pictures alone.
    void Run(kv::MultiMapSettings s, bool pictureOnly)
    {
        auto one = [&](int c, int r, int level) {
            kv::PlaceAtlasMap(s, c, r, level);
            int w = 0, h = 0;
            kv::AtlasPictureSize(s, w, h);
            kv::ProjectionParms projection = kv::AtlasMapProjection(source, s);
            kv::LightParms light(source.light);
            kv::SurfaceSampler sampler(&projection, &doc.GetWorld(), &light, source.shaderId);
            kv::CRawImage picture(&sampler);
            picture.SetSize(w, h);
            picture.SetThreads(source.threads);
            benchmark::DoNotOptimize(picture.Compute(nullptr, false, true));
        };
        if (!pictureOnly) {
            if (kv::WriteAtlasMaps(source, s, [](const kv::MultiMapSettings&, int written) {
                    return written == 0;
                }) != 0)
                std::abort();
            return;
        }
        one(0, 0, -1);
        for (int level = 0; level < s.levelCount; ++level) {
            double across = 1, down = 1;
            kv::AtlasLevelCounts(s, level, across, down);
            for (int r = 0; r < down; ++r)
                for (int c = 0; c < across; ++c)
                    one(c, r, level);
        }
    }
};

Atlas& Shared()
{
    static Atlas atlas;
    return atlas;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Wall-clock and process CPU seconds of each run, by name, for the figures of the later ones.
struct Took {
    double wall = 0.0, cpu = 0.0;
};
std::map<std::string, Took>& Runs()
{
    static std::map<std::string, Took> runs;
    return runs;
}

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

template <typename F>
Took Measure(F&& f)
{
    const auto wall = std::chrono::steady_clock::now();
    const double cpu = CpuSeconds();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(), CpuSeconds() - cpu};
}

void BM_AtlasPicturesOnly(benchmark::State& state)
{
    Atlas& a = Shared();
    a.source.threads = 0;
    for (auto _ : state)
        Runs()["pictures" + std::to_string(state.range(0))] =
            Measure([&] { a.Run(a.Settings(static_cast<int>(state.range(0)), a.scratch / "bare"), true); });
}
BENCHMARK(BM_AtlasPicturesOnly)->Arg(3)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Counters: against_pictures, the atlas's time over the bare pictures' (and in process
// CPU time, which others' work on a shared machine does not inflate); on one core,
// efficiency = one core's time / (threads x all cores' time), and cpu_over_one_core, the
// CPU time all cores spend against one core's.
void BM_AtlasWhole(benchmark::State& state)
{
    Atlas& a = Shared();
    a.source.threads = static_cast<int>(state.range(1));
    const std::string levels = std::to_string(state.range(0));
    const std::string name = "atlas" + levels + "_" + std::to_string(state.range(1));
    const std::string folder = a.scratch / name;
    std::filesystem::create_directories(folder);
    for (auto _ : state)
        Runs()[name] = Measure([&] { a.Run(a.Settings(static_cast<int>(state.range(0)), folder), false); });
    a.source.threads = 0;
    const Took took = Runs()[name];
    if (Runs().count("pictures" + levels) != 0 && state.range(1) == 0) {
        const Took bare = Runs()["pictures" + levels];
        state.counters["against_pictures"] = took.wall / bare.wall;
        state.counters["cpu_against_pictures"] = took.cpu / bare.cpu;
    }
    // KV_ATLAS_KEEP=folder keeps a copy of the files for comparing builds.
    if (const char* keep = std::getenv("KV_ATLAS_KEEP"))
        std::filesystem::copy(folder, std::string(keep) + "/" + std::filesystem::path(folder).filename().string(),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    // One core and all cores must write the same files, and nothing else.
    const std::string all = a.scratch / ("atlas" + levels + "_0");
    if (state.range(1) == 1 && std::filesystem::exists(all)) {
        const Took spread = Runs()["atlas" + levels + "_0"];
        state.counters["efficiency"] = took.wall / (kv::HardwareThreads() * spread.wall);
        state.counters["cpu_over_one_core"] = spread.cpu / took.cpu;
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            ++count;
            if (ReadAll(entry.path().string()) != ReadAll(all + "/" + entry.path().filename().string()))
                state.SkipWithError("one core and all cores wrote different files");
        }
        if (count != static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(all),
                                                            std::filesystem::directory_iterator())))
            state.SkipWithError("one core and all cores wrote different files");
    }
}
BENCHMARK(BM_AtlasWhole)
    ->Args({3, 0})
    ->Args({3, 1})
    ->Args({5, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_LandPass(benchmark::State& state)
{
    Atlas& a = Shared();
    if (a.doc.GetWorld().SetResolution(4096, false) != 0)
        std::abort();
    for (auto _ : state) {
        if (state.range(0) == 0)
            a.doc.RunLandExpansion(1);
        else
            a.doc.FillOffsetBasins();
    }
}
BENCHMARK(BM_LandPass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
