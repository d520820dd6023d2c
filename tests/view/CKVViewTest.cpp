#include "base/AppSettings.h"
#include "base/DisplayUnits.h"
#include "base/layers/ImageOverlay.h"
#include "base/raster/VideoBuffer.h"
#include "base/text/CTokenizer.h"
#include "shading/ShaderIds.h"
#include "shading/ShaderRegistry.h"
#include "view/CKVView.h"
#include "view/ViewLayers.h"

#include "ViewFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace kv;
namespace fs = std::filesystem;

namespace {

// Profile values set for one test and forgotten afterwards.
struct TestSettings : AppSettings {
    TestSettings() { m_previous = SetAppSettings(this); }
    ~TestSettings() override { SetAppSettings(m_previous); }

private:
    const AppSettings* m_previous = nullptr;
};

struct CountingFrame : ViewFrame {
    void SetFrameTimer(int ms) override { timer = ms; }
    void ShowProjectedAxes(SurfaceSampler&, int w, int h, double radius) override
    {
        measured = w * 10000 + h;
        this->radius = radius;
    }
    void DrawImageBlock(int x, int y) override { blocks.push_back({x, y}); }
    int timer = 0;
    int measured = 0;
    double radius = 0;
    std::vector<std::pair<int, int>> blocks;
};

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetShaderRegistry().Init(&doc.world, &light);
        folder = fs::temp_directory_path() / ("kv-view-tests-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        ShaderRegistry::Destroy();
        fs::remove_all(folder);
    }

    // A view of w x h at scale 0.5, prepared and rendered to the end.
    std::unique_ptr<CKVView> RenderedView(int w, int h)
    {
        auto view = std::make_unique<CKVView>(doc, &frame);
        view->Projection().SetScale(0.5);
        view->SetClientSize(w, h);
        EXPECT_TRUE(kvtest::WaitUntil([&] { return view->PrepareRender(); }));
        return view;
    }

    TestSettings settings;
    kvtest::TestViewDocument doc;
    LightParms light;
    CountingFrame frame;
    fs::path folder;
};

bool SameImage(const VideoBuffer& a, const VideoBuffer& b)
{
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           std::memcmp(a.GetBits(), b.GetBits(), a.RowBytes() * static_cast<size_t>(a.GetHeight())) == 0;
}

} // namespace

TEST_F(ViewTest, PreparationRendersEveryPixelAndReportsOnce)
{
    auto view = RenderedView(100, 52);
    int w, h;
    view->GetRenderSize(w, h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 52);
    // Buffers are rounded up to multiples of 8.
    EXPECT_EQ(view->ImageBuffer().GetWidth(), 104);
    EXPECT_EQ(view->ImageBuffer().GetHeight(), 56);
    EXPECT_EQ(view->GetPass(), CKVView::kPassReported);
    EXPECT_FALSE(view->PrepareRender());
    EXPECT_EQ(frame.measured, 100 * 10000 + 52);
    EXPECT_NEAR(frame.radius, doc.world.circumference / (2 * M_PI), 1e-9);
    // Every pixel inside the render size was computed: on the map, with its position.
    const GeoBuffers& geo = *view->GetGeoBuffers();
    EXPECT_TRUE(geo.positionsValid);
    for (int y = 0; y < 52; ++y)
        for (int x = 0; x < 100; ++x) {
            double lat, lon;
            ASSERT_TRUE(view->PixelToLatLon(x, y, lat, lon));
            ASSERT_EQ(geo.valid->Row<uint8_t>(y)[x], 1);
            ASSERT_NEAR(geo.longitude->Row<float>(y)[x] * 180 / M_PI, lon, 1e-3);
            ASSERT_EQ(view->CoverageMask().GetPixel(x, y) & 0xFFFFFF, 0xFFFFFFu);
        }
}

