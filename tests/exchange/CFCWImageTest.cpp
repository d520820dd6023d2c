// The drawing export end to end on a small world: every written drawing is read back by
// the test's own reader; sizes, placement, layers, templates, atlas names and steps,
// aborts and failed saves.
#include "exchange/CFCWImage.h"
#include "exchange/CExportWizard.h"

#include "base/Progress.h"
#include "base/DisplayUnits.h"
#include "base/color/LightParms.h"
#include "document/CKVDoc.h"
#include "exchange/FCWBuiltins.h"
#include "exchange/MultiMapSettings.h"
#include "exchange/PW2Output.h"
#include "projection/ProjectionParms.h"
#include "shading/ShaderIds.h"
#include "shading/ShaderRegistry.h"
#include "world/GreatCircle.h"
#include "world/SurfaceSampler.h"

#include "FCWReader.h"
#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every layer option off.
PW2Output NoLayers()
{
    PW2Output p;
    p.altContoursOn = 0;
    p.tempContoursOn = 0;
    p.seaOnIntervals = 0;
    p.seaOnList = 0;
    p.grid.shown = 0;
    return p;
}

class FCWImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = SetProgressHooks(SilentProgressHooks());
        RecalculateWorld(doc.GetWorld());
        GetShaderRegistry().Init(&doc.GetWorld(), &light);
        // An equirectangular map filling a 2:1 image.
        projection.SetScale(0.5);
        sampler = std::make_unique<SurfaceSampler>(&projection, &doc.GetWorld(), &light, kShaderAltitude);
        dir = fs::temp_directory_path() / ("kv-fcw-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        SetProgressHooks(previous);
        ShaderRegistry::Destroy();
        fs::remove_all(dir);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }
    // Writes and reads back; the reader must find nothing wrong.
    fcwtest::Drawing Write(const PW2Output& p, const char* name, const MultiMapSettings* atlas = nullptr,
                           CKVDoc* document = nullptr, int threads = 0)
    {
        CFCWImage image(sampler.get());
        image.SetThreads(threads);
        EXPECT_EQ(image.WriteMap(Path(name), document, p, atlas), 0);
        bytes = ReadBytes(Path(name));
        fcwtest::Drawing d = fcwtest::Read(bytes, 7000);
        EXPECT_TRUE(d.problems.empty()) << d.problems.front();
        return d;
    }
    static std::vector<const fcwtest::Record*> After(const fcwtest::Drawing& d, std::size_t offset)
    {
        std::vector<const fcwtest::Record*> out;
        for (const auto& r : d.records)
            if (r.offset >= offset)
                out.push_back(&r);
        return out;
    }

    CKVDoc doc;
    LightParms light;
    ProjectionParms projection;
    std::unique_ptr<SurfaceSampler> sampler;
    ProgressHooks previous{};
    fs::path dir;
    std::vector<uint8_t> bytes;
};

} // namespace

