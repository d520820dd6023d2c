#include "base/AppSettings.h"
#include "base/raster/ImageCodecs.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "exchange/ExportDialogs.h"
#include "exchange/IcosahedralNet.h"
#include "exchange/SaveAs.h"
#include "exchange/SpinSequence.h"
#include "exchange/VRMLScene.h"
#include "exchange/ViewPicture.h"
#include "exchange/WorldImages.h"
#include "projection/ProjectionParms.h"
#include "view/CRawImage.h"
#include "world/RiverVectorOverlay.h"
#include "world/SurfaceSampler.h"

#include "DocumentFixtures.h"
#include "OutsideTools.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

// Answers the export dialogs from the test: OK with the values set here, or Cancel.
struct ScriptedDialogs : ExportDialogs {
    ScriptedDialogs() { m_previous = SetExportDialogs(this); }
    ~ScriptedDialogs() override { SetExportDialogs(m_previous); }

    bool SaveFile(SaveFileRequest& request, std::string& path) override
    {
        asked = request;
        if (!ok)
            return false;
        path = chosenPath;
        request.filterIndex = chosenIndex;
        return true;
    }
    bool ImageSaveParameters(ImageSaveParms& parms, int withQuality) override
    {
        shownParms = parms;
        qualityFlag = withQuality;
        parms = pictureParms;
        return ok;
    }
    bool SpecialMDRParameters(const std::string& caption, int& width, bool& sixteenBit) override
    {
        mdrCaption = caption;
        shownWidth = width;
        width = mdrWidth;
        sixteenBit = mdrSixteen;
        return ok;
    }
    bool VRMLFile(std::string& path, int& width) override
    {
        path = chosenPath;
        width = mdrWidth;
        return ok;
    }
    bool WorldImageFile(const std::string& title, bool, WorldImageSettings& settings) override
    {
        worldTitle = title;
        settings = world;
        return ok;
    }
    bool SpinFile(SpinSettings& settings) override
    {
        shownSpin = settings;
        settings = spin;
        return ok;
    }

    bool ok = true;
    std::string chosenPath;
    int chosenIndex = 1;
    ImageSaveParms pictureParms;
    int mdrWidth = 64;
    bool mdrSixteen = false;
    WorldImageSettings world;
    SpinSettings spin;

    SaveFileRequest asked;
    ImageSaveParms shownParms;
    int qualityFlag = -1;
    std::string mdrCaption;
    int shownWidth = 0;
    std::string worldTitle;
    SpinSettings shownSpin;

private:
    ExportDialogs* m_previous = nullptr;
};

std::string Identify(const std::string& path, const char* format = "%m %w %h")
{
    const ToolRun run = RunTool(std::string("identify -format '") + format + "' '" + path + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

bool SamePixels(const VideoBuffer& a, const VideoBuffer& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return false;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if ((a.GetPixel(x, y) & 0xFFFFFF) != (b.GetPixel(x, y) & 0xFFFFFF))
                return false;
    return true;
}

VideoBuffer LoadPicture(const std::string& path)
{
    VideoBuffer picture;
    std::string error;
    EXPECT_EQ(ReadImageFile(path, picture, error), 0) << error;
    return picture;
}

class WorldExportCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(doc.OnNewDocument());
        WorldImageMemory() = WorldImageSettings();
        SpinMemory() = SpinSettings();
        SpecialMDRMemory() = SpecialMDRSettings();
    }
    DocumentEnvironment env;
    CKVDoc doc;
    ActiveDocument active{&doc};
    ScriptedDialogs dialogs;
    MessageRecorder messages;
    ScratchFolder dir;
};

} // namespace

