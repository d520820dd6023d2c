// The drawing export's contour tracer on the default world's altitude at 4096 x 2048 cells
// (a ring of -1e20 around it, as the export samples a map), against a baseline after the
// usual row-pair contour generator (two rows at a time, segments joined into lines at
// their shared edges through a table of open line ends, every level in one pass). Both
// find the same crossings (checked before timing). Figures:
//   one level (0 m), one core: ours against the baseline;
//   the 1000 m levels: ours traced in parallel (and on one core) and handed over in level
//   order, against
//   the baseline's single pass over all of them;
//   the whole export at resolution 8 (1024 cells wide) on one core and on all cores, with
//   identical bytes (checked first).
#include "base/Progress.h"
#include "base/color/LightParms.h"
#include "exchange/CFCWImage.h"
#include "exchange/ContourTracer.h"
#include "exchange/PW2Output.h"
#include "platform/ParallelFor.h"
#include "projection/ProjectionParms.h"
#include "shading/ShaderIds.h"
#include "shading/ShaderRegistry.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include "WorldFixtures.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kWidth = 4096;
constexpr int kHeight = 2048;

struct Altitudes {
    kv::SurfMap world;
    kv::LightParms light;
    kv::ProjectionParms projection;
    kv::Grid2DPtr grid;
    double low = 1e30, high = -1e30;

    Altitudes()
    {
        kv::SetProgressHooks(kv::SilentProgressHooks());
        RecalculateWorld(world);
        kv::GetShaderRegistry().Init(&world, &light);
        grid = kv::Alloc2D(kWidth, kHeight, sizeof(float));
        auto rows = grid->Rows<float>();
        kv::SurfaceSampler prototype(&projection, &world, &light, kv::kShaderAltitude);
        const int threads = kv::HardwareThreads();
        std::vector<std::unique_ptr<kv::SurfaceSampler>> samplers;
        for (int t = 0; t < threads; ++t)
            samplers.push_back(std::make_unique<kv::SurfaceSampler>(prototype));
        kv::ParallelRows(
            threads,
            [&](int begin, int end) {
                for (int t = begin; t < end; ++t) {
                    kv::NoiseEvaluationScope scope;
                    for (int i = t; i < kHeight; i += threads)
                        for (int j = 0; j < kWidth; ++j) {
                            const bool ring = i == 0 || j == 0 || i == kHeight - 1 || j == kWidth - 1;
                            rows[static_cast<std::size_t>(i)][j] =
                                ring ? -1e20f
                                     : samplers[static_cast<std::size_t>(t)]->GetAltitude(
                                           90.0 - i * 180.0 / (kHeight - 1), j * 360.0 / (kWidth - 1) - 180.0);
                        }
                }
            },
            threads);
        for (int i = 1; i < kHeight - 1; ++i)
            for (int j = 1; j < kWidth - 1; ++j) {
                low = std::min(low, double(rows[static_cast<std::size_t>(i)][j]));
                high = std::max(high, double(rows[static_cast<std::size_t>(i)][j]));
            }
    }
    kv::GridRows<const float> Rows() const { return static_cast<const kv::Grid2D&>(*grid).Rows<float>(); }
    std::vector<double> ThousandMetreLevels() const
    {
        std::vector<double> levels;
        for (double l = std::floor(low / 1000.0) * 1000.0; l <= high; l += 1000.0)
            levels.push_back(l + 1e-6);
        return levels;
    }
};

Altitudes& World()
{
    static Altitudes a;
    return a;
}

struct Counter : kv::TraceCallback {
    int Trace(const kv::line_pts& line) override
    {
        segments += line.Count() - 1;
        ++lines;
        return 0;
    }
    long long segments = 0;
    long long lines = 0;
};

// ---- the baseline: row pairs, segments joined at shared edges, all levels at once ----

struct BaselineLevel {
    struct Line {
        std::deque<float> xy;
        long long front = -1, back = -1; // the edges at its two ends
    };
    std::vector<Line> lines;
    std::vector<int> freeLines;
    // Edge id -> the line whose end lies on it.
    std::unordered_map<long long, int> ends;
    long long segments = 0;

