// The document's menu commands by id: undo steps, hints, modified flag and messages, menu
// states, undo and redo, display units, range and climate selections, Moundtain, the math
// tool's messages, the globe layers and the refusal of answers outside the dialogs.
#include "SmallDocument.h"

#include "base/DisplayUnits.h"
#include "base/color/ClimateParms.h"
#include "base/raster/VideoBuffer.h"
#include "document/ColorLinks.h"
#include "document/MathTool.h"
#include "document/MoundDialogs.h"
#include "document/TerrainDialogs.h"
#include "world/SurfaceSampler.h"
#include "world/GridGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

using namespace kv;
using namespace kv::doccmd;

namespace {

template <class T> using Answer = std::function<void(T&)>;

// Answers every dialog with OK (or Cancel), after letting the test change the record.
struct AnsweringDialogs : TerrainDialogs {
    AnsweringDialogs() { m_previous = SetTerrainDialogs(this); }
    ~AnsweringDialogs() override { SetTerrainDialogs(m_previous); }

    bool ok = true;
    int calls = 0;
    Answer<CSingleEditDlg> single;
    Answer<CGlobalAltSetDlg> globalSet;
    Answer<CRangeSelectDlg> range;
    Answer<CClimateSelectDlg> climate;
    Answer<CMathToolDlg> math;
    Answer<CMoundSettingsDlg> mound;
    Answer<CMoundtainSettingsDlg> moundtain;
    Answer<CSelectionFileDlg> file;
    Answer<CGlobeExportDlg> globe;

    bool RunSingleEdit(CSingleEditDlg& d) override { return Reply(single, d); }
    bool RunGlobalAltSet(CGlobalAltSetDlg& d) override { return Reply(globalSet, d); }
    bool RunRangeSelect(CRangeSelectDlg& d) override { return Reply(range, d); }
    bool RunClimateSelect(CClimateSelectDlg& d) override { return Reply(climate, d); }
    bool RunMathTool(CMathToolDlg& d) override { return Reply(math, d); }
    bool RunMoundSettings(CMoundSettingsDlg& d) override { return Reply(mound, d); }
    bool RunMoundtainSettings(CMoundtainSettingsDlg& d) override { return Reply(moundtain, d); }
    bool RunFileDialog(CSelectionFileDlg& d) override { return Reply(file, d); }
    bool RunGlobeExport(CGlobeExportDlg& d) override { return Reply(globe, d); }

private:
    template <class T> bool Reply(const Answer<T>& answer, T& dialog)
    {
        ++calls;
        if (answer)
            answer(dialog);
        return ok;
    }
    TerrainDialogs* m_previous = nullptr;
};

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MetricUnits.store(1);
        FreeMathUserBuffer();
        d.SelectDisc(20, 16, 6);
        d.doc.SetModifiedFlag(false);
        d.hints.sent.clear();
    }
    void TearDown() override
    {
        MetricUnits.store(1);
        FreeMathUserBuffer();
    }
    // The object and channel of the newest undo step.
    const UndoData* NewestStep() const
    {
        const UndoBuffer* step = GetUndoList().Step(GetUndoList().GetUndoCount() - 1);
        return step != nullptr ? step->Data() : nullptr;
    }

    SmallDocument d;
    AnsweringDialogs dialogs;
};

constexpr int kSel = kUndoChannelSelection;

struct CommandCase {
    int id;
    const char* step;
    int channel; // kSel: the selection
    int hint;
    bool modified;
};

const CommandCase kCommandCases[] = {
    {kSelectAll, "Select All", kSel, 8, false},
    {kDeselect, "Deselect", kSel, 8, false},
    {kInverse, "Invert Selection", kSel, 8, false},
    {kFeather, "Feather Selection", kSel, 8, false},
    {kContract, "Contract Selection", kSel, 8, false},
    {kExpand, "Expand Selection", kSel, 8, false},
    {kBinarize, "Threshold Selection", kSel, 8, false},
    {kBorder, "Set Selection Border", kSel, 8, false},
    {kDistance, "Distance Selection", kSel, 8, false},
    {kAltitudeRange, "Select Altitude Range", kSel, 8, false},
    {kRainfallRange, "Select Rainfall Range", kSel, 8, false},
    {kTemperatureRange, "Select Temperature Range", kSel, 8, false},
    {kClimateRange, "Select Climate Range", kSel, 8, false},
    {kSetAltitude, "Set Altitude", kChannelLandOffset, 16, true},
    {kSetRainfall, "Set Rainfall", kChannelRainfall, 16, true},
    {kSetTemperature, "Set Temperature", kChannelTemperature, 16, true},
    {kMound, "Mound", kChannelLandOffset, 16, true},
    {kMoundtain, "Moundtain", kChannelLandOffset, 16, true},
    {kMathTool, "Global Math Tools", kChannelLandOffset, 16, true},
};

} // namespace

