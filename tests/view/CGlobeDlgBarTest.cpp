// The globe bar's model: shade mask, progressive passes, drag and release, the pole
// question, the view outline.
#include "base/MessageService.h"
#include "base/ViewHooks.h"
#include "shading/ShaderRegistry.h"
#include "view/CGlobeDlgBar.h"
#include "world/SurfaceSampler.h"

#include "DocumentFixtures.h"
#include "ViewFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace kv;

namespace {

struct Answers : MessageService {
    Answers() { m_previous = SetMessageService(this); }
    ~Answers() override { SetMessageService(m_previous); }
    void Show(const std::string& text) override { asked.push_back(text); }
    bool AskYesNo(const std::string& text) override
    {
        asked.push_back(text);
        return yes;
    }
    std::vector<std::string> asked;
    bool yes = true;

private:
    MessageService* m_previous = nullptr;
};

struct Hints : ViewHooks {
    Hints() { m_previous = SetViewHooks(this); }
    ~Hints() override { SetViewHooks(m_previous); }
    int StopActiveViewRender() override { return 0; }
    int UpdateActiveDocViews(int) override { return 0; }
    int UpdateDocumentViews(const void*, const void*, int hint, const HintObject* object) override
    {
        const auto* p = dynamic_cast<const TwoPtHint*>(object);
        sent.push_back({hint, p ? *p : TwoPtHint()});
        return 0;
    }
    std::vector<std::pair<int, TwoPtHint>> sent;

private:
    ViewHooks* m_previous = nullptr;
};

class GlobeTest : public ::testing::Test {
protected:
    void SetUp() override { GetShaderRegistry().Init(&doc.world, &light); }
    void TearDown() override { ShaderRegistry::Destroy(); }

    DocumentEnvironment environment;
    CKVDoc document;
    ActiveDocument active{&document};
    Hints hints;
    kvtest::TestViewDocument doc;
    LightParms light;
    CGlobeDlgBar bar;
};

constexpr int kLeft = CGlobeDlgBar::kGlobeLeft, kTop = CGlobeDlgBar::kGlobeTop;

} // namespace

TEST_F(GlobeTest, ShadeMask)
{
    ASSERT_TRUE(bar.EnsureGlobe());
    EXPECT_EQ(bar.Image().GetWidth(), 72);
    EXPECT_EQ(bar.Image().GetHeight(), 72);
    EXPECT_EQ(bar.GlobeRect().left, 14);
    EXPECT_EQ(bar.GlobeRect().bottom, 86);
    EXPECT_EQ(bar.MaskAt(36, 36), 254);
    EXPECT_EQ(bar.MaskAt(36, 1), 132);
    EXPECT_EQ(bar.MaskAt(1, 36), 132);
    for (int r : {0, 71})
        for (int c : {0, 71})
            EXPECT_EQ(bar.MaskAt(r, c), 255);
    // Just outside the disc is off the globe; every disc cell is at least 1.
    EXPECT_EQ(bar.MaskAt(36, 0), 255);
    for (int r = 0; r < 72; ++r)
        for (int c = 0; c < 72; ++c)
            ASSERT_GE(bar.MaskAt(r, c), 1);

    CGlobeDlgBar suppressed;
    suppressed.SetSuppressed(true);
    EXPECT_FALSE(suppressed.EnsureGlobe());
    EXPECT_EQ(suppressed.SetCenter(10, 10), -1);
    EXPECT_FALSE(suppressed.OnLButtonDown(50, 50));
}

