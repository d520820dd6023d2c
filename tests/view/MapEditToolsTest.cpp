// The map-editing tools driven through the view's dispatch over a real document: pixel
// (x, y) lies at latitude 90 - y, longitude x - 180 (x 0..360, y 0..180 on the map).
#include "DocumentFixtures.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/Undo.h"
#include "base/layers/ImageOverlay.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "view/ViewInput.h"
#include "view/tools/CToolCrater.h"
#include "view/tools/CToolGradient.h"
#include "view/tools/CToolRuler.h"
#include "view/tools/CToolSelectBase.h"
#include "view/tools/CToolSelectBrush.h"
#include "view/tools/FeedbackCanvas.h"
#include "view/tools/ToolFactory.h"
#include "view/tools/ToolImageOverlay.h"
#include "world/GradientRenderers.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace kv;

namespace {

constexpr int kCanvasW = 400, kCanvasH = 200;

// XOR pixels of a small screen: every figure toggles the pixels it covers.
struct XorScreen : FeedbackCanvas {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(kCanvasW * kCanvasH, 0);
    int solidLines = 0, polylines = 0;
    void Toggle(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < kCanvasW && y < kCanvasH)
            pixels[static_cast<std::size_t>(y * kCanvasW + x)] ^= 1;
    }
    void XorLine(int x0, int y0, int x1, int y1) override
    {
        const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= n; ++i)
            Toggle(x0 + (n ? (x1 - x0) * i / n : 0), y0 + (n ? (y1 - y0) * i / n : 0));
    }
    void XorRectangle(int, int, int, int) override {}
    void XorEllipse(int, int, int, int) override {}
    void FocusRectangle(int, int, int, int) override {}
    void XorPolyline(const std::vector<FeedbackPoint>& points) override
    {
        ++polylines;
        FeedbackCanvas::XorPolyline(points);
    }
    void XorSolidLine(int x0, int y0, int x1, int y1, int) override
    {
        ++solidLines;
        XorLine(x0, y0, x1, y1);
    }
    bool Clean() const
    {
        for (uint8_t p : pixels)
            if (p)
                return false;
        return true;
    }
};

struct Keys : InputState {
    bool shift = false, ctrl = false;
    int waits = 0;
    bool IsShiftDown() const override { return shift; }
    bool IsCtrlDown() const override { return ctrl; }
    void BeginWaitCursor() override { ++waits; }
};

struct Messages : MessageService {
    std::vector<std::string> shown;
    void Show(const std::string& text) override { shown.push_back(text); }
};

struct EditHost : ToolHost {
    CKVDoc* doc = nullptr;
    XorScreen screen;
    int captures = 0;
    bool keepImage = false;
    SurfMap* World() override { return &doc->GetWorld(); }
    CKVDoc* EditedDocument() override { return doc; }
    bool PixelToLatLon(int x, int y, double& lat, double& lon) override
    {
        lat = lon = 0.0;
        if (x < 0 || x > 360 || y < 0 || y > 180)
            return false;
        lat = 90.0 - y;
        lon = x - 180.0;
        return true;
    }
    bool LatLonToPixel(double lat, double lon, int& x, int& y) override
    {
        x = static_cast<int>(std::lround(lon + 180.0));
        y = static_cast<int>(std::lround(90.0 - lat));
        return lat >= -90.0 && lat <= 90.0 && lon >= -180.0 && lon <= 180.0;
    }
    FeedbackCanvas* FeedbackTarget() override { return &screen; }
    void CaptureMouse(bool capture) override { captures += capture ? 1 : -1; }
    void SetKeepImage(bool keep) override { keepImage = keep; }
    void GiveOverlayTool(MouseTool& tool, uint32_t colour) override
    {
        if (auto* overlayTool = dynamic_cast<ToolImageOverlay*>(&tool)) {
            overlayTool->SetOverlay(doc->GetOverlays().GetActive());
            overlayTool->SetColor(colour);
        }
    }
};

class MapEditTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousHooks = SetProgressHooks(SilentProgressHooks());
        previousKeys = SetInputState(&keys);
        previousMessages = SetMessageService(&messages);
        GetUndoList().Clear();
        ASSERT_EQ(doc.GetWorld().SetResolution(256, false), 0);
        host.doc = &doc;
        MetricUnits = 1;
    }
    void TearDown() override
    {
        input.reset();
        GetUndoList().Clear();
        SetMessageService(previousMessages);
        SetInputState(previousKeys);
        SetProgressHooks(previousHooks);
        MetricUnits = 1;
        g_abortValue = 0;
    }
    ViewInput& Input()
    {
        if (!input)
            input = std::make_unique<ViewInput>(host);
        return *input;
    }
    // (Selecting the current tool again would switch to the no-action tool.)
    void Select(int id)
    {
        if (!Input().CurrentTool() || Input().CurrentId() != id)
            Input().SetTool(id, 0);
    }
    void Down(int x, int y) { Input().OnMouse(kToolMsgLButtonDown, kToolFlagLButton, x, y); }
    void Up(int x, int y) { Input().OnMouse(kToolMsgLButtonUp, 0, x, y); }
    void Move(int x, int y, unsigned flags = 0) { Input().OnMouse(kToolMsgMouseMove, flags, x, y); }
    void Wheel(int delta) { Input().OnMouse(kToolMsgMouseWheel, 0, 100, 100, delta); }
    void Key(int code)
    {
        Input().OnKeyDown(code);
        Input().OnKeyUp(code);
    }
    std::vector<uint8_t> Mask()
    {
        const CSelection& s = doc.GetSelection();
        std::vector<uint8_t> out;
        for (int r = 0; r < s.GetHeight(); ++r)
            for (int c = 0; c < s.GetWidth(); ++c)
                out.push_back(s.GetAt(c, r));
        return out;
    }
    std::vector<float> ChannelCells(int channel)
    {
        std::vector<float> out;
        int w = 0, h = 0;
        doc.GetWorld().GetGridDims(w, h);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                out.push_back(doc.GetWorld().GetCellValue(c, r, channel));
        return out;
    }
    template <class T>
    T* Tool()
    {
        return dynamic_cast<T*>(Input().CurrentTool());
    }

    DocumentEnvironment env;
    CKVDoc doc;
    ActiveDocument active{&doc};
    EditHost host;
    Keys keys;
    Messages messages;
    std::unique_ptr<ViewInput> input;
    ProgressHooks previousHooks{};
    InputState* previousKeys = nullptr;
    MessageService* previousMessages = nullptr;
};

ImageOverlay* AddOverlay(CKVDoc& doc, int w, int h)
{
    ImageOverlay* o = doc.GetOverlays().AddNamed("paint", w, h, true);
    doc.GetOverlays().SetActive(o);
    return o;
}

} // namespace

// ---- factory ----

TEST(MapEditToolFactory, EveryIdBuildsItsClass)
{
    struct Case {
        int id;
        bool spherical;
        bool (*is)(MouseTool*);
    };
    const Case cases[] = {
        {18, true, [](MouseTool* t) { return dynamic_cast<CToolSelectFreehand*>(t) != nullptr; }},
        {19, true, [](MouseTool* t) { return dynamic_cast<CToolSelectPolygon*>(t) != nullptr; }},
        {20, true, [](MouseTool* t) { return dynamic_cast<CToolSelectRectangle*>(t) != nullptr; }},
        {21, true, [](MouseTool* t) { return dynamic_cast<CToolSelectEllipse*>(t) != nullptr; }},
        {22, true, [](MouseTool* t) { return dynamic_cast<CToolSelectBrush*>(t) != nullptr; }},
        {23, true, [](MouseTool* t) { return dynamic_cast<CToolSelectPencil*>(t) != nullptr; }},
        {24, true, [](MouseTool* t) { return dynamic_cast<CToolSelectWandAltitude*>(t) != nullptr; }},
        {27, true, [](MouseTool* t) { return dynamic_cast<CToolSelectWandClimate*>(t) != nullptr; }},
        {28, true, [](MouseTool* t) { return dynamic_cast<CToolRuler*>(t) && !dynamic_cast<CToolPlanarRuler*>(t); }},
        {28, false, [](MouseTool* t) { return dynamic_cast<CToolPlanarRuler*>(t) != nullptr; }},
        {30, true, [](MouseTool* t) { return dynamic_cast<CToolCrater*>(t) && !dynamic_cast<CPlanarCraterTool*>(t); }},
        {30, false, [](MouseTool* t) { return dynamic_cast<CPlanarCraterTool*>(t) != nullptr; }},
        {31, true, [](MouseTool* t) { return dynamic_cast<CToolImagePaint*>(t) && !dynamic_cast<CToolImageErase*>(t); }},
        {32, true, [](MouseTool* t) { return dynamic_cast<CToolImageErase*>(t) != nullptr; }},
        {33, true, [](MouseTool* t) { return dynamic_cast<CToolAltColorPicker*>(t) != nullptr; }},
        {34, true, [](MouseTool* t) { return dynamic_cast<CToolSelectColorPicker*>(t) != nullptr; }},
        {35, true, [](MouseTool* t) { return dynamic_cast<CToolColorLinkPicker*>(t) != nullptr; }},
        {44, true, [](MouseTool* t) { return dynamic_cast<CToolImageColorPicker*>(t) != nullptr; }},
    };
    for (const Case& c : cases) {
        ToolCreateArgs args;
        args.code = c.id;
        args.spherical = c.spherical;
        std::unique_ptr<MouseTool> tool;
        EXPECT_TRUE(CreateMouseTool(args, tool)) << c.id;
        EXPECT_TRUE(c.is(tool.get())) << c.id;
    }
    const int channels[] = {1, 6, 0, 2, 3};
    for (int id = 39; id <= 43; ++id) {
        ToolCreateArgs args;
        args.code = id;
        std::unique_ptr<MouseTool> tool;
        ASSERT_TRUE(CreateMouseTool(args, tool));
        auto* g = dynamic_cast<CToolGradient*>(tool.get());
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->Channel(), channels[id - 39]);
    }
    // Id 0 has no tool of its own: the no-action tool, and false, as for any unknown id.
    {
        ToolCreateArgs args;
        args.code = ViewInput::kSizeXL;
        std::unique_ptr<MouseTool> tool;
        EXPECT_FALSE(CreateMouseTool(args, tool));
        EXPECT_NE(dynamic_cast<CToolNull*>(tool.get()), nullptr);
        EXPECT_EQ(tool->GetId(), ViewInput::kSizeXL);
    }
    CToolNull none;
    ToolInfo info;
    ASSERT_TRUE(none.GetToolInfo(info));
    EXPECT_EQ(info.first, 1);
    EXPECT_EQ(info.name, "No-Action Tool");
    EXPECT_EQ(info.toolTip, "No Action\nNo Action");
    EXPECT_EQ(info.description, "No Action is performed when this tool is selected");
}

