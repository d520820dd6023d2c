#include "base/raster/Canvas.h"

#include "base/raster/VideoBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace kv {

namespace {

// Every int coordinate is taken as it is, however far off the image: a shape keeps its
// direction and only the part on the image is visited. Products of two coordinate
// differences can pass 64 bits, so the exact integer steps use 128-bit intermediates.
using Wide = __int128;

// Floor division for a positive divisor.
Wide FloorDiv(Wide a, Wide b)
{
    Wide q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

struct RowSpan {
    int y;
    int x0;  // first pixel
    int x1;  // one past the last pixel
    bool operator<(const RowSpan& o) const { return y != o.y ? y < o.y : x0 < o.x0; }
};

// Pixels of a row whose centres lie in the closed interval [lo, hi].
bool CentresIn(double lo, double hi, int& x0, int& x1)
{
    if (!(lo <= hi))
        return false;
    const double a = std::ceil(lo - 0.5);
    const double b = std::floor(hi - 0.5) + 1.0;
    if (a >= b)
        return false;
    x0 = static_cast<int>(std::max(a, double(std::numeric_limits<int>::min())));
    x1 = static_cast<int>(std::min(b, double(std::numeric_limits<int>::max())));
    return x0 < x1;
}

} // namespace

Canvas::Canvas(VideoBuffer& target)
    : m_target(target)
{
}

Pen Canvas::SelectPen(const Pen& pen)
{
    Pen old = m_pen;
    m_pen = pen;
    return old;
}

Brush Canvas::SelectBrush(const Brush& brush)
{
    Brush old = m_brush;
    m_brush = brush;
    return old;
}

RasterOp Canvas::SetRasterOp(RasterOp op)
{
    RasterOp old = m_op;
    m_op = op;
    return old;
}

void Canvas::Span(int y, int x0, int x1, uint32_t colour)
{
    if (m_target.IsEmpty() || y < 0 || y >= m_target.GetHeight())
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, m_target.GetWidth());
    if (x0 >= x1)
        return;
    const int bpp = m_target.BytesPerPixel();
    uint8_t* p = m_target.RowPointer(y) + static_cast<size_t>(x0) * static_cast<size_t>(bpp);
    const int n = x1 - x0;
    const uint8_t b = static_cast<uint8_t>(colour >> 16), g = static_cast<uint8_t>(colour >> 8),
                  r = static_cast<uint8_t>(colour), e = static_cast<uint8_t>(colour >> 24);
    if (m_op == RasterOp::Xor) {
        for (int i = 0; i < n; ++i, p += bpp) {
            if (bpp == 1) {
                p[0] ^= r;
                continue;
            }
            p[0] ^= b;
            p[1] ^= g;
            p[2] ^= r;
            if (bpp == 4)
                p[3] ^= e;
        }
        return;
    }
    switch (bpp) {
    case 4: {
        const uint8_t px[4] = {b, g, r, e};
        for (int i = 0; i < n; ++i, p += 4)
            std::memcpy(p, px, 4);
        break;
    }
    case 3:
        for (int i = 0; i < n; ++i, p += 3) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
        break;
    default:
        std::memset(p, r, static_cast<size_t>(n));
        break;
    }
}

void Canvas::SetPixel(int x, int y, uint32_t colour)
{
    if (x < std::numeric_limits<int>::max())
        Span(y, x, x + 1, colour);
}

