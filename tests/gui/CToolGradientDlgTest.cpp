// The gradient panel inside a gradient tool, offscreen: display units, combos, bad text.
#include "../support/DocumentFixtures.h"
#include "../support/QtTestApp.h"
#include "../support/WorldFixtures.h"

#include "base/DisplayUnits.h"
#include "gui/tools/CToolGradientDlg.h"
#include "gui/tools/CToolOptionsBar.h"
#include "gui/tools/CToolbarSelectBase.h"
#include "view/tools/CToolSelectBase.h"
#include "view/tools/ToolFactory.h"
#include "view/tools/CToolGradient.h"
#include "world/GradientRenderers.h"

#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace kv;

namespace {

struct Bar : ToolOptionsBar {
    CToolGradientDlg* panel = nullptr;
    std::unique_ptr<GradientOptionsPanel> CreateGradientPanel() override
    {
        auto p = std::make_unique<CToolGradientDlg>();
        panel = p.get();
        return p;
    }
};

} // namespace

TEST(CToolGradientDlg, ImperialShowsAndStoresFeetAndRefusesBadText)
{
    TestApp();
    MetricUnits = 0;
    SharedGradientSettings() = GradientSettings{};
    Bar bar;
    CToolGradient tool(1);
    ToolEvent e;
    e.optionsBar = &bar;
    tool.Activate(e);
    ASSERT_NE(bar.panel, nullptr);
    EXPECT_EQ(bar.panel->EndEdit()->text(), "328.084");
    EXPECT_EQ(bar.panel->StartEdit()->text(), "0");
    EXPECT_EQ(bar.panel->CurveCombo()->currentText(), "Cosine");
    EXPECT_EQ(bar.panel->KindCombo()->count(), kGradientKindCount);
    EXPECT_EQ(bar.panel->OperationCombo()->currentText(), "Replace");

    bar.panel->EndEdit()->setText("10");
    bar.panel->KindCombo()->setCurrentIndex(3);
    ASSERT_TRUE(tool.ReadPanel());
    EXPECT_NEAR(SharedGradientSettings().end, 3.048, 1e-12);
    EXPECT_EQ(SharedGradientSettings().kind, kGradientPyramid);

    for (const char* bad : {"nan", "inf", "1e39", ""}) {
        bar.panel->StartEdit()->setText(bad);
        EXPECT_FALSE(tool.ReadPanel()) << bad;
        EXPECT_EQ(SharedGradientSettings().start, 0.0);
        EXPECT_NEAR(SharedGradientSettings().end, 3.048, 1e-12);
    }
    tool.Deactivate(e);
    MetricUnits = 1;
}

// The window's tool options bar places the map-editing tools' panels over its placeholder,
// hands their edits to the tool as they lose the focus and removes them with the tool.
TEST(CToolOptionsBar, SelectionAndGradientToolsGetTheirPanels)
{
    TestApp();
    MessageRecorder messages;
    CToolOptionsBar bar;
    ToolEvent e;
    e.optionsBar = &bar;

    ToolCreateArgs args;
    args.code = 20;
    std::unique_ptr<MouseTool> tool;
    ASSERT_TRUE(CreateMouseTool(args, tool));
    auto* select = dynamic_cast<CToolSelectBase*>(tool.get());
    ASSERT_NE(select, nullptr);
    select->Activate(e);
    auto* panel = qobject_cast<CToolbarSelectBase*>(bar.CurrentPanel());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(bar.windowTitle(), "Selection Options");
    auto* feather = panel->findChild<QLineEdit*>(QStringLiteral("5134"));
    auto* width = panel->findChild<QLineEdit*>(QStringLiteral("5571"));
    ASSERT_TRUE(feather && width);
    EXPECT_FALSE(width->isEnabled()); // no style names: style 0
    feather->setText("0.25");
    emit feather->editingFinished();
    EXPECT_FLOAT_EQ(select->PanelValues().feather, 0.25f);
    EXPECT_EQ(select->PanelValues().style, 0);
    width->setText("0");
    emit width->editingFinished();
    EXPECT_EQ(select->PanelValues().width, 1);
    EXPECT_EQ(messages.texts.size(), 1u);
    select->Deactivate(e);
    EXPECT_EQ(bar.CurrentPanel(), nullptr);

    SharedGradientSettings() = GradientSettings{};
    CToolGradient gradient(1);
    gradient.Activate(e);
    auto* dlg = dynamic_cast<CToolGradientDlg*>(bar.CurrentPanel());
    ASSERT_NE(dlg, nullptr);
    dlg->EndEdit()->setText("40");
    ASSERT_TRUE(gradient.ReadPanel());
    EXPECT_DOUBLE_EQ(SharedGradientSettings().end, 40.0);
    gradient.Deactivate(e);
    EXPECT_EQ(bar.CurrentPanel(), nullptr);
}
