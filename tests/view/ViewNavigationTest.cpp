// Zoom and pan commands, the view history, saved views applied, and the navigation tools
// (marquee zooms, pan, start-up pages) driving a view through the hints they broadcast.
#include "base/AppSettings.h"
#include "base/ViewHooks.h"
#include "document/CViewInfo.h"
#include "projection/ProjectionRegistry.h"
#include "shading/ShaderRegistry.h"
#include "view/CGlobeDlgBar.h"
#include "view/CKVView.h"
#include "view/ViewInput.h"
#include "view/tools/CPanTool.h"
#include "view/tools/CToolStartup.h"
#include "view/tools/CToolZoomPW2.h"
#include "view/tools/CToolZoomWin.h"
#include "view/tools/FeedbackCanvas.h"
#include "view/tools/MouseTool.h"

#include "DocumentFixtures.h"
#include "ViewFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <utility>

using namespace kv;

namespace {

// The hints the active document sends, copied, and passed on to the view when one is set.
struct HintRoute : ViewHooks {
    struct Sent {
        int hint;
        std::optional<TwoPtHint> points;
    };
    HintRoute() { m_previous = SetViewHooks(this); }
    ~HintRoute() override { SetViewHooks(m_previous); }
    int StopActiveViewRender() override { return 0; }
    int UpdateActiveDocViews(int hint) override { return kv::UpdateActiveDocViews(nullptr, hint, nullptr); }
    int UpdateDocumentViews(const void*, const void*, int hint, const HintObject* object) override
    {
        const auto* points = dynamic_cast<const TwoPtHint*>(object);
        sent.push_back({hint, points ? std::optional<TwoPtHint>(*points) : std::nullopt});
        if (view)
            view->OnUpdate(hint, object);
        return 0;
    }
    std::vector<Sent> sent;
    CKVView* view = nullptr;

private:
    ViewHooks* m_previous = nullptr;
};

struct GlobeFrame : ViewFrame {
    void MoveViewCentre(double dLat, double dLon) override { globe.MoveCenterBy(dLat, dLon); }
    bool HasGlobeBar() const override { return true; }
    void SetGlobeView(double lat, double lon) override
    {
        globe.SetCenter(static_cast<float>(lat), static_cast<float>(lon));
    }
    CGlobeDlgBar globe;
};

// The window side of the tools: the view's projection and history, feedback and capture
// counted, the start-up file as lines of three rectangles.
struct FakeHost : ToolHost {
    const ProjectionParms* ViewProjection() override { return view ? &view->Projection() : nullptr; }
    void PushViewHistory() override
    {
        ++pushes;
        if (view)
            view->PushViewHistory();
    }
    void XorToolFeedback() override { ++xors; }
    void CaptureMouse(bool capture) override { captured = capture; }
    bool ZoomWindowStyle() const override { return zoomWindow; }
    bool StartupFileActive() const override { return false; }
    int GetStartupLine() const override { return line; }
    int SetStartupLine(int n) override { return std::exchange(line, n); }
    int ReadStartupPage(int n, StartupPage& page) override
    {
        if (n < 0 || n >= static_cast<int>(pages.size()))
            return -2;
        page = pages[static_cast<size_t>(n)];
        return 0;
    }
    int ClearStartupFile() override
    {
        line = -1;
        cleared = true;
        return 0;
    }
    CKVView* view = nullptr;
    int pushes = 0, xors = 0;
    bool captured = false, zoomWindow = false, cleared = false;
    int line = 0;
    std::vector<StartupPage> pages;
};

struct RectCanvas : FeedbackCanvas {
    void XorLine(int, int, int, int) override {}
    void XorRectangle(int, int, int, int) override {}
    void XorEllipse(int, int, int, int) override {}
    void FocusRectangle(int l, int t, int r, int b) override { rect = {l, t, r, b}; }
    std::vector<int> rect;
};

class NavigationTest : public ::testing::Test {
protected:
    void SetUp() override { GetShaderRegistry().Init(&doc.world, &light); }
    void TearDown() override { ShaderRegistry::Destroy(); }

