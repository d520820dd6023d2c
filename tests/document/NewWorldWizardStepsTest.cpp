#include "document/NewWorldWizardSteps.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(NewWorldWizardSteps, NavigationByKind)
{
    struct Case {
        int kind, next, back;
        const char* title;
        const char* summary;
    };
    const Case cases[] = {
        {0, kPageSynthetic, kPageSynthetic, "Synthetic World Parameters", "Synthetic Data Set"},
        {4, kPageBinary, kPageBinary, "Synthetic World Parameters", "Binary Data Set"},
        {5, kPageSynthetic, kPageSynthetic, "Flat World Parameters", "Flat World"},
        {6, kPageSynthetic, kPageSynthetic, "Planar World Parameters", "Planar World"},
        {3, -1, kPageType, "Synthetic World Parameters", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PageAfterType(c.kind), c.next) << c.kind;
        EXPECT_EQ(PageBeforeSummary(c.kind), c.back) << c.kind;
        EXPECT_EQ(SummaryTitle(c.kind), c.summary) << c.kind;
        if (c.kind != 4)
            EXPECT_EQ(ParametersTitle(c.kind), c.title) << c.kind;
    }
    EXPECT_EQ(KindOfTypeButton(0), 0);
    EXPECT_EQ(KindOfTypeButton(4), 4);
    EXPECT_EQ(KindOfTypeButton(6), 6);
    EXPECT_EQ(KindOfTypeButton(-1), 5);
    EXPECT_EQ(ColouringAfterBinaryPage(2), 2);
    EXPECT_EQ(ColouringAfterBinaryPage(0), 1);
}

TEST(NewWorldWizardSteps, SummaryTexts)
{
    const std::string note =
        "\n\nThe coloring of this world can be changed from the Map>>Lighting and Color menu item or by selecting one "
        "of the shaders shown on the Map menu.";
    EXPECT_EQ(SummaryText(4, "/data/e.raw"),
              "The displayed height data will be computed from a height field representation stored in the "
              "file\n/data/e.raw" + note);
    EXPECT_EQ(SummaryText(6, ""),
              "A planar world will be displayed. This world is a normal synthetic world evaluated on a plane." + note);
    EXPECT_EQ(SummaryText(9, ""), note);
}
