// Forward + inverse per point for every built-in projection, beside PROJ's proj_trans on
// the same points in the same run. One "item" is one point taken there and back.
#include "projection/MapProject.h"
#include "projection/builtin/BuiltinProjections.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <proj.h>
#include <string>
#include <vector>

namespace {
constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

using kv::BuiltinProjection;

struct Setup {
    double lat0, lon0, p1, p2; // degrees
};

Setup SetupFor(const kv::MapProject& p)
{
    if (p.GetFlags() & kv::kProjConic)
        return {30, 0, 50, 10};
    if (p.GetFlags() & kv::kProjCentredOnPoint)
        return {30, 20, 0, 0};
    return {0, 0, 0, 0};
}

std::string ProjDef(const char* op, const Setup& s, bool eqdc)
{
    char buf[256];
    std::snprintf(buf, sizeof buf, "+proj=%s +R=1 +lat_0=%g +lon_0=%g +lat_1=%g +lat_2=%g", op, s.lat0, s.lon0, s.p1,
                  eqdc ? s.p1 : s.p2);
    return buf;
}

// Points that both sides can project: a Fibonacci lattice trimmed to the map.
std::vector<PJ_COORD> MapPoints(const kv::MapProject& p, PJ* pj)
{
    std::vector<PJ_COORD> pts;
    const int n = 4096;
    const double golden = kPi * (3.0 - std::sqrt(5.0));
    double lat0, lon0;
    lat0 = p.CentreLatitude();
    lon0 = p.CentreLongitude();
    for (int i = 0; i < n; ++i) {
        const double lat = std::asin(2.0 * (i + 0.5) / n - 1.0);
        const double lon = std::remainder(golden * i, 2 * kPi);
        double x, y, la, lo;
        if (p.Forward(lat, lon, x, y) != 0 || p.Inverse(x, y, la, lo) != 0)
            continue;
        if (std::fabs(lat - lat0) > kPi / 2 - 0.05 && !(p.GetFlags() & kv::kProjCylindrical))
            continue;
        (void)lon0;
        if (pj) {
            proj_errno_reset(pj);
            PJ_COORD c = proj_trans(pj, PJ_FWD, proj_coord(lon, lat, 0, 0));
            if (proj_errno(pj) != 0 || !std::isfinite(c.xy.x))
                continue;
        }
        pts.push_back(proj_coord(lon, lat, 0, 0));
    }
    return pts;
}

void BM_Ours(benchmark::State& state, const BuiltinProjection* twin)
{
    std::unique_ptr<kv::MapProject> p(twin->create());
    const Setup s = SetupFor(*p);
    p->Init(s.lat0 * kDeg, s.lon0 * kDeg, 0, 0, 1, 1, s.p1 * kDeg, s.p2 * kDeg);
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* pj = twin->projTwin
                 ? proj_create(ctx, ProjDef(twin->projTwin, s, std::string(twin->projTwin) == "eqdc").c_str())
                 : nullptr;
    const std::vector<PJ_COORD> pts = MapPoints(*p, pj);
    const bool inverse = twin->projTwinInverts || !twin->projTwin;
    for (auto _ : state) {
        double sum = 0;
        for (const PJ_COORD& c : pts) {
            double x, y, lat, lon;
            p->Forward(c.lp.phi, c.lp.lam, x, y);
            if (inverse) {
                p->Inverse(x, y, lat, lon);
                sum += lat + lon;
            } else {
                sum += x + y;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pts.size()));
    if (pj)
        proj_destroy(pj);
    proj_context_destroy(ctx);
}

void BM_Proj(benchmark::State& state, const BuiltinProjection* twin)
{
    std::unique_ptr<kv::MapProject> p(twin->create());
    const Setup s = SetupFor(*p);
    p->Init(s.lat0 * kDeg, s.lon0 * kDeg, 0, 0, 1, 1, s.p1 * kDeg, s.p2 * kDeg);
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* pj = proj_create(ctx, ProjDef(twin->projTwin, s, std::string(twin->projTwin) == "eqdc").c_str());
    const std::vector<PJ_COORD> pts = MapPoints(*p, pj);
    for (auto _ : state) {
        double sum = 0;
        for (const PJ_COORD& c : pts) {
            PJ_COORD xy = proj_trans(pj, PJ_FWD, c);
            if (twin->projTwinInverts) {
                PJ_COORD back = proj_trans(pj, PJ_INV, xy);
                sum += back.lp.lam + back.lp.phi;
            } else {
                sum += xy.xy.x + xy.xy.y;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pts.size()));
    proj_destroy(pj);
    proj_context_destroy(ctx);
}

int RegisterAll()
{
    for (const BuiltinProjection& t : kv::BuiltinProjections()) {
        std::unique_ptr<kv::MapProject> p(t.create());
        std::string name = p->GetName();
        for (char& c : name)
            if (c == ' ')
                c = '_';
        benchmark::RegisterBenchmark(("Projection/" + name + "/ours").c_str(), BM_Ours, &t);
        if (t.projTwin)
            benchmark::RegisterBenchmark(("Projection/" + name + "/proj_" + t.projTwin).c_str(), BM_Proj, &t);
    }
    return 0;
}

const int kRegistered = RegisterAll();
} // namespace

BENCHMARK_MAIN();
