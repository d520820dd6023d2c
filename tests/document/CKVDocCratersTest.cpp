// Craters, the bombardment and Simple Create on a document, without a window.
#include "base/Progress.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "document/SimpleCreate.h"
#include "document/TerrainDialogs.h"

#include "DocumentFixtures.h"
#include "WorldFixtures.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

struct FixedClock : SeedClock {
    uint64_t Counter() const override { return 424242; }
};

class DocCraters : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProgressHooks(SilentProgressHooks());
        m_clock = SetSeedClock(&clock);
        GetUndoList().Clear();
        doc.GetWorld().SetResolution(2, false);
        doc.Recalculate(); // the basis made current, as every document's world is
    }
    void TearDown() override
    {
        SetSeedClock(m_clock);
        GetUndoList().Clear();
    }
    Grid2DPtr Offsets() { return Clone2D(doc.GetWorld().Channel(kChannelLandOffset)); }

    DocumentEnvironment env;
    FixedClock clock;
    SeedClock* m_clock = nullptr;
    CKVDoc doc;
};

} // namespace

TEST_F(DocCraters, OneCraterIsOneUndoStep)
{
    Grid2DPtr before = Offsets();
    doc.DrawCrater(20.0f, 30.0f, 6.0f);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(Equal2D(before.get(), doc.GetWorld().Channel(kChannelLandOffset)));
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Crater");
    ASSERT_TRUE(GetUndoList().CheckpointAndUndo());
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_TRUE(Equal2D(before.get(), doc.GetWorld().Channel(kChannelLandOffset)));
}

TEST_F(DocCraters, SeededBombardmentRepeatsAndUndoesAtOnce)
{
    Grid2DPtr before = Offsets();
    BombardmentSettings s;
    s.count = 12;
    s.sizeExponent = 1.0; // sizes spread over the whole range, so the craters show at 256 cells
    EXPECT_EQ(doc.RunBombardment(s), 12);
    Grid2DPtr first = Offsets();
    EXPECT_FALSE(Equal2D(before.get(), first.get()));
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Crater Bombardment");
    ASSERT_TRUE(GetUndoList().CheckpointAndUndo());
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_TRUE(Equal2D(before.get(), doc.GetWorld().Channel(kChannelLandOffset)));
    // The same clock seed gives the same craters.
    EXPECT_EQ(doc.RunBombardment(s), 12);
    EXPECT_TRUE(Equal2D(first.get(), doc.GetWorld().Channel(kChannelLandOffset)));
    // No craters: the step is recorded, nothing changes.
    GetUndoList().Clear();
    Grid2DPtr now = Offsets();
    s.count = 0;
    EXPECT_EQ(doc.RunBombardment(s), 0);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Crater Bombardment");
    EXPECT_TRUE(Equal2D(now.get(), doc.GetWorld().Channel(kChannelLandOffset)));
}

TEST(SimpleCreateSettings, ProfileInThousandthsAndQualityIndexes)
{
    AppSettings profile;
    SimpleCreateSettings s;
    s.mountainPeak = 1234.5678;
    s.resolution = 300;
    s.Write(profile);
    EXPECT_EQ(profile.GetInt("Simple", "MtnPeak", 0), 1234568);
    SimpleCreateSettings back;
    back.Read(profile);
    EXPECT_DOUBLE_EQ(back.mountainPeak, 1234.568);
    EXPECT_EQ(back.resolution, 300);
    EXPECT_EQ(SimpleCreateSettings::ResolutionIndex(back.resolution), 0); // not in the table
    EXPECT_EQ(SimpleCreateSettings::ResolutionIndex(768), 4);
    EXPECT_EQ(SimpleCreateSettings::RaysIndex(64), 4);
    profile.WriteInt("Simple", "Res", 99999);
    profile.WriteInt("Simple", "Rays", -5);
    back.Read(profile);
    EXPECT_EQ(back.resolution, 1024);
    EXPECT_EQ(back.rays, 8);
    EXPECT_DOUBLE_EQ(back.landScale, 9);
    SimpleCreateSettings feet;
    feet.ToDisplayUnits(false);
    EXPECT_NEAR(feet.mountainPeak, 25000.0, 0.01);
    feet.FromDisplayUnits(false);
    EXPECT_NEAR(feet.mountainPeak, 7620.0, 1e-3);
}

