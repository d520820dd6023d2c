// The Multiple Files export: the pages' exact text, the maps' centres, scales and picture
// sizes, every file of a small atlas (checked by outside readers: tidy, a headless browser
// and ImageMagick), and the messages that stop it.
#include "exchange/MultiFileAtlas.h"

#include "base/Progress.h"
#include "base/raster/ImageCodecs.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "exchange/CFCWImage.h"
#include "exchange/PW2Output.h"
#include "view/CRawImage.h"
#include "world/SurfaceSampler.h"
#include "shading/ShaderRegistry.h"

#include "OutsideTools.h"
#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <map>
#include <set>

using namespace kv;

namespace {

// One level of 3 x 2 maps at 10% overlap under a whole-world root; width 4 means 128.
MultiMapSettings OneLevel()
{
    MultiMapSettings s;
    s.levelCount = 1;
    s.levels[0].columns = 3;
    s.levels[0].rows = 2;
    s.levels[0].overlap = 10.0f;
    s.levels[0].pictureWidth = 4;
    s.levels[0].download = 1;
    s.writeDrawings = true;
    return s;
}

// True when `part` appears somewhere in `whole` at its own size (each channel within 2).
bool ShowsImage(const VideoBuffer& whole, const VideoBuffer& part)
{
    const int pw = part.GetWidth(), ph = part.GetHeight();
    auto near = [](uint32_t a, uint32_t b) {
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 2)
                return false;
        return true;
    };
    for (int y = 0; y + ph <= whole.GetHeight(); ++y)
        for (int x = 0; x + pw <= whole.GetWidth(); ++x) {
            bool same = true;
            for (int j = 0; j < ph && same; ++j)
                for (int i = 0; i < pw && same; ++i)
                    same = near(whole.GetPixel(x + i, y + j), part.GetPixel(i, j));
            if (same)
                return true;
        }
    return false;
}

std::string Head(const std::string& title)
{
    return "<HTML>\n<HEAD>\n<TITLE>" + title + "</TITLE>\n"
           "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=iso-8859-1\">\n"
           "</HEAD>\n<BODY BGCOLOR=#FFFFFF>\n";
}

// Answers the multiple-image dialog with fixed settings.
struct AnswerDialog : MultiImageDialog {
    explicit AnswerDialog(MultiMapSettings s) : answer(std::move(s)) { m_previous = SetMultiImageDialog(this); }
    ~AnswerDialog() override { SetMultiImageDialog(m_previous); }
    bool Run(MultiMapSettings& s) override
    {
        ++calls;
        s = answer;
        return ok;
    }
    MultiMapSettings answer;
    bool ok = true;
    int calls = 0;

private:
    MultiImageDialog* m_previous = nullptr;
};

class AtlasExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hooks = SetProgressHooks(SilentProgressHooks());
        RecalculateWorld(doc.GetWorld());
        GetShaderRegistry().Init(&doc.GetWorld(), &doc.GetViewSettings().light);
        source.document = &doc;
        source.projection = doc.GetViewSettings().projection;
        source.projection.SetScale(1.0);
        source.light = doc.GetViewSettings().light;
        source.shaderId = doc.GetViewSettings().shaderId;
        source.definitionFolder = scratch.path.string();
        PW2Output plain;
        plain.altContoursOn = 0;
        plain.tempContoursOn = 0;
        plain.seaOnList = 0;
        plain.grid.shown = 0;
        ASSERT_EQ(plain.SaveToFile(scratch / "plain.xpt"), 0);
        GetMultiMapSettings() = MultiMapSettings();
    }
    void TearDown() override
    {
        SetProgressHooks(m_hooks);
        ShaderRegistry::Destroy();
        GetMultiMapSettings() = MultiMapSettings();
    }
    MultiMapSettings Atlas(const std::string& folder)
    {
        MultiMapSettings s = OneLevel();
        s.outputFolder = folder;
        s.writePictures = true;
        s.writePages = true;
        s.picturesAsJpeg = false;
        // No navigation switch (the dialog has none): the pages bring their buttons.
        s.levels[0].definition = "plain";
        return s;
    }

    ScratchFolder scratch;
    CKVDoc doc;
    AtlasSource source;
    ProgressHooks m_hooks;
};

} // namespace

