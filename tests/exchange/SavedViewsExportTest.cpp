// Export As PW2 of saved views: one drawing per view named after it, the definition read
// first, and the two messages of the export.
#include "exchange/SavedViewsExport.h"

#include "base/Progress.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "document/CViewInfo.h"
#include "exchange/PW2Output.h"
#include "shading/ShaderRegistry.h"

#include "FCWReader.h"
#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A recalculated document with its shaders, silent progress and a scratch folder with "out".
class SavedViewsExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = SetProgressHooks(SilentProgressHooks());
        RecalculateWorld(doc.GetWorld());
        GetShaderRegistry().Init(&doc.GetWorld(), &doc.GetViewSettings().light);
        fs::create_directories(dir / "out");
    }
    void TearDown() override
    {
        ShaderRegistry::Destroy();
        SetProgressHooks(m_previous);
        fs::remove_all(dir);
    }
    CKVDoc doc;
    const fs::path dir = fs::temp_directory_path() / ("kv-views-" + std::to_string(::getpid()));

private:
    ProgressHooks m_previous;
};

} // namespace

TEST_F(SavedViewsExport, DrawingsPerViewAndMessages)
{
    PW2Output definition;
    definition.altContoursOn = 0;
    definition.tempContoursOn = 0;
    definition.seaOnList = 0;
    definition.grid.shown = 0;
    ASSERT_EQ(definition.SaveToFile((dir / "plain.xpt").string()), 0);

    CViewInfo a, b;
    a.name = "north";
    a.projectionName = "Equirectangular";
    a.scale = 0.5;
    b.name = "east";
    b.projectionName = "no such projection";
    b.centerLongitude = 90.0;
    b.scale = 0.25;
    ViewExportSettings s;
    s.outputDirectory = (dir / "out").string();
    s.generatePW2 = true;
    s.exportDefinition = "plain";

    MessageRecorder messages;
    EXPECT_EQ(ExportSavedViews(doc, {&a, &b}, s, dir.string()), 0);
    EXPECT_TRUE(messages.texts.empty());
    for (const char* name : {"north.fcw", "east.fcw"}) {
        const fcwtest::Drawing d = fcwtest::Read(ReadBytes(dir / "out" / name), 7000);
        EXPECT_TRUE(d.problems.empty()) << name;
        EXPECT_EQ(d.Of(129).size(), 1u) << name;
    }

    s.exportDefinition = "missing";
    EXPECT_EQ(ExportSavedViews(doc, {&a}, s, dir.string()), -1);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Error reading export def file " + (dir / "missing.xpt").string());

    s.exportDefinition = "plain";
    s.outputDirectory = (dir / "no-such-folder").string();
    EXPECT_EQ(ExportSavedViews(doc, {&a}, s, dir.string()), -2);
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[1], "Error writing file " + (dir / "no-such-folder" / "north.fcw").string());
}

TEST_F(SavedViewsExport, PicturesAreSizedNamedInsideTheFolderAndSkippedWithoutLand)
{
    CViewInfo north, escape;
    north.name = "North";
    north.projectionName = "Equirectangular";
    escape.name = "../escape";
    escape.projectionName = "Equirectangular";
    escape.scale = 0.5;
    ViewExportSettings s;
    s.outputDirectory = (dir / "out").string();
    s.generateJPEG = true;
    MessageRecorder messages;
    struct Case {
        int jpegSize;
        int width;
    };
    for (const Case c : {Case{40, 40}, Case{3, 128}, Case{0, 128}}) {
        s.jpegSize = c.jpegSize;
        EXPECT_EQ(ExportSavedViews(doc, {&north, &escape}, s, dir.string()), 0);
        for (const char* file : {"North.jpg", ".._escape.jpg"}) {
            VideoBuffer back;
            ASSERT_EQ(back.LoadImageFile((dir / "out" / file).string()), 0) << file;
            EXPECT_EQ(back.GetWidth(), c.width) << file;
            EXPECT_EQ(back.GetHeight(), c.width) << file;
        }
    }
    EXPECT_FALSE(fs::exists(dir / "escape.jpg"));
    EXPECT_TRUE(messages.texts.empty());

    // Everything under water: with "Only Gen if Some Land" no picture is written.
    int w = 0, h = 0;
    doc.GetWorld().GetGridSize(w, h);
    for (int r = 0; r < h; ++r)
        for (int col = 0; col < w; ++col)
            doc.GetWorld().SetCellValue(col, r, 1e9f, kChannelWaterLevel);
    CViewInfo sea = north;
    sea.name = "Sea";
    s.onlyIfLand = true;
    s.jpegSize = 16;
    EXPECT_EQ(ExportSavedViews(doc, {&sea}, s, dir.string()), 0);
    EXPECT_FALSE(fs::exists(dir / "out" / "Sea.jpg"));

    // A folder that does not exist: the failure is reported.
    s.onlyIfLand = false;
    s.outputDirectory = (dir / "missing").string();
    EXPECT_EQ(ExportSavedViews(doc, {&sea}, s, dir.string()), -2);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Error writing file " + (dir / "missing" / "Sea.jpg").string());
}
