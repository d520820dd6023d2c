// The window at rest and under the keys: no painting once the render is done, shortcuts that
// act without their menu ever opening, modifiers read from the events, focused controls
// keeping their own keys, a properties bar that never changes width.
#include "AppFixtures.h"
#include "DialogDriver.h"
#include "ViewFixtures.h"

#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "gui/commands/CommandIds.h"
#include "gui/commands/FocusKeys.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/CMapViewProperties.h"
#include "gui/view/MapWidget.h"
#include "view/ViewCommandIds.h"
#include "view/ViewInput.h"
#include "view/tools/ToolPaint.h"
#include "world/SurfMap.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <vector>

using namespace kv;
using namespace kv::cmd;
using kvtest::RunningApp;
using kvtest::ScratchProfile;

namespace {

constexpr int kEditUndo = 57643;

// Runs the program's own kind of event loop (one that waits for events) for a while.
void Spin(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

struct PaintCounter : QObject {
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

std::vector<float> Cells(const SurfMap& world, int channel)
{
    const Grid2D* grid = world.Channel(channel);
    std::vector<float> cells;
    if (!grid)
        return cells;
    const auto rows = grid->Rows<float>();
    for (std::size_t r = 0; r < grid->Height(); ++r)
        cells.insert(cells.end(), rows[r], rows[r] + grid->Width());
    return cells;
}

// The started program with its render done and its window active.
struct QuietWindowTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(run.started);
        frame = run.app.MainFrame();
        map = run.app.Map();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
        map->setFocus();
        WaitForRender();
    }
    void WaitForRender()
    {
        ASSERT_TRUE(kvtest::WaitUntil([&] {
            Spin(20);
            return map->View().GetPass() == CKVView::kPassReported;
        }));
    }
    QAction* Action(int id) const { return run.app.Actions()->Action(id); }
    // The middle of the map (the world lies there in any window shape).
    QPoint Centre() const { return QPoint(map->width() / 2, map->height() / 2); }
    // A left-button drag on the map, as the window system delivers it.
    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(map, (from + to) / 2);
        QTest::mouseMove(map, to);
        QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, to);
    }

    ScratchProfile scratch;
    RunningApp run{scratch};
    CMainFrame* frame = nullptr;
    MapWidget* map = nullptr;
};

} // namespace

TEST_F(QuietWindowTest, AnIdleWindowPaintsAlmostNothingOnceTheRenderIsDone)
{
    Spin(300); // the finished render's last frame
    PaintCounter counter(map);
    Spin(2000);
    EXPECT_LE(counter.paints, 3);
    EXPECT_FALSE(map->FrameTimerRunning());
    EXPECT_EQ(map->FrameTimerInterval(), 250);

    // A new render wakes the frame timer at the next idle tick, and the frames come again.
    map->View().OnUpdate(1);
    ASSERT_TRUE(kvtest::WaitUntil([&] {
        Spin(5);
        return map->FrameTimerRunning();
    }));
    WaitForRender();
    Spin(600);
    EXPECT_GT(counter.paints, 0);
    EXPECT_FALSE(map->FrameTimerRunning());
}

TEST_F(QuietWindowTest, AStrokeIsUndoneByCtrlZWithTheEditMenuNeverOpened)
{
    GetUndoList().Clear();
    Spin(50);
    ASSERT_FALSE(Action(kEditUndo)->isEnabled());
    run.app.Router().Execute(kPaintRaiseOffset);
    const SurfMap& world = run.app.Document()->GetWorld();
    const std::vector<float> before = Cells(world, kChannelLandOffset);
    Drag(Centre(), Centre() + QPoint(12, 4));
    ASSERT_NE(Cells(world, kChannelLandOffset), before);
    Spin(50);
    // The idle tick enabled Undo: the shortcut and the toolbar button act.
    EXPECT_TRUE(Action(kEditUndo)->isEnabled());
    const QWidget* undoButton = frame->WorldToolsBar()->widgetForAction(Action(kEditUndo));
    ASSERT_NE(undoButton, nullptr);
    EXPECT_TRUE(undoButton->isEnabled());
    // The chosen tool's palette button is checked by the same tick.
    const auto* raiseButton = frame->ToolsPalette()->findChild<QToolButton*>(QString::number(kPaintRaiseOffset));
    ASSERT_NE(raiseButton, nullptr);
    EXPECT_TRUE(raiseButton->isChecked());
    QTest::keyClick(map, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Cells(world, kChannelLandOffset), before);
    Spin(50);
    EXPECT_FALSE(Action(kEditUndo)->isEnabled());
    EXPECT_FALSE(undoButton->isEnabled());
}

