// The paint tools driven through the view's input, without a window.
#include "base/DisplayUnits.h"
#include "view/ViewInput.h"
#include "view/tools/CToolAbsPaint.h"
#include "view/tools/ToolOptionsBar.h"
#include "view/tools/ToolPaint.h"
#include "world/SurfBrush.h"
#include "world/SurfMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace kv;

namespace {

struct FakePanel : PaintbrushPanel {
    PaintbrushFields shown;
    bool valid = true;
    void Show(const PaintbrushFields& f) override { shown = f; }
    bool Read(PaintbrushFields& f) const override
    {
        if (valid)
            f = shown;
        return valid;
    }
};

struct FakeBar : ToolOptionsBar {
    FakePanel* panel = nullptr;
    std::string caption;
    void SetCaption(const std::string& text) override { caption = text; }
    std::unique_ptr<PaintbrushPanel> CreatePaintbrushPanel(ToolPaint&) override
    {
        auto p = std::make_unique<FakePanel>();
        panel = p.get();
        return p;
    }
};

struct Stroke {
    int code, x, y;
    bool press;
    float value;
};

// Pixel (x, y) lies at latitude y / 2 and longitude x / 4; y >= 1000 is off the map.
struct PaintHost : ToolHost {
    SurfMap world{nullptr};
    FakeBar bar;
    std::vector<Stroke> strokes;
    int feedbackDraws = 0;
    PaintHost() { world.SetResolution(SurfMap::kResolution1024, false); }
    SurfMap* World() override { return &world; }
    bool PixelToLatLon(int x, int y, double& lat, double& lon) override
    {
        lat = y * 0.5;
        lon = x * 0.25;
        return y < 1000;
    }
    bool LatLonToPixel(double lat, double lon, int& x, int& y) override
    {
        x = static_cast<int>(lon * 4);
        y = static_cast<int>(lat * 2);
        return true;
    }
    void EvaluatePoint(CursorInfo& info) override
    {
        info.altitude = 123.0f;
        info.temperature = 288.0f;
        info.rainfall = 55.0f;
        info.climate = 7;
    }
    ToolOptionsBar* OptionsBar() override { return &bar; }
    bool PaintStroke(int code, int x, int y, bool press, ChannelBrush& brush) override
    {
        strokes.push_back({code, x, y, press, static_cast<SurfBrush&>(brush).GetSettings().value});
        return true;
    }
    void ToggleToolFeedback() override { ++feedbackDraws; }
};

struct PaintToolsTest : ::testing::Test {
    PaintHost host;
    ViewInput input{host};
    ~PaintToolsTest() override { MetricUnits = 1; }
    ToolPaint& Select(int id)
    {
        input.SetTool(id | ViewInput::kPaintingFamily, ViewInput::kSizeSM);
        return dynamic_cast<ToolPaint&>(*input.CurrentTool());
    }
    FakePanel& Panel() { return *host.bar.panel; }
};

} // namespace

TEST_F(PaintToolsTest, EveryPaintToolIsBuiltWithItsPanelAndDirection)
{
    for (int id : {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 36, 37, 38}) {
        ToolPaint& tool = Select(id);
        EXPECT_EQ(tool.GetStatusText(), ToolPaint::kStatusText);
        EXPECT_EQ(tool.GetCursor(), kCursorPaintBrush);
        EXPECT_EQ(host.bar.caption, "Paintbrush Options");
        EXPECT_EQ(Panel().shown.width, 10);
        EXPECT_EQ(Panel().shown.operation, FindPaintTool(id)->direction) << id;
        EXPECT_EQ(tool.Settings().Mode(), FindPaintTool(id)->direction) << id;
        EXPECT_EQ(dynamic_cast<CToolAbsPaint*>(&tool) != nullptr, FindPaintTool(id)->direction == 0) << id;
        EXPECT_TRUE(input.IsPainting());
    }
    input.SetTool(0);
    EXPECT_FALSE(input.IsPainting());
}

