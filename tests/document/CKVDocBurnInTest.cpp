#include "DocumentFixtures.h"
#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/Undo.h"
#include "document/AshgroveClimateModel.h"
#include "projection/ProjectionParms.h"
#include "world/SurfaceSampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace kv;

namespace {

constexpr int kW = 64, kH = 32;

struct Questions : MessageService {
    Questions() { m_previous = SetMessageService(this); }
    ~Questions() override { SetMessageService(m_previous); }
    void Show(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override { return asked.push_back(text), yes; }
    bool yes = true;
    std::vector<std::string> shown, asked;

private:
    MessageService* m_previous = nullptr;
};

struct SamplerView : DocumentView {
    SurfaceSampler* GetSurfaceSampler() override { return sampler; }
    void SetActiveOverlay(ImageOverlay*) override {}
    SurfaceSampler* sampler = nullptr;
};

class BurnInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProgressHooks(SilentProgressHooks());
        g_abortValue = 0;
        GetUndoList().Clear();
        doc.OnNewDocument();
        ASSERT_EQ(world().SetResolution(kW, false), 0);
        hints.sent.clear();
    }
    void TearDown() override { g_abortValue = 0; }
    SurfMap& world() { return doc.GetWorld(); }
    // The altitude of every cell through a sampler of the document's world.
    Grid2DPtr Heights()
    {
        ProjectionParms projection;
        SurfaceSampler sampler(&projection, &world(), nullptr, 1);
        Grid2DPtr grid = Alloc2D(kW, kH, sizeof(float));
        for (int r = 0; r < kH; ++r)
            for (int c = 0; c < kW; ++c) {
                double lat, lon;
                sampler.GridCellToLatLon(c, r, lat, lon);
                grid->Row<float>(r)[c] = sampler.GetAltitude(lat, lon);
            }
        return grid;
    }
    float Offset(int c, int r) { return world().GetCellValue(c, r, kChannelLandOffset); }

    DocumentEnvironment env;
    HintRecorder hints;
    CKVDoc doc;
};

} // namespace

TEST_F(BurnInTest, BurnInFreezesTheAltitudeIntoTheOffset)
{
    for (int c = 0; c < kW; ++c)
        world().SetCellValue(c, 5, 300.0f, kChannelLandOffset);
    Grid2DPtr former = Heights();
    doc.SetModifiedFlag(false);
    doc.BurnIn();
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c) {
            ASSERT_EQ(world().GetCellValue(c, r, kChannelRoughness), 0.0f);
            ASSERT_EQ(Offset(c, r), former->Row<float>(r)[c]) << c << "," << r;
        }
    // Written where the sampling reads it: each cell's altitude is what it was.
    Grid2DPtr now = Heights();
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c)
            ASSERT_NEAR(now->Row<float>(r)[c], former->Row<float>(r)[c], 0.01f) << c << "," << r;
}

TEST_F(BurnInTest, BurnInLeavesAnImportedSurfaceProcedural)
{
    world().surfaceType = CKVDoc::kImportedSurfaceType;
    doc.BurnIn();
    EXPECT_EQ(world().surfaceType, 0);
}