void Canvas::ThinLine(CanvasPoint a, CanvasPoint b, uint32_t colour)
{
    // Steps along the major axis; the minor coordinate is the nearest pixel to the ideal
    // line (halves rounded away from the start). Only the steps whose major coordinate
    // lies on the image are visited, so far-away end points cost nothing.
    const int64_t x0 = a.x, y0 = a.y;
    const int64_t x1 = b.x, y1 = b.y;
    const int64_t adx = std::llabs(x1 - x0), ady = std::llabs(y1 - y0);
    const int64_t sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
    const bool xMajor = adx >= ady;
    const int64_t steps = xMajor ? adx : ady;  // the end point itself is not drawn
    if (steps == 0)
        return;
    const int64_t major0 = xMajor ? x0 : y0;
    const int64_t majorStep = xMajor ? sx : sy;
    const int64_t size = xMajor ? m_target.GetWidth() : m_target.GetHeight();
    int64_t kBegin = 0, kEnd = steps;
    if (majorStep > 0) {
        kBegin = std::max<int64_t>(kBegin, -major0);
        kEnd = std::min<int64_t>(kEnd, size - major0);
    } else {
        kBegin = std::max<int64_t>(kBegin, major0 - size + 1);
        kEnd = std::min<int64_t>(kEnd, major0 + 1);
    }
    if (kBegin >= kEnd)
        return;
    // The minor offset of step k is floor((2 k minorDelta + steps) / (2 steps)); it is
    // worked out once at the first visible step, then carried along as quotient and
    // remainder (it grows by at most one per step since minorDelta <= steps).
    const int64_t minorDelta = xMajor ? ady : adx;
    const Wide num = Wide(2) * kBegin * minorDelta + steps;
    int64_t minorOff = static_cast<int64_t>(num / (2 * steps));
    int64_t rem = static_cast<int64_t>(num % (2 * steps));
    for (int64_t k = kBegin; k < kEnd; ++k) {
        if (k > kBegin) {
            rem += 2 * minorDelta;
            if (rem >= 2 * steps) {
                rem -= 2 * steps;
                ++minorOff;
            }
        }
        const int64_t x = xMajor ? x0 + sx * k : x0 + sx * minorOff;
        const int64_t y = xMajor ? y0 + sy * minorOff : y0 + sy * k;
        if (x >= 0 && y >= 0 && x < m_target.GetWidth() && y < m_target.GetHeight())
            Span(static_cast<int>(y), static_cast<int>(x), static_cast<int>(x) + 1, colour);
    }
}

void Canvas::WideLines(const CanvasPoint* points, size_t count, bool closed)
{
    // Every segment is a capsule around the segment between the end pixels' centres;
    // its pixels on one row form one span. The spans of all segments are merged row by
    // row so that each pixel is touched once (XOR mode stays exact at the joints).
    const double radius = m_pen.width * 0.5;
    const int height = m_target.GetHeight();
    std::vector<RowSpan> spans;
    const size_t segments = closed ? count : count - 1;
    for (size_t i = 0; i < segments; ++i) {
        const CanvasPoint& pa = points[i];
        const CanvasPoint& pb = points[(i + 1) % count];
        const double ax = double(pa.x) + 0.5, ay = double(pa.y) + 0.5;
        const double bx = double(pb.x) + 0.5, by = double(pb.y) + 0.5;
        const double dx = bx - ax, dy = by - ay;
        const double len2 = dx * dx + dy * dy;
        const double len = std::sqrt(len2);
        const int yBegin = static_cast<int>(std::clamp(std::floor(std::min(ay, by) - radius), 0.0, double(height)));
        const int yEnd = static_cast<int>(std::clamp(std::ceil(std::max(ay, by) + radius) + 1.0, 0.0, double(height)));
        for (int y = yBegin; y < yEnd; ++y) {
            const double cy = y + 0.5;
            double lo = HUGE_VAL, hi = -HUGE_VAL;
            auto disc = [&](double cx, double ccy) {
                const double d = cy - ccy;
                if (std::fabs(d) <= radius) {
                    const double half = std::sqrt(radius * radius - d * d);
                    lo = std::min(lo, cx - half);
                    hi = std::max(hi, cx + half);
                }
            };
            disc(ax, ay);
            disc(bx, by);
            if (len2 > 0.0) {
                // The body: projection onto the segment within [0, len2] and distance from
                // its line at most the radius; both are linear in x along the row.
                double sLo = -HUGE_VAL, sHi = HUGE_VAL;
                bool empty = false;
                auto bound = [&](double coef, double constant, double min, double max) {
                    // min <= coef * x + constant <= max
                    if (coef == 0.0) {
                        if (constant < min || constant > max)
                            empty = true;
                        return;
                    }
                    double u = (min - constant) / coef, v = (max - constant) / coef;
                    if (u > v)
                        std::swap(u, v);
                    sLo = std::max(sLo, u);
                    sHi = std::min(sHi, v);
                };
                // (x - ax) dx + (cy - ay) dy in [0, len2]
                bound(dx, -ax * dx + (cy - ay) * dy, 0.0, len2);
                // dx (cy - ay) - dy (x - ax) in [-r len, r len]
                bound(-dy, dx * (cy - ay) + dy * ax, -radius * len, radius * len);
                if (!empty && sLo <= sHi) {
                    lo = std::min(lo, sLo);
                    hi = std::max(hi, sHi);
                }
            }
            int x0, x1;
            if (CentresIn(lo, hi, x0, x1))
                spans.push_back({y, x0, x1});
        }
    }
    std::sort(spans.begin(), spans.end());
    for (size_t i = 0; i < spans.size();) {
        RowSpan merged = spans[i++];
        while (i < spans.size() && spans[i].y == merged.y && spans[i].x0 <= merged.x1)
            merged.x1 = std::max(merged.x1, spans[i++].x1);
        Span(merged.y, merged.x0, merged.x1, m_pen.colour);
    }
}

