// Find Rivers and the river overlay commands: the pipeline into the document's river list,
// remembered settings, the threshold dialog's logic, refusals and abort paths.
#include "DocumentFixtures.h"
#include "ProgressFixtures.h"

#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/color/ColorChooser.h"
#include "document/CKVDoc.h"
#include "document/RiverDialogs.h"
#include "document/TerrainDialogs.h"
#include "projection/ProjectionParms.h"
#include "shading/ShaderRegistry.h"
#include "world/BasinFill.h"
#include "world/RiverGrids.h"
#include "world/SurfaceSampler.h"
#include "world/GridGeometry.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kv;

namespace {

struct AnsweringDialogs : TerrainDialogs {
    AnsweringDialogs() { m_previous = SetTerrainDialogs(this); }
    ~AnsweringDialogs() override { SetTerrainDialogs(m_previous); }
    bool RunRiverEditSize(CRiverEditSizeDlg& dialog) override
    {
        shownWidth = dialog.width;
        if (!confirmSize)
            return false;
        dialog.OnRadio(CRiverEditSizeDlg::kCustomRadio);
        dialog.width = width;
        return true;
    }
    void RunRiverThreshold(CRiverThresholdDlg& dialog) override
    {
        ++thresholdRuns;
        dialog.OnInitDialog();
        if (answer)
            answer(dialog);
        dialog.OnOK();
    }
    bool confirmSize = true;
    int width = 64;
    int shownWidth = 0;
    int thresholdRuns = 0;
    std::function<void(CRiverThresholdDlg&)> answer;

private:
    TerrainDialogs* m_previous = nullptr;
};

struct PickedColour : ColorChooser {
    bool PickSystemColor(uint32_t& colour) override { return colour = picked, true; }
    uint32_t picked = 0x0000FF;
};

RiverPath SomeRiver()
{
    RiverPath river;
    river.points = {{1.0, 2.0}, {3.0, 4.0}};
    return river;
}

class RiversTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetRiverSettings() = RiverSettings();
        doc.OnNewDocument();
        RecalculateWorld(doc.GetWorld());
        doc.SetModifiedFlag(false);
        hints.sent.clear();
    }

    // The stages one by one at width w, as the command runs them, with the threshold and
    // grid the dialog ends with.
    std::vector<RiverPath> Expected(int w, float threshold, bool potential, uint32_t colour)
    {
        const int h = w / 2;
        Grid2DPtr raw = Alloc2D(w, h, 4), water = Alloc2D(w, h, 4), rain = Alloc2D(w, h, 4);
        ProjectionParms projection;
        SurfaceSampler sampler(&projection, &doc.GetWorld(), nullptr, 1);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                double lat, lon;
                GridCellToLatLon(c, r, w, h, lat, lon);
                const float a = sampler.GetAltitude(lat, lon);
                raw->Row<float>(r)[c] = a;
                float t = 0;
                int k = 0;
                sampler.GetClimate(lat, lon, a, rain->Row<float>(r)[c], t, k, &water->Row<float>(r)[c]);
            }
        Grid2DPtr z = Alloc2D(w, h, 4), dir = Alloc2D(w, h, 1), flow = Alloc2D(w, h, 4), reach = Alloc2D(w, h, 4);
        EXPECT_TRUE(FillBasins(raw.get(), water.get(), z.get(), w, h, 0.0f));
        FindRiverDirections(*z, *water, *dir);
        AccumulateRiverFlow(*dir, *rain, *flow, *reach);
        const Grid2D& g = potential ? *reach : *flow;
        float lo = 0, hi = 0;
        RiverGridRange(g, lo, hi);
        ImageOverlay preview;
        preview.SetGeometry(w, h, -180, 90, 180, -90);
        FillRiverPreview(preview, g, (hi - lo) * threshold, 0xFF000000 | colour, nullptr);
        RiverRoutingInput in;
        in.value = &g;
        in.altitude = z.get();
        in.waterLevel = water.get();
        in.preview = &preview;
        in.cut = (hi - lo) * threshold;
        in.colour = 0xFF000000 | colour;
        std::vector<RiverPath> rivers;
        RouteRivers(in, [&](RoutedRiver& routed) {
            RiverPath path;
            path.colour = routed.colour;
            path.level = routed.level;
            for (const auto& p : routed.points)
                path.points.push_back({p[0], p[1]});
            rivers.push_back(path);
        });
        return rivers;
    }

    DocumentEnvironment env;
    HintRecorder hints;
    MessageRecorder messages;
    AnsweringDialogs dialogs;
    CKVDoc doc;
};

} // namespace