TEST_F(CommandsTest, EveryCommandRecordsItsStepSendsItsHintAndUndoesExactly)
{
    // Values that change something in every command.
    dialogs.climate = [](CClimateSelectDlg& c) { c.states.assign(c.states.size(), 1); };
    dialogs.range = [](CRangeSelectDlg& r) { r.low = -100000.0f; };
    dialogs.globalSet = [](CGlobalAltSetDlg& g) { g.value = 12.5f; };
    dialogs.math = [](CMathToolDlg& m) {
        m.source2 = kMathConstant;
        m.constant = 5.0f;
    };
    for (const CommandCase& c : kCommandCases) {
        SCOPED_TRACE(c.step);
        // A soft disc, so that every selection command changes it.
        d.SelectDisc(20, 16, 6);
        d.Selection().Feather(2.0f);
        GetUndoList().Clear();
        d.doc.SetModifiedFlag(false);
        d.hints.sent.clear();
        const Grid2DPtr selectionBefore = Clone2D(d.Selection().Cells());
        const int channel = c.channel == kSel ? kChannelLandOffset : c.channel;
        const Grid2DPtr channelBefore = Clone2D(d.World().Channel(channel));

        ASSERT_TRUE(d.doc.OnCommand(c.id));
        EXPECT_EQ(GetUndoList().GetUndoDescription(), c.step);
        const UndoData* data = NewestStep();
        ASSERT_NE(data, nullptr);
        if (c.channel == kSel) {
            EXPECT_EQ(data->Owner(), &d.Selection());
        } else {
            EXPECT_EQ(data->Owner(), &d.World());
            EXPECT_EQ(data->Channel(), c.channel);
        }
        EXPECT_EQ(d.hints.Hints(), std::vector<int>{c.hint});
        EXPECT_EQ(d.doc.IsModified(), c.modified);
        EXPECT_TRUE(d.messages.texts.empty());
        const bool changed = c.channel == kSel ? Equal2D(selectionBefore.get(), d.Selection().Cells()) != 1 ||
                                                     !d.Selection().IsActive()
                                               : Equal2D(channelBefore.get(), d.World().Channel(channel)) != 1;
        EXPECT_TRUE(changed);

        d.doc.OnEditUndo();
        // Moundtain records the offset only; its selection stays contracted.
        if (c.id != kMoundtain) {
            EXPECT_TRUE(d.Selection().IsActive());
            EXPECT_EQ(Equal2D(selectionBefore.get(), d.Selection().Cells()), 1);
        }
        EXPECT_EQ(Equal2D(channelBefore.get(), d.World().Channel(channel)), 1);
    }
}

TEST_F(CommandsTest, CancelledDialogsRecordAndChangeNothing)
{
    dialogs.ok = false;
    for (const CommandCase& c : kCommandCases) {
        if (c.id == kSelectAll || c.id == kDeselect || c.id == kInverse || c.id == kDistance)
            continue;
        SCOPED_TRACE(c.step);
        const int calls = dialogs.calls;
        ASSERT_TRUE(d.doc.OnCommand(c.id));
        EXPECT_EQ(dialogs.calls, calls + 1);
        EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
        EXPECT_TRUE(d.hints.sent.empty());
        EXPECT_FALSE(d.doc.IsModified());
    }
}

TEST_F(CommandsTest, ReselectBringsTheMaskBackWithoutAStep)
{
    d.doc.OnCommand(kDeselect);
    EXPECT_FALSE(d.Selection().IsActive());
    GetUndoList().Clear();
    d.hints.sent.clear();
    d.doc.OnCommand(kReselect);
    EXPECT_TRUE(d.Selection().IsActive());
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_EQ(d.hints.Hints(), std::vector<int>{8});
}

