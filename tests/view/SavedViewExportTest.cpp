// Export of saved views: one JPEG a view, named safely inside the folder, sized by the
// settings, skipped without land when asked.
#include "base/raster/ImageCodecs.h"
#include "document/CViewInfo.h"
#include "projection/ProjectionRegistry.h"
#include "shading/ShaderRegistry.h"
#include "view/SavedViewExport.h"
#include "world/SurfMap.h"

#include "ViewFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;

namespace {

class ViewExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetShaderRegistry().Init(&doc.world, &light);
        folder = fs::temp_directory_path() / ("kv-view-export-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "out");
    }
    void TearDown() override
    {
        ShaderRegistry::Destroy();
        fs::remove_all(folder);
    }
    CViewInfo View(const std::string& name, double scale = 1.0)
    {
        CViewInfo v;
        v.name = name;
        v.projectionName = ProjectionRegistry::Get().GetName(kMapEquirectangular);
        v.scale = scale;
        v.shaderId = 1;
        return v;
    }

    kvtest::TestViewDocument doc;
    LightParms light;
    fs::path folder;
    ViewDrawingExport noDrawings;
};

} // namespace

TEST(ViewFileName, NamesStayInsideTheFolder)
{
    struct {
        const char* name;
        const char* file;
    } cases[] = {{"Coast", "Coast"}, {"v1.2", "v1.2"}, {"../../etc/x", ".._.._etc_x"}, {"..", "__"},
                 {".", "_"},         {"", "_"},         {"a\\b", "a_b"}};
    for (const auto& c : cases)
        EXPECT_EQ(ViewFileName(c.name), c.file) << c.name;
    EXPECT_EQ(ViewFileBase("/tmp/out", ".."), "/tmp/out/__");
    EXPECT_EQ(ViewFileBase("/tmp/out/", "A"), "/tmp/out/A");
}

TEST_F(ViewExportTest, OneJpegPerViewReadsBack)
{
    const CViewInfo north = View("North"), escape = View("../escape", 0.5);
    ViewExportSettings settings;
    settings.outputDirectory = (folder / "out").string();
    settings.generateJPEG = true;
    settings.jpegSize = 40;
    const ViewExportResult result =
        ExportSavedViews({&north, &escape}, settings, doc.world, light, 1, nullptr, noDrawings);
    EXPECT_EQ(result.imagesWritten, 2);
    EXPECT_TRUE(result.failures.empty());
    EXPECT_FALSE(fs::exists(folder / "escape.jpg"));
    for (const char* file : {"North.jpg", ".._escape.jpg"}) {
        VideoBuffer back;
        std::string error;
        ASSERT_EQ(ReadJpegFile((folder / "out" / file).string(), back, error), 0) << file << error;
        EXPECT_EQ(back.GetWidth(), 40);
        EXPECT_EQ(back.GetHeight(), 40);
    }

    // A size below 8 gives 128; without JPEG files nothing is written; "Generate PW2 Files"
    // writes nothing while the drawing export is not available.
    settings.jpegSize = 3;
    const CViewInfo small = View("Small");
    ExportSavedViews({&small}, settings, doc.world, light, 1, nullptr, noDrawings);
    VideoBuffer back;
    std::string error;
    ASSERT_EQ(ReadJpegFile((folder / "out" / "Small.jpg").string(), back, error), 0) << error;
    EXPECT_EQ(back.GetWidth(), 128);
    settings.generateJPEG = false;
    settings.generatePW2 = true;
    const CViewInfo none = View("None");
    EXPECT_EQ(ExportSavedViews({&none}, settings, doc.world, light, 1, nullptr, noDrawings).imagesWritten, 0);
    EXPECT_FALSE(fs::exists(folder / "out" / "None.jpg"));
    EXPECT_FALSE(fs::exists(folder / "out" / "None.fcw"));
}

TEST_F(ViewExportTest, OnlyWithLandSkipsAllWaterViews)
{
    // Everything under water: the land flag stays off.
    int w = 0, h = 0;
    doc.world.GetGridSize(w, h);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            doc.world.SetCellValue(c, r, 1e9f, kChannelWaterLevel);
    const CViewInfo sea = View("Sea");
    ViewExportSettings settings;
    settings.outputDirectory = (folder / "out").string();
    settings.generateJPEG = true;
    settings.jpegSize = 16;
    settings.onlyIfLand = true;
    const ViewExportResult result = ExportSavedViews({&sea}, settings, doc.world, light, 1, nullptr, noDrawings);
    EXPECT_EQ(result.skippedWithoutLand, 1);
    EXPECT_FALSE(fs::exists(folder / "out" / "Sea.jpg"));

    // A folder that does not exist: the failure is reported, nothing is written.
    settings.onlyIfLand = false;
    settings.outputDirectory = (folder / "missing").string();
    const ViewExportResult failed = ExportSavedViews({&sea}, settings, doc.world, light, 1, nullptr, noDrawings);
    EXPECT_EQ(failed.imagesWritten, 0);
    ASSERT_EQ(failed.failures.size(), 1u);
    EXPECT_EQ(failed.failures[0], (folder / "missing" / "Sea.jpg").string());
}
