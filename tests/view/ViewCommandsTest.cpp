// The map view's commands over a real document: shaders, worlds, dialogs behind the host,
// the selection display, overlay fill and erase, the Globe Tools buttons, Add View.
#include "base/MessageService.h"
#include "base/Undo.h"
#include "base/color/ColorChooser.h"
#include "document/DocumentServices.h"
#include "shading/ShaderIds.h"
#include "shading/ShaderRegistry.h"
#include "shading/Shaders.h"
#include "view/CKVView.h"
#include "view/DocumentAdapter.h"
#include "view/ViewCommandIds.h"
#include "view/ViewCommands.h"
#include "view/ViewInput.h"

#include "DocumentFixtures.h"
#include "ViewFixtures.h"

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::viewcmd;

namespace {

struct Messages : MessageService {
    Messages() { m_previous = SetMessageService(this); }
    ~Messages() override { SetMessageService(m_previous); }
    void Show(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override
    {
        asked.push_back(text);
        return yes;
    }
    std::vector<std::string> shown, asked;
    bool yes = false;

private:
    MessageService* m_previous = nullptr;
};

struct FakeDialogs : ViewCommandHost {
    bool HasProjectionDialog() const override { return projection; }
    bool RunProjectionDialog(ProjectionParms& p, SurfMap&, LightParms&) override
    {
        p.SetScale(0.125);
        return ok;
    }
    bool AskViewName(std::string& name) override
    {
        name = "Coast";
        return ok;
    }
    bool HasGridDialog() const override { return grid; }
    bool RunGridDialog(CRectGrid& g) override
    {
        g.polarEndcap = 12.0;
        return ok;
    }
    void RefillViewWindow() override { ++refills; }
    void RefreshWorldSettings() override { ++refreshed; }
    void CloseMainWindowNow() override { calls.push_back("quit"); }
    void PostCloseMainWindow() override { calls.push_back("post"); }
    void ShowHelp(int context) override { calls.push_back("help " + std::to_string(context)); }
    bool projection = false, grid = false, ok = true;
    int refills = 0, refreshed = 0;
    std::vector<std::string> calls;
};

// The Background and image climate dialogs: OK with fixed values, or Cancel.
struct FakeCommandDialogs : CommandDialogs {
    FakeCommandDialogs() { m_previous = SetCommandDialogs(this); }
    ~FakeCommandDialogs() override { SetCommandDialogs(m_previous); }
    bool Background(BackgroundValues& v) override
    {
        v.pattern = 4, v.foreground = 0x112233, v.background = 0x445566;
        return *ok;
    }
    bool ImageClimate(ImageClimateValues& v) override
    {
        ++imageClimateShown;
        if (*ok && v.shader)
            v.shader->SetImage(1, imagePath);
        return *ok;
    }
    const bool* ok = nullptr;
    std::string imagePath;
    int imageClimateShown = 0;

private:
    CommandDialogs* m_previous = nullptr;
};

struct Chooser : ColorChooser {
    bool PickSystemColor(uint32_t& colour) override
    {
        colour = 0x00336699;
        return true;
    }
};

class ViewCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        commandDialogs.ok = &host.ok;
        RecalculateWorld(doc.GetWorld());
        GetShaderRegistry().Init(&doc.GetWorld(), &view.Light());
        GetUndoList().Clear();
    }
    void TearDown() override
    {
        view.StopRenderWorker();
        GetUndoList().Clear();
        ShaderRegistry::Destroy();
    }
    void Prepare()
    {
        view.SetClientSize(32, 16);
        view.PrepareRender();
        ASSERT_TRUE(view.IsPrepared());
    }

    DocumentEnvironment environment;
    CKVDoc doc;
    ActiveDocument active{&doc};
    DocumentAdapter adapter{doc};
    CKVView view{adapter};
    FakeDialogs host;
    FakeCommandDialogs commandDialogs;
    ToolHost toolHost;
    ViewInput input{toolHost};
    ViewCommands commands{view, doc, host, &input};
    Messages messages;
};

} // namespace

