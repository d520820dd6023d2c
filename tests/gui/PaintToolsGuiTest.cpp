// The paint tools on the offscreen platform: a stroke through the map widget, the paintbrush
// panel's presets, the selection panel's range check and the Tool Settings dialog.
#include "DocumentFixtures.h"
#include "QtTestApp.h"
#include "ViewFixtures.h"
#include "WorldFixtures.h"

#include "base/DisplayUnits.h"
#include "base/Progress.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "gui/commands/CommandIds.h"
#include "gui/tools/CToolOptionsBar.h"
#include "gui/tools/CToolSettingsDlg.h"
#include "gui/tools/CToolbarPaintbrush.h"
#include "gui/tools/CToolbarSelectBase.h"
#include "gui/view/MapWidget.h"
#include "shading/ShaderRegistry.h"
#include "view/BrushPresets.h"
#include "view/tools/CToolOffset.h"
#include "view/tools/ToolFactory.h"
#include "world/SurfBrush.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace kv;

namespace {

class PaintGuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApp();
        previousHooks = SetProgressHooks(SilentProgressHooks());
        doc.OnNewDocument();
        presets = env.folder / "presets";
        std::filesystem::create_directories(presets);
        GetAppSettings().WriteString("Settings", "PresetDir", presets.string());
        GetAppSettings().WriteString("Settings", "PresetName", "");
    }
    void TearDown() override
    {
        widget.reset();
        ShaderRegistry::Destroy();
        SetProgressHooks(previousHooks);
        MetricUnits = 1;
    }
    template <class T>
    T* Control(QWidget* w, int id)
    {
        return w->findChild<T*>(QString::number(id));
    }

    DocumentEnvironment env;
    CKVDoc doc;
    ProgressHooks previousHooks{};
    std::unique_ptr<MapWidget> widget;
    std::filesystem::path presets;
};

} // namespace

TEST_F(PaintGuiTest, AStrokeChangesOnlyCellsUnderTheDabsInOneUndoStep)
{
    widget = std::make_unique<MapWidget>(doc);
    // As the program does: the world model stops this view's worker before it replaces a
    // grid the worker reads (Undo below).
    widget->View().InstallHooks();
    widget->View().OnInitialUpdate(ViewStartup{});
    widget->show();
    widget->resize(160, 96);
    QCoreApplication::processEvents();
    ASSERT_TRUE(kvtest::WaitUntil([&] { return widget->View().PrepareRender(); }));
    SurfMap& world = doc.GetWorld();
    Grid2DPtr before = Clone2D(world.Channel(kChannelLandOffset));
    GetUndoList().Clear();

    widget->OnCommand(cmd::kPaintRaiseOffset);
    ASSERT_EQ(widget->Input().CurrentId(), 8);
    const std::vector<QPoint> dabs = {{80, 48}, {84, 48}, {88, 50}};
    widget->Input().OnMouse(kToolMsgLButtonDown, kToolFlagLButton, dabs[0].x(), dabs[0].y());
    for (std::size_t i = 1; i < dabs.size(); ++i)
        widget->Input().OnMouse(kToolMsgMouseMove, kToolFlagLButton, dabs[i].x(), dabs[i].y());
    widget->Input().OnMouse(kToolMsgLButtonUp, 0, dabs.back().x(), dabs.back().y());

    // The cells each dab's stamp covers.
    const Grid2D& after = *world.Channel(kChannelLandOffset);
    const int w = static_cast<int>(after.Width()), h = static_cast<int>(after.Height());
    std::vector<char> covered(static_cast<std::size_t>(w * h), 0);
    const int size = widget->Input().presetSM | 1;
    for (const QPoint& p : dabs) {
        double lat, lon;
        ASSERT_TRUE(widget->View().PixelToLatLon(p.x(), p.y(), lat, lon));
        const int c = static_cast<int>((lon / 360.0 + 0.5) * w) % w;
        const int r = std::clamp(static_cast<int>((lat / 180.0 + 0.5) * h), 0, h - 1);
        for (int dr = -size / 2; dr <= size / 2; ++dr)
            for (int dc = -size / 2; dc <= size / 2; ++dc)
                if (r + dr >= 0 && r + dr < h)
                    covered[static_cast<std::size_t>((r + dr) * w + (c + dc + w) % w)] = 1;
    }
    int changed = 0, outside = 0;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            if (after.Rows<float>()[r][c] != before->Rows<float>()[r][c]) {
                ++changed;
                outside += !covered[static_cast<std::size_t>(r * w + c)];
            }
    EXPECT_GT(changed, 20);
    EXPECT_EQ(outside, 0);
    ASSERT_EQ(GetUndoList().GetUndoCount(), 1);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Offset Edit");
    ASSERT_TRUE(GetUndoList().CheckpointAndUndo());
    ASSERT_TRUE(GetUndoList().Undo());
    EXPECT_EQ(Equal2D(world.Channel(kChannelLandOffset), before.get()), 1);
}