TEST_F(QuietWindowTest, BackspaceAfterAWheelZoomGoesBack)
{
    run.app.Router().Execute(kToolPan);
    CKVView& view = map->View();
    const double scale = view.Projection().GetScale();
    ASSERT_EQ(view.HistoryCount(), 0);
    const QPointF at(Centre());
    QWheelEvent wheel(at, map->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(map, &wheel);
    EXPECT_EQ(view.HistoryCount(), 1);
    EXPECT_DOUBLE_EQ(view.Projection().GetScale(), scale / 1.5);
    Spin(50);
    QTest::keyClick(map, Qt::Key_Backspace);
    EXPECT_EQ(view.HistoryCount(), 0);
    EXPECT_DOUBLE_EQ(view.Projection().GetScale(), scale);
}

TEST_F(QuietWindowTest, ACtrlKeyUpTakenByADialogLeavesTheBrushPainting)
{
    run.app.Router().Execute(kPaintRaiseOffset);
    auto* tool = dynamic_cast<ToolPaint*>(map->Input().CurrentTool());
    ASSERT_NE(tool, nullptr);
    const int width = tool->Settings().width;
    EXPECT_EQ(width, map->Input().presetSM);
    QTest::mouseMove(map, Centre());
    QTest::keyPress(map, Qt::Key_Control, Qt::ControlModifier);
    {
        // Ctrl goes up while a dialog has the keyboard.
        ModalAnswerer answer([](QDialog* dialog) {
            QTest::keyRelease(dialog, Qt::Key_Control);
            dialog->reject();
        });
        QDialog dialog(frame);
        dialog.exec();
    }
    const SurfMap& world = run.app.Document()->GetWorld();
    const std::vector<float> before = Cells(world, kChannelLandOffset);
    const int steps = GetUndoList().GetUndoCount();
    Drag(Centre(), Centre() + QPoint(12, 4));
    EXPECT_NE(Cells(world, kChannelLandOffset), before);
    EXPECT_EQ(GetUndoList().GetUndoCount(), steps + 1);
    EXPECT_EQ(tool->Settings().width, width);
}

TEST_F(QuietWindowTest, FocusedControlsKeepTheirKeysAndTheMapKeepsItsOwn)
{
    // A slider and an edit in a bar of the main window.
    auto* dock = new QDockWidget("Controls", frame);
    auto* holder = new QWidget(dock);
    auto* slider = new QSlider(Qt::Horizontal, holder);
    auto* edit = new QLineEdit(holder);
    auto* layout = new QVBoxLayout(holder);
    layout->addWidget(slider);
    layout->addWidget(edit);
    slider->setRange(0, 100);
    slider->setValue(50);
    dock->setWidget(holder);
    frame->addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->show();
    QCoreApplication::processEvents();
    CKVView& view = map->View();
    double x0, y0, x, y;
    view.Projection().GetOffset(x0, y0);

    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->value(), 51);
    view.Projection().GetOffset(x, y);
    EXPECT_EQ(x, x0);
    EXPECT_EQ(y, y0);

    edit->setFocus();
    QTest::keyClicks(edit, "12");
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Left);
    EXPECT_EQ(edit->text(), "1");
    EXPECT_EQ(view.HistoryCount(), 0);

    // With the map focused the arrow pans.
    map->setFocus();
    QTest::keyClick(map, Qt::Key_Right);
    view.Projection().GetOffset(x, y);
    EXPECT_NE(x, x0);
}