void Canvas::LineTo(int x, int y)
{
    const CanvasPoint pts[2] = {m_current, {x, y}};
    m_current = {x, y};
    Polyline(pts, 2);
}

void Canvas::Polyline(const CanvasPoint* points, size_t count)
{
    if (!m_pen.visible || count < 2 || m_target.IsEmpty())
        return;
    if (m_pen.width > 1) {
        WideLines(points, count, false);
        return;
    }
    for (size_t i = 0; i + 1 < count; ++i)
        ThinLine(points[i], points[i + 1], m_pen.colour);
}

void Canvas::FillPolygonEvenOdd(const CanvasPoint* points, size_t count, uint32_t colour)
{
    // Row y samples the polygon at y + 0.5, which never meets a vertex row: an edge from
    // (xa, ya) to (xb, yb) crosses that line when min(ya, yb) <= y < max(ya, yb), at
    // x = xa + (2 (y - ya) + 1)(xb - xa) / (2 (yb - ya)). The pixels whose centres lie at
    // or right of one crossing and left of the next are filled; all in exact integers.
    struct Edge {
        int64_t xa, ya, xb, yb;  // ya < yb
    };
    std::vector<Edge> edges;
    edges.reserve(count);
    int64_t yMin = std::numeric_limits<int64_t>::max(), yMax = std::numeric_limits<int64_t>::min();
    for (size_t i = 0; i < count; ++i) {
        const CanvasPoint& p = points[i];
        const CanvasPoint& q = points[(i + 1) % count];
        int64_t xa = p.x, ya = p.y, xb = q.x, yb = q.y;
        if (ya == yb)
            continue;
        if (ya > yb) {
            std::swap(xa, xb);
            std::swap(ya, yb);
        }
        edges.push_back({xa, ya, xb, yb});
        yMin = std::min(yMin, ya);
        yMax = std::max(yMax, yb);
    }
    if (edges.empty())
        return;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.ya < b.ya; });

    const int64_t rowBegin = std::max<int64_t>(yMin, 0);
    const int64_t rowEnd = std::min<int64_t>(yMax, m_target.GetHeight());
    std::vector<size_t> active;
    std::vector<int64_t> xs;
    size_t next = 0;
    for (int64_t y = rowBegin; y < rowEnd; ++y) {
        while (next < edges.size() && edges[next].ya <= y)
            active.push_back(next++);
        active.erase(std::remove_if(active.begin(), active.end(), [&](size_t e) { return edges[e].yb <= y; }),
                     active.end());
        xs.clear();
        for (size_t e : active) {
            const Edge& ed = edges[e];
            // First pixel whose centre is at or right of the crossing:
            // ceil(cross - 0.5) = xa + ceil((2n - d) / (2d)), n = (2(y - ya) + 1)(xb - xa), d = 2(yb - ya).
            const Wide n = Wide(2 * (y - ed.ya) + 1) * (ed.xb - ed.xa);
            const Wide d = 2 * (ed.yb - ed.ya);
            xs.push_back(ed.xa - static_cast<int64_t>(FloorDiv(d - 2 * n, 2 * d)));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2) {
            const int64_t a = std::max<int64_t>(xs[i], 0);
            const int64_t b = std::min<int64_t>(xs[i + 1], m_target.GetWidth());
            if (a < b)
                Span(static_cast<int>(y), static_cast<int>(a), static_cast<int>(b), colour);
        }
    }
}