TEST(MapEditToolParts, StrideThinsLongOutlinesAndPanelNumbersRefuseJunk)
{
    EXPECT_EQ(OutlineStride(100, 4), 1);
    EXPECT_EQ(OutlineStride(6000, 4), 1);
    EXPECT_EQ(OutlineStride(30000, 4), 5);   // 6000 feedback segments
    EXPECT_EQ(OutlineStride(30000, 16), 20); // 1500 fill segments
    EXPECT_EQ(OutlineStride(6001, 4), 2);
    for (const char* bad : {"", " ", "nan", "inf", "-inf", "1e39", "12abc", "0x10", "1,5"}) {
        double v = 7.0;
        EXPECT_FALSE(ParsePanelNumber(bad, v)) << bad;
        EXPECT_EQ(v, 7.0);
    }
    double v = 0.0;
    EXPECT_TRUE(ParsePanelNumber(" -12.5e2 ", v));
    EXPECT_EQ(v, -1250.0);
    int i = 5;
    EXPECT_FALSE(ParsePanelInt("0", 1, 32767, i));
    EXPECT_FALSE(ParsePanelInt("32768", 1, 32767, i));
    EXPECT_FALSE(ParsePanelInt("2.5", 1, 32767, i));
    EXPECT_TRUE(ParsePanelInt("32767", 1, 32767, i));
    EXPECT_EQ(i, 32767);
    EXPECT_EQ(ColorLinkText(0xFF563412u & 0xFFFFFFu), "123456");
    // Picked cells: replace, add (max with alpha), subtract (min with 255 - alpha), and
    // replace again with Shift and Ctrl together.
    EXPECT_EQ(CombinePickedCell(7, true, 128, 0), 255);
    EXPECT_EQ(CombinePickedCell(7, false, 128, 0), 0);
    EXPECT_EQ(CombinePickedCell(100, true, 128, 1), 128);
    EXPECT_EQ(CombinePickedCell(200, true, 128, 1), 200);
    EXPECT_EQ(CombinePickedCell(100, false, 128, 1), 100);
    EXPECT_EQ(CombinePickedCell(200, true, 128, 2), 127);
    EXPECT_EQ(CombinePickedCell(100, false, 128, 2), 100);
    EXPECT_EQ(CombinePickedCell(200, true, 1, 3), 255);
    EXPECT_EQ(CombinePickedCell(50, true, 255, 3), 255);
    EXPECT_EQ(CombinePickedCell(200, false, 255, 3), 0);
}

// ---- selection outlines ----

TEST_F(MapEditTools, RectangleInEveryModeFillsLikeItsCorners)
{
    struct Mode {
        bool shift, ctrl;
        int mode;
    };
    for (const Mode m : {Mode{false, false, 0}, Mode{true, false, 1}, Mode{false, true, 2}, Mode{true, true, 3}}) {
        CSelection& sel = doc.GetSelection();
        sel.Fill(0);
        for (int r = 0; r < sel.GetHeight(); ++r)
            for (int c = 0; c < sel.GetWidth(); c += 3)
                sel.SetAt(c, r, static_cast<uint8_t>(c * 7 + r));
        CSelection expected = sel;
        expected.FillPolygons({{60, -140}, {60, -30}, {-20, -30}, {-20, -140}}, 1.0f, m.mode, 16);
        GetUndoList().Clear();
        const std::vector<uint8_t> before = Mask();

        Select(20);
        keys.shift = m.shift;
        keys.ctrl = m.ctrl;
        Down(40, 30);
        Move(100, 90);
        Move(150, 110);
        EXPECT_TRUE(host.screen.polylines > 0);
        Down(150, 110);
        keys.shift = keys.ctrl = false;
        EXPECT_EQ(host.captures, 0);
        for (int r = 0; r < sel.GetHeight(); ++r)
            for (int c = 0; c < sel.GetWidth(); ++c)
                ASSERT_EQ(sel.GetAt(c, r), expected.GetAt(c, r)) << "mode " << m.mode << " at " << c << "," << r;
        EXPECT_TRUE(host.screen.Clean());
        EXPECT_EQ(GetUndoList().GetUndoDescription(), "Rectangle Selection");
        ASSERT_TRUE(GetUndoList().Undo());
        EXPECT_EQ(Mask(), before);
    }
}

TEST_F(MapEditTools, ShiftAndCtrlIntersectWithCursor353)
{
    Select(18);
    keys.shift = keys.ctrl = true;
    Input().OnKeyDown(kKeyControl);
    EXPECT_EQ(Tool<CToolSelectBase>()->Mode(), 3);
    EXPECT_EQ(Tool<CToolSelectBase>()->GetCursor(), kCursorSelectIntersect);
    keys.shift = false;
    Input().OnKeyUp(kKeyShift);
    EXPECT_EQ(Tool<CToolSelectBase>()->Mode(), 2);
    EXPECT_EQ(Tool<CToolSelectBase>()->GetCursor(), 526);
}

