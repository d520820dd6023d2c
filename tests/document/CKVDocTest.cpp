// The world document: new worlds, recalculation, reset and stepping, undo steps, hints,
// "Default.srf" and the ".kvw" file form of every version.
#include "ArchiveBytes.h"
#include "DocumentFixtures.h"

#include "base/DisplayUnits.h"
#include "base/Random.h"
#include "base/Undo.h"
#include "base/text/CTokenizer.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "platform/Archive.h"
#include "world/SurfaceSampler.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

using namespace kv;
using Bytes = std::vector<uint8_t>;

namespace {

struct Keys : InputState {
    Keys() { m_previous = SetInputState(this); }
    ~Keys() override { SetInputState(m_previous); }
    bool IsShiftDown() const override { return shift; }
    bool IsCtrlDown() const override { return ctrl; }
    bool IsAltDown() const override { return alt; }
    void BeginWaitCursor() override { ++waits; }
    bool shift = false, ctrl = false, alt = false;
    int waits = 0;

private:
    InputState* m_previous = nullptr;
};

struct FixedClock : SeedClock {
    FixedClock() { m_previous = SetSeedClock(this); }
    ~FixedClock() override { SetSeedClock(m_previous); }
    uint64_t Counter() const override { return 0x1234567890ABCDEFull; }

private:
    SeedClock* m_previous = nullptr;
};

struct TestView : DocumentView {
    SurfaceSampler* GetSurfaceSampler() override { return sampler; }
    void SetActiveOverlay(ImageOverlay* overlay) override { activeCleared += overlay == nullptr; }
    SurfaceSampler* sampler = nullptr;
    int activeCleared = 0;
};

class DocumentTest : public ::testing::Test {
protected:
    DocumentEnvironment env;
    HintRecorder hints;
    FixedClock clock;
};

} // namespace

// ---------------------------------------------------------------------------------------
// File form

TEST_F(DocumentTest, SavedOpenedAndSavedAgainGivesTheSameBytes)
{
    CKVDoc doc;
    doc.OnNewDocument();
    PopulateDocument(doc);
    const Bytes first = StoreBytes(doc);
    // Version 264 holds every field in the order of the file's table.
    EXPECT_EQ(first, FileOfVersion(doc, 264));

    CKVDoc opened;
    LoadBytes(opened, first);
    EXPECT_EQ(StoreBytes(opened), first);
    EXPECT_EQ(opened.headerValue4, 4);
    EXPECT_EQ(opened.headerSpacing2, 7.25);
    EXPECT_EQ(opened.GetRectGrid().grids.size(), 1u);
    ASSERT_EQ(opened.GetOverlays().Count(), 1);
    EXPECT_EQ(opened.GetOverlays().At(0)->name, "River Channels");
    EXPECT_EQ(opened.GetRiverCount(), 1);
    EXPECT_TRUE(opened.GetRiversHidden());
    ASSERT_EQ(opened.GetViewSettings().savedViews.Count(), 2);
    EXPECT_EQ(opened.GetViewSettings().savedViews.At(1)->name, "Equator");
    EXPECT_EQ(opened.GetViewSettings().projection.GetProjectionId(), 10);
    EXPECT_FLOAT_EQ(opened.GetWorld().GetCellValue(3, 2, kChannelRainfall), 0.5f);
}

TEST_F(DocumentTest, FileThroughDiskRoundTripsAndClearsModified)
{
    CKVDoc doc;
    doc.OnNewDocument();
    PopulateDocument(doc);
    doc.SetModifiedFlag(true);
    const std::string path = (env.folder / "world.kvw").string();
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "world.kvw");

    CKVDoc opened;
    ASSERT_TRUE(opened.OnOpenDocument(path));
    EXPECT_EQ(StoreBytes(opened), StoreBytes(doc));
    EXPECT_EQ(opened.GetPathName(), path);
}

