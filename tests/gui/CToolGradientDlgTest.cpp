// The gradient panel inside a gradient tool, offscreen: display units, combos, bad text.
#include "../support/DocumentFixtures.h"
#include "../support/QtTestApp.h"

#include "base/DisplayUnits.h"
#include "gui/tools/CToolGradientDlg.h"
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
