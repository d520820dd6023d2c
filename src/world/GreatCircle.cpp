#include "world/GreatCircle.h"

#include "base/raster/VideoBuffer.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr int kArcSteps = 128;

struct PixelRun {
    double first = 0.0;
    double last = 0.0;
    int firstIndex = 0;
    int lastIndex = 0;
};

// The first run of consecutive pixels that unproject along a column (vertical) or a row;
// `pick` chooses latitude or longitude.
template <class Pick>
PixelRun FirstValidRun(const SurfaceSampler& sampler, int fixed, int count, bool vertical, Pick pick)
{
    PixelRun run;
    bool inRun = false;
    for (int i = 0; i < count; ++i) {
        double lat = 0.0, lon = 0.0;
        const bool onMap = vertical ? sampler.PixelToLatLon(fixed, i, lat, lon) : sampler.PixelToLatLon(i, fixed, lat, lon);
        if (!onMap) {
            if (inRun)
                break;
            continue;
        }
        const double value = pick(lat, lon);
        if (!inRun) {
            run.first = value;
            run.firstIndex = i;
            inRun = true;
        }
        run.last = value;
        run.lastIndex = i;
    }
    return run;
}

// Sum of radius x the central angle along the pixel path from (c0, r0) to (c1, r1) taken
// one step of the major axis at a time (rows when byRows), the other coordinate advancing
// by the ratio of the differences and truncated at each pixel. Pixels that do not
// unproject are skipped.
double PathLength(const SurfaceSampler& sampler, int c0, int r0, int c1, int r1, bool byRows, double radius)
{
    const int from = byRows ? r0 : c0;
    const int to = byRows ? r1 : c1;
    if (from == to)
        return 0.0;
    const int minorFrom = byRows ? c0 : r0;
    const double slope = static_cast<double>((byRows ? c1 : r1) - minorFrom) / (to - from);
    const int dir = to > from ? 1 : -1;
    double sum = 0.0;
    bool havePrevious = false;
    double prevLat = 0.0, prevLon = 0.0;
    for (int i = from;; i += dir) {
        const int minor = static_cast<int>(minorFrom + slope * (i - from));
        double lat = 0.0, lon = 0.0;
        const bool onMap = byRows ? sampler.PixelToLatLon(minor, i, lat, lon) : sampler.PixelToLatLon(i, minor, lat, lon);
        if (onMap) {
            lat *= kDegToRad;
            lon *= kDegToRad;
            if (havePrevious)
                sum += radius * GreatCircleAngle(prevLat, prevLon, lat, lon);
            prevLat = lat;
            prevLon = lon;
            havePrevious = true;
        }
        if (i == to)
            break;
    }
    return sum;
}

} // namespace

double GreatCircleAngle(double lat1, double lon1, double lat2, double lon2)
{
    const double c = std::cos(lon1 - lon2) * std::cos(lat1) * std::cos(lat2) + std::sin(lat1) * std::sin(lat2);
    // NaN stays NaN (a comparison-based clamp passes it through).
    return std::acos(c > 1.0 ? 1.0 : (c < -1.0 ? -1.0 : c));
}

void ArcSpanLengths(double top, double left, double bottom, double right, double radius, double& eastWest,
                    double& northSouth)
{
    const double t = top * kDegToRad;
    const double l = left * kDegToRad;
    const double b = bottom * kDegToRad;
    const double r = right * kDegToRad;
    const double mid = b + (t - b) / 2.0;
    eastWest = 0.0;
    northSouth = 0.0;
    for (int i = 1; i <= kArcSteps; ++i) {
        const double f0 = static_cast<float>(static_cast<double>(i - 1) / kArcSteps);
        const double f1 = static_cast<float>(static_cast<double>(i) / kArcSteps);
        eastWest += radius * GreatCircleAngle(mid, l + (r - l) * f0, mid, l + (r - l) * f1);
        northSouth += radius * GreatCircleAngle(b + (t - b) * f0, 0.0, b + (t - b) * f1, 0.0);
    }
}

ProjectedAxes MeasureProjectedAxes(const SurfaceSampler& sampler, int width, int height, double radius)
{
    ProjectedAxes axes;
    const PixelRun rows =
        FirstValidRun(sampler, width / 2, height, true, [](double lat, double) { return lat; });
    const PixelRun columns =
        FirstValidRun(sampler, height / 2, width, false, [](double, double lon) { return lon; });
    axes.top = rows.first;
    axes.bottom = rows.last;
    axes.firstRow = rows.firstIndex;
    axes.lastRow = rows.lastIndex;
    axes.left = columns.first;
    axes.right = columns.last;
    axes.firstColumn = columns.firstIndex;
    axes.lastColumn = columns.lastIndex;
    ArcSpanLengths(axes.top, axes.left, axes.bottom, axes.right, radius, axes.eastWest, axes.northSouth);
    return axes;
}

MaskExtents MeasureMaskExtents(const VideoBuffer& mask, const SurfaceSampler& sampler, double radius)
{
    MaskExtents out;
    const int w = mask.IsEmpty() ? 0 : mask.GetWidth();
    const int h = mask.IsEmpty() ? 0 : mask.GetHeight();
    // The first set pixel in the order given: `outer` steps of the outer axis, `inner` of
    // the inner one, from either end.
    auto find = [&](bool rowsOuter, bool outerFromEnd, bool innerFromEnd, int& col, int& row) {
        const int outerCount = rowsOuter ? h : w;
        const int innerCount = rowsOuter ? w : h;
        for (int o = 0; o < outerCount; ++o) {
            const int a = outerFromEnd ? outerCount - 1 - o : o;
            for (int n = 0; n < innerCount; ++n) {
                const int b = innerFromEnd ? innerCount - 1 - n : n;
                col = rowsOuter ? b : a;
                row = rowsOuter ? a : b;
                if (mask.GetPixel(col, row) != 0)
                    return true;
            }
        }
        return false;
    };
    int c0 = 0, r0 = 0, c1 = 0, r1 = 0, lc = 0, lr = 0, rc = 0, rr = 0;
    if (!find(true, false, false, c0, r0))
        return out;
    find(true, true, true, c1, r1);
    find(false, false, false, lc, lr);
    find(false, true, true, rc, rr);

    double lat = 0.0, lon = 0.0;
    sampler.PixelToLatLon(c0, r0, lat, lon);
    out.topLatitude = lat;
    sampler.PixelToLatLon(c1, r1, lat, lon);
    out.bottomLatitude = lat;
    sampler.PixelToLatLon(lc, lr, lat, lon);
    out.leftLongitude = lon;
    sampler.PixelToLatLon(rc, rr, lat, lon);
    out.rightLongitude = lon;
    out.topRow = r0;
    out.bottomRow = r1;
    out.leftColumn = lc;
    out.rightColumn = rc;
    out.northSouth = PathLength(sampler, c0, r0, c1, r1, true, radius);
    out.eastWest = PathLength(sampler, lc, lr, rc, rr, false, radius);
    return out;
}

} // namespace kv