TEST_F(BurnInTest, BurnInStaysInsideTheGridsItHas)
{
    // A land offset grid smaller than the world's grid size: written only inside it.
    Grid2DPtr former = Heights();
    world().ChannelSlot(kChannelLandOffset) = Alloc2D(8, 4, sizeof(float));
    doc.BurnIn();
    EXPECT_EQ(world().GetCellValue(7, 3, kChannelLandOffset), former->Row<float>(3)[7]);
    EXPECT_EQ(world().GetCellValue(kW - 1, kH - 1, kChannelRoughness), 0.0f);

    // Without grids there is nothing to burn into, and nothing is marked.
    world().ChannelSlot(kChannelRoughness).reset();
    doc.SetModifiedFlag(false);
    doc.BurnIn();
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(BurnInTest, BurnInCommandAsksFirst)
{
    Questions questions;
    questions.yes = false;
    Grid2DPtr before = Clone2D(world().Channel(kChannelRoughness));
    doc.OnBurnIn();
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(questions.asked[0], "This action cannot be undone and\nignores the selection.\nContinue?");
    EXPECT_EQ(Equal2D(before.get(), world().Channel(kChannelRoughness)), 1);
    EXPECT_TRUE(hints.sent.empty());
    questions.yes = true;
    doc.OnBurnIn();
    EXPECT_EQ(world().GetCellValue(3, 3, kChannelRoughness), 0.0f);
    EXPECT_EQ(hints.Hints(), std::vector<int>{kHintChannels});
}

TEST_F(BurnInTest, EvaluateHeightGridUsesTheFirstViewsSampler)
{
    Grid2DPtr grid = Alloc2D(kW, kH, sizeof(float));
    EXPECT_TRUE(doc.EvaluateHeightGrid(*grid, "Evaluating heights"));
    Grid2DPtr z = Heights();
    EXPECT_EQ(Equal2D(grid.get(), z.get()), 1); // the document's own sampler

    // A view's sampler over a flat world of 5 m.
    SurfMap flat;
    ASSERT_EQ(flat.SetResolution(kW, false), 0);
    for (int ch : {kChannelRoughness, kChannelLandOffset})
        for (int r = 0; r < kH; ++r)
            for (int c = 0; c < kW; ++c)
                flat.SetCellValue(c, r, ch == kChannelRoughness ? 0.0f : 5.0f, ch);
    ProjectionParms projection;
    SurfaceSampler sampler(&projection, &flat, nullptr, 1);
    SamplerView view;
    view.sampler = &sampler;
    doc.AttachView(&view);
    EXPECT_TRUE(doc.EvaluateHeightGrid(*grid, "Evaluating heights"));
    EXPECT_EQ(grid->Row<float>(7)[9], 5.0f);
    doc.DetachView(&view);

    // A stale abort value: no row is evaluated and the value stays.
    Grid2DPtr untouched = Alloc2D(kW, kH, sizeof(float));
    g_abortValue = kAbortValue;
    EXPECT_FALSE(doc.EvaluateHeightGrid(*untouched, "Evaluating heights"));
    EXPECT_EQ(g_abortValue.load(), kAbortValue);
    EXPECT_EQ(untouched->Row<float>(3)[3], 0.0f);
}

TEST_F(BurnInTest, DistanceSelection)
{
    doc.OnDistanceSelection(); // no selection: nothing, no step
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_TRUE(hints.sent.empty());

    for (int r = 8; r < 24; ++r)
        for (int c = 10; c < 40; ++c)
            world().selection.SetAt(c, r, 255);
    doc.SetModifiedFlag(false);
    doc.OnDistanceSelection();
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Distance Selection");
    EXPECT_EQ(hints.Hints(), std::vector<int>{kHintSelection});
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(world().selection.GetAt(5, 5), 0);
    EXPECT_GE(world().selection.GetAt(10, 8), 1);
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_EQ(world().selection.GetAt(25, 16), 255);
}

TEST_F(BurnInTest, ClimateModelRunsOnTheActiveDocument)
{
    AshgroveClimateModel model;
    Grid2DPtr before = Clone2D(world().Channel(kChannelTemperature));
    model.Run(kW, kH); // no active document: nothing
    EXPECT_EQ(Equal2D(before.get(), world().Channel(kChannelTemperature)), 1);

    ActiveDocument active(&doc);
    model.Run(kW, kH);
    ASSERT_TRUE(model.HasGrids());
    int land = 0;
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c)
            if (model.surfaceMask->Row<uint8_t>(r)[c] != AshgroveClimateModel::kSea) {
                ++land;
                EXPECT_GT(world().GetCellValue(c, r, kChannelTemperature), 150.0f);
            }
    EXPECT_GT(land, 0);
    model.Reset();
    EXPECT_FALSE(model.HasGrids());
}