namespace {

struct Answers : MessageService {
    Answers() { previous = SetMessageService(this); }
    ~Answers() override { SetMessageService(previous); }
    void Show(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override { return shown.push_back(text), yes; }
    std::vector<std::string> shown;
    bool yes = true;
    MessageService* previous = nullptr;
};

} // namespace

TEST_F(DocCraters, SimpleCreateTurnsAPaintedMapIntoTerrain)
{
    Answers answers;
    doc.OnSetUpSimpleCreate();
    ImageOverlay* layer = doc.GetOverlays().FindByName(kSimpleCreateLayer);
    ASSERT_NE(layer, nullptr);
    const uint32_t ocean = doc.GetWorld().climate.ClimateColor(11) & 0xFFFFFF;
    EXPECT_EQ(layer->PixelRow(10)[10], 0xFF000000u | ocean);
    EXPECT_EQ(doc.GetOverlays().GetActive(), layer);
    // A mountain block from 30W to 30E, 20S to 20N (rows count from the north).
    const uint32_t mountain = 0xFF000000u | (doc.GetWorld().climate.ClimateColor(13) & 0xFFFFFF);
    for (int y = 199; y < 313; ++y)
        for (int x = 426; x < 598; ++x)
            layer->PixelRow(y)[x] = mountain;

    SimpleCreateSettings s;
    s.resolution = 128;
    s.landScale = 0; // no shaping: the world's basis is kept and no landness pass runs
    s.seaScale = 0;
    const int basis = doc.GetWorld().basisId;
    ASSERT_EQ(doc.RunSimpleCreate(s), 0);
    EXPECT_EQ(doc.GetWorld().basisId, basis);
    const Grid2D& off = *doc.GetWorld().Channel(kChannelLandOffset);
    const int W = static_cast<int>(off.Width()), H = static_cast<int>(off.Height());
    const float centre = off.Rows<float>()[H / 2][W / 2];
    const float sea = off.Rows<float>()[H / 2][W / 8];
    EXPECT_GT(centre, s.mountainBase);
    EXPECT_LE(centre, s.mountainPeak + 1e-3);
    EXPECT_FLOAT_EQ(sea, static_cast<float>(s.abyss));
    EXPECT_TRUE(doc.IsModified());
    // Without a frame the posted commands run here: overlays hidden, nothing selected.
    EXPECT_FALSE(doc.GetOverlays().AnyVisible());
    EXPECT_FALSE(doc.GetSelection().IsActive());

    // With shaping: basis 1, no altitude shaping; a second set-up asks before clearing.
    layer->visible = true;
    answers.yes = false;
    doc.OnSetUpSimpleCreate();
    EXPECT_EQ(layer->PixelRow(250)[500], mountain); // not cleared
    ASSERT_EQ(doc.RunSimpleCreate(SimpleCreateSettings()), 0);
    EXPECT_EQ(doc.GetWorld().basisId, 1);
    EXPECT_EQ(doc.GetWorld().shapingOn, 0);
    EXPECT_FLOAT_EQ(doc.GetWorld().Channel(kChannelRoughness)->Rows<float>()[H / 2][W / 8], 0.1f);

    // Nothing visible: the message, nothing else.
    doc.GetOverlays().SetAllVisible(false);
    EXPECT_EQ(doc.RunSimpleCreate(SimpleCreateSettings()), -1);
    EXPECT_EQ(answers.shown.back(), "No overlays are active.\nUnable to perform the operation");
}

namespace {
struct BombardAnswer : TerrainDialogs {
    BombardAnswer() { previous = SetTerrainDialogs(this); }
    ~BombardAnswer() override { SetTerrainDialogs(previous); }
    bool RunBombardment(BombardmentSettings& s) override
    {
        shownLargest = s.largest;
        s.count = 3;
        s.largest = 100; // display units
        s.smallest = 200;
        return ok;
    }
    TerrainDialogs* previous = nullptr;
    double shownLargest = 0;
    bool ok = true;
};
} // namespace

TEST_F(DocCraters, BombardmentCommandConvertsUnitsAndRemembers)
{
    const BombardmentSettings kept = BombardmentSettings::Remembered();
    BombardAnswer answer;
    MetricUnits = 0;
    EXPECT_TRUE(doc.OnCommand(33155));
    EXPECT_NEAR(answer.shownLargest, 310.68558 * 0.621371, 1e-3); // shown in miles
    EXPECT_NEAR(BombardmentSettings::Remembered().largest, 200 * 1.609344, 1e-6); // swapped, back in km
    EXPECT_NEAR(BombardmentSettings::Remembered().smallest, 100 * 1.609344, 1e-6);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Crater Bombardment");
    MetricUnits = 1;
    GetUndoList().Clear();
    answer.ok = false; // Cancel: nothing recorded
    EXPECT_TRUE(doc.OnCommand(33155));
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    BombardmentSettings::Remembered() = kept;
}
