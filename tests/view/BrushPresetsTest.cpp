#include "view/BrushPresets.h"

#include "base/AppSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace kv;

namespace {

struct PresetFolder : ::testing::Test {
    // One folder per test process: CTest runs these cases side by side.
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("kv_brush_presets_test_" + std::to_string(::getpid()));
    std::string folder;
    void SetUp() override
    {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        folder = dir.string() + "/";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

} // namespace

TEST_F(PresetFolder, ListingAndUntitledNames)
{
    EXPECT_TRUE(ListBrushPresets(folder).empty());
    const std::string first = UntitledBrushPresetPath(folder);
    EXPECT_EQ(first, folder + "Untitled-1.brs");
    std::string error;
    ASSERT_EQ(SaveBrushPreset(first, BrushSettings(), error), 0);
    EXPECT_EQ(UntitledBrushPresetPath(folder), folder + "Untitled-2.brs");
    std::ofstream(dir / "notes.txt") << "x";
    std::ofstream(dir / "B.BRS") << "Brush\nBrushEnd\n";
    EXPECT_EQ(ListBrushPresets(folder), (std::vector<std::string>{"B.BRS", "Untitled-1.brs"}));
}

TEST_F(PresetFolder, ErrorsNameTheFileAndKeepTheSettings)
{
    BrushSettings s;
    s.value = 4.0f;
    std::string error;
    EXPECT_EQ(LoadBrushPreset(folder + "none.brs", s, error), -1);
    EXPECT_EQ(error, "Error opening brush definition " + folder + "none.brs");
    std::ofstream(dir / "bad.brs") << "nothing of use here\n";
    EXPECT_NE(LoadBrushPreset(folder + "bad.brs", s, error), 0);
    EXPECT_EQ(error, "Error reading brush definition " + folder + "bad.brs");
    std::ofstream(dir / "nan.brs") << "Brush\nValue 2\nXSize nan\nBrushEnd\n";
    EXPECT_NE(LoadBrushPreset(folder + "nan.brs", s, error), 0);
    EXPECT_FLOAT_EQ(s.value, 4.0f);
    const std::string path = folder + "missing/x.brs";
    EXPECT_EQ(SaveBrushPreset(path, s, error), -1);
    EXPECT_EQ(error, "Error writing brush definition " + path);
}

TEST_F(PresetFolder, AnEmptyPresetDirIsNeverTheRoot)
{
    AppSettings profile;
    profile.WriteString("Settings", "PresetDir", "");
    EXPECT_NE(BrushPresetFolder(profile), "/");
    StoreBrushPresetChoice(profile, folder, "a.brs");
    EXPECT_EQ(BrushPresetFolder(profile), folder);
    EXPECT_EQ(BrushPresetName(profile), "a.brs");
}