TEST_F(DocumentTest, SameStateWritesSameBytesWithOrWithoutAView)
{
    // The view core keeps its settings in the document's record and builds its sampler over
    // them; preparing a sampler writes the lighting's altitude range, so both documents
    // prepare one over their record.
    CKVDoc alone, withView;
    TestView view;
    withView.AttachView(&view);
    for (CKVDoc* doc : {&alone, &withView}) {
        CKVDoc::SetFirstDocument(true);
        doc->OnNewDocument();
        PopulateDocument(*doc);
        doc->StepWorld(1);
    }
    ViewSettings& a = alone.GetViewSettings();
    ViewSettings& b = withView.GetViewSettings();
    SurfaceSampler samplerAlone(&a.projection, &alone.GetWorld(), &a.light, a.shaderId);
    SurfaceSampler samplerView(&b.projection, &withView.GetWorld(), &b.light, b.shaderId);
    view.sampler = &samplerView;
    EXPECT_EQ(withView.GetSampler(), &samplerView);
    EXPECT_NE(alone.GetSampler(), nullptr);
    EXPECT_EQ(StoreBytes(alone), StoreBytes(withView));
}

namespace {
struct VersionCase {
    uint32_t version;
    bool calculatesTwice;
};
} // namespace

TEST_F(DocumentTest, OlderVersionsReadTheirFieldsAndGiveOthersANewDocumentsValues)
{
    const VersionCase cases[] = {{200, true}, {256, true}, {257, true}, {258, true}, {259, true},
                                 {260, true}, {261, false}, {262, false}, {263, false}, {264, false}};
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.version);
        ClearRunValues();
        CKVDoc source;
        source.OnNewDocument();
        PopulateDocument(source);
        source.GetWorld().sourceParms.seed = 4711;
        const Bytes file = FileOfVersion(source, c.version);

        CKVDoc target;
        target.OnNewDocument();
        PopulateDocument(target); // overlays, rivers and visible rivers to be replaced
        target.GetRectGrid().grids.clear();
        target.headerValue4 = 99;
        target.GetViewSettings().savedViews.RemoveAll();
        LoadBytes(target, file);

        EXPECT_EQ(CKVDoc::RecalculatesTwice(), c.calculatesTwice);
        EXPECT_EQ(target.GetWorld().sourceParms.seed, 4711);
        EXPECT_EQ(target.GetViewSettings().savedViews.Count(), 2);
        EXPECT_EQ(target.headerValue4, c.version >= 256 ? 4 : 0);
        EXPECT_EQ(target.headerValue3, c.version >= 256 ? 3 : 6);
        EXPECT_EQ(target.GetRectGrid().grids.size(), c.version >= 259 ? 1u : 0u);
        EXPECT_EQ(target.GetOverlays().Count(), c.version >= 262 ? 1 : 0);
        EXPECT_EQ(target.GetRiverCount(), c.version >= 263 ? 1 : 0);
        EXPECT_EQ(target.GetRiversHidden(), c.version >= 264);
    }
}

TEST_F(DocumentTest, LoadingRecalculatesAndSendsHints)
{
    CKVDoc source;
    source.OnNewDocument();
    PopulateDocument(source);
    const Bytes file = StoreBytes(source);

    CKVDoc doc;
    ActiveDocument active(&doc);
    TestView view;
    doc.AttachView(&view);
    hints.sent.clear();
    LoadBytes(doc, file);
    EXPECT_EQ(hints.Hints(), (std::vector<int>{kHintWorldRecalculated, kHintDocumentLoaded}));
    // The overlays were replaced: the view no longer paints into one of the old ones.
    EXPECT_EQ(view.activeCleared, 1);
    EXPECT_EQ(hints.sent[0].document, &doc);
    EXPECT_FALSE(CKVDoc::IsFirstDocument());
    // The basis is recomputed: the sea bias is where the water percentage says.
    EXPECT_EQ(doc.GetWorld().seaBias, source.GetWorld().seaBias);
    EXPECT_NE(doc.GetWorld().seaBias, 0.0f);
}

