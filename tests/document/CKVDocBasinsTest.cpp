// Fill Basins in Offset and Fill Basins as Lakes: the channel changes by what the fill of
// the world's altitude grid adds, water cells stay, undo, selection and abort.
#include "DocumentFixtures.h"
#include "ProgressFixtures.h"

#include "base/Progress.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "world/BasinFill.h"
#include "world/SurfaceSampler.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kv;

namespace {

class BasinsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetUndoList().Clear();
        doc.OnNewDocument();
        RecalculateWorld(doc.GetWorld());
        doc.GetWorld().GetGridSize(w, h);
        z = ComputeHeightGrid(doc.GetWorld(), w, h, "x");
        ASSERT_TRUE(z);
        filled = Alloc2D(w, h, sizeof(float));
        ASSERT_TRUE(FillBasins(z.get(), doc.GetWorld().Channel(kChannelWaterLevel), filled.get(), w, h, 0.0f));
        // The world must have basins and water for the cases to mean anything.
        int raised = 0, wet = 0;
        for (std::size_t i = 0; i < z->CellCount(); ++i) {
            raised += filled->DataAs<float>()[i] > z->DataAs<float>()[i];
            wet += Water()[i] > z->DataAs<float>()[i];
        }
        ASSERT_GT(raised, 0);
        ASSERT_GT(wet, 0);
        hints.sent.clear();
        doc.SetModifiedFlag(false);
    }
    void TearDown() override { GetUndoList().Clear(); }

    float* Channel(int c) { return doc.GetWorld().Channel(c)->DataAs<float>(); }
    float* Water() { return Channel(kChannelWaterLevel); }
    float F(std::size_t i) const { return filled->DataAs<float>()[i]; }
    float Z(std::size_t i) const { return z->DataAs<float>()[i]; }

    DocumentEnvironment env;
    HintRecorder hints;
    CKVDoc doc;
    int w = 0, h = 0;
    Grid2DPtr z, filled;
};

} // namespace

TEST_F(BasinsTest, OffsetRisesByTheFillDepthAndUndoTakesItBack)
{
    Grid2DPtr before = Clone2D(doc.GetWorld().Channel(kChannelLandOffset));
    Grid2DPtr water = Clone2D(doc.GetWorld().Channel(kChannelWaterLevel));
    doc.FillOffsetBasins();
    const float* old = before->DataAs<float>();
    for (std::size_t i = 0; i < before->CellCount(); ++i) {
        const float expected = old[i] + (F(i) - Z(i));
        ASSERT_EQ(Channel(kChannelLandOffset)[i], expected) << i;
        if (Water()[i] > Z(i)) {
            ASSERT_EQ(Channel(kChannelLandOffset)[i], old[i]) << "water cell " << i;
        }
    }
    EXPECT_EQ(Equal2D(water.get(), doc.GetWorld().Channel(kChannelWaterLevel)), 1);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(hints.Hints(), std::vector<int>{kHintChannels});
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Fill Offset Basins");
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_EQ(Equal2D(before.get(), doc.GetWorld().Channel(kChannelLandOffset)), 1);
}

// What the fill writes is what the renderer reads: after Fill Basins in Offset no filled
// cell, sampled at its own position, lies below its filled level.
TEST_F(BasinsTest, FilledCellsSampleAtTheirLevel)
{
    doc.FillOffsetBasins();
    SurfaceSampler* sampler = doc.GetSampler();
    ASSERT_NE(sampler, nullptr);
    int basinCells = 0, below = 0;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const std::size_t i = static_cast<std::size_t>(r) * w + c;
            if (!(F(i) > Z(i)) || Water()[i] > Z(i))
                continue;
            ++basinCells;
            double lat, lon;
            sampler->GridCellToLatLon(c, r, lat, lon);
            below += sampler->GetAltitude(lat, lon) < F(i) - 0.01f;
        }
    EXPECT_GT(basinCells, 0);
    EXPECT_EQ(below, 0) << basinCells;
}