TEST_F(MapEditTools, PolygonEndsOnThePreviousPixelAndFreehandOnARepeatedMove)
{
    Select(19);
    Down(50, 50);
    Move(120, 50);
    Down(120, 50);
    Move(120, 120);
    Down(120, 120);
    ASSERT_TRUE(Tool<CToolSelectBase>()->IsDrawing());
    EXPECT_EQ(Tool<CToolSelectBase>()->Outline().size(), 4u);
    Down(120, 120); // the pixel of the previous click
    EXPECT_FALSE(Tool<CToolSelectBase>()->IsDrawing());
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Polygon Selection");
    EXPECT_TRUE(doc.GetSelection().IsActive());
    EXPECT_TRUE(host.screen.Clean());

    GetUndoList().Clear();
    Select(18);
    Down(50, 50);
    Move(60, 55);
    Move(70, 80);
    Move(40, 90);
    EXPECT_TRUE(Tool<CToolSelectBase>()->IsDrawing());
    Move(40, 90); // the pixel already handled
    EXPECT_FALSE(Tool<CToolSelectBase>()->IsDrawing());
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Freehand Selection");
    EXPECT_TRUE(host.screen.Clean());
}

TEST_F(MapEditTools, DeleteRemovesAndEscapeCancelsWithoutAStep)
{
    Select(19);
    Down(50, 50);
    Move(100, 50);
    Down(100, 50);
    Move(100, 100);
    ASSERT_EQ(Tool<CToolSelectBase>()->Outline().size(), 3u);
    Key(kKeyDelete); // the point before the moving one
    ASSERT_EQ(Tool<CToolSelectBase>()->Outline().size(), 2u);
    EXPECT_EQ(Tool<CToolSelectBase>()->Outline()[1].longitude, -80.0); // the moving point stays
    Key(kKeyEscape);
    EXPECT_FALSE(Tool<CToolSelectBase>()->IsDrawing());
    EXPECT_TRUE(Tool<CToolSelectBase>()->Outline().empty());
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_TRUE(host.screen.Clean());
    EXPECT_EQ(host.captures, 0);
    // Off the map nothing starts.
    Down(500, 50);
    EXPECT_FALSE(Tool<CToolSelectBase>()->IsDrawing());
}

TEST_F(MapEditTools, LongFreehandOutlineIsDrawnWithAStride)
{
    struct Exposed : CToolSelectFreehand {
        void Fill(int n)
        {
            m_outline.clear();
            for (int i = 0; i < n; ++i) {
                const double a = i * 2.0 * M_PI / n * 7.0;
                m_outline.push_back({40.0 * std::sin(a) * (0.3 + 0.7 * i / n), 80.0 * std::cos(a)});
            }
        }
    } tool;
    tool.Fill(30000);
    ToolEvent e;
    e.view = &Input();
    e.canvas = &host.screen;
    tool.DrawFeedback(e);
    EXPECT_GT(tool.LastFeedback().size(), 100u);
    EXPECT_LE(tool.LastFeedback().size(), 6000u);
    tool.DrawFeedback(e);
    EXPECT_TRUE(host.screen.Clean());
}

TEST_F(MapEditTools, EllipseOutlineAndWandsDoNothing)
{
    Select(21);
    Down(100, 40);
    Move(200, 100);
    const auto& outline = Tool<CToolSelectBase>()->Outline();
    ASSERT_EQ(outline.size(), 64u);
    EXPECT_DOUBLE_EQ(outline[0].latitude, 20.0); // centre (20, -30), half extents 30 x 50
    EXPECT_DOUBLE_EQ(outline[0].longitude, 20.0);
    EXPECT_NEAR(outline[16].latitude, 50.0, 1e-9);
    EXPECT_NEAR(outline[16].longitude, -30.0, 1e-9);
    Key(kKeyEscape);
    for (int id = 24; id <= 27; ++id) {
        Select(id);
        const int waits = keys.waits;
        Down(100, 40);
        Move(120, 60);
        Down(120, 60);
        EXPECT_GT(keys.waits, waits);
        EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    }
}

TEST_F(MapEditTools, SelectionBrushAndPencilStrokesChangeNothing)
{
    std::vector<std::vector<float>> before;
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        const Grid2D* g = doc.GetWorld().Channel(ch);
        before.emplace_back();
        if (g)
            before.back().assign(g->DataAs<float>(), g->DataAs<float>() + g->CellCount());
    }
    for (int id : {22, 23}) {
        Select(id);
        auto* paint = Tool<ToolPaint>();
        ASSERT_NE(paint, nullptr) << id;
        if (id == 22)
            EXPECT_EQ(paint->GetStatusText(), CToolSelectBrush::kStatusText);
        Down(100, 40);
        Move(130, 50);
        Move(160, 60);
        Up(160, 60);
        EXPECT_EQ(GetUndoList().GetUndoCount(), 0) << id;
    }
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        const Grid2D* g = doc.GetWorld().Channel(ch);
        if (g)
            EXPECT_TRUE(std::equal(before[ch].begin(), before[ch].end(), g->DataAs<float>())) << ch;
    }
    for (int r = 0; r < doc.GetSelection().GetHeight(); ++r)
        for (int c = 0; c < doc.GetSelection().GetWidth(); ++c)
            ASSERT_EQ(doc.GetSelection().GetAt(c, r), 0) << c << "," << r;
}

