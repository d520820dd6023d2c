// Malformed world scripts: a refused line changes nothing and the next line runs; stray
// bytes, numbers that are not finite, amounts far outside any sensible range and lines
// beyond the longest read neither crash nor change what they should not.
#include "SmallDocument.h"

#include "document/ScriptInterpreter.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace kv;

namespace {

class MalformedScriptTest : public ::testing::Test {
protected:
    std::string Write(const std::string& text)
    {
        const std::string path = (d.env.folder / "bad.ksr").string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    struct State {
        Grid2DPtr offset, mask;
        bool active;
    };
    State Snapshot() { return {Clone2D(d.World().Channel(kChannelLandOffset)), Clone2D(d.Selection().Cells()), d.Selection().IsActive()}; }
    void ExpectUnchanged(const State& s)
    {
        EXPECT_EQ(Equal2D(s.offset.get(), d.World().Channel(kChannelLandOffset)), 1);
        EXPECT_EQ(Equal2D(s.mask.get(), d.Selection().Cells()), 1);
        EXPECT_EQ(s.active, d.Selection().IsActive());
        EXPECT_FALSE(d.doc.IsModified());
    }

    SmallDocument d{32};
};

} // namespace

TEST_F(MalformedScriptTest, NumbersThatAreNotFiniteRefuseTheirLine)
{
    d.SelectDisc(10, 8, 4);
    const State before = Snapshot();
    for (const char* line : {"tool r o nan", "tool l o 5 inf", "tool r o 5 -1e20 1e999", "tool c o -inf",
                             "tool f o 1e39", "tool m 0 nan y 1", "tool i 1 inf 1 1", "select c 1e999",
                             "select f -inf", "select b nan", "select r a b r nan", "select r a b r 0 inf"}) {
        std::string text = line;
        EXPECT_EQ(RunScriptLine(text), kScriptBadArgument) << line;
    }
    ExpectUnchanged(before);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
}

TEST_F(MalformedScriptTest, StrayBytesAndHugeAmounts)
{
    d.SelectDisc(10, 8, 4);
    const State before = Snapshot();
    const std::string lines[] = {
        std::string("tool\0r o 5", 10),  std::string("tool r \x80 5"), std::string("\xff\xfe tool r o 5"),
        std::string("select \xc3\xa9 1"), std::string("tool r \0o 5", 11),
    };
    for (std::string line : lines)
        EXPECT_LT(RunScriptLine(line), 0);
    ExpectUnchanged(before);

    // Amounts beyond the int range or the mask: capped, with the same result as the cap.
    for (const char* line : {"select c 1e30", "select e -1e30", "select t 1e12", "select b 2147483648",
                             "select e 3000000000", "tool s o 1e30"}) {
        std::string text = line;
        EXPECT_EQ(RunScriptLine(text), 0) << line;
    }
    // A feather far wider than the grid (found by the fuzzer: minutes per line) is quick and
    // spreads the selection evenly: every cell is the mean of the mask.
    d.SelectDisc(10, 8, 4);
    double mean = 0;
    {
        const Grid2D& cells = *d.Selection().Cells();
        for (size_t r = 0; r < cells.Height(); ++r)
            for (size_t c = 0; c < cells.Width(); ++c)
                mean += cells.Rows<uint8_t>()[r][c];
        mean /= static_cast<double>(cells.Width() * cells.Height());
    }
    std::string feather = "select f 2.e5";
    EXPECT_EQ(RunScriptLine(feather), 0);
    {
        const Grid2D& cells = *d.Selection().Cells();
        ASSERT_EQ(cells.Width(), 32u);
        for (size_t r = 0; r < cells.Height(); ++r)
            for (size_t c = 0; c < cells.Width(); ++c)
                ASSERT_NEAR(cells.Rows<uint8_t>()[r][c], mean, 1.0) << c << "," << r;
    }

    d.SelectDisc(10, 8, 4);
    std::string expand = "select e 1e9";
    RunScriptLine(expand);
    const Grid2DPtr scripted = Clone2D(d.Selection().Cells());
    d.SelectDisc(10, 8, 4);
    d.Selection().Expand(32);
    EXPECT_EQ(Equal2D(scripted.get(), d.Selection().Cells()), 1);
}

TEST_F(MalformedScriptTest, LongLinesAreReadWholeOrSkipped)
{
    const State before = Snapshot();
    // A comment longer than any fixed buffer: its tail is no command.
    std::string text = "#" + std::string(5000, ' ') + "tool r o 5\n";
    // Over the longest line: skipped whole, the next line runs.
    text += "tool r o 5 " + std::string(kMaxScriptLine, '7') + "\n";
    text += "select a\r\n";
    std::vector<ScriptLineResult> refused;
    ASSERT_EQ(RunScriptFile(Write(text), &refused), 0);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].line, 2);
    EXPECT_EQ(refused[0].code, kScriptBadLine);
    EXPECT_EQ(Equal2D(before.offset.get(), d.World().Channel(kChannelLandOffset)), 1);
    EXPECT_EQ(d.SelectedCount(), d.Width() * d.Height());
}

TEST_F(MalformedScriptTest, BinaryFileRunsToItsEnd)
{
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes.push_back(static_cast<char>((i * 37 + 11) & 0xFF));
    bytes += "\nselect a";
    std::vector<ScriptLineResult> refused;
    ASSERT_EQ(RunScriptFile(Write(bytes), &refused), 0);
    EXPECT_EQ(d.SelectedCount(), d.Width() * d.Height());
}
