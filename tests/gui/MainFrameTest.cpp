#include <sstream>
#include <set>
// The main window: placement record, bar layout, command table and routing, the
// application's start-up to exit in process, the document's file commands.
#include "AppFixtures.h"
#include "DialogDriver.h"
#include "DocumentFixtures.h"
#include "QtTestApp.h"
#include "ViewFixtures.h"

#include "base/AppFolders.h"
#include "base/raster/ImageCodecs.h"
#include "base/raster/VideoBuffer.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "document/DocumentCommands.h"
#include "exchange/ExportDialogs.h"
#include "gui/app/DocManager.h"
#include "gui/app/KVApp.h"
#include "gui/app/ProfileSettings.h"
#include "gui/commands/CommandIds.h"
#include "gui/commands/CommandTable.h"
#include "gui/controls/CXListBox.h"
#include "document/ColorLinks.h"
#include "gui/dialogs/CSingleEditDlgFace.h"
#include "gui/dialogs/FileChoice.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/WindowPlacement.h"
#include "gui/progress/CProgressDlg.h"
#include "gui/view/MapWidget.h"
#include "base/Undo.h"
#include "base/layers/ImageOverlay.h"
#include "document/TerrainDialogs.h"
#include "gui/controls/CColorKeyDlg.h"
#include "view/ViewInput.h"
#include "view/tools/MouseTool.h"
#include "world/SurfMap.h"

#include <map>
#include <string>

#include <QAbstractButton>
#include <QAction>
#include <QDockWidget>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QLineEdit>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QWizard>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace kv;
using namespace kv::cmd;

using kvtest::RunningApp;
using kvtest::ScratchProfile;
using kvtest::CommandsWithoutAction;

TEST(WindowPlacement, RecordRoundTripsAndMinimisedComesBackNormal)
{
    WindowPlacement p;
    p.showCmd = WindowPlacement::kShowMaximized;
    p.left = 10;
    p.top = 20;
    p.right = 610;
    p.bottom = 420;
    const std::string text = p.Encode();
    ASSERT_EQ(text.size(), 88u);
    EXPECT_EQ(text.substr(0, 24), "2C0000000000000003000000");
    for (char c : text)
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    auto back = WindowPlacement::Decode(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Encode(), text);
    // Lower case reads the same.
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_TRUE(WindowPlacement::Decode(lower));
    EXPECT_EQ(WindowPlacement::Decode(lower)->Encode(), text);

    p.showCmd = WindowPlacement::kShowMinimized;
    back = WindowPlacement::Decode(p.Encode());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->showCmd, static_cast<uint32_t>(WindowPlacement::kShowNormal));
}

TEST(WindowPlacement, GarbageShortOrWrongLengthRecordsAreIgnored)
{
    WindowPlacement good;
    good.right = 300;
    good.bottom = 200;
    std::string wrongLength = good.Encode();
    wrongLength[0] = '3'; // length 0x3C
    const std::string cases[] = {"", "ZZZZ", good.Encode().substr(0, 86), wrongLength, std::string(88, 'Q'),
                                 WindowPlacement().Encode() /* empty rectangle */};
    for (const std::string& text : cases)
        EXPECT_FALSE(WindowPlacement::Decode(text)) << text;

    TestApp();
    QWidget w;
    w.resize(321, 234);
    WindowPlacement offScreen = good;
    offScreen.left = offScreen.right = -100000;
    offScreen.left -= 300;
    EXPECT_FALSE(offScreen.ApplyTo(w));
    EXPECT_EQ(w.size(), QSize(321, 234));
}

TEST(CommandTable, EveryCommandIdHasOneRow)
{
    // Ids chosen by different parts of the program must never meet: a second row would give
    // one QAction two menu entries and send one of the two commands to the other's handler.
    std::map<int, std::string> seen;
    for (const CommandDef& row : CommandRows()) {
        if (row.id == 0)
            continue;
        const auto [it, fresh] = seen.emplace(row.id, row.text ? row.text : "");
        EXPECT_TRUE(fresh) << "id " << row.id << " is both \"" << it->second << "\" and \"" << (row.text ? row.text : "")
                           << "\"";
    }
}