TEST(MultiFileAtlas, RootPageOfOneLevelIsExact)
{
    MultiMapSettings s = OneLevel();
    PlaceAtlasMap(s, 0, 0, -1);
    const std::string expected =
        Head("A000000") +
        "<A><IMG SRC=\"dp.gif\" ALT=\"Map Parent\" BORDER=0 WIDTH=36 HEIGHT=32></A>\n"
        "<A><IMG SRC=\"dl.gif\" ALT=\"Map Left\" BORDER=0 WIDTH=32 HEIGHT=32></A>\n"
        "<A><IMG SRC=\"dr.gif\" ALT=\"Map Right\" BORDER=0 WIDTH=32 HEIGHT=32></A>\n"
        "<A><IMG SRC=\"du.gif\" ALT=\"Map Above\" BORDER=0 WIDTH=32 HEIGHT=32></A>\n"
        "<A><IMG SRC=\"dd.gif\" ALT=\"Map Below\" BORDER=0 WIDTH=32 HEIGHT=32></A>\n"
        "<A HREF=\"A000000.fcw\"><IMG SRC=\"ac.gif\" ALT=\"Download PW2 File\" BORDER=0 WIDTH=80 HEIGHT=32></A>\n"
        "<P>\n<MAP NAME=\"ImageMap1\">\n"
        "<AREA SHAPE=\"rect\" ALT=\"Submap 0,0\" COORDS=\"0,0,42,32\" HREF=\"B000000.html\">\n"
        "<AREA SHAPE=\"rect\" ALT=\"Submap 1,0\" COORDS=\"42,0,85,32\" HREF=\"B001000.html\">\n"
        "<AREA SHAPE=\"rect\" ALT=\"Submap 2,0\" COORDS=\"85,0,128,32\" HREF=\"B002000.html\">\n"
        "<AREA SHAPE=\"rect\" ALT=\"Submap 0,1\" COORDS=\"0,32,42,64\" HREF=\"B000001.html\">\n"
        "<AREA SHAPE=\"rect\" ALT=\"Submap 1,1\" COORDS=\"42,32,85,64\" HREF=\"B001001.html\">\n"
        "<AREA SHAPE=\"rect\" ALT=\"Submap 2,1\" COORDS=\"85,32,128,64\" HREF=\"B002001.html\">\n"
        "</MAP>\n"
        "<IMG SRC=\"A000000.jpg\" WIDTH=128 HEIGHT=64 BORDER=0 USEMAP=\"#ImageMap1\">\n"
        "</BODY>\n</HTML>\n";
    EXPECT_EQ(FormatMultiMapPage(s), expected);
    EXPECT_EQ(s.columns, 1);
    EXPECT_EQ(s.mapScale, 0.5);
    // The atlas's title, when it has one, names the pages (as text of the page).
    s.title = "Isles & <Seas>";
    EXPECT_NE(FormatMultiMapPage(s).find("<TITLE>Isles &amp; &lt;Seas&gt;</TITLE>"), std::string::npos);
}

TEST(MultiFileAtlas, FirstMapOfTheLevelLinksItsParentAndNeighbours)
{
    MultiMapSettings s = OneLevel();
    s.levels[0].download = 0;
    PlaceAtlasMap(s, 0, 0, 0);
    const std::string expected =
        Head("B000000") +
        "<A HREF=\"A000000.html\"><IMG SRC=\"ap.gif\" ALT=\"Map Parent\" BORDER=0 WIDTH=36 HEIGHT=32></A>\n"
        "<A><IMG SRC=\"dl.gif\" ALT=\"Map Left\" BORDER=0 WIDTH=32 HEIGHT=32></A>\n"
        "<A HREF=\"B001000.html\"><IMG SRC=\"ar.gif\" ALT=\"Map Right\" BORDER=0 WIDTH=32 HEIGHT=32></A>\n"
        "<A><IMG SRC=\"du.gif\" ALT=\"Map Above\" BORDER=0 WIDTH=32 HEIGHT=32></A>\n"
        "<A HREF=\"B000001.html\"><IMG SRC=\"ad.gif\" ALT=\"Map Below\" BORDER=0 WIDTH=32 HEIGHT=32></A>\n"
        "<P>\n"
        "<IMG SRC=\"B000000.jpg\" WIDTH=128 HEIGHT=96 BORDER=0 USEMAP=\"#ImageMap1\">\n"
        "</BODY>\n</HTML>\n";
    EXPECT_EQ(FormatMultiMapPage(s), expected);
}