TEST_F(PaintToolsTest, ImperialValuesShownAndReadBack)
{
    MetricUnits = 0;
    struct Case {
        int id;
        float stored, shown, typed, readBack;
    } cases[] = {
        {15, 10.0f, 50.0f, 50.0f, 10.0f},       // degrees: x 1.8 + 32
        {4, 10.0f, 18.0f, 50.0f, 27.777780f},   // a difference: x 1.8
        {3, 1.0f, 1.8f, 50.0f, 27.777780f},
        {6, 2.54f, 1.0f, 1.0f, 2.54f},          // in/yr
        {13, 0.3048f, 1.0f, 10.0f, 3.048f},     // feet
        {9, 0.5f, 0.5f, 0.25f, 0.25f},          // roughness as it is
    };
    for (const Case& c : cases) {
        input.Amounts() = ToolAmounts();
        input.SetToolAmount(c.id, c.stored);
        ToolPaint& tool = Select(c.id);
        EXPECT_NEAR(Panel().shown.value, c.shown, 1e-4) << c.id;
        Panel().shown.value = c.typed;
        ASSERT_TRUE(tool.ReadPanel());
        EXPECT_NEAR(tool.Settings().value, c.readBack, 1e-4) << c.id;
    }
}

TEST_F(PaintToolsTest, AStrokePaintsTheViewsAmountAndEndsWithTheButton)
{
    input.Amounts().offset = 75.0f;
    ToolPaint& tool = Select(8);
    EXPECT_FLOAT_EQ(tool.Settings().value, 75.0f);
    input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton, 40, 20);
    input.OnMouse(kToolMsgMouseMove, kToolFlagLButton, 40, 20); // no change of position: nothing
    input.OnMouse(kToolMsgMouseMove, kToolFlagLButton, 44, 20);
    input.OnMouse(kToolMsgLButtonUp, 0, 44, 20);
    input.OnMouse(kToolMsgMouseMove, 0, 48, 20);
    ASSERT_EQ(host.strokes.size(), 2u);
    EXPECT_TRUE(host.strokes[0].press);
    EXPECT_FALSE(host.strokes[1].press);
    EXPECT_EQ(host.strokes[1].x, 44);
    EXPECT_FLOAT_EQ(host.strokes[0].value, 75.0f);
    EXPECT_FLOAT_EQ(input.Amounts().offset, 75.0f);
    EXPECT_EQ(tool.GetState(), ToolPaint::kIdle);

    // A panel holding no number starts no stroke.
    Panel().valid = false;
    input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton, 40, 20);
    input.OnMouse(kToolMsgMouseMove, kToolFlagLButton, 42, 20);
    EXPECT_EQ(host.strokes.size(), 2u);
    EXPECT_EQ(tool.GetState(), ToolPaint::kIdle);
}

TEST_F(PaintToolsTest, TheFirstPaintToolTakesTheSmallPreset)
{
    input.presetSM = 10;
    input.CreateFirstTool(false);
    input.SetTool(8 | ViewInput::kPaintingFamily);
    auto& tool = dynamic_cast<ToolPaint&>(*input.CurrentTool());
    EXPECT_EQ(tool.Settings().width, 10);
    EXPECT_EQ(input.CurrentSizeBits(), ViewInput::kSizeSM);
}

TEST_F(PaintToolsTest, AControlKeyUpLostElsewhereLeavesNoResizeBehind)
{
    // Ctrl went down over the map, its key-up went to a dialog: the next drag paints.
    ToolPaint& tool = Select(8);
    const int width = tool.Settings().width;
    input.OnMouse(kToolMsgMouseMove, 0, 40, 20);
    input.OnKeyDown(kKeyControl);
    ASSERT_EQ(tool.GetState(), ToolPaint::kResizing);
    input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton, 40, 20);
    input.OnMouse(kToolMsgMouseMove, kToolFlagLButton, 60, 30);
    input.OnMouse(kToolMsgLButtonUp, 0, 60, 30);
    ASSERT_EQ(host.strokes.size(), 2u);
    EXPECT_TRUE(host.strokes[0].press);
    EXPECT_FALSE(host.strokes[1].press);
    EXPECT_EQ(tool.Settings().width, width);
    EXPECT_EQ(tool.GetState(), ToolPaint::kIdle);
}