TEST_F(CommandsTest, MenuStates)
{
    CommandUpdate state;
    EXPECT_FALSE(d.doc.OnUpdateCommand(12345, state));
    EXPECT_FALSE(d.doc.OnCommand(12345));
    // Save is the framework's to run; the document gives its state.
    EXPECT_FALSE(CKVDoc::HasCommand(kFileSave));

    ASSERT_TRUE(d.doc.OnUpdateCommand(kEditUndo, state));
    EXPECT_FALSE(state.enabled);
    d.doc.OnCommand(kSelectAll);
    d.doc.OnUpdateCommand(kEditUndo, state);
    EXPECT_TRUE(state.enabled);
    EXPECT_EQ(state.text, "Undo Select All\tCtrl+Z");
    d.doc.OnUpdateCommand(kEditRedo, state);
    EXPECT_FALSE(state.enabled);
    d.doc.OnCommand(kEditUndo);
    d.doc.OnUpdateCommand(kEditRedo, state);
    EXPECT_TRUE(state.enabled);
    EXPECT_EQ(state.text, "Redo Select All\tCtrl+Y");

    d.doc.SetModifiedFlag(false);
    d.doc.OnUpdateCommand(kFileSave, state);
    EXPECT_FALSE(state.enabled);
    d.doc.SetModifiedFlag(true);
    d.doc.OnUpdateCommand(kFileSave, state);
    EXPECT_TRUE(state.enabled);

    const int selectionIds[] = {kBinarize, kDeselect, kFeather, kInverse, kBorder, kContract,
                                kExpand,   kSaveSelection, kMound, kMoundtain, kProfiledMound};
    for (bool active : {true, false}) {
        d.Selection().SetActive(active);
        for (int id : selectionIds) {
            CommandUpdate s;
            ASSERT_TRUE(d.doc.OnUpdateCommand(id, s)) << id;
            EXPECT_EQ(s.enabled, active) << id;
        }
    }
    d.Selection().SetActive(true);
    d.doc.OnCommand(kDeselect);
    d.doc.OnUpdateCommand(kReselect, state);
    EXPECT_TRUE(state.enabled);
    d.doc.OnCommand(kReselect);
    d.doc.OnUpdateCommand(kReselect, state);
    EXPECT_FALSE(state.enabled);

    // The multiple-file export is disabled until an exporter is installed.
    struct Exporter : MultipleFilesExport {
        int runs = 0;
        void ExportMultipleFiles() override { ++runs; }
    } exporter;
    d.doc.OnUpdateCommand(kMultipleFiles, state);
    EXPECT_FALSE(state.enabled);
    SetMultipleFilesExport(&exporter);
    d.doc.OnUpdateCommand(kMultipleFiles, state);
    EXPECT_TRUE(state.enabled);
    d.doc.OnCommand(kMultipleFiles);
    EXPECT_EQ(exporter.runs, 1);
    SetMultipleFilesExport(nullptr);
}

TEST_F(CommandsTest, UndoThenRedoAfterAnEdit)
{
    d.Selection().SetActive(false);
    const Grid2DPtr before = Clone2D(d.World().Channel(kChannelLandOffset));
    dialogs.math = [](CMathToolDlg& m) {
        m.destination = kMathOffset;
        m.source1 = kMathOffset;
        m.operation = kMathAdd;
        m.source2 = kMathConstant;
        m.constant = 10.0f;
    };
    d.doc.OnCommand(kMathTool);
    const Grid2DPtr after = Clone2D(d.World().Channel(kChannelLandOffset));
    EXPECT_FLOAT_EQ(after->DataAs<float>()[7], before->DataAs<float>()[7] + 10.0f);

    d.hints.sent.clear();
    d.doc.OnCommand(kEditUndo);
    EXPECT_EQ(Equal2D(before.get(), d.World().Channel(kChannelLandOffset)), 1);
    EXPECT_EQ(GetUndoList().GetRedoCount(), 1);
    d.doc.OnCommand(kEditRedo);
    EXPECT_EQ(Equal2D(after.get(), d.World().Channel(kChannelLandOffset)), 1);
    EXPECT_EQ(d.hints.Hints(), (std::vector<int>{1, 1}));
}