    void Finish(int index)
    {
        lines[static_cast<std::size_t>(index)].xy.clear();
        freeLines.push_back(index);
    }
    static void Reverse(Line& l)
    {
        std::deque<float> r;
        for (std::size_t k = l.xy.size(); k >= 2; k -= 2) {
            r.push_back(l.xy[k - 2]);
            r.push_back(l.xy[k - 1]);
        }
        l.xy.swap(r);
        std::swap(l.front, l.back);
    }
    void Add(long long ea, float ax, float ay, long long eb, float bx, float by)
    {
        ++segments;
        auto ia = ends.find(ea), ib = ends.find(eb);
        if (ia == ends.end() && ib == ends.end()) {
            int index;
            if (!freeLines.empty()) {
                index = freeLines.back();
                freeLines.pop_back();
            } else {
                index = static_cast<int>(lines.size());
                lines.emplace_back();
            }
            Line& l = lines[static_cast<std::size_t>(index)];
            l.xy = {ax, ay, bx, by};
            l.front = ea;
            l.back = eb;
            ends[ea] = index;
            ends[eb] = index;
            return;
        }
        if (ia != ends.end() && ib != ends.end()) {
            const int la = ia->second, lb = ib->second;
            ends.erase(ia);
            ends.erase(eb);
            if (la == lb) {
                Finish(la); // a ring closes
                return;
            }
            Line& a = lines[static_cast<std::size_t>(la)];
            Line& b = lines[static_cast<std::size_t>(lb)];
            if (a.back != ea)
                Reverse(a);
            if (b.front != eb)
                Reverse(b);
            a.xy.insert(a.xy.end(), b.xy.begin(), b.xy.end());
            a.back = b.back;
            ends[a.back] = la;
            Finish(lb);
            return;
        }
        const bool atA = ia != ends.end();
        const int index = atA ? ia->second : ib->second;
        const long long joined = atA ? ea : eb;
        const long long other = atA ? eb : ea;
        const float ox = atA ? bx : ax, oy = atA ? by : ay;
        ends.erase(atA ? ia : ib);
        Line& l = lines[static_cast<std::size_t>(index)];
        if (l.front == joined) {
            l.xy.push_front(oy);
            l.xy.push_front(ox);
            l.front = other;
        } else {
            l.xy.push_back(ox);
            l.xy.push_back(oy);
            l.back = other;
        }
        ends[other] = index;
    }
};

inline bool Crosses(double a, double b, double x) { return (a <= x && b > x) || (b <= x && a > x); }

// Every level over the grid, two rows at a time. Returns the segments found.
long long Baseline(kv::GridRows<const float> g, int w, int h, const std::vector<double>& levels)
{
    std::vector<BaselineLevel> state(levels.size());
    for (int i = 0; i + 1 < h; ++i) {
        const float* top = g[static_cast<std::size_t>(i)];
        const float* bottom = g[static_cast<std::size_t>(i) + 1];
        for (int j = 0; j + 1 < w; ++j) {
            const double c[4] = {top[j], top[j + 1], bottom[j + 1], bottom[j]};
            for (std::size_t k = 0; k < levels.size(); ++k) {
                const double x = levels[k];
                unsigned crossed = 0;
                for (int e = 0; e < 4; ++e)
                    if (Crosses(c[e], c[(e + 1) % 4], x))
                        crossed |= 1u << e;
                if (!crossed)
                    continue;
                auto point = [&](int e, float& px, float& py) {
                    const double a = c[e], b = c[(e + 1) % 4];
                    double t = (x - a) / (b - a);
                    switch (e) {
                    case 0: px = float(j + t); py = float(i); break;
                    case 1: px = float(j + 1); py = float(i + t); break;
                    case 2: px = float(j + 1 - t); py = float(i + 1); break;
                    default: px = float(j); py = float(i + 1 - t); break;
                    }
                };
                auto id = [&](int e) -> long long {
                    switch (e) {
                    case 0: return (static_cast<long long>(i) * w + j) * 2;
                    case 1: return (static_cast<long long>(i) * w + j + 1) * 2 + 1;
                    case 2: return (static_cast<long long>(i + 1) * w + j) * 2;
                    default: return (static_cast<long long>(i) * w + j) * 2 + 1;
                    }
                };
                auto segment = [&](int e0, int e1) {
                    float ax, ay, bx, by;
                    point(e0, ax, ay);
                    point(e1, bx, by);
                    state[k].Add(id(e0), ax, ay, id(e1), bx, by);
                };
                if (std::popcount(crossed) == 2) {
                    int e0 = -1, e1 = -1;
                    for (int e = 0; e < 4; ++e)
                        if (crossed & (1u << e))
                            (e0 < 0 ? e0 : e1) = e;
                    segment(e0, e1);
                } else if (std::popcount(crossed) == 4) {
                    const double mean = (c[0] + c[1] + c[2] + c[3]) / 4.0;
                    if (x >= mean) { // the high corners cut off
                        segment(3, 0);
                        segment(1, 2);
                    } else {
                        segment(0, 1);
                        segment(2, 3);
                    }
                }
            }
        }
    }
    long long segments = 0;
    for (const BaselineLevel& s : state)
        segments += s.segments;
    return segments;
}

