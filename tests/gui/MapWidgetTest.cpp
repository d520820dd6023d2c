// The map widget draws the view core's composite 1:1, and tool feedback is XOR.
#include "DocumentFixtures.h"
#include "QtTestApp.h"
#include "ViewFixtures.h"

#include "base/Progress.h"
#include "document/CKVDoc.h"
#include "gui/view/FeedbackImageCanvas.h"
#include "gui/dialogs/CAltColorDlg.h"
#include "gui/view/MapWidget.h"
#include "shading/ShaderRegistry.h"

#include <QImage>
#include <QKeyEvent>
#include <QPainter>

#include <gtest/gtest.h>

using namespace kv;

namespace {

// Every client pixel of the grab against the composite (0x00BBGGRR, row 0 at the top).
int CountDifferences(const QImage& grab, const VideoBuffer& composite, int width, int height)
{
    int differences = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = composite.GetPixel(x, y);
            const QRgb g = grab.pixel(x, y);
            differences += qRed(g) != static_cast<int>(c & 0xFF) || qGreen(g) != static_cast<int>((c >> 8) & 0xFF) ||
                           qBlue(g) != static_cast<int>((c >> 16) & 0xFF);
        }
    }
    return differences;
}

class MapWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApp();
        previousHooks = SetProgressHooks(SilentProgressHooks());
        doc.OnNewDocument();
    }
    void TearDown() override
    {
        widget.reset();
        ShaderRegistry::Destroy();
        SetProgressHooks(previousHooks);
    }
    void RenderAt(int w, int h)
    {
        widget->resize(w, h);
        QCoreApplication::processEvents();
        ASSERT_TRUE(kvtest::WaitUntil([&] { return widget->View().PrepareRender(); }));
        ASSERT_EQ(widget->View().GetPass(), CKVView::kPassReported);
    }

    DocumentEnvironment env;
    CKVDoc doc;
    ProgressHooks previousHooks{};
    std::unique_ptr<MapWidget> widget;
};

} // namespace

TEST_F(MapWidgetTest, GrabEqualsTheCompositeAlsoAtSizesThatAreNoMultipleOf8)
{
    widget = std::make_unique<MapWidget>(doc);
    widget->View().OnInitialUpdate(ViewStartup{});
    widget->show();
    EXPECT_EQ(widget->FrameTimerInterval(), 250); // 1000 / DR with DR 4
    for (QSize size : {QSize(160, 96), QSize(157, 101)}) {
        RenderAt(size.width(), size.height());
        const QImage grab = widget->grab().toImage();
        ASSERT_EQ(grab.size(), size);
        const VideoBuffer& composite = widget->View().Compose(false);
        ASSERT_GE(composite.GetWidth(), size.width());
        ASSERT_EQ(composite.GetWidth() % 8, 0);
        EXPECT_EQ(CountDifferences(grab, composite, size.width(), size.height()), 0) << size.width();
        // Not one colour: the world is there, upright (the poles are off the map in
        // neither corner of an equirectangular view, but top and bottom rows differ).
        EXPECT_NE(grab.pixel(size.width() / 2, 1), grab.pixel(size.width() / 2, size.height() / 2));
    }
}

TEST(FeedbackCanvas, DrawingTwiceLeavesTheScreenAsItWas)
{
    TestApp();
    QImage screen(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            screen.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) & 0xFF));
    const QImage before = screen.copy();
    FeedbackImageCanvas canvas(screen);
    auto drawAll = [&] {
        canvas.XorLine(2, 3, 60, 40);
        canvas.XorRectangle(5, 5, 30, 20);
        canvas.XorEllipse(20, 10, 50, 44);
        canvas.FocusRectangle(1, 1, 63, 47);
    };
    drawAll();
    EXPECT_NE(screen, before);
    // White XOR: a touched pixel is the complement of what it was.
    int complemented = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            if (screen.pixel(x, y) != before.pixel(x, y)) {
                const QRgb a = screen.pixel(x, y), b = before.pixel(x, y);
                complemented += (qRed(a) ^ qRed(b)) == 255 && (qGreen(a) ^ qGreen(b)) == 255;
            }
    EXPECT_GT(complemented, 50);
    // Dotted: along the top edge of the focus rectangle not every pixel changed.
    int topChanged = 0;
    for (int x = 1; x < 63; ++x)
        topChanged += screen.pixel(x, 1) != before.pixel(x, 1);
    EXPECT_GT(topChanged, 10);
    EXPECT_LT(topChanged, 62);
    drawAll();
    EXPECT_EQ(screen, before);
}