TEST(FCWNames, LinkNamesAndRoundSteps)
{
    EXPECT_EQ(FormatLinkName(10, 255, 0), "B00a0ff");
    EXPECT_EQ(FormatLinkName(0, 0, -1), "A000000");
    EXPECT_EQ(FormatLinkName(0x8001, 0xFFFF, 2), "D0017fff");
    struct Case {
        double a, b;
        bool widen;
        double step;
    };
    const Case cases[] = {
        {0.0, 37.0, false, 30.0}, {0.0, 37.0, true, 30.0}, {0.0, 19.0, true, 20.0}, {0.0, 19.0, false, 10.0},
        {50.0, 13.0, false, 30.0}, {0.0, 0.37, false, 0.3}, {5.0, 5.0, true, 1.0}, {0.0, NAN, false, 1.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(RoundStep(c.a, c.b, c.widen), c.step, 1e-12) << c.a << " " << c.b << " " << c.widen;
}

// With no layer option set the drawing is the template, the map notes and the rivers:
// the extents are the sheet times the symbol scale, the note names that scale.
TEST_F(FCWImageTest, NoLayersIsTemplateNotesAndRivers)
{
    RiverPath river;
    river.points = {{10.0, -20.0}, {15.0, 0.0}, {20.0, 30.0}};
    river.colour = 0x00FF0000;
    doc.GetRivers().rivers.push_back(river);
    const fcwtest::Drawing d = Write(NoLayers(), "plain.fcw", nullptr, &doc);
    const auto added = After(d, fcw::kTemplateSize);
    ASSERT_GE(added.size(), 2u);
    EXPECT_EQ(added[0]->type, 129);
    EXPECT_EQ(added[0]->number, 8000u);
    float scale = 0.0f;
    ASSERT_EQ(std::sscanf(added[0]->text.c_str(), "Map exported from Kelvane Pro.\r\nSymbol Scale: %f", &scale), 1);
    for (std::size_t k = 1; k < added.size(); ++k) {
        EXPECT_EQ(added[k]->type, 3);
        EXPECT_EQ(added[k]->layer, 6); // WATER/RIVERS
        EXPECT_EQ(added[k]->lineColour, FindNearestPaletteIndex(0x00FF0000));
    }
    // The template's extents: the 1000 x 800 sheet times the scale.
    for (const auto& r : d.records) {
        if (r.type == 0 && r.subtype == 0) {
            EXPECT_NEAR(fcwtest::F32(bytes, r.offset + 44), 1000.0f * scale, 1000.0f * 0.005f);
        }
    }
}

// A map whose pixel aspect is 0.9 takes its symbol scale from its height; the map is
// centred on the sheet with north up.
TEST_F(FCWImageTest, AspectPointNineScalesByHeight)
{
    PW2Output p = NoLayers();
    p.drawingHeight = 900; // 128 x 115 cells, all on the map
    projection.SetScale(0.2);
    CFCWImage image(sampler.get());
    ASSERT_EQ(image.WriteMap(Path("aspect.fcw"), nullptr, p, nullptr), 0);
    const MaskExtents e = MeasureMaskExtents(image.MaskBuffer(), *image.OwnSampler(),
                                             doc.GetWorld().circumference * kCircumferenceToRadius);
    const double pixelAspect = double(e.bottomRow - e.topRow + 1) / (e.rightColumn - e.leftColumn + 1);
    ASSERT_GE(pixelAspect, 0.8) << e.topRow << " " << e.bottomRow << " " << e.leftColumn << " " << e.rightColumn << " " << image.GetWidth() << "x" << image.GetHeight();
    ASSERT_LT(pixelAspect, 1.0);
    const fcwtest::Drawing d = fcwtest::Read(ReadBytes(Path("aspect.fcw")), 7000);
    const auto notes = d.Of(129);
    ASSERT_EQ(notes.size(), 1u);
    char expected[96];
    std::snprintf(expected, sizeof expected, "Map exported from Kelvane Pro.\r\nSymbol Scale: %0.2f", e.northSouth / 800.0);
    EXPECT_EQ(notes[0]->text, expected);
}

// Altitude contours by interval, grouped and labelled: levels on RELIEF/CONTOURS in
// groups, labels as texts "%0.0f" of height 5, numbers rising from 8000, the colour bar
// and scale bar on their layers; the same bytes on one core and on four.
TEST_F(FCWImageTest, AltitudeContoursLabelsAndBars)
{
    PW2Output p = NoLayers();
    p.altContoursOn = 1;
    p.altContourMode = 1;
    p.altInterval = 2000.0f;
    p.groupLevels = 1;
    p.labelContours = 1;
    p.labelPlacement = 0;
    p.colorBarsOn = 1;
    p.scaleBarOn = 1;
    p.separateOutlines = 1;
    const fcwtest::Drawing d = Write(p, "alt.fcw", nullptr, nullptr, 1);
    const std::vector<uint8_t> oneCore = bytes;
    Write(p, "alt4.fcw", nullptr, nullptr, 4);
    EXPECT_EQ(bytes, oneCore);

    const auto contours = d.Of(3, 25);
    ASSERT_FALSE(contours.empty());
    EXPECT_FALSE(d.Of(3, 263).empty()); // CONTOUR OUTLINES
    for (const auto* r : d.Of(3, 263))
        EXPECT_EQ(r->polygonFlag, 0);
    EXPECT_GE(d.Of(17).size(), 2u);
    const auto labels = d.Of(5, 25);
    ASSERT_FALSE(labels.empty());
    for (const auto* t : labels) {
        EXPECT_EQ(t->height, 5.0f);
        EXPECT_EQ(t->font, 4);
        EXPECT_EQ(std::fmod(std::stod(t->text), 2000.0), 0.0) << t->text;
    }
    EXPECT_FALSE(d.Of(3, 265).empty()); // CBAR ALTITUDE boxes
    EXPECT_FALSE(d.Of(5, 265).empty());
    EXPECT_FALSE(d.Of(3, 264).empty()); // SCALE BAR
    bool unit = false;
    for (const auto* t : d.Of(5, 264))
        unit = unit || t->text == "Kilometers";
    EXPECT_TRUE(unit);
}

// A custom template is used when it passes the checks, and a layer it does not name puts
// the entities on layer 0; a template that fails the checks gives the built-in one.
TEST_F(FCWImageTest, CustomTemplates)
{
    std::vector<uint8_t> custom = fcw::BuiltinTemplate();
    const std::string from = "WATER/RIVERS";
    auto at = std::search(custom.begin(), custom.end(), from.begin(), from.end());
    ASSERT_NE(at, custom.end());
    *at = 'X'; // "XATER/RIVERS"
    {
        std::ofstream(Path("custom.fcw"), std::ios::binary)
            .write(reinterpret_cast<const char*>(custom.data()), static_cast<std::streamsize>(custom.size()));
    }
    RiverPath river;
    river.points = {{10.0, -20.0}, {15.0, 0.0}};
    doc.GetRivers().rivers.push_back(river);
    PW2Output p = NoLayers();
    p.templatePath = Path("custom.fcw");
    fcwtest::Drawing d = Write(p, "with-custom.fcw", nullptr, &doc);
    EXPECT_EQ(d.layers.count(6), 1u);
    EXPECT_EQ(d.layers.at(6), "XATER/RIVERS");
    EXPECT_TRUE(d.Of(3, 6).empty());
    EXPECT_FALSE(d.Of(3, 0).empty());

    custom[48] = 1; // compressed: refused
    {
        std::ofstream(Path("custom.fcw"), std::ios::binary)
            .write(reinterpret_cast<const char*>(custom.data()), static_cast<std::streamsize>(custom.size()));
    }
    d = Write(p, "with-broken.fcw", nullptr, &doc);
    EXPECT_EQ(d.layers.at(6), "WATER/RIVERS");
    EXPECT_FALSE(d.Of(3, 6).empty());
}

// Raster sides outside 3..8192 or a size that is not positive: -1 and no file.
TEST_F(FCWImageTest, UnusableRasterSizes)
{
    struct Case {
        int resolution, width, height;
    };
    const Case cases[] = {{0, 1000, 1000}, {-2, 1000, 1000}, {65, 1000, 1000}, {1, 1000, 2},
                          {1, 0, 1000},    {1, 1000, 0},     {1, 1000, 70000}, {0x7FFFFFFF, 1, 0x7FFFFFFF}};
    for (const Case& c : cases) {
        PW2Output p = NoLayers();
        p.resolution = c.resolution;
        p.drawingWidth = c.width;
        p.drawingHeight = c.height;
        CFCWImage image(sampler.get());
        EXPECT_EQ(image.WriteMap(Path("bad.fcw"), nullptr, p, nullptr), -1) << c.resolution << " " << c.height;
        EXPECT_FALSE(fs::exists(Path("bad.fcw")));
    }
}

// An atlas map: links to its children over the map, and on the link panel to its
// neighbours and its parent; the atlas title on the title block.
TEST_F(FCWImageTest, AtlasLinks)
{
    MultiMapSettings atlas;
    atlas.level = 0;
    atlas.column = 1;
    atlas.row = 0;
    atlas.columns = 2;
    atlas.rows = 2;
    atlas.levelCount = 2;
    atlas.levels[0].columns = atlas.levels[0].rows = 2;
    atlas.levels[1].columns = 3;
    atlas.levels[1].rows = 1;
    atlas.title = "Atlas Sheet";
    PW2Output p = NoLayers();
    p.linkPanelOn = 1;
    p.titleBlockOn = 1;
    p.mapTitle = "Own Title";
    const fcwtest::Drawing d = Write(p, "atlas.fcw", &atlas);
    std::set<std::string> commands;
    for (const auto* r : d.Of(10, 262))
        commands.insert(r->text);
    const std::set<std::string> expected{"LOADM $C003000.fcw;", "LOADM $C004000.fcw;", "LOADM $C005000.fcw;",
                                         "LOADM $B000000.fcw;", "LOADM $B001001.fcw;", "LOADM $A000000.fcw;"};
    EXPECT_EQ(commands, expected);
    bool title = false;
    for (const auto* t : d.Of(5, 9))
        title = title || t->text == "Atlas Sheet";
    EXPECT_TRUE(title);
}

// Esc during the export: -1, and what was written is a readable drawing with its groups
// closed. A drawing that cannot replace its target: -1, the target as it was.
TEST_F(FCWImageTest, AbortAndFailedSave)
{
    PW2Output p = NoLayers();
    p.altContoursOn = 1;
    p.altContourMode = 1;
    p.groupLevels = 1;
    // Esc at the first poll among the altitude levels.
    ProgressHooks hooks = SilentProgressHooks();
    static bool inLevels;
    inLevels = false;
    hooks.begin = [](const char* text, int) { inLevels = std::string(text) == "Generating Altitude Contours"; };
    hooks.poll = [] {
        if (inLevels)
            g_abortValue = kAbortValue;
        return 0;
    };
    SetProgressHooks(hooks);
    CFCWImage image(sampler.get());
    EXPECT_EQ(image.WriteMap(Path("aborted.fcw"), nullptr, p, nullptr), -1);
    SetProgressHooks(SilentProgressHooks());
    const fcwtest::Drawing d = fcwtest::Read(ReadBytes(Path("aborted.fcw")), 7000);
    EXPECT_TRUE(d.problems.empty()) << d.problems.front();
    EXPECT_EQ(d.Of(129).size(), 1u);
    EXPECT_TRUE(d.Of(3, 25).empty());

    fs::create_directories(Path("target/inside"));
    CFCWImage again(sampler.get());
    EXPECT_EQ(again.WriteMap(Path("target"), nullptr, NoLayers(), nullptr), -1);
    EXPECT_TRUE(fs::is_directory(Path("target/inside")));
}

// A climate class that covers the whole map is written with the frame rectangle first:
// a closed, filled rectangle over the map's cells, before any traced line.
TEST_F(FCWImageTest, WholeMapClassGetsTheFrameFirst)
{
    // All land, one painted class, the whole world on a 2:1 raster.
    SurfMap& world = doc.GetWorld();
    int w = 0, h = 0;
    world.GetGridDims(w, h);
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) {
            world.SetCellValue(col, row, 20000.0f, 1);
            world.SetCellValue(col, row, 3.0f, 5);
        }
    PW2Output p = NoLayers();
    p.drawingHeight = 500;
    p.climateContoursOn = 1;
    p.contourFillOn = 1;
    p.contourLineOn = 1;
    const fcwtest::Drawing d = Write(p, "climate.fcw");
    const auto climate = d.Of(3, 260);
    ASSERT_FALSE(climate.empty());
    // One class only in this corner of the world.
    std::set<int> colours;
    for (const auto* r : climate)
        colours.insert(r->lineColour);
    ASSERT_EQ(colours.size(), 1u);
    const auto& frame = *climate[0];
    EXPECT_EQ(frame.polygonFlag, 128);
    ASSERT_EQ(frame.xy.size(), 10u);
    EXPECT_EQ(frame.xy[0], frame.xy[6]);  // left side
    EXPECT_EQ(frame.xy[2], frame.xy[4]);  // right side
    EXPECT_EQ(frame.xy[1], frame.xy[3]);  // top
    EXPECT_EQ(frame.xy[5], frame.xy[7]);  // bottom
    EXPECT_GT(frame.xy[1], frame.xy[5]);  // north up: the first row is the top
    // The traced outline of the class follows, half a cell further out than the frame.
    ASSERT_EQ(climate.size(), 2u);
    float left = climate[1]->xy[0];
    for (std::size_t k = 0; k < climate[1]->xy.size(); k += 2)
        left = std::min(left, climate[1]->xy[k]);
    EXPECT_LT(left, frame.xy[0]);
}

// A layer whose interval is not a positive number, or would need more than 100,000
// levels, is skipped; the drawing is still written.
TEST_F(FCWImageTest, UnusableIntervalsSkipTheLayer)
{
    const std::pair<float, float> cases[] = {{0.0f, 0.0f}, {-500.0f, -5.0f}, {NAN, NAN}, {0.01f, 1e-5f}};
    for (const auto& [altitude, rain] : cases) {
        const float interval = altitude;
        PW2Output p = NoLayers();
        p.altContoursOn = 1;
        p.altContourMode = 1;
        p.altInterval = altitude;
        p.rainContoursOn = 1;
        p.rainInterval = rain;
        const fcwtest::Drawing d = Write(p, "skipped.fcw");
        EXPECT_TRUE(d.Of(3, 25).empty()) << interval;
        EXPECT_TRUE(d.Of(3, 258).empty()) << interval;
        EXPECT_EQ(d.Of(129).size(), 1u);
    }
}

// Every "Other Items" switch of the export wizard reaches the drawing on Finish: on, its
// layer holds entities; off, none. With every switch off (and no contour set) the drawing
// is the template, the notes and nothing on those layers.
TEST_F(FCWImageTest, WizardOtherItemsSwitchesReachTheDrawing)
{
    PW2Output base = NoLayers();
    base.altContoursOn = 1;
    base.altContourMode = 1;
    base.altInterval = 2000.0f;
    base.mapTitle = "Atlas";
    RectInfo g;
    g.show = 1;
    base.grid.grids.push_back(g);
    base.grid.shown = 1;
    constexpr int kBorder = 9, kGrid = 31, kScaleBar = 264, kAltitudeBar = 265;
    const auto onLayer = [](const fcwtest::Drawing& d, int layer) {
        int n = 0;
        for (const auto& r : d.records)
            n += r.length > 5 && r.type != 0 && r.layer == layer && r.offset >= fcw::kTemplateSize;
        return n;
    };
    const struct {
        const char* name;
        bool ExportWizardRecord::*flag;
        int layer;
    } cases[] = {
        {"Rectangular Grid", &ExportWizardRecord::rectangularGrid, kGrid},
        {"Contour Bar", &ExportWizardRecord::contourBar, kAltitudeBar},
        {"Scale Bar", &ExportWizardRecord::scaleBar, kScaleBar},
        {"Border", &ExportWizardRecord::border, kBorder},
        {"Map Title", &ExportWizardRecord::mapTitle, kBorder},
        {"Layer Switch Buttons", &ExportWizardRecord::layerButtons, kBorder},
    };
    ExportWizardRecord r;
    r.FromDefinition(base);
    EXPECT_TRUE(r.rectangularGrid);
    for (const auto& c : cases)
        r.*c.flag = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PW2Output on = base, off = base;
        r.*c.flag = true;
        r.ToDefinition(on);
        r.*c.flag = false;
        r.ToDefinition(off);
        EXPECT_GT(onLayer(Write(on, "on.fcw"), c.layer), 0);
        EXPECT_EQ(onLayer(Write(off, "off.fcw"), c.layer), 0);
        // The unticked switch stays off when the wizard opens on the definition again.
        ExportWizardRecord again;
        again.FromDefinition(off);
        EXPECT_FALSE(again.*c.flag);
    }

    // Every switch off and no contour set: nothing but the notes after the template.
    r.altitude = r.climate = r.rainfall = r.temperature = false;
    r.drawCoast = false;
    PW2Output none = base;
    r.ToDefinition(none);
    none.seaOnList = 0;
    const fcwtest::Drawing d = Write(none, "none.fcw");
    const auto added = After(d, fcw::kTemplateSize);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]->type, 129);
}

