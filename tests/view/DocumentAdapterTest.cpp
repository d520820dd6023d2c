// The view core and the off-screen image over a real world document: its hints reach the
// view, its grids and rivers are drawn, and its whole-world image.
#include "DocumentFixtures.h"
#include "ViewFixtures.h"

#include "base/Progress.h"
#include "document/CKVDoc.h"
#include "shading/ShaderRegistry.h"
#include "view/CKVView.h"
#include "view/CRawImage.h"
#include "view/DocumentAdapter.h"
#include "world/SurfaceSampler.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kv;

namespace {

class AdapterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousHooks = SetProgressHooks(SilentProgressHooks());
        doc.Recalculate();
        GetShaderRegistry().Init(&doc.GetWorld(), &doc.GetViewSettings().light);
    }
    void TearDown() override
    {
        ShaderRegistry::Destroy();
        SetProgressHooks(previousHooks);
    }

    DocumentEnvironment env;
    CKVDoc doc;
    ProgressHooks previousHooks{};
};

} // namespace

TEST_F(AdapterTest, WholeWorldImageIsHalfAsHighWithItsEdgesCopied)
{
    // Without a view, through the document's own sampler.
    CRawImage image;
    ASSERT_EQ(doc.RenderWorldImage(512, image, -1), 0);
    ASSERT_EQ(image.GetWidth(), 512);
    ASSERT_EQ(image.GetHeight(), 256);
    const VideoBuffer& c = image.ColorBuffer();
    for (int y = 0; y < 256; ++y) {
        ASSERT_EQ(c.GetPixel(0, y), c.GetPixel(1, y)) << y;
        ASSERT_EQ(c.GetPixel(511, y), c.GetPixel(510, y)) << y;
    }
    EXPECT_EQ(std::memcmp(c.RowPointer(255), c.RowPointer(254), c.RowBytes()), 0);
    // The whole world: every pixel inside the edges on the map.
    for (int y = 1; y < 255; y += 17)
        for (int x = 1; x < 511; x += 31)
            ASSERT_EQ(image.MaskBuffer().GetPixel(x, y) & 0xFFFFFF, 0xFFFFFFu);

    // Through a view zoomed in and moved off centre: the same world image (the view's
    // centre would stay), and the view keeps its map.
    DocumentAdapter adapter(doc);
    CKVView view(adapter);
    view.Projection().SetScale(0.1);
    view.Projection().SetOffset(0.3, -0.2);
    CRawImage throughView;
    ASSERT_EQ(doc.RenderWorldImage(512, throughView, 256), 0);
    EXPECT_EQ(std::memcmp(throughView.Geo().altitude->Data(), image.Geo().altitude->Data(), 512 * 256 * 4), 0);
    ASSERT_NE(view.GetSampler(), nullptr);
    EXPECT_EQ(view.GetSampler()->Projection(), &view.Projection());
    EXPECT_EQ(view.Projection().GetScale(), 0.1);
    // With the view's lighting the columns differ: relief and colour, edges still copied.
    const VideoBuffer& v = throughView.ColorBuffer();
    int differ = 0;
    for (int y = 0; y < 256; ++y) {
        ASSERT_EQ(v.GetPixel(0, y), v.GetPixel(1, y)) << y;
        ASSERT_EQ(v.GetPixel(511, y), v.GetPixel(510, y)) << y;
        differ += v.GetPixel(5, y) != v.GetPixel(6, y);
    }
    EXPECT_GT(differ, 50);

    CRawImage refused;
    EXPECT_EQ(doc.RenderWorldImage(0, refused, -1), -1);
}

TEST_F(AdapterTest, DocumentHintsReachTheViewAndItsLayersAreDrawn)
{
    DocumentAdapter adapter(doc);
    CKVView view(adapter);
    view.InstallHooks();
    EXPECT_EQ(doc.GetFirstView(), &view);
    view.Projection().SetScale(0.5);
    view.SetClientSize(64, 32);
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view.PrepareRender(); }));
    EXPECT_TRUE(view.IsPrepared());
    doc.Recalculate();  // hint 2 through the hooks: a full preparation next
    EXPECT_FALSE(view.IsPrepared());

    // A grid along the equator and a river down the prime meridian.
    RectInfo grid;
    grid.show = 1;
    grid.colour = 0x0000FF;
    grid.latSpacing = 90.0;
    grid.lonSpacing = 0.0;
    grid.lineWidth = 25;
    doc.GetRectGrid().grids.push_back(grid);
    RiverPath river;
    river.colour = 0x00FF00;
    river.points = {{-60.0, 0.0}, {60.0, 0.0}};
    doc.GetRivers().rivers.push_back(river);
    ASSERT_TRUE(kvtest::WaitUntil([&] { return view.PrepareRender(); }));
    const VideoBuffer& composite = view.Compose();
    int gridPixels = 0, riverPixels = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            gridPixels += composite.GetPixel(x, y) == 0x0000FFu;
            riverPixels += composite.GetPixel(x, y) == static_cast<uint32_t>(0xFF * 255 / 256) << 8;
        }
    EXPECT_GT(gridPixels, 50);
    EXPECT_GT(riverPixels, 10);

    // The off-screen image draws the rivers always, the grids on request.
    CRawImage image(view.GetSampler());
    image.SetSize(64, 32);
    ActiveDocument active(&doc);
    ASSERT_EQ(image.Compute(nullptr, false, false), 0);
    int green = 0, red = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            green += (image.ColorBuffer().GetPixel(x, y) & 0xFFFFFF) == 0x00FF00u;
            red += (image.ColorBuffer().GetPixel(x, y) & 0xFFFFFF) == 0x0000FFu;
        }
    EXPECT_GT(green, 10);
    EXPECT_EQ(red, 0);
    ASSERT_EQ(image.Compute(nullptr, false, true), 0);
    red = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            red += (image.ColorBuffer().GetPixel(x, y) & 0xFFFFFF) == 0x0000FFu;
    EXPECT_GT(red, 50);

    // The document's river flag hides them.
    doc.SetRiversHidden(true);
    ASSERT_EQ(image.Compute(nullptr, false, false), 0);
    green = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            green += (image.ColorBuffer().GetPixel(x, y) & 0xFFFFFF) == 0x00FF00u;
    EXPECT_EQ(green, 0);
}

// Burn In writes every cell's altitude where the renderer reads it: the whole-world picture
// rendered after it is the picture before it, pixel for pixel (its columns lie on the cells'
// columns; between rows the colours hold the small differences of the interpolation).
TEST_F(AdapterTest, BurnInLeavesTheRenderedWorldAsItWas)
{
    ASSERT_EQ(doc.GetWorld().SetResolution(128, true), 0);
    doc.Recalculate();
    int w = 0, h = 0;
    doc.GetWorld().GetGridSize(w, h);
    CRawImage before;
    ASSERT_EQ(doc.RenderWorldImage(w, before, h), 0);
    doc.BurnIn();
    CRawImage after;
    ASSERT_EQ(doc.RenderWorldImage(w, after, h), 0);
    int differ = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            differ += before.ColorBuffer().GetPixel(x, y) != after.ColorBuffer().GetPixel(x, y);
    EXPECT_EQ(differ, 0);
}
