// Expand Land in Offset: the pass count from the dialog, what one pass adds to the land
// offset (the basins of the heights with every water cell raised above its level), the
// selection weight, undo and Esc between passes.
#include "DocumentFixtures.h"
#include "ProgressFixtures.h"

#include "base/Progress.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "document/DocumentCommands.h"
#include "document/StepProgress.h"
#include "document/TerrainDialogs.h"
#include "world/BasinFill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace kv;

namespace {

// Answers the one-value dialog with a value (or Cancel) and records what it was shown.
struct PassDialog : TerrainDialogs {
    PassDialog() { m_previous = SetTerrainDialogs(this); }
    ~PassDialog() override { SetTerrainDialogs(m_previous); }
    bool RunSingleEdit(CSingleEditDlg& d) override
    {
        shown = d;
        d.value = answer;
        return ok;
    }
    float answer = 1.0f;
    bool ok = true;
    CSingleEditDlg shown;

private:
    TerrainDialogs* m_previous = nullptr;
};

// Counts the height computations (one a pass) and the upper bar's positions.
struct PassCounter : StepProgress {
    PassCounter()
    {
        s_heights = 0;
        ProgressHooks hooks = SilentProgressHooks();
        hooks.begin = [](const char* t, int) { s_heights += std::string(t) == CKVDoc::kHeightsProgressText; };
        m_hooks = SetProgressHooks(hooks);
        m_previous = SetStepProgress(this);
    }
    ~PassCounter() override
    {
        SetStepProgress(m_previous);
        SetProgressHooks(m_hooks);
    }
    void Begin() override { ++opened; }
    void End() override { ++closed; }
    void SetTotalPos(int percent) override { totals.push_back(percent); }
    static inline int s_heights = 0;
    int opened = 0, closed = 0;
    std::vector<int> totals;

private:
    StepProgress* m_previous = nullptr;
    ProgressHooks m_hooks;
};

class LandExpansionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetUndoList().Clear();
        DocCommandMemory::Reset();
        doc.OnNewDocument();
        RecalculateWorld(doc.GetWorld());
        doc.GetWorld().GetGridSize(w, h);
        doc.SetModifiedFlag(false);
        hints.sent.clear();
    }
    void TearDown() override
    {
        GetUndoList().Clear();
        DocCommandMemory::Reset();
    }
    Grid2D* Offset() { return doc.GetWorld().Channel(kChannelLandOffset); }
    Grid2D* Water() { return doc.GetWorld().Channel(kChannelWaterLevel); }
    Grid2DPtr Heights() { return ComputeHeightGrid(doc.GetWorld(), w, h, "test"); }
    double LandFraction()
    {
        Grid2DPtr z = Heights();
        std::size_t land = 0;
        for (std::size_t i = 0; i < z->CellCount(); ++i)
            land += z->DataAs<float>()[i] >= Water()->DataAs<float>()[i];
        return static_cast<double>(land) / static_cast<double>(z->CellCount());
    }

    DocumentEnvironment env;
    HintRecorder hints;
    CKVDoc doc;
    int w = 0, h = 0;
};

} // namespace

TEST_F(LandExpansionTest, DialogValueGivesTruncatedPassesHeldToOneThroughThirtyTwo)
{
    struct Case {
        float answer;
        int passes;
    };
    // Each case undoes its passes, so every run starts from the same world.
    for (const Case& c : {Case{0.0f, 1}, Case{-5.0f, 1}, Case{2.9f, 2}, Case{40.0f, 32}}) {
        PassDialog dialog;
        dialog.answer = c.answer;
        PassCounter counter;
        doc.ExpandLandInOffset();
        EXPECT_EQ(PassCounter::s_heights, c.passes) << c.answer;
        EXPECT_EQ(DocCommandMemory::Remembered().landExpansions, c.passes) << c.answer;
        EXPECT_EQ(counter.opened, 1);
        EXPECT_EQ(counter.closed, 1);
        ASSERT_EQ(static_cast<int>(counter.totals.size()), c.passes);
        EXPECT_EQ(counter.totals.front(), 100 / c.passes);
        EXPECT_EQ(counter.totals.back(), 100);
        EXPECT_EQ(GetUndoList().GetUndoCount(), 1);
        ASSERT_TRUE(GetUndoList().Undo());
        GetUndoList().Clear();
    }
    // The next dialog starts from the last value used; Cancel changes nothing.
    PassDialog dialog;
    dialog.ok = false;
    Grid2DPtr before = Clone2D(Offset());
    doc.SetModifiedFlag(false);
    doc.ExpandLandInOffset();
    EXPECT_EQ(dialog.shown.title, "Land Expansion");
    EXPECT_EQ(dialog.shown.prompt, "Expansions:");
    EXPECT_EQ(dialog.shown.value, 32.0f);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Equal2D(before.get(), Offset()), 1);
}