void Canvas::Polygon(const CanvasPoint* points, size_t count)
{
    if (count < 3 || m_target.IsEmpty())
        return;
    if (m_brush.visible)
        FillPolygonEvenOdd(points, count, m_brush.colour);
    if (!m_pen.visible)
        return;
    if (m_pen.width > 1) {
        WideLines(points, count, true);
        return;
    }
    for (size_t i = 0; i < count; ++i)
        ThinLine(points[i], points[(i + 1) % count], m_pen.colour);
}

void Canvas::Rectangle(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top || m_target.IsEmpty())
        return;
    // The outline is the band of the pen width inside the box: the columns before
    // left + w or from right - w on, and the rows likewise. When the two bands of a narrow
    // box meet, they are one span, so that each pixel is drawn once (also in XOR mode).
    // The brush fills what lies inside the band.
    const int64_t w = m_pen.visible ? std::max(m_pen.width, 1) : 0;
    const int64_t fl = std::min<int64_t>(int64_t(left) + w, right);
    const int64_t fr = std::max<int64_t>(int64_t(right) - w, fl);
    const int64_t ft = int64_t(top) + w, fb = int64_t(bottom) - w;
    const int y0 = std::max(top, 0), y1 = std::min(bottom, m_target.GetHeight());
    for (int y = y0; y < y1; ++y) {
        if (m_pen.visible) {
            if (y < ft || y >= fb) {
                Span(y, left, right, m_pen.colour);
                continue;
            }
            Span(y, left, static_cast<int>(fl), m_pen.colour);
            Span(y, static_cast<int>(fr), right, m_pen.colour);
        }
        if (m_brush.visible)
            Span(y, static_cast<int>(fl), static_cast<int>(fr), m_brush.colour);
    }
}

namespace {

// Pixels of row y whose centres lie inside the ellipse with centre (cx, cy) and half-axes
// (a, b): x + 0.5 in [cx - h, cx + h) with h the half-width of the ellipse at y + 0.5.
bool EllipseRow(double cx, double cy, double a, double b, int y, int& x0, int& x1)
{
    if (a <= 0.0 || b <= 0.0)
        return false;
    const double t = (y + 0.5 - cy) / b;
    if (t * t > 1.0)
        return false;
    const double half = a * std::sqrt(1.0 - t * t);
    x0 = static_cast<int>(std::ceil(cx - half - 0.5));
    x1 = static_cast<int>(std::ceil(cx + half - 0.5));
    return x0 < x1;
}

} // namespace

void Canvas::Ellipse(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top || m_target.IsEmpty())
        return;
    const double l = left, t = top, r = right, b = bottom;
    const double cx = (l + r) * 0.5, cy = (t + b) * 0.5, ax = (r - l) * 0.5, ay = (b - t) * 0.5;
    const double inset = m_pen.visible ? std::max(m_pen.width, 1) : 0.0;
    const int y0 = static_cast<int>(std::max(t, 0.0));
    const int y1 = static_cast<int>(std::min(b, double(m_target.GetHeight())));
    for (int y = y0; y < y1; ++y) {
        int ox0, ox1;
        if (!EllipseRow(cx, cy, ax, ay, y, ox0, ox1))
            continue;
        int ix0 = 0, ix1 = 0;
        const bool inner = EllipseRow(cx, cy, ax - inset, ay - inset, y, ix0, ix1);
        if (!inner) {
            if (m_pen.visible)
                Span(y, ox0, ox1, m_pen.colour);
            else if (m_brush.visible)
                Span(y, ox0, ox1, m_brush.colour);
            continue;
        }
        if (m_pen.visible) {
            Span(y, ox0, ix0, m_pen.colour);
            Span(y, ix1, ox1, m_pen.colour);
        }
        if (m_brush.visible)
            Span(y, ix0, ix1, m_brush.colour);
    }
}

// ---- the canvas a buffer hands out ----

void VideoBuffer::CanvasDeleter::operator()(Canvas* canvas) const
{
    delete canvas;
}

Canvas* VideoBuffer::GetDC()
{
    if (!m_bits)
        return nullptr;
    if (!m_canvas)
        m_canvas.reset(new Canvas(*this));
    return m_canvas.get();
}

int VideoBuffer::ReleaseDC()
{
    if (!m_canvas)
        return 0;
    m_canvas.reset();
    return 1;
}

} // namespace kv
