// The view's windows: routing of the view commands in the running program, Quit and Cancel,
// the globe dock, the saved-views window, the globe export dialog.
#include "DocumentFixtures.h"
#include "QtTestApp.h"
#include "StartedApp.h"
#include "ViewFixtures.h"

#include "exchange/CMultiImageDlg.h"
#include "gui/app/KVApp.h"
#include "gui/app/ProfileSettings.h"
#include "gui/app/StartupFile.h"
#include "gui/commands/CommandIds.h"
#include "gui/dialogs/CGlobeExportDlg.h"
#include "gui/dialogs/CViewExportSettingsDlg.h"
#include "gui/dialogs/CViewInfoDlg.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/GlobeBarWidget.h"
#include "gui/view/MapWidget.h"
#include "shading/ShaderRegistry.h"
#include "view/CGlobeDlgBar.h"
#include "view/ViewCommandIds.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::viewcmd;

namespace {

using App = StartedApp;

CViewInfo Info(const char* name, double lat, double scale)
{
    CViewInfo v;
    v.name = name;
    v.projectionName = "Equirectangular";
    v.centerLatitude = lat;
    v.scale = scale;
    return v;
}

} // namespace

TEST(ViewWindows, ViewCommandsRouteToTheViewAndQuitClosesAtOnce)
{
    App run;
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app->Router();
    for (int id : {kShowAltitude, kZoomIn, kZoomPrior, kPanLeft, kCentreUp, kAddView, kGlobeQuit, kGlobeCancel,
                   kGlobeHelp, kFillSelection})
        EXPECT_EQ(router.TargetOf(id), RouteTarget::View) << id;
    // The projection, grid, background, image climate and colour-to-altitude dialogs are there.
    for (int id : {kChangeProjection, kGridSettings, kAltColorConversion, kShowOverlayWindow, kBackground,
                   kShowImageClimate})
        EXPECT_TRUE(router.Update(id).enabled) << id;
    EXPECT_EQ(router.TargetOf(cmd::kBarGlobeTools), RouteTarget::Frame);

    CKVView& view = run.app->Map()->View();
    const double scale = view.Projection().GetScale();
    QAction* zoomIn = run.app->Actions()->Action(kZoomIn);
    ASSERT_NE(zoomIn, nullptr);
    EXPECT_EQ(zoomIn->shortcuts().size(), 3);
    zoomIn->trigger();
    EXPECT_DOUBLE_EQ(view.Projection().GetScale(), scale * 0.5);
    EXPECT_TRUE(router.Update(kZoomPrior).enabled);
    EXPECT_EQ(run.app->MainFrame()->actions().contains(run.app->Actions()->Action(kPanDown)), true);

    // The globe dock holds the model and the three buttons (Cancel hidden).
    CMainFrame* frame = run.app->MainFrame();
    ASSERT_NE(frame->Globe(), nullptr);
    EXPECT_EQ(frame->GlobeDock()->objectName(), "500");
    EXPECT_FALSE(frame->GlobeBar()->findChild<QPushButton*>("5574")->isVisibleTo(frame->GlobeBar()));
    EXPECT_TRUE(frame->GlobeBar()->findChild<QPushButton*>("5573")->isVisibleTo(frame->GlobeBar()));

    // Cancel queues the close; Quit closes before it returns.
    run.app->Document()->SetModifiedFlag(false);
    router.Execute(kGlobeCancel);
    EXPECT_TRUE(frame->isVisible());
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame->isVisible());
    frame->show();
    router.Execute(kGlobeQuit);
    EXPECT_FALSE(frame->isVisible());
}