TEST_F(ViewTest, PassCountFollowsAmbientAndSeaOpacityAndTheLightingStaysUntouched)
{
    struct Case {
        double ambient, seaOpacity;
        int limit;  // XS and YS
        bool full;  // 25 passes
    } cases[] = {
        {0.25, 0.0, 2048, false},
        {0.99, 0.99, 2048, true},
        {0.99, 0.5, 2048, false},
        // Limited below the view's size: ambient counts as 1 (shading off).
        {0.25, 0.99, 32, true},
    };
    for (const Case& c : cases) {
        settings.WriteInt("Settings", "XS", c.limit);
        settings.WriteInt("Settings", "YS", c.limit);
        CKVView view(doc, &frame);
        view.Projection().SetScale(0.5);
        view.Light().ambient = c.ambient;
        view.Light().seaOpacity = c.seaOpacity;
        view.SetClientSize(64, 40);
        std::vector<int> passes;
        ASSERT_TRUE(kvtest::WaitUntil([&] {
            const int p = view.GetPass();
            if (p >= 0 && (passes.empty() || passes.back() != p))
                passes.push_back(p);
            return view.PrepareRender();
        }));
        // The worker never reached pass 25 on a 25-pass round.
        const int highest = passes.empty() ? 0 : *std::max_element(passes.begin(), passes.end());
        if (c.full) {
            EXPECT_LT(highest, 25) << c.ambient << " " << c.seaOpacity << " " << c.limit;
        }
        EXPECT_EQ(view.Light().ambient, c.ambient);
        EXPECT_EQ(view.GetGeoBuffers()->positionsValid, !c.full);
    }
}

TEST_F(ViewTest, LimitedDisplaySpreadsCellsOverRunsOfPixels)
{
    settings.WriteInt("Settings", "XS", 32);
    settings.WriteInt("Settings", "YS", 5);  // clamped to 32
    auto view = RenderedView(100, 50);
    const GeoBuffers& geo = *view->GetGeoBuffers();
    // Rows of one cell share their positions and colours; runs are 3 or 4 pixels wide.
    for (int y = 0; y < 50; ++y) {
        std::vector<int> runs;
        int run = 1;
        for (int x = 1; x < 100; ++x) {
            if (geo.longitude->Row<float>(y)[x] == geo.longitude->Row<float>(y)[x - 1]) {
                ASSERT_EQ(view->ImageBuffer().GetPixel(x, y), view->ImageBuffer().GetPixel(x - 1, y));
                ++run;
            } else {
                runs.push_back(run);
                run = 1;
            }
        }
        runs.push_back(run);
        ASSERT_EQ(runs.size(), 32u) << y;
        for (int r : runs)
            ASSERT_TRUE(r == 3 || r == 4) << r;
    }
    // 50 rows over 32 cells: rows come in pairs and singles.
    int distinctRows = 1;
    for (int y = 1; y < 50; ++y)
        distinctRows += geo.latitude->Row<float>(y)[10] != geo.latitude->Row<float>(y - 1)[10];
    EXPECT_EQ(distinctRows, 32);
}

TEST_F(ViewTest, RestartAfterAnEditIsNeverLost)
{
    auto view = std::make_unique<CKVView>(doc, &frame);
    view->Projection().SetScale(0.5);
    view->SetClientSize(96, 48);
    ASSERT_FALSE(view->PrepareRender());
    SurfaceSampler* sampler = view->GetSampler();
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view->GetPass() >= 2 || view->GetPass() < 0; }));
    {
        // The worker waits for the lock; meanwhile the world changes and hint 16 arrives.
        std::lock_guard<std::mutex> lock(view->ViewLock());
        Grid2D* offset = doc.world.Channel(kChannelLandOffset);
        float* cells = offset->DataAs<float>();
        for (size_t i = 0; i < offset->CellCount(); ++i)
            cells[i] += 3000.0f;
        view->OnUpdate(16);
        EXPECT_EQ(view->GetPass(), 0);
    }
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view->PrepareRender(); }));
    // Not prepared again: same sampler.
    EXPECT_EQ(view->GetSampler(), sampler);

    // A fresh view of the edited world shows the same picture.
    auto fresh = RenderedView(96, 48);
    EXPECT_TRUE(SameImage(view->ImageBuffer(), fresh->ImageBuffer()));

    // Hint 1 asks for a full preparation: a new sampler.
    view->OnUpdate(1);
    EXPECT_FALSE(view->IsPrepared());
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view->PrepareRender(); }));
    EXPECT_TRUE(view->IsPrepared());
    EXPECT_TRUE(SameImage(view->ImageBuffer(), fresh->ImageBuffer()));
}