TEST_F(BasinsTest, LakesTakeTheFilledLevelOnlyInBasins)
{
    Grid2DPtr before = Clone2D(doc.GetWorld().Channel(kChannelWaterLevel));
    Grid2DPtr offset = Clone2D(doc.GetWorld().Channel(kChannelLandOffset));
    doc.FillLakeBasins();
    const float* old = before->DataAs<float>();
    for (std::size_t i = 0; i < before->CellCount(); ++i)
        ASSERT_EQ(Water()[i], F(i) > Z(i) ? F(i) : old[i]) << i;
    EXPECT_EQ(Equal2D(offset.get(), doc.GetWorld().Channel(kChannelLandOffset)), 1);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Fill Lake Basins");
    EXPECT_EQ(GetUndoList().Step(0)->Data()->Channel(), kChannelWaterLevel);
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_EQ(Equal2D(before.get(), doc.GetWorld().Channel(kChannelWaterLevel)), 1);
}

TEST_F(BasinsTest, SelectionWeightsTheChangeOfBothCommands)
{
    CSelection& selection = doc.GetSelection();
    ASSERT_EQ(selection.Create(w, h), CSelection::kOk);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w / 2; ++c)
            selection.SetAt(c, r, static_cast<uint8_t>(c % 3 == 0 ? 255 : 100));
    selection.SetActive(true);
    Grid2DPtr offset = Clone2D(doc.GetWorld().Channel(kChannelLandOffset));
    Grid2DPtr water = Clone2D(doc.GetWorld().Channel(kChannelWaterLevel));
    auto each = [&](auto check) {
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                const std::size_t i = static_cast<std::size_t>(r) * w + c;
                check(i, selection.GetWeightOrOne(c, r), c, r);
            }
    };
    doc.FillOffsetBasins();
    each([&](std::size_t i, double weight, int c, int r) {
        const float o = offset->DataAs<float>()[i];
        ASSERT_EQ(Channel(kChannelLandOffset)[i], static_cast<float>(o + weight * (F(i) - Z(i)))) << c << "," << r;
    });
    ASSERT_TRUE(GetUndoList().Undo());
    doc.FillLakeBasins();
    each([&](std::size_t i, double weight, int c, int r) {
        const float l = water->DataAs<float>()[i];
        const float v = F(i) - Z(i) > 0.0f ? F(i) : l;
        ASSERT_EQ(Water()[i], static_cast<float>(l + weight * (v - l))) << c << "," << r;
    });
}

TEST_F(BasinsTest, AbortsLeaveTheChannelsAsTheyWere)
{
    ASSERT_EQ(doc.GetWorld().SetResolution(SurfMap::kResolution512, false), 0);
    Grid2DPtr offset = Clone2D(doc.GetWorld().Channel(kChannelLandOffset));
    Grid2DPtr water = Clone2D(doc.GetWorld().Channel(kChannelWaterLevel));
    struct Case {
        const char* name;
        bool lakes;
        const char* phase;
        int steps;
        std::vector<int> hints;
    } cases[] = {
        {"offset, heights", false, "Calculating World Heights", 0, {}},
        {"offset, fill", false, "Filling Basins", 0, {kHintChannels}},
        {"lakes, heights", true, "Calculating World Heights", 0, {}},
        {"lakes, fill", true, "Filling Basins", 1, {kHintChannels}},
    };
    for (const Case& c : cases) {
        GetUndoList().Clear();
        hints.sent.clear();
        {
            AbortDuring abort(c.phase);
            c.lakes ? doc.FillLakeBasins() : doc.FillOffsetBasins();
            EXPECT_EQ(AbortDuring::s_matchingPolls, 1) << c.name;
        }
        EXPECT_EQ(g_abortValue.load(), 0) << c.name;
        EXPECT_EQ(GetUndoList().GetUndoCount(), c.steps) << c.name;
        EXPECT_EQ(hints.Hints(), c.hints) << c.name;
        EXPECT_EQ(Equal2D(offset.get(), doc.GetWorld().Channel(kChannelLandOffset)), 1) << c.name;
        EXPECT_EQ(Equal2D(water.get(), doc.GetWorld().Channel(kChannelWaterLevel)), 1) << c.name;
    }
}
