// The World Settings sheet on the offscreen platform: pages filled from the document's
// world, edited, and applied through the view's world-settings step.
#include "DocumentFixtures.h"
#include "QtTestApp.h"
#include "WorldFixtures.h"

#include "base/DisplayUnits.h"
#include "base/Progress.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "gui/commands/CommandIds.h"
#include "gui/commands/CommandTable.h"
#include "gui/frame/CMainFrame.h"
#include "gui/sheets/CColoringSheet.h"
#include "gui/sheets/CWorldEditPages.h"
#include "gui/sheets/CWorldEditSheet.h"
#include "shading/ShaderRegistry.h"
#include "view/CKVView.h"
#include "view/DocumentAdapter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace kv;

namespace {

class WorldEditSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApp();
        previousHooks = SetProgressHooks(SilentProgressHooks());
        metric = MetricUnits;
        sizeDisplay = WorldSizeDisplay;
        doc.OnNewDocument();
        view = std::make_unique<CKVView>(adapter);
        view->InstallHooks();
        sheet = std::make_unique<CWorldEditSheet>();
    }
    void TearDown() override
    {
        sheet.reset();
        view.reset();
        ShaderRegistry::Destroy();
        SetProgressHooks(previousHooks);
        MetricUnits = metric;
        WorldSizeDisplay = sizeDisplay;
    }
    // As the main frame shows the sheet.
    void Show()
    {
        sheet->LoadWorld(doc.GetWorld());
        sheet->show();
        sheet->RefreshPagesNow();
    }
    void ShowPage(CSheetPage* page) { sheet->Tabs()->setCurrentWidget(page); }

    DocumentEnvironment env;
    CKVDoc doc;
    DocumentAdapter adapter{doc};
    ActiveDocument active{&doc};
    std::unique_ptr<CKVView> view;
    std::unique_ptr<CWorldEditSheet> sheet;
    ProgressHooks previousHooks{};
    int metric = 1, sizeDisplay = 0;
};

TEST_F(WorldEditSheetTest, ImperialEditsApplyConvertedAndReplaceTheWorld)
{
    MetricUnits = 0;
    WorldSizeDisplay = 0;
    doc.GetWorld().SetCellValue(3, 3, 9.0f, kChannelRainfall);
    doc.SetModifiedFlag();
    Show();
    CWorldEditPrimary* primary = sheet->Primary();
    ShowPage(primary);
    EXPECT_EQ(primary->SizeEdit()->text(), "25000");
    EXPECT_EQ(primary->PeakEdit()->text(), "30000");
    primary->SizeEdit()->setText("24000");
    primary->ApplyCheck()->setChecked(false);
    // Leaving the Secondary page refreshes the others from the copy: it goes first.
    ShowPage(sheet->Misc());
    EXPECT_EQ(sheet->Misc()->ShelfEdit()->text(), "-1000");
    sheet->Misc()->ShelfEdit()->setText("-2000");
    ShowPage(sheet->Temperature());
    EXPECT_EQ(sheet->Temperature()->TiltEdit()->text(), "23.5");
    sheet->Temperature()->SpecifiedButton()->click();
    sheet->Temperature()->BaseEdit()->setText("61.5");
    sheet->Temperature()->VarianceEdit()->setText("18");
    ShowPage(sheet->Rainfall());
    sheet->Rainfall()->BaseEdit()->setText("10");

    HintRecorder hints;
    sheet->ApplyChanges();
    const SurfMap& world = doc.GetWorld();
    EXPECT_NEAR(world.circumference, 24000 * 5280 * 0.3048 * 0.001, 1e-9);
    EXPECT_NEAR(world.climate.fixedMeanTemperature, 29.5 * 0.5555555702727522, 1e-6);
    EXPECT_EQ(world.climate.useFixedTemperature, 1);
    EXPECT_NEAR(world.climate.latitudeRange, 10.0, 1e-5);
    EXPECT_NEAR(world.shelfAltitude, -2000 * 0.3048, 1e-9);
    EXPECT_NEAR(world.climate.rainfallBase, 25.4, 1e-12);
    EXPECT_NEAR(world.climate.axialTilt, 23.5 * 0.017453292519943295, 1e-12);
    EXPECT_EQ(hints.Hints(), (std::vector<int>{10, 2}));
    EXPECT_EQ(view->BusyCount(), 0);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_EQ(doc.GetTitle(), "Untitled");
    EXPECT_TRUE(doc.GetPathName().empty() || doc.GetPathName() == "Untitled");
    EXPECT_EQ(MetricUnits, 0);
    // "Apply to current world" off: the channels start again.
    EXPECT_EQ(world.GetCellValue(3, 3, kChannelRainfall), 0.0f);
    // The copy keeps the applied values and holds no grids.
    EXPECT_EQ(sheet->Working().circumference, world.circumference);
    EXPECT_EQ(sheet->Working().Channel(0), nullptr);
}