TEST(CommandTable, LabelsKeysAndRouting)
{
    EXPECT_EQ(CommandActions::LabelOf("&Open...\tCtrl+O"), "&Open...");
    EXPECT_EQ(CommandActions::KeyOf("&Open...\tCtrl+O"), "Ctrl+O");
    EXPECT_EQ(CommandActions::KeyOf("E&xit"), "");

    struct Target : CommandTarget {
        std::vector<int> ids;
        bool enabled = true;
        std::vector<int> ran;
        bool HasCommand(int id) const override { return std::find(ids.begin(), ids.end(), id) != ids.end(); }
        void OnCommand(int id) override { ran.push_back(id); }
        void OnUpdateCommand(int, CommandState& state) override { state.enabled = enabled; }
    };
    Target view, doc, frame, app;
    view.ids = {1, 2};
    doc.ids = {2, 3};
    doc.enabled = false;
    frame.ids = {4};
    app.ids = {3, 5};
    CommandRouter router;
    router.SetTargets(&view, &doc, &frame, &app);
    const std::pair<int, RouteTarget> routes[] = {{1, RouteTarget::View}, {2, RouteTarget::View},
                                                  {3, RouteTarget::Document}, {4, RouteTarget::Frame},
                                                  {5, RouteTarget::App}, {6, RouteTarget::None}};
    for (auto [id, target] : routes)
        EXPECT_EQ(router.TargetOf(id), target) << id;
    EXPECT_FALSE(router.Update(6).enabled);
    EXPECT_FALSE(router.Update(3).enabled);
    EXPECT_FALSE(router.Execute(3)); // disabled: not run, and not passed on to the app
    EXPECT_TRUE(app.ran.empty());
    EXPECT_TRUE(router.Execute(2));
    EXPECT_EQ(view.ran, std::vector<int>{2});

    TestApp();
    CommandActions actions(router);
    EXPECT_EQ(actions.Action(kFileOpen)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(actions.Action(kFileNew)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(actions.Action(kFileSave)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(actions.Action(kFilePrint)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    EXPECT_EQ(actions.Action(kFileOpen)->statusTip(), "Open an existing world");
    EXPECT_EQ(actions.Action(kFileOpen)->toolTip(), "Open");
    EXPECT_EQ(actions.Action(1004), nullptr);
}

TEST(MainFrame, BarsPalettesAndTheirLayoutState)
{
    TestApp();
    ScratchProfile scratch;
    CommandRouter router;
    CommandActions actions(router);
    {
        CMainFrame frame(actions, false);
        router.SetTargets(nullptr, nullptr, &frame, nullptr);
        EXPECT_EQ(frame.size(), QSize(515, 375));
        EXPECT_EQ(frame.minimumSize(), QSize(240, 240));
        for (int id : {kBarWorldTools, kBarMapTools, kBarToolsPalette, kBarClimateSelector, kBarStatus}) {
            ASSERT_NE(frame.Bar(id), nullptr) << id;
            EXPECT_EQ(frame.Bar(id)->objectName(), QString::number(id));
            EXPECT_EQ(router.TargetOf(id), RouteTarget::Frame);
        }
        EXPECT_EQ(CMainFrame::PaletteColumns(frame.ToolsPalette()), 2);
        EXPECT_EQ(CMainFrame::PaletteColumns(frame.ClimatePalette()), 6);
        EXPECT_EQ(frame.WorldToolsBar()->actions().size(), 15); // 11 buttons, 4 separators
        frame.SetStatusText(QString());
        EXPECT_EQ(frame.StatusText(), "For Help, press F1");
        frame.SetStatusText("Zoom window");
        EXPECT_EQ(frame.StatusText(), "Zoom window");

        frame.show();
        EXPECT_TRUE(frame.Bar(kBarWorldTools)->isVisible());
        EXPECT_FALSE(frame.Bar(kBarToolsPalette)->isVisible());
        EXPECT_TRUE(router.Update(kBarWorldTools).checked);
        ASSERT_TRUE(router.Execute(kBarWorldTools));
        EXPECT_FALSE(frame.Bar(kBarWorldTools)->isVisible());
        EXPECT_FALSE(router.Update(kBarWorldTools).checked);
        router.Execute(kBarToolsPalette);
        EXPECT_TRUE(frame.Bar(kBarToolsPalette)->isVisible());
        frame.SaveBarState(scratch.profile);
    }
    {
        CMainFrame frame(actions, false);
        frame.show();
        ASSERT_TRUE(frame.LoadBarState(scratch.profile));
        EXPECT_FALSE(frame.Bar(kBarWorldTools)->isVisible());
        EXPECT_TRUE(frame.Bar(kBarToolsPalette)->isVisible());
    }
    // Garbage, and a layout of another set of bars, leave the defaults.
    for (const std::string& text : {std::string("!!not base64!!"), std::string("AAAA"),
                                    QByteArray("garbage that decodes").toBase64().toStdString()}) {
        scratch.profile.WriteString("CBars", "State", text);
        CMainFrame frame(actions, false);
        frame.show();
        EXPECT_FALSE(frame.LoadBarState(scratch.profile)) << text;
        EXPECT_TRUE(frame.Bar(kBarWorldTools)->isVisible());
    }
    {
        CMainFrame other(actions, false);
        const QByteArray state = other.saveState(CMainFrame::kBarStateVersion + 1);
        scratch.profile.WriteString("CBars", "State", state.toBase64().toStdString());
        CMainFrame frame(actions, false);
        EXPECT_FALSE(frame.LoadBarState(scratch.profile));
    }
    // A batch run has no bars.
    CMainFrame batch(actions, true);
    EXPECT_EQ(batch.Bar(kBarWorldTools), nullptr);
    EXPECT_EQ(batch.ToolsPalette(), nullptr);
}

TEST(MainFrame, StartupGuideKeepsTheWindowAt512By384)
{
    TestApp();
    CommandRouter router;
    CommandActions actions(router);
    CMainFrame frame(actions, false);
    frame.SetStartupMode(true);
    frame.resize(800, 600);
    EXPECT_EQ(frame.size(), QSize(512, 384));
    frame.SetStartupMode(false);
    frame.resize(800, 600);
    EXPECT_EQ(frame.size(), QSize(800, 600));
}

TEST(MainFrame, ClosingDuringALongOperationAbortsItAndClosesAfterwards)
{
    TestApp();
    CommandRouter router;
    CommandActions actions(router);
    CMainFrame frame(actions, false);
    frame.show();
    CProgressDlg progress;
    ASSERT_EQ(progress.Create(&frame), 1);
    ASSERT_EQ(g_abortValue.load(), 0);
    frame.close();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(g_abortValue.load(), kAbortValue);
    // The operation sees the value and ends; the re-posted close then goes through.
    progress.DestroyWindow();
    EXPECT_TRUE(kvtest::WaitUntil([&] {
        QCoreApplication::processEvents();
        return !frame.isVisible();
    }));
    g_abortValue = 0;
}

// ---------------------------------------------------------------- the application in process

TEST(KVApp, StartToExitWritesPlacementBarsAndTheCleanExitMarker)
{
    ScratchProfile scratch;
    {
        RunningApp run(scratch);
        ASSERT_TRUE(run.started);
        CMainFrame* frame = run.app.MainFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(frame->isVisible());
        EXPECT_EQ(scratch.profile.GetInt("Settings", "Running", 0), 1);
        EXPECT_EQ(frame->windowTitle(), "Untitled - Kelvane Pro");
        EXPECT_EQ(run.app.Splash(), nullptr); // hidden once the window shows
        frame->resize(640, 480);
        frame->Bar(kBarMapTools)->hide();
        run.app.Router().Execute(kAppExit);
        EXPECT_FALSE(frame->isVisible());
    }
    EXPECT_EQ(scratch.profile.GetInt("Settings", "Running", 1), 0);
    const auto placement = WindowPlacement::Read(scratch.profile);
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->right - placement->left, 640);
    EXPECT_EQ(placement->bottom - placement->top, 480);
    EXPECT_FALSE(scratch.profile.GetString("CBars", "State", "").empty());
    EXPECT_EQ(scratch.profile.GetInt("Tools", "Ofs", 0), 50000);

    // The next run restores both.
    {
        RunningApp run(scratch);
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.app.MainFrame()->size(), QSize(640, 480));
        EXPECT_FALSE(run.app.MainFrame()->Bar(kBarMapTools)->isVisible());
    }
    // A run that did not end cleanly: neither is restored, once.
    scratch.profile.WriteInt("Settings", "Running", 1);
    {
        RunningApp run(scratch);
        EXPECT_EQ(run.app.Prefs().DT, 1);
        EXPECT_EQ(run.app.MainFrame()->size(), QSize(515, 375));
        EXPECT_TRUE(run.app.MainFrame()->Bar(kBarMapTools)->isVisible());
    }
    // "default" on the command line does the same.
    CCmdLineInfo info;
    info.ParseParam("-default");
    {
        RunningApp run(scratch, info);
        EXPECT_EQ(run.app.Prefs().DT, 1);
        EXPECT_TRUE(run.app.MainFrame()->Bar(kBarMapTools)->isVisible());
    }
    // A garbage placement gives the default size.
    scratch.profile.WriteString("", "Placement", "0123456789");
    {
        RunningApp run(scratch);
        EXPECT_EQ(run.app.MainFrame()->size(), QSize(515, 375));
    }
}

TEST(KVApp, RoutingOfTheBuiltCommands)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app.Router();
    const std::pair<int, RouteTarget> routes[] = {
        {kFilePrint, RouteTarget::View},         {kFilePrintPreview, RouteTarget::View},
        {kFileSave, RouteTarget::Document},      {kFileSaveAs, RouteTarget::Document},
        {kMapRegenerate, RouteTarget::Document}, {kBarStatus, RouteTarget::Frame},
        {kFileSaveSphereMap, RouteTarget::Document}, {kFileSaveIcosahedral, RouteTarget::Document},
        {kFileSaveSpinSequence, RouteTarget::Document}, {kFileExportVRML, RouteTarget::Document},
        {kFileNew, RouteTarget::App},            {kFileOpen, RouteTarget::App},
        {kFilePrintSetup, RouteTarget::App},     {kAppExit, RouteTarget::App},
        {kAppAbout, RouteTarget::App},           {kEditPreferences, RouteTarget::App},
        {kFileMruFirst, RouteTarget::App},       {kToolZoomWindow, RouteTarget::View},
        {33030, RouteTarget::View},              {kBarColorKey, RouteTarget::Frame},
        {33156, RouteTarget::View},              {33133, RouteTarget::None}, // no such bar
    };
    for (auto [id, target] : routes)
        EXPECT_EQ(router.TargetOf(id), target) << id;
    EXPECT_FALSE(router.Update(33133).enabled);

    CKVDoc& doc = *run.app.Document();
    doc.SetModifiedFlag(false);
    EXPECT_FALSE(router.Update(kFileSave).enabled);
    doc.SetModifiedFlag(true);
    EXPECT_TRUE(router.Update(kFileSave).enabled);
    EXPECT_TRUE(router.Update(kFileSaveAs).enabled);

    // The idle ticks after each batch of events render the world; Print waits for it.
    CKVView& view = run.app.Map()->View();
    ASSERT_TRUE(kvtest::WaitUntil([&] {
        QEventLoop loop; // a loop that waits for events, as the program's does
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
        return view.GetPass() == CKVView::kPassReported;
    }));
    EXPECT_EQ(view.GetPass(), CKVView::kPassReported);
    EXPECT_TRUE(router.Update(kFilePrint).enabled);
    view.OnUpdate(kHintChannels); // a restart from pass 0 ...
    view.RestartRender();
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view.PrepareRender() || view.GetPass() > 0; }));
    view.StopRenderWorker();
    if (view.GetPass() > 0) {
        EXPECT_FALSE(router.Update(kFilePrint).enabled);
    }
    // Recent files appear in the File menu as they are used.
    EXPECT_FALSE(router.Update(kFileMruFirst).enabled);
}