    // A 400 x 200 Equirectangular view at scale 1 with the offset set to 0.
    std::unique_ptr<CKVView> MakeView(ViewFrame* frame = nullptr)
    {
        auto view = std::make_unique<CKVView>(doc, frame);
        view->SetBatch(true);
        view->Projection().SetProjection(kMapEquirectangular);
        view->Projection().SetScale(1.0);
        view->Projection().SetOffset(0.0, 0.0);
        view->SetClientSize(400, 200);
        view->PrepareRender();
        route.view = view.get();
        host.view = view.get();
        return view;
    }
    std::pair<double, double> Offset(CKVView& view)
    {
        double x, y;
        view.Projection().GetOffset(x, y);
        return {x, y};
    }
    // Where the client centre lies after the next preparation.
    std::pair<double, double> Centre(CKVView& view)
    {
        view.PrepareRender();
        double lat = 1e9, lon = 1e9;
        EXPECT_TRUE(view.PixelToLatLon(200, 100, lat, lon));
        return {lat, lon};
    }

    DocumentEnvironment environment;
    CKVDoc document;
    ActiveDocument active{&document};
    HintRoute route;
    kvtest::TestViewDocument doc;
    LightParms light;
    FakeHost host;
};

} // namespace

TEST_F(NavigationTest, HistoryKeepsTheNewest32AndZoomPriorWalksBack)
{
    auto view = MakeView();
    EXPECT_FALSE(view->ZoomPrior());
    EXPECT_EQ(view->Projection().GetScale(), 1.0);
    // 33 zooms in: scales 1, 1/2, ..., 2^-32; the history holds 2^-1 .. 2^-32 (the oldest went).
    for (int i = 0; i < 33; ++i)
        view->ZoomIn();
    EXPECT_EQ(view->HistoryCount(), CKVView::kHistoryDepth);
    for (int i = 32; i >= 1; --i) {
        ASSERT_TRUE(view->ZoomPrior());
        EXPECT_EQ(view->Projection().GetScale(), std::ldexp(1.0, -i));
        EXPECT_FALSE(view->IsPrepared());
    }
    EXPECT_FALSE(view->ZoomPrior());
    EXPECT_EQ(view->Projection().GetScale(), 0.5);

    // Zoom In then Prior restores scale and offset exactly; Out and Extents push too.
    view->Projection().SetOffset(0.125, -0.375);
    view->ZoomOut();
    EXPECT_EQ(view->Projection().GetScale(), 1.0);
    view->ZoomExtents();
    EXPECT_EQ(Offset(*view).second, 0.0);
    ASSERT_TRUE(view->ZoomPrior());
    ASSERT_TRUE(view->ZoomPrior());
    EXPECT_EQ(view->Projection().GetScale(), 0.5);
    EXPECT_DOUBLE_EQ(Offset(*view).first, 0.125);
    EXPECT_DOUBLE_EQ(Offset(*view).second, -0.375);
}

TEST_F(NavigationTest, PanKeysAndMarqueeOnEquirectangular)
{
    auto view = MakeView();
    view->PanStep(1, 0); // pan right
    EXPECT_NEAR(Offset(*view).first, -0.19999, 1e-12);
    EXPECT_EQ(Offset(*view).second, 0.0);
    view->PanStep(0, -1); // pan up
    EXPECT_NEAR(Offset(*view).second, -0.2, 1e-12);
    view->PanStep(-1, 1); // back
    EXPECT_NEAR(Offset(*view).first, 0.00001, 1e-12);
    EXPECT_NEAR(Offset(*view).second, 0.0, 1e-12);

    // The marquee (200,50)-(300,100) through the PW2 tool: Enter ends it.
    ViewInput input(host);
    input.SetTool(ViewInput::kZoomTool);
    ASSERT_NE(dynamic_cast<CToolZoomPW2*>(input.CurrentTool()), nullptr);
    ASSERT_EQ(dynamic_cast<CToolZoomWin*>(input.CurrentTool()), nullptr);
    EXPECT_EQ(input.CurrentTool()->GetStatusText(), "Click, move and click again for marquee zoom.");
    input.OnMouse(kToolMsgLButtonDown, 0, 200, 50);
    EXPECT_TRUE(host.captured);
    EXPECT_EQ(host.pushes, 1);
    input.OnMouse(kToolMsgMouseMove, 0, 300, 100);
    RectCanvas canvas;
    input.DrawFeedback(canvas);
    EXPECT_EQ(canvas.rect, (std::vector<int>{200, 50, 300, 100}));
    ASSERT_TRUE(input.OnKeyDown(kKeyEnter));
    EXPECT_FALSE(host.captured);
    EXPECT_EQ(host.xors % 2, 0); // every feedback drawn was erased
    EXPECT_EQ(route.sent.back().hint, 4);
    EXPECT_EQ(view->Projection().GetScale(), 0.25);
    auto [lat, lon] = Centre(*view);
    EXPECT_NEAR(lat, 45.0, 1e-9);
    EXPECT_NEAR(lon, 89.998, 1e-3);
    ASSERT_TRUE(view->ZoomPrior()); // the press pushed the history
    EXPECT_EQ(view->Projection().GetScale(), 1.0);

    // A marquee with no width in the counting axis moves nothing.
    const auto before = Offset(*view);
    TwoPtHint flat;
    flat.px1 = flat.px2 = 250;
    flat.py1 = 20, flat.py2 = 120;
    view->OnUpdate(4, &flat);
    EXPECT_EQ(Offset(*view), before);
    EXPECT_EQ(view->Projection().GetScale(), 1.0);

    // Esc cancels without a hint.
    const size_t hints = route.sent.size();
    input.OnMouse(kToolMsgLButtonDown, 0, 10, 10);
    input.OnMouse(kToolMsgMouseMove, 0, 90, 60);
    input.OnKeyDown(kKeyEscape);
    EXPECT_EQ(route.sent.size(), hints);
    EXPECT_EQ(static_cast<CToolZoomPW2*>(input.CurrentTool())->State(), CToolZoomPW2::kIdle);
    EXPECT_FALSE(input.OnKeyDown('A'));
    // Enter without a marquee in progress zooms nowhere.
    EXPECT_FALSE(input.OnKeyDown(kKeyEnter));
    EXPECT_EQ(route.sent.size(), hints);
}

