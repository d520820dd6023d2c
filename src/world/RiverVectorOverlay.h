// The rivers of a world as vector polylines on the sphere.
//
// The river commands trace each river as a list of (latitude, longitude) points in degrees.
// The document archives the overlay, the map view draws it over the map (every segment
// subdivided along the projection, so a river follows the map's curvature) and the
// drawing export writes it with the palette colour nearest to each river's colour.
#pragma once

#include <cstdint>
#include <vector>

namespace kv {

class CArchive;
class Canvas;
class DrawingSink;
class SurfaceSampler;
class TraceCallback;

struct RiverPoint {
    double latitude = 0.0;
    double longitude = 0.0;
    bool operator==(const RiverPoint&) const = default;
};

class RiverPath {
public:
    // Records written by Serialize; older ones load too.
    static constexpr int32_t kVersion = 257;
    // Most points a stored river may hold; a larger count is a damaged record.
    static constexpr int32_t kMaxPoints = 100000;
    // Most points one drawn polyline holds in a device context.
    static constexpr int kMaxDrawPoints = 4096;

    // Version, colour, then (from 256) the point count and points, then (from 257) the
    // level. A record that cannot be read raises the archive error and leaves the river
    // as it was.
    void Serialize(CArchive& ar);

    // Draws the river with a one-pixel solid pen of its colour through the device-context
    // sink; the canvas's pen is restored afterwards. `width` is carried for the drawing
    // operations, which draw one-pixel lines.
    void Draw(Canvas& dc, const SurfaceSampler& sampler, int width, bool adaptive) const;
    // Sets the writer's pen to the palette colour nearest the river's and traces the river
    // into it.
    void Export(DrawingSink& writer, const SurfaceSampler& sampler, int width, bool adaptive) const;
    // Subdivides the river along the sampler's projection and hands the projected points
    // to `sink` in polylines of at most `maxPoints` points. Nothing for a river without
    // points.
    void Trace(TraceCallback& sink, const SurfaceSampler& sampler, bool adaptive, double error, int depth,
               int maxPoints) const;

    bool operator==(const RiverPath&) const = default;

    std::vector<RiverPoint> points;
    uint32_t colour = 0;   // 0x00BBGGRR
    int32_t level = 0;     // drawn only when the level limit is at least this
};

class RiverVectorOverlay {
public:
    static constexpr int32_t kVersion = 256;

    // Overlay version, river count, the river records. Any other version reads nothing
    // more. A damaged record raises the archive error and leaves the rivers as they were.
    void Serialize(CArchive& ar);

    // Draws every river whose level is at most levelLimit, in order; 0.
    int Draw(Canvas& dc, const SurfaceSampler& sampler, int levelLimit) const;
    // Writes the same rivers into the drawing writer with progress ("Writing Rivers");
    // stops between rivers when the user aborts. 0.
    int Export(DrawingSink& writer, const SurfaceSampler& sampler, int levelLimit) const;

    std::vector<RiverPath> rivers;
    int width = 2;          // not archived
    bool adaptive = true;   // not archived
};

} // namespace kv