TEST(ViewWindows, SavedViewsWindowSortsShowsAndDeletes)
{
    TestApp();
    CViewInfoList views;
    views.Add(Info("b", 10.0, 0.5));
    views.Add(Info("a", 9.0, 2.0));
    views.Add(Info("c", -2.0, 1.0));
    std::vector<std::string> applied;
    int modified = 0;
    ViewInfoDlgActions actions;
    actions.apply = [&](const CViewInfo& v) { applied.push_back(v.name); };
    actions.modified = [&] { ++modified; };
    CViewInfoDlg window(views, actions);
    QTreeWidget* list = window.List();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->headerItem()->text(4), "X Ofs");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "10.00");
    EXPECT_EQ(list->topLevelItem(0)->text(6), "0.5000");
    for (int id : {CViewInfoDlg::kShowId, CViewInfoDlg::kDeleteId, CViewInfoDlg::kExportId})
        EXPECT_FALSE(window.Button(id)->isEnabled());

    // Latitudes sort as numbers (-2, 9, 10), not as text.
    list->header()->sectionClicked(2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "c");
    EXPECT_EQ(list->topLevelItem(2)->text(0), "b");
    list->header()->sectionClicked(0);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "a");

    // Show needs exactly one row; a refill keeps the selection.
    list->topLevelItem(1)->setSelected(true); // "b"
    EXPECT_TRUE(window.Button(CViewInfoDlg::kShowId)->isEnabled());
    window.Button(CViewInfoDlg::kShowId)->click();
    EXPECT_EQ(applied, std::vector<std::string>{"b"});
    views.Add(Info("d", 0.0, 1.0));
    window.FillList();
    ASSERT_EQ(window.SelectedViews().size(), 1u);
    EXPECT_EQ(window.SelectedViews()[0]->name, "b");
    list->topLevelItem(2)->setSelected(true); // "c"
    EXPECT_FALSE(window.Button(CViewInfoDlg::kShowId)->isEnabled());
    window.Button(CViewInfoDlg::kDeleteId)->click();
    EXPECT_EQ(views.Count(), 2);
    EXPECT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(modified, 1);
    EXPECT_EQ(views.At(0)->name, "a");
    EXPECT_EQ(views.At(1)->name, "d");
    // Views replaced under the window (a world loaded): stale rows select nothing.
    list->topLevelItem(0)->setSelected(true);
    views = CViewInfoList();
    EXPECT_TRUE(window.SelectedViews().empty());
    window.Button(CViewInfoDlg::kShowId)->click();
    EXPECT_EQ(applied.size(), 1u);
    window.FillList();
    EXPECT_EQ(list->topLevelItemCount(), 0);

    // Size: not below 264 x 174; growing grows the list, the bottom row follows the edge.
    EXPECT_EQ(window.minimumSize(), QSize(264, 174));
    window.resize(400, 300);
    window.show();
    QCoreApplication::processEvents();
    QPushButton* add = window.Button(CViewInfoDlg::kAddId);
    QPushButton* exportButton = window.Button(CViewInfoDlg::kExportId);
    EXPECT_EQ(add->geometry().bottom() + 1, window.height());
    EXPECT_EQ(list->width(), window.width());
    EXPECT_EQ(list->height(), window.height() - exportButton->height() - add->height() - 1);
    EXPECT_EQ(exportButton->y(), 0);
    // Closing hides.
    window.close();
    EXPECT_FALSE(window.isVisible());
}

TEST(ViewWindows, GlobeExportLevelsFollowTheCoarserOnes)
{
    TestApp();
    CGlobeExportDlgFace dialog;
    dialog.fileSets = {"Earth", "Mars"};
    dialog.fileSetIndex = 1;
    dialog.levels[1] = dialog.levels[2] = true; // stored, but level 1 is off
    dialog.LoadControls();
    EXPECT_EQ(dialog.FileSetBox()->itemText(1), "2. Mars");
    EXPECT_EQ(dialog.FileSetBox()->currentIndex(), 1);
    EXPECT_TRUE(dialog.LevelBox(0)->isEnabled());
    for (int i = 1; i < 4; ++i)
        EXPECT_FALSE(dialog.LevelBox(i)->isEnabled()) << i;
    dialog.LevelBox(0)->click();
    EXPECT_TRUE(dialog.LevelBox(1)->isEnabled());
    EXPECT_TRUE(dialog.LevelBox(2)->isEnabled());
    EXPECT_TRUE(dialog.LevelBox(3)->isEnabled());
    dialog.LevelBox(1)->click(); // level 2 off
    EXPECT_FALSE(dialog.LevelBox(2)->isEnabled());
    EXPECT_FALSE(dialog.LevelBox(3)->isEnabled());
    dialog.ReadControls();
    EXPECT_TRUE(dialog.levels[0]);
    EXPECT_FALSE(dialog.levels[1]);
}