TEST(SaveAsStart, TypeAndExtensionFromTheLastPath)
{
    const struct {
        const char* last;
        const char* extension;
        int index;
    } cases[] = {
        {"/d/world.png", ".png", 4}, {"", ".kvw", 1},        {"/d/world", ".kvw", 1},
        {"/d/a.mdr", ".mdr", 5},     {"/d/a.raw", ".raw", 7}, {"/d/a.PNG", ".PNG", 1},
        {"/d/v1.2/globe", ".kvw", 1}, {"/d/a.jpg", ".jpg", 3}, {"/d/a.txt", ".txt", 1},
    };
    for (const auto& c : cases) {
        const SaveAsStart start = SaveAsStartFor(c.last);
        EXPECT_EQ(start.defaultExtension, c.extension) << c.last;
        EXPECT_EQ(start.filterIndex, c.index) << c.last;
    }
    EXPECT_EQ(SaveAsFilter(),
              "Kelvane Files (*.kvw)|*.kvw|BMP Picture Files (*.bmp)|*.bmp|JPEG Picture Files (*.jpg)|*.jpg|"
              "PNG Files (*.png)|*.png|Corvel MDR Files (*.mdr)|*.mdr|Special MDR File (*.mdr)|*.mdr|"
              "Raw Binary File (*.raw)|*.raw||");
}

TEST_F(WorldExportCommands, SaveAsWritesEachType)
{
    REQUIRE_TOOL("identify");
    env.settings.WriteString("Settings", "Save", "/old/place.png");
    dialogs.pictureParms = {80, 40, 0, 85};
    const struct {
        int type;
        const char* name;
        const char* identified;
        int qualityFlag;
    } pictures[] = {{2, "view.bmp", "BMP3 80 40", 0}, {3, "view.jpg", "JPEG 80 40", 1}, {4, "view.png", "PNG 80 40", 1}};
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.name);
        dialogs.chosenPath = dir / p.name;
        dialogs.chosenIndex = p.type;
        SaveWorldAs(doc);
        EXPECT_EQ(Identify(dir / p.name), p.identified);
        EXPECT_EQ(dialogs.qualityFlag, p.qualityFlag);
    }
    EXPECT_EQ(dialogs.asked.title, "Save Current View As File");
    EXPECT_EQ(Identify(dir / "view.jpg", "%Q"), "85");
    EXPECT_EQ(env.settings.GetInt("Info", "ImgW", 0), 80);
    EXPECT_EQ(env.settings.GetInt("Info", "ImgQ", 0), 85);

    // The MDR raster of the view: the CRVL header and the picture's size.
    dialogs.chosenPath = dir / "view.mdr";
    dialogs.chosenIndex = 5;
    SaveWorldAs(doc);
    EXPECT_EQ(ReadBytes(dir / "view.mdr").size(), 1024u + 80 * 40 * 4);

    // Special MDR (type 6) and raw (type 7) with the kept width and 16-bit choice.
    dialogs.chosenPath = dir / "world.mdr";
    dialogs.chosenIndex = 6;
    dialogs.mdrWidth = 64;
    dialogs.mdrSixteen = true;
    SaveWorldAs(doc);
    EXPECT_EQ(dialogs.mdrCaption, "Special MDR Export");
    EXPECT_EQ(dialogs.shownWidth, 8192);
    EXPECT_EQ(ReadBytes(dir / "world.mdr").size(), 5120u);
    dialogs.chosenPath = dir / "world.raw";
    dialogs.chosenIndex = 7;
    SaveWorldAs(doc);
    EXPECT_EQ(dialogs.mdrCaption, "Raw File Export");
    EXPECT_EQ(dialogs.shownWidth, 64);
    EXPECT_EQ(ReadBytes(dir / "world.raw").size(), 4096u);

    // The document itself.
    dialogs.chosenPath = dir / "world.kvw";
    dialogs.chosenIndex = 1;
    SaveWorldAs(doc);
    EXPECT_EQ(doc.GetPathName(), dir / "world.kvw");
    EXPECT_TRUE(std::filesystem::exists(dir / "world.kvw"));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(WorldExportCommands, SaveAsStartsFromTheLastPathAndReportsFailures)
{
    env.settings.WriteString("Settings", "Save", "/old/place.png");
    dialogs.ok = false;
    SaveWorldAs(doc);
    EXPECT_EQ(dialogs.asked.initialPath, "/old/place.png");
    EXPECT_EQ(dialogs.asked.defaultExtension, ".png");
    EXPECT_EQ(dialogs.asked.filterIndex, 4);
    EXPECT_EQ(env.settings.GetString("Settings", "Save", ""), "/old/place.png");

    // The path is kept before writing, also when the writing fails.
    dialogs.ok = true;
    dialogs.pictureParms = {40, 20, 0, 75};
    dialogs.chosenPath = dir / "missing/view.bmp";
    dialogs.chosenIndex = 2;
    SaveWorldAs(doc);
    EXPECT_EQ(env.settings.GetString("Settings", "Save", ""), dir / "missing/view.bmp");
    dialogs.chosenPath = dir / "view.xyz";
    dialogs.chosenIndex = 9;
    SaveWorldAs(doc);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Error writing file " + (dir / "missing/view.bmp"),
                                                        "Don't know how to save that sort of file"}));
}