TEST(MultiFileAtlas, RectanglesScalesAndParentsOfTheLevels)
{
    // A root of 2 x 1 map units: a 3 x 2 map spans 2/3 x 1/2, so its scale is half its
    // shorter side, widened by 10%.
    MultiMapSettings s = OneLevel();
    struct Case {
        int column, row;
        double left, top;
    };
    for (const Case& c : {Case{0, 0, -1.0, 0.5}, Case{2, 1, 1.0 / 3.0, 0.0}, Case{1, 0, -1.0 / 3.0, 0.5}}) {
        PlaceAtlasMap(s, c.column, c.row, 0);
        EXPECT_DOUBLE_EQ(s.left, c.left);
        EXPECT_DOUBLE_EQ(s.right, c.left + 2.0 / 3.0);
        EXPECT_DOUBLE_EQ(s.top, c.top);
        EXPECT_DOUBLE_EQ(s.bottom, c.top - 0.5);
        EXPECT_DOUBLE_EQ(s.mapScale, 0.275);
        EXPECT_EQ(s.columns, 3);
        EXPECT_EQ(s.rows, 2);
    }
    // A second level of 2 x 2: map (5, 3) of 6 x 4 has parent (2, 1) of the first level.
    s.levelCount = 2;
    s.levels[1].columns = 2;
    s.levels[1].rows = 2;
    s.levels[1].overlap = 0.0f;
    s.levels[1].pictureWidth = 200;
    PlaceAtlasMap(s, 5, 3, 1);
    EXPECT_DOUBLE_EQ(s.mapScale, 0.125); // 2/6 x 1/4 map units
    const std::string page = FormatMultiMapPage(s);
    EXPECT_NE(page.find("<A HREF=\"B002001.html\"><IMG SRC=\"ap.gif\""), std::string::npos) << page;
    EXPECT_NE(page.find("<A><IMG SRC=\"dr.gif\""), std::string::npos);
    EXPECT_NE(page.find("<A><IMG SRC=\"dd.gif\""), std::string::npos);
    int w = 0, h = 0;
    AtlasPictureSize(s, w, h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 150); // 200 x (1/4) / (2/6)
}

TEST(MultiFileAtlas, LevelCountsThatRepeatNamesAreRefused)
{
    MultiMapSettings s = OneLevel();
    EXPECT_EQ(CheckAtlasLevels(s), "");
    s.levels[0].rows = 0;
    EXPECT_NE(CheckAtlasLevels(s), "");
    s = OneLevel();
    s.levelCount = 3;
    for (int i = 0; i < 3; ++i)
        s.levels[i].columns = 32;
    EXPECT_EQ(CheckAtlasLevels(s), ""); // 32768 across
    s.levels[2].columns = 33;
    EXPECT_NE(CheckAtlasLevels(s), "");
}