TEST(ViewWindows, StartupLinesWithShortGroupsOrLongText)
{
    // A short group is the rectangle no point lies in; a line of any length is one record.
    const StartupRecord shortGroup = ParseStartupLine("Page;1,2,3;4,5,6,7;x,8,9,10;");
    EXPECT_FALSE(shortGroup.next.Contains(1, 2));
    EXPECT_EQ(shortGroup.previous.right, 6);
    EXPECT_EQ(shortGroup.close.left, -2);
    const std::string longText(3000, 'a');
    const StartupRecord longLine = ParseStartupLine(longText + ";10,10,20,20;;;");
    EXPECT_EQ(longLine.text.size(), 3000u);
    EXPECT_TRUE(longLine.next.Contains(15, 15));
    for (const char* odd : {"", ";", ";;;;;;", "a;1,2;3,4,5,6,7,8;", "a;2147483648,0,1,1;"}) {
        const StartupRecord r = ParseStartupLine(odd);
        EXPECT_FALSE(r.next.Contains(0, 0)) << odd;
    }
}

TEST(ViewWindows, LightingAndColorNeedsItsSheet)
{
    struct Sheet : ColoringSheet {
        void Show(int command) override { visible = command != 0; }
        bool IsVisible() const override { return visible; }
        void LoadActiveViewLighting() override {}
        void SetLighting(const LightParms&) override {}
        void RefreshPages() override {}
        void DestroyWindow() override {}
        bool visible = false;
    };
    App run;
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app->Router();
    // The program installs its sheet at start-up; without one the command is disabled.
    EXPECT_TRUE(router.Update(kLightingAndColor).enabled);
    SetColoringSheetFactory({});
    EXPECT_FALSE(router.Update(kLightingAndColor).enabled);
    SetColoringSheetFactory([] { return std::make_unique<Sheet>(); });
    EXPECT_TRUE(router.Update(kLightingAndColor).enabled);
    EXPECT_FALSE(router.Update(kLightingAndColor).checked);
    router.Execute(kLightingAndColor);
    EXPECT_TRUE(router.Update(kLightingAndColor).checked);
    router.Execute(kLightingAndColor);
    EXPECT_FALSE(router.Update(kLightingAndColor).checked);
    SetColoringSheetFactory({});
}

TEST(ViewWindows, ViewExportSettingsAskForTheDefinitionWhenDrawingsAreTicked)
{
    TestApp();
    struct Chooser : DefinitionChooser {
        bool ok = false;
        int asked = 0;
        bool Choose(std::string& name) override
        {
            ++asked;
            if (ok)
                name = "Coast";
            return ok;
        }
    } chooser;
    DefinitionChooser* previous = SetDefinitionChooser(&chooser);
    CViewExportSettingsDlg dialog{ViewExportSettings{}};
    EXPECT_TRUE(dialog.PW2Box()->isEnabled());
    EXPECT_TRUE(dialog.BasisBox()->isEnabled());
    // Cancelling the chooser unticks the box again.
    dialog.PW2Box()->click();
    EXPECT_EQ(chooser.asked, 1);
    EXPECT_FALSE(dialog.PW2Box()->isChecked());
    chooser.ok = true;
    dialog.PW2Box()->click();
    EXPECT_TRUE(dialog.PW2Box()->isChecked());
    EXPECT_EQ(dialog.DefinitionLabel()->text(), "Coast");
    dialog.BasisBox()->click();
    const ViewExportSettings s = dialog.Settings();
    EXPECT_TRUE(s.generatePW2);
    EXPECT_EQ(s.exportDefinition, "Coast");
    EXPECT_TRUE(s.useViewAsBasis);
    // Unticking asks nothing.
    dialog.PW2Box()->click();
    EXPECT_EQ(chooser.asked, 2);
    SetDefinitionChooser(previous);
}