TEST(SaveAsType, TheTypedExtensionDecidesAndABareNameTakesTheFilters)
{
    const struct {
        const char* chosen;
        int filter;
        const char* path;
        int type;
    } cases[] = {
        {"/d/typed.png", 7, "/d/typed.png", 4},   {"/d/typed.PNG", 1, "/d/typed.PNG", 4},
        {"/d/w.kvw", 2, "/d/w.kvw", 1},           {"/d/p.jpeg", 2, "/d/p.jpeg", 3},
        {"/d/bare", 4, "/d/bare.png", 4},         {"/d/bare.", 3, "/d/bare.jpg", 3},
        {"/d/v1.2/bare", 7, "/d/v1.2/bare.raw", 7}, {"/d/x.mdr", 6, "/d/x.mdr", 6},
        {"/d/x.mdr", 2, "/d/x.mdr", 5},           {"/d/x.dat", 7, "/d/x.dat", 7},
        {"/d/bare", 9, "/d/bare", 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        std::string path = c.chosen;
        EXPECT_EQ(SaveAsTypeFor(path, c.filter), c.type);
        EXPECT_EQ(path, c.path);
    }
}

TEST_F(WorldExportCommands, SaveAsWritesWhatTheNameSaysAndNamesTheFileTried)
{
    REQUIRE_TOOL("identify");
    dialogs.pictureParms = {40, 20, 0, 75};
    // A ".png" typed under the raw filter is a PNG picture, not raw samples.
    dialogs.chosenPath = dir / "typed.png";
    dialogs.chosenIndex = 7;
    SaveWorldAs(doc);
    EXPECT_EQ(Identify(dir / "typed.png"), "PNG 40 20");
    // The picture dialog is told the main view's map size for its proportions.
    EXPECT_EQ(dialogs.shownParms.mainWidth, doc.GetSampler()->Width());
    EXPECT_EQ(dialogs.shownParms.mainHeight, doc.GetSampler()->Height());
    // A bare name takes the filter's extension.
    dialogs.chosenPath = dir / "bare";
    dialogs.chosenIndex = 3;
    SaveWorldAs(doc);
    EXPECT_EQ(Identify(dir / "bare.jpg"), "JPEG 40 20");
    EXPECT_FALSE(std::filesystem::exists(dir / "bare"));
    EXPECT_EQ(env.settings.GetString("Settings", "Save", ""), dir / "bare.jpg");
    // A failure names the file that was tried.
    dialogs.chosenPath = dir / "missing/view";
    dialogs.chosenIndex = 4;
    SaveWorldAs(doc);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Error writing file " + (dir / "missing/view.png")});

    // Widths of 0 and 100000 pixels are refused with a message; nothing is written.
    messages.texts.clear();
    for (int width : {0, 100000}) {
        dialogs.pictureParms = {width, 20, 0, 75};
        dialogs.chosenPath = dir / ("wide" + std::to_string(width) + ".png");
        SaveWorldAs(doc);
        EXPECT_FALSE(std::filesystem::exists(dialogs.chosenPath));
    }
    EXPECT_EQ(messages.texts,
              std::vector<std::string>(2, "The picture's width and height must lie between 1 and 65500 pixels."));
    EXPECT_EQ(env.settings.GetInt("Info", "ImgW", 0), 40);
}

TEST_F(WorldExportCommands, VRMLSceneWithItsTexture)
{
    REQUIRE_TOOL("identify");
    REQUIRE_TOOL("tovrmlx3d");
    ASSERT_EQ(WriteVRMLScene(doc, dir / "globe.wrl", 128), 0);
    EXPECT_EQ(Identify(dir / "globe.jpg", "%m %w %h %Q"), "JPEG 128 64 75");
    EXPECT_EQ(ReadBytes(dir / "globe.wrl"), [] {
        const std::string text = VRMLSceneText("globe.jpg");
        return std::vector<uint8_t>(text.begin(), text.end());
    }());
    const ToolRun run = RunTool("tovrmlx3d --encoding=classic '" + dir / "globe.wrl" + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("url \"globe.jpg\""), std::string::npos);

    // A texture that cannot be written: reported, and no scene.
    EXPECT_LT(WriteVRMLScene(doc, dir / "missing/globe.wrl", 128), 0);
    // A scene that cannot be written: its message, the texture stays.
    std::filesystem::create_directories(dir.path / "blocked.wrl" / "inside");
    EXPECT_LT(WriteVRMLScene(doc, dir / "blocked.wrl", 64), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "blocked.jpg"));
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Error writing file " + (dir / "missing/globe.jpg"),
                                                        "Unable to write to file\n\"" + (dir / "blocked") + "\""}));
}