TEST_F(CommandsTest, ImperialAnswersAreConvertedToMetres)
{
    MetricUnits.store(0);
    d.Selection().SetActive(false);
    CGlobalAltSetDlg shown;
    dialogs.globalSet = [&](CGlobalAltSetDlg& g) {
        shown = g;
        g.value = 328.084f;
    };
    d.doc.OnCommand(kSetAltitude);
    EXPECT_EQ(shown.unit, "feet");
    EXPECT_EQ(shown.caption, "Set Global Altitude");
    EXPECT_EQ(shown.samples, 1);
    EXPECT_NEAR(DocCommandMemory::Remembered().setAltitude, 100.0f, 1e-3);
    // The offset makes roughness x shaped basis + offset = 100 m at every cell.
    const SurfaceSampler& sampler = *d.doc.GetSampler();
    for (int i : {0, 100, 700}) {
        const int c = i % d.Width(), r = i / d.Width();
        double lat = 0, lon = 0;
        sampler.GridCellToLatLon(c, r, lat, lon);
        EXPECT_NEAR(d.Cells(kChannelRoughness)[i] * sampler.GetBasisValue(lat, lon) + d.Cells(kChannelLandOffset)[i],
                    100.0, 1e-3);
    }

    // The temperature range shows Fahrenheit and keeps Kelvin.
    CRangeSelectDlg range;
    dialogs.range = [&](CRangeSelectDlg& r) {
        range = r;
        r.high = 77.0f;
    };
    d.doc.OnCommand(kTemperatureRange);
    EXPECT_NEAR(range.low, 32.0f, 1e-3);
    EXPECT_NEAR(range.high, 77.0f, 1e-3);
    EXPECT_EQ(range.imperialUnit, "F");
    EXPECT_NEAR(DocCommandMemory::Remembered().rangeHigh[CKVDoc::kRangeTemperature], 298.15f, 1e-3);

    // Set Global Temperature keeps degrees Celsius.
    dialogs.globalSet = [](CGlobalAltSetDlg& g) { g.value = 77.0f; };
    d.doc.OnCommand(kSetTemperature);
    EXPECT_NEAR(DocCommandMemory::Remembered().setTemperature, 25.0f, 1e-4);
}

TEST_F(CommandsTest, RangeSelectionSelectsExactlyTheCellsInRange)
{
    const Grid2DPtr altitudes = d.Altitudes();
    dialogs.range = [](CRangeSelectDlg& r) {
        r.test = CRangeSelectDlg::kBetween;
        r.combine = 0;
        r.low = 0.0f;
        r.high = 1000.0f;
    };
    d.doc.OnCommand(kAltitudeRange);
    int selected = 0;
    for (int r = 0; r < d.Height(); ++r)
        for (int c = 0; c < d.Width(); ++c) {
            const float a = altitudes->Rows<float>()[r][c];
            const bool inside = a >= 0.0f && a <= 1000.0f;
            ASSERT_EQ(d.Selection().GetAt(c, r), inside ? 255 : 0) << c << "," << r;
            selected += inside;
        }
    EXPECT_GT(selected, 0);
    EXPECT_LT(selected, d.Width() * d.Height());
}

TEST_F(CommandsTest, ClimateRangeWithOnlyClassThreeSelectsTheCellsOfClassThree)
{
    // A painted block of class 3.
    Grid2D* climate = d.World().Channel(kChannelClimate);
    for (int r = 10; r < 20; ++r)
        for (int c = 5; c < 40; ++c)
            climate->Rows<float>()[r][c] = 3.0f;
    CClimateSelectDlg shown;
    dialogs.climate = [&](CClimateSelectDlg& c) {
        shown = c;
        c.states.assign(c.states.size(), 0);
        c.states[3] = 1;
    };
    d.doc.OnCommand(kClimateRange);
    ASSERT_EQ(shown.names.size(), 17u);
    EXPECT_EQ(shown.names[3], ClimateParms::GetClimateName(3));

    const SurfaceSampler& sampler = *d.doc.GetSampler();
    int selected = 0;
    for (int r = 0; r < d.Height(); ++r)
        for (int c = 0; c < d.Width(); ++c) {
            double lat = 0, lon = 0;
            GridCellToLatLon(c, r, d.Width(), d.Height(), lat, lon);
            float rain = 0, temperature = 0;
            int cls = -1;
            sampler.GetClimate(lat, lon, sampler.GetAltitude(lat, lon), rain, temperature, cls, nullptr);
            ASSERT_EQ(d.Selection().GetAt(c, r), cls == 3 ? 255 : 0) << c << "," << r;
            selected += cls == 3;
        }
    EXPECT_GT(selected, 0);
    // The choice is remembered.
    EXPECT_EQ(DocCommandMemory::Remembered().climateStates[3], 1);
    EXPECT_EQ(DocCommandMemory::Remembered().climateStates[0], 0);
}