TEST_F(DocumentTest, MetricFlagAndWorldSizeDisplayTravelInTheHeader)
{
    CKVDoc doc;
    doc.OnNewDocument();
    MetricUnits = 0;
    WorldSizeDisplay = 1;
    const Bytes file = StoreBytes(doc);
    MetricUnits = 1;
    WorldSizeDisplay = 0;
    LoadBytes(doc, file);
    EXPECT_EQ(MetricUnits.load(), 0);
    EXPECT_EQ(WorldSizeDisplay.load(), 1);
    MetricUnits = 1;
    WorldSizeDisplay = 0;
}

// ---------------------------------------------------------------------------------------
// Recalculation

TEST_F(DocumentTest, RandomOriginComesFromTheSeedAndTheDrawsAreTakenEitherWay)
{
    CKVDoc doc;
    SurfMap& world = doc.GetWorld();
    world.sourceParms.seed = 12345;
    world.randomOrigin = 1;
    world.landSize = 2.0;
    doc.RecalculateWorld();
    EXPECT_NEAR(world.originX, -10.7419, 5e-5);
    EXPECT_NEAR(world.originY, 3.3943, 5e-5);
    EXPECT_NEAR(world.originZ, 11.4890, 5e-5);
    EXPECT_EQ(world.scaleX, 0.5);
    EXPECT_EQ(world.scaleZ, 0.5);
    const int nextWithOrigin = Rand();

    world.randomOrigin = 0;
    world.originX = 1.0;
    world.scaleX = 3.0;
    doc.RecalculateWorld();
    EXPECT_EQ(world.originX, 1.0);
    EXPECT_EQ(world.scaleX, 3.0);
    EXPECT_EQ(Rand(), nextWithOrigin);
}

TEST_F(DocumentTest, SeaBiasAndFactorsFollowTheWorldHistogram)
{
    CKVDoc doc;
    SurfMap& world = doc.GetWorld();
    world.sourceParms.seed = 99;
    doc.RecalculateWorld();
    const float lowBias = world.seaBias;
    EXPECT_GT(world.factorBelow, 0.0f);
    EXPECT_GT(world.factorAbove, 0.0f);
    world.waterPercent = 95.0;
    doc.RecalculateWorld();
    EXPECT_GT(world.seaBias, lowBias);

    // A basis the same everywhere (a raster world whose grids are cleared): the sea bias is
    // the raw minimum and both factors are exactly 1.
    world.rasterMode = 1;
    world.ClearChannels();
    doc.RecalculateWorld();
    EXPECT_EQ(world.seaBias, 0.0f);
    EXPECT_EQ(world.factorBelow, 1.0f);
    EXPECT_EQ(world.factorAbove, 1.0f);
}

TEST_F(DocumentTest, RecalculateSendsHintTwoAndRunsTwiceWithThe123Preference)
{
    Keys keys;
    CKVDoc doc;
    doc.Recalculate();
    EXPECT_EQ(keys.waits, 1);
    EXPECT_EQ(hints.Hints(), std::vector<int>{kHintWorldRecalculated});
    env.settings.WriteInt("Settings", "123", 1);
    doc.Recalculate();
    EXPECT_EQ(keys.waits, 3);
}

