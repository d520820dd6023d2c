// Every command of the window in the running program: the toolbars and palettes against
// their button lists, and a census that invokes each command id of the command table in the
// real main frame with a document, after putting the program in the state that enables it,
// and checks that something the user can see changed (or that the README names the id
// among the commands without action). Dialogs are answered Cancel by the test and their
// titles checked.
#include "AppFixtures.h"
#include "ViewFixtures.h"

#include "base/Undo.h"
#include "base/layers/CSelection.h"
#include "base/color/ClimateParms.h"
#include "base/layers/ImageOverlay.h"
#include "document/CKVDoc.h"
#include "document/DocumentCommands.h"
#include "document/DocumentServices.h"
#include "gui/app/DocManager.h"
#include "gui/commands/CommandIds.h"
#include "gui/commands/CommandTable.h"
#include "gui/controls/CXListBox.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/MenuImages.h"
#include "gui/view/MapWidget.h"
#include "view/ViewCommandIds.h"
#include "view/ViewInput.h"
#include "view/tools/MouseTool.h"
#include "world/SurfMap.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QDialog>
#include <QDockWidget>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::cmd;
using namespace kv::viewcmd;
using kvtest::RunningApp;
using kvtest::ScratchProfile;
using kvtest::CommandsWithoutAction;

