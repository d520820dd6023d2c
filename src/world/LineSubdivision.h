// Lines of latitude and longitude turned into projected polylines, and the sinks that draw
// or store those polylines.
//
// A straight line in latitude/longitude (a parallel, a meridian, a river segment) becomes a
// curve on most projections, may leave the map and may cross a seam. SubdivideGCLine halves
// such a line recursively, projects every point through a SurfaceSampler and stops where the
// projected chord passes close enough to the projected midpoint; points off the map or
// across a seam are marked invisible. DrawGCLinePoints cuts the point list into polylines at
// the invisible points and hands them to a TraceCallback.
//
// Typical use (one line from (lat1, lon1) to (lat2, lon2) made of segments):
//     SubdivideGCLine line;
//     for each segment: line.Run(a.lat, a.lon, b.lat, b.lon, sampler, error, depth);
//     line.AppendProjected(last.lat, last.lon);   // Run never appends the end point
//     DrawGCLinePoints(sink, sampler, line, ReadMaxPolylinePoints());
#pragma once

#include "base/raster/Canvas.h"

#include <cstdint>
#include <vector>

namespace kv {

class SurfaceSampler;

// The recursion never goes deeper than this: a segment gains at most 2^(depth+1) - 1 points.
constexpr int kMaxSubdivisionDepth = 16;

// Profile values of the line tracers (section "Settings"), read through the settings in
// force with the caller's default and brought into range:
// "nMaxPW2Pts" (default 20000): the longest polyline handed to a sink; at least 3.
int ReadMaxPolylinePoints(int defaultValue = 20000);
// "AdaptiveGridError": the tolerance in pixels; a value that is not a finite number gives
// the default.
double ReadAdaptiveGridError(double defaultValue);
// "AdaptiveGridDepth": clamped to 0 .. kMaxSubdivisionDepth.
int ReadAdaptiveGridDepth(int defaultValue);

// One point of a subdivided line. Fields in their natural alignment (not packed), so that
// they may be passed by reference.
struct GCLinePoint {
    float latitude = 0.0f;  // degrees
    float longitude = 0.0f; // degrees
    float x = 0.0f;         // pixel position on the sampler's target image
    float y = 0.0f;
    uint8_t visible = 0;    // 1 when the projection placed the point on the map
};

class SubdivideGCLine {
public:
    static constexpr float kClipSize = 32766.0f;
    // A screen midpoint that unprojects farther than this from the line's midpoint (in
    // latitude or longitude, degrees) means that the segment crosses a seam.
    static constexpr double kSeamTolerance = 4.0;

    SubdivideGCLine() = default;
    virtual ~SubdivideGCLine() = default;

    // The midpoint of two latitude/longitude pairs: their arithmetic mean.
    virtual void Midpoint(double lat1, double lon1, double lat2, double lon2, double& lat, double& lon) const;

    // Stores sampler and error, projects both end points, appends the start point and, when
    // depth > 0, subdivides between them (depth at most kMaxSubdivisionDepth). The end point
    // is not appended. A line with a coordinate that is not a finite number appends its start
    // point (invisible) and nothing else.
    void Run(double lat1, double lon1, double lat2, double lon2, const SurfaceSampler& sampler, float error,
             int depth);
    // Appends the points between p1 and p2 (neither of them), in order.
    void Subdivide(const GCLinePoint& p1, const GCLinePoint& p2, int depth);

    // The point at (lat, lon) projected through the sampler of the last Run (invisible
    // without one, or when a coordinate is not a finite number).
    GCLinePoint Project(double lat, double lon) const;
    // Appends Project(lat, lon): how a caller closes a chain of segments.
    void AppendProjected(double lat, double lon) { points.push_back(Project(lat, lon)); }
    void Clear() { points.clear(); }

    float clipWidth = kClipSize;
    float clipHeight = kClipSize;
    std::vector<GCLinePoint> points;
    const SurfaceSampler* sampler = nullptr;
    float error = 0.0f;
};

// A polyline handed to a sink: (x, y) float pairs in pixels.
class line_pts {
public:
    static constexpr int kGrowStep = 128;
    struct Point {
        float x;
        float y;
    };

    line_pts() = default;
    virtual ~line_pts() = default;
    line_pts(const line_pts&) = default;
    line_pts& operator=(const line_pts&) = default;
    // Lists of lines move their lines when they grow.
    line_pts(line_pts&&) noexcept = default;
    line_pts& operator=(line_pts&&) noexcept = default;