namespace {

// Answers the global commands' value dialog with a fixed value.
struct GlobalAnswer : TerrainDialogs {
    explicit GlobalAnswer(float v) : value(v) { previous = SetTerrainDialogs(this); }
    ~GlobalAnswer() override { SetTerrainDialogs(previous); }
    bool RunSingleEdit(CSingleEditDlg& dialog) override
    {
        ++asked;
        dialog.value = value;
        return true;
    }
    float value;
    int asked = 0;
    TerrainDialogs* previous = nullptr;
};

} // namespace

TEST(KVApp, ToolCommandsChooseTheirToolsAndShowItChecked)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app.Router();
    ViewInput& input = run.app.Map()->Input();
    constexpr int P = ViewInput::kPaintingFamily;
    const struct {
        int command, tool, family;
    } cases[] = {
        {kToolZoomWindow, 1, 0},      {kToolPan, 2, 0},
        {kToolRecenter, 17, 0},       {kToolSelectFreehand, 18, 0},
        {kToolSelectPolygon, 19, 0},  {kToolSelectRectangle, 20, 0},
        {kToolSelectEllipse, 21, 0},  {kToolSelectBrush, 22, P},
        {kToolSelectPencil, 23, P},   {kToolWandAltitude, 24, 0},
        {kToolWandRainfall, 25, 0},   {kToolWandTemperature, 26, 0},
        {kToolWandClimate, 27, 0},    {kToolRuler, 28, 0},
        {kToolCrater, 30, P},         {kToolSelectColorPicker, 34, 0},
        {kToolOverlayColorPicker, 44, 0}, {kToolGradientOffset, 39, 0},
        {kToolGradientRoughness, 41, 0}, {kToolGradientRainfall, 42, 0},
        {kToolGradientTemperature, 43, 0},
    };
    for (const auto& c : cases) {
        ASSERT_NE(FindCommand(c.command), nullptr) << c.command;
        EXPECT_TRUE(router.Update(c.command).enabled) << c.command;
        ASSERT_TRUE(router.Execute(c.command)) << c.command;
        EXPECT_EQ(input.CurrentId(), c.tool) << c.command;
        EXPECT_EQ(input.CurrentCode() & (P | ViewInput::kOverlayTool), c.family) << c.command;
        const CommandState state = router.Update(c.command);
        EXPECT_TRUE(state.checkable && state.checked) << c.command;
        for (const auto& other : cases)
            if (other.command != c.command)
                ASSERT_FALSE(router.Update(other.command).checked) << c.command << " checks " << other.command;
    }
    // Choosing the current tool again gives the no-action tool.
    router.Execute(kToolRuler);
    router.Execute(kToolRuler);
    EXPECT_EQ(input.CurrentId(), 0);
    EXPECT_FALSE(router.Update(kToolRuler).checked);
    // The prescale gradient needs the prescale grid, which the default world has not.
    ASSERT_EQ(run.app.Document()->GetWorld().prescaleEnabled, 0);
    EXPECT_FALSE(router.Update(kToolGradientPrescale).enabled);
    EXPECT_FALSE(router.Execute(kToolGradientPrescale));
    EXPECT_EQ(input.CurrentId(), 0);
}

