// Damaged climate colour files: bad lines are skipped, and the list still has one stop per
// climate class.
#include "base/color/CColorList.h"
#include "base/color/ClimateParms.h"
#include "view/ClimateColorFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kv {
namespace {

TEST(MalformedClrTest, BadFilesLoadToTheDefaultClassColours)
{
    const auto dir = std::filesystem::path(testing::TempDir()) / "malformed_clr";
    std::filesystem::create_directories(dir);
    CColorList defaults;
    ClimateParms::DefaultClimateColors(defaults);
    const std::string huge(1 << 20, '9');
    const std::string cases[] = {
        std::string("\0\0\0\0", 4),                  // binary
        "3, 1, 2",                                   // cut short
        "3, 99999999999999999999, 2, 3\n",           // beyond int
        "3, 1, 2, -99999999999\n",
        "3" + huge + ", 1, 2, 3\n",                  // one enormous line
        huge,                                        // digits without end
        std::string(200, ',') + "\n3,",              // separators only
        "2147483647, 1, 2, 3\n-2147483648, 1, 2, 3\n",  // codes far outside the classes
        std::string(127, ' ') + "3, 1, 2, 3\n",      // the line passes 127 characters
    };
    for (const std::string& text : cases) {
        const std::string path = (dir / "bad.clr").string();
        std::ofstream(path, std::ios::binary) << text;
        CColorList list;
        EXPECT_EQ(LoadClimateColorFile(path, list), 0) << text.substr(0, 40);
        ASSERT_EQ(list.GetSize(), kClimateClassCount);
        for (int code = 0; code < kClimateClassCount; ++code)
            EXPECT_EQ(list.Stop(code).Color(), defaults.GetColorAt(code));
    }
}

} // namespace
} // namespace kv