// ---- selection colour picker ----

class ColourPick : public MapEditTools {
protected:
    void SetUp() override
    {
        MapEditTools::SetUp();
        ASSERT_EQ(doc.GetWorld().SetResolution(8, false), 0);
        ASSERT_EQ(doc.GetSelection().GetWidth(), 8);
        ASSERT_EQ(doc.GetSelection().GetHeight(), 4);
        ImageOverlay* o = AddOverlay(doc, 8, 4);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 8; ++c)
                o->PixelRow(r)[c] = c < 4 ? 0xFF0000FFu : 0x80FF0000u;
        Select(34);
    }
    void Fill(uint8_t left, uint8_t right)
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 8; ++c)
                doc.GetSelection().SetAt(c, r, c < 2 ? left : right);
    }
    static constexpr int kRedX = 10, kBlueX = 300, kY = 90;
};

TEST_F(ColourPick, CombinesMatchingCellsByMode)
{
    struct Case {
        int x;
        bool shift, ctrl;
        uint8_t left, right;
        uint8_t expect[8];
    };
    const Case cases[] = {
        {kRedX, false, false, 9, 9, {255, 255, 255, 255, 0, 0, 0, 0}},
        {kBlueX, true, false, 100, 100, {100, 100, 100, 100, 128, 128, 128, 128}},
        {kRedX, false, true, 100, 100, {0, 0, 0, 0, 100, 100, 100, 100}},
        // Shift and Ctrl together replace the selection with the picked colour's cells.
        {kRedX, true, true, 200, 50, {255, 255, 255, 255, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Fill(c.left, c.right);
        GetUndoList().Clear();
        const std::vector<uint8_t> before = Mask();
        keys.shift = c.shift;
        keys.ctrl = c.ctrl;
        Down(c.x, kY);
        for (int r = 0; r < 4; ++r)
            for (int col = 0; col < 8; ++col)
                ASSERT_EQ(doc.GetSelection().GetAt(col, r), c.expect[col]) << c.x << " " << c.shift << c.ctrl << " col " << col;
        EXPECT_EQ(GetUndoList().GetUndoDescription(), "Freehand Selection");
        ASSERT_TRUE(GetUndoList().Undo());
        EXPECT_EQ(Mask(), before);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ColourPick, TransparentPointShowsTheMessageAndRecordsNothing)
{
    doc.GetOverlays().GetActive()->Fill(0x00FFFFFFu);
    Fill(3, 3);
    Down(kRedX, kY);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], kTransparentPickMessage);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_EQ(doc.GetSelection().GetAt(0, 0), 3);
    // The other pickers say the same.
    for (int id : {33, 35, 44}) {
        Select(id);
        Down(kRedX, kY);
    }
    EXPECT_EQ(messages.shown.size(), 4u);
}

TEST_F(ColourPick, PickersHandTheColourOn)
{
    struct Alt : AltColorWindow {
        std::vector<uint32_t> added;
        void AddEntryForColor(uint32_t rgb) override { added.push_back(rgb); }
    } alt;
    struct Links : ColorLinkColorTarget {
        std::string shown;
        void SetColor(uint32_t rgb) override { shown = ColorLinkText(rgb); }
    } links;
    AltColorWindow* previousAlt = SetAltColorWindow(&alt);
    ColorLinkColorTarget* previousLinks = SetColorLinkColorTarget(&links);
    for (int r = 0; r < 4; ++r)
        doc.GetOverlays().GetActive()->PixelRow(r)[0] = 0xFF563412u;
    Select(33);
    Down(kRedX, kY);
    EXPECT_EQ(alt.added, (std::vector<uint32_t>{0x563412u}));
    Select(35);
    Down(kRedX, kY);
    EXPECT_EQ(links.shown, "123456");
    Select(44);
    Down(kBlueX, kY);
    EXPECT_EQ(Input().DrawingColour(), 0x80FF0000u);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    SetAltColorWindow(previousAlt);
    SetColorLinkColorTarget(previousLinks);
}

// ---- rulers ----

TEST_F(MapEditTools, RulerReadsGreatCircleAndPlanarDistances)
{
    Select(28);
    Down(90, 90); // lat 0, lon -90
    Move(180, 90);
    Down(180, 90);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "Distance: 10058.40 km\ndLat, dLon: 0.00, 90.00 deg");
    EXPECT_TRUE(host.screen.Clean());

    MetricUnits = 0;
    Down(90, 90);
    Move(180, 90);
    Down(180, 90);
    EXPECT_EQ(messages.shown.back(), "Distance: 6250.00 mi\ndLat, dLon: 0.00, 90.00 deg");
    MetricUnits = 1;

    // Shift+click adds a segment; dLat and dLon describe the last one.
    Down(90, 90);
    Move(180, 90);
    keys.shift = true;
    Down(180, 90);
    keys.shift = false;
    Move(180, 60);
    Down(180, 60);
    EXPECT_EQ(messages.shown.back(), "Distance: 13411.20 km\ndLat, dLon: 30.00, 0.00 deg");

    // Two Deletes empty the list: 0.00 with no last segment.
    Down(90, 90);
    Key(kKeyDelete);
    Key(kKeyDelete);
    Down(90, 90);
    EXPECT_EQ(messages.shown.back(), "Distance: 0.00 km\ndLat, dLon: 0.00, 0.00 deg");

    doc.GetWorld().sphericalMapping = 0;
    Select(0);
    Select(28);
    ASSERT_NE(Tool<CToolPlanarRuler>(), nullptr);
    Down(180, 90);
    Move(220, 60); // lat 30, lon 40
    Down(220, 60);
    EXPECT_EQ(messages.shown.back(), "Distance: 5588.00 km");
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
}