TEST_F(DocumentTest, WorldShiftGoesIntoTheAxisAndMarksModified)
{
    CKVDoc doc;
    doc.SetWorldShift(12.0, -40.0);
    EXPECT_EQ(doc.GetWorld().axisLatitude, 12.0);
    EXPECT_EQ(doc.GetWorld().axisLongitude, -40.0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(hints.Hints(), std::vector<int>{kHintWorldRecalculated});
}

// ---------------------------------------------------------------------------------------
// New documents, reset and stepping

TEST_F(DocumentTest, FirstDocumentReadsDefaultParmsAndTakesTheSeedFromTheClock)
{
    {
        SurfMap saved;
        saved.waterPercent = 55.0;
        saved.sourceParms.seed = 777;
        ASSERT_EQ(saved.WriteParmsFile(env.DefaultParms()), 0);
    }
    CKVDoc doc;
    TestView view;
    doc.AttachView(&view);
    doc.GetOverlays().AddNamed("old", 4, 4, true);
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetWorld().waterPercent, 55.0);
    EXPECT_EQ(doc.GetWorld().sourceParms.seed, static_cast<int32_t>(0x90ABCDEF));
    int w = 0, h = 0;
    EXPECT_EQ(doc.GetGridSize(w, h), 0);
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 256);
    EXPECT_EQ(doc.headerValue3, 6);
    EXPECT_EQ(doc.headerSpacing1, 30.0);
    EXPECT_EQ(doc.GetOverlays().Count(), 0);
    EXPECT_EQ(view.activeCleared, 1);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(CKVDoc::IsFirstDocument());
    EXPECT_EQ(hints.Hints(), (std::vector<int>{kHintDeleteContents, kHintWorldRecalculated}));
}

TEST_F(DocumentTest, DefaultParmsSkippedWithCtrlWithoutRSAndWhenUnreadable)
{
    {
        SurfMap saved;
        saved.waterPercent = 55.0;
        ASSERT_EQ(saved.WriteParmsFile(env.DefaultParms()), 0);
    }
    {
        Keys keys;
        keys.ctrl = true;
        CKVDoc doc;
        doc.OnNewDocument();
        EXPECT_EQ(doc.GetWorld().waterPercent, 70.0);
    }
    {
        CKVDoc::SetFirstDocument(true);
        env.settings.WriteInt("Settings", "RS", 0);
        CKVDoc doc;
        doc.OnNewDocument();
        EXPECT_EQ(doc.GetWorld().waterPercent, 70.0);
        env.settings.WriteInt("Settings", "RS", 1);
    }
    {
        std::ofstream(env.DefaultParms()) << "FracParms\nWorld 12, 13\n";
        CKVDoc::SetFirstDocument(true);
        CKVDoc doc;
        doc.OnNewDocument();
        EXPECT_EQ(doc.GetWorld().waterPercent, 70.0);
    }
}

TEST_F(DocumentTest, FirstDocumentStartsFromTheParameterWorldWithItsSeed)
{
    SurfMap parameters;
    parameters.sourceParms.seed = 4242;
    parameters.waterPercent = 33.0;
    SetParameterWorld(&parameters);
    CKVDoc doc;
    doc.OnNewDocument();
    SetParameterWorld(nullptr);
    EXPECT_EQ(doc.GetWorld().sourceParms.seed, 4242);
    EXPECT_EQ(doc.GetWorld().waterPercent, 33.0);
}

namespace {
struct FinishingWizard : NewWorldWizard {
    FinishingWizard() { m_previous = SetNewWorldWizard(this); }
    ~FinishingWizard() override { SetNewWorldWizard(m_previous); }
    int Run(NewDocSettings& s) override
    {
        ++runs;
        s.world.waterPercent = 40.0;
        s.surfaceType = kv::kSurfaceProceduralPlanar;
        s.secondSurfaceMode = 2;
        s.metric = 0;
        s.worldSizeDisplay = 1;
        s.light.azimuth = 100.0;
        s.landColorCount = 9;
        return result;
    }
    int result = kFinish;
    int runs = 0;

private:
    NewWorldWizard* m_previous = nullptr;
};
} // namespace