// A command that stops the worker, changes the world and then asks for the redraw (hint 16)
// gets the new picture without any other event: the worker starts again.
TEST_F(ViewTest, RedrawAfterAStoppedWorkerShowsTheEdit)
{
    auto view = RenderedView(96, 48);
    SurfaceSampler* sampler = view->GetSampler();
    ASSERT_EQ(view->StopRenderWorker(), 0);
    Grid2D* offset = doc.world.Channel(kChannelLandOffset);
    float* cells = offset->DataAs<float>();
    for (size_t i = 0; i < offset->CellCount(); ++i)
        cells[i] += 3000.0f;
    view->OnUpdate(16);
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view->PrepareRender(); }));
    EXPECT_EQ(view->GetSampler(), sampler);
    auto fresh = RenderedView(96, 48);
    EXPECT_TRUE(SameImage(view->ImageBuffer(), fresh->ImageBuffer()));
}

TEST_F(ViewTest, HeldBusyCounterBlocksPreparation)
{
    CKVView view(doc, &frame);
    view.SetClientSize(64, 32);
    view.EnterBusy();
    EXPECT_FALSE(view.PrepareRender());
    EXPECT_FALSE(view.IsPrepared());
    EXPECT_EQ(view.GetSampler(), nullptr);
    EXPECT_EQ(view.BusyCount(), 1);
    // Through the hooks, as the world model and long computations hold it.
    EXPECT_EQ(GetActiveKVView(), nullptr);
    view.InstallHooks();
    EXPECT_EQ(GetActiveKVView(), &view);
    {
        ViewBusyScope busy;
        EXPECT_EQ(view.BusyCount(), 2);
    }
    view.LeaveBusy();
    EXPECT_EQ(view.BusyCount(), 0);
    EXPECT_FALSE(view.PrepareRender());
    EXPECT_TRUE(view.IsPrepared());
    EXPECT_NE(view.GetSampler(), nullptr);
    EXPECT_EQ(StopActiveViewRender(), 0);
    EXPECT_FALSE(view.HasWorker());
}

TEST_F(ViewTest, AFinishedRenderRestsUntilHint16WakesTheWorker)
{
    CKVView view(doc, &frame);
    view.SetClientSize(64, 32);
    EXPECT_TRUE(view.NeedsFrames());
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view.PrepareRender(); }));
    // Reported: nothing more to show, and the worker stays (asleep).
    EXPECT_FALSE(view.NeedsFrames());
    EXPECT_TRUE(view.HasWorker());
    view.OnUpdate(16);
    EXPECT_TRUE(view.NeedsFrames());
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view.PrepareRender(); }));
    EXPECT_FALSE(view.NeedsFrames());
    // An active selection shown as an outline keeps its pattern moving.
    doc.world.selection.Create(8, 4);
    doc.world.selection.SelectAll();
    doc.world.selection.SetActive(true);
    ASSERT_TRUE(doc.world.selection.IsActive());
    EXPECT_TRUE(view.NeedsFrames());
    view.SetSelectionDisplayMode(0);
    EXPECT_FALSE(view.NeedsFrames());
}

TEST_F(ViewTest, TimedOutStopKeepsTheOneWorkerAndTheBuffers)
{
    CKVView view(doc, &frame);
    view.Projection().SetScale(0.5);
    view.SetClientSize(64, 32);
    ASSERT_FALSE(view.PrepareRender());
    SurfaceSampler* sampler = view.GetSampler();
    const uint8_t* bits = view.ImageBuffer().GetBits();
    view.SetStopTimeout(20);
    {
        std::unique_lock<std::mutex> lock(view.ViewLock());
        // The worker cannot reach its stop test while the lock is held.
        view.OnUpdate(16);
        ASSERT_TRUE(kvtest::WaitUntil([&] { return !view.RestartPending(); }));
        ASSERT_EQ(view.StopRenderWorker(), -1);
        EXPECT_TRUE(view.HasWorker());
        view.SetClientSize(80, 40);  // asks for a preparation, whose stop times out too
        EXPECT_FALSE(view.PrepareRender());
        EXPECT_FALSE(view.IsPrepared());
        EXPECT_EQ(view.GetSampler(), sampler);
        EXPECT_EQ(view.ImageBuffer().GetBits(), bits);
    }
    view.SetStopTimeout(CKVView::kStopTimeoutMs);
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view.PrepareRender(); }));
    int w, h;
    view.GetRenderSize(w, h);
    EXPECT_EQ(w, 80);
    EXPECT_EQ(view.ImageBuffer().GetWidth(), 80);
}

