// A small software drawing context over a VideoBuffer: lines and polylines with a pen,
// filled polygons (even-odd rule), rectangles and ellipses with a brush, in copy or XOR
// mode. Coordinates are pixels with row 0 at the top, as in VideoBuffer's pixel calls;
// everything is clipped to the image.
//
// Conventions (exact, so that drawings are reproducible):
// - A one-pixel line from (x0, y0) to (x1, y1) lights the pixels of the Bresenham path
//   from the first point up to, but not including, the last one; a polyline therefore
//   lights each joint once and leaves its final point undrawn.
// - A wider pen (width w > 1) lights every pixel whose centre lies within w / 2 of the
//   segment between the centres of the end pixels (round caps and joins); each pixel of a
//   polyline is touched once, also in XOR mode.
// - A filled shape lights every pixel whose centre (x + 0.5, y + 0.5) lies inside it; a
//   centre exactly on a left edge counts, on a right edge does not. Polygons use the
//   even-odd rule.
// - Rectangle (l, t, r, b) covers columns l .. r-1 and rows t .. b-1; its outline is the
//   pen width thick and lies inside that box. Ellipse (l, t, r, b) is inscribed in the
//   same box; its outline is the band of the pen width inside the ellipse's edge.
// - Copy mode stores the colour as VideoBuffer::SetPixel does (all 32 bits on 32-bit
//   images); XOR mode XORs the pixel bytes with the colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv {

class VideoBuffer;

struct CanvasPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CanvasPoint&) const = default;
};

struct Pen {
    uint32_t colour = 0;
    int width = 1;         // pixels; 0 and 1 both draw one-pixel lines
    bool visible = true;   // false: the null pen (no outlines)

    static Pen Solid(uint32_t colour, int width = 1) { return Pen{colour, width, true}; }
    static Pen Null() { return Pen{0, 1, false}; }
};

struct Brush {
    uint32_t colour = 0xFFFFFF;
    bool visible = true;   // false: the null brush (no fill)

    static Brush Solid(uint32_t colour) { return Brush{colour, true}; }
    static Brush Null() { return Brush{0, false}; }
};

enum class RasterOp { Copy, Xor };

class Canvas {
public:
    // Draws into `target`, which must outlive the canvas. Starts with a one-pixel black
    // pen, a white brush, copy mode and the current point at (0, 0).
    explicit Canvas(VideoBuffer& target);

    VideoBuffer& Target() { return m_target; }

    // Each Select/Set returns what was in force before, for restoring afterwards.
    Pen SelectPen(const Pen& pen);
    Brush SelectBrush(const Brush& brush);
    RasterOp SetRasterOp(RasterOp op);
    const Pen& GetPen() const { return m_pen; }
    const Brush& GetBrush() const { return m_brush; }
    RasterOp GetRasterOp() const { return m_op; }

    void MoveTo(int x, int y) { m_current = {x, y}; }
    // Draws from the current point to (x, y) with the pen and makes (x, y) current.
    void LineTo(int x, int y);
    CanvasPoint GetCurrentPosition() const { return m_current; }
    // Draws the connected segments through the points with the pen (nothing for fewer
    // than two points); the current point is not used or changed.
    void Polyline(const CanvasPoint* points, size_t count);
    void Polyline(const std::vector<CanvasPoint>& points) { Polyline(points.data(), points.size()); }
    // Fills the closed polygon with the brush (even-odd rule), then outlines it with the
    // pen; nothing for fewer than three points.
    void Polygon(const CanvasPoint* points, size_t count);
    void Polygon(const std::vector<CanvasPoint>& points) { Polygon(points.data(), points.size()); }
    // Fills with the brush and outlines with the pen; nothing when r <= l or b <= t.
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    // One pixel in the raster mode with `colour`.
    void SetPixel(int x, int y, uint32_t colour);

private:
    // Colour of the pixel span x0 .. x1-1 of row y in the raster mode (clipped here).
    void Span(int y, int x0, int x1, uint32_t colour);
    void ThinLine(CanvasPoint a, CanvasPoint b, uint32_t colour);
    void WideLines(const CanvasPoint* points, size_t count, bool closed);
    void FillPolygonEvenOdd(const CanvasPoint* points, size_t count, uint32_t colour);

    VideoBuffer& m_target;
    Pen m_pen;
    Brush m_brush;
    RasterOp m_op = RasterOp::Copy;
    CanvasPoint m_current;
};

} // namespace kv