TEST_F(DocumentTest, LaterDocumentsGoThroughTheWizard)
{
    CKVDoc doc;
    doc.OnNewDocument();
    MessageRecorder messages;
    FinishingWizard wizard;

    doc.OnNewDocument(); // no view
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Unable to locate a valid view in NewDocument"});
    EXPECT_EQ(wizard.runs, 0);

    TestView view;
    doc.AttachView(&view);
    wizard.result = NewWorldWizard::kCancel;
    doc.OnNewDocument();
    EXPECT_EQ(wizard.runs, 1);
    EXPECT_EQ(doc.GetWorld().waterPercent, 70.0);

    doc.RecordUndo("Edit", kChannelRainfall);
    wizard.result = NewWorldWizard::kFinish;
    doc.OnNewDocument();
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_EQ(doc.GetWorld().waterPercent, 40.0);
    EXPECT_EQ(doc.GetWorld().surfaceType, 6);
    EXPECT_EQ(doc.GetWorld().secondSurfaceMode, 2);
    EXPECT_EQ(doc.GetWorld().sphericalMapping, 0);
    EXPECT_EQ(doc.GetViewSettings().light.azimuth, 100.0);
    EXPECT_EQ(doc.GetViewSettings().LandColorCount(), 9);
    EXPECT_EQ(MetricUnits.load(), 0);
    EXPECT_EQ(WorldSizeDisplay.load(), 1);
    EXPECT_FALSE(doc.IsModified());
    MetricUnits = 1;
    WorldSizeDisplay = 0;
}

TEST_F(DocumentTest, ResetClearsChannelsAndSelectionUnlessKeysAreHeld)
{
    Keys keys;
    CKVDoc doc;
    doc.OnNewDocument();
    auto edit = [&] {
        doc.GetWorld().SetCellValue(1, 1, 5.0f, kChannelTemperature);
        doc.GetSelection().SelectAll();
    };
    struct KeyCase {
        bool shift, ctrl, alt;
        bool channelsKept, selectionKept;
    };
    const KeyCase cases[] = {{false, false, false, false, false},
                             {true, false, false, false, false},
                             {true, true, false, true, false},
                             {false, false, true, false, true}};
    for (const KeyCase& c : cases) {
        edit();
        keys.shift = c.shift;
        keys.ctrl = c.ctrl;
        keys.alt = c.alt;
        doc.ResetWorld();
        EXPECT_EQ(doc.GetWorld().GetCellValue(1, 1, kChannelTemperature) == 5.0f, c.channelsKept);
        EXPECT_EQ(doc.GetSelection().GetAt(1, 1) == 255, c.selectionKept);
        EXPECT_TRUE(doc.IsModified());
    }
}

TEST_F(DocumentTest, NextTwiceThenPreviousTwiceRestoresTheSeed)
{
    CKVDoc doc;
    doc.OnNewDocument();
    doc.SetPathName("/tmp/some.kvw");
    const int32_t seed = doc.GetWorld().sourceParms.seed;
    doc.GetOverlays().AddNamed("x", 4, 4, true);
    doc.StepWorld(1);
    EXPECT_EQ(doc.GetWorld().sourceParms.seed, seed + 1);
    EXPECT_EQ(doc.GetTitle(), "Untitled");
    EXPECT_TRUE(doc.GetPathName().empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetOverlays().Count(), 0);
    doc.StepWorld(1);
    doc.StepWorld(-1);
    doc.StepWorld(-1);
    EXPECT_EQ(doc.GetWorld().sourceParms.seed, seed);
}

// ---------------------------------------------------------------------------------------
// Undo, hints, context

TEST_F(DocumentTest, RecordUndoMapsChannels)
{
    CKVDoc doc;
    GetUndoList().Clear();
    struct ChannelCase {
        int given;
        int recorded;
        bool selection;
    };
    const ChannelCase cases[] = {{8192, 0, true}, {-1, 1, false}, {7, 1, false}, {3, 3, false}, {0, 0, false}};
    int index = 0;
    for (const ChannelCase& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(doc.RecordUndo("Step", c.given), 0);
        const UndoBuffer* step = GetUndoList().Step(index++);
        ASSERT_NE(step, nullptr);
        ASSERT_TRUE(step->HasData());
        EXPECT_EQ(step->Data()->Channel(), c.recorded);
        EXPECT_EQ(step->Data()->Owner(),
                  c.selection ? static_cast<CUndoable*>(&doc.GetSelection()) : static_cast<CUndoable*>(&doc.GetWorld()));
    }
    // The world reports edits through its owner, the document.
    EXPECT_EQ(doc.GetWorld().NotifyOwner("Paint", kChannelWaterLevel, 0, 0, 0, 0), 0);
    EXPECT_EQ(GetUndoList().Step(index)->Data()->Channel(), kChannelWaterLevel);
    GetUndoList().Clear();
}

