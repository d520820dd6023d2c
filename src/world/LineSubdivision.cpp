#include "world/LineSubdivision.h"

#include "base/AppSettings.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace kv {

namespace {

constexpr int kMinPolylinePoints = 3;
// Drawing positions are held within the range the canvas and the projections' pixel
// conversions use.
constexpr float kPixelLimit = 32767.0f;

int OutCode(const GCLinePoint& p, float width, float height)
{
    int code = 0;
    if (p.x < 0.0f)
        code |= 1;
    else if (p.x > width)
        code |= 2;
    if (p.y < 0.0f)
        code |= 4;
    else if (p.y > height)
        code |= 8;
    return code;
}

// Truncates a pixel position to an integer; false when it is not a number or lies beyond
// any image.
bool TruncateToPixel(float v, int& out)
{
    if (!(v > -kPixelLimit && v < kPixelLimit))
        return false;
    out = static_cast<int>(v);
    return true;
}

// The distance between two longitudes around the globe, 0 .. 180.
double LongitudeGap(double a, double b)
{
    double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180.0 ? 360.0 - d : d;
}

} // namespace

int ReadMaxPolylinePoints(int defaultValue)
{
    return std::max(GetAppSettings().GetInt("Settings", "nMaxPW2Pts", defaultValue), kMinPolylinePoints);
}

double ReadAdaptiveGridError(double defaultValue)
{
    const double value = GetAppSettings().GetDouble("Settings", "AdaptiveGridError", defaultValue);
    return std::isfinite(value) ? value : defaultValue;
}

int ReadAdaptiveGridDepth(int defaultValue)
{
    return std::clamp(GetAppSettings().GetInt("Settings", "AdaptiveGridDepth", defaultValue), 0,
                      kMaxSubdivisionDepth);
}

// ---------------------------------------------------------------------------------------
// Subdivision

void SubdivideGCLine::Midpoint(double lat1, double lon1, double lat2, double lon2, double& lat, double& lon) const
{
    lat = (lat1 + lat2) / 2.0;
    lon = (lon1 + lon2) / 2.0;
}

GCLinePoint SubdivideGCLine::Project(double lat, double lon) const
{
    GCLinePoint p;
    p.latitude = static_cast<float>(lat);
    p.longitude = static_cast<float>(lon);
    if (sampler == nullptr || !std::isfinite(lat) || !std::isfinite(lon))
        return p;
    float x = 0.0f, y = 0.0f;
    const bool onMap = sampler->LatLonToPixelF(lat, lon, x, y);
    p.x = x;
    p.y = y;
    p.visible = onMap && std::isfinite(x) && std::isfinite(y) ? 1 : 0;
    return p;
}

void SubdivideGCLine::Run(double lat1, double lon1, double lat2, double lon2, const SurfaceSampler& lineSampler,
                          float lineError, int depth)
{
    sampler = &lineSampler;
    error = lineError;
    const GCLinePoint p1 = Project(lat1, lon1);
    const GCLinePoint p2 = Project(lat2, lon2);
    points.push_back(p1);
    const bool finite = std::isfinite(lat1) && std::isfinite(lon1) && std::isfinite(lat2) && std::isfinite(lon2);
    if (depth > 0 && finite)
        Subdivide(p1, p2, depth);
}

void SubdivideGCLine::Subdivide(const GCLinePoint& p1, const GCLinePoint& p2, int depth)
{
    depth = std::min(depth, kMaxSubdivisionDepth);
    // Both ends beyond the same side of the clip box: nothing of the segment shows.
    if ((OutCode(p1, clipWidth, clipHeight) & OutCode(p2, clipWidth, clipHeight)) != 0)
        return;

    double lat = 0.0, lon = 0.0;
    Midpoint(p1.latitude, p1.longitude, p2.latitude, p2.longitude, lat, lon);
    GCLinePoint m = Project(lat, lon);
    if (!m.visible) {
        if (depth <= 0)
            return;
        Subdivide(p1, m, depth - 1);
        points.push_back(m);
        Subdivide(m, p2, depth - 1);
        return;
    }

    // The chord's midpoint on the screen must lie near the line's midpoint on the globe;
    // otherwise the segment crosses a seam of the projection.
    const float sx = (p1.x + p2.x) / 2.0f;
    const float sy = (p1.y + p2.y) / 2.0f;
    int col = 0, row = 0;
    double chordLat = 0.0, chordLon = 0.0;
    if (!TruncateToPixel(sx, col) || !TruncateToPixel(sy, row) || sampler == nullptr ||
        !sampler->PixelToLatLon(col, row, chordLat, chordLon) || std::fabs(chordLat - lat) > kSeamTolerance ||
        LongitudeGap(chordLon, lon) > kSeamTolerance)
        m.visible = 0;

    const float deviation = std::fabs(sx - m.x) + std::fabs(sy - m.y);
    if (deviation <= error)
        return;
    if (depth > 0)
        Subdivide(p1, m, depth - 1);
    points.push_back(m);
    if (depth > 0)
        Subdivide(m, p2, depth - 1);
}