TEST_F(MapWidgetTest, AStrokeBlockGoesStraightFromTheImageToTheScreenUpright)
{
    widget = std::make_unique<MapWidget>(doc);
    widget->View().OnInitialUpdate(ViewStartup{});
    widget->show();
    RenderAt(160, 96);
    widget->RefreshScreenImage();
    const QImage before = widget->ScreenImage().copy();
    // The same map in another shader: the image now differs from the screen.
    widget->View().SetShader(0);
    widget->View().OnUpdate(1);
    RenderAt(160, 96);
    widget->DrawImageBlock(40, 30);
    const QImage& screen = widget->ScreenImage();
    const VideoBuffer& image = widget->View().ImageBuffer();
    int changed = 0;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 160; ++x) {
            const bool inBlock = x >= 40 && x < 72 && y >= 30 && y < 62;
            if (inBlock) {
                const uint32_t c = image.GetPixel(x, y);
                ASSERT_EQ(screen.pixel(x, y) & 0xFFFFFF, qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF) & 0xFFFFFF)
                    << x << "," << y;
                changed += screen.pixel(x, y) != before.pixel(x, y);
            } else {
                ASSERT_EQ(screen.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_GT(changed, 0);
}

TEST_F(MapWidgetTest, SpaceHeldDownKeepsThePanToolUntilReleased)
{
    widget = std::make_unique<MapWidget>(doc);
    widget->Input().CreateFirstTool(false);
    widget->Input().SetTool(20);
    auto send = [&](QEvent::Type type, int key, bool repeat) {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), repeat);
        QCoreApplication::sendEvent(widget.get(), &event);
    };
    send(QEvent::KeyPress, Qt::Key_Space, false);
    EXPECT_EQ(widget->Input().CurrentId(), ViewInput::kPanTool);
    for (int i = 0; i < 3; ++i) {
        send(QEvent::KeyRelease, Qt::Key_Space, true);
        send(QEvent::KeyPress, Qt::Key_Space, true);
        EXPECT_EQ(widget->Input().CurrentId(), ViewInput::kPanTool);
    }
    send(QEvent::KeyRelease, Qt::Key_Space, false);
    EXPECT_EQ(widget->Input().CurrentId(), 20);
    send(QEvent::KeyPress, Qt::Key_Z, false);
    EXPECT_EQ(widget->Input().CurrentId(), ViewInput::kZoomTool);
    send(QEvent::KeyRelease, Qt::Key_Z, false);
    EXPECT_EQ(widget->Input().CurrentId(), 20);
}

TEST_F(MapWidgetTest, PrintingCentresTheMapInsideOneInchMarginsWithOffMapPixelsWhite)
{
    EXPECT_EQ(MapWidget::PrintTarget(QSize(160, 96), QRect(0, 0, 1000, 800), 100, 100), QRect(100, 160, 800, 480));
    EXPECT_EQ(MapWidget::PrintTarget(QSize(100, 300), QRect(0, 0, 1000, 800), 100, 100), QRect(400, 100, 200, 600));
    EXPECT_FALSE(MapWidget::PrintTarget(QSize(100, 100), QRect(0, 0, 150, 150), 100, 100).isValid());

    widget = std::make_unique<MapWidget>(doc);
    widget->View().OnInitialUpdate(ViewStartup{});
    widget->show();
    RenderAt(160, 96);
    QImage page(1000, 800, QImage::Format_RGB32);
    page.fill(Qt::gray);
    {
        QPainter painter(&page);
        widget->PrintPage(painter, page.rect(), 100, 100);
    }
    EXPECT_EQ(page.pixel(50, 50), QColor(Qt::gray).rgb());       // margin
    const VideoBuffer& coverage = widget->View().CoverageMask();
    int offMap = 0, onMap = 0;
    for (int y = 0; y < 96; y += 3) {
        for (int x = 0; x < 160; x += 3) {
            const QRgb printed = page.pixel(100 + x * 5 + 2, 160 + y * 5 + 2);
            if ((coverage.GetPixel(x, y) & 0xFFFFFF) == 0) {
                ++offMap;
                EXPECT_EQ(printed & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
            } else {
                ++onMap;
                const uint32_t c = widget->View().ImageBuffer().GetPixel(x, y);
                EXPECT_EQ(printed & 0xFFFFFF, qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF) & 0xFFFFFF);
            }
        }
    }
    EXPECT_GT(offMap, 0);
    EXPECT_GT(onMap, 0);
}

// The colour-to-altitude picker reaches the window of the view that opened it; the entry it
// adds lands in that window's list, and a closed view leaves no window behind.
TEST_F(MapWidgetTest, AltColorPickerAddsToThisViewsWindow)
{
    struct Confirming : AltColorEditor {
        Confirming() { previous = SetAltColorEditor(this); }
        ~Confirming() override { SetAltColorEditor(previous); }
        int Edit(AltColor&, bool) override { return 1; }
        AltColorEditor* previous = nullptr;
    } editor;
    widget = std::make_unique<MapWidget>(doc);
    EXPECT_EQ(GetAltColorWindow(), nullptr);
    widget->ToggleAltColorWindow();
    ASSERT_NE(GetAltColorWindow(), nullptr);
    GetAltColorWindow()->AddEntryForColor(0x336699);
    ASSERT_EQ(widget->AltColorWindow()->List().size(), 1u);
    EXPECT_EQ(widget->AltColorWindow()->List()[0].color, 0x336699u);
    widget.reset();
    EXPECT_EQ(GetAltColorWindow(), nullptr);
}