TEST_F(AtlasExportTest, WritesEveryMapButtonAndPageThatOutsideReadersAccept)
{
    const std::string out = scratch / "atlas";
    AnswerDialog dialog(Atlas(" \t" + out + "/// "));
    MessageRecorder messages;
    ASSERT_EQ(ExportMultipleFiles(source), 0);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(GetMultiMapSettings().outputFolder, out);

    std::vector<std::string> pages = {"A000000"};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            pages.push_back(FormatLinkName(c, r, 0));
    for (const std::string& p : pages)
        for (const char* ext : {".fcw", ".bmp", ".html"})
            EXPECT_TRUE(std::filesystem::exists(out + "/" + p + ext)) << p << ext;
    const char* files[] = {"p", "l", "r", "u", "d", "c"};
    const int widths[] = {36, 32, 32, 32, 32, 80};
    for (int i = 0; i < 6; ++i)
        for (const char* form : {"a", "d"}) {
            VideoBuffer image;
            std::string error;
            const std::string path = out + "/" + form + files[i] + ".gif";
            ASSERT_EQ(ReadGifFile(path, image, error), 0) << path << error;
            EXPECT_EQ(image.GetWidth(), widths[i]);
            EXPECT_EQ(image.GetHeight(), 32);
        }
    VideoBuffer picture;
    std::string error;
    ASSERT_EQ(ReadImageFile(out + "/B000000.bmp", picture, error), 0);
    EXPECT_EQ(picture.GetWidth(), 128);
    EXPECT_EQ(picture.GetHeight(), 96);

    // ImageMagick reads the pictures and buttons.
    REQUIRE_TOOL("identify");
    const ToolRun id = RunTool("identify " + out + "/*.gif " + out + "/*.bmp");
    EXPECT_EQ(id.status, 0) << id.err;

    // tidy: only the old-fashioned markup the pages are made of is warned about.
    REQUIRE_TOOL("tidy");
    for (const std::string& p : pages) {
        const ToolRun t = RunTool("tidy -q -e " + out + "/" + p + ".html");
        EXPECT_EQ(t.status, 1) << p << t.err;
        std::istringstream lines(t.err);
        for (std::string line; std::getline(lines, line);)
            EXPECT_TRUE(line.find("DOCTYPE") != std::string::npos || line.find("alt") != std::string::npos ||
                        line.find("bgcolor") != std::string::npos)
                << p << ": " << line;
    }

    // A headless browser: a crawl from the root reaches every page, and every link and
    // picture it finds names a written file.
    REQUIRE_TOOL("chromium");
    const std::string browser = "chromium --headless --no-sandbox --disable-gpu --no-first-run "
                                "--disable-background-networking --disable-component-update --disable-sync ";
    std::set<std::string> seen, queue = {"A000000.html"};
    const std::regex attribute("(href|src)=\"([^\"]*)\"", std::regex::icase);
    while (!queue.empty()) {
        const std::string page = *queue.begin();
        queue.erase(queue.begin());
        seen.insert(page);
        const ToolRun dom = RunTool(browser + "--dump-dom file://" + out + "/" + page);
        ASSERT_EQ(dom.status, 0) << dom.err;
        for (std::sregex_iterator m(dom.out.begin(), dom.out.end(), attribute), end; m != end; ++m) {
            const std::string target = (*m)[2].str();
            if (target.rfind("#", 0) == 0)
                continue;
            EXPECT_TRUE(std::filesystem::exists(out + "/" + target)) << page << " -> " << target;
            if (target.size() > 5 && target.substr(target.size() - 5) == ".html" && !seen.count(target))
                queue.insert(target);
        }
    }
    EXPECT_EQ(seen.size(), pages.size());

    // The browser's picture of the first map's page holds its map picture and every button
    // image it names, pixel for pixel as written.
    const std::string shot = scratch / "shot.png";
    const ToolRun screen = RunTool(browser + "--hide-scrollbars --force-device-scale-factor=1 "
                                             "--force-color-profile=srgb --window-size=480,240 --screenshot=" +
                                   shot + " file://" + out + "/B000000.html");
    ASSERT_EQ(screen.status, 0) << screen.err;
    VideoBuffer shown;
    ASSERT_EQ(ReadImageFile(shot, shown, error), 0) << error;
    const std::vector<uint8_t> bytes = ReadBytes(out + "/B000000.html");
    const std::string page(bytes.begin(), bytes.end());
    const std::regex image("SRC=\"([^\"]*)\"");
    int images = 0;
    for (std::sregex_iterator m(page.begin(), page.end(), image), end; m != end; ++m, ++images) {
        VideoBuffer written;
        ASSERT_EQ(ReadImageFile(out + "/" + (*m)[1].str(), written, error), 0) << error;
        EXPECT_TRUE(ShowsImage(shown, written)) << (*m)[1].str();
    }
    EXPECT_EQ(images, 7); // five navigation buttons, the download button and the map
}

TEST_F(AtlasExportTest, StopsWithItsMessages)
{
    MessageRecorder messages;
    {
        // Cancel changes nothing.
        AnswerDialog dialog(Atlas(scratch / "never"));
        dialog.ok = false;
        EXPECT_EQ(ExportMultipleFiles(source), 0);
        EXPECT_FALSE(std::filesystem::exists(scratch / "never"));
        EXPECT_EQ(GetMultiMapSettings().outputFolder, "");
    }
    {
        MultiMapSettings s = Atlas(scratch / "zero");
        s.levels[0].columns = 0;
        AnswerDialog dialog(s);
        EXPECT_LT(ExportMultipleFiles(source), 0);
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_FALSE(std::filesystem::exists(scratch / "zero"));
    }
    {
        // A file stands where the folder should be.
        WriteBytes(scratch / "file", {1});
        AnswerDialog dialog(Atlas(scratch / "file"));
        EXPECT_LT(ExportMultipleFiles(source), 0);
        ASSERT_EQ(messages.texts.size(), 2u);
        EXPECT_EQ(messages.texts[1], "Error trying to write a file\nin directory " + scratch / "file" +
                                         "\nThis directory must exist for this command\nto operate correctly.");
    }
    {
        MultiMapSettings s = Atlas(scratch / "nodef");
        s.levels[0].definition = "missing";
        AnswerDialog dialog(s);
        EXPECT_LT(ExportMultipleFiles(source), 0);
        ASSERT_EQ(messages.texts.size(), 4u);
        EXPECT_EQ(messages.texts[2], "Error reading export def file " + scratch / "missing.xpt");
        EXPECT_EQ(messages.texts[3], "Error generating root image, exiting");
    }
    {
        // The root page cannot be written: the export says so and stops.
        std::filesystem::create_directories(scratch / "blocked/A000000.html/x");
        AnswerDialog dialog(Atlas(scratch / "blocked"));
        EXPECT_LT(ExportMultipleFiles(source), 0);
        ASSERT_EQ(messages.texts.size(), 6u);
        EXPECT_EQ(messages.texts[4], "Error writing file " + scratch / "blocked/A000000.html");
        EXPECT_EQ(messages.texts[5], "Error generating root image, exiting");
        EXPECT_FALSE(std::filesystem::exists(scratch / "blocked/B000000.bmp"));
    }
}

