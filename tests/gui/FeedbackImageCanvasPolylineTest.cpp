// The polyline and the arrow's solid pen of the feedback canvas: drawn twice, the image is
// as before; drawn once, it changed.
#include "../support/QtTestApp.h"

#include "gui/view/FeedbackImageCanvas.h"
#include "gui/view/ToolCursors.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace kv;

TEST(FeedbackImageCanvasPolyline, DrawnTwiceLeavesTheImage)
{
    TestApp();
    QImage screen(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            screen.setPixel(x, y, qRgb(x * 4, y * 5, (x ^ y) & 0xFF));
    const QImage before = screen.copy();
    FeedbackImageCanvas canvas(screen);
    const std::vector<FeedbackPoint> points = {{2, 2}, {40, 5}, {30, 40}, {2, 2}};
    canvas.XorPolyline(points);
    EXPECT_NE(screen, before);
    canvas.XorPolyline(points);
    EXPECT_EQ(screen, before);
    canvas.XorSolidLine(5, 40, 60, 10, 2);
    const QImage once = screen.copy();
    EXPECT_NE(once, before);
    canvas.XorSolidLine(5, 40, 60, 10, 2);
    EXPECT_EQ(screen, before);
    // Every selection cursor has its image; other ids fall back.
    QCursor cursor;
    for (int id : {524, 525, 526, 532, 535, 517, 543, 353, 538, 539, 350, 548, 547})
        EXPECT_TRUE(MapEditCursor(id, cursor)) << id;
    EXPECT_FALSE(MapEditCursor(520, cursor));
    EXPECT_FALSE(MapEditCursor(0, cursor));
}
