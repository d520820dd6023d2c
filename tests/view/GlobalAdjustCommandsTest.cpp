// The Global submenus, the Shift paint table and the paint steps: what each command asks,
// remembers, converts and does to the channel, with one undo step each.
#include "DocumentFixtures.h"

#include "base/DisplayUnits.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "document/TerrainDialogs.h"
#include "view/GlobalAdjustCommands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>

using namespace kv;

namespace {

struct FakeView : GlobalAdjustView {
    void EnterBusy() override { ++busy; }
    void LeaveBusy() override { --busy; }
    void RestartRender() override { ++restarts; }
    void StoreView() override { ++stores; }
    int busy = 0, restarts = 0, stores = 0;
};

// Answers every dialog with the next value (none: Cancel) and keeps what it was shown.
struct Answers : TerrainDialogs {
    Answers() { m_previous = SetTerrainDialogs(this); }
    ~Answers() override { SetTerrainDialogs(m_previous); }
    bool RunSingleEdit(CSingleEditDlg& dialog) override
    {
        shown = dialog;
        busyWhileShown = view != nullptr ? view->busy : 0;
        if (!value)
            return false;
        dialog.value = *value;
        return true;
    }
    bool RunNoiseData(CNoiseDataDlg& dialog) override
    {
        shownNoise = dialog;
        if (!noise)
            return false;
        dialog = *noise;
        return true;
    }
    std::optional<float> value;
    std::optional<CNoiseDataDlg> noise;
    CSingleEditDlg shown;
    CNoiseDataDlg shownNoise;
    const FakeView* view = nullptr;
    int busyWhileShown = 0;

private:
    TerrainDialogs* m_previous = nullptr;
};

// Adds 1 at the cell it is given.
struct UnitBrush : ChannelBrush {
    int StrokeSegment(Grid2D& grid, int x0, int y0, Grid2D&, int, int, const CSelection*, int, int) override
    {
        grid.Row<float>(static_cast<std::size_t>(y0))[x0] += 1.0f;
        return 0;
    }
};

class GlobalCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetUndoList().Clear();
        GetSharedGlobalValues() = SharedGlobalValues();
        doc.OnNewDocument();
        answers.view = &view;
        MetricUnits.store(1);
        doc.SetModifiedFlag(false);
    }
    void TearDown() override
    {
        MetricUnits.store(1);
        GetUndoList().Clear();
    }
    Grid2D& Channel(int c) { return *doc.GetWorld().Channel(c); }
    void Fill(int c, float v)
    {
        for (std::size_t i = 0; i < Channel(c).CellCount(); ++i)
            Channel(c).DataAs<float>()[i] = v;
    }
    float Cell(int c, std::size_t i = 0) { return Channel(c).DataAs<float>()[i]; }

    DocumentEnvironment env;
    HintRecorder hints;
    CKVDoc doc;
    FakeView view;
    Answers answers;
    GlobalAdjustCommands commands{doc, view};
};

} // namespace