TEST_F(DocumentTest, ActiveDocumentContextAndOverlayLookup)
{
    EXPECT_EQ(GetActiveDoc(), nullptr);
    EXPECT_EQ(UpdateActiveDocViews(nullptr, kHintZoom, nullptr), -1);
    EXPECT_TRUE(hints.sent.empty());

    CKVDoc doc;
    ActiveDocument active(&doc);
    EXPECT_EQ(GetActiveOverlayList(), &doc.GetOverlays());
    TwoPtHint zoom(1.5, 0, 0, 0);
    int sender = 0;
    EXPECT_EQ(UpdateActiveDocViews(&sender, kHintZoom, &zoom), 0);
    ASSERT_EQ(hints.sent.size(), 1u);
    EXPECT_EQ(hints.sent[0].document, &doc);
    EXPECT_EQ(hints.sent[0].object, &zoom);
    // The world model's hints reach the active document's views.
    doc.GetWorld().RefreshViews();
    EXPECT_EQ(hints.sent.back().hint, kHintChannels);
}

TEST_F(DocumentTest, OwnSamplerWithoutAView)
{
    CKVDoc doc;
    SurfaceSampler* sampler = doc.GetSampler();
    ASSERT_NE(sampler, nullptr);
    EXPECT_EQ(sampler->ShaderId(), 1);
    EXPECT_EQ(sampler->Light(), nullptr);
    EXPECT_EQ(sampler->World(), &doc.GetWorld());
    EXPECT_EQ(sampler->Projection()->GetProjectionId(), 2);
}

TEST_F(DocumentTest, PovIncludeIsReportedAsNotImplemented)
{
    MessageRecorder messages;
    CKVDoc doc;
    const std::string path = (env.folder / "x.inc").string();
    doc.SavePovInclude(path);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"POV Include output not implemented"});
    EXPECT_FALSE(std::filesystem::exists(path));
}

// ---------------------------------------------------------------------------------------
// "Default.srf" at exit

TEST_F(DocumentTest, DestructionWritesDefaultParmsWhereTheyAreRead)
{
    {
        CKVDoc doc;
        doc.GetWorld().waterPercent = 61.0;
    }
    SurfMap read;
    ASSERT_EQ(read.ReadParmsFile(env.DefaultParms()), 0);
    EXPECT_EQ(read.waterPercent, 61.0);

    // An install folder that cannot be written: the profile folder instead, both ways.
    env.settings.WriteString("Settings", "Install", (env.folder / "missing").string());
    const std::string profileFile = (env.folder / "profile" / "Default.srf").string();
    EXPECT_EQ(CKVDoc::DefaultParmsPath(), profileFile);
    {
        CKVDoc doc;
        doc.GetWorld().waterPercent = 62.0;
    }
    ASSERT_EQ(read.ReadParmsFile(profileFile), 0);
    EXPECT_EQ(read.waterPercent, 62.0);
    CKVDoc::SetFirstDocument(true);
    CKVDoc doc;
    doc.OnNewDocument();
    EXPECT_EQ(doc.GetWorld().waterPercent, 62.0);

    // Neither writable: nothing written, nothing shown.
    env.settings.WriteString("Settings", "ProfileDir", "/proc/kv-no-such-folder");
    MessageRecorder messages;
    EXPECT_FALSE(doc.WriteDefaultParms());
    EXPECT_TRUE(messages.texts.empty());
}
