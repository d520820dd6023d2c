#include "world/SurfBrush.h"

#include "base/layers/CSelection.h"
#include "base/raster/VideoBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <unistd.h>

using namespace kv;

namespace {

Grid2DPtr FloatGrid(int w, int h, float fill)
{
    Grid2DPtr g = Alloc2D(static_cast<std::size_t>(w), static_cast<std::size_t>(h), sizeof(float));
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            g->Rows<float>()[r][c] = fill;
    return g;
}

float At(const Grid2D& g, int c, int r) { return g.Rows<float>()[r][c]; }

// The paint tools' brush: combine mode 1, cone weights, bias data, columns wrapping.
BrushSettings PaintSettings(int size, int type = 0x103010)
{
    BrushSettings s;
    s.width = s.height = size;
    s.type = type;
    return s;
}

} // namespace

TEST(SurfBrushTest, ConeWeightsOfTheElevenCellStamp)
{
    SurfBrush brush(PaintSettings(11));
    for (int r : {5, 6})
        for (int c : {5, 6})
            EXPECT_NEAR(brush.Weight(r, c), 0.871435f, 1e-6);
    EXPECT_NEAR(brush.Weight(5, 10), 0.176783f, 1e-6);
    EXPECT_EQ(brush.Weight(5, 0), 0.0f);
    // Raise by 100: the pointer's cell is stamp cell (5, 5).
    Grid2DPtr grid = FloatGrid(64, 32, 0.0f);
    brush.SetValue(100.0f);
    ASSERT_EQ(brush.StrokeSegment(*grid, 20, 10, *grid, 20, 10, nullptr, 0, 0), 0);
    EXPECT_NEAR(At(*grid, 20, 10), 87.1435f, 1e-3);
    EXPECT_NEAR(At(*grid, 25, 10), 17.6783f, 1e-3);
    EXPECT_EQ(At(*grid, 15, 10), 0.0f);
    EXPECT_EQ(At(*grid, 26, 10), 0.0f);
}

TEST(SurfBrushTest, SizesBecomeOddAndBiasIsHeld)
{
    BrushSettings s;
    s.width = 10;
    s.height = 4;
    s.bias = 0.0f;
    SurfBrush brush(s);
    int w = 0, h = 0;
    brush.GetSize(w, h);
    EXPECT_EQ(w, 11);
    EXPECT_EQ(h, 5);
    EXPECT_FLOAT_EQ(brush.GetSettings().bias, 0.0001f);
    s.bias = 2.0f;
    s.width = 100000;
    brush.SetSettings(s);
    brush.GetSize(w, h);
    EXPECT_EQ(w, 513);
    EXPECT_FLOAT_EQ(brush.GetSettings().bias, 0.9999f);
}

TEST(SurfBrushTest, CombineModesOnOneCell)
{
    struct Case {
        int mode;
        float expected;
    } cases[] = {{0, 3.0f}, {1, 5.0f}, {2, -1.0f}, {3, 6.0f}, {4, 2.0f / 3.0f},
                 {5, 2.0f}, {6, 3.0f}, {7, 8.0f}, {8, 2.0f}};
    for (const Case& c : cases) {
        BrushSettings s = PaintSettings(1, 0x3000);
        s.SetMode(c.mode);
        s.value = 3.0f;
        SurfBrush brush(s);
        Grid2DPtr grid = FloatGrid(8, 8, 2.0f);
        brush.StrokeSegment(*grid, 3, 3, *grid, 3, 3, nullptr, 0, 0);
        // A one-row stamp paints one row further up.
        EXPECT_NEAR(At(*grid, 3, 4), c.expected, 1e-6) << c.mode;
        EXPECT_EQ(At(*grid, 3, 3), 2.0f) << c.mode;
    }
    // Divide by a zero product keeps the cell.
    BrushSettings s = PaintSettings(1, 0x3040);
    s.value = 0.0f;
    SurfBrush brush(s);
    Grid2DPtr grid = FloatGrid(8, 8, 2.0f);
    brush.StrokeSegment(*grid, 3, 3, *grid, 3, 3, nullptr, 0, 0);
    EXPECT_EQ(At(*grid, 3, 4), 2.0f);
}