    // Stores (x + 0.01, y + 0.01); the buffer grows by the growth step when full.
    void Append(float x, float y);
    // Makes the count n: when n is not below the capacity the buffer is first made n + 128
    // points long; n <= 0 frees it (count and capacity 0). 0; -1 when the first allocation
    // fails (count and capacity 0); -2 when a larger buffer cannot be had (list unchanged).
    int Grow(int n);
    // Appends (x + 0.01, y + 0.01): the new count, or -1 when the list cannot grow.
    int AddPoint(float x, float y);
    // Keeps only the last point, as the first (count 1); nothing when empty.
    void KeepLast();
    void Clear() { count = 0; }

    int Count() const { return count; }
    int Capacity() const { return capacity; }
    const Point* Points() const { return pts.data(); }
    const Point& operator[](int i) const { return pts[static_cast<std::size_t>(i)]; }
    // A closed polyline is drawn back to its first point.
    bool IsClosed() const { return closed != 0; }
    void SetClosed(bool value) { closed = value ? 1 : 0; }

private:
    int count = 0;
    int capacity = 0;
    int growStep = kGrowStep;
    int closed = 0;
    std::vector<Point> pts;
};

// Where polylines go: a drawing, an image or a vector file.
class TraceCallback {
public:
    virtual ~TraceCallback() = default;
    // Draws or stores one polyline: 0 done, -1 no target. A negative answer stops the
    // contour tracer, which returns it.
    virtual int Trace(const line_pts& line) = 0;
};

// Hands the subdivider's points to the sink as polylines: visible points inside the
// sampler's target image (1 x 1 without one) are collected; an invisible or outside point
// ends the current polyline (sent when it holds at least 2 points); a polyline reaching
// maxPoints - 1 points is sent and continues from its last point; the rest is sent at the
// end when it holds a point. maxPoints below 3 counts as 3.
void DrawGCLinePoints(TraceCallback& sink, const SurfaceSampler& sampler, const SubdivideGCLine& line,
                      int maxPoints);

// Pixel positions of a polyline as the drawing sinks use them: truncated to integers (a
// position that is not a finite number gives 0; others are held within +-32767).
CanvasPoint TruncatePoint(const line_pts::Point& p);

// The drawing sinks' common part: converts a polyline to integer points and hands them
// to DrawChunk in chunks of at most kChunk points, each chunk after the first starting
// with the last point of the one before; a closed polyline gets its first point again at
// the end.
class ChunkedTraceCallback : public TraceCallback {
public:
    static constexpr int kChunk = 4096;

    ~ChunkedTraceCallback() override;
    // -1 without a target; 0 otherwise (nothing drawn below 2 points).
    int Trace(const line_pts& line) override;

protected:
    explicit ChunkedTraceCallback(bool dropDuplicates);
    virtual bool HasTarget() const = 0;
    // Draws one chunk (at least 2 points).
    virtual void DrawChunk(const CanvasPoint* points, int count) = 0;

private:
    void Add(const CanvasPoint& p);

    bool m_dropDuplicates;
    std::vector<CanvasPoint> m_buffer;
    int m_stored = 0;
};

// Draws polylines on one canvas with its pen; a point equal to the previous one is dropped.
class TraceDCCallback : public ChunkedTraceCallback {
public:
    explicit TraceDCCallback(Canvas* dc) : ChunkedTraceCallback(true), m_dc(dc) {}

protected:
    bool HasTarget() const override { return m_dc != nullptr; }
    void DrawChunk(const CanvasPoint* points, int count) override;

private:
    Canvas* m_dc;
};

// Draws every polyline on an image and on its mask at once (the callers select the line
// colour into the image's pen and white into the mask's); duplicates are kept.
class MaskedDCCallback : public ChunkedTraceCallback {
public:
    MaskedDCCallback(Canvas* image, Canvas* mask) : ChunkedTraceCallback(false), m_image(image), m_mask(mask) {}

protected:
    bool HasTarget() const override { return m_image != nullptr && m_mask != nullptr; }
    void DrawChunk(const CanvasPoint* points, int count) override;

private:
    Canvas* m_image;
    Canvas* m_mask;
};

} // namespace kv
