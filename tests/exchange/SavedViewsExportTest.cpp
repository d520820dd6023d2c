// Export As PW2 of saved views: one drawing per view named after it, the definition read
// first, and the two messages of the export.
#include "exchange/SavedViewsExport.h"

#include "base/Progress.h"
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

} // namespace

TEST(SavedViewsExport, DrawingsPerViewAndMessages)
{
    const ProgressHooks previous = SetProgressHooks(SilentProgressHooks());
    CKVDoc doc;
    RecalculateWorld(doc.GetWorld());
    GetShaderRegistry().Init(&doc.GetWorld(), &doc.GetViewSettings().light);
    const fs::path dir = fs::temp_directory_path() / ("kv-views-" + std::to_string(::getpid()));
    fs::create_directories(dir / "out");
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
    s.definitionName = "plain";

    MessageRecorder messages;
    EXPECT_EQ(ExportSavedViews(doc, {&a, &b}, s, dir.string()), 0);
    EXPECT_TRUE(messages.texts.empty());
    for (const char* name : {"north.fcw", "east.fcw"}) {
        const fcwtest::Drawing d = fcwtest::Read(ReadBytes(dir / "out" / name), 7000);
        EXPECT_TRUE(d.problems.empty()) << name;
        EXPECT_EQ(d.Of(129).size(), 1u) << name;
    }

    s.definitionName = "missing";
    EXPECT_EQ(ExportSavedViews(doc, {&a}, s, dir.string()), -1);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Error reading export def file " + (dir / "missing.xpt").string());

    s.definitionName = "plain";
    s.outputDirectory = (dir / "no-such-folder").string();
    EXPECT_EQ(ExportSavedViews(doc, {&a}, s, dir.string()), -2);
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[1], "Error writing file " + (dir / "no-such-folder" / "north.fcw").string());

    ShaderRegistry::Destroy();
    SetProgressHooks(previous);
    fs::remove_all(dir);
}