TEST_F(NavigationTest, ZoomWindowClickZoomsAboutThePointAndDragsMarquee)
{
    struct Case {
        const char* what;
        int releaseX, releaseY;
        unsigned flags;
        int hint;
        double scale;
    } cases[] = {
        {"click", 250, 75, 0, 7, 0.5},
        {"Shift+click zooms out", 250, 75, kToolFlagShift, 7, 2.0},
        {"a move of 1 in both axes is still a click", 251, 76, 0, 7, 0.5},
        {"a move of 2 is a marquee", 252, 75, 0, 4, 0.005},
    };
    host.zoomWindow = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto view = MakeView();
        ViewInput input(host);
        input.SetTool(ViewInput::kZoomTool);
        ASSERT_NE(dynamic_cast<CToolZoomWin*>(input.CurrentTool()), nullptr);
        input.OnMouse(kToolMsgLButtonDown, 0, 250, 75);
        input.OnMouse(kToolMsgMouseMove, 0, c.releaseX, c.releaseY);
        input.OnMouse(kToolMsgLButtonUp, c.flags, c.releaseX, c.releaseY);
        ASSERT_EQ(route.sent.back().hint, c.hint);
        EXPECT_DOUBLE_EQ(view->Projection().GetScale(), c.scale);
        if (c.hint == 7) {
            EXPECT_EQ(route.sent.back().points->y1, c.scale);
            auto [lat, lon] = Centre(*view);
            EXPECT_NEAR(lat, 45.0, 1e-9);
            EXPECT_NEAR(lon, 89.998, 1e-3);
        }
        // A release without a press does nothing.
        const size_t n = route.sent.size();
        input.OnMouse(kToolMsgLButtonUp, 0, 10, 10);
        EXPECT_EQ(route.sent.size(), n);
    }
}