TEST_F(ViewCommandsTest, ShadersChangeOnceAndClimateOnesNeedClimateData)
{
    Prepare();
    view.SetShader(kShaderAltitude);
    EXPECT_TRUE(commands.Update(kShowAltitude).checked);
    commands.OnCommand(kShowAltitude);
    EXPECT_TRUE(view.IsPrepared()); // the current shader again restarts nothing
    commands.OnCommand(kShowGaia);
    EXPECT_EQ(view.GetShader(), kShaderGaia);
    EXPECT_FALSE(view.IsPrepared());
    EXPECT_TRUE(commands.Update(kShowGaia).checked);
    EXPECT_FALSE(commands.Update(kShowAltitude).checked);

    EXPECT_TRUE(commands.Update(kShowClimate).enabled);
    doc.GetWorld().grids[kChannelRainfall].reset();
    for (int id : {kShowClimate, kShowRainfall, kShowTemperature}) {
        EXPECT_FALSE(commands.Update(id).enabled);
        commands.OnCommand(id);
        EXPECT_EQ(view.GetShader(), kShaderGaia);
    }
}

TEST_F(ViewCommandsTest, ShowImageClimateTakesTheShaderOnlyWithAnImageNamed)
{
    view.SetShader(kShaderGaia);
    EXPECT_TRUE(commands.Update(kShowImageClimate).enabled);
    // Cancelled with no image named: the message, the shader stays.
    host.ok = false;
    commands.OnCommand(kShowImageClimate);
    EXPECT_EQ(commandDialogs.imageClimateShown, 1);
    EXPECT_EQ(messages.shown, std::vector<std::string>{ViewCommands::kNoImageMessage});
    EXPECT_EQ(view.GetShader(), kShaderGaia);
    // OK with an image: shader 9, told to use the image.
    host.ok = true;
    commandDialogs.imagePath = "climate.bmp";
    commands.OnCommand(kShowImageClimate);
    EXPECT_EQ(view.GetShader(), kShaderImgClimate);
    EXPECT_TRUE(commands.Update(kShowImageClimate).checked);
    int enabled = 0;
    std::string path;
    dynamic_cast<Shader_ImgClimate*>(GetShaderRegistry().GetShader(kShaderImgClimate))->GetImage(enabled, path);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(path, "climate.bmp");
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(ViewCommandsTest, NextWorldAsksOnlyWhenModified)
{
    const int seed = doc.GetWorld().sourceParms.seed;
    commands.OnCommand(kNextWorld);
    EXPECT_TRUE(messages.asked.empty());
    EXPECT_EQ(doc.GetWorld().sourceParms.seed, seed + 1);
    EXPECT_EQ(host.refreshed, 1);

    doc.SetModifiedFlag(true);
    commands.OnCommand(kPreviousWorld);
    ASSERT_EQ(messages.asked, std::vector<std::string>{ViewCommands::kChangeWorldQuestion});
    EXPECT_EQ(doc.GetWorld().sourceParms.seed, seed + 1);
    messages.yes = true;
    commands.OnCommand(kPreviousWorld);
    EXPECT_EQ(doc.GetWorld().sourceParms.seed, seed);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(ViewCommandsTest, DialogsEditCopiesAndOnlyOkKeepsThem)
{
    EXPECT_FALSE(commands.Update(kChangeProjection).enabled);
    EXPECT_FALSE(commands.Update(kGridSettings).enabled);
    EXPECT_FALSE(commands.Update(kAltColorConversion).enabled);
    EXPECT_FALSE(commands.Update(kViewWindow).enabled);
    EXPECT_FALSE(commands.Update(kShowOverlayWindow).enabled);
    commands.OnCommand(kChangeProjection);
    EXPECT_EQ(view.Projection().GetScale(), 1.0);

    host.projection = true;
    host.ok = false;
    commands.OnCommand(kChangeProjection);
    commands.OnCommand(kBackground);
    EXPECT_EQ(view.Projection().GetScale(), 1.0);
    EXPECT_NE(view.Settings().hatchIndex, 4);
    host.ok = true;
    commands.OnCommand(kChangeProjection);
    commands.OnCommand(kBackground);
    EXPECT_EQ(view.Projection().GetScale(), 0.125);
    EXPECT_EQ(view.Settings().hatchIndex, 4);
    EXPECT_EQ(view.Settings().backgroundColor, 0x445566u);
    EXPECT_EQ(view.BusyCount(), 0);
}

TEST_F(ViewCommandsTest, SelectionDisplayNeedsAnActiveSelection)
{
    EXPECT_FALSE(commands.Update(kShowSelectMask).enabled);
    doc.GetSelection().SetActive(true);
    ASSERT_TRUE(doc.GetSelection().IsActive());
    commands.OnCommand(kShowSelectMask);
    EXPECT_EQ(view.SelectionDisplayMode(), 0);
    EXPECT_TRUE(commands.Update(kShowSelectMask).checked);
    commands.OnCommand(kShowOutline);
    EXPECT_EQ(view.SelectionDisplayMode(), 1);
    EXPECT_FALSE(commands.Update(kShowSelectMask).checked);
}

TEST_F(ViewCommandsTest, FillAndEraseTheActiveOverlay)
{
    // Disabled without an active overlay; reached anyway, each case explains itself.
    EXPECT_FALSE(commands.Update(kFillSelection).enabled);
    commands.OnCommand(kFillSelection);
    ImageOverlay* other = doc.GetOverlays().AddNamed("Other", 8, 4, true);
    other->Fill(0x12345678);
    commands.OnCommand(kEraseSelection);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{ViewCommands::kNoOverlaysMessage,
                                                        ViewCommands::kNoActiveOverlayMessage}));
    EXPECT_EQ(other->PixelRow(0)[0], 0x12345678u);
    EXPECT_FALSE(doc.IsModified());
    ImageOverlay* overlay = doc.GetOverlays().AddNamed("Paint", 8, 4, true);
    overlay->Fill(0);
    doc.GetOverlays().SetActive(overlay);
    auto chooser = std::make_shared<Chooser>();
    auto previous = SetColorChooser(chooser);
    commands.OnCommand(kSetOverlayColor);
    SetColorChooser(previous);
    EXPECT_EQ(input.DrawingColour() & 0xFFFFFFu, 0x336699u);

    commands.OnCommand(kFillSelection);
    EXPECT_EQ(overlay->PixelRow(1)[3], 0xFF336699u);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), ViewCommands::kFillStep);
    EXPECT_TRUE(doc.IsModified());
    commands.OnCommand(kEraseSelection);
    EXPECT_EQ(overlay->PixelRow(2)[5], 0u);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), ViewCommands::kEraseStep);
    GetUndoList().Undo();
    EXPECT_EQ(doc.GetOverlays().FindByName("Paint")->PixelRow(2)[5], 0xFF336699u);
}