namespace {

// The buttons of a toolbar or palette in order, 0 for a separator.
std::vector<int> ToolbarButtons(const QToolBar* bar)
{
    std::vector<int> ids;
    for (const QAction* action : bar->actions())
        ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
    return ids;
}

// Palette buttons row by row (a separator line is a row of its own, 0).
std::vector<std::vector<int>> PaletteRows(const QDockWidget* palette)
{
    std::vector<std::vector<int>> rows;
    const auto* layout = qobject_cast<const QGridLayout*>(palette->widget()->layout());
    for (int r = 0; layout && r < layout->rowCount(); ++r) {
        std::vector<int> row;
        for (int c = 0; c < layout->columnCount(); ++c) {
            const QLayoutItem* item = layout->itemAtPosition(r, c);
            if (!item || !item->widget())
                continue;
            if (const auto* button = qobject_cast<const QToolButton*>(item->widget()))
                row.push_back(button->defaultAction()->data().toInt());
            else if (c == 0)
                row.push_back(0);
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(Toolbars, ButtonsInTheOrderOfTheirListsWithPicturesThatDiffer)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CMainFrame& frame = *run.app.MainFrame();
    const std::vector<int> worldTools = {kFileNew, kFileOpen, kFileSaveAs, 0, kFilePrint, 0, 57643, 57644, 0,
                                         kNextWorld, kPreviousWorld, 0, kToolOptions, 503, 33021};
    const std::vector<int> mapTools = {kZoomIn, kZoomOut, kZoomExtents, kToolZoomWindow, 0, kToolRuler, 0,
                                       kToolPan, 0, kGridSettings, kBarToolsPalette, kChangeProjection, 0,
                                       kAppAbout, kHelp};
    EXPECT_EQ(ToolbarButtons(frame.WorldToolsBar()), worldTools);
    EXPECT_EQ(ToolbarButtons(frame.MapToolsBar()), mapTools);
    // Two columns: selection | offset and roughness | rainfall | temperature | water and
    // climate | brush sizes | shaders.
    const std::vector<std::vector<int>> tools = {
        {kToolSelectRectangle, kToolSelectEllipse}, {kToolSelectFreehand, kToolSelectPolygon}, {0},
        {kPaintRaiseOffset, kPaintLowerOffset},     {kPaintRaiseRoughness, kPaintLowerRoughness}, {0},
        {kPaintRaiseRainfall, kPaintLowerRainfall}, {0},
        {kPaintRaiseTemperature, kPaintLowerTemperature}, {0},
        {kPaintWaterLevel, kPaintClimate}, {0},
        {kBrushSizeXL, kBrushSizeLG},               {kBrushSizeSM, kBrushSizeXS}, {0},
        {kShowClimate, kShowAltitude},              {kShowTemperature, kShowRainfall},
    };
    EXPECT_EQ(PaletteRows(frame.ToolsPalette()), tools);
    // Six columns of climate classes (by class code), Default Model last.
    const auto c = [](int code) { return kClimateClassFirst + code; };
    const std::vector<std::vector<int>> climates = {
        {c(13), c(14), c(15), c(10), c(7), c(6)}, {0},
        {c(8), c(9), c(4), c(3), c(2), c(5)},     {0},
        {c(1), c(0), c(12), c(11), c(16), kClimateDefaultModel},
    };
    EXPECT_EQ(PaletteRows(frame.ClimatePalette()), climates);

    // Each button has a picture of its own, and the menu item of its command shows it.
    std::vector<int> buttons = ToolbarButtons(frame.WorldToolsBar());
    for (int id : ToolbarButtons(frame.MapToolsBar()))
        buttons.push_back(id);
    for (const QDockWidget* palette : {frame.ToolsPalette(), frame.ClimatePalette()}) {
        for (const std::vector<int>& row : PaletteRows(palette))
            buttons.insert(buttons.end(), row.begin(), row.end());
    }
    std::map<QByteArray, int> pictures;
    for (int id : buttons) {
        if (id == 0)
            continue;
        QAction* action = run.app.Actions()->Action(id);
        ASSERT_NE(action, nullptr) << id;
        ASSERT_FALSE(action->icon().isNull()) << id;
        const QImage image = action->icon().pixmap(MenuImageTable::kImageWidth, MenuImageTable::kImageHeight).toImage();
        const QByteArray bytes(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        const auto [it, fresh] = pictures.emplace(bytes, id);
        EXPECT_TRUE(fresh) << id << " has the picture of " << it->second;
        EXPECT_TRUE(MenuImageTable::Shared().HasImage(id)) << id;
    }
    EXPECT_EQ(pictures.size(), 11u + 11u + 22u + 18u);
    for (QMenu* menu : frame.menuBar()->findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && !action->menu()) {
                EXPECT_EQ(action->icon().isNull(), !MenuImageTable::Shared().HasImage(action->data().toInt()))
                    << action->text().toStdString();
            }
        }
    }

    // Palettes start hidden; the floating bars stand in a row from the client area's top-left
    // corner, so that none covers another when they are shown.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(frame.ToolsPalette()->isVisible());
    EXPECT_FALSE(frame.ClimatePalette()->isVisible());
    EXPECT_FALSE(frame.ColorKeyBar()->isVisible());
    EXPECT_TRUE(frame.ViewPropertiesBar()->isVisible());
    EXPECT_EQ(frame.ViewPropertiesBar()->pos(), frame.centralWidget()->mapToGlobal(QPoint(0, 0)));
    frame.ToolsPalette()->show();
    frame.ClimatePalette()->show();
    frame.ColorKeyBar()->show();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    const std::vector<QDockWidget*> floating = {frame.ViewPropertiesBar(), frame.ColorKeyBar(), frame.ToolsPalette(),
                                                frame.ClimatePalette()};
    for (size_t i = 0; i < floating.size(); ++i) {
        EXPECT_TRUE(floating[i]->isFloating()) << i;
        EXPECT_EQ(floating[i]->y(), floating[0]->y()) << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(floating[i]->frameGeometry().intersects(floating[j]->frameGeometry())) << i << " over " << j;
    }
}

TEST(Toolbars, ColorToAltitudeStandsInTheImageOverlaysMenuWithItsPrompt)
{
    const CommandDef* row = FindCommand(kAltColorConversion);
    ASSERT_NE(row, nullptr);
    EXPECT_STREQ(row->menu, "&Image Overlays");
    EXPECT_STREQ(row->text, "&Color-to-Altitude Conversion...");
    EXPECT_STREQ(row->prompt, "Bring up the color-to-altitude conversion wizard\nColor-to-Altitude Wizard");
}

// ---------------------------------------------------------------- the census

namespace {

// What the program is given before a command runs, so that the command is enabled and has
// something to act on.
enum class Need {
    Nothing,
    Unmodified,     // a world with no unsaved changes (questions about them would stop the command)
    SavedModified,  // a world with a file name and unsaved changes
    Rendered,       // the map completely rendered
    Selection,      // an active selection (the whole world)
    PartSelection,  // an active selection of the eastern half
    OverlaySelection, // an active overlay and an active selection
    LastSelection,  // a selection made and then dropped
    ActiveOverlay,  // an overlay, active
    UndoStep,       // one step to undo
    RedoStep,       // one step to redo
    PaintingTool,   // a painting tool chosen
    Prescale,       // the world has its prescale channel
    RecentFiles,    // four recent files
    SimpleCreate,   // the SimpleCreateLayer overlay, visible
    Rivers,         // rivers traced
    FocusedList,    // a coloured list with the focus
    PaletteHidden,  // the Climate Selector hidden
    AnswerYes,      // the next question is answered Yes
    OtherPath,      // four recent files, the world under a fifth name
    Basins,         // the last step undone (after a basin fill: the basins back again)
};

// The observable facets of the program; a command must change the one its row names.
// "dialogs" is the list of modal dialogs the test answered (Cancel), "windows" the titles
// of the modeless windows shown, "bars" the visibility of the frame's bars.
struct Row {
    int id;
    Need need;
    const char* facet;
    const char* shows = nullptr; // a dialog or window whose title contains this text
    // The command waits for a dialog that the window installs elsewhere; its row is checked
    // once the command is enabled.
    bool whenEnabled = false;
};

// The census table: id, the state that enables it, what it changes.
const std::vector<Row>& CensusRows();

struct Census {
    explicit Census(ScratchProfile& s) : scratch(s), run(s, {}, false)
    {
        watcher.setInterval(10);
        QObject::connect(&watcher, &QTimer::timeout, [this] { AnswerModal(); });
        watcher.start();
    }

    // Cancels whatever modal dialog is up and records its title.
    void AnswerModal()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        dialogs.push_back(modal->windowTitle().toStdString() + " [" + modal->metaObject()->className() + "]");
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }

    CKVApp& App() { return run.app; }
    CKVDoc& Doc() { return *run.app.Document(); }
    CMainFrame& Frame() { return *run.app.MainFrame(); }
    MapWidget& Map() { return *run.app.Map(); }

    std::map<std::string, std::string> Facets()
    {
        std::map<std::string, std::string> f;
        ViewInput& input = Map().Input();
        CKVView& view = Map().View();
        f["tool"] = std::to_string(input.CurrentCode());
        f["shader"] = std::to_string(view.GetShader());
        std::string bars;
        for (int id : {kBarWorldTools, kBarMapTools, kBarToolsPalette, kBarClimateSelector, kBarStatus,
                       kBarGlobeTools, kBarViewProperties, kBarToolOptions, kBarColorKey})
            bars += Frame().Bar(id)->isVisible() ? '1' : '0';
        f["bars"] = bars;
        std::multiset<std::string> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w != &Frame() && !qobject_cast<QDockWidget*>(w) && !qobject_cast<QMenu*>(w))
                windows.insert(w->windowTitle().toStdString() + " [" + w->metaObject()->className() + "]");
        std::string list;
        for (const std::string& w : windows)
            list += w + "; ";
        f["windows"] = list;
        f["dialogs"] = std::to_string(dialogs.size());
        f["messages"] = std::to_string(App().Messages().Shown().size());
        f["document"] = std::to_string(Doc().IsModified()) + " " + std::to_string(GetUndoList().GetUndoCount()) + " " +
                        std::to_string(GetUndoList().GetRedoCount()) + " " + Doc().GetPathName();
        const SurfMap& world = Doc().GetWorld();
        uint64_t hash = 1469598103934665603ull;
        auto mix = [&hash](const void* data, size_t bytes) {
            const auto* p = static_cast<const unsigned char*>(data);
            for (size_t i = 0; i < bytes; ++i)
                hash = (hash ^ p[i]) * 1099511628211ull;
        };
        for (int ch = 0; ch < kChannelGridCount; ++ch)
            if (const Grid2D* g = world.Channel(ch))
                mix(g->DataAs<float>(), g->CellCount() * sizeof(float));
        // The parameters (seed, basis, climate model ...) as their text.
        const std::string parms = scratch.Path("census-parms.srf");
        if (world.WriteParmsFile(parms) == 0) {
            std::ifstream text(parms, std::ios::binary);
            const std::string all((std::istreambuf_iterator<char>(text)), std::istreambuf_iterator<char>());
            mix(all.data(), all.size());
        }
        f["world"] = std::to_string(hash);
        const CSelection& selection = Doc().GetSelection();
        hash = 1469598103934665603ull;
        for (int y = 0; y < selection.GetHeight(); ++y)
            for (int x = 0; x < selection.GetWidth(); ++x) {
                const uint8_t v = selection.GetAt(x, y);
                mix(&v, 1);
            }
        f["selection"] = std::to_string(selection.IsActive()) + " " + std::to_string(hash);
        const ImageOverlayList& overlays = Doc().GetOverlays();
        std::string o = std::to_string(overlays.Count());
        for (int i = 0; i < overlays.Count(); ++i) {
            const ImageOverlay& overlay = *overlays.At(i);
            o += std::string(" ") + (overlay.visible ? "v" : "h") + (&overlay == overlays.GetActive() ? "*" : "");
            hash = 1469598103934665603ull;
            for (int y = 0; overlay.HasPixels() && y < overlay.height; ++y)
                mix(overlay.PixelRow(y), static_cast<size_t>(overlay.width) * 4);
            o += std::to_string(hash);
        }
        f["overlays"] = o;
        double lat = 0, lon = 0, dx = 0, dy = 0;
        view.Projection().GetCenter(lat, lon);
        view.Projection().GetOffset(dx, dy);
        f["view"] = std::to_string(view.Projection().GetProjectionId()) + " " + std::to_string(lat) + " " +
                    std::to_string(lon) + " " + std::to_string(dx) + " " + std::to_string(dy) + " " +
                    std::to_string(view.Projection().GetScale()) + " " +
                    std::to_string(view.HistoryCount()) + " " + std::to_string(view.SelectionDisplayMode()) + " " +
                    std::to_string(view.Settings().savedViews.Count());
        f["climate"] = std::to_string(input.Amounts().climate) + " " + std::to_string(input.DrawingColour());
        f["frame"] = Frame().isVisible() ? "shown" : "closed";
        std::string recent;
        for (const std::string& r : App().DocManager()->RecentFiles())
            recent += r + ";";
        f["recent"] = recent;
        f["render"] = view.GetPass() == CKVView::kPassReported ? "complete" : "rendering";
        f["list"] = focusList ? std::to_string(focusList->GetCount()) + " " + std::to_string(focusList->SelectedRows().size()) + " " +
                               QGuiApplication::clipboard()->text().toStdString()
                         : std::string();
        f["rivers"] = std::to_string(Doc().GetRiversHidden()) + " " + std::to_string(Doc().GetRivers().rivers.size());
        return f;
    }

    void Pump()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    void Prepare(Need need)
    {
        CommandActions& actions = *App().Actions();
        switch (need) {
        case Need::Nothing: break;
        case Need::Unmodified: Doc().SetModifiedFlag(false); break;
        case Need::SavedModified:
            ASSERT_TRUE(App().DocManager()->DoSave(scratch.Path("census.kvw")));
            Doc().SetModifiedFlag(true);
            break;
        case Need::Rendered:
            ASSERT_TRUE(kvtest::WaitUntil([&] {
                Pump();
                Map().View().PrepareRender();
                return Map().View().GetPass() <= 0;
            }));
            break;
        case Need::Selection: actions.Execute(doccmd::kSelectAll); break;
        case Need::PartSelection: {
            actions.Execute(doccmd::kSelectAll);
            CSelection& selection = Doc().GetSelection();
            for (int y = 0; y < selection.GetHeight(); ++y)
                for (int x = 0; x < selection.GetWidth() / 2; ++x)
                    selection.SetAt(x, y, 0);
            break;
        }
        case Need::OverlaySelection:
            Prepare(Need::ActiveOverlay);
            actions.Execute(doccmd::kSelectAll);
            break;
        case Need::FocusedList:
            if (!focusList) {
                focusList = new CXListBox(&Frame());
                focusList->AddLine(0, 0xFFFFFF, "one");
                focusList->AddLine(0, 0xFFFFFF, "two");
                focusList->show();
            }
            Frame().activateWindow();
            focusList->setFocus();
            break;
        case Need::OtherPath:
            Prepare(Need::RecentFiles);
            Doc().SetPathName(scratch.Path("other.kvw"));
            break;
        case Need::LastSelection:
            actions.Execute(doccmd::kSelectAll);
            actions.Execute(doccmd::kDeselect);
            break;
        case Need::ActiveOverlay:
        case Need::SimpleCreate: {
            ImageOverlayList& list = Doc().GetOverlays();
            ImageOverlay* overlay =
                list.AddNamed(need == Need::SimpleCreate ? "SimpleCreateLayer" : "Census", 64, 32, true);
            ASSERT_NE(overlay, nullptr);
            overlay->SetGeometry(64, 32, -180.0, 90.0, 180.0, -90.0);
            overlay->Fill(0xFF336699u);
            list.SetActive(overlay);
            Map().View().SetActiveOverlay(overlay);
            break;
        }
        case Need::UndoStep: Doc().SetGlobal(kChannelLandOffset, 25.0f); break;
        case Need::Basins: actions.Execute(doccmd::kEditUndo); break;
        case Need::RedoStep:
            Doc().SetGlobal(kChannelLandOffset, 35.0f);
            actions.Execute(doccmd::kEditUndo);
            break;
        case Need::PaintingTool:
            if (Map().Input().CurrentId() != 8)
                actions.Execute(kPaintRaiseOffset);
            break;
        case Need::Prescale: {
            SurfMap& world = Doc().GetWorld();
            world.prescaleEnabled = 1;
            world.SetResolution(world.GetResolutionCode(), true);
            break;
        }
        case Need::RecentFiles:
            for (const char* name : {"r4.kvw", "r3.kvw", "r2.kvw", "r1.kvw"})
                ASSERT_TRUE(App().DocManager()->DoSave(scratch.Path(name)));
            Doc().SetModifiedFlag(false);
            break;
        case Need::Rivers: Doc().GetRivers().rivers.emplace_back(); break;
        case Need::PaletteHidden: Frame().ClimatePalette()->hide(); break;
        case Need::AnswerYes: App().Messages().Script({QtMessageService::kYes}); break;
        }
        Pump();
    }

    // Hides the windows a command left open and shows the frame again.
    void Tidy(const std::set<QWidget*>& before)
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !before.count(w) && w != &Frame() && !qobject_cast<QDockWidget*>(w))
                w->hide();
        if (!Frame().isVisible())
            Frame().show();
        Pump();
    }

    ScratchProfile& scratch;
    RunningApp run;
    QPointer<CXListBox> focusList;
    QTimer watcher;
    std::vector<std::string> dialogs;
};

} // namespace