TEST_F(GlobalCommandsTest, EachKindAsksConvertsRemembersAndChangesItsChannel)
{
    struct Case {
        const char* name;
        int id;
        bool metric;
        float start;       // every cell of the channel before
        float typed;       // NaN: Cancel
        float expected;    // cell 0 after
        const char* title;
        const char* prompt;
        float shown;       // the remembered value the dialog showed
        const char* step;  // undo step ("" none)
    } cases[] = {
        {"lower offset, feet", 33030, false, 0.0f, 100.0f, static_cast<float>(-100 * 0.3048), "Global Altitude - Lower",
         "Amount (ft):", 100.0f, "Global Offset"},
        {"raise offset shows the lowered amount", 33035, true, 0.0f, 7.0f, 7.0f, "Global Altitude - Raise",
         "Amount (m):", 100.0f, "Global Offset"},
        {"raise roughness clamps", 33036, true, 9999.0f, 5.0f, 10000.0f, "Global Altitude - Roughen", "Amount", 0.1f,
         "Global Roughness"},
        {"lower roughness clamps at 0", 33031, true, 0.05f, 1.0f, 0.0f, "Global Altitude - Smooth", "Amount", 5.0f,
         "Global Roughness"},
        {"lower rainfall, inches", 33032, false, 10.0f, 1.0f, static_cast<float>(10.0f - 2.54f), "Global Rainfall - Drier",
         "Amount (in):", 8.0f, "Global Rainfall"},
        {"set temperature 9 F", 33043, false, 3.0f, 9.0f, static_cast<float>(9 * 0.5555556),
         "Set Global Temperature Adjustment", "Amount (F):", 0.0f, "Set Global Temperature"},
        {"set water level", 33044, true, 3.0f, -2.5f, -2.5f, "Set Global Water Level", "Amount (m):", 0.0f,
         "Set Global Water Level"},
        {"cancel", 33034, true, 3.0f, NAN, 3.0f, "Global Water Level - Lower", "Amount (m):", 100.0f, ""},
        {"not a number", 33039, true, 3.0f, INFINITY, 3.0f, "Global Water Level - Raise", "Amount (m):", 100.0f, ""},
        {"smooth below 0.001 does nothing", 33119, true, 3.0f, 0.0005f, 3.0f, "Global Rainfall Smoothing", "Amount",
         1.0f, ""},
    };
    for (const Case& c : cases) {
        const GlobalCommandRow* row = FindGlobalCommand(c.id);
        ASSERT_NE(row, nullptr) << c.name;
        GetUndoList().Clear();
        hints.sent.clear();
        view.restarts = 0;
        MetricUnits.store(c.metric ? 1 : 0);
        Fill(row->channel, c.start);
        answers.value = std::isnan(c.typed) ? std::nullopt : std::optional<float>(c.typed);
        EXPECT_TRUE(commands.OnCommand(c.id)) << c.name;
        EXPECT_EQ(answers.shown.title, c.title) << c.name;
        EXPECT_EQ(answers.shown.prompt, c.prompt) << c.name;
        EXPECT_EQ(answers.shown.helpTopic, row->helpTopic) << c.name;
        EXPECT_FLOAT_EQ(answers.shown.value, c.shown) << c.name;
        EXPECT_EQ(answers.busyWhileShown, 1) << c.name;
        EXPECT_EQ(view.busy, 0) << c.name;
        EXPECT_FLOAT_EQ(Cell(row->channel), c.expected) << c.name;
        EXPECT_FLOAT_EQ(Cell(row->channel, Channel(row->channel).CellCount() - 1), c.expected) << c.name;
        EXPECT_EQ(GetUndoList().GetUndoDescription(), c.step) << c.name;
        EXPECT_EQ(view.restarts, *c.step ? 1 : 0) << c.name;
        EXPECT_TRUE(hints.sent.empty()) << c.name; // hint 16 goes to this view only
    }
    // Lower and Raise share the typed amount per channel: 7 was typed last on the offset.
    EXPECT_FLOAT_EQ(commands.lowerRaiseAmount[1], 7.0f);
    EXPECT_FLOAT_EQ(GetSharedGlobalValues().setValue[3], 9.0f);
    EXPECT_FLOAT_EQ(GetSharedGlobalValues().smoothAmount[2], 0.0005f);
    // A refused value is not remembered.
    EXPECT_FLOAT_EQ(commands.lowerRaiseAmount[4], 100.0f);
}

TEST_F(GlobalCommandsTest, SmoothTakesTheAbsoluteAmount)
{
    Fill(1, 0.0f);
    Channel(1).Row<float>(10)[10] = 100.0f;
    answers.value = -2.0f;
    commands.OnCommand(33117);
    EXPECT_FLOAT_EQ(GetSharedGlobalValues().smoothAmount[1], 2.0f);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Smooth Global Offset");
    EXPECT_LT(Channel(1).Row<float>(10)[10], 100.0f);
    EXPECT_GT(Channel(1).Row<float>(10)[11], 0.0f);
}

TEST_F(GlobalCommandsTest, DeterraceCountIsWholeEvenAndHeld)
{
    const struct {
        float typed;
        int count;
    } cases[] = {{7.9f, 8}, {3.0f, 4}, {4.0f, 4}, {5.0f, 6}, {0.0f, 2}, {-9.0f, 2}, {1e10f, 1024}, {1023.5f, 1024}};
    for (const auto& c : cases)
        EXPECT_EQ(GlobalAdjustCommands::DeterraceCountFromTyped(c.typed), c.count) << c.typed;
    answers.value = 7.9f;
    commands.OnCommand(33181);
    EXPECT_EQ(commands.deterraceCount, 8);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Deterrace Global Offset");
    answers.value = 3.0f;
    commands.OnCommand(33183);
    EXPECT_FLOAT_EQ(answers.shown.value, 8.0f);
    EXPECT_EQ(commands.deterraceCount, 4);
}