TEST_F(PaintToolsTest, StrokesEndWhateverInterruptsThem)
{
    // Released while resizing: Control up does not bring the stroke back.
    ToolPaint& tool = Select(4);
    input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton, 40, 20);
    input.OnKeyDown(kKeyControl);
    EXPECT_EQ(tool.GetState(), ToolPaint::kResizing);
    input.OnMouse(kToolMsgLButtonUp, 0, 40, 20);
    input.OnKeyUp(kKeyControl);
    EXPECT_EQ(tool.GetState(), ToolPaint::kIdle);
    host.strokes.clear();
    input.OnMouse(kToolMsgMouseMove, 0, 60, 20);
    EXPECT_TRUE(host.strokes.empty());

    // Suspended by Space: the stroke is over when the tool comes back.
    input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton, 40, 20);
    input.OnKeyDown(kKeySpace);
    input.OnKeyUp(kKeySpace);
    ToolPaint& resumed = dynamic_cast<ToolPaint&>(*input.CurrentTool());
    EXPECT_EQ(&resumed, &tool);
    EXPECT_EQ(tool.GetState(), ToolPaint::kIdle);
}

TEST_F(PaintToolsTest, ControlDragAndWheelResize)
{
    ToolPaint& tool = Select(7);
    input.OnMouse(kToolMsgMouseMove, 0, 40, 0);
    input.OnKeyDown(kKeyControl);
    // 9 degrees on a grid 512 rows high: trunc(9 x 512 / 90) = 51.
    input.OnMouse(kToolMsgMouseMove, kToolFlagControl, 40, 18);
    EXPECT_EQ(tool.Settings().width, 51);
    EXPECT_EQ(tool.Settings().height, 51);
    EXPECT_EQ(Panel().shown.width, 51);
    input.OnMouse(kToolMsgMouseMove, kToolFlagControl, 40, 2000); // off the map: unchanged
    EXPECT_EQ(tool.Settings().width, 51);
    input.OnMouse(kToolMsgMouseMove, kToolFlagControl, 40, 900); // 450 degrees away: held at 512
    EXPECT_EQ(tool.Settings().width, 512);
    input.OnKeyUp(kKeyControl);
    EXPECT_EQ(tool.GetState(), ToolPaint::kIdle);
    // A wheel-resized size survives the next press (the panel takes up to 512).
    input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton, 40, 20);
    input.OnMouse(kToolMsgLButtonUp, 0, 40, 20);
    EXPECT_EQ(tool.Settings().width, 512);

    Panel().shown.width = Panel().shown.height = 10;
    input.OnMouse(kToolMsgMouseWheel, 0, 40, 20, 120);
    EXPECT_EQ(tool.Settings().width, 12);
    for (int i = 0; i < 4; ++i) // a fine wheel: four quarter notches make one notch
        input.OnMouse(kToolMsgMouseWheel, 0, 40, 20, 30);
    EXPECT_EQ(tool.Settings().width, 14);
    input.OnMouse(kToolMsgMouseWheel, 0, 40, 20, -120 * 20);
    EXPECT_EQ(tool.Settings().width, 1);
    // Typed sizes are held within 1..512.
    Panel().shown.width = 0;
    Panel().shown.height = 600;
    ASSERT_TRUE(tool.ReadPanel());
    EXPECT_EQ(tool.Settings().width, 1);
    EXPECT_EQ(tool.Settings().height, 512);
}