// The rainfall and temperature bars hold one box per contour level (each box written as a
// filled and an outlined polyline), and their labels run from below the data's smallest
// value past its largest, in metric and in imperial documents.
TEST_F(FCWImageTest, RainfallAndTemperatureBarsHaveOneBoxPerLevel)
{
    // The world's range by sampling, in Kelvin and cm/yr.
    double tLow = 1e9, tHigh = -1e9, rLow = 1e9, rHigh = -1e9;
    for (double lat = -89.0; lat <= 89.0; lat += 1.0)
        for (double lon = -180.0; lon <= 180.0; lon += 1.0) {
            float rain = 0.0f, temperature = 0.0f;
            int climate = 0;
            sampler->GetClimate(lat, lon, sampler->GetAltitude(lat, lon), rain, temperature, climate, nullptr);
            tLow = std::min(tLow, double(temperature));
            tHigh = std::max(tHigh, double(temperature));
            rLow = std::min(rLow, double(rain));
            rHigh = std::max(rHigh, double(rain));
        }
    const int kept = MetricUnits.load();
    for (bool metric : {true, false}) {
        SCOPED_TRACE(metric ? "metric" : "imperial");
        MetricUnits = metric ? 1 : 0;
        PW2Output p = NoLayers();
        p.colorBarsOn = 1;
        p.groupLevels = 1;
        p.tempContoursOn = 1;
        p.tempInterval = 10.0f;
        p.rainContoursOn = 1;
        p.rainInterval = metric ? 20.0f : 8.0f;
        const fcwtest::Drawing d = Write(p, "bars.fcw");
        const struct {
            int levelLayer, barLayer;
            const char* heading;
            double interval, low, high;
        } bars[] = {
            {259, 266, "Temperature", 10.0, metric ? tLow - 273.15 : tLow * 1.8 - 459.67,
             metric ? tHigh - 273.15 : tHigh * 1.8 - 459.67},
            {258, 267, "Rainfall", p.rainInterval, metric ? rLow : rLow / 2.54, metric ? rHigh : rHigh / 2.54},
        };
        for (const auto& b : bars) {
            SCOPED_TRACE(b.heading);
            const std::size_t levels = d.Of(17, b.levelLayer).size();
            ASSERT_GT(levels, 2u);
            ASSERT_LE(levels, 32u);
            EXPECT_EQ(d.Of(3, b.barLayer).size(), 2 * levels);
            std::vector<double> labels;
            for (const auto* t : d.Of(5, b.barLayer))
                if (!t->text.empty() && t->text != b.heading)
                    labels.push_back(std::stod(t->text));
            ASSERT_FALSE(labels.empty());
            // The lowest box is labelled; the boxes step by the interval in the display unit.
            const double first = labels.front();
            EXPECT_LE(first, b.low);
            EXPECT_GE(first + static_cast<double>(levels) * b.interval, b.high - 1.0);
            for (double v : labels)
                EXPECT_NEAR(std::remainder(v - first, b.interval), 0.0, 0.06) << v;
        }
    }
    MetricUnits = kept;
}

