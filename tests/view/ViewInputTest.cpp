// Tool selection, temporary tools, amounts and their profile values, input dispatch.
#include "base/AppSettings.h"
#include "view/ViewInput.h"
#include "view/tools/MouseTool.h"
#include "view/tools/ToolFactory.h"
#include "world/SurfMap.h"

#include <climits>
#include <gtest/gtest.h>
#include <vector>

using namespace kv;

namespace {

struct RecordingWindow : ToolWindow {
    std::vector<int> cursors;
    void ApplyCursor(int id) override { cursors.push_back(id); }
};

struct TestHost : ToolHost {
    SurfMap world{nullptr};
    bool startup = false;
    bool onMap = true;
    std::vector<std::string> status;
    std::vector<std::pair<int, int>> menus;
    std::vector<CursorInfo> shown;
    RecordingWindow window;
    SurfMap* World() override { return &world; }
    bool PixelToLatLon(int x, int y, double& lat, double& lon) override
    {
        lat = onMap ? y * 0.5 : 0.0;
        lon = onMap ? x * 0.25 : 0.0;
        return onMap;
    }
    void EvaluatePoint(CursorInfo& info) override { info.altitude = 123.0f; }
    void ShowCursorInfo(const CursorInfo& info) override { shown.push_back(info); }
    bool StartupFileActive() const override { return startup; }
    void SetStatusText(const std::string& text) override { status.push_back(text); }
    void ShowContextMenu(int x, int y) override { menus.emplace_back(x, y); }
    ToolWindow* Window() override { return &window; }
};

constexpr int kPaint = ViewInput::kPaintingFamily;

} // namespace

TEST(MouseTool, TheBaseToolIgnoresEverythingAndShowsTheArrow)
{
    RecordingWindow window;
    MouseTool tool(7, &window);
    ToolEvent e;
    EXPECT_FALSE(tool.OnLButtonDown(e) || tool.OnLButtonUp(e) || tool.OnRButtonDown(e) || tool.OnRButtonUp(e) ||
                 tool.OnMouseMove(e) || tool.OnKeyDown(e) || tool.OnKeyUp(e) || tool.OnMouseWheel(e) ||
                 tool.DrawFeedback(e) || tool.OnContextMenu(e, 1, 2) || tool.OnUnusedEvent10(e) ||
                 tool.OnUnusedEvent11(e) || tool.OnUnusedEvent15(e));
    ToolInfo info;
    EXPECT_FALSE(tool.GetToolInfo(info));
    EXPECT_TRUE(tool.Activate(e) && tool.Deactivate(e) && tool.Suspend(e) && tool.Resume(e));
    EXPECT_TRUE(tool.UpdatePanel() && tool.ReadPanel());
    EXPECT_EQ(tool.GetStatusText(), "");
    EXPECT_EQ(tool.GetCursor(), kCursorArrow);
    EXPECT_EQ(tool.SetId(9), 7);
    // Changing to the same cursor still shows it.
    EXPECT_EQ(tool.ChangeCursor(kCursorArrow), kCursorArrow);
    EXPECT_EQ(tool.ChangeCursor(kCursorPicker), kCursorArrow);
    EXPECT_EQ(window.cursors, (std::vector<int>{kCursorArrow, kCursorPicker}));
    tool.SetStatusText(nullptr);
    EXPECT_EQ(tool.GetStatusText(), "");
}

TEST(ToolFactory, AnUnknownIdGivesTheNoActionToolAndFalse)
{
    for (int id : {0, 17, 4095}) {
        std::unique_ptr<MouseTool> tool;
        ToolCreateArgs args;
        args.code = id | ViewInput::kSizeLG;
        EXPECT_FALSE(CreateMouseTool(args, tool)) << id;
        ASSERT_TRUE(tool);
        EXPECT_EQ(tool->GetId(), args.code);
    }
}

TEST(ViewInput, ChoosingTheCurrentToolAgainSelectsTheNoActionTool)
{
    TestHost host;
    ViewInput input(host);
    input.CreateFirstTool(false);
    EXPECT_EQ(input.CurrentCode(), ViewInput::kSizeXL);
    // The current size stays small: the first paint tool takes the small preset.
    EXPECT_EQ(input.CurrentSizeBits(), ViewInput::kSizeSM);

    input.SetTool(8 | kPaint, ViewInput::kSizeSM);
    EXPECT_EQ(input.CurrentCode(), (8 | kPaint | ViewInput::kSizeSM));
    input.SetTool(8 | kPaint, ViewInput::kSizeSM);
    EXPECT_EQ(input.CurrentId(), 0);
    EXPECT_EQ(input.CurrentCode(), (kPaint | ViewInput::kSizeSM));
    // A third time it is selected again.
    input.SetTool(8 | kPaint, ViewInput::kSizeSM);
    EXPECT_EQ(input.CurrentId(), 8);
}

