#include "view/GridListEdits.h"

#include "WorldFixtures.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

CRectGrid Numbered(int n)
{
    CRectGrid overlay;
    overlay.grids.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        overlay.grids[static_cast<std::size_t>(i)].latSpacing = i + 1;
    return overlay;
}

std::vector<double> Spacings(const CRectGrid& overlay)
{
    std::vector<double> v;
    for (const RectInfo& g : overlay.grids)
        v.push_back(g.latSpacing);
    return v;
}

} // namespace

TEST(GridListEdits, RowTexts)
{
    RectInfo g;
    g.show = 1;
    g.colour = 0x336699;
    g.lineWidth = 125;
    g.latSpacing = 15;
    g.lonSpacing = 7.25;
    const GridRowTexts onTop = {"3", "Yes", "15.0", "7.2", "996633", "1.25", "On Top", "90.0", "-180.0", "180.0", "-90.0"};
    EXPECT_EQ(GridRow(g, 2, true), onTop);
    g.altitude = 304800;
    EXPECT_EQ(GridRow(g, 0, false)[6], "On Top");
    g.altitude = 1000;
    g.show = 0;
    EXPECT_EQ(GridRow(g, 0, true)[6], "1000");
    EXPECT_EQ(GridRow(g, 0, false)[6], "3281");
    EXPECT_EQ(GridRow(g, 0, false)[1], "No");
}

TEST(GridListEdits, SelectionEdits)
{
    MessageRecorder messages;
    CRectGrid overlay = Numbered(5);
    // Three rows selected: only the first goes.
    ASSERT_TRUE(DeleteFirstSelectedGrid(overlay, {4, 1, 3}));
    EXPECT_EQ(Spacings(overlay), (std::vector<double>{1, 3, 4, 5}));
    int row = -1;
    ASSERT_TRUE(MoveFirstSelectedGrid(overlay, {0}, -1, row));
    EXPECT_EQ(row, 0);
    ASSERT_TRUE(MoveFirstSelectedGrid(overlay, {3}, +1, row));
    EXPECT_EQ(row, 3);
    EXPECT_EQ(Spacings(overlay), (std::vector<double>{1, 3, 4, 5}));
    ASSERT_TRUE(MoveFirstSelectedGrid(overlay, {2, 0}, +1, row));
    EXPECT_EQ(row, 1);
    EXPECT_EQ(Spacings(overlay), (std::vector<double>{3, 1, 4, 5}));

    ASSERT_TRUE(ShowSelectedGrids(overlay, {1, 2}, true));
    EXPECT_EQ(overlay.grids[1].show, 1);
    EXPECT_EQ(overlay.grids[0].show, 0);
    UpdateGridShown(overlay);
    EXPECT_EQ(overlay.shown, 1);
    ASSERT_TRUE(ShowSelectedGrids(overlay, {1, 2}, false));
    UpdateGridShown(overlay);
    EXPECT_EQ(overlay.shown, 0);

    EXPECT_TRUE(messages.texts.empty());
    EXPECT_FALSE(DeleteFirstSelectedGrid(overlay, {}));
    EXPECT_FALSE(MoveFirstSelectedGrid(overlay, {}, -1, row));
    EXPECT_FALSE(ShowSelectedGrids(overlay, {}, true));
    EXPECT_FALSE(ShowSelectedGrids(overlay, {9}, false));
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Please select a grid entry to delete",
                                                        "Please select a grid entry to move",
                                                        "Please select a grid entry to show",
                                                        "Please select a grid entry to hide"}));
}