// ---- craters ----

TEST_F(MapEditTools, CraterGoesToTheClickAndSizesByLatitudeOnly)
{
    doc.Recalculate();
    GetUndoList().Clear();
    Input().SetTool(30, 0, false, 5.0);
    auto* crater = Tool<CToolCrater>();
    ASSERT_NE(crater, nullptr);
    const std::vector<float> before = ChannelCells(1);
    Down(200, 60); // no move before: the click still places it there
    EXPECT_DOUBLE_EQ(crater->CentreLatitude(), 30.0);
    EXPECT_DOUBLE_EQ(crater->CentreLongitude(), 20.0);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Crater");
    EXPECT_NE(ChannelCells(1), before);
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_EQ(ChannelCells(1), before);
    // Off the map: nothing.
    Down(500, 60);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);

    Move(100, 100);
    Input().OnKeyDown(kKeyControl);
    EXPECT_EQ(crater->State(), CToolCrater::kStateSizing);
    Move(160, 100, kToolFlagControl); // horizontal: the radius stays
    EXPECT_DOUBLE_EQ(crater->Radius(), 0.0);
    Move(160, 80, kToolFlagControl);
    EXPECT_DOUBLE_EQ(crater->Radius(), 20.0);
    Move(160, 180, kToolFlagControl);
    EXPECT_DOUBLE_EQ(crater->Radius(), 80.0);
    Input().OnKeyUp(kKeyControl);
    EXPECT_EQ(crater->State(), CToolCrater::kStateNormal);
    EXPECT_DOUBLE_EQ(crater->CentreLongitude(), -20.0);
    // Ctrl's key-up went to another window: the next move without Ctrl moves the crater.
    Input().OnKeyDown(kKeyControl);
    Move(160, 40);
    EXPECT_EQ(crater->State(), CToolCrater::kStateNormal);
    EXPECT_DOUBLE_EQ(crater->Radius(), 80.0);
    EXPECT_DOUBLE_EQ(crater->CentreLatitude(), 50.0);

    Wheel(120 * 20);
    EXPECT_DOUBLE_EQ(crater->Radius(), 90.0);
    Wheel(-120 * 100);
    EXPECT_DOUBLE_EQ(crater->Radius(), 0.0);
    for (int i = 0; i < 3; ++i)
        Wheel(40); // three small deltas make one notch
    EXPECT_DOUBLE_EQ(crater->Radius(), 1.0);
    Wheel(120 * 9);
    host.screen.pixels.assign(host.screen.pixels.size(), 0);
    Input().DrawFeedback(host.screen);
    EXPECT_FALSE(host.screen.Clean());
    Input().DrawFeedback(host.screen);
    EXPECT_TRUE(host.screen.Clean());
}

TEST(CraterRings, PolarRingWrapsWithinTheDateLine)
{
    CToolCrater tool(20.0);
    ToolEvent e;
    // Centre near the north pole, radius past it: longitudes stay within -180..180.
    struct Mover : CToolCrater {
        using CToolCrater::CToolCrater;
        void At(double lat, double lon)
        {
            m_latitude = lat;
            m_longitude = lon;
        }
    } ring(20.0);
    ring.At(80.0, 175.0);
    for (int i = 0; i < 64; ++i) {
        double lat = 0.0, lon = 0.0;
        ring.RingPoint(20.0, i / 64.0 * 2.0 * M_PI, lat, lon);
        ASSERT_GE(lon, -180.0);
        ASSERT_LT(lon, 180.0);
        ASSERT_LE(lat, 90.0);
    }
    double lat = 0.0, lon = 0.0;
    ring.RingPoint(20.0, 0.0, lat, lon); // straight north across the pole
    EXPECT_NEAR(lat, 80.0, 1e-9);
    EXPECT_NEAR(std::fabs(lon), 5.0, 1e-9);
    CPlanarCraterTool planar(10.0);
    planar.RingPoint(10.0, M_PI / 2, lat, lon);
    EXPECT_NEAR(lat, 10.0, 1e-12);
    EXPECT_NEAR(lon, 0.0, 1e-12);
}

// ---- overlay paint and erase ----