TEST_F(CommandsTest, MoundtainOnEmptyDiscAndWholeSelection)
{
    // Empty mask: stops at once; only the undo step.
    d.Selection().Fill(0);
    d.Selection().SetActive(false);
    Grid2DPtr before = Clone2D(d.World().Channel(kChannelLandOffset));
    d.doc.OnCommand(kMoundtain);
    EXPECT_EQ(Equal2D(before.get(), d.World().Channel(kChannelLandOffset)), 1);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Moundtain");
    EXPECT_FALSE(d.doc.IsModified());

    // A disc: raised inside, unchanged outside; the selection ends contracted.
    d.SelectDisc(20, 16, 6);
    const int discCells = d.SelectedCount();
    d.doc.OnCommand(kMoundtain);
    const float* now = d.Cells(kChannelLandOffset);
    const float* old = before->DataAs<float>();
    const int w = d.Width();
    EXPECT_GT(now[16 * w + 20], old[16 * w + 20] + 500.0f);
    EXPECT_EQ(now[16 * w + 40], old[16 * w + 40]);
    EXPECT_TRUE(d.doc.IsModified());
    EXPECT_LT(d.SelectedCount(), discCells);

    // Everything selected: contraction changes nothing, so one mound and done.
    d.doc.SetModifiedFlag(false);
    before = Clone2D(d.World().Channel(kChannelLandOffset));
    d.doc.OnCommand(kSelectAll);
    const float largest = d.doc.Moundtain(0.0f, 1000.0f, 1.0f, 1, 2.0f);
    EXPECT_GT(largest, 0.0f);
    EXPECT_TRUE(d.doc.IsModified());
    EXPECT_NEAR(d.Cells(kChannelLandOffset)[5], before->DataAs<float>()[5] + 1000.0f, 1.0f);
}

TEST_F(CommandsTest, MathToolMessages)
{
    struct MathCase {
        int destination, source1, operation, source2;
        const char* message; // null: none
        bool recorded;
    };
    const MathCase cases[] = {
        {8, 0, 0, 0, "Somehow you have selected an invalid destination\nNo operation will be performed", false},
        {0, 10, 0, 0, "Unable to select a valid first source", false},
        {0, 0, 0, -1, "Unable to select a valid second source", false},
        {0, 0, 8, 0, "Unable to determine correct operation", false},
        {0, kMathUserBuffer, 0, 0,
         "The user buffer cannot be used without first defining it.\nThe buffer can be defined by using it as the "
         "destination of a math tool operation",
         true},
        // Without the prescale grid there is nothing a step could keep.
        {kMathPrescale, 0, 0, 0, "Unable to select a valid destination", false},
    };
    for (const MathCase& m : cases) {
        SCOPED_TRACE(m.message);
        GetUndoList().Clear();
        d.messages.texts.clear();
        dialogs.math = [&](CMathToolDlg& dlg) {
            dlg.destination = m.destination;
            dlg.source1 = m.source1;
            dlg.operation = m.operation;
            dlg.source2 = m.source2;
        };
        const Grid2DPtr before = Clone2D(d.World().Channel(kChannelLandOffset));
        d.doc.OnCommand(kMathTool);
        EXPECT_EQ(d.messages.texts, std::vector<std::string>{m.message});
        EXPECT_EQ(GetUndoList().GetUndoCount(), m.recorded ? 1 : 0);
        EXPECT_EQ(Equal2D(before.get(), d.World().Channel(kChannelLandOffset)), 1);
        EXPECT_FALSE(d.doc.IsModified());
    }

    // The user buffer: made as a destination (no step, no hint, unmodified), then stale
    // after the grids change size.
    d.messages.texts.clear();
    d.hints.sent.clear();
    GetUndoList().Clear();
    dialogs.math = [](CMathToolDlg& dlg) {
        dlg.destination = kMathUserBuffer;
        dlg.source1 = kMathAltitude;
        dlg.operation = kMathCopy;
    };
    d.doc.OnCommand(kMathTool);
    EXPECT_TRUE(d.messages.texts.empty());
    EXPECT_TRUE(d.hints.sent.empty());
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_FALSE(d.doc.IsModified());
    d.World().SetResolution(32, false);
    dialogs.math = [](CMathToolDlg& dlg) {
        dlg.destination = kMathOffset;
        dlg.source1 = kMathUserBuffer;
        dlg.operation = kMathCopy;
    };
    d.doc.OnCommand(kMathTool);
    EXPECT_EQ(d.messages.texts,
              std::vector<std::string>{"User buffer was not the same size as the surface editing values and has "
                                       "been destroyed.\nPlease create a new user buffer by using it as the "
                                       "destination for a math tool operation"});

    // The selection as destination: hint 8, the flag stays.
    d.hints.sent.clear();
    dialogs.math = [](CMathToolDlg& dlg) {
        dlg.destination = kMathSelection;
        dlg.source1 = kMathAltitude;
        dlg.operation = kMathCopy;
    };
    d.doc.OnCommand(kMathTool);
    EXPECT_EQ(d.hints.Hints(), std::vector<int>{8});
    EXPECT_FALSE(d.doc.IsModified());
}