TEST_F(WorldEditSheetTest, MetricWorldStaysMetricAndUnshownPagesAreNotRead)
{
    MetricUnits = 1;
    WorldSizeDisplay = 1;
    doc.GetWorld().waterPercent = 55.0;
    const int width = doc.GetWorld().gridWidth;
    Show();
    // Only the first page was shown: the world comes back as it was.
    sheet->Working().waterPercent = 55.0;
    sheet->ApplyChanges();
    EXPECT_EQ(MetricUnits, 1);
    EXPECT_EQ(WorldSizeDisplay, 1);
    EXPECT_EQ(doc.GetWorld().waterPercent, 55.0);
    EXPECT_EQ(doc.GetWorld().gridWidth, width);
    ShowPage(sheet->Primary());
    EXPECT_EQ(sheet->Primary()->SizeCombo()->currentIndex(), 1);
    EXPECT_EQ(sheet->Primary()->SizeEdit()->text(), "12806.8");  // 40233.6 km / pi
}

TEST_F(WorldEditSheetTest, SlidersWriteBackOnlyWhenMoved)
{
    struct Case {
        double h;
        int move;  // -1: untouched
        double expected;
    };
    const Case cases[] = {{1.0, -1, 1.0}, {2.2, -1, 2.2}, {1.0, 669, 1.00012}, {1.0, 668, 0.99864}};
    for (const Case& c : cases) {
        doc.GetWorld().sourceParms.H = c.h;
        Show();
        ShowPage(sheet->Primary());
        QSlider* slider = sheet->Primary()->SliderControl(CWorldEditPrimary::kRoughness);
        if (c.h == 1.0)
            EXPECT_EQ(slider->value(), 668);
        if (c.move >= 0) {
            slider->setValue(c.move == slider->value() ? c.move + 1 : c.move);
            slider->setValue(c.move);
        }
        sheet->ApplyChanges();
        EXPECT_NEAR(doc.GetWorld().sourceParms.H, c.expected, 1e-6) << c.move;
        sheet->hide();
    }
}

TEST_F(WorldEditSheetTest, EditingLabelsAndWidthRange)
{
    MetricUnits = 0;
    ASSERT_EQ(doc.GetWorld().SetResolution(SurfMap::kResolution256, true), 0);
    Show();
    CWorldEditEditing* editing = sheet->Editing();
    ShowPage(editing);
    EXPECT_TRUE(editing->SizeButton(0)->isChecked());
    EXPECT_EQ(editing->MemoryLabel()->text(), "768 KB");
    EXPECT_EQ(editing->CellLabel()->text(), "97.7 mi");
    editing->SizeButton(2)->click();
    editing->PrescaleCheck()->click();
    EXPECT_EQ(editing->MemoryLabel()->text(), "14.0 MB");
    EXPECT_EQ(sheet->Working().prescaleEnabled, 1);

    MessageRecorder messages;
    editing->SizeButton(3)->click();
    for (const char* bad : {"3", "8191", "x"}) {
        editing->WidthEdit()->setText(bad);
        const double water = doc.GetWorld().waterPercent;
        HintRecorder hints;
        sheet->ApplyChanges();
        EXPECT_TRUE(hints.sent.empty()) << bad;  // refused: nothing applied
        EXPECT_EQ(doc.GetWorld().waterPercent, water);
    }
    EXPECT_EQ(messages.texts.size(), 3u);
    editing->WidthEdit()->setText("300");
    sheet->ApplyChanges();
    EXPECT_EQ(doc.GetWorld().gridWidth, 300);
    EXPECT_EQ(doc.GetWorld().prescaleEnabled, 1);
    MetricUnits = 1;
    sheet->RefreshPagesNow();
    EXPECT_EQ(editing->WidthEdit()->text(), "300");
}