TEST_F(PaintGuiTest, PresetsListedSavedUntitledAndErrorsShown)
{
    MessageRecorder messages;
    CToolOptionsBar bar;
    ToolCreateArgs args;
    args.code = 8 | 0x40000000;
    args.size = 10;
    CToolOffset tool(args);
    std::unique_ptr<PaintbrushPanel> handle = bar.CreatePaintbrushPanel(tool);
    auto* panel = bar.findChild<CToolbarPaintbrush*>();
    ASSERT_TRUE(panel);
    handle->Show(PaintbrushFields{});
    ASSERT_EQ(panel->Presets()->count(), 1);
    EXPECT_EQ(panel->Presets()->itemText(0).toStdString(), kNoPresetsEntry);
    panel->ChoosePreset(panel->Presets()->itemText(0)); // nothing happens
    EXPECT_TRUE(messages.texts.empty());

    std::vector<std::string> proposed;
    CToolbarPaintbrush::SaveDialog() = [&](const std::string& p) {
        proposed.push_back(p);
        return p;
    };
    panel->OnSave();
    panel->OnSave();
    const std::string folder = BrushPresetFolder(GetAppSettings());
    ASSERT_EQ(proposed.size(), 2u);
    EXPECT_EQ(proposed[0], folder + "Untitled-1.brs");
    EXPECT_EQ(proposed[1], folder + "Untitled-2.brs");
    EXPECT_EQ(panel->Presets()->count(), 2);

    // A chosen preset gives the tool every field; the panel shows its size.
    BrushSettings big;
    big.width = big.height = 41;
    big.value = 9.0f;
    std::string error;
    ASSERT_EQ(SaveBrushPreset(folder + "big.brs", big, error), 0);
    panel->FillPresets("");
    panel->ChoosePreset(QStringLiteral("big.brs"));
    EXPECT_EQ(tool.Settings().width, 41);
    EXPECT_FLOAT_EQ(tool.Settings().value, 9.0f);
    EXPECT_EQ(Control<QLineEdit>(panel, 5578)->text(), "41");
    EXPECT_EQ(GetAppSettings().GetString("Settings", "PresetName", ""), "big.brs");

    // Both errors name the file; the tool keeps its brush.
    std::ofstream(presets / "bad.brs") << "nothing of use\n";
    panel->ChoosePreset(QStringLiteral("bad.brs"));
    panel->ChoosePreset(QStringLiteral("gone.brs"));
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[0], "Error reading brush definition " + folder + "bad.brs");
    EXPECT_EQ(messages.texts[1], "Error opening brush definition " + folder + "gone.brs");
    EXPECT_EQ(tool.Settings().width, 41);
    CToolbarPaintbrush::SaveDialog() = [](const std::string& p) { return p + "/no/such/folder.brs"; };
    panel->OnSave();
    ASSERT_EQ(messages.texts.size(), 3u);
    EXPECT_EQ(messages.texts[2].rfind("Error writing brush definition ", 0), 0u);
}