TEST_F(GlobalCommandsTest, NoiseIsShownConvertedAndRepeatsWithTheSameSeed)
{
    MetricUnits.store(0);
    Fill(1, 5.0f);
    Channel(1).DataAs<float>()[3] = -7.0f;
    CNoiseDataDlg typed;
    typed.noiseType = CNoiseDataDlg::kGaussian;
    typed.mean = 10.0f;     // feet
    typed.variance = 20.0f; // feet
    typed.except = -7.0f / static_cast<float>(0.3048);
    typed.seed = 4242;
    answers.noise = typed;
    commands.OnCommand(33111);
    EXPECT_EQ(answers.shownNoise.caption, "Add Noise to Offset");
    EXPECT_FLOAT_EQ(answers.shownNoise.variance, static_cast<float>(10.0 * 3.28084));
    EXPECT_FLOAT_EQ(answers.shownNoise.except, static_cast<float>(-100000.0 * 3.28084));
    const NoiseRecord& record = GetSharedGlobalValues().noise[1];
    EXPECT_EQ(record.noiseType, 1);
    EXPECT_FLOAT_EQ(record.mean, static_cast<float>(10.0 * 0.3048));
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Noise Global Offset");
    Grid2DPtr first = Clone2D(&Channel(1));
    // The cell at the except value keeps it; others moved by mean + |gaussian| x variance.
    EXPECT_FLOAT_EQ(first->DataAs<float>()[3], -7.0f);
    EXPECT_GE(first->DataAs<float>()[0], 5.0f + record.mean);
    EXPECT_NE(first->DataAs<float>()[0], first->DataAs<float>()[1]);

    ASSERT_TRUE(GetUndoList().Undo());
    commands.OnCommand(33111);
    EXPECT_EQ(Equal2D(first.get(), &Channel(1)), 1);

    // Except -100000: every cell changes.
    MetricUnits.store(1);
    typed.except = -100000.0f;
    typed.mean = 10.5f; // no draw can cancel it
    typed.noiseType = CNoiseDataDlg::kUniform;
    answers.noise = typed;
    Fill(2, 50.0f);
    commands.OnCommand(33113);
    for (std::size_t i = 0; i < Channel(2).CellCount(); ++i)
        ASSERT_NE(Cell(2, i), 50.0f) << i;
}

TEST_F(GlobalCommandsTest, ShiftTableAddViewAndThePrescaleEntries)
{
    const struct {
        int paint, global;
    } table[] = {{33050, 33035}, {33047, 33030}, {33052, 33036}, {33054, 33031}, {33020, 33037}, {33006, 33032},
                 {33010, 33038}, {33003, 33033}, {33209, 33212}, {33210, 33213}, {33211, 33214}, {33999, 0}};
    for (const auto& t : table)
        EXPECT_EQ(GlobalCommandForShiftedPaint(t.paint), t.global) << t.paint;
    answers.value = 4.0f;
    Fill(1, 0.0f);
    EXPECT_TRUE(commands.OnShiftedPaintCommand(33050));
    EXPECT_FLOAT_EQ(Cell(1), 4.0f);
    EXPECT_FALSE(commands.OnShiftedPaintCommand(33999));
    EXPECT_FALSE(commands.OnCommand(33999));

    EXPECT_TRUE(commands.OnCommand(kAddViewCommand));
    EXPECT_EQ(view.stores, 1);

    // Without the prescale grid its entries are disabled; the add fails (the step it asks
    // for holds no grid, so the list keeps none), the other operations do nothing.
    doc.GetWorld().prescaleEnabled = 0;
    EXPECT_FALSE(commands.IsEnabled(33214));
    EXPECT_TRUE(commands.IsEnabled(33030));
    GetUndoList().Clear();
    doc.SetModifiedFlag(false);
    EXPECT_LT(doc.GlobalAdjust(6, 1.0f, -1e20f, 1e20f), 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.SetGlobal(6, 1.0f), 0);
    EXPECT_EQ(doc.SmoothGlobal(6, 1.0f), 0);
    EXPECT_EQ(doc.DeterraceGlobal(6, 4), 0);
    EXPECT_EQ(doc.NoiseGlobal(6, 0, 0, 1, -1e5f), 0);
    UnitBrush brush;
    EXPECT_EQ(doc.PaintPrescaleOffset(0, 0, brush, true), 0);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(GlobalCommandsTest, AStrokeOfSeveralStepsIsOneUndoStep)
{
    Fill(2, 0.0f);
    UnitBrush brush;
    EXPECT_EQ(doc.PaintRainfall(10.0, 20.0, brush, true), 0);
    EXPECT_EQ(doc.PaintRainfall(11.0, 21.0, brush, false), 0);
    EXPECT_EQ(doc.PaintRainfall(12.0, 22.0, brush, false), 0);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 1);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Rainfall Edit");
    EXPECT_TRUE(doc.IsModified());
    float sum = 0;
    for (std::size_t i = 0; i < Channel(2).CellCount(); ++i)
        sum += Cell(2, i);
    EXPECT_EQ(sum, 3.0f);
    ASSERT_TRUE(GetUndoList().Undo());
    for (std::size_t i = 0; i < Channel(2).CellCount(); ++i)
        ASSERT_EQ(Cell(2, i), 0.0f);
}