TEST(FocusKeys, WhichKeysAControlKeeps)
{
    TestApp();
    QWidget map, frame, other;
    QLineEdit edit;
    QSpinBox spin;
    QSlider slider;
    QComboBox choice;
    QComboBox editable;
    editable.setEditable(true);
    QPushButton button;
    struct Case {
        const QWidget* focus;
        int key;
        Qt::KeyboardModifiers mods;
        const char* text;
        bool kept;
    };
    const Case cases[] = {
        {&map, Qt::Key_Left, Qt::NoModifier, "", false},
        {&frame, Qt::Key_Backspace, Qt::NoModifier, "", false},
        {nullptr, Qt::Key_Up, Qt::NoModifier, "", false},
        {&edit, Qt::Key_Z, Qt::ControlModifier, "", true},
        {&edit, Qt::Key_Y, Qt::ControlModifier, "", true},
        {&edit, Qt::Key_D, Qt::ControlModifier, "", true},
        {&edit, Qt::Key_Backspace, Qt::NoModifier, "", true},
        {&edit, Qt::Key_Minus, Qt::NoModifier, "-", true},
        {&edit, Qt::Key_S, Qt::ControlModifier, "", false},   // Save still saves
        {&edit, Qt::Key_F12, Qt::NoModifier, "", false},      // Zoom Extents still zooms
        {&spin, Qt::Key_Up, Qt::NoModifier, "", true},
        {&slider, Qt::Key_Left, Qt::NoModifier, "", true},
        {&slider, Qt::Key_PageDown, Qt::NoModifier, "", true},
        {&slider, Qt::Key_Z, Qt::ControlModifier, "", false}, // Undo acts
        {&choice, Qt::Key_Down, Qt::NoModifier, "", true},
        {&editable, Qt::Key_Z, Qt::ControlModifier, "", true},
        {&button, Qt::Key_Left, Qt::ControlModifier, "", true}, // the map's keys, elsewhere
        {&button, Qt::Key_Backspace, Qt::NoModifier, "", true},
        {&button, Qt::Key_Minus, Qt::NoModifier, "-", false},
        {&other, Qt::Key_O, Qt::ControlModifier, "", false},
    };
    int i = 0;
    for (const Case& c : cases) {
        const QKeyEvent key(QEvent::ShortcutOverride, c.key, c.mods, QString::fromLatin1(c.text));
        EXPECT_EQ(FocusKeepsKey(c.focus, key, &map, &frame), c.kept) << "case " << i;
        ++i;
    }
}

TEST_F(QuietWindowTest, MovingThePointerNeverResizesThePropertiesBarOrTheMap)
{
    CMapViewProperties* bar = frame->ViewProperties();
    ASSERT_NE(bar, nullptr);
    const QSize mapSize = map->size();
    const int barWidth = bar->width();
    CursorInfo info;
    info.onMap = true;
    info.latitude = -89.99999;
    info.longitude = -179.99999;
    info.altitude = -10999.9f;
    info.className = "A Climate Class Named Far Too Long To Be Shown Whole";
    bar->Refresh(info);
    Spin(50);
    EXPECT_EQ(bar->width(), barWidth);
    EXPECT_EQ(map->size(), mapSize);
    QLabel* climate = bar->ValueField(6);
    EXPECT_EQ(climate->width(), bar->FieldWidth());
    EXPECT_NE(climate->text(), QString::fromStdString(info.className)); // cut, with an ellipsis
    EXPECT_EQ(climate->toolTip(), QString::fromStdString(info.className));
    CursorInfo off;
    bar->Refresh(off);
    Spin(50);
    EXPECT_EQ(map->size(), mapSize);
    EXPECT_EQ(climate->text(), "No Data");
    EXPECT_TRUE(climate->toolTip().isEmpty());
}