TEST(KVApp, OverlayToolsNeedAnActiveOverlayAndHideAllOverlaysDropsThem)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app.Router();
    CKVDoc& doc = *run.app.Document();
    MapWidget& map = *run.app.Map();
    ViewInput& input = map.Input();
    for (int id : {kToolOverlayPaint, kToolOverlayErase}) {
        EXPECT_FALSE(router.Update(id).enabled) << id;
        EXPECT_FALSE(router.Execute(id)) << id;
    }
    EXPECT_EQ(input.CurrentId(), 0);

    ImageOverlay* first = doc.GetOverlays().AddNamed("first", 16, 8, true);
    ImageOverlay* second = doc.GetOverlays().AddNamed("second", 16, 8, true);
    first->opacity = 200;
    doc.GetOverlays().SetActive(first);
    map.View().SetActiveOverlay(first);
    input.SetDrawingColour(0xFF123456u);
    ASSERT_TRUE(router.Execute(kToolOverlayPaint));
    EXPECT_EQ(input.CurrentId(), 31);
    EXPECT_EQ(input.CurrentCode() & 0x60000000, 0x60000000);
    EXPECT_EQ(input.DrawingColour(), 0xC8123456u); // the overlay's opacity as alpha
    EXPECT_TRUE(router.Update(kToolOverlayPaint).checked);
    // The eraser starts from drawing colour 0 (the alpha still from the overlay).
    ASSERT_TRUE(router.Execute(kToolOverlayErase));
    EXPECT_EQ(input.CurrentId(), 32);
    EXPECT_EQ(input.DrawingColour(), 0xC8000000u);

    // Space held over the eraser: the temporary pan ends and the eraser goes too.
    ASSERT_TRUE(input.OnKeyDown(kKeySpace));
    ASSERT_EQ(input.CurrentId(), 2);
    ASSERT_TRUE(router.Execute(33156));
    EXPECT_EQ(input.CurrentId(), 0);
    EXPECT_EQ(input.SuspendedTool(), nullptr);
    EXPECT_EQ(doc.GetOverlays().GetActive(), nullptr);
    EXPECT_EQ(map.View().GetActiveOverlay(), nullptr);
    EXPECT_FALSE(first->visible);
    EXPECT_FALSE(second->visible);
    EXPECT_FALSE(router.Update(kToolOverlayPaint).enabled);

    // A tool that is no overlay tool stays.
    doc.GetOverlays().SetActive(second);
    map.View().SetActiveOverlay(second);
    router.Execute(kToolRuler);
    router.Execute(33156);
    EXPECT_EQ(input.CurrentId(), 28);
    // Making no overlay active drops an overlay tool too.
    doc.GetOverlays().SetActive(second);
    ASSERT_TRUE(router.Execute(kToolOverlayPaint));
    map.View().SetActiveOverlay(nullptr);
    EXPECT_EQ(input.CurrentId(), 0);
}