TEST_F(ViewTest, LayersComposedOverTheImage)
{
    doc.grids = true;
    doc.rivers = true;
    auto view = RenderedView(64, 32);
    EXPECT_NEAR(doc.gridStep, 360.0 / (65 / 0.5), 1e-12);
    const VideoBuffer& image = view->ImageBuffer();
    const VideoBuffer& composite = view->Compose();
    // River column 2: alpha 255 gives src x 255 / 256 and nothing of the image.
    const uint32_t river = 0x204080;
    const uint32_t blended = (0x20 * 255 / 256) << 16 | (0x40 * 255 / 256) << 8 | (0x80 * 255 / 256);
    EXPECT_EQ(composite.GetPixel(2, 10), blended);
    EXPECT_NE(river, blended);
    // Grid row 3 replaces the pixel by the grid colour, masked by the coverage.
    EXPECT_EQ(composite.GetPixel(20, 3), 0x0000FFu);
    EXPECT_EQ(composite.GetPixel(20, 4), image.GetPixel(20, 4));
    EXPECT_EQ(view->GridMask().GetPixel(20, 3) & 0xFFFFFF, 0xFFFFFFu);

    // A selection outline, moving pattern over it, nothing inside.
    CSelection& selection = doc.world.selection;
    for (int y = 0; y < selection.GetHeight(); ++y)
        for (int x = 0; x < selection.GetWidth(); ++x)
            selection.SetAt(x, y, x < selection.GetWidth() / 2 ? 255 : 0);
    view->OnUpdate(8);
    const VideoBuffer& outline = view->SelectionOutline();
    int outlined = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            outlined += (outline.GetPixel(x, y) & 0xFFFFFF) != 0;
    EXPECT_GT(outlined, 20);
    EXPECT_EQ(outline.GetPixel(10, 16) & 0xFFFFFF, 0u);
    int patterned = 0;
    VideoBuffer first = view->Compose();
    const VideoBuffer& second = view->Compose();
    for (int y = 5; y < 32; ++y)
        for (int x = 5; x < 64; ++x)
            if (outline.GetPixel(x, y) & 0xFFFFFF) {
                const uint32_t p = first.GetPixel(x, y) & 0xFFFFFF;
                EXPECT_TRUE(p == 0 || p == 0xFFFFFF);
                patterned += p != (second.GetPixel(x, y) & 0xFFFFFF);
            } else {
                ASSERT_EQ(first.GetPixel(x, y), second.GetPixel(x, y));
            }
    EXPECT_GT(patterned, 0);  // the pattern moved between draws

    // Printing whitens what lies off the map and leaves the selection out.
    view->Projection().SetScale(1.0);
    view->OnUpdate(1);
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view->PrepareRender(); }));
    const VideoBuffer& printed = view->Compose(true);
    EXPECT_EQ(printed.GetPixel(1, 1) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ViewTest, LookupsAndPaintStrokesNeedASamplerAndAPaintingTool)
{
    CKVView view(doc, &frame);
    double lat = 1, lon = 1;
    EXPECT_FALSE(view.PixelToLatLon(3, 3, lat, lon));
    EXPECT_EQ(lat, 0.0);
    EXPECT_EQ(lon, 0.0);
    struct NoBrush : ChannelBrush {
        int StrokeSegment(Grid2D&, int, int, Grid2D&, int, int, const CSelection*, int, int) override { return 0; }
    } brush;
    EXPECT_FALSE(view.PaintStroke(3, 5, 5, true, brush));

    view.Projection().SetScale(0.5);
    view.SetClientSize(64, 32);
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view.PrepareRender(); }));
    int x, y;
    ASSERT_TRUE(view.LatLonToPixel(0.0, 0.0, x, y));
    EXPECT_NEAR(x, 32, 1);
    EXPECT_NEAR(y, 16, 1);

    struct Case {
        int tool;
        int channel;
        const char* step;
    } cases[] = {{15 | 0x40300000, kChannelTemperature, "Temperature Edit"},
                 {5, kChannelRainfall, "Rainfall Edit"},
                 {13, kChannelLandOffset, "Offset Edit"},
                 {9, kChannelRoughness, "Roughness Edit"},
                 {11, kChannelWaterLevel, "Water Level Edit"},
                 {12, kChannelClimate, "Climate Edit"},
                 {37, kChannelPrescale, "PreOffset Edit"}};
    for (const Case& c : cases) {
        doc.painted.clear();
        EXPECT_TRUE(view.PaintStroke(c.tool, 20, 10, c.tool == 5, brush)) << c.tool;
        ASSERT_EQ(doc.painted.size(), 1u);
        EXPECT_EQ(doc.painted[0].channel, c.channel);
        EXPECT_EQ(doc.painted[0].step, c.step);
        EXPECT_EQ(doc.painted[0].start, c.tool == 5);
    }
    EXPECT_EQ(frame.blocks.back(), std::make_pair(4, -6));
    doc.painted.clear();
    EXPECT_FALSE(view.PaintStroke(29, 20, 10, true, brush));
    EXPECT_TRUE(doc.painted.empty());
}

