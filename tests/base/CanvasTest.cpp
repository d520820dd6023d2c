#include "base/raster/Canvas.h"
#include "base/raster/VideoBuffer.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using kv::Brush;
using kv::Canvas;
using kv::CanvasPoint;
using kv::Pen;
using kv::RasterOp;
using kv::VideoBuffer;

namespace {

// Even-odd crossing test of a point against a closed polygon.
bool InsideEvenOdd(const std::vector<CanvasPoint>& poly, double x, double y)
{
    bool inside = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const double xi = poly[i].x, yi = poly[i].y, xj = poly[j].x, yj = poly[j].y;
        if ((yi > y) != (yj > y) && x < xi + (y - yi) * (xj - xi) / (yj - yi))
            inside = !inside;
    }
    return inside;
}

double DistanceToSegment(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
    t = std::fmax(0.0, std::fmin(1.0, t));
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// The image as rows of '#' (colour `on`), '.' (0) and '?' (anything else).
std::string Picture(const VideoBuffer& b, uint32_t on)
{
    std::string s;
    for (int y = 0; y < b.GetHeight(); ++y) {
        for (int x = 0; x < b.GetWidth(); ++x) {
            const uint32_t v = b.GetPixel(x, y);
            s += v == on ? '#' : v == 0 ? '.' : '?';
        }
        s += '\n';
    }
    return s;
}

} // namespace

TEST(Canvas, PolygonsFillPixelCentresByTheEvenOddRule)
{
    const std::vector<std::vector<CanvasPoint>> polygons = {
        {{1, 1}, {5, 1}, {5, 4}, {1, 4}},                      // axis-aligned box
        {{2, 1}, {17, 6}, {4, 13}},                            // triangle
        {{10, 0}, {13, 14}, {1, 5}, {19, 5}, {7, 14}},         // self-crossing star: hollow middle
        {{-6, -3}, {12, 2}, {25, 20}, {3, 9}},                 // reaching off the image
        {{3, 3}, {16, 3}, {16, 12}, {3, 12}, {6, 6}, {12, 6}, {12, 9}, {6, 9}},  // with a keyhole seam
    };
    for (size_t i = 0; i < polygons.size(); ++i) {
        VideoBuffer b(20, 15);
        Canvas& c = *b.GetDC();
        c.SelectPen(Pen::Null());
        c.SelectBrush(Brush::Solid(0x808080));
        c.Polygon(polygons[i]);
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(b.GetPixel(x, y), InsideEvenOdd(polygons[i], x + 0.5, y + 0.5) ? 0x808080u : 0u)
                    << "polygon " << i << " pixel " << x << "," << y;
    }

    VideoBuffer b(8, 6);
    Canvas& c = *b.GetDC();
    c.SelectPen(Pen::Null());
    c.SelectBrush(Brush::Solid(1));
    c.Polygon({{1, 1}, {5, 1}, {5, 4}, {1, 4}});
    EXPECT_EQ(Picture(b, 1), "........\n"
                             ".####...\n"
                             ".####...\n"
                             ".####...\n"
                             "........\n"
                             "........\n");
    // Fewer than three points draw nothing.
    b.Clear(0);
    c.Polygon({{0, 0}, {7, 5}});
    EXPECT_EQ(Picture(b, 1).find('#'), std::string::npos);
}

TEST(Canvas, ThinLinesLeaveTheirEndPointUndrawn)
{
    VideoBuffer b(7, 5);
    Canvas& c = *b.GetDC();
    c.SelectPen(Pen::Solid(0xFFFFFF));
    c.MoveTo(0, 0);
    c.LineTo(4, 2);
    EXPECT_EQ(Picture(b, 0xFFFFFF), "#......\n"
                                    ".##....\n"
                                    "...#...\n"
                                    ".......\n"
                                    ".......\n");
    EXPECT_EQ(c.GetCurrentPosition(), (CanvasPoint{4, 2}));

    // A closed outline drawn twice in XOR mode vanishes: every pixel was touched once
    // per pass, corners included.
    b.Clear(0);
    c.SetRasterOp(RasterOp::Xor);
    const std::vector<CanvasPoint> square = {{1, 1}, {5, 1}, {5, 4}, {1, 4}, {1, 1}};
    c.Polyline(square);
    EXPECT_EQ(Picture(b, 0xFFFFFF), ".......\n"
                                    ".#####.\n"
                                    ".#...#.\n"
                                    ".#...#.\n"
                                    ".#####.\n");
    c.Polyline(square);
    EXPECT_EQ(Picture(b, 0xFFFFFF).find('#'), std::string::npos);

    // Far-away end points are clipped without walking to them.
    b.Clear(0);
    c.SetRasterOp(RasterOp::Copy);
    c.Polyline({{-2000000000, 2}, {2000000000, 2}});
    EXPECT_EQ(Picture(b, 0xFFFFFF).substr(16, 7), "#######");
}