// "Show Label" of a listed contour labels that contour alone, at the line's highest point
// for "Top" and its lowest for "Bottom".
TEST_F(FCWImageTest, ShowLabelOfAListedContour)
{
    PW2Output p = NoLayers();
    p.altContoursOn = 1;
    p.altContourMode = 0;
    p.labelContours = 0;
    ContourDef coast;
    coast.altitude = 0.0;
    coast.lineOn = 1;
    coast.fillOn = 0;
    ContourDef hills = coast;
    hills.altitude = 500.0;
    coast.labelOption1 = 1;
    std::map<int, double> meanY;
    for (int position : {0, 1}) { // Top, Bottom
        coast.labelOption2 = position;
        p.contours = ContourList();
        p.contours.InsertSorted(coast);
        p.contours.InsertSorted(hills);
        const fcwtest::Drawing d = Write(p, "labels.fcw");
        const auto labels = d.Of(5, 25);
        ASSERT_FALSE(labels.empty());
        double sum = 0.0;
        for (const auto* t : labels) {
            EXPECT_EQ(t->text, "0");
            sum += t->xy[1];
        }
        meanY[position] = sum / static_cast<double>(labels.size());
    }
    EXPECT_GT(meanY[0], meanY[1]);
    // Without "Show Label" no contour is labelled.
    coast.labelOption1 = 0;
    p.contours = ContourList();
    p.contours.InsertSorted(coast);
    EXPECT_TRUE(Write(p, "none.fcw").Of(5, 25).empty());
}