TEST(KVApp, GlobalCommandsRunAsTheirShiftedPaintCommandsInOneUndoStep)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app.Router();
    CKVDoc& doc = *run.app.Document();
    MapWidget& map = *run.app.Map();
    // Undo puts a copy of the grid in place: looked up each time.
    const auto offset = [&]() -> Grid2D& { return *doc.GetWorld().Channel(kChannelLandOffset); };
    const auto fill = [&](float v) {
        for (std::size_t i = 0; i < offset().CellCount(); ++i)
            offset().DataAs<float>()[i] = v;
    };
    const auto every = [&](float v) {
        for (std::size_t i = 0; i < offset().CellCount(); ++i)
            if (offset().DataAs<float>()[i] != v)
                return false;
        return true;
    };
    GlobalAnswer answer(4.0f);
    // Each entry stands in its Global submenu of the Tools menu and is enabled; the prescale
    // ones only with the prescale grid.
    for (int id : {33030, 33035, 33040, 33117, 33181, 33111, 33034, 33199, 33185, 33114}) {
        ASSERT_NE(FindCommand(id), nullptr) << id;
        EXPECT_STREQ(FindCommand(id)->menu, "&Tools") << id;
        EXPECT_NE(FindCommand(id)->submenu, nullptr) << id;
        EXPECT_TRUE(router.Update(id).enabled) << id;
    }
    for (int id : {33212, 33213, 33214, 33215, 33216, 33218})
        EXPECT_FALSE(router.Update(id).enabled) << id;

    fill(1.0f);
    GetUndoList().Clear();
    ASSERT_TRUE(router.Execute(33035)); // Global Raise, Land Offset
    EXPECT_EQ(answer.asked, 1);
    EXPECT_TRUE(every(5.0f));
    ASSERT_EQ(GetUndoList().GetUndoCount(), 1);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Global Offset");
    ASSERT_TRUE(GetUndoList().CheckpointAndUndo());
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_TRUE(every(1.0f));
    EXPECT_EQ(map.View().BusyCount(), 0);

    // Paint Raise Offset with Shift held does the same, and selects no tool.
    GetUndoList().Clear();
    map.Paint().shiftHeld = [] { return true; };
    ASSERT_TRUE(router.Execute(kPaintRaiseOffset));
    EXPECT_TRUE(every(5.0f));
    EXPECT_EQ(GetUndoList().GetUndoCount(), 1);
    EXPECT_EQ(map.Input().CurrentId(), 0);
    map.Paint().shiftHeld = [] { return false; };
}

TEST(KVApp, ColorKeyBarTogglesAndFollowsTheView)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app.Router();
    CMainFrame& frame = *run.app.MainFrame();
    ASSERT_NE(frame.Bar(kBarColorKey), nullptr);
    EXPECT_EQ(frame.Bar(kBarColorKey)->windowTitle(), "Color Key");
    EXPECT_FALSE(frame.Bar(kBarColorKey)->isVisible());
    EXPECT_FALSE(router.Update(kBarColorKey).checked);
    ASSERT_TRUE(router.Execute(kBarColorKey));
    EXPECT_TRUE(frame.Bar(kBarColorKey)->isVisible());
    EXPECT_TRUE(router.Update(kBarColorKey).checked);
    router.Execute(kBarColorKey);
    EXPECT_FALSE(frame.Bar(kBarColorKey)->isVisible());

    CKVView& view = run.app.Map()->View();
    ASSERT_TRUE(kvtest::WaitUntil([&] {
        QEventLoop loop; // the idle ticks prepare the view's render
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
        return view.GetSampler() != nullptr;
    }));
    EXPECT_EQ(frame.ColorKey()->Source(), view.GetSampler());
    EXPECT_FALSE(frame.ColorKey()->Strip().IsEmpty());
}

TEST(CommandTable, MenusOfOneNameAreOneMenuAndSubmenusHoldTheirRows)
{
    TestApp();
    CommandRouter router;
    CommandActions actions(router);
    QMenuBar bar;
    actions.BuildMenuBar(&bar);
    QStringList names;
    QMenu* tools = nullptr;
    for (QAction* action : bar.actions()) {
        EXPECT_FALSE(names.contains(action->text())) << action->text().toStdString() << " twice";
        names << action->text();
        if (action->text() == "&Tools")
            tools = action->menu();
    }
    ASSERT_NE(tools, nullptr);
    QMenu* lower = nullptr;
    for (QAction* action : tools->actions())
        if (action->menu() && action->text() == "Global &Lower")
            lower = action->menu();
    ASSERT_NE(lower, nullptr);
    const QList<QAction*> items = lower->actions();
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[0], actions.Action(33030));
    EXPECT_EQ(items[0]->text(), "Land &Offset");
    EXPECT_EQ(items[5], actions.Action(33034));
    EXPECT_EQ(actions.SubmenuIds("&Tools", "Global &Noise").size(), 5u); // no water level
    // The paint commands and the tool commands share the one Tools menu.
    EXPECT_TRUE(tools->actions().contains(actions.Action(kPaintRaiseOffset)));
    EXPECT_TRUE(tools->actions().contains(actions.Action(kToolRuler)));
}