TEST(Canvas, WidePensCoverPixelsWithinHalfTheWidth)
{
    const std::vector<CanvasPoint> path = {{3, 4}, {16, 9}, {5, 13}};
    for (int width : {2, 3, 5}) {
        VideoBuffer b(22, 18);
        Canvas& c = *b.GetDC();
        c.SelectPen(Pen::Solid(0x00FF00, width));
        c.SetRasterOp(RasterOp::Xor);  // a pixel touched twice would flip back to black
        c.Polyline(path);
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 22; ++x) {
                double d = 1e9;
                for (size_t i = 0; i + 1 < path.size(); ++i)
                    d = std::fmin(d, DistanceToSegment(x + 0.5, y + 0.5, path[i].x + 0.5, path[i].y + 0.5,
                                                       path[i + 1].x + 0.5, path[i + 1].y + 0.5));
                if (std::fabs(d - width * 0.5) < 1e-9)
                    continue;  // exactly on the rim: either answer is within tolerance
                ASSERT_EQ(b.GetPixel(x, y), d < width * 0.5 ? 0x00FF00u : 0u)
                    << "width " << width << " pixel " << x << "," << y;
            }
    }

    // A horizontal 3-pixel line: rows 4-6, round caps one pixel past both ends.
    VideoBuffer b(12, 9);
    Canvas& c = *b.GetDC();
    c.SelectPen(Pen::Solid(7, 3));
    c.MoveTo(2, 5);
    c.LineTo(8, 5);
    EXPECT_EQ(Picture(b, 7), "............\n"
                             "............\n"
                             "............\n"
                             "............\n"
                             ".#########..\n"
                             ".#########..\n"
                             ".#########..\n"
                             "............\n"
                             "............\n");
}

TEST(Canvas, RectanglesAndEllipsesUseThePenInsideTheBox)
{
    VideoBuffer b(9, 7);
    Canvas& c = *b.GetDC();
    EXPECT_EQ(c.SelectPen(Pen::Solid(1)).colour, 0u);  // starts with a black one-pixel pen
    c.SelectBrush(Brush::Solid(2));
    c.Rectangle(1, 1, 7, 6);
    std::string s;
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 9; ++x)
            s += char('0' + b.GetPixel(x, y));
        s += '\n';
    }
    EXPECT_EQ(s, "000000000\n"
                 "011111100\n"
                 "012222100\n"
                 "012222100\n"
                 "012222100\n"
                 "011111100\n"
                 "000000000\n");

    // A filled ellipse covers the pixel centres inside the ellipse inscribed in the box.
    VideoBuffer e(24, 16);
    Canvas& ce = *e.GetDC();
    ce.SelectPen(Pen::Null());
    ce.SelectBrush(Brush::Solid(9));
    ce.Ellipse(2, 3, 21, 14);
    const double cx = 11.5, cy = 8.5, ax = 9.5, ay = 5.5;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const double t = std::pow((x + 0.5 - cx) / ax, 2) + std::pow((y + 0.5 - cy) / ay, 2);
            if (std::fabs(t - 1.0) < 1e-9)
                continue;
            ASSERT_EQ(e.GetPixel(x, y), t < 1.0 ? 9u : 0u) << x << "," << y;
        }
    // With a pen the same area is split into an outline band and the brush inside it.
    VideoBuffer o(24, 16);
    Canvas& co = *o.GetDC();
    co.SelectPen(Pen::Solid(4, 2));
    co.SelectBrush(Brush::Solid(5));
    co.Ellipse(2, 3, 21, 14);
    int pen = 0, brush = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            EXPECT_EQ(o.GetPixel(x, y) != 0, e.GetPixel(x, y) != 0) << x << "," << y;
            pen += o.GetPixel(x, y) == 4;
            brush += o.GetPixel(x, y) == 5;
        }
    EXPECT_GT(pen, 0);
    EXPECT_GT(brush, pen / 2);
    EXPECT_EQ(o.GetPixel(11, 8), 5u);
    EXPECT_EQ(o.GetPixel(2, 8), 4u);
}