long long OursSegments(const std::vector<double>& levels, int threads)
{
    long long segments = 0;
    kv::TraceContourLevels(
        levels, World().Rows(), kWidth, kHeight, 20000, nullptr,
        [&](int, const std::vector<kv::line_pts>& lines) {
            for (const kv::line_pts& l : lines)
                segments += l.Count() - 1;
            return 0;
        },
        threads);
    return segments;
}

void CheckSameCrossings(benchmark::State& state, const std::vector<double>& levels)
{
    const long long ours = OursSegments(levels, 0);
    const long long theirs = Baseline(World().Rows(), kWidth, kHeight, levels);
    if (ours != theirs)
        state.SkipWithError("the tracer and the baseline found different crossings");
    state.counters["segments"] = static_cast<double>(ours);
}

void BM_OneLevelOurs(benchmark::State& state)
{
    Altitudes& a = World();
    CheckSameCrossings(state, {1e-6});
    kv::Grid2DPtr visited = kv::Alloc2D(kWidth, kHeight, 1);
    kv::line_pts points;
    for (auto _ : state) {
        Counter c;
        kv::TraceContours(c, a.Rows(), 1e-6, kWidth, kHeight, visited.get(), &points, 20000, nullptr);
        benchmark::DoNotOptimize(c.segments);
    }
}
BENCHMARK(BM_OneLevelOurs)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_OneLevelBaseline(benchmark::State& state)
{
    Altitudes& a = World();
    for (auto _ : state)
        benchmark::DoNotOptimize(Baseline(a.Rows(), kWidth, kHeight, {1e-6}));
}
BENCHMARK(BM_OneLevelBaseline)->UseRealTime()->Unit(benchmark::kMillisecond);

// threads: 1 = one core, 0 = all cores.
void BM_ThousandMetreLevelsOurs(benchmark::State& state)
{
    const std::vector<double> levels = World().ThousandMetreLevels();
    CheckSameCrossings(state, levels);
    state.counters["levels"] = static_cast<double>(levels.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(OursSegments(levels, static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ThousandMetreLevelsOurs)->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ThousandMetreLevelsBaselineOnePass(benchmark::State& state)
{
    const std::vector<double> levels = World().ThousandMetreLevels();
    for (auto _ : state)
        benchmark::DoNotOptimize(Baseline(World().Rows(), kWidth, kHeight, levels));
}
BENCHMARK(BM_ThousandMetreLevelsBaselineOnePass)->UseRealTime()->Unit(benchmark::kMillisecond);

// ---- the whole export ----

struct ExportSetup {
    kv::ProjectionParms projection;
    std::unique_ptr<kv::SurfaceSampler> sampler;
    kv::PW2Output settings;
    std::string path = (std::filesystem::temp_directory_path() / "kv_drawing_bench.fcw").string();
    ExportSetup()
    {
        Altitudes& a = World();
        projection.SetScale(0.5);
        sampler = std::make_unique<kv::SurfaceSampler>(&projection, &a.world, &a.light, kv::kShaderAltitude);
        settings.resolution = 8;
        settings.drawingHeight = 500;
        settings.altContourMode = 1;
        settings.tempContoursOn = 1;
        settings.climateContoursOn = 1;
        settings.labelContours = 1;
    }
    std::vector<uint8_t> Write(int threads)
    {
        kv::CFCWImage image(sampler.get());
        image.SetThreads(threads);
        image.WriteMap(path, nullptr, settings, nullptr);
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

ExportSetup& Export()
{
    static ExportSetup e;
    return e;
}

// threads: 1 = one core, 0 = all cores.
void BM_WriteMapResolution8(benchmark::State& state)
{
    ExportSetup& e = Export();
    static const std::vector<uint8_t> reference = e.Write(1);
    if (e.Write(static_cast<int>(state.range(0))) != reference)
        state.SkipWithError("the drawing differs between one core and all cores");
    state.counters["bytes"] = static_cast<double>(reference.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(e.Write(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_WriteMapResolution8)->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