TEST(KVApp, DocumentCommandsRunFromTheMenusWithTheirStates)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app.Router();
    CKVDoc& doc = *run.app.Document();
    for (int id : {57643, 57644, 33069, 33073, 33222, 33155, 33190, 33202, 33205, 33174, 33175})
        EXPECT_EQ(router.TargetOf(id), RouteTarget::Document) << id;
    EXPECT_NE(FindCommand(33069), nullptr);
    // Select All through the menu: the selection becomes active and Feather is enabled.
    EXPECT_FALSE(router.Update(33075).enabled);
    ASSERT_TRUE(router.Execute(33069));
    EXPECT_TRUE(doc.GetSelection().IsActive());
    EXPECT_TRUE(router.Update(33075).enabled);
    EXPECT_TRUE(router.Update(57643).text.startsWith("Undo "));
    // Hide/Show River Overlays is checked while the rivers show.
    EXPECT_TRUE(router.Update(33205).checkable);
}

// Run Script, Expand Land in Offset and the Skyloom template, each from its menu action:
// the dialog is answered, the built command does its work; Cancel changes nothing.
TEST(KVApp, ScriptLandAndSkyloomCommandsRunFromTheirMenuActions)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    DocCommandMemory::Reset();
    CommandActions& actions = *run.app.Actions();
    CommandRouter& router = run.app.Router();
    CKVDoc& doc = *run.app.Document();
    for (int id : {doccmd::kRunScript, doccmd::kExpandLand, kFileExportSkyloom}) {
        ASSERT_NE(actions.Action(id), nullptr) << id;
        EXPECT_TRUE(router.Update(id).enabled) << id;
    }
    EXPECT_EQ(actions.Action(doccmd::kExpandLand)->text(), "Expan&d Land in Offset...");
    const std::vector<int> tools = actions.MenuIds("&Tools");
    const std::vector<int> file = actions.MenuIds("&File");
    EXPECT_NE(std::find(tools.begin(), tools.end(), doccmd::kRunScript), tools.end());
    EXPECT_NE(std::find(tools.begin(), tools.end(), doccmd::kExpandLand), tools.end());
    EXPECT_NE(std::find(file.begin(), file.end(), kFileExportSkyloom), file.end());

    // Run Script: the file choice starts in the scripts folder, then at the last script.
    struct Choice : FileChoice {
        bool Choose(QWidget*, const FileRequest& request, std::string& path) override
        {
            requests.push_back(request);
            path = answer;
            return !answer.empty();
        }
        std::vector<FileRequest> requests;
        std::string answer;
    } choice;
    FileChoice* previousChoice = SetFileChoice(&choice);
    const std::string script = scratch.Path("all.ksr");
    std::ofstream(script) << "select a\n";
    actions.Action(doccmd::kRunScript)->trigger(); // cancelled
    EXPECT_FALSE(doc.GetSelection().IsActive());
    choice.answer = script;
    actions.Action(doccmd::kRunScript)->trigger();
    EXPECT_TRUE(doc.GetSelection().IsActive());
    actions.Action(doccmd::kDeselect)->trigger();
    choice.answer.clear();
    actions.Action(doccmd::kRunScript)->trigger(); // cancelled again: no script runs
    EXPECT_FALSE(doc.GetSelection().IsActive());
    SetFileChoice(previousChoice);
    ASSERT_EQ(choice.requests.size(), 3u);
    EXPECT_FALSE(choice.requests[0].save);
    EXPECT_EQ(choice.requests[0].title, "Load Script File");
    EXPECT_EQ(choice.requests[0].filter, "KV Script Files (*.ksr)|*.ksr|All Files (*.*)|*.*||");
    EXPECT_EQ(choice.requests[0].fileName, GetScriptsDir(scratch.profile) + "*.ksr");
    EXPECT_EQ(choice.requests[1].fileName, GetScriptsDir(scratch.profile) + "*.ksr");
    EXPECT_EQ(choice.requests[2].fileName, script);

    // Expand Land in Offset: the one-value dialog; Cancel records and changes nothing.
    const Grid2D* offset = doc.GetWorld().Channel(kChannelLandOffset);
    ASSERT_NE(offset, nullptr);
    const std::vector<float> before(offset->DataAs<float>(), offset->DataAs<float>() + offset->CellCount());
    const int undoSteps = GetUndoList().GetUndoCount();
    {
        ModalAnswerer cancel([](QDialog* d) {
            auto* dialog = qobject_cast<CSingleEditDlgFace*>(d);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), "Land Expansion");
            EXPECT_EQ(dialog->Label()->text(), "Expansions:");
            EXPECT_EQ(dialog->Edit()->text().toDouble(), 1.0);
            dialog->Edit()->setText("3");
            dialog->reject();
        });
        actions.Action(doccmd::kExpandLand)->trigger();
        EXPECT_EQ(cancel.answered, 1);
    }
    EXPECT_EQ(GetUndoList().GetUndoCount(), undoSteps);
    EXPECT_EQ(DocCommandMemory::Remembered().landExpansions, 1);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), offset->DataAs<float>()));
    doc.SetModifiedFlag(false);
    {
        ModalAnswerer ok([](QDialog* d) {
            auto* dialog = qobject_cast<CSingleEditDlgFace*>(d);
            ASSERT_NE(dialog, nullptr);
            dialog->Edit()->setText("2.7");
            dialog->accept();
        });
        actions.Action(doccmd::kExpandLand)->trigger();
        EXPECT_EQ(ok.answered, 1);
    }
    EXPECT_EQ(DocCommandMemory::Remembered().landExpansions, 2);
    EXPECT_EQ(GetUndoList().GetUndoCount(), undoSteps + 1);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Expand Land in Offset");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(std::equal(before.begin(), before.end(), offset->DataAs<float>()));
    // Undo through its menu action gives the offset back.
    actions.Action(57643)->trigger();
    offset = doc.GetWorld().Channel(kChannelLandOffset); // undo swaps the grids
    ASSERT_NE(offset, nullptr);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), offset->DataAs<float>()));

    // Skyloom Pro Template: the icosahedral file dialog's path and width; the BMP and the
    // drawing that references it are written beside it. Cancel writes nothing.
    struct SkyloomFile : ExportDialogs {
        bool WorldImageFile(const std::string& title, bool icosahedral, WorldImageSettings& settings) override
        {
            titles.push_back(title);
            EXPECT_TRUE(icosahedral);
            settings.path = path;
            settings.width = 64;
            return !path.empty();
        }
        std::vector<std::string> titles;
        std::string path;
    } sky;
    ExportDialogs* previousExport = SetExportDialogs(&sky);
    std::filesystem::create_directories(scratch.Path("sub"));
    actions.Action(kFileExportSkyloom)->trigger();
    EXPECT_TRUE(std::filesystem::is_empty(scratch.Path("sub")));
    sky.path = scratch.Path("sub/m.fcw");
    actions.Action(kFileExportSkyloom)->trigger();
    SetExportDialogs(previousExport);
    ASSERT_EQ(sky.titles.size(), 2u);
    EXPECT_EQ(sky.titles[0], "Export PW2 File based on Skyloom Pro Template");
    std::error_code error;
    EXPECT_EQ(std::filesystem::file_size(scratch.Path("sub/m.fcw"), error), 108518u);
    VideoBuffer net;
    std::string readError;
    ASSERT_EQ(ReadImageFile(scratch.Path("sub/m.bmp"), net, readError), 0) << readError;
    EXPECT_EQ(net.GetWidth(), 64);
    EXPECT_TRUE(run.app.Messages().Shown().empty());
}