TEST_F(GlobeTest, NinePassesCompleteThePictureTheFirstInBlocks)
{
    EXPECT_FALSE(bar.RenderGlobe()); // no world yet
    ASSERT_EQ(bar.SetSource(&doc.world, &light), 0);
    ASSERT_TRUE(bar.RenderGlobe());
    const VideoBuffer& image = bar.Image();
    // Pass 0 starts at (1, 1) and fills the 3 x 3 block from each cell it computes, so
    // the first row and column wait for a later pass.
    for (int by = 1; by < 72; by += 3)
        for (int bx = 1; bx < 72; bx += 3)
            for (int y = by; y < std::min(by + 3, 72); ++y)
                for (int x = bx; x < std::min(bx + 3, 72); ++x)
                    ASSERT_EQ(image.GetPixel(x, y), image.GetPixel(bx, by)) << x << "," << y;
    EXPECT_EQ(image.GetPixel(0, 40), 0u);
    EXPECT_EQ(image.GetPixel(40, 0), 0u);
    for (int pass = 1; pass < 9; ++pass) {
        EXPECT_EQ(bar.Pass(), pass);
        ASSERT_TRUE(bar.RenderGlobe());
    }
    EXPECT_EQ(bar.Pass(), CGlobeDlgBar::kPassComplete);
    EXPECT_FALSE(bar.RenderGlobe());
    // Off the disc the button face; on it the shaded colour times the mask / 256.
    EXPECT_EQ(image.GetPixel(0, 0) & 0xFFFFFF, CGlobeDlgBar::kButtonFace);
    EXPECT_NE(image.GetPixel(36, 36) & 0xFFFFFF, CGlobeDlgBar::kButtonFace);
    EXPECT_NE(image.GetPixel(35, 36), image.GetPixel(36, 36));
    // The centre pixel is the world at (0, 0) shaded, times 254 / 256.
    ProjectionParms ortho;
    ortho.SetProjection(CGlobeDlgBar::kOrthographic);
    ortho.SetCenter(0.0, 0.0);
    LightParms copy = light;
    SurfaceSampler sampler(&ortho, &doc.world, &copy, 1);
    GeoBuffers geo;
    geo.Allocate(72, 72);
    VideoBuffer target;
    target.Create(72, 72);
    sampler.SetTarget(&geo, &target, nullptr);
    double lat, lon;
    ASSERT_TRUE(sampler.PixelToLatLon(36, 36, lat, lon));
    const uint32_t shaded = sampler.ShadePoint(&geo, 36, 36, lat, lon, sampler.GetAltitude(lat, lon), false);
    uint32_t expected = 0;
    for (int s = 0; s < 24; s += 8)
        expected |= (((shaded >> s) & 0xFFu) * 254u / 256u) << s;
    EXPECT_EQ(image.GetPixel(36, 36) & 0xFFFFFF, expected);

    // A new centre restarts the picture.
    bar.SetCenter(20.0f, 30.0f);
    EXPECT_EQ(bar.Pass(), 0);
}

TEST_F(GlobeTest, DragTurnsTheGlobeAndReleaseRecentresTheViews)
{
    bar.SetSource(&doc.world, &light);
    // Outside the rectangle or off the disc: not handled, no drag.
    EXPECT_FALSE(bar.OnLButtonDown(kLeft - 1, kTop + 36));
    EXPECT_FALSE(bar.OnLButtonDown(kLeft, kTop));
    EXPECT_FALSE(bar.IsDragging());
    EXPECT_FALSE(bar.OnLButtonUp(0, 0));
    bar.OnMouseMove(kLeft + 36, kTop + 36);
    EXPECT_EQ(bar.Cursor(), CGlobeDlgBar::kCursorOverGlobe);
    bar.OnMouseMove(kLeft + 1, kTop + 1);
    EXPECT_EQ(bar.Cursor(), CGlobeDlgBar::kCursorArrow);

    ASSERT_TRUE(bar.OnLButtonDown(kLeft + 36, kTop + 36));
    EXPECT_EQ(bar.Cursor(), CGlobeDlgBar::kCursorGrab);
    // 72 pixels left turns +90 of longitude; 36 up turns -45 of latitude.
    bar.OnMouseMove(kLeft + 36 - 72, kTop + 36 + 36);
    double lat, lon;
    bar.Projection().GetCenter(lat, lon);
    EXPECT_NEAR(lon, 90.0, 1e-4);
    EXPECT_NEAR(lat, -45.0, 1e-4);
    EXPECT_EQ(bar.Pass(), 0);
    ASSERT_TRUE(bar.OnLButtonUp(0, 0));
    EXPECT_FALSE(bar.IsDragging());
    ASSERT_EQ(hints.sent.size(), 1u);
    EXPECT_EQ(hints.sent[0].first, 3);
    EXPECT_NEAR(hints.sent[0].second.x1, -45.0, 1e-4);
    EXPECT_NEAR(hints.sent[0].second.y1, 90.0, 1e-4);

    // The centre keys move from the globe's centre, which itself stays.
    bar.MoveCenterBy(-5.0, 2.5);
    EXPECT_EQ(hints.sent.back().first, 3);
    EXPECT_NEAR(hints.sent.back().second.x1, -50.0, 1e-4);
    EXPECT_NEAR(hints.sent.back().second.y1, 92.5, 1e-4);
    bar.Projection().GetCenter(lat, lon);
    EXPECT_NEAR(lat, -45.0, 1e-4);
}