TEST_F(ViewTest, StartupLightingShaderAndProfileValues)
{
    // A "color=" file read in full replaces the lighting; a malformed one changes nothing.
    const std::string good = (folder / "good.lgt").string(), bad = (folder / "bad.lgt").string();
    {
        LightParms written;
        written.ambient = 0.625;
        std::FILE* file = std::fopen(good.c_str(), "w");
        CTokenizer tokenizer;
        written.WriteText(file, tokenizer);
        std::fclose(file);
        std::ofstream(bad) << "LightParms\nAmbient 0.75\nAltColor {{{\n";
    }
    ViewStartup startup;
    startup.settingsFolder = folder.string();
    startup.colorType = kShaderImgClimate;
    {
        CKVView view(doc, &frame);
        startup.colorFile = bad;
        view.OnInitialUpdate(startup);
        EXPECT_EQ(view.Light().ambient, LightParms().ambient);
        EXPECT_EQ(view.GetShader(), kShaderClimate);  // 9 becomes 2
        EXPECT_EQ(frame.timer, 250);
        startup.colorFile = good;
        view.OnInitialUpdate(startup);
        EXPECT_EQ(view.Light().ambient, 0.625);
        view.Light().ambient = 0.375;
    }
    // Destruction wrote Default.lgt beside the world parameters; it is read next time.
    ASSERT_TRUE(fs::exists(folder / "Default.lgt"));
    {
        CKVView view(doc, &frame);
        startup.colorFile.clear();
        startup.colorType = -1;
        view.OnInitialUpdate(startup);
        EXPECT_EQ(view.Light().ambient, 0.375);
        startup.readDefaults = false;  // RS off or Ctrl held
        CKVView other(doc, &frame);
        other.Light().ambient = 0.5;
        other.OnInitialUpdate(startup);
        EXPECT_EQ(other.Light().ambient, 0.5);
        other.SetBatch(true);
    }

    // Out-of-range profile values are clamped.
    settings.WriteInt("Settings", "DR", 0);
    settings.WriteInt("Bkgnd", "Hatch", 9);
    CKVView clamped(doc, &frame);
    EXPECT_EQ(clamped.FrameInterval(), 1000);
    settings.WriteInt("Settings", "DR", 40);
    clamped.OnUpdate(12);
    EXPECT_EQ(clamped.FrameInterval(), 100);
    EXPECT_EQ(frame.timer, 100);
    clamped.SetBatch(true);
}