TEST(KVApp, DocumentFileCommandsSavePromptAndDroppedFiles)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CKVDoc& doc = *run.app.Document();
    CDocManager& docs = *run.app.DocManager();
    const std::string world = scratch.Path("first.kvw");

    // Save As of the world document (the first type) with a path, then the title and the
    // recent list follow.
    struct SaveAsWorld : ExportDialogs {
        std::string path;
        bool SaveFile(SaveFileRequest& request, std::string& chosen) override
        {
            request.filterIndex = 1;
            chosen = path;
            return true;
        }
    } saveAs;
    saveAs.path = world;
    ExportDialogs* windows = SetExportDialogs(&saveAs);
    ASSERT_TRUE(run.app.Router().Execute(kFileSaveAs));
    SetExportDialogs(windows);
    EXPECT_EQ(run.app.MainFrame()->windowTitle(), "first.kvw - Kelvane Pro");
    ASSERT_EQ(docs.RecentFiles().size(), 1u);
    EXPECT_EQ(scratch.profile.GetString("Recent File List", "File1", ""), docs.RecentFiles()[0]);
    EXPECT_TRUE(run.app.Router().Update(kFileMruFirst).enabled);

    // A modified world asks first; Cancel keeps everything.
    const int seed = doc.GetWorld().sourceParms.seed;
    doc.SetModifiedFlag(true);
    run.app.Messages().Script({QtMessageService::kCancel});
    run.app.Router().Execute(kFileNew);
    EXPECT_EQ(run.app.Messages().Shown().back(), "Save changes to first.kvw?");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetWorld().sourceParms.seed, seed);
    // No, then the wizard finished: a new world, unmodified, untitled.
    run.app.Messages().Script({QtMessageService::kNo});
    {
        ModalAnswerer finish([](QDialog* d) {
            auto* wizard = qobject_cast<QWizard*>(d);
            ASSERT_NE(wizard, nullptr);
            while (wizard->button(QWizard::NextButton)->isVisible())
                wizard->button(QWizard::NextButton)->click();
            wizard->button(QWizard::FinishButton)->click();
        });
        run.app.Router().Execute(kFileNew);
        EXPECT_EQ(finish.answered, 1);
    }
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(run.app.MainFrame()->windowTitle(), "Untitled - Kelvane Pro");

    // A dropped file that is no world: reported, the document as it was.
    const std::string text = scratch.Path("notes.txt");
    std::ofstream(text) << "not a world at all";
    const int newSeed = doc.GetWorld().sourceParms.seed;
    run.app.Messages().Script({});
    docs.DropFiles({text});
    ASSERT_FALSE(run.app.Messages().Shown().empty());
    EXPECT_NE(run.app.Messages().Shown().back().find("notes.txt"), std::string::npos);
    EXPECT_EQ(doc.GetWorld().sourceParms.seed, newSeed);
    EXPECT_EQ(doc.GetTitle(), "Untitled");
    // A dropped world opens.
    docs.DropFiles({world});
    EXPECT_EQ(doc.GetWorld().sourceParms.seed, seed);
    EXPECT_EQ(doc.GetTitle(), "first.kvw");
    EXPECT_FALSE(doc.IsModified());
}