TEST_F(GlobeTest, RightClickAsksToMoveThePole)
{
    Answers answers;
    bar.SetSource(&doc.world, &light);
    // No sampler before the first pass: nothing asked.
    EXPECT_FALSE(bar.OnRButtonDown(kLeft + 36, kTop + 36));
    EXPECT_TRUE(answers.asked.empty());
    bar.RenderGlobe();
    bar.OnRButtonDown(kLeft + 1, kTop + 1); // off the disc
    EXPECT_TRUE(answers.asked.empty());

    bar.OnRButtonDown(kLeft + 36, kTop + 36);
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].rfind("Move North Pole to this point\n(", 0), 0u);
    ASSERT_EQ(hints.sent.size(), 1u);
    EXPECT_EQ(hints.sent[0].first, 6);
    EXPECT_NEAR(hints.sent[0].second.x1, 0.0, 2.0);
    answers.yes = false;
    bar.OnRButtonDown(kLeft + 36, kTop + 36);
    EXPECT_EQ(hints.sent.size(), 1u);
}

TEST_F(GlobeTest, OutlineFollowsTheViewsPixelMapping)
{
    // A 40 x 20 coverage, on the map in rows 5..14 only; the view's offset must be counted
    // once and rows run downward.
    VideoBuffer coverage;
    coverage.Create(40, 20);
    for (int y = 5; y < 15; ++y)
        for (int x = 0; x < 40; ++x)
            coverage.SetPixel(x, y, 0xFFFFFF);
    ProjectionParms view;
    view.SetProjection(kMapEquirectangular);
    view.SetOffset(0.25, 0.1);
    view.SetScale(0.25);
    ASSERT_EQ(bar.SetViewOutline(coverage, view), 0);
    EXPECT_EQ(bar.OutlineCount(), 80);
    // The first point: column 0, row 5, as the view's sampler maps that pixel.
    LightParms l;
    SurfaceSampler sampler(&view, &doc.world, &l, 1);
    GeoBuffers geo;
    geo.Allocate(40, 20);
    sampler.SetTarget(&geo, &coverage, nullptr);
    double lat, lon;
    ASSERT_TRUE(sampler.PixelToLatLon(0, 5, lat, lon));
    EXPECT_NEAR(bar.OutlineLatitudes()[0], lat, 1e-4);
    EXPECT_NEAR(bar.OutlineLongitudes()[0], lon, 1e-4);
    // The second half runs from the right, bottom rows first.
    ASSERT_TRUE(sampler.PixelToLatLon(39, 14, lat, lon));
    EXPECT_NEAR(bar.OutlineLatitudes()[40], lat, 1e-4);
    EXPECT_NEAR(bar.OutlineLongitudes()[40], lon, 1e-4);
}