TEST_F(CommandsTest, AnswersOutsideTheDialogsAreRefused)
{
    const std::vector<std::function<void()>> answers = {
        [&] { dialogs.globalSet = [](CGlobalAltSetDlg& g) { g.samples = 0; }; },
        [&] { dialogs.globalSet = [](CGlobalAltSetDlg& g) { g.samples = 33; }; },
        [&] { dialogs.globalSet = [](CGlobalAltSetDlg& g) { g.value = NAN; }; },
    };
    for (const auto& answer : answers) {
        answer();
        for (int id : {kSetAltitude, kSetRainfall, kSetTemperature})
            d.doc.OnCommand(id);
    }
    dialogs.moundtain = [](CMoundtainSettingsDlg& m) { m.contract = 0; };
    d.doc.OnCommand(kMoundtain);
    dialogs.moundtain = [](CMoundtainSettingsDlg& m) { m.contract = 65; };
    d.doc.OnCommand(kMoundtain);
    dialogs.moundtain = [](CMoundtainSettingsDlg& m) { m.feather = 1000.5f; };
    d.doc.OnCommand(kMoundtain);
    for (auto [test, combine] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 3}}) {
        dialogs.range = [test, combine](CRangeSelectDlg& r) {
            r.test = test;
            r.combine = combine;
        };
        d.doc.OnCommand(kAltitudeRange);
    }
    dialogs.climate = [](CClimateSelectDlg& c) { c.states.pop_back(); };
    d.doc.OnCommand(kClimateRange);
    dialogs.file = [](CSelectionFileDlg& f) {
        f.path = "x.bmp";
        f.combine = 3;
    };
    d.doc.OnCommand(kLoadSelection);
    dialogs.single = [](CSingleEditDlg& s) { s.value = INFINITY; };
    d.doc.OnCommand(kContract);

    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_TRUE(d.hints.sent.empty());
    EXPECT_FALSE(d.doc.IsModified());
    // Refused answers are not remembered.
    EXPECT_EQ(DocCommandMemory::Remembered().setAltitudeSamples, 1);
    EXPECT_EQ(DocCommandMemory::Remembered().moundtainStep, 1);
}

TEST_F(CommandsTest, SelectionFilesAndTheirMessages)
{
    const std::string saved = (d.env.folder / "Mask.bmp").string();
    dialogs.file = [&](CSelectionFileDlg& f) {
        EXPECT_EQ(f.defaultExtension, ".bmp");
        f.path = saved;
    };
    d.doc.OnCommand(kSaveSelection);
    EXPECT_EQ(d.hints.Hints(), std::vector<int>{8});
    EXPECT_EQ(DocCommandMemory::Remembered().selectionFolder, d.env.folder.string());

    const Grid2DPtr mask = Clone2D(d.Selection().Cells());
    d.doc.OnCommand(kSelectAll);
    d.doc.OnCommand(kLoadSelection);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Load Selection");
    EXPECT_EQ(Equal2D(mask.get(), d.Selection().Cells()), 1);

    const std::string missing = (d.env.folder / "none.bmp").string();
    dialogs.file = [&](CSelectionFileDlg& f) { f.path = missing; };
    d.doc.OnCommand(kLoadSelection);
    const std::string badSave = (d.env.folder / "no" / "such" / "x.bmp").string();
    dialogs.file = [&](CSelectionFileDlg& f) { f.path = badSave; };
    d.doc.OnCommand(kSaveSelection);
    EXPECT_EQ(d.messages.texts, (std::vector<std::string>{"Can't open file " + missing,
                                                          "Unable to save the file " + badSave + " as a selection."}));
}