TEST(ViewInput, SpaceAndZSuspendTheToolUntilReleasedAutoRepeatIgnored)
{
    TestHost host;
    ViewInput input(host);
    input.CreateFirstTool(false);
    input.SetTool(20);

    struct Step {
        bool down;
        int key;
        bool repeat;
        int currentAfter;
        bool suspendedAfter;
    };
    const Step steps[] = {
        {true, kKeySpace, false, ViewInput::kPanTool, true},
        {false, kKeySpace, true, ViewInput::kPanTool, true},  // held: release-press pairs
        {true, kKeySpace, true, ViewInput::kPanTool, true},   // goes to the pan tool
        {true, kKeyZ, false, ViewInput::kZoomTool, true},     // one suspended tool only: pan is replaced
        {false, kKeySpace, false, ViewInput::kZoomTool, true}, // not panning: to the tool
        {false, kKeyZ, false, 20, false},                     // the first tool comes back
        {true, kKeyZ, false, ViewInput::kZoomTool, true},
        {true, kKeyZ, true, ViewInput::kZoomTool, true},
        {false, kKeyZ, false, 20, false},
    };
    int i = 0;
    for (const Step& s : steps) {
        if (s.down)
            input.OnKeyDown(s.key, s.repeat);
        else
            input.OnKeyUp(s.key, s.repeat);
        EXPECT_EQ(input.CurrentId(), s.currentAfter) << "step " << i;
        EXPECT_EQ(input.SuspendedTool() != nullptr, s.suspendedAfter) << "step " << i;
        ++i;
    }
}

TEST(ViewInput, NothingChangesWhileTheStartupGuideIsOpen)
{
    TestHost host;
    host.startup = true;
    ViewInput input(host);
    input.CreateFirstTool(true);
    EXPECT_EQ(input.CurrentId(), ViewInput::kStartupTool);
    EXPECT_FALSE(input.SetTool(8 | kPaint));
    EXPECT_EQ(input.CurrentId(), ViewInput::kStartupTool);
}

TEST(ViewInput, ToolValueAndRangeFollowTheToolId)
{
    TestHost host;
    ViewInput input(host);
    input.Amounts() = ToolAmounts{2.0f, 3.0f, 0.5f, 40.0f, 70.0f, 0.25f, 7};
    struct Case {
        int id;
        float value, minimum, maximum;
    };
    const Case cases[] = {
        {3, -2.0f, -1000, 1000}, {15, 2.0f, -1000, 1000}, {5, -3.0f, -2500, 2500}, {16, 3.0f, -2500, 2500},
        {7, -40.0f, -1e20f, 1e20f}, {13, 40.0f, -1e20f, 1e20f}, {10, -0.5f, 0, 500}, {14, 0.5f, 0, 500},
        {11, 70.0f, -1e20f, 1e20f}, {12, 7.0f, 0, 16}, {36, -0.25f, -1e20f, 1e20f}, {38, 0.25f, -1e20f, 1e20f},
    };
    for (const Case& c : cases) {
        input.SetTool(c.id | kPaint, ViewInput::kSizeSM);
        EXPECT_FLOAT_EQ(input.ToolValue(), c.value) << c.id;
        EXPECT_FLOAT_EQ(input.RangeMinimum(), c.minimum) << c.id;
        EXPECT_FLOAT_EQ(input.RangeMaximum(), c.maximum) << c.id;
    }
    // Other ids leave value and range as they were.
    input.SetTool(20);
    EXPECT_FLOAT_EQ(input.ToolValue(), 0.25f);
    input.SetToolAmount(6, 9.0f);
    EXPECT_FLOAT_EQ(input.Amounts().rainfall, 9.0f);
    EXPECT_FLOAT_EQ(input.ToolValue(), 9.0f);
}

