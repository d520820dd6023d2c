#include "base/DisplayUnits.h"
#include "gui/commands/CommandIds.h"
#include "gui/commands/CommandTable.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/CMapViewProperties.h"
#include "view/ViewInput.h"
#include "world/GreatCircle.h"

#include "QtTestApp.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>

#include <gtest/gtest.h>

using namespace kv;

TEST(CMapViewProperties, DockShowsCursorValuesAndExtent)
{
    TestApp();
    CommandRouter router;
    CommandActions actions(router);
    CMainFrame frame(actions, false);
    auto* dock = qobject_cast<QDockWidget*>(frame.Bar(cmd::kBarViewProperties));
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->objectName(), "33130");
    CMapViewProperties* bar = frame.ViewProperties();
    ASSERT_EQ(dock->widget(), bar);

    const int saved = MetricUnits.load();
    MetricUnits.store(0);
    CursorInfo info;
    info.onMap = true;
    info.temperature = 300.0f;
    info.className = "Desert";
    bar->Refresh(info);
    EXPECT_EQ(bar->ValueField(4)->text(), "80.3 F");
    EXPECT_EQ(bar->ValueField(6)->text(), "Desert");
    ProjectedAxes axes;
    axes.northSouth = 1000.0;
    bar->ShowMeasure(axes);
    EXPECT_EQ(bar->MeasureField(0)->text(), "621.37 mi");
    MetricUnits.store(saved);
    info.onMap = false;
    bar->Refresh(info);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(bar->ValueField(k)->text(), "No Data") << k;
}

TEST(CMapViewProperties, ViewMenuTogglesTheDock)
{
    TestApp();
    CommandRouter router;
    CommandActions actions(router);
    CMainFrame frame(actions, false);
    router.SetTargets(nullptr, nullptr, &frame, nullptr);
    frame.show();
    QAction* action = actions.Action(cmd::kBarViewProperties);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(router.TargetOf(cmd::kBarViewProperties), RouteTarget::Frame);
    QWidget* dock = frame.ViewPropertiesBar();
    for (int k = 0; k < 2; ++k) {
        const bool shown = dock->isVisible();
        const CommandState state = router.Update(cmd::kBarViewProperties);
        EXPECT_TRUE(state.enabled && state.checkable);
        EXPECT_EQ(state.checked, shown);
        ASSERT_TRUE(router.Execute(cmd::kBarViewProperties));
        EXPECT_EQ(dock->isVisible(), !shown);
        EXPECT_EQ(router.Update(cmd::kBarViewProperties).checked, !shown);
    }
}