TEST_F(MapEditTools, StrokeStampsLikeTheBrushAndEraseClearsAlpha)
{
    ImageOverlay* o = AddOverlay(doc, 64, 32);
    o->Fill(0xFF102030u);
    ImageOverlay expected = *o;
    Input().SetDrawingColour(0xFF0000FFu);
    Input().SetTool(31 | ViewInput::kOverlayTool, ViewInput::kSizeSM);
    auto* paint = Tool<CToolImagePaint>();
    ASSERT_NE(paint, nullptr);
    EXPECT_TRUE(host.keepImage);
    ImageBrush brush;
    brush.SetParameters(paint->BrushSize(), paint->BrushSize(), CToolImagePaint::kBrushFlags, 0xFF0000FFu, 0.5f, 1.0f);
    brush.StampAt(expected, 30.0, -80.0, &doc.GetSelection());
    brush.StampAt(expected, 30.0, -70.0, &doc.GetSelection());
    Down(100, 60);
    Move(100, 60); // the same pixel: no second stamp
    Move(110, 60);
    Up(110, 60);
    Move(150, 60); // not painting
    ASSERT_EQ(std::memcmp(o->pixels->Data(), expected.pixels->Data(), o->pixels->ByteCount()), 0);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 1);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Paint Tool on Overlay");
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_EQ(o->PixelRow(20)[10], 0xFF102030u);

    Input().SetTool(32 | ViewInput::kOverlayTool, ViewInput::kSizeSM);
    auto* erase = Tool<CToolImageErase>();
    ASSERT_NE(erase, nullptr);
    EXPECT_EQ(erase->Color() >> 24, 0u);
    erase->SetColor(0xFF445566u);
    EXPECT_EQ(erase->Color(), 0x00FFFFFFu);
    Down(100, 60);
    Up(100, 60);
    int x = 0, y = 0;
    o->LatLonToPixel(30.0, -80.0, x, y);
    EXPECT_EQ(o->PixelRow(y)[x] >> 24, 0u);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Erase Tool on Overlay");
    Input().SetTool(0);
    EXPECT_FALSE(host.keepImage);
}

TEST_F(MapEditTools, BrushSizeStaysWithinItsLimitsAndItsOutlineErases)
{
    AddOverlay(doc, 360, 180);
    Input().SetTool(31 | ViewInput::kOverlayTool, ViewInput::kSizeSM);
    auto* paint = Tool<CToolImagePaint>();
    const int size = paint->BrushSize();
    Wheel(30);
    Wheel(30);
    EXPECT_EQ(paint->BrushSize(), size + 1); // two half notches: 2 x 60 / 120 pixels
    Wheel(32767);
    Wheel(32767);
    EXPECT_EQ(paint->BrushSize(), 512);
    Wheel(-32768);
    Wheel(-32768);
    EXPECT_EQ(paint->BrushSize(), 1);
    Wheel(120 * 10);
    Move(100, 60);
    Move(140, 70); // erases the outline at the last pixel, draws the new one
    host.screen.pixels.assign(host.screen.pixels.size(), 0);
    Input().DrawFeedback(host.screen);
    // Around the mouse, however the view's drawing event is placed.
    int near = 0, far = 0;
    for (int y = 0; y < kCanvasH; ++y)
        for (int x = 0; x < kCanvasW; ++x)
            if (host.screen.pixels[static_cast<std::size_t>(y * kCanvasW + x)])
                ++(std::abs(x - 140) < 40 && std::abs(y - 70) < 40 ? near : far);
    EXPECT_GT(near, 10);
    EXPECT_EQ(far, 0);
    Input().DrawFeedback(host.screen);
    EXPECT_TRUE(host.screen.Clean());
}

// ---- gradient tool ----

class GradientTool : public MapEditTools {
protected:
    void SetUp() override
    {
        MapEditTools::SetUp();
        SharedGradientSettings() = GradientSettings{};
        SharedGradientSettings().curve = kBlendLinear;
    }
};

TEST_F(GradientTool, DragRendersBetweenTheGridPositionsOfPressAndRelease)
{
    const std::vector<float> before = ChannelCells(2);
    SurfMap reference;
    ASSERT_EQ(reference.SetResolution(256, false), 0);
    GradientSetup layout;
    layout.curve = kBlendLinear;
    // Press at the top edge (latitude 90: said outside, used all the same).
    reference.LatLonToGrid(90.0, -150.0, layout.startX, layout.startY);
    reference.LatLonToGrid(-10.0, 20.0, layout.endX, layout.endY);
    RenderGradient(reference, 2, kGradientLinear, layout);

    Select(42);
    Down(30, 0);
    Move(100, 50);
    EXPECT_EQ(host.captures, 1);
    Up(200, 100);
    EXPECT_EQ(host.captures, 0);
    EXPECT_TRUE(host.screen.Clean());
    EXPECT_GT(host.screen.solidLines, 0);
    int w = 0, h = 0;
    doc.GetWorld().GetGridDims(w, h);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            ASSERT_EQ(doc.GetWorld().GetCellValue(c, r, 2), reference.GetCellValue(c, r, 2)) << c << "," << r;
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Gradient");
    EXPECT_EQ(doc.GetWorld().defaultChannel, 1);
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_EQ(ChannelCells(2), before);
}