TEST_F(WorldExportCommands, SphereMapAndIcosahedralNet)
{
    REQUIRE_TOOL("identify");
    dialogs.world.path = dir / "globe.bmp";
    dialogs.world.width = 256;
    dialogs.world.background = 0x00FF00FF;
    SaveSphereMapCommand(doc);
    EXPECT_EQ(dialogs.worldTitle, "Save Sphere Map Image");
    EXPECT_EQ(Identify(dir / "globe.bmp"), "BMP3 256 128");
    EXPECT_EQ(WorldImageMemory().width, 256);

    CRawImage sphere;
    ASSERT_EQ(doc.RenderWorldImage(256, sphere, -1), 0);
    EXPECT_TRUE(SamePixels(LoadPicture(dir / "globe.bmp"), sphere.ColorBuffer()));

    // The net from the same render, stretched and remapped.
    SaveIcosahedralCommand(doc);
    EXPECT_EQ(dialogs.worldTitle, "Save Icosahedral Image");
    VideoBuffer net(256, IcosahedralNetHeight(256));
    ASSERT_TRUE(StretchToNet(sphere.ColorBuffer(), net));
    ASSERT_EQ(RemapIcosahedral(net, 0x00FF00FF), 0);
    EXPECT_TRUE(SamePixels(LoadPicture(dir / "globe.bmp"), net));
    EXPECT_EQ(LoadPicture(dir / "globe.bmp").GetPixel(0, 0) & 0xFFFFFF, 0x00FF00FFu);

    // JPEG for a name globe.bmp writes globe.jpg at quality 85.
    dialogs.world.fileType = WorldImageSettings::kJpegType;
    SaveIcosahedralCommand(doc);
    EXPECT_EQ(Identify(dir / "globe.jpg", "%m %w %h %Q"), "JPEG 256 " + std::to_string(net.GetHeight()) + " 85");

    // Cancel keeps the values; an unwritable place is reported.
    dialogs.ok = false;
    dialogs.world.width = 999;
    SaveSphereMapCommand(doc);
    EXPECT_EQ(WorldImageMemory().width, 256);
    dialogs.ok = true;
    dialogs.world.path = dir / "missing/globe";
    SaveSphereMapCommand(doc);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Error writing file " + (dir / "missing/globe.jpg")});
}