TEST_F(ViewCommandsTest, GlobeButtonsZoomPriorAndAddView)
{
    commands.OnCommand(kGlobeQuit);
    commands.OnCommand(kGlobeCancel);
    commands.OnCommand(kGlobeHelp);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"quit", "post", "help 131310"}));

    EXPECT_FALSE(commands.Update(kZoomPrior).enabled);
    commands.OnCommand(kZoomIn);
    EXPECT_EQ(view.Projection().GetScale(), 0.5);
    EXPECT_TRUE(commands.Update(kZoomPrior).enabled);
    commands.OnCommand(kZoomPrior);
    EXPECT_EQ(view.Projection().GetScale(), 1.0);

    host.ok = false;
    EXPECT_FALSE(commands.AddView());
    EXPECT_EQ(view.Settings().savedViews.Count(), 0);
    EXPECT_FALSE(doc.IsModified());
    host.ok = true;
    view.SetShader(kShaderGaia);
    commands.OnCommand(kAddView);
    ASSERT_EQ(doc.GetViewSettings().savedViews.Count(), 1);
    EXPECT_EQ(doc.GetViewSettings().savedViews.At(0)->name, "Coast");
    EXPECT_EQ(doc.GetViewSettings().savedViews.At(0)->shaderId, kShaderGaia);
    EXPECT_EQ(host.refills, 1);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(ViewCommandsTest, GridSettingsOkMarksTheDocumentModified)
{
    Prepare();
    host.grid = true;
    doc.SetModifiedFlag(false);
    host.ok = false;
    commands.OnCommand(kGridSettings);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_NE(doc.GetRectGrid().polarEndcap, 12.0);
    host.ok = true;
    commands.OnCommand(kGridSettings);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetRectGrid().polarEndcap, 12.0);
}