TEST(SurfBrushTest, SelectionBlendsByWeight)
{
    CSelection selection;
    ASSERT_EQ(selection.Create(16, 8), 0);
    selection.SetAt(4, 4, 128);
    selection.SetAt(5, 4, 255);
    selection.SetActive(true);
    BrushSettings s = PaintSettings(3, 0x0000); // toward the value, full weights
    s.value = 10.0f;
    SurfBrush brush(s);
    Grid2DPtr grid = FloatGrid(16, 8, 2.0f);
    brush.StrokeSegment(*grid, 4, 4, *grid, 4, 4, &selection, 0, 0);
    EXPECT_EQ(At(*grid, 3, 4), 2.0f);                         // weight 0
    EXPECT_NEAR(At(*grid, 4, 4), 2.0f + 8.0f * 128 / 255, 1e-5); // 128
    EXPECT_EQ(At(*grid, 5, 4), 10.0f);                        // 255
}

TEST(SurfBrushTest, ClippingAndWrapping)
{
    // Without wrapping a stamp at the left edge paints only its right part, and a clipped
    // rectangle never reaches the last column.
    SurfBrush clipped(PaintSettings(5, 0x0010));
    Grid2DPtr grid = FloatGrid(10, 10, 0.0f);
    clipped.StrokeSegment(*grid, 0, 5, *grid, 0, 5, nullptr, 0, 0);
    EXPECT_EQ(At(*grid, 0, 5), 1.0f);
    EXPECT_EQ(At(*grid, 2, 5), 1.0f);
    EXPECT_EQ(At(*grid, 9, 5), 0.0f);
    Grid2DPtr right = FloatGrid(10, 10, 0.0f);
    clipped.StrokeSegment(*right, 9, 5, *right, 9, 5, nullptr, 0, 0);
    EXPECT_EQ(At(*right, 8, 5), 1.0f);
    EXPECT_EQ(At(*right, 9, 5), 0.0f);
    StrokeRect rect;
    EXPECT_EQ(clipped.StrokeRectangle(*grid, -3, 5, rect), SurfBrush::kNoColumns);
    EXPECT_EQ(clipped.StrokeRectangle(*grid, 5, 12, rect), SurfBrush::kNoRows);

    // With the column wrap bit the stamp continues on the other side.
    SurfBrush wrapped(PaintSettings(5, 0x100010));
    Grid2DPtr w = FloatGrid(10, 10, 0.0f);
    wrapped.StrokeSegment(*w, 0, 5, *w, 0, 5, nullptr, 0, 0);
    EXPECT_EQ(At(*w, 9, 5), 1.0f);
    EXPECT_EQ(At(*w, 8, 5), 1.0f);
    EXPECT_EQ(At(*w, 7, 5), 0.0f);
    // Rows wrap only with their own bit.
    SurfBrush rows(PaintSettings(5, 0x200010));
    Grid2DPtr g2 = FloatGrid(10, 10, 0.0f);
    rows.StrokeSegment(*g2, 5, 0, *g2, 5, 0, nullptr, 0, 0);
    EXPECT_EQ(At(*g2, 5, 9), 1.0f);
    EXPECT_EQ(At(*g2, 5, 8), 1.0f);
}

TEST(SurfBrushTest, ExpressionShapes)
{
    // "1-r" is the cone.
    BrushSettings expr = PaintSettings(11, 0x12010);
    SurfBrush cone(PaintSettings(11, 0x2010));
    SurfBrush byExpression(expr);
    for (int r = 0; r < 11; ++r)
        for (int c = 0; c < 11; ++c)
            EXPECT_NEAR(byExpression.Weight(r, c), cone.Weight(r, c), 1e-6) << r << "," << c;
    // Negative masks give 0, large ones 1; the data expression is taken as it is.
    expr.maskExpression = "x*4";
    expr.dataExpression = "y";
    SurfBrush ramp(expr);
    EXPECT_EQ(ramp.Weight(5, 0), 0.0f);
    EXPECT_EQ(ramp.Weight(5, 10), 1.0f);
    EXPECT_NEAR(ramp.Data(0, 3), -1.0f, 1e-6);
    // An unreadable expression: 251 and a stamp that paints nothing.
    expr.maskExpression = "1-q";
    SurfBrush broken(PaintSettings(3));
    EXPECT_EQ(broken.SetSettings(expr), SurfBrush::kExpressionUnreadable);
    Grid2DPtr grid = FloatGrid(16, 16, 4.0f);
    broken.StrokeSegment(*grid, 8, 8, *grid, 8, 8, nullptr, 0, 0);
    EXPECT_EQ(At(*grid, 8, 8), 4.0f);
}