TEST(Canvas, DrawsIntoEveryDepthAndStopsWithTheBuffer)
{
    for (int bits : {8, 24, 32}) {
        VideoBuffer b;
        ASSERT_EQ(b.Create(6, 4, bits), 0);
        Canvas* c = b.GetDC();
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(b.GetDC(), c);  // kept until released
        c->SelectPen(Pen::Null());
        c->SelectBrush(Brush::Solid(0xFF405060));
        c->Rectangle(0, 0, 6, 4);
        c->SetRasterOp(RasterOp::Xor);
        c->Rectangle(0, 0, 3, 4);
        const uint32_t full = bits == 32 ? 0xFF405060u : bits == 24 ? 0x405060u : 0x60u;
        EXPECT_EQ(b.GetPixel(5, 3), full) << bits;
        EXPECT_EQ(b.GetPixel(0, 0), 0u) << bits;
        EXPECT_EQ(b.ReleaseDC(), 1);
        EXPECT_EQ(b.ReleaseDC(), 0);
    }
    VideoBuffer empty;
    EXPECT_EQ(empty.GetDC(), nullptr);
}

TEST(Canvas, RectangleOutlinesTouchEachPixelOnceInXorMode)
{
    // Boxes narrower than two pen widths: the two side bands meet or overlap, and every
    // pixel must still be drawn once (XORing twice would erase it).
    for (int pen : {1, 2, 3}) {
        for (int boxWidth = 1; boxWidth <= 6; ++boxWidth) {
            VideoBuffer b(10, 9);
            Canvas& c = *b.GetDC();
            c.SetRasterOp(RasterOp::Xor);
            c.SelectPen(Pen::Solid(0x0000FF, pen));
            c.SelectBrush(Brush::Solid(0x00FF00));
            const int l = 2, t = 1, r = l + boxWidth, bottom = 8;
            c.Rectangle(l, t, r, bottom);
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 10; ++x) {
                    const bool inBox = x >= l && x < r && y >= t && y < bottom;
                    const bool band = x < l + pen || x >= r - pen || y < t + pen || y >= bottom - pen;
                    ASSERT_EQ(b.GetPixel(x, y), !inBox ? 0u : band ? 0x0000FFu : 0x00FF00u)
                        << "pen " << pen << " box width " << boxWidth << " pixel " << x << "," << y;
                }
        }
    }
}

TEST(Canvas, FarAwayCoordinatesKeepTheShapesDirection)
{
    // Each far shape has the same on-image part as a near one with exactly the same edges
    // (slope 1/2 through the same pixel corners), so the pictures must be equal.
    const int kMax = 2147483647;
    struct Case {
        const char* what;
        std::vector<CanvasPoint> far, near;
        bool fill;
        int width;
    } cases[] = {
        {"thin line from the image", {{0, 0}, {kMax - 1, (kMax - 1) / 2}}, {{0, 0}, {24, 12}}, false, 1},
        {"thin line through the image", {{-kMax + 1, -(kMax - 1) / 2}, {kMax - 1, (kMax - 1) / 2}},
         {{-24, -12}, {24, 12}}, false, 1},
        {"steep thin line", {{1, 0}, {(kMax - 1) / 2 + 1, kMax - 1}}, {{1, 0}, {13, 24}}, false, 1},
        {"wide line", {{0, 0}, {kMax - 1, (kMax - 1) / 2}}, {{0, 0}, {48, 24}}, false, 3},
        {"wide line through the image", {{-kMax + 1, -(kMax - 1) / 2}, {kMax - 1, (kMax - 1) / 2}},
         {{-48, -24}, {48, 24}}, false, 2},
        {"triangle", {{0, 0}, {kMax - 1, (kMax - 1) / 2}, {0, (kMax - 1) / 2}}, {{0, 0}, {24, 12}, {0, 12}}, true, 0},
        {"quadrilateral", {{-kMax + 1, -(kMax - 1) / 2}, {kMax - 1, (kMax - 1) / 2}, {-kMax, kMax}},
         {{-24, -12}, {24, 12}, {-24, 24}}, true, 0},
    };
    for (const Case& k : cases) {
        std::string pictures[2];
        for (int i = 0; i < 2; ++i) {
            VideoBuffer b(12, 8);
            Canvas& c = *b.GetDC();
            const std::vector<CanvasPoint>& pts = i == 0 ? k.far : k.near;
            if (k.fill) {
                c.SelectPen(Pen::Null());
                c.SelectBrush(Brush::Solid(1));
                c.Polygon(pts);
            } else {
                c.SelectPen(Pen::Solid(1, k.width));
                c.Polyline(pts);
            }
            pictures[i] = Picture(b, 1);
        }
        EXPECT_EQ(pictures[0], pictures[1]) << k.what;
        EXPECT_NE(pictures[1].find('#'), std::string::npos) << k.what;
    }
}