// A size chosen on Editing survives visits to the other pages (each refreshes every page
// when it is left) and is the size Apply gives the world.
TEST_F(WorldEditSheetTest, GridSizeChosenOnEditingOutlivesPageVisits)
{
    ASSERT_EQ(doc.GetWorld().SetResolution(SurfMap::kResolution256, true), 0);
    Show();
    CWorldEditEditing* editing = sheet->Editing();
    ShowPage(editing);
    editing->SizeButton(2)->click();
    for (CSheetPage* page : {static_cast<CSheetPage*>(sheet->Primary()), static_cast<CSheetPage*>(sheet->Misc()),
                             static_cast<CSheetPage*>(editing), static_cast<CSheetPage*>(sheet->Primary())})
        ShowPage(page);
    ShowPage(editing);
    EXPECT_TRUE(editing->SizeButton(2)->isChecked());
    EXPECT_EQ(editing->WidthEdit()->text(), "1024");
    sheet->ApplyChanges();
    EXPECT_EQ(doc.GetWorld().gridWidth, 1024);
    EXPECT_EQ(doc.GetWorld().gridHeight, 512);
}

// Text after a number makes the field no number: refused, nothing applied.
TEST_F(WorldEditSheetTest, TrailingTextInNumberFieldsIsRefused)
{
    Show();
    ShowPage(sheet->Primary());
    ShowPage(sheet->Editing());
    struct Case {
        QLineEdit* edit;
        const char* message;
    };
    const Case cases[] = {
        {sheet->Primary()->PeakEdit(), "Please enter a number."},
        {sheet->Primary()->SeedEdit(), "Please enter an integer between -2147483648 and 2147483647."},
        {sheet->Editing()->WidthEdit(), "Please enter an integer between 4 and 8190."},
    };
    sheet->Editing()->SizeButton(3)->click();
    for (const Case& c : cases) {
        const QString kept = c.edit->text();
        c.edit->setText("12abc");
        MessageRecorder messages;
        HintRecorder hints;
        sheet->ApplyChanges();
        EXPECT_TRUE(hints.sent.empty()) << c.message;
        EXPECT_EQ(messages.texts, std::vector<std::string>{c.message});
        c.edit->setText(kept);
    }
}

TEST_F(WorldEditSheetTest, HideAndShowDiscardsUnappliedEdits)
{
    Show();
    ShowPage(sheet->Rainfall());
    sheet->Rainfall()->BaseEdit()->setText("77");
    sheet->Working().waterPercent = 12.0;
    sheet->hide();
    Show();
    EXPECT_EQ(sheet->Working().waterPercent, doc.GetWorld().waterPercent);
    EXPECT_NE(sheet->Rainfall()->BaseEdit()->text(), "77");
}