TEST_F(WorldExportCommands, SpinSequenceDefaults)
{
    dialogs.spin = SpinSettings();
    dialogs.spin.path = dir / "name.bmp";
    SurfaceSampler* sampler = doc.GetSampler();
    ASSERT_NE(sampler, nullptr);
    ProjectionParms* before = sampler->Projection();
    SaveSpinSequenceCommand(doc);
    EXPECT_EQ(dialogs.shownSpin.size, 192);
    EXPECT_EQ(dialogs.shownSpin.frames, 12);
    EXPECT_EQ(dialogs.shownSpin.background, 0xFFFF00u);
    EXPECT_EQ(sampler->Projection(), before);
    for (int k = 1; k <= 12; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "name%03d.bmp", k);
        EXPECT_EQ(ReadBytes(dir / name).size(), 147510u) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "name013.bmp"));

    // Frame k is one render centred on (0, 30 k), the space around the globe yellow.
    for (int k : {0, 4}) {
        ProjectionParms orthographic;
        orthographic.SetProjection(9);
        orthographic.SetCenter(0.0, 30.0 * k);
        CRawImage frame(sampler);
        frame.SetSize(192, 192);
        frame.SetProjection(&orthographic);
        ASSERT_EQ(frame.Compute(nullptr, true, false), 0);
        PaintSpinFrame(frame.ColorBuffer(), frame.MaskBuffer(), 0xFFFF00, false);
        char name[32];
        std::snprintf(name, sizeof name, "name%03d.bmp", k + 1);
        EXPECT_TRUE(SamePixels(LoadPicture(dir / name), frame.ColorBuffer())) << name;
    }
    // The default background 0xFFFF00 is yellow, read back by an outside reader.
    REQUIRE_TOOL("identify");
    EXPECT_EQ(Identify(dir / "name001.bmp", "%[fx:int(255*p{0,0}.r)] %[fx:int(255*p{0,0}.g)] %[fx:int(255*p{0,0}.b)]"),
              "255 255 0");
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(WorldExportCommands, SpinSequenceCountsNamesAndFailures)
{
    SpinSettings settings;
    settings.size = 40;
    settings.frames = 0;
    settings.path = dir / "one.bmp";
    SaveSpinSequence(doc, settings);
    EXPECT_TRUE(std::filesystem::exists(dir / "one001.bmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "one002.bmp"));

    settings.frames = 3;
    settings.path = dir / "spin.JPEG";
    settings.shaded = true;
    SaveSpinSequence(doc, settings);
    for (const char* name : {"spin001.JPEG", "spin002.JPEG", "spin003.JPEG"})
        EXPECT_EQ(LoadPicture(dir / name).GetWidth(), 40) << name;

    settings.path = dir / "spin.gif";
    SaveSpinSequence(doc, settings);
    settings.path = dir / "missing/spin.bmp";
    SaveSpinSequence(doc, settings);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to determine the extension provided (.gif)",
                                                        "Error writing file " + (dir / "missing/spin001.bmp")}));
}

