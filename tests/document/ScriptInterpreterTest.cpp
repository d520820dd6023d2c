// World scripts: the code of every kind of line, what each operation does to the active
// document, the file reader, and a script matching the same calls made directly.
#include "SmallDocument.h"

#include "base/Progress.h"
#include "document/ScriptInterpreter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using namespace kv;

namespace {

class ScriptTest : public ::testing::Test {
protected:
    int Run(std::string line) { return RunScriptLine(line); }
    std::string WriteScript(const std::string& name, const std::string& text)
    {
        const std::string path = (d.env.folder / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    Grid2DPtr Copy(int channel) { return Clone2D(d.World().Channel(channel)); }

    SmallDocument d;
};

// Counts the busy counter's raises and lowers while installed.
struct BusyCounter : HintRecorder {
    void EnterBusy() override { ++enters; }
    void LeaveBusy() override { ++leaves; }
    int enters = 0, leaves = 0;
};

} // namespace

TEST_F(ScriptTest, LineCodesWithoutEffects)
{
    struct Case {
        const char* line;
        int code;
    };
    const Case cases[] = {
        {"", 0},
        {"   # tool l o 5", 0},
        {"// select a", 0},
        {"tool", -1},
        {"tool   # r o 5", -1},
        {"paint o 5", -1},
        {"tool x", -2},
        {"tool x q", -5},
        {"tool r q 5", -5},
        {"tool rivers", 0},
        {"tool e o 5", 0},
        {"tool echo", 0},
        {"select q", -3},
        {"select l ThisFile.bmp", 0},
        {"select r a", -5},
        {"select r a x r 100", -5},
        {"select r a b x 100", -5},
        {"select r q b r 100", 0},
        {"tool i 1 2 3", 0},
        {"tool m 1 2 y", 0},
        {"tool c o 5 1", -5},
    };
    const Grid2DPtr offset = Copy(kChannelLandOffset);
    const Grid2DPtr mask = Clone2D(d.Selection().Cells());
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.line), c.code) << c.line;
    }
    EXPECT_EQ(Equal2D(offset.get(), d.World().Channel(kChannelLandOffset)), 1);
    EXPECT_EQ(Equal2D(mask.get(), d.Selection().Cells()), 1);
    EXPECT_FALSE(d.doc.IsModified());
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
}

TEST_F(ScriptTest, ToolLinesChangeTheirChannel)
{
    const Grid2DPtr offset = Copy(kChannelLandOffset);
    const float* o = offset->DataAs<float>();
    const int n = d.Width() * d.Height();

    // "tool c o 5": the offset clamped to [5, no limit].
    ASSERT_EQ(Run("tool c o 5"), 0);
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(d.Cells(kChannelLandOffset)[i], std::max(o[i], 5.0f)) << i;
    EXPECT_TRUE(d.doc.IsModified());
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_TRUE(d.hints.sent.empty());

    // Raise and lower with limits; commas and CRLF separate words too.
    ASSERT_EQ(Run("tool,raise,offset,10,-1e20,1e20\r\n"), 0);
    EXPECT_EQ(d.Cells(kChannelLandOffset)[3], std::max(o[3], 5.0f) + 10.0f);
    ASSERT_EQ(Run("TOOL Lower T 4"), 0);
    const Grid2DPtr temperature = Copy(kChannelTemperature);
    ASSERT_EQ(Run("tool f t 300"), 0);
    EXPECT_EQ(d.Cells(kChannelTemperature)[9], 300.0f);

    // Roughness lowered by 5 and kept within [0, 100000].
    float* rough = d.Cells(kChannelRoughness);
    rough[0] = 2.0f;
    rough[1] = 200000.0f;
    rough[2] = 50.0f;
    ASSERT_EQ(Run("tool l s 5 -3 200000"), 0);
    EXPECT_EQ(rough[0], 0.0f);
    EXPECT_EQ(rough[1], 100000.0f);
    EXPECT_EQ(rough[2], 45.0f);

    // Setting the altitude.
    ASSERT_EQ(Run("tool f a 250"), 0);
    EXPECT_NEAR(d.Altitudes()->DataAs<float>()[40], 250.0f, 0.05f);
}

TEST_F(ScriptTest, EveryOperationHoldsTheBusyCounter)
{
    BusyCounter busy;
    for (const char* line : {"tool e", "tool r o 1", "select a", "select r a b r 0", "select i"})
        Run(line);
    Run("tool x");
    EXPECT_EQ(busy.enters, 5);
    EXPECT_EQ(busy.leaves, 5);
}