TEST(KVApp, MissingOrUnreadableWorldsAtStartup)
{
    ScratchProfile scratch;
    // A missing world: a new world under that name, marked modified.
    {
        CCmdLineInfo info;
        info.ParseParam(scratch.Path("later.kvw"));
        RunningApp run(scratch, info);
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.app.Document()->GetPathName(), scratch.Path("later.kvw"));
        EXPECT_TRUE(run.app.Document()->IsModified());
        run.app.Document()->SetModifiedFlag(false);
    }
    // A file that is no world: reported, and a new world opens; the program goes on.
    const std::string bad = scratch.Path("bad.kvw");
    std::ofstream(bad) << "garbage";
    CCmdLineInfo info;
    info.ParseParam(bad);
    RunningApp run(scratch, info);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.app.Messages().Shown().empty());
    EXPECT_EQ(run.app.Document()->GetTitle(), "Untitled");
    EXPECT_TRUE(run.app.MainFrame()->isVisible());
}


TEST(KVApp, EveryCommandHasAnActionAndAHandlerOrIsNamedUnbuilt)
{
    // The program's command ids, as ranges.
    const std::pair<int, int> ranges[] = {{500, 500}, {503, 503}, {33003, 33003}, {33006, 33006}, {33010, 33010}, {33014, 33014}, {33020, 33022}, {33025, 33025}, {33030, 33045}, {33047, 33047}, {33050, 33062}, {33066, 33066}, {33068, 33081}, {33083, 33091}, {33093, 33100}, {33102, 33108}, {33111, 33114}, {33116, 33126}, {33128, 33138}, {33140, 33143}, {33154, 33156}, {33158, 33161}, {33165, 33166}, {33174, 33175}, {33181, 33185}, {33187, 33187}, {33190, 33199}, {33202, 33202}, {33204, 33205}, {33209, 33216}, {33218, 33218}, {33220, 33222}, {33227, 33228}, {33231, 33232}, {33234, 33234}, {33240, 33240}, {33242, 33243}, {33245, 33245}, {33247, 33247}, {33250, 33254}, {33258, 33258}, {33264, 33264}, {33270, 33287}, {57600, 57601}, {57603, 57603}, {57606, 57607}, {57609, 57609}, {57632, 57632}, {57634, 57634}, {57642, 57644}, {57664, 57665}, {57667, 57667}, {57669, 57671}, {59392, 59393}};
    const std::set<int> unbuilt = CommandsWithoutAction();
    ASSERT_FALSE(unbuilt.empty()) << "README lists no commands without action";
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app.Router();
    std::vector<int> noRow, noAction, unhandled, namedButHandled;
    int count = 0;
    for (auto [first, last] : ranges)
        for (int id = first; id <= last; ++id) {
            ++count;
            const bool handled = router.TargetOf(id) != RouteTarget::None;
            if (unbuilt.count(id) != 0) {
                if (handled)
                    namedButHandled.push_back(id);
                continue;
            }
            if (FindCommand(id) == nullptr)
                noRow.push_back(id);
            if (run.app.Actions()->Action(id) == nullptr)
                noAction.push_back(id);
            if (!handled)
                unhandled.push_back(id);
        }
    const auto list = [](const std::vector<int>& v) {
        std::string s;
        for (int id : v)
            s += " " + std::to_string(id);
        return s;
    };
    EXPECT_EQ(count, 205);
    EXPECT_TRUE(noRow.empty()) << "ids without a table row:" << list(noRow);
    EXPECT_TRUE(noAction.empty()) << "ids without a QAction:" << list(noAction);
    EXPECT_TRUE(unhandled.empty()) << "ids with no handler that README does not name:" << list(unhandled);
    EXPECT_TRUE(namedButHandled.empty()) << "ids README names that have a handler:" << list(namedButHandled);
}

TEST(CMainFrame, ColorLinkWindowCommandTogglesTheWindowAndChecksItsEntry)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app.Router();
    ASSERT_NE(FindCommand(cmd::kColorLinkWindow), nullptr);
    EXPECT_STREQ(FindCommand(cmd::kColorLinkWindow)->menu, "&Developmental");
    QAction* action = run.app.Actions()->Action(cmd::kColorLinkWindow);
    ASSERT_NE(action, nullptr);
    EXPECT_FALSE(router.Update(cmd::kColorLinkWindow).checked);
    action->trigger();
    EXPECT_TRUE(ColorLinks::GetInstance().IsWindowVisible());
    CommandState state = router.Update(cmd::kColorLinkWindow);
    EXPECT_TRUE(state.checkable);
    EXPECT_TRUE(state.checked);
    action->trigger();
    EXPECT_FALSE(ColorLinks::GetInstance().IsWindowVisible());
    EXPECT_FALSE(router.Update(cmd::kColorLinkWindow).checked);
}

TEST(CMainFrame, ListCommandsRunOnTheListWithTheFocus)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app.Router();
    CMainFrame* frame = run.app.MainFrame();
    frame->activateWindow();
    frame->setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(router.Update(cmd::kListSelectAll).enabled);

    auto* list = new CXListBox(frame);
    list->AddLine(0, 0xFFFFFF, "one");
    list->AddLine(0, 0xFFFFFF, "two");
    list->show();
    list->setFocus();
    QCoreApplication::processEvents();
    if (QApplication::focusWidget() != list)
        GTEST_SKIP() << "the platform gives no focus";
    EXPECT_TRUE(router.Execute(cmd::kListSelectAll));
    EXPECT_EQ(list->SelectedRows(), (std::vector<int>{0, 1}));
    EXPECT_TRUE(router.Execute(cmd::kListClear));
    EXPECT_EQ(list->GetCount(), 0);
    delete list;
}