TEST(CommandCensus, EveryCommandOfTheTableChangesWhatItsRowSaysOrIsNamedWithoutAction)
{
    ScratchProfile scratch;
    Census census(scratch);
    ASSERT_TRUE(census.run.started);
    const std::set<int> withoutAction = CommandsWithoutAction();
    ASSERT_FALSE(withoutAction.empty());
    const bool report = std::getenv("KV_CENSUS_REPORT") != nullptr;

    // The table covers the command table: each id once, in one of the two lists.
    std::map<int, const Row*> rows;
    for (const Row& row : CensusRows()) {
        EXPECT_TRUE(rows.emplace(row.id, &row).second) << "id " << row.id << " has two census rows";
        EXPECT_NE(FindCommand(row.id), nullptr) << "census row " << row.id << " is not a command";
        EXPECT_EQ(withoutAction.count(row.id), 0u) << row.id << " is said to be without action";
    }
    for (const CommandDef& def : CommandRows()) {
        if (def.id != 0) {
            EXPECT_TRUE(rows.count(def.id) || withoutAction.count(def.id))
                << "command " << def.id << " \"" << def.text << "\" has no census row";
        }
    }
    for (int id : withoutAction)
        if (FindCommand(id) != nullptr)
            EXPECT_NE(census.App().Router().TargetOf(id), RouteTarget::Frame) << id;

    CommandRouter& router = census.App().Router();
    for (const Row& row : CensusRows()) {
        SCOPED_TRACE("command " + std::to_string(row.id));
        std::set<QWidget*> before;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                before.insert(w);
        census.Prepare(row.need);
        if (::testing::Test::HasFatalFailure())
            return;
        if (row.whenEnabled && !router.Update(row.id).enabled) {
            census.Tidy(before);
            continue;
        }
        EXPECT_TRUE(router.Update(row.id).enabled) << "not enabled";
        const auto facetsBefore = census.Facets();
        const size_t dialogsBefore = census.dialogs.size();
        EXPECT_TRUE(router.Execute(row.id)) << "no handler ran";
        census.Pump();
        const auto facetsAfter = census.Facets();
        std::string changed;
        for (const auto& [name, value] : facetsAfter)
            if (facetsBefore.at(name) != value)
                changed += name + " ";
        std::string seen;
        for (size_t i = dialogsBefore; i < census.dialogs.size(); ++i)
            seen += census.dialogs[i] + "; ";
        seen += facetsAfter.at("windows");
        if (report)
            std::printf("census %d: changed {%s} seen {%s}\n", row.id, changed.c_str(), seen.c_str());
        EXPECT_NE(facetsBefore.at(row.facet), facetsAfter.at(row.facet))
            << "\"" << row.facet << "\" did not change; changed: " << changed << " seen: " << seen;
        if (row.shows)
            EXPECT_NE(seen.find(row.shows), std::string::npos) << "no \"" << row.shows << "\" in " << seen;
        census.Tidy(before);
    }
}