TEST_F(WorldEditSheetTest, WorldDefinitionListLoadsSavesUpdatesAndDeletes)
{
    Show();
    CWorldEditSelection* list = sheet->Selection();
    const std::string folder = list->Folder();
    std::filesystem::create_directories(folder);
    MessageRecorder messages;

    // Save under a name given by the prompt, with this world's own exponents.
    sheet->Working().exponentAbove = 3.25;
    sheet->Working().waterPercent = 33.0;
    CSettingsListPage::SetNamePrompt([&](const std::string& f, const std::string& ext) {
        return std::optional<std::string>(f + "Mine." + ext);
    });
    list->Save();
    CSettingsListPage::SetNamePrompt(nullptr);
    ASSERT_EQ(list->List()->count(), 1);
    SurfMap written;
    ASSERT_EQ(written.ReadParmsFile(folder + "Mine.srf"), 0);
    EXPECT_EQ(written.exponentAbove, 3.25);

    // Load (nothing selected: nothing happens), then select and load: the grid size stays.
    sheet->Working().waterPercent = 80.0;
    sheet->Working().gridWidth = 1024;
    list->Load();
    EXPECT_EQ(sheet->Working().waterPercent, 80.0);
    list->List()->setCurrentRow(0);
    list->Load();
    EXPECT_EQ(sheet->Working().waterPercent, 33.0);
    EXPECT_EQ(sheet->Working().exponentAbove, 3.25);
    EXPECT_EQ(sheet->Working().gridWidth, 1024);

    // A damaged file: "Error reading", the copy unchanged.
    std::ofstream(folder + "Bad.srf") << "FracParms\nSeed 5\n";
    list->FillList();
    list->List()->setCurrentRow(0);  // sorted: Bad first
    sheet->Working().waterPercent = 81.0;
    list->Load();
    ASSERT_FALSE(messages.texts.empty());
    EXPECT_EQ(messages.texts.back(), "Error reading \"" + folder + "Bad.srf\"");
    EXPECT_EQ(sheet->Working().waterPercent, 81.0);

    // A file that vanished: "Can't open"; update writes it again.
    std::filesystem::remove(folder + "Bad.srf");
    list->Load();
    EXPECT_EQ(messages.texts.back(), "Can't open \"" + folder + "Bad.srf\"");
    list->Update();
    EXPECT_TRUE(std::filesystem::exists(folder + "Bad.srf"));

    // Delete asks (the recorder answers No), so the file stays.
    list->List()->setCurrentRow(0);
    list->Delete();
    EXPECT_EQ(messages.texts.back(), "Delete \"Bad\"?");
    EXPECT_TRUE(std::filesystem::exists(folder + "Bad.srf"));

    // An unwritable target: "Can't save to", the old file intact.
    const std::string before = [&] {
        std::ifstream in(folder + "Mine.srf");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    list->List()->setCurrentRow(1);
    list->Update();
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    if (::geteuid() != 0) {
        EXPECT_EQ(messages.texts.back(), "Can't save to \"" + folder + "Mine.srf\"");
        std::ifstream in(folder + "Mine.srf");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), before);
    }
}

TEST_F(WorldEditSheetTest, MainFrameTogglesBothSheets)
{
    CommandRouter router;
    CommandActions actions(router);
    CMainFrame frame(actions, false);
    router.SetTargets(nullptr, nullptr, &frame, nullptr);
    EXPECT_EQ(router.TargetOf(cmd::kWorldSettings), RouteTarget::Frame);

    doc.GetWorld().waterPercent = 42.0;
    frame.OnCommand(cmd::kWorldSettings);
    CWorldEditSheet* world = frame.WorldSettingsSheet();
    ASSERT_NE(world, nullptr);
    EXPECT_TRUE(world->isVisible());
    EXPECT_EQ(world->Working().waterPercent, 42.0);
    CommandState state;
    frame.OnUpdateCommand(cmd::kViewWorldSettings, state);
    EXPECT_TRUE(state.checked);
    world->Working().waterPercent = 10.0;
    frame.OnCommand(cmd::kViewWorldSettings);
    EXPECT_FALSE(world->isVisible());
    frame.OnCommand(cmd::kWorldSettings);
    EXPECT_EQ(world->Working().waterPercent, 42.0);  // the unapplied edit is gone
    // A new world while the sheet is open: the sheet follows.
    doc.GetWorld().waterPercent = 43.0;
    frame.RefreshWorldSettings();
    EXPECT_EQ(world->Working().waterPercent, 43.0);

    InstallColoringSheetFactory(&frame);
    view->Light().azimuth = 123.0;
    frame.OnCommand(cmd::kLightingAndColor);
    ASSERT_NE(GetColoringSheetWindow(), nullptr);
    EXPECT_TRUE(GetColoringSheetWindow()->isVisible());
    EXPECT_EQ(GetColoringSheetWindow()->Working().azimuth, 123.0);
    frame.OnCommand(cmd::kLightingAndColor);
    EXPECT_FALSE(GetColoringSheetWindow()->isVisible());
    ShaderRegistry::Destroy();
    SetColoringSheetFactory(nullptr);
}

} // namespace
