#include "view/ClimateColorFile.h"

#include "base/color/CColorList.h"
#include "base/color/ClimateParms.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kv {
namespace {

TEST(ClimateColorFileTest, LinesMatchTheFormatOrAreSkipped)
{
    struct Case {
        const char* line;
        bool taken;
        int code;
        uint32_t colour;
    };
    const Case cases[] = {
        {"3, 10, 20, 30", true, 3, ColorOf(10, 20, 30)},
        {"3,10,20,30", true, 3, ColorOf(10, 20, 30)},        // blanks match none
        {" 16,\t1,  2,3 trailing", true, 16, ColorOf(1, 2, 3)},
        {"0, 300, 256, 511", true, 0, ColorOf(44, 0, 255)},  // each channel is its low byte
        {"17, 1, 2, 3", false, 0, 0},
        {"-1, 1, 2, 3", false, 0, 0},
        {"3 , 1, 2, 3", false, 0, 0},                        // blank before a comma
        {"3, 1, 2", false, 0, 0},
        {"3, 1, 2, 2147483648", false, 0, 0},                // beyond int
        {"3, -2147483648, 0, 0", true, 3, ColorOf(0, 0, 0)},
        {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        int code = -7;
        uint32_t colour = 0xDEAD;
        EXPECT_EQ(ParseClimateColorLine(c.line, code, colour), c.taken) << c.line;
        if (c.taken) {
            EXPECT_EQ(code, c.code) << c.line;
            EXPECT_EQ(colour, c.colour) << c.line;
        }
    }
}

TEST(ClimateColorFileTest, ReadListHasEveryClassWithDefaultsForTheMissing)
{
    CColorList defaults;
    ClimateParms::DefaultClimateColors(defaults);
    CColorList list;
    list.Add(0x123456);  // whatever was there goes
    const std::string longLine = "5, 1, 1, 1" + std::string(130, ' ');
    const int taken = ReadClimateColorText("17, 1, 2, 3\n3,10,20,30\n" + longLine + "\nnoise\n16, 0, 0, 255", list);
    EXPECT_EQ(taken, 2);
    ASSERT_EQ(list.GetSize(), kClimateClassCount);
    EXPECT_EQ(list.Stop(3).Color(), ColorOf(10, 20, 30));
    EXPECT_EQ(list.Stop(16).Color(), ColorOf(0, 0, 255));
    EXPECT_EQ(list.Stop(5).Color(), defaults.GetColorAt(5));  // the overlong line was skipped
    EXPECT_EQ(list.Stop(0).Color(), defaults.GetColorAt(0));
}

TEST(ClimateColorFileTest, SaveWritesEveryClassAndLoadsBack)
{
    const auto dir = std::filesystem::path(testing::TempDir()) / "clr_round_trip";
    std::filesystem::create_directories(dir);
    ClimateParms climate;
    CColorList shortList;  // fewer stops than classes
    shortList.Add(ColorOf(1, 2, 3));
    shortList.Add(ColorOf(4, 5, 6));
    climate.SetClimateList(shortList);
    const std::string path = (dir / "colors.clr").string();
    ASSERT_TRUE(SaveClimateColorFile(path, climate));

    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[0], "0, 1, 2, 3");
    EXPECT_EQ(lines[1], "1, 4, 5, 6");
    CColorList defaults;
    ClimateParms::DefaultClimateColors(defaults);
    const uint32_t c16 = defaults.GetColorAt(16);
    std::ostringstream expected;
    expected << "16, " << RedOf(c16) << ", " << GreenOf(c16) << ", " << BlueOf(c16);
    EXPECT_EQ(lines[16], expected.str());

    CColorList loaded;
    EXPECT_EQ(LoadClimateColorFile(path, loaded), 17);
    for (int code = 0; code < kClimateClassCount; ++code)
        EXPECT_EQ(loaded.Stop(code).Color(), ClimateCodeColor(climate, code)) << code;
    EXPECT_EQ(ClimateColorCellText(ColorOf(0x12, 0xAB, 0x0F)), "12AB0F");

    CColorList untouched;
    untouched.Add(7);
    EXPECT_EQ(LoadClimateColorFile((dir / "missing.clr").string(), untouched), -1);
    EXPECT_EQ(untouched.GetSize(), 1);
    EXPECT_FALSE(SaveClimateColorFile((dir / "no" / "such" / "x.clr").string(), climate));
}

} // namespace
} // namespace kv