TEST_F(PaintToolsTest, ShiftClickPicksTheToolsValue)
{
    // The temperature tool paints the channel value that gives the picked temperature at the
    // point: the picked one comes back with the channel as it is (0 here).
    struct Case {
        int id;
        float picked, painted;
    } cases[] = {{14, 1.0f, 1.0f},   {38, 1.0f, 1.0f},   {13, 123.0f, 123.0f},
                 {11, 123.0f, 123.0f}, {15, 14.85f, 0.0f}, {16, 55.0f, 55.0f},
                 {12, 7.0f, 7.0f}};
    for (const Case& c : cases) {
        ToolPaint& tool = Select(c.id);
        input.OnKeyDown(kKeyShift);
        EXPECT_EQ(tool.GetCursor(), kCursorPicker);
        input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton | kToolFlagShift, 40, 20);
        input.OnMouse(kToolMsgLButtonUp, kToolFlagShift, 40, 20);
        input.OnKeyUp(kKeyShift);
        EXPECT_EQ(tool.GetCursor(), kCursorPaintBrush);
        EXPECT_NEAR(tool.Settings().value, c.picked, 1e-4f) << c.id;
        EXPECT_NEAR(Panel().shown.value, c.picked, 1e-4f) << c.id;
        EXPECT_NEAR(input.ToolValue(), c.picked, 1e-4f) << c.id;
        EXPECT_TRUE(host.strokes.empty()) << c.id;
        // The next stroke paints it.
        input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton, 40, 20);
        input.OnMouse(kToolMsgLButtonUp, 0, 40, 20);
        ASSERT_EQ(host.strokes.size(), 1u);
        EXPECT_NEAR(host.strokes[0].value, c.painted, 1e-4f) << c.id;
        EXPECT_NEAR(input.ToolValue(), c.picked, 1e-4f) << c.id;
        host.strokes.clear();
    }
}

TEST_F(PaintToolsTest, TheOutlineIsDrawnAndErasedInPairs)
{
    Select(8);
    const int afterActivate = host.feedbackDraws;
    input.OnMouse(kToolMsgMouseMove, 0, 50, 20);
    EXPECT_EQ(host.feedbackDraws - afterActivate, 2);
    input.SetTool(0);
    EXPECT_EQ(host.feedbackDraws % 2, 0);
}

// The picked temperature is shown in the panel's unit: Celsius, or Fahrenheit when the
// document is not metric; it is never the sampler's Kelvin.
TEST_F(PaintToolsTest, PickedTemperatureIsShownInThePanelsUnit)
{
    const int metric = MetricUnits;
    ToolPaint& tool = Select(15);
    for (const int m : {1, 0}) {
        MetricUnits = m;
        input.OnKeyDown(kKeyShift);
        input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton | kToolFlagShift, 40, 20);
        input.OnMouse(kToolMsgLButtonUp, kToolFlagShift, 40, 20);
        input.OnKeyUp(kKeyShift);
        EXPECT_NEAR(tool.Settings().value, 14.85f, 1e-4f);
        EXPECT_NEAR(Panel().shown.value, m ? 14.85f : 14.85f * 1.8f + 32.0f, 1e-3f) << m;
        // Read back from the panel, the value is the picked one again.
        ASSERT_TRUE(tool.ReadPanel());
        EXPECT_NEAR(tool.Settings().value, 14.85f, 1e-3f) << m;
    }
    MetricUnits = metric;
    // 20 C where the world is 288 K with the channel at 3: the channel is painted 3 + 5.15.
    float* cells = host.world.Channel(kChannelTemperature)->DataAs<float>();
    std::fill(cells, cells + host.world.Channel(kChannelTemperature)->CellCount(), 3.0f);
    Panel().shown.value = 20.0f;
    host.strokes.clear();
    input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton, 40, 20);
    input.OnMouse(kToolMsgLButtonUp, 0, 40, 20);
    ASSERT_EQ(host.strokes.size(), 1u);
    EXPECT_NEAR(host.strokes[0].value, 3.0f + 5.15f, 1e-3f);
}