TEST(ViewInput, SizeCommandsOnlyForPaintingTools)
{
    TestHost host;
    ViewInput input(host);
    input.SetTool(20, ViewInput::kSizeSM);
    input.SetToolSize(ViewInput::kSizeXL);
    EXPECT_EQ(input.CurrentCode(), 20 | ViewInput::kSizeSM);

    input.SetTool(8 | kPaint, ViewInput::kSizeSM);
    input.SetToolSize(ViewInput::kSizeXL);
    EXPECT_EQ(input.CurrentCode(), 8 | kPaint | ViewInput::kSizeXL);
    EXPECT_EQ(input.SizePreset(input.CurrentCode()), input.presetXL);
}

TEST(ViewInput, CraterRadiusUsesAtLeastATenth)
{
    TestHost host;
    host.world.circumference = 36000.0;
    ViewInput input(host);
    input.craterSize = 0.05;
    EXPECT_DOUBLE_EQ(input.CraterRadiusDegrees(), 0.1 / 100.0 * 0.5);
    input.craterSize = 500.0;
    EXPECT_DOUBLE_EQ(input.CraterRadiusDegrees(), 2.5);
}

TEST(ViewInput, MouseEventsUpdateTheCursorInfoAndUnhandledContextMenusOpenTheViewMenu)
{
    TestHost host;
    ViewInput input(host);
    input.CreateFirstTool(false);
    EXPECT_FALSE(input.OnMouse(kToolMsgMouseMove, 0, 40, 10));
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_TRUE(host.shown[0].onMap);
    EXPECT_DOUBLE_EQ(host.shown[0].latitude, 5.0);
    EXPECT_DOUBLE_EQ(host.shown[0].longitude, 10.0);
    EXPECT_FLOAT_EQ(host.shown[0].altitude, 123.0f);
    host.onMap = false;
    input.OnMouse(kToolMsgLButtonDown, kToolFlagLButton, 3, 4);
    EXPECT_FALSE(host.shown.back().onMap);
    EXPECT_FLOAT_EQ(host.shown.back().altitude, 0.0f);

    input.OnContextMenu(30, 40, false);
    input.OnContextMenu(30, 40, true);
    EXPECT_EQ(host.menus, (std::vector<std::pair<int, int>>{{30, 40}, {5, 5}}));
    EXPECT_TRUE(input.OnSetCursor());
    EXPECT_EQ(host.window.cursors.back(), kCursorArrow);
}

TEST(ViewInput, ProfileValuesRoundTripClampAndPreferTheWrittenSeaKey)
{
    AppSettings profile;
    {
        TestHost host;
        ViewInput input(host);
        input.ReadProfile(profile);
        EXPECT_FLOAT_EQ(input.Amounts().offset, 50.0f);
        EXPECT_FLOAT_EQ(input.Amounts().prescale, 0.01f);
        EXPECT_EQ(input.presetXL, 31);
        EXPECT_DOUBLE_EQ(input.craterSize, 500.0);
        EXPECT_FLOAT_EQ(input.seaStep, 5.0f);
        input.Amounts().offset = 1e10f;   // beyond 32 bits once x 1000
        input.Amounts().water = -1e10f;
        input.Amounts().temperature = 0.7f;
        input.seaStep = 9.0f;
        input.WriteProfile(profile);
    }
    EXPECT_EQ(profile.GetInt("Tools", "Ofs", 0), INT_MAX);
    EXPECT_EQ(profile.GetInt("Tools", "Water", 0), INT_MIN);
    EXPECT_EQ(profile.GetInt("Tools", "Temp", 0), 700);
    EXPECT_EQ(profile.GetInt("Tools", "dSea", 0), 9);

    // Old key only, and values outside the tool settings' ranges.
    AppSettings old;
    old.WriteInt("Tools", "Sea", 12);
    old.WriteInt("Tools", "XL", 900);
    old.WriteInt("Tools", "XS", -4);
    old.WriteInt("Tools", "Crater", 0);
    old.WriteInt("Tools", "Clim", 99);
    old.WriteString("Tools", "LG", "garbage");
    TestHost host;
    ViewInput input(host);
    input.ReadProfile(old);
    EXPECT_FLOAT_EQ(input.seaStep, 12.0f);
    EXPECT_EQ(input.presetXL, 127);
    EXPECT_EQ(input.presetXS, 0);
    EXPECT_EQ(input.presetLG, 20);
    EXPECT_DOUBLE_EQ(input.craterSize, 0.001);
    EXPECT_EQ(input.Amounts().climate, 16);
    old.WriteInt("Tools", "dSea", 3);
    input.ReadProfile(old);
    EXPECT_FLOAT_EQ(input.seaStep, 3.0f);
}