namespace {

const std::vector<Row>& CensusRows()
{
    using N = Need;
    const auto c = [](int code) { return kClimateClassFirst + code; };
    static const std::vector<Row> rows = {
        // ---- File ----
        {kFileNew, N::Unmodified, "dialogs", "New Document"},
        {kFileOpen, N::Nothing, "dialogs", "Open"},
        {kFileSave, N::SavedModified, "document"},
        {kFileSaveAs, N::Nothing, "dialogs", "Save Current View As File"},
        {kFileSaveSphereMap, N::Nothing, "dialogs", "Save Sphere Map Image"},
        {kFileSaveIcosahedral, N::Nothing, "dialogs", "Save Icosahedral Image"},
        {kFileSaveSpinSequence, N::Nothing, "dialogs", "Save Spin View Sequence Files"},
        {kFileExportVRML, N::Nothing, "dialogs", "CVRMLExportDlg"},
        {kFileExportSkyloom, N::Nothing, "dialogs", "Skyloom Pro Template"},
        {33025, N::Nothing, "dialogs", "Multiple Image Export"},
        {kFileSavePW2, N::Nothing, "dialogs", "PW2 Export"},
        {kFilePrint, N::Rendered, "dialogs", "Print"},
        {kFilePrintPreview, N::Rendered, "dialogs", "Print Preview"},
        {kFilePrintSetup, N::Nothing, "dialogs", "Page Setup"},
        {kFileMruFirst, N::OtherPath, "document"},
        {kFileMruFirst + 1, N::OtherPath, "document"},
        {kFileMruFirst + 2, N::OtherPath, "document"},
        {kFileMruFirst + 3, N::OtherPath, "document"},
        // ---- Edit ----
        {doccmd::kEditUndo, N::UndoStep, "world"},
        {doccmd::kEditRedo, N::RedoStep, "world"},
        {kEditPreferences, N::Nothing, "dialogs", "Preferences"},
        {cmd::kWorldSettings, N::Nothing, "windows", "World Settings"},
        // ---- View: bars ----
        {kBarWorldTools, N::Nothing, "bars"},
        {kBarMapTools, N::Nothing, "bars"},
        {kBarToolsPalette, N::Nothing, "bars"},
        {kBarClimateSelector, N::Nothing, "bars"},
        {kBarStatus, N::Nothing, "bars"},
        {kBarGlobeTools, N::Nothing, "bars"},
        {kBarViewProperties, N::Nothing, "bars"},
        {kBarToolOptions, N::Nothing, "bars"},
        {kBarColorKey, N::Nothing, "bars"},
        // ---- View: navigation, saved views, windows ----
        {kZoomIn, N::Nothing, "view"},
        {kZoomOut, N::Nothing, "view"},
        {kZoomPrior, N::Nothing, "view"},
        {kZoomExtents, N::Nothing, "view"},
        {kPanDown, N::Nothing, "view"},
        {kPanLeft, N::Nothing, "view"},
        {kPanRight, N::Nothing, "view"},
        {kPanUp, N::Nothing, "view"},
        {kCentreDown, N::Nothing, "view"},
        {kCentreLeft, N::Nothing, "view"},
        {kCentreRight, N::Nothing, "view"},
        {kCentreUp, N::Nothing, "view"},
        {kAddView, N::Nothing, "dialogs", "Enter View Name"},
        {kViewWindow, N::Nothing, "windows", "View Management"},
        {kShowSelectMask, N::Selection, "view"},
        {kShowOutline, N::Selection, "view"},
        {viewcmd::kWorldSettings, N::Nothing, "windows", "World Settings"},
        {viewcmd::kLightingAndColor, N::Nothing, "windows", "Lighting and Color"},
        // ---- Map ----
        {kMapRegenerate, N::Rendered, "render"},
        {kNextWorld, N::Unmodified, "world"},
        {kPreviousWorld, N::Unmodified, "world"},
        {kChangeProjection, N::Nothing, "dialogs", "Map Projection"},
        {kBackground, N::Nothing, "dialogs", "Background", true},
        {kGridSettings, N::Nothing, "dialogs", "Grid Settings"},
        {kShowClimate, N::Nothing, "shader"},
        {kShowRainfall, N::Nothing, "shader"},
        {kShowTemperature, N::Nothing, "shader"},
        {kShowGaia, N::Nothing, "shader"},
        {kShowNormalMap, N::Nothing, "shader"},
        {kShowBumpMap, N::Nothing, "shader"},
        {kTexturedClimate, N::Nothing, "shader"},
        {kShowAltitude, N::Nothing, "shader"},
        {kShowImageClimate, N::Nothing, "dialogs", "Climate", true},
        // ---- Select ----
        {doccmd::kSelectAll, N::LastSelection, "selection"},
        {doccmd::kDeselect, N::Selection, "selection"},
        {doccmd::kReselect, N::LastSelection, "selection"},
        {doccmd::kInverse, N::Selection, "selection"},
        {doccmd::kFeather, N::Selection, "dialogs", "Feather Selection"},
        {doccmd::kContract, N::Selection, "dialogs", "Contract Selection"},
        {doccmd::kExpand, N::Selection, "dialogs", "Expand Selection"},
        {doccmd::kBinarize, N::Selection, "dialogs", "Threshold"},
        {doccmd::kBorder, N::Selection, "dialogs", "Border Size"},
        {doccmd::kDistance, N::PartSelection, "selection"},
        {doccmd::kLoadSelection, N::Nothing, "dialogs", "Load Selection Image File"},
        {doccmd::kSaveSelection, N::Selection, "dialogs", "Save Selection Image File"},
        {33070, N::Nothing, "dialogs", "Altitude Range Selection"},
        {33086, N::Nothing, "dialogs", "Rainfall Range Selection"},
        {33091, N::Nothing, "dialogs", "Temperature Range Selection"},
        {33072, N::Nothing, "dialogs", "Climate Selection"},
        // ---- Tools: whole-world commands ----
        {33116, N::Nothing, "dialogs", "Set Global Altitude"},
        {33194, N::Nothing, "dialogs", "Set Global Rainfall"},
        {33195, N::Nothing, "dialogs", "Set Global Temperature"},
        {33121, N::PartSelection, "dialogs", "Mound Settings"},
        {33122, N::PartSelection, "dialogs", "Moundtain Settings"},
        {33247, N::PartSelection, "dialogs", "Profiled Mound"},
        {33222, N::Nothing, "dialogs", "Math Tools"},
        {33190, N::Nothing, "world"},
        {33198, N::Basins, "world"},
        {doccmd::kExpandLand, N::Nothing, "dialogs", "Land Expansion"},
        {33242, N::Nothing, "dialogs", "Incise Flow Process"},
        {33108, N::AnswerYes, "world"},
        {33245, N::Nothing, "dialogs", "Remap Altitudes"},
        {33155, N::Nothing, "dialogs", "Planetary Bombardment"},
        {33202, N::Nothing, "dialogs", "River Definition Resolution"},
        {33205, N::Rivers, "rivers"},
        {33204, N::Rivers, "rivers"},
        {33220, N::Nothing, "overlays"},
        {33221, N::Nothing, "overlays"},
        {33174, N::PaletteHidden, "bars"},
        {33175, N::SimpleCreate, "dialogs", "Simple Create Mode"},
        {doccmd::kRunScript, N::Nothing, "dialogs", "Load Script File"},
        {33227, N::Nothing, "world"},
        {33228, N::Unmodified, "document"},
        {33196, N::Nothing, "overlays"},
        {33197, N::Nothing, "dialogs", "Globe Setup File Export"},
        {kColorLinkWindow, N::Nothing, "windows", "Color to Link Translation"},
        // ---- Image Overlays ----
        {kShowOverlayWindow, N::Nothing, "windows", "Image Overlays"},
        {kSetOverlayColor, N::Nothing, "dialogs", "Select Color"},
        {kFillSelection, N::OverlaySelection, "overlays"},
        {kEraseSelection, N::OverlaySelection, "overlays"},
        {kAltColorConversion, N::Nothing, "windows", "Color to Altitude"},
        {kToolOverlayPaint, N::ActiveOverlay, "tool"},
        {kToolOverlayErase, N::ActiveOverlay, "tool"},
        {kToolOverlayColorPicker, N::Nothing, "tool"},
        {kHideAllOverlays, N::ActiveOverlay, "overlays"},
        // ---- the coloured list's commands ----
        {kListSelectAll, N::FocusedList, "list"},
        {kListCopy, N::FocusedList, "list"},
        {kListClear, N::FocusedList, "list"},
        // ---- paint tools, sizes, options ----
        {kToolOptions, N::Nothing, "dialogs", "Tool Settings"},
        {kPaintRaiseOffset, N::Nothing, "tool"},
        {kPaintLowerOffset, N::Nothing, "tool"},
        {kPaintRaiseRoughness, N::Nothing, "tool"},
        {kPaintLowerRoughness, N::Nothing, "tool"},
        {kPaintRaiseRainfall, N::Nothing, "tool"},
        {kPaintLowerRainfall, N::Nothing, "tool"},
        {kPaintRaiseTemperature, N::Nothing, "tool"},
        {kPaintLowerTemperature, N::Nothing, "tool"},
        {kPaintWaterLevel, N::Nothing, "tool"},
        {kPaintClimate, N::Nothing, "tool"},
        {kPaintValueOffset, N::Nothing, "tool"},
        {kPaintValueRoughness, N::Nothing, "tool"},
        {kPaintValueTemperature, N::Nothing, "tool"},
        {kPaintValueRainfall, N::Nothing, "tool"},
        {kPaintRaisePrescale, N::Prescale, "tool"},
        {kPaintLowerPrescale, N::Prescale, "tool"},
        {kPaintValuePrescale, N::Prescale, "tool"},
        {kBrushSizeLG, N::PaintingTool, "tool"},
        {kBrushSizeSM, N::PaintingTool, "tool"},
        {kBrushSizeXS, N::PaintingTool, "tool"},
        {kBrushSizeXL, N::PaintingTool, "tool"},
        // ---- the Climate Selector ----
        {c(13), N::Nothing, "climate"}, {c(14), N::Nothing, "climate"}, {c(15), N::Nothing, "climate"},
        {c(10), N::Nothing, "climate"}, {c(7), N::Nothing, "climate"},  {c(6), N::Nothing, "climate"},
        {c(8), N::Nothing, "climate"},  {c(9), N::Nothing, "climate"},  {c(4), N::Nothing, "climate"},
        {c(3), N::Nothing, "climate"},  {c(2), N::Nothing, "climate"},  {c(5), N::Nothing, "climate"},
        {c(1), N::Nothing, "climate"},  {c(0), N::Nothing, "climate"},  {c(12), N::Nothing, "climate"},
        {c(11), N::Nothing, "climate"}, {c(16), N::Nothing, "climate"}, {kClimateDefaultModel, N::Nothing, "climate"},
        // ---- mouse tools ----
        {kToolZoomWindow, N::Nothing, "tool"},
        {kToolPan, N::Nothing, "tool"},
        {kToolRecenter, N::Nothing, "tool"},
        {kToolSelectRectangle, N::Nothing, "tool"},
        {kToolSelectEllipse, N::Nothing, "tool"},
        {kToolSelectFreehand, N::Nothing, "tool"},
        {kToolSelectPolygon, N::Nothing, "tool"},
        {kToolSelectBrush, N::Nothing, "tool"},
        {kToolSelectPencil, N::Nothing, "tool"},
        {kToolWandAltitude, N::Nothing, "tool"},
        {kToolWandRainfall, N::Nothing, "tool"},
        {kToolWandTemperature, N::Nothing, "tool"},
        {kToolWandClimate, N::Nothing, "tool"},
        {kToolSelectColorPicker, N::Nothing, "tool"},
        {kToolRuler, N::Nothing, "tool"},
        {kToolCrater, N::Nothing, "tool"},
        {kToolGradientOffset, N::Nothing, "tool"},
        {kToolGradientPrescale, N::Prescale, "tool"},
        {kToolGradientRoughness, N::Nothing, "tool"},
        {kToolGradientRainfall, N::Nothing, "tool"},
        {kToolGradientTemperature, N::Nothing, "tool"},
        // ---- the Global submenus ----
        {33030, N::Nothing, "dialogs"}, {33214, N::Prescale, "dialogs"}, {33031, N::Nothing, "dialogs"},
        {33032, N::Nothing, "dialogs"}, {33033, N::Nothing, "dialogs"}, {33034, N::Nothing, "dialogs"},
        {33035, N::Nothing, "dialogs"}, {33213, N::Prescale, "dialogs"}, {33036, N::Nothing, "dialogs"},
        {33037, N::Nothing, "dialogs"}, {33038, N::Nothing, "dialogs"}, {33039, N::Nothing, "dialogs"},
        {33040, N::Nothing, "dialogs"}, {33212, N::Prescale, "dialogs"}, {33041, N::Nothing, "dialogs"},
        {33042, N::Nothing, "dialogs"}, {33043, N::Nothing, "dialogs"}, {33044, N::Nothing, "dialogs"},
        {33117, N::Nothing, "dialogs"}, {33215, N::Prescale, "dialogs"}, {33118, N::Nothing, "dialogs"},
        {33119, N::Nothing, "dialogs"}, {33120, N::Nothing, "dialogs"}, {33199, N::Nothing, "dialogs"},
        {33111, N::Nothing, "dialogs"}, {33216, N::Prescale, "dialogs"}, {33112, N::Nothing, "dialogs"},
        {33113, N::Nothing, "dialogs"}, {33114, N::Nothing, "dialogs"},
        {33181, N::Nothing, "dialogs"}, {33218, N::Prescale, "dialogs"}, {33182, N::Nothing, "dialogs"},
        {33183, N::Nothing, "dialogs"}, {33184, N::Nothing, "dialogs"}, {33185, N::Nothing, "dialogs"},
        // ---- Help ----
        {kAppAbout, N::Nothing, "dialogs", "About Kelvane Pro"},
        // ---- closing the window: last ----
        {kAppExit, N::Unmodified, "frame"},
        {kGlobeQuit, N::Unmodified, "frame"},
        {kGlobeCancel, N::Unmodified, "frame"},
    };
    return rows;
}

} // namespace

