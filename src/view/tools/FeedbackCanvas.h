// Where tools draw their feedback over the map: outlines, rings, rubber bands and brush
// outlines in XOR (a white dotted pen one pixel wide), erased by drawing them again, and
// the zoom marquee as a focus rectangle (also XOR). Coordinates are view pixels; a
// rectangle runs from (left, top) up to but not including (right, bottom).
#pragma once

#include <cstddef>
#include <vector>

namespace kv {

struct FeedbackPoint {
    int x = 0, y = 0;
};

class FeedbackCanvas {
public:
    virtual ~FeedbackCanvas() = default;
    virtual void XorLine(int x0, int y0, int x1, int y1) = 0;
    virtual void XorRectangle(int left, int top, int right, int bottom) = 0;
    virtual void XorEllipse(int left, int top, int right, int bottom) = 0;
    virtual void FocusRectangle(int left, int top, int right, int bottom) = 0;
    // A dotted XOR polyline through the points (each joint drawn once).
    virtual void XorPolyline(const std::vector<FeedbackPoint>& points)
    {
        for (std::size_t i = 1; i < points.size(); ++i)
            XorLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    }
    // A solid white XOR line `width` pixels wide (the gradient tool's arrow).
    virtual void XorSolidLine(int x0, int y0, int x1, int y1, int /*width*/) { XorLine(x0, y0, x1, y1); }
};

} // namespace kv
