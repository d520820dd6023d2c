// The Skyloom template drawing: its size and picture record, the reference and drawing
// names, and the messages when it cannot be written.
#include "exchange/SkyloomTemplate.h"

#include "base/raster/ImageCodecs.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "exchange/ExportDialogs.h"
#include "exchange/FCWBuiltins.h"
#include "exchange/IcosahedralNet.h"
#include "exchange/WorldImages.h"
#include "exchange/FCWRecords.h"

#include "DocumentFixtures.h"
#include "OutsideTools.h"
#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace kv;

namespace {

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct WorldImageAnswer : ExportDialogs {
    WorldImageAnswer() { m_previous = SetExportDialogs(this); }
    ~WorldImageAnswer() override { SetExportDialogs(m_previous); }
    bool WorldImageFile(const std::string& t, bool icosahedral, WorldImageSettings& settings) override
    {
        title = t;
        shownPath = settings.path;
        shownFilter = settings.filter;
        shownExtension = settings.defaultExtension;
        EXPECT_TRUE(icosahedral);
        settings.path = path;
        settings.width = 64;
        return ok;
    }
    std::string path, title, shownPath, shownFilter, shownExtension;
    bool ok = true;

private:
    ExportDialogs* m_previous = nullptr;
};

} // namespace

TEST(SkyloomTemplate, CommandWritesTheNetAndItsDrawing)
{
    DocumentEnvironment env;
    CKVDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    ActiveDocument active{&doc};
    ScratchFolder scratch;
    MessageRecorder messages;
    WorldImageAnswer dialog;
    WorldImageMemory() = WorldImageSettings();
    WorldImageMemory().background = 0x00FF00;
    dialog.path = scratch / "sky.fcw";
    ASSERT_EQ(ExportSkyloomTemplateCommand(doc), 0);
    EXPECT_EQ(dialog.title, "Export PW2 File based on Skyloom Pro Template");
    // The dialog offers the drawing, not the picture types.
    EXPECT_EQ(dialog.shownFilter, "Plotwright 2 Files (*.fcw)|*.fcw|All Files (*.*)|*.*||");
    EXPECT_EQ(dialog.shownExtension, ".fcw");
    EXPECT_TRUE(messages.texts.empty());
    // The chosen file itself, with no second one beside it in the other case.
    EXPECT_FALSE(std::filesystem::exists(scratch / "sky.FCW"));
    EXPECT_EQ(ReadAll(scratch / "sky.fcw").size(), 108520u);
    // The picture is the icosahedral command's, on its kept background.
    WorldImageSettings plain = WorldImageMemory();
    plain.path = scratch / "ref.bmp";
    plain.width = 64;
    ASSERT_EQ(WriteWorldImage(doc, plain, true), 0);
    const std::vector<uint8_t> sky = ReadAll(scratch / "sky.bmp"), ref = ReadAll(scratch / "ref.bmp");
    EXPECT_FALSE(sky.empty());
    EXPECT_EQ(sky, ref);

    // The next dialog starts from the last path; a picture that cannot be saved stops it.
    dialog.path = scratch / "none/sky.fcw";
    ASSERT_LT(ExportSkyloomTemplateCommand(doc), 0);
    EXPECT_EQ(dialog.shownPath, scratch / "sky.fcw");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Error writing file " + scratch / "none/sky.bmp");
    EXPECT_FALSE(std::filesystem::exists(scratch / "none"));
    WorldImageMemory() = WorldImageSettings();
}

TEST(SkyloomTemplate, DrawingOfOnePictureReference)
{
    ScratchFolder scratch;
    MessageRecorder messages;
    ASSERT_EQ(WriteSkyloomTemplate(scratch / "m.bmp"), 0);
    const std::vector<uint8_t> b = ReadAll(scratch / "m.FCW");
    ASSERT_EQ(b.size(), 108518u); // 36,197 + 59 + "$m.bmp" + 72,256
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(std::string(b.begin(), b.begin() + 34), "FCW (FastCAD for Windows) 6.12  \r\n");
    EXPECT_EQ(fcw::CheckTemplate(b), "");
    const uint8_t* r = b.data() + 36197;
    EXPECT_EQ(fcw::GetU32(r), 65u);
    const uint8_t bytes[] = {4, 0, 0, 1, 1, 0};
    EXPECT_EQ(std::memcmp(r + 4, bytes, 6), 0);
    EXPECT_EQ(fcw::GetI16(r + 12), 1);
    EXPECT_EQ(fcw::GetU32(r + 24), 14331u);
    EXPECT_EQ(fcw::GetI16(r + 28), 32);
    EXPECT_EQ(fcw::GetU32(r + 30), 33u);
    EXPECT_EQ(fcw::GetF32(r + 42), 49.5f);
    EXPECT_EQ(fcw::GetU32(r + 46), 0x41BB0F76u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 58)), "$m.bmp");
    EXPECT_EQ(r[64], 0);
}

TEST(SkyloomTemplate, NamesOfTheDrawingAndTheReference)
{
    struct Case {
        const char* image;
        const char* drawing;
        const char* reference;
    };
    for (const Case& c : {Case{"m.bmp", "m.FCW", "m.bmp"}, Case{"/d/v1.2/net", "/d/v1.2/net.FCW", "$net"},
                          Case{"/d/x.fcw", "/d/x.fcw", "$x.fcw"}, Case{"/d/x.Fcw", "/d/x.Fcw", "$x.Fcw"}, Case{"a\\b.bmp", "a\\b.FCW", "$b.bmp"},
                          Case{"/d/.net", "/d/.net.FCW", "$.net"}}) {
        EXPECT_EQ(SkyloomDrawingPath(c.image), c.drawing) << c.image;
        EXPECT_EQ(SkyloomReference(c.image), c.reference) << c.image;
    }
}

TEST(SkyloomTemplate, UnwritableDrawingIsReported)
{
    ScratchFolder scratch;
    MessageRecorder messages;
    EXPECT_EQ(WriteSkyloomTemplate(scratch / "none/m.bmp"), -1);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Unable to open output file\n" + scratch / "none/m.FCW");
}