TEST_F(CommandsTest, AlternativeClimateModelWritesClassesFromTheChannels)
{
    d.doc.OnCommand(kAshgroveClimate);
    EXPECT_EQ(d.World().directClimate, 1);
    EXPECT_TRUE(d.doc.IsModified());
    EXPECT_EQ(d.hints.Hints(), std::vector<int>{1});
    const float* climate = d.Cells(kChannelClimate);
    const float* rain = d.Cells(kChannelRainfall);
    const float* temperature = d.Cells(kChannelTemperature);
    for (int i = 0; i < d.Width() * d.Height(); ++i)
        ASSERT_EQ(climate[i], ClimateParms::LookupClimateClass(rain[i], temperature[i])) << i;
    std::error_code error;
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::temp_directory_path() / "M_CLIM.bmp", error));

    d.doc.OnCommand(kDefaultClimate);
    EXPECT_EQ(d.World().directClimate, 0);
}

namespace {

// Paints every pixel of the world image with one colour.
struct FlatRenderer : WorldImageRenderer {
    FlatRenderer() { SetWorldImageRenderer(this); }
    ~FlatRenderer() override { SetWorldImageRenderer(nullptr); }
    int Render(CKVDoc&, int width, int height, VideoBuffer& image) override
    {
        if (image.Create(width, height, 32) != 0)
            return -1;
        image.Clear(0x336699);
        return 0;
    }
};

} // namespace

TEST_F(CommandsTest, GlobeSetupTwiceAddsTheLayersAndGroupsOnce)
{
    ColorLinks::DestroyInstance();
    d.doc.OnCommand(kGlobeSetup);
    d.doc.OnCommand(kGlobeSetup);
    ASSERT_EQ(d.doc.GetOverlays().Count(), 4);
    for (int level = 1; level <= 4; ++level) {
        const ImageOverlay* overlay = d.doc.GetOverlays().FindByName("Globe Level " + std::to_string(level));
        ASSERT_NE(overlay, nullptr);
        EXPECT_EQ(overlay->width, 256 << level);
        EXPECT_EQ(overlay->height, 128 << level);
        EXPECT_EQ(overlay->north, 90.0);
        EXPECT_EQ(overlay->west, -180.0);
    }
    EXPECT_EQ(ColorLinks::GetInstance().groups.size(), 4u);
    ASSERT_EQ(d.messages.texts.size(), 2u);
    EXPECT_EQ(d.messages.texts[0],
              "Added 4 layers to the image overlay list and 4 groups to the color\nlink list.");
    EXPECT_EQ(d.messages.texts[1].rfind("Added 0 layers", 0), 0u);
    ColorLinks::DestroyInstance();
}

TEST_F(CommandsTest, GlobeExportWritesLevelImagesLinkImagesAndKey)
{
    ColorLinks::DestroyInstance();
    d.doc.OnCommand(kGlobeExport);
    EXPECT_EQ(d.messages.texts.size(), 1u); // no layers yet

    d.doc.OnCommand(kGlobeSetup);
    for (int level = 2; level <= 4; ++level)
        d.doc.GetOverlays().Remove(d.doc.GetOverlays().FindByName("Globe Level " + std::to_string(level)));
    ColorLinks& links = ColorLinks::GetInstance();
    ColorLinkEntry red, blue;
    red.color = 0x0000FF;
    red.name = "Red";
    red.targets = {"red.htm"};
    blue.color = 0xFF0000;
    blue.name = "Blue";
    links.groups[0].links = {red, blue};
    ImageOverlay* overlay = d.doc.GetOverlays().FindByName("Globe Level 1");
    overlay->PixelRow(3)[7] = 0xFF000000u | 0xFF0000u;

    FlatRenderer renderer;
    const std::string folder = d.env.folder.string();
    dialogs.globe = [&](CGlobeExportDlg& g) {
        g.folder = folder;
        g.name = "World";
        g.linkImages = true;
    };
    d.doc.OnCommand(kGlobeExport);

    VideoBuffer level;
    ASSERT_EQ(level.LoadImageFile(folder + "/World1a.bmp"), 0);
    EXPECT_EQ(level.GetWidth(), 512);
    EXPECT_EQ(level.GetPixel(3, 3) & 0xFFFFFF, 0x336699u);
    VideoBuffer link;
    ASSERT_EQ(link.LoadImageFile(folder + "/link1.bmp"), 0);
    EXPECT_EQ(link.GetPixel(7, 3) & 0xFF, 1u);
    EXPECT_EQ(link.GetPixel(8, 3) & 0xFF, 0u);

    std::ifstream key(folder + "/L0Key.txt");
    std::stringstream text;
    text << key.rdbuf();
    char expectedRed[512];
    std::snprintf(expectedRed, sizeof expectedRed, "%3d,%3d,%3d,%-33s,%-33s,%-33s,%-33s,%-33s,%-33s,%-33s,%-33s\n", 255,
                  0, 0, "Red", "red.htm", "", "", "", "", "", "");
    EXPECT_EQ(text.str(), std::string(", , ,LOD0, ,LOD1, ,LOD2, ,LOD3,\nR,G,B,Name,File,Name,File,Name,File,Name,File\n") +
                              expectedRed +
                              "  0,  0,255,Blue                             ,                                 ,"
                              "                                 ,                                 ,"
                              "                                 ,                                 ,"
                              "                                 ,                                 \n");
    ColorLinks::DestroyInstance();
}