TEST_F(NavigationTest, PanToolDragsTheOffsetOrTheCentre)
{
    auto view = MakeView();
    ViewInput input(host);
    input.SetTool(ViewInput::kPanTool);
    MouseTool* tool = input.CurrentTool();
    ASSERT_NE(dynamic_cast<CPanTool*>(tool), nullptr);
    EXPECT_EQ(tool->GetCursor(), kCursorHandIdle);

    // A drag of 40 pixels right moves the x offset by 0.2 from where it began.
    input.OnMouse(kToolMsgLButtonDown, 0, 100, 100);
    EXPECT_EQ(tool->GetCursor(), kCursorHandDrag);
    EXPECT_EQ(host.pushes, 1);
    EXPECT_TRUE(input.OnMouse(kToolMsgMouseMove, 0, 120, 100));
    EXPECT_TRUE(input.OnMouse(kToolMsgMouseMove, 0, 140, 90));
    EXPECT_EQ(route.sent.back().hint, 5);
    EXPECT_NEAR(Offset(*view).first, 0.20001, 1e-12);
    EXPECT_NEAR(Offset(*view).second, 0.1, 1e-12);
    input.OnMouse(kToolMsgLButtonUp, 0, 140, 90);
    EXPECT_FALSE(host.captured);
    EXPECT_EQ(tool->GetCursor(), kCursorHandIdle);
    EXPECT_FALSE(input.OnMouse(kToolMsgMouseMove, 0, 10, 10));

    // Shift: the centre moves (hint 9); with Ctrl the latitude sent is 0.
    view->Projection().SetCenter(30.0, 10.0);
    ASSERT_TRUE(input.OnKeyDown(kKeyShift));
    EXPECT_EQ(tool->GetCursor(), kCursorHandShiftIdle);
    input.OnMouse(kToolMsgLButtonDown, kToolFlagShift, 200, 100);
    EXPECT_EQ(tool->GetCursor(), kCursorHandShiftDrag);
    EXPECT_FALSE(input.OnMouse(kToolMsgMouseMove, kToolFlagShift, 180, 110));
    ASSERT_EQ(route.sent.back().hint, 9);
    EXPECT_EQ(route.sent.back().points->x1, 30.0);
    double lat, lon;
    view->Projection().GetCenter(lat, lon);
    // m = 200: latitude += 10 / 200 x 360, longitude -= -20 / 200 x 360.
    EXPECT_NEAR(lat, 30.0 + 18.0, 1e-9);
    EXPECT_NEAR(lon, 10.0 + 36.0, 1e-9);
    ASSERT_TRUE(input.OnKeyDown(kKeyControl));
    input.OnMouse(kToolMsgMouseMove, kToolFlagShift | kToolFlagControl, 200, 100);
    EXPECT_EQ(route.sent.back().points->x1, 0.0);
    view->Projection().GetCenter(lat, lon);
    EXPECT_NEAR(lat, 0.0, 1e-9);
    input.OnMouse(kToolMsgLButtonUp, kToolFlagShift | kToolFlagControl, 200, 100);
    input.OnKeyUp(kKeyControl);
    input.OnKeyUp(kKeyShift);
    EXPECT_EQ(tool->GetCursor(), kCursorHandIdle);
    // Shift whose key-up went elsewhere: the next drag reads the event and moves the offset.
    input.OnKeyDown(kKeyShift);
    const std::size_t sent = route.sent.size();
    input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton, 200, 100);
    EXPECT_EQ(tool->GetCursor(), kCursorHandDrag);
    EXPECT_TRUE(input.OnMouse(kToolMsgMouseMove, kToolFlagLButton, 190, 100));
    ASSERT_GT(route.sent.size(), sent);
    EXPECT_EQ(route.sent.back().hint, 5);
    input.OnMouse(kToolMsgLButtonUp, 0, 190, 100);
    EXPECT_FALSE(input.OnKeyDown('Q'));
}

TEST_F(NavigationTest, WheelZoomFactors)
{
    auto view = MakeView();
    ViewInput input(host);
    for (int id : {ViewInput::kZoomTool, ViewInput::kPanTool}) {
        input.SetTool(id);
        struct {
            int delta;
            double factor;
        } turns[] = {{120, 1 / 1.5}, {240, 1 / 3.0}, {-120, 1.5}, {-360, 4.5}};
        for (const auto& t : turns) {
            const double before = view->Projection().GetScale();
            const int history = view->HistoryCount();
            input.OnMouse(kToolMsgMouseWheel, 0, 10, 10, t.delta);
            ASSERT_EQ(route.sent.back().hint, 11);
            EXPECT_DOUBLE_EQ(route.sent.back().points->x1, t.factor);
            EXPECT_DOUBLE_EQ(view->Projection().GetScale(), before * t.factor);
            // The view before the turn is on the history: Zoom Prior goes back to it.
            ASSERT_EQ(view->HistoryCount(), history + 1);
            ASSERT_TRUE(view->ZoomPrior());
            EXPECT_DOUBLE_EQ(view->Projection().GetScale(), before);
            input.OnMouse(kToolMsgMouseWheel, 0, 10, 10, t.delta);
        }
        // A turn of nothing sends nothing and is not handled.
        const std::size_t sent = route.sent.size();
        const int history = view->HistoryCount();
        EXPECT_FALSE(input.OnMouse(kToolMsgMouseWheel, 0, 10, 10, 0));
        EXPECT_EQ(route.sent.size(), sent);
        EXPECT_EQ(view->HistoryCount(), history);
    }
}