TEST(SurfBrushTest, ImageShapes)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("kv_surfbrush_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    VideoBuffer image;
    ASSERT_EQ(image.Create(4, 2), 0);
    image.Clear(0x000000);
    for (int c : {2, 3})
        for (int r : {0, 1})
            image.SetPixel(c, r, 0xFFFFFF);
    const std::string path = (dir / "shape.bmp").string();
    ASSERT_EQ(image.SaveBMP(path), 0);
    BrushSettings s = PaintSettings(3, 0x20010);
    s.height = 3;
    s.fileName = path;
    SurfBrush brush(s);
    EXPECT_EQ(brush.Weight(1, 0), 0.0f);
    EXPECT_NEAR(brush.Weight(1, 2), 1.0f, 1e-6);
    EXPECT_EQ(brush.Data(1, 1), 1.0f);
    // A one-wide stamp samples the image's middle (between black and white there).
    s.width = 1;
    brush.SetSettings(s);
    EXPECT_GT(brush.Weight(1, 0), 0.0f);
    EXPECT_LT(brush.Weight(1, 0), 1.0f);
    s.fileName = (dir / "missing.bmp").string();
    EXPECT_EQ(brush.SetSettings(s), SurfBrush::kImageUnreadable);
    std::filesystem::remove_all(dir);
}

TEST(SurfBrushTest, ValueSourcesFromTheGrid)
{
    Grid2DPtr source = FloatGrid(10, 10, 0.0f);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c)
            source->Rows<float>()[r][c] = static_cast<float>(r * 10 + c);
    // Source 4: each stamp cell takes the source cell under it (clamped), toward at weight 1.
    SurfBrush cells(PaintSettings(3, 0x0004));
    Grid2DPtr target = FloatGrid(10, 10, -1.0f);
    cells.StrokeSegment(*target, *source, 0, 5, nullptr, 0.0);
    EXPECT_EQ(At(*target, 0, 5), 50.0f);
    EXPECT_EQ(At(*target, 1, 6), 61.0f);
    EXPECT_EQ(At(*target, 2, 5), -1.0f);
    // Source 5: the same cells, through the clipped rectangle.
    SurfBrush rect(PaintSettings(3, 0x0005));
    Grid2DPtr t2 = FloatGrid(10, 10, -1.0f);
    rect.StrokeSegment(*t2, *source, 4, 4, nullptr, 0.0);
    EXPECT_EQ(At(*t2, 3, 3), 33.0f);
    EXPECT_EQ(At(*t2, 5, 5), 55.0f);
}

TEST(SurfBrushTest, RotatedStampAndWholeValues)
{
    // A 3 x 1 bar turned by 90 degrees stands upright.
    BrushSettings s = PaintSettings(3, 0x0010);
    s.height = 1;
    SurfBrush bar(s);
    Grid2DPtr grid = FloatGrid(10, 10, 0.0f);
    bar.StrokeSegment(*grid, *grid, 5, 5, nullptr, 1.5707963);
    EXPECT_EQ(At(*grid, 5, 4), 1.0f);
    EXPECT_EQ(At(*grid, 5, 6), 1.0f);
    EXPECT_EQ(At(*grid, 4, 5), 0.0f);

    // Climate classes: a whole code where the weight is above 0 and the selection at least
    // half, nothing elsewhere.
    BrushSettings c = PaintSettings(5, 0x103000);
    c.value = 5.0f;
    SurfBrush climate(c);
    climate.SetWholeValues(true);
    CSelection selection;
    selection.Create(10, 10);
    selection.SetAt(4, 4, 127);
    selection.SetAt(5, 4, 128);
    selection.SetAt(5, 5, 255);
    selection.SetActive(true);
    Grid2DPtr classes = FloatGrid(10, 10, -1.0f);
    climate.StrokeSegment(*classes, 5, 5, *classes, 5, 5, &selection, 0, 0);
    EXPECT_EQ(At(*classes, 5, 5), 5.0f);
    EXPECT_EQ(At(*classes, 5, 4), 5.0f);
    EXPECT_EQ(At(*classes, 4, 4), -1.0f);
}