namespace {

// Every file of a folder by name with its bytes; a folder by its name and "/".
std::map<std::string, std::vector<uint8_t>> FolderFiles(const std::string& folder)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_directory())
            files[entry.path().filename().string() + "/"] = {};
        else
            files[entry.path().filename().string()] = ReadBytes(entry.path().string());
    return files;
}

int PollEscape()
{
    g_abortValue = kAbortValue;
    return -1;
}

} // namespace

// Several maps made at once on their own threads give the files, the messages and the
// stopping point of one map at a time.
TEST_F(AtlasExportTest, MapsMadeAtOnceMatchOneAtATime)
{
    struct Run {
        int result = 0;
        std::vector<std::string> messages;
        std::map<std::string, std::vector<uint8_t>> files;
    };
    auto run = [&](const std::string& folder, int threads, const std::string& blocked) {
        if (!blocked.empty())
            std::filesystem::create_directories(folder + "/" + blocked + "/x");
        MultiMapSettings s = Atlas(folder);
        s.levelCount = 2;
        s.levels[1] = s.levels[0];
        s.levels[1].columns = 2;
        s.levels[1].rows = 1;
        AnswerDialog dialog(s);
        MessageRecorder recorder;
        source.threads = threads;
        Run r;
        r.result = ExportMultipleFiles(source);
        source.threads = 0;
        r.messages = recorder.texts;
        r.files = FolderFiles(folder);
        return r;
    };
    // 19 maps: the second level's are made while the first level's are written.
    const Run one = run(scratch / "one", 1, "");
    const Run three = run(scratch / "three", 3, "");
    EXPECT_EQ(one.result, 0);
    EXPECT_EQ(three.result, 0);
    EXPECT_TRUE(three.messages.empty());
    EXPECT_EQ(three.files.size(), 19u * 3u + 12u);
    EXPECT_TRUE(three.files == one.files);

    // A page that cannot be written ends the run there: the map's drawing and picture are
    // in place, nothing after it is, and the staging folder is gone.
    const Run oneBlocked = run(scratch / "oneBlocked", 1, "B000001.html");
    const Run threeBlocked = run(scratch / "threeBlocked", 3, "B000001.html");
    EXPECT_EQ(threeBlocked.result, oneBlocked.result);
    ASSERT_EQ(threeBlocked.messages.size(), 1u);
    EXPECT_EQ(threeBlocked.messages[0], "Error writing file " + scratch / "threeBlocked/B000001.html");
    EXPECT_TRUE(threeBlocked.files.count("B000001.bmp"));
    EXPECT_FALSE(threeBlocked.files.count("B000002.fcw"));
    std::set<std::string> oneNames, threeNames;
    for (const auto& f : oneBlocked.files)
        oneNames.insert(f.first);
    for (const auto& f : threeBlocked.files)
        threeNames.insert(f.first);
    EXPECT_EQ(threeNames, oneNames);

    // Esc while the root is being made: no map after it is written, nothing is left staged
    // and the abort is cleared.
    const ProgressHooks quiet = SilentProgressHooks();
    SetProgressHooks({quiet.begin, quiet.end, quiet.step, PollEscape});
    const Run escaped = run(scratch / "escaped", 3, "");
    SetProgressHooks(quiet);
    EXPECT_LT(escaped.result, 0);
    EXPECT_EQ(g_abortValue.load(), 0);
    for (const auto& f : escaped.files)
        EXPECT_TRUE(f.first.rfind("A000000", 0) == 0 || f.first.size() == 6) << f.first; // the root, the buttons
}