TEST_F(PaintGuiTest, PanelsRefuseWhatIsNoNumber)
{
    MessageRecorder messages;
    CToolOptionsBar bar;
    ToolCreateArgs args;
    args.code = 8;
    args.size = 10;
    CToolOffset tool(args);
    std::unique_ptr<PaintbrushPanel> handle = bar.CreatePaintbrushPanel(tool);
    auto* panel = bar.findChild<CToolbarPaintbrush*>();
    handle->Show(PaintbrushFields{});
    PaintbrushFields f;
    for (const char* bad : {"nan", "inf", "abc", "1e999", "", "0x10"}) {
        Control<QLineEdit>(panel, 5551)->setText(QString::fromUtf8(bad));
        EXPECT_FALSE(handle->Read(f)) << bad;
    }
    Control<QLineEdit>(panel, 5551)->setText(QStringLiteral("2.5"));
    Control<QLineEdit>(panel, 5578)->setText(QStringLiteral("12.5"));
    EXPECT_FALSE(handle->Read(f));
    Control<QLineEdit>(panel, 5578)->setText(QStringLiteral("12"));
    ASSERT_TRUE(handle->Read(f));
    EXPECT_FLOAT_EQ(f.value, 2.5f);

    // The selection panel: width 0 is refused by its range; sides are enabled with a style.
    MouseTool selectTool;
    std::unique_ptr<SelectPanel> select = bar.CreateSelectPanel(selectTool);
    auto* sp = bar.findChild<CToolbarSelectBase*>();
    select->SetStyles({"Normal", "Fixed Size"});
    SelectFields sf;
    select->Show(sf);
    EXPECT_FALSE(Control<QLineEdit>(sp, 5571)->isEnabled());
    sf.style = 1;
    select->Show(sf);
    EXPECT_TRUE(Control<QLineEdit>(sp, 5571)->isEnabled());
    Control<QLineEdit>(sp, 5571)->setText(QStringLiteral("0"));
    EXPECT_FALSE(select->Read(sf));
    EXPECT_FALSE(messages.texts.empty());
    Control<QLineEdit>(sp, 5571)->setText(QStringLiteral("32767"));
    EXPECT_TRUE(select->Read(sf));
    EXPECT_EQ(sf.width, 32767);
}

TEST_F(PaintGuiTest, ToolSettingsDefaultsAndOkRebuildsTheTool)
{
    MessageRecorder messages;
    CToolSettingsDlg dialog(ToolSettingsValues{2, 3, 4, 5, 6, 1, 2, 3, 4, 5.0, 7}, true);
    dialog.SetDefaults();
    ASSERT_TRUE(dialog.ReadControls());
    EXPECT_EQ(dialog.Values().presetXL, 31);
    EXPECT_EQ(dialog.Values().presetLG, 20);
    EXPECT_EQ(dialog.Values().presetSM, 10);
    EXPECT_EQ(dialog.Values().presetXS, 3);
    EXPECT_FLOAT_EQ(dialog.Values().offset, 50.0f);
    EXPECT_EQ(Control<QLabel>(&dialog, 5525)->text(), "C");
    Control<QLineEdit>(&dialog, 5417)->setText(QStringLiteral("inf"));
    EXPECT_FALSE(dialog.ReadControls());
    Control<QLineEdit>(&dialog, 5417)->setText(QStringLiteral("50"));
    Control<QLineEdit>(&dialog, 5510)->setText(QStringLiteral("128"));
    EXPECT_FALSE(dialog.ReadControls());

    MetricUnits = 0;
    CToolSettingsDlg imperial(DefaultToolSettings(false), false);
    EXPECT_EQ(Control<QLabel>(&imperial, 5658)->text(), "mi");

    widget = std::make_unique<MapWidget>(doc);
    widget->OnCommand(cmd::kPaintRaiseTemperature);
    // A changed brush shows whether the tool was built again.
    BrushSettings wide = dynamic_cast<ToolPaint&>(*widget->Input().CurrentTool()).Settings();
    wide.width = 99;
    dynamic_cast<ToolPaint&>(*widget->Input().CurrentTool()).TakeSettings(wide);
    widget->Paint().askToolSettings = [](ToolSettingsValues& v, bool metric) {
        EXPECT_FALSE(metric);
        EXPECT_NEAR(v.temperature, 1.8f, 1e-5); // 1 degree shown as a Fahrenheit difference
        v.temperature = 9.0f;
        return true;
    };
    widget->OnCommand(cmd::kToolOptions);
    EXPECT_NEAR(widget->Input().Amounts().temperature, 5.0f, 1e-4);
    EXPECT_EQ(widget->Input().CurrentId(), 4);
    auto* rebuilt = dynamic_cast<ToolPaint*>(widget->Input().CurrentTool());
    ASSERT_TRUE(rebuilt);
    EXPECT_EQ(rebuilt->Settings().width, widget->Input().presetSM);
    EXPECT_NEAR(rebuilt->Settings().value, 5.0f, 1e-4);
    EXPECT_EQ(widget->View().BusyCount(), 0);
}
