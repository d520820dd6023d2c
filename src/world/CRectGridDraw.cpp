// Tracing and drawing the latitude/longitude grids.
#include "world/CRectGrid.h"

#include "base/Progress.h"
#include "base/color/CColorList.h"
#include "base/raster/Canvas.h"
#include "projection/ProjectionParms.h"
#include "world/DrawingSink.h"
#include "world/LineSubdivision.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr double kReplacementSpacing = 30.0;
// A family is drawn only with a spacing above this; the step along the other family's
// lines is kWideStep when that family's spacing is below it.
constexpr double kFinestSpacing = 0.001;
constexpr double kWideStep = 30.0;
// The tolerance profile value is given in ten-thousandths of a pixel.
constexpr double kErrorUnit = 0.0001;
constexpr double kViewError = 1000.0;
constexpr double kExportError = 10000.0;
constexpr int kDepth = 6;
constexpr uint32_t kMaskColour = 0xFFFFFF;
// Extents are kept within these bounds when lines are generated, so that a damaged
// extent cannot make the loops run for ever.
constexpr double kMaxLongitude = 360.0;

double CentreLongitude(const SurfaceSampler& sampler)
{
    double lat = 0.0, lon = 0.0;
    if (const ProjectionParms* projection = sampler.Projection())
        projection->GetCenter(lat, lon);
    return std::isfinite(lon) ? lon : 0.0;
}

} // namespace

double RectInfo::DrawnSpacing(double spacing, int maxPoints)
{
    if (spacing == 0.0)
        return 0.0;
    if (!std::isfinite(spacing) || spacing < 0.0 || 180.0 / spacing > static_cast<double>(maxPoints))
        return kReplacementSpacing;
    return spacing;
}

void RectInfo::TraceLines(TraceCallback& sink, const SurfaceSampler& sampler, int level, double south, double west,
                          double north, double east, bool adaptive, double error, int depth, bool showProgress) const
{
    if (!std::isfinite(south) || !std::isfinite(north) || !std::isfinite(west) || !std::isfinite(east))
        return;
    south = std::clamp(south, -90.0, 90.0);
    north = std::clamp(north, -90.0, 90.0);
    west = std::clamp(west, -kMaxLongitude, kMaxLongitude);
    east = std::clamp(east, -kMaxLongitude, kMaxLongitude);
    level = std::clamp(level, CRectGrid::kMinLevel, CRectGrid::kMaxLevel);

    const int maxPoints = ReadMaxPolylinePoints();
    double latSp = DrawnSpacing(latSpacing, maxPoints);
    double lonSp = DrawnSpacing(lonSpacing, maxPoints);
    const bool parallels = latSp > kFinestSpacing;
    const bool meridians = lonSp > kFinestSpacing;
    // Along a line, steps of the other family's spacing cut by the level, or wide steps
    // where that family is off or finer than is drawn.
    const double parallelStep = lonSp < kFinestSpacing ? kWideStep : lonSp / level;
    const double meridianStep = latSp < kFinestSpacing ? kWideStep : latSp / level;
    // A family that is off counts in the progress total with a spacing finer than the
    // point limit (its lines are never drawn, whatever the limit).
    const double offSpacing = 1.0 / (static_cast<double>(maxPoints) + 1.0);
    if (latSp == 0.0)
        latSp = offSpacing;
    if (lonSp == 0.0)
        lonSp = offSpacing;
    const int runDepth = adaptive ? depth : 0;
    const float runError = static_cast<float>(error);
    const double centre = CentreLongitude(sampler);

    double total = 0.0, done = 0.0;
    if (showProgress) {
        ProgressBeginHook("Calculating Grid", 1);
        total = std::trunc((east - west) * ((north - south) / latSp) / (lonSp / level) +
                           (north - south) * ((east - west) / lonSp) / (latSp / level));
    }
    // One progress step per segment; true when the user asked to stop.
    auto stepAborts = [&]() {
        if (!showProgress)
            return false;
        ProgressStepHook(++done, total);
        return AbortRequested();
    };
    auto pollAborts = [&]() {
        if (!showProgress)
            return false;
        ProgressPollHook();
        return AbortRequested();
    };

    // One family of lines: at first, first + spacing, ... up to last, each from `from` to
    // `to` in steps. A parallel is (position, along + centre), a meridian (along, position).
    SubdivideGCLine line;
    line.sampler = &sampler;
    bool stopped = false;
    auto traceFamily = [&](bool parallel, double first, double last, double spacing, double from, double to,
                           double step) {
        const double shift = parallel ? centre : 0.0;
        auto run = [&](double position, double a, double b) {
            if (parallel)
                line.Run(position, a + shift, position, b + shift, sampler, runError, runDepth);
            else
                line.Run(a, position, b, position, sampler, runError, runDepth);
        };
        for (int k = 0; !stopped; ++k) {
            const double position = first + k * spacing;
            if (position > last)
                break;
            line.Clear();
            for (int j = 0; !stopped; ++j) {
                const double along = from + j * step;
                if (!(along < to))
                    break;
                run(position, along, std::min(along + step, to));
                stopped = stepAborts();
            }
            if (stopped)
                break;
            if (parallel)
                line.AppendProjected(position, to + shift);
            else
                line.AppendProjected(to, position);
            DrawGCLinePoints(sink, sampler, line, maxPoints);
            stopped = pollAborts();
        }
    };
    if (parallels)
        traceFamily(true, south, north, latSp, west, east, parallelStep);
    if (meridians)
        traceFamily(false, west, east, lonSp, south, north, meridianStep);
    if (showProgress)
        ProgressEndHook();
}

