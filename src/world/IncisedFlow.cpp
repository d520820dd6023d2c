#include "world/IncisedFlow.h"

#include "base/grid/FlowDirections.h"
#include "base/grid/GridFilters.h"
#include "base/layers/CSelection.h"
#include "base/Progress.h"
#include "platform/ParallelFor.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <mutex>

namespace kv {

namespace {

constexpr int kFlowPathLimit = 32768;
constexpr int kProgressRows = 128;
constexpr int kProgressMode = 3;
constexpr double kFlatRange = 1e-10;

bool IsGrid(const Grid2D* grid, std::size_t w, std::size_t h, std::size_t elementSize)
{
    return grid != nullptr && grid->Width() == w && grid->Height() == h && grid->ElementSize() == elementSize;
}

bool GridsFit(const InciseFlowGrids& g, bool needCounts)
{
    if (g.heights == nullptr)
        return false;
    const std::size_t w = g.heights->Width(), h = g.heights->Height();
    return IsGrid(g.heights, w, h, sizeof(float)) && IsGrid(g.filled, w, h, sizeof(float)) &&
           IsGrid(g.waterLevel, w, h, sizeof(float)) && IsGrid(g.landOffset, w, h, sizeof(float)) &&
           IsGrid(g.erosion, w, h, sizeof(float)) && (!needCounts || IsGrid(g.counts, w, h, sizeof(int32_t)));
}

// A value that overflowed the float range (or a blur of such values) is held at the
// largest float.
inline float HoldFinite(double v)
{
    if (!(v <= FLT_MAX))
        return FLT_MAX; // above it, +infinity or NaN
    return static_cast<float>(v);
}

// Runs body(begin, end) over rows [0, h) in the bands a row-by-row loop that polls after
// every 128th row would see: row 0 alone, then 1..128, 129..256, ... After each band the
// calling thread polls and steps (last row, h). Returns false when the abort value stopped
// the loop (at the start or after a band).
template <class Body>
bool RowBands(int h, const char* text, int threads, Body&& body)
{
    ProgressBeginHook(text, kProgressMode);
    bool stopped = false;
    for (int first = 0; first < h; ) {
        if (AbortRequested()) {
            stopped = true;
            break;
        }
        const int last = first == 0 ? 1 : std::min(h, first + kProgressRows);
        ParallelRows(
            last - first, [&](int begin, int end) { body(first + begin, first + end); }, threads);
        if ((last - 1) % kProgressRows == 0) {
            ProgressPollHook();
            ProgressStepHook(last - 1, h);
        }
        first = last;
    }
    if (!stopped && AbortRequested())
        stopped = true;
    ProgressEndHook();
    return !stopped;
}

} // namespace

bool InciseFlowSettings::IsFinite() const
{
    return std::isfinite(blur) && std::isfinite(amount) && std::isfinite(flowExponent) && std::isfinite(effectBlend);
}

int InciseBlendFilled(const InciseFlowGrids& g, const CSelection& selection, int threads)
{
    if (!GridsFit(g, false))
        return kInciseStopped;
    const int w = static_cast<int>(g.heights->Width()), h = static_cast<int>(g.heights->Height());
    GridRows<float> z = g.heights->Rows<float>();
    GridRows<const float> f = g.filled->Rows<float>();
    ParallelRows(
        h,
        [&](int begin, int end) {
            for (int r = begin; r < end; ++r)
                for (int c = 0; c < w; ++c) {
                    const double weight = selection.GetWeightOrOne(c, r);
                    z[r][c] = static_cast<float>(z[r][c] + weight * (f[r][c] - z[r][c]));
                }
        },
        threads);
    return kInciseDone;
}

int InciseErosionFromCounts(const InciseFlowGrids& g, float flowExponent, int threads)
{
    if (!GridsFit(g, true))
        return kInciseStopped;
    const int w = static_cast<int>(g.heights->Width()), h = static_cast<int>(g.heights->Height());
    GridRows<const float> z = static_cast<const Grid2D*>(g.heights)->Rows<float>();
    GridRows<const float> water = g.waterLevel->Rows<float>();
    GridRows<const int32_t> n = static_cast<const Grid2D*>(g.counts)->Rows<int32_t>();
    GridRows<float> e = g.erosion->Rows<float>();
    const double exponent = flowExponent;
    const bool done = RowBands(h, "Computing Erosion", threads, [&](int begin, int end) {
        for (int r = begin; r < end; ++r)
            for (int c = 0; c < w; ++c)
                e[r][c] = z[r][c] > water[r][c] ? HoldFinite(std::pow(static_cast<double>(n[r][c]), exponent)) : 0.0f;
    });
    return done ? kInciseDone : kInciseStopped;
}

int InciseErosionRange(const InciseFlowGrids& g, float& minimum, float& maximum, int threads)
{
    minimum = 1e20f;
    maximum = -1e20f;
    if (!GridsFit(g, false))
        return kInciseStopped;
    const int w = static_cast<int>(g.heights->Width()), h = static_cast<int>(g.heights->Height());
    GridRows<const float> z = static_cast<const Grid2D*>(g.heights)->Rows<float>();
    GridRows<const float> water = g.waterLevel->Rows<float>();
    GridRows<float> e = g.erosion->Rows<float>();
    std::mutex merge;
    ParallelRows(
        h,
        [&](int begin, int end) {
            float lo = 1e20f, hi = -1e20f;
            for (int r = begin; r < end; ++r)
                for (int c = 0; c < w; ++c) {
                    float& v = e[r][c];
                    if (water[r][c] >= z[r][c])
                        v = 0.0f;
                    else
                        v = HoldFinite(v); // a blur of held values may overflow again
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            std::lock_guard<std::mutex> lock(merge);
            minimum = std::min(minimum, lo);
            maximum = std::max(maximum, hi);
        },
        threads);
    return AbortRequested() ? kInciseStopped : kInciseDone;
}

int InciseCut(const InciseFlowGrids& g, const CSelection& selection, const InciseFlowSettings& settings,
              float minimum, float maximum, int threads)
{
    if (!GridsFit(g, false) || !settings.IsFinite())
        return kInciseStopped;
    const double range = (static_cast<double>(maximum) - minimum) * settings.amount;
    if (!(std::fabs(range) > kFlatRange))
        return kInciseDone;
    const double k = settings.amount / range * settings.amount;
    const int w = static_cast<int>(g.heights->Width()), h = static_cast<int>(g.heights->Height());
    GridRows<const float> z = static_cast<const Grid2D*>(g.heights)->Rows<float>();
    GridRows<const float> e = static_cast<const Grid2D*>(g.erosion)->Rows<float>();
    GridRows<float> o = g.landOffset->Rows<float>();
    const double blend = settings.effectBlend;
    const bool done = RowBands(h, "Incising Flow", threads, [&](int begin, int end) {
        for (int r = begin; r < end; ++r)
            for (int c = 0; c < w; ++c) {
                double t = (e[r][c] - static_cast<double>(minimum)) * k;
                t = t < 0.0 ? 0.0 : (t >= 1.0 ? 1.0 : t);
                const double old = o[r][c];
                const double cut = old - blend * t * z[r][c];
                const double v = old + selection.GetWeightOrOne(c, r) * (cut - old);
                if (std::fabs(v) <= FLT_MAX) // no NaN or infinity reaches the channel
                    o[r][c] = static_cast<float>(v);
            }
    });
    return done ? kInciseDone : kInciseStopped;
}

int IncisePasses(const InciseFlowGrids& g, const CSelection& selection, const InciseFlowSettings& settings,
                 int threads)
{
    if (!settings.IsFinite() || !GridsFit(g, true))
        return kInciseStopped;
    const std::size_t w = g.heights->Width(), h = g.heights->Height();
    if (InciseBlendFilled(g, selection, threads) != kInciseDone)
        return kInciseStopped;
    if (ComputeFlowAccumulation(g.heights, w, h, g.counts, kFlowPathLimit, false, true) < 0)
        return kInciseStopped;
    if (InciseErosionFromCounts(g, settings.flowExponent, threads) != kInciseDone)
        return kInciseStopped;
    if (settings.blur > 0.0f) {
        GaussianBlurFloatGrid(*g.erosion, settings.blur);
        GaussianBlurFloatGrid(*g.erosion, settings.blur);
    }
    float minimum = 0.0f, maximum = 0.0f;
    if (InciseErosionRange(g, minimum, maximum, threads) != kInciseDone)
        return kInciseStopped;
    return InciseCut(g, selection, settings, minimum, maximum, threads);
}

} // namespace kv