// ---------------------------------------------------------------------------------------
// Polylines

void line_pts::Append(float x, float y)
{
    if (count >= capacity) {
        capacity = count + growStep;
        pts.resize(static_cast<std::size_t>(capacity));
    }
    pts[static_cast<std::size_t>(count)] = Point{x + 0.01f, y + 0.01f};
    ++count;
}

int line_pts::Grow(int n)
{
    if (n <= 0) {
        std::vector<Point>().swap(pts);
        count = capacity = 0;
        return 0;
    }
    if (n >= capacity) {
        const int wasCapacity = capacity;
        try {
            if (n > std::numeric_limits<int>::max() - growStep)
                throw std::bad_alloc();
            pts.resize(static_cast<std::size_t>(n + growStep));
        } catch (const std::bad_alloc&) {
            if (wasCapacity == 0) {
                count = capacity = 0;
                return -1;
            }
            return -2;
        }
        capacity = n + growStep;
    }
    count = n;
    return 0;
}

int line_pts::AddPoint(float x, float y)
{
    if (Grow(count + 1) != 0)
        return -1;
    pts[static_cast<std::size_t>(count - 1)] = Point{x + 0.01f, y + 0.01f};
    return count;
}

void line_pts::KeepLast()
{
    if (count == 0)
        return;
    pts[0] = pts[static_cast<std::size_t>(count - 1)];
    count = 1;
}

void DrawGCLinePoints(TraceCallback& sink, const SurfaceSampler& sampler, const SubdivideGCLine& line,
                      int maxPoints)
{
    const float width = static_cast<float>(sampler.Width());
    const float height = static_cast<float>(sampler.Height());
    const int longest = std::max(maxPoints, kMinPolylinePoints);
    line_pts polyline;
    for (const GCLinePoint& p : line.points) {
        const float x = p.x;
        const float y = p.y;
        if (p.visible && x >= 0.0f && x < width && y >= 0.0f && y < height) {
            polyline.Append(x, y);
            if (polyline.Count() >= longest - 1) {
                sink.Trace(polyline);
                polyline.KeepLast();
            }
        } else {
            if (polyline.Count() >= 2)
                sink.Trace(polyline);
            polyline.Clear();
        }
    }
    if (polyline.Count() >= 1)
        sink.Trace(polyline);
}

CanvasPoint TruncatePoint(const line_pts::Point& p)
{
    auto pixel = [](float v) {
        if (std::isnan(v))
            return 0;
        return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit));
    };
    return CanvasPoint{pixel(p.x), pixel(p.y)};
}

// ---------------------------------------------------------------------------------------
// Drawing sinks

ChunkedTraceCallback::ChunkedTraceCallback(bool dropDuplicates)
    : m_dropDuplicates(dropDuplicates), m_buffer(kChunk)
{
}

ChunkedTraceCallback::~ChunkedTraceCallback() = default;

void ChunkedTraceCallback::Add(const CanvasPoint& p)
{
    if (m_dropDuplicates && m_stored > 0 && m_buffer[static_cast<std::size_t>(m_stored - 1)] == p)
        return;
    m_buffer[static_cast<std::size_t>(m_stored++)] = p;
    if (m_stored == kChunk) {
        DrawChunk(m_buffer.data(), kChunk);
        m_buffer[0] = m_buffer[kChunk - 1];
        m_stored = 1;
    }
}

int ChunkedTraceCallback::Trace(const line_pts& line)
{
    if (!HasTarget())
        return -1;
    if (line.Count() < 2)
        return 0;
    m_stored = 0;
    for (int i = 0; i < line.Count(); ++i)
        Add(TruncatePoint(line[i]));
    if (line.IsClosed())
        Add(TruncatePoint(line[0]));
    if (m_stored >= 2)
        DrawChunk(m_buffer.data(), m_stored);
    return 0;
}

void TraceDCCallback::DrawChunk(const CanvasPoint* points, int count)
{
    m_dc->Polyline(points, static_cast<std::size_t>(count));
}

void MaskedDCCallback::DrawChunk(const CanvasPoint* points, int count)
{
    m_image->Polyline(points, static_cast<std::size_t>(count));
    m_mask->Polyline(points, static_cast<std::size_t>(count));
}

} // namespace kv