TEST_F(ScriptTest, SelectLines)
{
    ASSERT_EQ(Run("select a"), 0);
    EXPECT_EQ(d.SelectedCount(), d.Width() * d.Height());
    ASSERT_EQ(Run("select n"), 0);
    EXPECT_FALSE(d.Selection().IsActive());
    EXPECT_FALSE(d.doc.IsModified());

    // Altitude range without a high word: [100, 100000].
    const Grid2DPtr altitudes = d.Altitudes();
    ASSERT_EQ(Run("select r a b r 100"), 0);
    int selected = 0;
    for (int r = 0; r < d.Height(); ++r)
        for (int c = 0; c < d.Width(); ++c) {
            const float a = altitudes->Rows<float>()[r][c];
            ASSERT_EQ(d.Selection().GetAt(c, r), a >= 100.0f && a <= 100000.0f ? 255 : 0);
            selected += a >= 100.0f;
        }
    EXPECT_GT(selected, 0);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Select Altitude Range");
    EXPECT_EQ(d.hints.Hints(), std::vector<int>{8});

    // Save and load keep the file name's case.
    const std::string path = (d.env.folder / "MixedCase.BMP").string();
    const Grid2DPtr mask = Clone2D(d.Selection().Cells());
    ASSERT_EQ(Run("select s " + path), 0);
    ASSERT_TRUE(std::filesystem::exists(path));
    Run("select i");
    ASSERT_EQ(Run("select l " + path + " replace"), 0);
    EXPECT_EQ(Equal2D(mask.get(), d.Selection().Cells()), 1);
    EXPECT_EQ(Run("select l " + (d.env.folder / "missing.bmp").string() + " r"), CSelection::kImageError);

    // Whole amounts.
    d.SelectDisc(20, 16, 6);
    const int disc = d.SelectedCount();
    Run("select c 2.9");
    const int contracted = d.SelectedCount();
    d.SelectDisc(20, 16, 6);
    d.Selection().Contract(2);
    EXPECT_EQ(contracted, d.SelectedCount());
    EXPECT_LT(contracted, disc);
}

TEST_F(ScriptTest, ScriptFileMatchesDirectCalls)
{
    const std::string path = WriteScript("edit.ksr", "# a small edit\r\n"
                                                     "tool r o 100 -1e20 1e20\r\n"
                                                     "select a\n"
                                                     "select c 3\n"
                                                     "tool m 0 500 n 1.5   // mound\n"
                                                     "tool s t 2\n"
                                                     "bogus line\n"
                                                     "tool x q\n"
                                                     "select f 1.5\n"
                                                     "tool fill_lakes\n"
                                                     "tool incise 1.5 1 0.6666667 0.5\n"
                                                     "tool burn\n");
    SmallDocument direct;
    direct.World().AddToChannel(kChannelLandOffset, 100.0f, -1e20f, 1e20f);
    direct.Selection().SelectAll();
    direct.Selection().Contract(3);
    direct.World().MoundFromSelection(0.0f, 500.0f, false, 1.5f);
    direct.World().SmoothChannel(kChannelTemperature, 2.0f);
    direct.Selection().Feather(1.5f);
    direct.doc.FillLakeBasins();
    direct.doc.InciseFlow(1.5f, 1.0f, 0.6666667f, 0.5f);
    direct.doc.BurnIn();

    // `direct` is the active document now; make `d` the active one for the script.
    ActiveDocument active(&d.doc);
    std::vector<ScriptLineResult> refused;
    ASSERT_EQ(RunScriptFile(path, &refused), 0);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0].line, 7);
    EXPECT_EQ(refused[0].code, -1);
    EXPECT_EQ(refused[1].line, 8);
    EXPECT_EQ(refused[1].code, -5);
    for (int channel = 0; channel < kChannelGridCount; ++channel) {
        if (d.World().Channel(channel) != nullptr) {
            EXPECT_EQ(Equal2D(direct.World().Channel(channel), d.World().Channel(channel)), 1) << channel;
        }
    }
    EXPECT_EQ(Equal2D(direct.Selection().Cells(), d.Selection().Cells()), 1);
    EXPECT_TRUE(d.doc.IsModified());
    // Burn In runs without asking (the recorder installed last hears every message).
    EXPECT_TRUE(direct.messages.texts.empty());
    EXPECT_EQ(d.Cells(kChannelRoughness)[5], 0.0f);
}

TEST_F(ScriptTest, FilesThatCannotBeRead)
{
    EXPECT_EQ(RunScriptFile((d.env.folder / "none.ksr").string()), -1);
    EXPECT_EQ(RunScriptFile(d.env.folder.string()), -1);
    // No active document: every line is refused.
    ActiveDocument none(nullptr);
    const std::string path = WriteScript("a.ksr", "select a\n");
    std::vector<ScriptLineResult> refused;
    EXPECT_EQ(RunScriptFile(path, &refused), 0);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].code, -1);
    EXPECT_FALSE(d.Selection().IsActive() && d.SelectedCount() == d.Width() * d.Height());
}