TEST_F(ViewTest, HintsThatMoveTheMap)
{
    auto view = RenderedView(64, 32);
    ProjectionParms& p = view->Projection();
    auto offset = [&] {
        double x, y;
        p.GetOffset(x, y);
        return std::make_pair(x, y);
    };
    const auto start = offset();

    // 11: scale times the factor; a factor of 0 would freeze the zoom and is ignored.
    TwoPtHint zoom(0.5, 0, 0, 0);
    view->OnUpdate(11, &zoom);
    EXPECT_DOUBLE_EQ(p.GetScale(), 0.25);
    EXPECT_FALSE(view->IsPrepared());
    TwoPtHint none;
    view->OnUpdate(11, &none);
    EXPECT_DOUBLE_EQ(p.GetScale(), 0.25);
    p.SetScale(0.5);
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view->PrepareRender(); }));

    // 4: the rectangle's centre moves to the map centre, the scale follows its width (the
    // client is wider than high); an empty rectangle does nothing.
    TwoPtHint box;
    box.px1 = 16, box.py1 = 8, box.px2 = 48, box.py2 = 24;
    view->OnUpdate(4, &box);
    EXPECT_DOUBLE_EQ(p.GetScale(), 0.25);
    EXPECT_NEAR(offset().first, start.first, 0.02);
    EXPECT_NEAR(offset().second, start.second, 0.04);
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view->PrepareRender(); }));
    TwoPtHint flat;
    flat.px1 = 40, flat.py1 = 8, flat.px2 = 40, flat.py2 = 24;
    const auto beforeFlat = offset();
    view->OnUpdate(4, &flat);
    EXPECT_DOUBLE_EQ(p.GetScale(), 0.25);
    // Nothing moves, nothing restarts.
    EXPECT_EQ(offset(), beforeFlat);
    EXPECT_TRUE(view->IsPrepared());

    // An off-centre rectangle: its centre pixel's point lies at the client centre after.
    double lat0, lon0;
    ASSERT_TRUE(view->PixelToLatLon(44, 20, lat0, lon0));
    TwoPtHint corner;
    corner.px1 = 40, corner.py1 = 16, corner.px2 = 48, corner.py2 = 24;
    view->OnUpdate(4, &corner);
    EXPECT_DOUBLE_EQ(p.GetScale(), 0.25 * 8 / 64);
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view->PrepareRender(); }));
    double lat1, lon1;
    ASSERT_TRUE(view->PixelToLatLon(32, 16, lat1, lon1));
    EXPECT_NEAR(lat1, lat0, 0.5);
    EXPECT_NEAR(lon1, lon0, 0.5);
    p.SetScale(0.25);

    // 5: the offsets where the drag began (y first, then x) plus the drag over the client
    // size, scale and 2.
    TwoPtHint pan(0.2, 0.1, 0, 0);
    pan.px1 = 10, pan.py1 = 10, pan.px2 = 20, pan.py2 = 5;
    view->OnUpdate(5, &pan);
    EXPECT_NEAR(offset().first, 0.1 + 10.0 / 64 * 0.25 * 2, 1e-12);
    EXPECT_NEAR(offset().second, 0.2 + 5.0 / 32 * 0.25 * 2, 1e-12);
}

TEST_F(ViewTest, WorldSettingsWithAnUnusableWidthKeepTheGridSize)
{
    const int metric = MetricUnits, size = WorldSizeDisplay;
    MessageRecorder messages;
    CKVView view(doc, &frame);
    ASSERT_EQ(doc.world.SetResolution(SurfMap::kResolution256, false), 0);
    SurfMap parms;
    parms.gridWidth = 3;  // even part 2: below the smallest grid
    parms.waterPercent = 40.0;
    EXPECT_EQ(view.ApplyWorldSettings(parms, 1, 0, true), SurfMap::kResolutionRefused);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(doc.world.gridWidth, 256);
    EXPECT_EQ(doc.world.gridHeight, 128);
    int w, h;
    doc.world.GetGridSize(w, h);
    EXPECT_EQ(w, 256);
    EXPECT_EQ(doc.world.waterPercent, 40.0);
    EXPECT_EQ(view.BusyCount(), 0);
    MetricUnits = metric;
    WorldSizeDisplay = size;
}

TEST_F(ViewTest, WorldSettingsReplaceTheWorld)
{
    const int metric = MetricUnits, size = WorldSizeDisplay;
    CKVView view(doc, &frame);
    SurfMap parms;
    parms.gridWidth = 512;
    parms.waterPercent = 40.0;
    doc.world.SetCellValue(3, 3, 9.0f, kChannelRainfall);
    view.ApplyWorldSettings(parms, 0, 1, false);
    EXPECT_EQ(MetricUnits, 0);
    EXPECT_EQ(WorldSizeDisplay, 1);
    EXPECT_TRUE(doc.untitled);
    EXPECT_EQ(doc.recalculations, 1);
    EXPECT_EQ(doc.world.waterPercent, 40.0);
    int w, h;
    doc.world.GetGridSize(w, h);
    EXPECT_EQ(w, 512);
    EXPECT_NE(doc.world.GetCellValue(3, 3, kChannelRainfall), 9.0f);
    EXPECT_EQ(view.BusyCount(), 0);
    MetricUnits = metric;
    WorldSizeDisplay = size;
}