TEST_F(GradientTool, EscapeAndReleaseOffTheMapChangeNothing)
{
    const std::vector<float> before = ChannelCells(3);
    Select(43);
    Down(30, 30);
    Move(100, 50);
    Key(kKeyEscape);
    Up(100, 50);
    EXPECT_TRUE(host.screen.Clean());
    Down(30, 30);
    Move(500, 50);
    Up(500, 50);
    EXPECT_FALSE(Tool<CToolGradient>()->IsDragging());
    EXPECT_TRUE(host.screen.Clean());
    EXPECT_EQ(host.captures, 0);
    EXPECT_EQ(ChannelCells(3), before);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
}

TEST_F(GradientTool, PanelShowsAndStoresFeetWhenNotMetricAndRefusesJunk)
{
    struct Panel : GradientOptionsPanel {
        GradientPanelValues shown, typed;
        bool valid = true;
        void Load(const GradientPanelValues& v) override { shown = v; }
        bool Read(GradientPanelValues& v) override
        {
            if (valid)
                v = typed;
            return valid;
        }
    };
    struct Bar : ToolOptionsBar {
        Panel* panel = nullptr;
        std::string caption;
        std::unique_ptr<GradientOptionsPanel> CreateGradientPanel() override
        {
            auto p = std::make_unique<Panel>();
            panel = p.get();
            return p;
        }
        void SetCaption(const std::string& c) override { caption = c; }
    } bar;
    struct BarHost : EditHost {
        ToolOptionsBar* bar = nullptr;
        ToolOptionsBar* OptionsBar() override { return bar; }
    };
    MetricUnits = 0;
    BarHost barHost;
    barHost.doc = &doc;
    barHost.bar = &bar;
    ViewInput view(barHost);
    view.SetTool(39, 0);
    ASSERT_NE(bar.panel, nullptr);
    EXPECT_EQ(bar.caption, "Gradient Options");
    EXPECT_NEAR(bar.panel->shown.end, 328.084, 1e-9);
    bar.panel->typed = {0.0, 10.0, 0, kGradientRadial, 0};
    const std::vector<float> before = ChannelCells(1);
    bar.panel->valid = false;
    view.OnMouse(kToolMsgLButtonDown, 1, 100, 90);
    view.OnMouse(kToolMsgLButtonUp, 0, 150, 90);
    EXPECT_EQ(ChannelCells(1), before);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_EQ(SharedGradientSettings().end, 100.0);
    bar.panel->valid = true;
    view.OnMouse(kToolMsgLButtonDown, 1, 100, 90);
    view.OnMouse(kToolMsgLButtonUp, 0, 150, 90);
    EXPECT_NEAR(SharedGradientSettings().end, 3.048, 1e-12);
    EXPECT_EQ(SharedGradientSettings().kind, kGradientRadial);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Gradient");
}

// ---- random input ----

TEST_F(MapEditTools, RandomEventStreamsChangeNothingWithoutAStep)
{
    ASSERT_EQ(doc.GetWorld().SetResolution(16, false), 0);
    ImageOverlay* o = AddOverlay(doc, 16, 8);
    o->Fill(0xFF0000FFu);
    std::mt19937 rng(1234);
    const int ids[] = {0, 18, 19, 20, 21, 24, 25, 26, 27, 28, 30, 31, 32, 33, 34, 35, 39, 40, 41, 42, 43, 44};
    auto state = [&] {
        std::vector<uint8_t> bytes = Mask();
        for (int ch = 0; ch < 7; ++ch)
            if (const Grid2D* g = doc.GetWorld().Channel(ch)) {
                const auto* d = reinterpret_cast<const uint8_t*>(g->Data());
                bytes.insert(bytes.end(), d, d + g->ByteCount());
            }
        const auto* p = reinterpret_cast<const uint8_t*>(o->pixels->Data());
        bytes.insert(bytes.end(), p, p + o->pixels->ByteCount());
        return bytes;
    };
    for (int id : ids) {
        GetUndoList().Clear();
        const int code = id == 31 || id == 32 ? (id | ViewInput::kOverlayTool) : id;
        Input().SetTool(code, 0, false, id == 30 ? 3.0 : 0.0);
        for (int i = 0; i < 150; ++i) {
            const std::vector<uint8_t> before = state();
            auto top = [] {
                const int n = GetUndoList().GetUndoCount();
                return n > 0 ? GetUndoList().Step(n - 1) : nullptr;
            };
            const UndoBuffer* steps = top();
            const int x = std::uniform_int_distribution<int>(-50, 420)(rng);
            const int y = std::uniform_int_distribution<int>(-50, 230)(rng);
            keys.shift = rng() & 1;
            keys.ctrl = (rng() & 3) == 0;
            switch (rng() % 7) {
            case 0: Down(x, y); break;
            case 1: Up(x, y); break;
            case 2: case 3: Move(x, y); break;
            case 4: Input().OnMouse(kToolMsgMouseWheel, 0, x, y, (rng() & 1) ? 32767 : -32768); break;
            case 5: Input().OnKeyDown(std::array<int, 5>{13, 27, 46, 16, 17}[rng() % 5]); break;
            default: Input().OnKeyUp(std::array<int, 3>{16, 17, 27}[rng() % 3]); break;
            }
            if (top() == steps)
                ASSERT_EQ(state(), before) << "tool " << id << " event " << i;
        }
        keys.shift = keys.ctrl = false;
    }
}