TEST_F(NavigationTest, CentreMovesThroughTheGlobeAndRecentringHoldsOnMercator)
{
    GlobeFrame frame;
    auto view = MakeView(&frame);
    view->SetBatch(false);
    view->PrepareRender();
    // Ctrl+Down: 5 degrees (zoom step x scale 1) south of the centre.
    view->MoveCentreStep(-1, 0);
    ASSERT_EQ(route.sent.back().hint, 3);
    auto [lat, lon] = Centre(*view);
    EXPECT_NEAR(lat, -5.0, 1e-6);
    EXPECT_NEAR(lon, 0.0, 1e-2);
    view->StopRenderWorker();

    // Hint 3 on Mercator (no centring on any latitude): the point lies at the centre.
    view->Projection().SetProjection(kMapMercator);
    view->RestartRender();
    TwoPtHint to(60.0, 20.0, 0, 0);
    view->OnUpdate(3, &to);
    std::tie(lat, lon) = Centre(*view);
    EXPECT_NEAR(lat, 60.0, 1e-6);
    EXPECT_NEAR(lon, 20.0, 1e-2);
    view->StopRenderWorker();
}

TEST_F(NavigationTest, SavedViewsCarryTheViewsShaderAndApplyBack)
{
    auto view = MakeView();
    view->Projection().SetProjection(kMapSinusoidal);
    view->Projection().SetCenter(12.0, -40.0);
    view->Projection().SetOffset(0.25, -0.125);
    view->Projection().SetScale(0.75);
    view->SetShader(3);
    const CViewInfo info = view->MakeViewInfo("Somewhere");
    EXPECT_EQ(info.name, "Somewhere");
    EXPECT_EQ(info.projectionName, ProjectionRegistry::Get().GetName(kMapSinusoidal));
    EXPECT_EQ(info.third, "");
    EXPECT_EQ(info.shaderId, 3);
    EXPECT_EQ(info.centerLatitude, 12.0);
    EXPECT_EQ(info.offsetY, -0.125);
    EXPECT_EQ(info.scale, 0.75);

    view->Projection().SetProjection(kMapMercator);
    view->Projection().SetScale(2.0);
    view->SetShader(1);
    view->PrepareRender();
    view->ApplyView(info);
    EXPECT_FALSE(view->IsPrepared());
    EXPECT_EQ(view->GetShader(), 3);
    EXPECT_EQ(view->MakeViewInfo("Somewhere"), info);
}

TEST_F(NavigationTest, StartupPagesTurnAndClose)
{
    StartupPage page;
    page.next = {10, 10, 20, 20};
    page.previous = {30, 10, 40, 20};
    page.close = {50, 10, 60, 20};
    host.pages = {page, page};
    ViewInput input(host);
    input.CreateFirstTool(true);
    MouseTool* tool = input.CurrentTool();
    ASSERT_NE(dynamic_cast<CToolStartup*>(tool), nullptr);

    struct {
        int x, y, cursor;
    } moves[] = {{15, 15, kCursorStartupNext}, {35, 12, kCursorStartupPrevious}, {59, 19, kCursorStartupClose},
                 {60, 19, kCursorArrow}, {5, 5, kCursorArrow}};
    for (const auto& m : moves) {
        input.OnMouse(kToolMsgMouseMove, 0, m.x, m.y);
        EXPECT_EQ(tool->GetCursor(), m.cursor) << m.x << "," << m.y;
    }
    // Previous on the first page does nothing; next past the last readable line neither.
    input.OnMouse(kToolMsgLButtonUp, 0, 35, 15);
    EXPECT_EQ(host.line, 0);
    input.OnMouse(kToolMsgLButtonUp, 0, 15, 15);
    EXPECT_EQ(host.line, 1);
    input.OnMouse(kToolMsgLButtonUp, 0, 15, 15);
    EXPECT_EQ(host.line, 1);
    input.OnMouse(kToolMsgLButtonUp, 0, 35, 15);
    EXPECT_EQ(host.line, 0);
    EXPECT_FALSE(input.OnMouse(kToolMsgLButtonUp, 0, 5, 5));
    // An unreadable page hits nothing.
    host.line = 7;
    EXPECT_EQ(CToolStartup::HitTest(host, 15, 15), CToolStartup::kNone);
    host.line = 0;
    input.OnMouse(kToolMsgLButtonUp, 0, 55, 15);
    EXPECT_TRUE(host.cleared);
    EXPECT_EQ(host.line, -1);
}