TEST_F(CommandsTest, GlobeExportHonoursLevelSwitchesAndFileSet)
{
    ColorLinks::DestroyInstance();
    DocCommandMemory::Reset();
    d.doc.OnCommand(kGlobeSetup);
    FlatRenderer renderer;
    const std::string folder = d.env.folder.string();
    struct Case {
        bool levels[4];
        int fileSet;
        std::vector<std::string> present, absent;
    };
    const Case cases[] = {
        {{true, true, true, true}, 0, {"Globe1a.bmp", "Globe2a.bmp", "Globe3a.bmp", "Globe4a.bmp"}, {}},
        // A level needs every coarser one: level 3 off leaves out 3 and 4.
        {{true, true, false, true}, 1, {"Globe1b.bmp", "Globe2b.bmp"}, {"Globe3b.bmp", "Globe4b.bmp"}},
        {{false, true, true, true}, 2, {}, {"Globe1c.bmp", "Globe2c.bmp", "Globe3c.bmp", "Globe4c.bmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileSet);
        std::vector<std::string> offered;
        dialogs.globe = [&](CGlobeExportDlg& g) {
            offered = g.fileSets;
            g.folder = folder;
            g.linkImages = false;
            std::copy(std::begin(c.levels), std::end(c.levels), g.levels);
            g.fileSetIndex = c.fileSet;
        };
        d.doc.OnCommand(kGlobeExport);
        ASSERT_EQ(offered.size(), 26u);
        EXPECT_EQ(offered[1], "Globe1b.bmp .. Globe4b.bmp");
        for (const std::string& name : c.present) {
            VideoBuffer image;
            ASSERT_EQ(image.LoadImageFile(folder + "/" + name), 0) << name;
            EXPECT_EQ(image.GetWidth(), 512 << (name[5] - '1'));
            EXPECT_EQ(image.GetHeight(), 256 << (name[5] - '1'));
        }
        for (const std::string& name : c.absent)
            EXPECT_FALSE(std::filesystem::exists(folder + "/" + name)) << name;
        EXPECT_TRUE(std::filesystem::exists(folder + "/L0Key.txt"));
    }
    // The choices are remembered for the next export.
    EXPECT_FALSE(DocCommandMemory::Remembered().globeLevels[0]);
    EXPECT_EQ(DocCommandMemory::Remembered().globeFileSet, 2);
    EXPECT_EQ(d.messages.texts.size(), 1u); // only the setup message
    DocCommandMemory::Reset();
    ColorLinks::DestroyInstance();
}

TEST_F(CommandsTest, GlobeExportFailuresAreReportedNotWrittenAsSuccess)
{
    ColorLinks::DestroyInstance();
    d.doc.OnCommand(kGlobeSetup);
    d.messages.texts.clear();
    CGlobeExportDlg options;
    options.linkImages = false;

    // No world image: a message, no level picture and no key file.
    options.folder = (d.env.folder / "none").string();
    EXPECT_EQ(d.doc.WriteGlobeExport(options), -1);
    ASSERT_EQ(d.messages.texts.size(), 1u);
    EXPECT_NE(d.messages.texts[0].find("world image"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(options.folder + "/Globe1a.bmp"));
    EXPECT_FALSE(std::filesystem::exists(options.folder + "/L0Key.txt"));

    // A folder that cannot be written (a plain file stands in its way): the message names it.
    FlatRenderer renderer;
    const std::filesystem::path blocker = d.env.folder / "blocker";
    std::ofstream(blocker) << "x";
    options.folder = (blocker / "globe").string();
    d.messages.texts.clear();
    EXPECT_EQ(d.doc.WriteGlobeExport(options), -2);
    ASSERT_EQ(d.messages.texts.size(), 1u);
    EXPECT_NE(d.messages.texts[0].find(options.folder), std::string::npos);
    ColorLinks::DestroyInstance();
}