namespace {

VideoBuffer ReadPicture(const std::string& path)
{
    VideoBuffer picture;
    std::string error;
    EXPECT_EQ(ReadImageFile(path, picture, error), 0) << path << ": " << error;
    return picture;
}

// The share of the compared pixels whose channels differ by at most 3.
double Agreement(const std::function<bool(int, int, uint32_t&, uint32_t&)>& pair, int width, int height)
{
    long long same = 0, compared = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t a = 0, b = 0;
            if (!pair(x, y, a, b))
                continue;
            ++compared;
            bool near = true;
            for (int shift = 0; shift < 24; shift += 8)
                near = near && std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) <= 3;
            same += near;
        }
    return compared == 0 ? 0.0 : static_cast<double>(same) / static_cast<double>(compared);
}

} // namespace

// Each map of a level shows its own share of its parent: a map of a 2 x 2 division at the
// same picture width is its parent's quarter at twice the resolution, so its even pixels
// are the parent's pixels of that quarter. Checked over three levels in Equirectangular
// and two in Orthographic; the Equirectangular root is the whole world filling its picture,
// as a direct render of the whole world shows it.
TEST_F(AtlasExportTest, EachMapShowsItsShareOfItsParent)
{
    const struct {
        int projection;
        int levels;
    } cases[] = {{2, 3}, {9, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.projection);
        source.projection.SetProjection(c.projection);
        const std::string out = scratch / ("share" + std::to_string(c.projection));
        MultiMapSettings s = Atlas(out);
        s.writeDrawings = false;
        s.levelCount = c.levels;
        for (int i = 0; i < c.levels; ++i) {
            s.levels[i] = MultiMapLevel();
            s.levels[i].columns = s.levels[i].rows = 2;
            s.levels[i].pictureWidth = 128;
        }
        AnswerDialog dialog(s);
        MessageRecorder messages;
        ASSERT_EQ(ExportMultipleFiles(source), 0);
        EXPECT_TRUE(messages.texts.empty());
        for (int level = 0; level < c.levels; ++level) {
            const int across = 2 << level;
            for (int row = 0; row < across; ++row)
                for (int column = 0; column < across; ++column) {
                    SCOPED_TRACE(FormatLinkName(column, row, level));
                    const VideoBuffer child = ReadPicture(out + "/" + FormatLinkName(column, row, level) + ".bmp");
                    const VideoBuffer parent =
                        ReadPicture(out + "/" + FormatLinkName(column / 2, row / 2, level - 1) + ".bmp");
                    ASSERT_EQ(child.GetWidth(), parent.GetWidth());
                    ASSERT_EQ(child.GetHeight(), parent.GetHeight());
                    const int w = parent.GetWidth() / 2, h = parent.GetHeight() / 2;
                    const int x0 = (column % 2) * w, y0 = (row % 2) * h;
                    EXPECT_GE(Agreement(
                                  [&](int x, int y, uint32_t& a, uint32_t& b) {
                                      a = child.GetPixel(2 * x, 2 * y);
                                      b = parent.GetPixel(x0 + x, y0 + y);
                                      return true;
                                  },
                                  w, h),
                              0.97);
                }
        }
        if (c.projection != 2)
            continue;
        // The whole world, rendered directly: Equirectangular, centred, at scale 0.5.
        ProjectionParms whole(source.projection);
        whole.SetOffset(0.0, 0.0);
        whole.SetScale(0.5);
        LightParms light(source.light);
        SurfaceSampler sampler(&whole, &doc.GetWorld(), &light, source.shaderId);
        CRawImage world(&sampler);
        world.SetSize(128, 64);
        ASSERT_EQ(world.Compute(nullptr, false, true), 0);
        const VideoBuffer root = ReadPicture(out + "/A000000.bmp");
        ASSERT_EQ(root.GetWidth(), 128);
        ASSERT_EQ(root.GetHeight(), 64);
        EXPECT_GE(Agreement(
                      [&](int x, int y, uint32_t& a, uint32_t& b) {
                          a = root.GetPixel(x, y);
                          b = world.ColorBuffer().GetPixel(x, y);
                          return x > 0 && x < 127 && y < 63;
                      },
                      128, 64),
                  0.97);
    }
}