void RectInfo::DrawAdaptive(Canvas& dc, const SurfaceSampler& sampler, int level, double southLat, double westLon,
                            double northLat, double eastLon, bool adaptiveRun) const
{
    const Pen previous = dc.SelectPen(Pen::Solid(colour, PenWidth()));
    TraceDCCallback sink(&dc);
    TraceLines(sink, sampler, level, southLat, westLon, northLat, eastLon, adaptiveRun,
               ReadAdaptiveGridError(kExportError) * kErrorUnit, ReadAdaptiveGridDepth(kDepth), true);
    dc.SelectPen(previous);
}

void RectInfo::DrawToSink(DrawingSink& sink, const SurfaceSampler& sampler, int level, double southLat,
                          double westLon, double northLat, double eastLon, bool adaptiveRun) const
{
    sink.pen.colour[0] = sink.pen.colour[1] = FindNearestPaletteIndex(colour);
    sink.pen.lineWidth = static_cast<uint8_t>(lineWidth & 0xFF);
    TraceLines(sink, sampler, level, southLat, westLon, northLat, eastLon, adaptiveRun,
               ReadAdaptiveGridError(kExportError) * kErrorUnit, ReadAdaptiveGridDepth(kDepth), true);
}

void CRectGrid::LatitudeRange(const RectInfo& grid, double& southLat, double& northLat) const
{
    if (polarEndcap > 0.0) {
        southLat = -(90.0 - polarEndcap);
        northLat = 90.0 - polarEndcap;
    } else {
        southLat = grid.south;
        northLat = grid.north;
    }
}

void CRectGrid::Draw(Canvas& image, Canvas& mask, const SurfaceSampler& sampler, double minSpacing) const
{
    const int maxPoints = ReadMaxPolylinePoints();
    const double error = ReadAdaptiveGridError(kViewError) * kErrorUnit;
    const int depth = ReadAdaptiveGridDepth(kDepth);
    for (auto it = grids.rbegin(); it != grids.rend(); ++it) {
        const RectInfo& grid = *it;
        if (grid.show == 0)
            continue;
        const double latSp = RectInfo::DrawnSpacing(grid.latSpacing, maxPoints);
        const double lonSp = RectInfo::DrawnSpacing(grid.lonSpacing, maxPoints);
        if (!(std::sqrt(latSp * latSp + lonSp * lonSp) > minSpacing))
            continue;
        double southLat = 0.0, northLat = 0.0;
        LatitudeRange(grid, southLat, northLat);
        const Pen imagePen = image.SelectPen(Pen::Solid(grid.colour, grid.PenWidth()));
        const Pen maskPen = mask.SelectPen(Pen::Solid(kMaskColour, grid.PenWidth()));
        MaskedDCCallback sink(&image, &mask);
        grid.TraceLines(sink, sampler, subdivisionLevel, southLat, grid.west, northLat, grid.east, adaptive != 0,
                        error, depth, false);
        image.SelectPen(imagePen);
        mask.SelectPen(maskPen);
    }
}

void CRectGrid::ClearDrawn()
{
    for (RectInfo& grid : grids)
        grid.drawn = 0;
}

void CRectGrid::DrawAltitudeBand(DrawingSink& sink, const SurfaceSampler& sampler, double low, double high)
{
    for (auto it = grids.rbegin(); it != grids.rend(); ++it) {
        RectInfo& grid = *it;
        if (grid.show == 0 || grid.drawn != 0 || !(grid.altitude >= low && grid.altitude < high))
            continue;
        double southLat = 0.0, northLat = 0.0;
        LatitudeRange(grid, southLat, northLat);
        grid.DrawToSink(sink, sampler, subdivisionLevel, southLat, grid.west, northLat, grid.east, adaptive != 0);
        grid.drawn = 1;
    }
}

} // namespace kv