TEST_F(RiversTest, FindRiversTracesRankedRiversAndRemembersTheDialog)
{
    doc.GetRivers().rivers.push_back(SomeRiver());
    const uint32_t belowSea = GetShaderRegistry().ValueToColor(1, -0.001f);
    dialogs.answer = [](CRiverThresholdDlg& d) { d.OnHScroll(100); };
    doc.OnFindRivers();

    EXPECT_EQ(dialogs.shownWidth, 1024);
    EXPECT_EQ(dialogs.thresholdRuns, 1);
    const std::vector<RiverPath> expected = Expected(64, 0.01f, false, belowSea);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(doc.GetRivers().rivers, expected);
    EXPECT_EQ(doc.GetRivers().rivers.front().level, 0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(hints.Hints().back(), kHintRiverChannelsRemoved);

    const RiverSettings& settings = GetRiverSettings();
    EXPECT_EQ(settings.width, 64);
    EXPECT_FLOAT_EQ(settings.threshold, 0.01f);
    EXPECT_EQ(settings.colour, RiverSettings::kUnsetColour);
    EXPECT_EQ(doc.GetOverlays().FindByName("River Channels"), nullptr);
    EXPECT_EQ(g_abortValue.load(), 0);
}

TEST_F(RiversTest, ChosenColourPotentialFlowAndKeptPreviewAreRemembered)
{
    auto previous = SetColorChooser(std::make_shared<PickedColour>());
    dialogs.answer = [](CRiverThresholdDlg& d) {
        EXPECT_TRUE(d.OnSwatchClicked());
        d.OnPotentialFlow(true);
        d.keepOverlay = true;
    };
    doc.OnFindRivers();
    SetColorChooser(previous);

    const RiverSettings& settings = GetRiverSettings();
    EXPECT_EQ(settings.colour, 0x0000FFu);
    EXPECT_TRUE(settings.potentialFlow);
    EXPECT_TRUE(settings.keepOverlay);
    EXPECT_EQ(doc.GetRivers().rivers, Expected(64, 0.02f, true, 0x0000FF));
    const ImageOverlay* preview = doc.GetOverlays().FindByName("River Channels");
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(preview->visible);
    EXPECT_EQ(preview->mode, kOverlayLand);

    // The next run starts from what was remembered.
    dialogs.answer = [](CRiverThresholdDlg& d) {
        EXPECT_EQ(d.colour, 0x0000FFu);
        EXPECT_TRUE(d.potentialFlow);
        d.keepOverlay = false;
    };
    doc.OnFindRivers();
    EXPECT_EQ(dialogs.shownWidth, 64);
    EXPECT_EQ(doc.GetOverlays().FindByName("River Channels"), nullptr);
}

TEST_F(RiversTest, CancelledOrRefusedWidthsChangeNothing)
{
    const struct {
        const char* name;
        bool confirm;
        int width;
        std::size_t messages;
    } cases[] = {{"cancel", false, 64, 0}, {"below 4", true, 2, 1}, {"above 8190", true, 8192, 1}};
    for (const auto& c : cases) {
        doc.GetRivers().rivers = {SomeRiver()};
        messages.texts.clear();
        dialogs.confirmSize = c.confirm;
        dialogs.width = c.width;
        doc.OnFindRivers();
        EXPECT_EQ(dialogs.thresholdRuns, 0) << c.name;
        EXPECT_EQ(doc.GetRivers().rivers.size(), 1u) << c.name;
        EXPECT_EQ(messages.texts.size(), c.messages) << c.name;
        EXPECT_EQ(GetRiverSettings().width, 1024) << c.name;
        EXPECT_FALSE(doc.IsModified()) << c.name;
    }
}

TEST_F(RiversTest, EscInTheHeightsOrTheDepthsEndsTheCommandKeepingTheRivers)
{
    for (const char* phase : {"Calculating World Heights", "Calculating River Depths"}) {
        doc.GetRivers().rivers = {SomeRiver()};
        {
            AbortDuring abort(phase);
            doc.OnFindRivers();
            EXPECT_EQ(AbortDuring::s_matchingPolls, 1) << phase;
        }
        EXPECT_EQ(dialogs.thresholdRuns, 0) << phase;
        EXPECT_EQ(doc.GetRivers().rivers.size(), 1u) << phase;
        EXPECT_EQ(doc.GetOverlays().FindByName("River Channels"), nullptr) << phase;
        EXPECT_EQ(g_abortValue.load(), 0) << phase;
        EXPECT_EQ(hints.Hints().back(), kHintRiverChannelsRemoved);
    }
    // A stale abort left by another command does not stop the next run.
    g_abortValue.store(kAbortValue);
    doc.OnFindRivers();
    EXPECT_EQ(dialogs.thresholdRuns, 1);
}

TEST_F(RiversTest, ClearToggleAndTheExclusionMask)
{
    doc.GetRivers().rivers = {SomeRiver()};
    doc.GetOverlays().AddNamed("River Channels", 8, 4, true);
    EXPECT_TRUE(doc.CanClearRiverOverlays());
    doc.OnClearRiverOverlays();
    EXPECT_EQ(hints.Hints(), (std::vector<int>{kHintRiverChannelsRemoved, kHintRivers}));
    EXPECT_TRUE(doc.GetRivers().rivers.empty());
    EXPECT_EQ(doc.GetOverlays().FindByName("River Channels"), nullptr);
    EXPECT_FALSE(doc.CanClearRiverOverlays());
    EXPECT_TRUE(doc.IsModified());

    doc.SetModifiedFlag(false);
    hints.sent.clear();
    const bool visible = doc.GetRiversHidden();
    doc.OnToggleRiverOverlays();
    EXPECT_NE(doc.GetRiversHidden(), visible);
    EXPECT_EQ(hints.Hints(), std::vector<int>{kHintRivers});
    EXPECT_TRUE(doc.IsModified());

    EXPECT_FALSE(doc.HasRiverExclusionMask());
    doc.OnEnableRiverExclusionMask();
    ImageOverlay* mask = doc.GetOverlays().FindByName("RiverExclusionMask");
    ASSERT_NE(mask, nullptr);
    int w = 0, h = 0;
    doc.GetWorld().GetGridSize(w, h);
    EXPECT_EQ(mask->pixels->Width(), static_cast<std::size_t>(w));
    EXPECT_EQ(mask->pixels->Height(), static_cast<std::size_t>(h));
    EXPECT_EQ(mask->mode, kOverlayLand);
    EXPECT_EQ(mask->opacity, 127);
    EXPECT_EQ(doc.GetOverlays().GetActive(), mask);
    mask->visible = false;
    doc.OnEnableRiverExclusionMask();
    EXPECT_EQ(doc.GetOverlays().Count(), 1);
    EXPECT_TRUE(mask->visible);
    doc.OnRemoveRiverExclusionMask();
    EXPECT_FALSE(doc.HasRiverExclusionMask());
}

TEST_F(RiversTest, MaskedCellsHoldNoRiver)
{
    doc.OnEnableRiverExclusionMask();
    ImageOverlay* mask = doc.GetOverlays().FindByName("RiverExclusionMask");
    ASSERT_NE(mask, nullptr);
    // The western half masked. The mask is sampled at cell centres half a cell on, so the
    // last row (beyond the pole) lies outside it and is never masked.
    for (int r = 0; r < static_cast<int>(mask->pixels->Height()); ++r)
        for (int c = 0; c < static_cast<int>(mask->pixels->Width()) / 2; ++c)
            mask->PixelRow(r)[c] = 0xFF0000FF;
    dialogs.answer = [](CRiverThresholdDlg& d) { d.OnHScroll(10); };
    doc.OnFindRivers();
    ASSERT_FALSE(doc.GetRivers().rivers.empty());
    for (const RiverPath& river : doc.GetRivers().rivers)
        for (const RiverPoint& p : river.points) {
            if (p.latitude < 90.0) {
                EXPECT_GT(p.longitude, -0.1) << p.latitude;
            }
        }
    EXPECT_GT(doc.GetRivers().rivers.front().level, 0);
}

TEST(RiverDialogsTest, ThresholdDialogLogic)
{
    // A 4 x 2 world: flow 0..70, reach 100..800.
    Grid2DPtr flow = Alloc2D(4, 2, 4), reach = Alloc2D(4, 2, 4);
    for (int i = 0; i < 8; ++i) {
        flow->DataAs<float>()[i] = 10.0f * i;
        reach->DataAs<float>()[i] = 100.0f * (i + 1);
    }
    ImageOverlay preview;
    preview.SetGeometry(4, 2, -180, 90, 180, -90);
    CRiverThresholdDlg d;
    d.flow = flow.get();
    d.reach = reach.get();
    d.preview = &preview;
    d.threshold = 0.5f;
    d.OnInitDialog();
    EXPECT_EQ(d.sliderPosition, CRiverThresholdDlg::kSliderMaximum); // 5000 held at the end
    EXPECT_EQ(d.flowMaximum, 70.0f);
    EXPECT_EQ(d.reachMinimum, 100.0f);
    EXPECT_EQ(d.percentText, "50.00");
    EXPECT_EQ(d.SwatchText(), "0040C0");
    auto lit = [&] {
        int n = 0;
        for (int i = 0; i < 8; ++i)
            n += preview.PixelRow(i / 4)[i % 4] == 0xFFC04000;
        return n;
    };
    EXPECT_EQ(lit(), 4); // flow above 35
    d.OnHScroll(1500);   // 0.15: flow above 10.5
    EXPECT_FLOAT_EQ(d.threshold, 0.15f);
    EXPECT_EQ(d.percentText, "15.00");
    EXPECT_EQ(lit(), 6);
    d.busy = true;
    d.OnHScroll(10);
    EXPECT_EQ(lit(), 6);
    d.busy = false;
    d.OnPotentialFlow(true); // reach range 700 x 0.001 = 0.7: every cell
    EXPECT_EQ(lit(), 8);
    EXPECT_EQ(d.CursorAt(true), 516);
    EXPECT_FALSE(d.OnSwatchClicked()); // the default chooser cancels

    CRiverEditSizeDlg size(3072);
    EXPECT_EQ(size.CheckedControl(), 5443);
    EXPECT_FALSE(size.WidthEditEnabled());
    size.OnRadio(CRiverEditSizeDlg::kCustomRadio);
    EXPECT_TRUE(size.WidthEditEnabled());
    size.OnRadio(5649);
    EXPECT_EQ(size.width, 256);
    EXPECT_EQ(CRiverEditSizeDlg(777).CheckedControl(), CRiverEditSizeDlg::kCustomRadio);
}