// Edits of every kind arrive while the worker renders, as they do from the window: world
// edits under the view lock with hint 16, paint strokes, shader and projection changes, and a
// stop that times out. Under ThreadSanitizer (make test TSAN=1) this runs without a report;
// in every build the picture at the end is the one a fresh view of the same state draws.
TEST_F(ViewTest, WorkerKeepsUpWithEditsArrivingWhileItRenders)
{
    auto view = RenderedView(96, 48);
    struct NoBrush : ChannelBrush {
        int StrokeSegment(Grid2D&, int, int, Grid2D&, int, int, const CSelection*, int, int) override { return 0; }
    } brush;
    Grid2D* offset = doc.world.Channel(kChannelLandOffset);
    const int shaders[] = {kShaderAltitude, kShaderClimate, kShaderAltitude, kShaderRainfall};
    int shader = kShaderAltitude;
    double scale = 0.5;
    for (int i = 0; i < 24; ++i) {
        view->PrepareRender();
        {
            std::lock_guard<std::mutex> lock(view->ViewLock());
            float* cells = offset->DataAs<float>();
            for (size_t c = static_cast<size_t>(i); c < offset->CellCount(); c += 97)
                cells[c] += 250.0f;
            view->OnUpdate(16);
        }
        view->PaintStroke(13, 10 + i, 20, i == 0, brush);
        if (i % 4 == 1) {
            shader = shaders[(i / 4) % 4];
            view->SetShader(shader);
            view->OnUpdate(16);
        }
        if (i % 6 == 3 && view->StopRenderWorker() == 0) {
            scale += 0.05;
            view->Projection().SetScale(scale);
            view->OnUpdate(1);
        }
        if (i == 10) {
            // A stop that cannot reach the worker while the lock is held times out; the
            // worker carries on afterwards.
            view->OnUpdate(1);
            ASSERT_FALSE(view->PrepareRender());
            view->SetStopTimeout(20);
            std::unique_lock<std::mutex> lock(view->ViewLock());
            view->OnUpdate(16);
            ASSERT_TRUE(kvtest::WaitUntil([&] { return !view->RestartPending(); }));
            EXPECT_EQ(view->StopRenderWorker(), -1);
            lock.unlock();
            view->SetStopTimeout(CKVView::kStopTimeoutMs);
        }
    }
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view->PrepareRender(); }));

    auto fresh = std::make_unique<CKVView>(doc, &frame);
    fresh->Projection().SetScale(scale);
    fresh->SetClientSize(96, 48);
    fresh->SetShader(shader);
    ASSERT_TRUE(kvtest::WaitUntil([&] { return fresh->PrepareRender(); }));
    EXPECT_TRUE(SameImage(view->ImageBuffer(), fresh->ImageBuffer()));
}

// A brush stamp on an overlay (hint 13 with the stamped box) redraws only the map pixels that
// show the box, and the picture is the one a full overlay redraw gives. A stamp that wraps
// round the overlay's edge asks for the full redraw.
TEST_F(ViewTest, OverlayStampRedrawsItsBoxLikeAFullRedraw)
{
    ImageOverlayList list;
    doc.overlayList = &list;
    ImageOverlay* overlay = list.AddNamed("paint", 360, 180, true);
    for (int r = 0; r < 180; ++r)
        for (int c = 0; c < 360; ++c)
            overlay->PixelRow(r)[c] = ((c / 10 + r / 10) % 2) ? 0x80406080u : 0u;
    auto view = RenderedView(192, 96);
    const VideoBuffer before = view->Compose();

    ImageBrush brush;
    brush.SetParameters(15, 15, ImageBrush::kWrapColumns, 0xFF0000FFu, 1.0f, 1.0f);
    for (const auto& [lat, lon] : {std::pair{10.0, 20.0}, std::pair{-40.0, -100.0}}) {
        OverlayStampHint stamped;
        brush.StampAt(*overlay, lat, lon, nullptr, &stamped);
        ASSERT_FALSE(stamped.whole);
        EXPECT_EQ(stamped.col1 - stamped.col0, 14);
        view->OnUpdate(13, &stamped);
    }
    const VideoBuffer partial = view->Compose();
    int changed = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 192; ++x)
            changed += partial.GetPixel(x, y) != before.GetPixel(x, y);
    EXPECT_GT(changed, 20);
    view->OnUpdate(13);
    EXPECT_TRUE(SameImage(partial, view->Compose()));

    OverlayStampHint wrapped;
    brush.StampAt(*overlay, 0.0, 179.5, nullptr, &wrapped);
    EXPECT_TRUE(wrapped.whole);
    view->OnUpdate(13, &wrapped);
    const VideoBuffer afterWrap = view->Compose();
    view->OnUpdate(13);
    EXPECT_TRUE(SameImage(afterWrap, view->Compose()));
    doc.overlayList = nullptr;
}