// ---------------------------------------------------------------- painting climates

namespace {

// Clicks a palette's button as the user does.
void ClickPaletteButton(QDockWidget* palette, int id)
{
    auto* button = palette->findChild<QToolButton*>(QString::number(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

// One click of the current tool at a pixel of the map.
void ClickMap(MapWidget& map, QPoint at)
{
    map.Input().OnMouse(kToolMsgLButtonDown, kToolFlagLButton, at.x(), at.y());
    map.Input().OnMouse(kToolMsgLButtonUp, 0, at.x(), at.y());
}

} // namespace

TEST(ClimateSelector, ClassesPaintTheClimateChannelAndTheSimpleCreateOverlay)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app.Router();
    CMainFrame& frame = *run.app.MainFrame();
    MapWidget& map = *run.app.Map();
    CKVDoc& doc = *run.app.Document();
    ViewInput& input = map.Input();
    const QPoint centre(map.width() / 2, map.height() / 2);
    double latitude = 0, longitude = 0;
    ASSERT_TRUE(kvtest::WaitUntil([&] {
        QCoreApplication::processEvents();
        map.View().PrepareRender();
        return map.View().PixelToLatLon(centre.x(), centre.y(), latitude, longitude);
    }));
    const ClimateParms& climate = doc.GetWorld().climate;

    // Each class: its code as the climate amount, its colour (opaque without an overlay).
    for (int code = 0; code <= 16; ++code) {
        ClickPaletteButton(frame.ClimatePalette(), kClimateClassFirst + code);
        EXPECT_EQ(input.Amounts().climate, code);
        EXPECT_EQ(input.DrawingColour(), 0xFF000000u | (climate.ClimateColor(code) & 0xFFFFFFu)) << code;
    }
    ClickPaletteButton(frame.ClimatePalette(), kClimateDefaultModel);
    EXPECT_EQ(input.Amounts().climate, -1);
    EXPECT_EQ(input.DrawingColour(), 0u);

    // Paint Climate shows the climate shader, and paints the chosen class.
    const int kDesert = 3, kHills = 14;
    ClickPaletteButton(frame.ClimatePalette(), kClimateClassFirst + kDesert);
    ASSERT_TRUE(router.Execute(kPaintClimate));
    EXPECT_EQ(map.View().GetShader(), 2);
    EXPECT_EQ(input.CurrentId(), 12);
    ClickMap(map, centre);
    const SurfMap& world = doc.GetWorld();
    auto painted = [&] {
        const Grid2D& grid = *world.Channel(kChannelClimate);
        const int col = static_cast<int>(std::lround((longitude + 180.0) / 360.0 * (grid.Width() - 1)));
        const int row = static_cast<int>(std::lround((latitude + 90.0) / 180.0 * (grid.Height() - 1)));
        return grid.Rows<float>()[row][col];
    };
    EXPECT_EQ(painted(), kDesert);
    // Default Model gives the point back to the climate model (-1, not class 0).
    ClickPaletteButton(frame.ClimatePalette(), kClimateDefaultModel);
    ClickMap(map, centre);
    EXPECT_EQ(painted(), -1.0f);

    // Simple Create: the set-up shows the Climate Selector; a class painted with the overlay
    // tool lands in the layer in the class's colour, as opaque as the layer.
    frame.ClimatePalette()->hide();
    ASSERT_TRUE(router.Execute(33174));
    EXPECT_TRUE(frame.ClimatePalette()->isVisible());
    ImageOverlay* layer = doc.GetOverlays().FindByName("SimpleCreateLayer");
    ASSERT_NE(layer, nullptr);
    layer->opacity = 200;
    ClickPaletteButton(frame.ClimatePalette(), kClimateClassFirst + kHills);
    const uint32_t hills = climate.ClimateColor(kHills) & 0xFFFFFFu;
    EXPECT_EQ(input.DrawingColour(), (200u << 24) | hills);
    ASSERT_TRUE(router.Execute(kToolOverlayPaint));
    ClickMap(map, centre);
    // The layer's rows run from south to north.
    int x = 0, y = 0;
    ASSERT_TRUE(layer->LatLonToPixel(latitude, longitude, x, y));
    EXPECT_EQ(layer->PixelRow(y)[x] & 0xFFFFFFu, hills);

    // The frame is the program's frame requests: a posted command runs after the current one.
    EXPECT_EQ(&GetFrameRequests(), static_cast<FrameRequests*>(&frame));
    router.Execute(doccmd::kDeselect);
    ASSERT_TRUE(GetFrameRequests().PostCommand(doccmd::kSelectAll));
    EXPECT_FALSE(doc.GetSelection().IsActive());
    QCoreApplication::processEvents();
    EXPECT_TRUE(doc.GetSelection().IsActive());

    // Without climate data the climate tool cannot be chosen.
    doc.GetWorld().ChannelSlot(kChannelTemperature).reset();
    EXPECT_FALSE(router.Update(kPaintClimate).enabled);
    EXPECT_FALSE(router.Execute(kPaintClimate));
}