// Every cell under water is raised to 0.1 above its level (closing the water mask only
// adds cells that are dry), so the fill has no water to drain into: the offset takes the
// basin depth of those heights, and the filled surface climbs at least 0.5 a cell from
// the map's edge.
TEST_F(LandExpansionTest, OnePassAddsTheFillOfTheRaisedHeightsSlopingUpFromTheEdge)
{
    Grid2DPtr raised = Heights();
    const float* lv = Water()->DataAs<float>();
    float* a = raised->DataAs<float>();
    std::size_t wet = 0;
    for (std::size_t i = 0; i < raised->CellCount(); ++i)
        if (lv[i] > a[i]) {
            a[i] = lv[i] + 0.1f;
            ++wet;
        }
    ASSERT_GT(wet, raised->CellCount() / 10) << "the fixture needs sea";
    Grid2DPtr filled = Alloc2D(w, h, sizeof(float));
    ASSERT_TRUE(FillBasins(raised.get(), Water(), filled.get(), w, h, 0.0f));
    Grid2DPtr before = Clone2D(Offset());
    const double landBefore = LandFraction();

    ASSERT_TRUE(doc.RunLandExpansion(1));

    const float* f = filled->DataAs<float>();
    float lowestEdge = 1e30f;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            if (r == 0 || c == 0 || r == h - 1 || c == w - 1)
                lowestEdge = std::min(lowestEdge, a[static_cast<std::size_t>(r) * w + c]);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const std::size_t i = static_cast<std::size_t>(r) * w + c;
            ASSERT_EQ(Offset()->DataAs<float>()[i], before->DataAs<float>()[i] + (f[i] - a[i])) << c << "," << r;
            const int edgeDistance = std::min({r, c, h - 1 - r, w - 1 - c});
            ASSERT_GE(f[i], lowestEdge + 0.5f * edgeDistance - 1e-3f) << c << "," << r;
        }
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(hints.Hints(), std::vector<int>{kHintChannels});
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Expand Land in Offset");
    std::printf("land fraction of the default world: %.4f before, %.4f after one pass\n", landBefore,
                LandFraction());
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_EQ(Equal2D(before.get(), Offset()), 1);
}

TEST_F(LandExpansionTest, ZeroSelectionWeightsLeaveTheOffset)
{
    CSelection& selection = doc.GetSelection();
    ASSERT_EQ(selection.Create(w, h), CSelection::kOk);
    selection.SetActive(true);
    ASSERT_TRUE(selection.IsActive());
    Grid2DPtr before = Clone2D(Offset());
    ASSERT_TRUE(doc.RunLandExpansion(2));
    EXPECT_EQ(Equal2D(before.get(), Offset()), 1);
}

TEST_F(LandExpansionTest, EscInTheSecondPassKeepsTheFirstAndUndoRestoresAll)
{
    Grid2DPtr before = Clone2D(Offset());
    ASSERT_TRUE(doc.RunLandExpansion(1));
    Grid2DPtr onePass = Clone2D(Offset());
    ASSERT_TRUE(GetUndoList().Undo());
    GetUndoList().Clear();
    {
        // The first pass polls once a row while computing heights.
        AbortDuring esc(CKVDoc::kHeightsProgressText, h + 3);
        EXPECT_FALSE(doc.RunLandExpansion(5));
    }
    EXPECT_EQ(g_abortValue.load(), 0);
    EXPECT_EQ(Equal2D(onePass.get(), Offset()), 1);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 1);
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_EQ(Equal2D(before.get(), Offset()), 1);
}