// A view picture holds what the view shows of the map, whole and centred, scaled to the
// picture: the window's part on the map, fitted to the picture's proportions.
TEST(ViewPicture, ShownRectangleFittedToThePicture)
{
    ProjectionParms equirectangular; // the whole map spans 2 x 1 map units
    const MapRectangle whole = WholeMapRectangle(equirectangular);
    EXPECT_NEAR(whole.Width(), 2.0, 1e-3);
    EXPECT_NEAR(whole.Height(), 1.0, 1e-3);
    // A window whose shorter side spans 2 units holds the whole map (but for the default
    // offset's sliver): the map is shown.
    MapRectangle shown = ShownMapRectangle(equirectangular, 300, 400);
    EXPECT_NEAR(shown.Width(), whole.Width(), 1e-4);
    EXPECT_NEAR(shown.Height(), whole.Height(), 1e-9);
    // Zoomed in (scale 0.25 in a 200 x 100 window): the window, 1 x 0.5 units.
    equirectangular.SetScale(0.25);
    shown = ShownMapRectangle(equirectangular, 200, 100);
    EXPECT_DOUBLE_EQ(shown.Width(), 1.0);
    EXPECT_DOUBLE_EQ(shown.Height(), 0.5);
    const struct {
        double width, height;
        int pictureWidth, pictureHeight;
        double scale;
    } cases[] = {
        {2.0, 1.0, 4096, 2048, 0.5}, {2.0, 1.0, 100, 100, 1.0}, {2.0, 1.0, 400, 100, 0.5},
        {1.0, 2.0, 100, 100, 1.0},   {1.0, 1.0, 300, 100, 0.5},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(FitScale(MapRectangle{0.0, c.width, 0.0, c.height}, c.pictureWidth, c.pictureHeight), c.scale)
            << c.width << "x" << c.height << " in " << c.pictureWidth << "x" << c.pictureHeight;
}

TEST_F(WorldExportCommands, ViewPictureAtZoomExtentsIsTheWholeMap)
{
    REQUIRE_TOOL("identify");
    // The first view at Zoom Extents, Equirectangular: a 2:1 picture is the map, edge to
    // edge, with no pixel off it.
    ASSERT_NE(doc.GetSampler(), nullptr);
    ASSERT_DOUBLE_EQ(doc.GetSampler()->Projection()->GetScale(), 1.0);
    dialogs.pictureParms = {256, 128, 0, 75};
    dialogs.chosenPath = dir / "view.png";
    dialogs.chosenIndex = 4;
    SaveWorldAs(doc);
    EXPECT_EQ(Identify(dir / "view.png", "%w %h %[fx:int(255*minima.a)]"), "256 128 255");
    EXPECT_TRUE(messages.texts.empty());
}

// The whole-world image has no dead column: the seam of the map falls just left of column
// 0, which takes column 1's cells, so the MDR's first samples hold altitudes (read by GDAL
// through a sidecar header), the PNG's first column is opaque and the BMP reads as opaque
// (its fourth bytes are 255) to ImageMagick.
TEST_F(WorldExportCommands, WholeWorldOutputsHaveNoDeadColumn)
{
    REQUIRE_TOOL("identify");
    REQUIRE_TOOL("gdallocationinfo");
    // A river drawn over the terrain, as the rivers' pixels carried a fourth byte of 255.
    RiverPath river;
    river.points = {{10.0, -20.0}, {15.0, 0.0}, {20.0, 30.0}};
    river.colour = 0x00FF0000;
    doc.GetRivers().rivers.push_back(river);
    CRawImage world;
    ASSERT_EQ(doc.RenderWorldImage(64, world, -1), 0);
    ASSERT_EQ(world.SaveMDR(dir / "world.mdr"), 0);
    ASSERT_EQ(world.SavePNG(dir / "world.png", false), 0);
    ASSERT_EQ(world.SaveBMP(dir / "world.bmp", false), 0);
    WriteText(dir / "world.hdr", "BYTEORDER I\nLAYOUT BIL\nNROWS 32\nNCOLS 64\nNBANDS 1\nNBITS 32\n"
                                 "PIXELTYPE FLOAT\nSKIPBYTES 1024\n");
    auto sample = [&](int col, int row) {
        const ToolRun run = RunTool("gdallocationinfo -valonly '" + (dir / "world.mdr") + "' " + std::to_string(col) +
                                    " " + std::to_string(row));
        EXPECT_EQ(run.status, 0) << run.err;
        return std::stod(run.out);
    };
    for (int row : {0, 10, 16, 31}) {
        SCOPED_TRACE(row);
        EXPECT_NE(sample(0, row), 0.0);
        EXPECT_EQ(sample(0, row), sample(1, row));
    }
    for (int row : {0, 16, 31})
        EXPECT_EQ(Identify(dir / "world.png", ("%[fx:int(255*p{0," + std::to_string(row) + "}.a)]").c_str()), "255");
    EXPECT_EQ(Identify(dir / "world.png", "%[fx:int(255*minima.a)]"), "255");
    EXPECT_EQ(Identify(dir / "world.bmp", "%[opaque]"), Identify(dir / "world.png", "%[opaque]"));
    EXPECT_EQ(Identify(dir / "world.bmp", "%[fx:int(255*minima.a)]"), "255");
}
