#include "DocumentFixtures.h"
#include "base/Progress.h"
#include "base/Undo.h"
#include "document/MoundDialogs.h"
#include "document/TerrainDialogs.h"
#include "world/BasinFill.h"
#include "world/SurfaceSampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace kv;

namespace {

constexpr int kW = 64, kH = 32;

// Answers the dialogs: OK with the values set here, or Cancel.
struct Answers : TerrainDialogs {
    Answers() { m_previous = SetTerrainDialogs(this); }
    ~Answers() override { SetTerrainDialogs(m_previous); }
    bool RunInciseFlow(InciseFlowProcessDlg& d) override
    {
        seenIncise = d.settings;
        d.settings = incise;
        return ok;
    }
    bool RunProcessCurves(ProcessCurvesDlg& d) override
    {
        seenLower = d.lower;
        seenUpper = d.upper;
        d.lower = lower;
        d.upper = upper;
        return ok;
    }
    bool RunMoundEdit(CMoundEditDlg& d) override
    {
        d.minimum = 0.0f;
        d.maximum = 10.0f;
        return ok;
    }
    bool ok = true;
    InciseFlowSettings incise, seenIncise;
    float lower = 0.0f, upper = 0.0f, seenLower = 0.0f, seenUpper = 0.0f;

private:
    TerrainDialogs* m_previous = nullptr;
};

class ErosionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProgressHooks(SilentProgressHooks());
        g_abortValue = 0;
        GetUndoList().Clear();
        RememberedInciseFlow() = InciseFlowSettings();
        RememberedRemap() = RemapMemory();
        RememberedProfiledMound() = CMoundEditDlg();
        doc.OnNewDocument();
        ASSERT_EQ(world().SetResolution(kW, false), 0);
        hints.sent.clear();
    }
    void TearDown() override { g_abortValue = 0; }
    SurfMap& world() { return doc.GetWorld(); }
    Grid2DPtr Heights() { return ComputeHeightGrid(world(), kW, kH, "heights"); }
    float Offset(int c, int r) { return world().GetCellValue(c, r, kChannelLandOffset); }
    void SelectLeftHalf()
    {
        for (int r = 0; r < kH; ++r)
            for (int c = 0; c < kW / 2; ++c)
                world().selection.SetAt(c, r, 255);
    }

    DocumentEnvironment env;
    HintRecorder hints;
    CKVDoc doc;
};

} // namespace

TEST_F(ErosionTest, InciseFlowCutsTheLandAndSparesWhatItMust)
{
    Grid2DPtr before = Clone2D(world().Channel(kChannelLandOffset));
    EXPECT_EQ(doc.InciseFlow(0.0f, 1.0f, 0.6666667f, 0.0f), 0); // blend 0
    EXPECT_EQ(Equal2D(before.get(), world().Channel(kChannelLandOffset)), 1);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(doc.InciseFlow(nan, 1.0f, 0.6666667f, 1.0f), -1);
    EXPECT_EQ(doc.InciseFlow(0.0f, 1.0f, std::numeric_limits<float>::infinity(), 1.0f), -1);
    EXPECT_EQ(Equal2D(before.get(), world().Channel(kChannelLandOffset)), 1);

    SelectLeftHalf();
    Grid2DPtr z = Heights();
    EXPECT_EQ(doc.InciseFlow(1.0f, 1.0f, 0.6666667f, 1.0f), 0);
    bool cut = false;
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c) {
            const float water = world().GetCellValue(c, r, kChannelWaterLevel);
            if (c >= kW / 2 || z->Row<float>(r)[c] <= water)
                EXPECT_EQ(Offset(c, r), 0.0f) << c << "," << r; // weight 0, or under water
            else
                cut = cut || Offset(c, r) < 0.0f;
            EXPECT_TRUE(std::isfinite(Offset(c, r)));
        }
    EXPECT_TRUE(cut);
}

TEST_F(ErosionTest, InciseFlowCommand)
{
    Answers answers;
    answers.ok = false;
    doc.OnInciseFlow();
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_TRUE(hints.sent.empty());
    EXPECT_FLOAT_EQ(answers.seenIncise.flowExponent, 0.6666667f); // the initial settings

    answers.ok = true;
    answers.incise.blur = 2.0f;
    answers.incise.effectBlend = 0.5f;
    doc.SetModifiedFlag(false);
    doc.OnInciseFlow();
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Incise Flow");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(hints.Hints(), std::vector<int>{kHintChannels});
    EXPECT_EQ(RememberedInciseFlow().blur, 2.0f);
    doc.OnInciseFlow();
    EXPECT_EQ(answers.seenIncise.effectBlend, 0.5f); // remembered

    // Stopped while the heights are computed: nothing cut, but the step, the flag and the
    // hint are there all the same.
    ProgressHooks hooks = SilentProgressHooks();
    hooks.poll = [] { return g_abortValue = kAbortValue, 0; };
    SetProgressHooks(hooks);
    Grid2DPtr before = Clone2D(world().Channel(kChannelLandOffset));
    EXPECT_EQ(doc.InciseFlow(0.0f, 1.0f, 1.0f, 1.0f), -1);
    EXPECT_EQ(Equal2D(before.get(), world().Channel(kChannelLandOffset)), 1);
}

TEST_F(ErosionTest, ProfiledMoundCommand)
{
    Answers answers;
    answers.ok = false;
    doc.OnProfiledMound();
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    answers.ok = true;
    for (int r = 10; r < 20; ++r)
        for (int c = 20; c < 30; ++c)
            world().selection.SetAt(c, r, 255);
    doc.OnProfiledMound();
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Profiled Mound");
    EXPECT_EQ(hints.Hints(), std::vector<int>{kHintChannels});
    EXPECT_GT(Offset(25, 15), 5.0f);
    EXPECT_EQ(Offset(5, 5), 0.0f);
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_EQ(Offset(25, 15), 0.0f);
}

TEST_F(ErosionTest, RemapAltitudesCommand)
{
    Answers answers;
    answers.ok = false;
    float lowest = 0.0f, highest = 0.0f;
    world().GetAltitudeRange(lowest, highest);
    doc.OnRemapAltitudes();
    // The first use starts from the world's altitude range.
    EXPECT_EQ(answers.seenLower, lowest);
    EXPECT_EQ(answers.seenUpper, highest);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);

    // The straight line over -1 .. 1 m: altitudes inside stay where they are.
    answers.ok = true;
    answers.lower = -1000.0f;
    answers.upper = 1000.0f;
    Grid2DPtr before = Heights();
    doc.OnRemapAltitudes();
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Remap Altitudes");
    EXPECT_EQ(hints.Hints(), std::vector<int>{kHintChannels});
    Grid2DPtr after = Heights();
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c) {
            const float a = before->Row<float>(r)[c];
            if (a > -1000.0f && a < 999.0f)
                EXPECT_NEAR(after->Row<float>(r)[c], a, 0.05f);
            else
                EXPECT_EQ(after->Row<float>(r)[c], a);
        }
    doc.OnRemapAltitudes();
    EXPECT_EQ(answers.seenLower, -1000.0f); // remembered
}
