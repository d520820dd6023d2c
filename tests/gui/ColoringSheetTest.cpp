// The Lighting and Color sheet on the offscreen platform: the light direction edits, the
// ramp editors, the climate colour lists of the document and the scheme list.
#include "DocumentFixtures.h"
#include "QtTestApp.h"
#include "WorldFixtures.h"

#include "base/Progress.h"
#include "base/color/ClimateParms.h"
#include "document/CKVDoc.h"
#include "gui/sheets/CColoringPages.h"
#include "gui/sheets/CColoringSheet.h"
#include "shading/ShaderRegistry.h"
#include "view/CKVView.h"
#include "view/DocumentAdapter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace kv;

namespace {

class ColoringSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApp();
        previousHooks = SetProgressHooks(SilentProgressHooks());
        doc.OnNewDocument();
        view = std::make_unique<CKVView>(adapter);
        view->InstallHooks();
        sheet = std::make_unique<CColoringSheet>();
        sheet->Working() = view->Light();
        sheet->show();
        sheet->RefreshPages();
    }
    void TearDown() override
    {
        sheet.reset();
        view.reset();
        ShaderRegistry::Destroy();
        SetProgressHooks(previousHooks);
    }
    void ShowPage(CSheetPage* page) { sheet->Tabs()->setCurrentWidget(page); }

    DocumentEnvironment env;
    CKVDoc doc;
    DocumentAdapter adapter{doc};
    ActiveDocument active{&doc};
    std::unique_ptr<CKVView> view;
    std::unique_ptr<CColoringSheet> sheet;
    ProgressHooks previousHooks{};
};

TEST_F(ColoringSheetTest, TypedAnglesClampAndApplyRedrawsWithHint16)
{
    view->Light().ambient = 0.255;
    sheet->Working() = view->Light();
    CColoringIntensity* page = sheet->Intensity();
    ShowPage(page);
    struct Case {
        const char* text;
        double azimuth;
        int slider;
    };
    const Case cases[] = {{"400", 359.99, 359}, {"-5", 0.0, 0}, {"nan", 0.0, 0}, {"12.75", 12.75, 12}, {"x", 12.75, 12}};
    for (const Case& c : cases) {
        page->TypeAzimuth(c.text);
        EXPECT_EQ(page->AzimuthSlider()->value(), c.slider) << c.text;
        HintRecorder hints;
        sheet->ApplyChanges();
        EXPECT_NEAR(view->Light().azimuth, c.azimuth, 1e-4) << c.text;
        EXPECT_EQ(hints.Hints(), std::vector<int>{CColoringSheet::kLightingHint});
        EXPECT_EQ(view->BusyCount(), 0);
    }
    page->TypeElevation("-120");
    EXPECT_EQ(page->ElevationSlider()->value(), -90);
    // The shadows slider was never moved: the ambient level keeps its hundredths.
    EXPECT_NEAR(view->Light().ambient, 0.255, 1e-6);
    page->ShadowsSlider()->setValue(40);
    sheet->ApplyChanges();
    EXPECT_NEAR(view->Light().ambient, 0.40, 1e-6);
    EXPECT_NEAR(view->Light().elevation, -90.0, 1e-9);
    // Elevation below 0 draws the arrow in light red.
    page->Arrow()->resize(108, 108);
    page->TypeElevation("0");
    page->TypeAzimuth("0");
    const QImage arrow = page->Arrow()->Render();
    EXPECT_EQ(arrow.pixel(54, 20), qRgb(0xFF, 0xFF, 0x60));  // inside the upward arrow
    EXPECT_EQ(arrow.pixel(54, 80), qRgb(0xFF, 0xFF, 0xFF));  // below the centre: white
}

TEST_F(ColoringSheetTest, CountsResampleFromTheListAsTypingBegan)
{
    ShowPage(sheet->Altitude());
    ColorRampEditor* land = sheet->Altitude()->Land();
    const CColorList before = sheet->Working().landColors;
    land->TypeCount("1");
    land->TypeCount("16");
    CColorList direct = before;
    ResampleColorListByShift(direct, 16);
    EXPECT_TRUE(sheet->Working().landColors.Equals(direct));
    land->TypeCount("0");
    EXPECT_EQ(sheet->Working().landColors.GetSize(), 1);
    land->TypeCount("256");
    EXPECT_EQ(sheet->Working().landColors.GetSize(), 256);
    // A count past 256 or with text after it resamples nothing, and reading the page
    // refuses it with the range message instead of clamping it.
    for (const char* bad : {"100000", "257", "12abc"}) {
        MessageRecorder refused;
        land->TypeCount(bad);
        EXPECT_EQ(sheet->Working().landColors.GetSize(), 256) << bad;
        EXPECT_FALSE(sheet->ReadPages()) << bad;
        EXPECT_EQ(refused.texts, std::vector<std::string>{"Please enter an integer between 0 and 256."}) << bad;
    }
    land->TypeCount("256");

    CColoringClimateRamp* temperature = sheet->Temperature();
    ShowPage(temperature);
    temperature->Editor()->TypeCount("0");
    EXPECT_EQ(temperature->List().GetSize(), 2);
    // The document takes the page's list when the sheet reads its pages, and is modified.
    doc.SetModifiedFlag(false);
    sheet->ApplyChanges();
    EXPECT_EQ(doc.GetWorld().climate.TemperatureList().GetSize(), 2);
    EXPECT_TRUE(doc.IsModified());

    // A damaged ".bcl" is reported and the list kept.
    MessageRecorder messages;
    const std::string bad = (env.folder / "bad.bcl").string();
    std::ofstream(bad, std::ios::binary) << "garbage";
    temperature->LoadListFile(bad);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(temperature->List().GetSize(), 2);
    temperature->LoadListFile((env.folder / "none.bcl").string());
    EXPECT_EQ(messages.texts.back(), "Unable to open file " + (env.folder / "none.bcl").string());
    const std::string good = (env.folder / "good.bcl").string();
    temperature->SaveListFile(good);
    temperature->Editor()->TypeCount("5");
    temperature->LoadListFile(good);
    EXPECT_EQ(temperature->List().GetSize(), 2);

    // Bars of fewer than four rows stay blank.
    EXPECT_TRUE(ColorBarImage(temperature->List(), QSize(10, 3)).isNull());
    EXPECT_EQ(ColorBarImage(temperature->List(), QSize(10, 4)).height(), 4);
}

TEST_F(ColoringSheetTest, EnterOnTheAltitudePageShowsOneColourAsTwoWithoutApplying)
{
    const auto pressEnter = [](QWidget* target) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    };
    ShowPage(sheet->Altitude());
    ColorRampEditor* land = sheet->Altitude()->Land();
    ColorRampEditor* sea = sheet->Altitude()->Sea();
    const CColorList seaBefore = sheet->Working().seaColors;
    ASSERT_GT(seaBefore.GetSize(), 2);
    land->TypeCount("0");
    ASSERT_EQ(sheet->Working().landColors.GetSize(), 1);
    const uint32_t only = sheet->Working().landColors.GetColorAt(0);
    const LightParms applied = view->Light();
    HintRecorder hints;
    pressEnter(land->CountEdit());
    // The count shown and the list agree: two stops of the one colour.
    EXPECT_EQ(land->CountEdit()->text(), "2");
    ASSERT_EQ(sheet->Working().landColors.GetSize(), 2);
    EXPECT_EQ(sheet->Working().landColors.GetColorAt(0), only);
    EXPECT_EQ(sheet->Working().landColors.GetColorAt(1), only);
    EXPECT_TRUE(sheet->Working().seaColors.Equals(seaBefore));
    EXPECT_EQ(sea->CountEdit()->text(), QString::number(seaBefore.GetSize()));
    // Nothing was applied from this page.
    EXPECT_TRUE(hints.Hints().empty());
    EXPECT_TRUE(view->Light().landColors.Equals(applied.landColors));

    // On any other page Enter applies the sheet.
    ShowPage(sheet->Intensity());
    pressEnter(sheet->Intensity());
    EXPECT_EQ(hints.Hints(), std::vector<int>{CColoringSheet::kLightingHint});
    EXPECT_EQ(view->Light().landColors.GetSize(), 2);
}

TEST_F(ColoringSheetTest, ClimateColoursLoadSaveAndEdit)
{
    CColoringClimate* page = sheet->Climate();
    ShowPage(page);
    ASSERT_EQ(page->Table()->topLevelItemCount(), kClimateClassCount);
    MessageRecorder messages;
    page->EditSelected();
    EXPECT_EQ(messages.texts.back(), CColoringClimate::kSelectMessage);

    const std::string path = (env.folder / "colors.clr").string();
    std::ofstream(path) << "17, 1, 2, 3\n3,10,20,30\n";
    doc.SetModifiedFlag(false);
    page->LoadFile(path);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(page->Table()->topLevelItem(3)->text(1), "0A141E");
    EXPECT_EQ(doc.GetWorld().climate.ClimateList().GetSize(), kClimateClassCount);

    const std::string saved = (env.folder / "saved.clr").string();
    page->SaveFile(saved);
    std::ifstream in(saved);
    int lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    EXPECT_EQ(lines, kClimateClassCount);
    page->LoadFile((env.folder / "missing.clr").string());
    EXPECT_EQ(messages.texts.back(), "Error opening file \"" + (env.folder / "missing.clr").string() + "\"");
}

TEST_F(ColoringSheetTest, SchemeListPreviewsLoadsAndRefusesDamagedFiles)
{
    CColoringSelection* list = sheet->Selection();
    const std::string folder = list->Folder();
    std::filesystem::create_directories(folder);
    sheet->Working().azimuth = 100.0;
    CSettingsListPage::SetNamePrompt([&](const std::string& f, const std::string& ext) {
        return std::optional<std::string>(f + "Dusk." + ext);
    });
    list->Save();
    CSettingsListPage::SetNamePrompt(nullptr);
    std::ofstream(folder + "Broken.lgt") << "LightParms\naz 50\n";
    list->FillList();
    ASSERT_EQ(list->List()->count(), 2);

    MessageRecorder messages;
    list->List()->setCurrentRow(0);  // Broken
    sheet->Working().azimuth = 7.0;
    list->Load();
    EXPECT_EQ(messages.texts.back(), "Error reading \"" + folder + "Broken.lgt\"");
    EXPECT_EQ(sheet->Working().azimuth, 7.0);
    list->List()->setCurrentRow(1);  // Dusk
    list->Load();
    EXPECT_EQ(sheet->Working().azimuth, 100.0);

    // A preview shows the land list above the middle and the sea list below it.
    list->PreviewBox()->resize(71, 66);
    emit list->List()->itemClicked(list->List()->item(1));
    const QImage& preview = list->PreviewImage();
    ASSERT_EQ(preview.height(), 64);
    EXPECT_EQ(preview.width(), 72);  // 69 rounded up to a multiple of 4
    const LightParms& shown = list->Preview();
    const uint32_t top = shown.landColors.GetColorAt(shown.landColors.GetSize() - 1);
    EXPECT_EQ(preview.pixel(0, 0), qRgb(RedOf(top), GreenOf(top), BlueOf(top)));
    const uint32_t sea = shown.seaColors.GetColorAt(shown.seaColors.GetSize() - 1);
    EXPECT_EQ(preview.pixel(0, 32), qRgb(RedOf(sea), GreenOf(sea), BlueOf(sea)));
}

} // namespace

namespace {

// Clicks the page's button with this text.
void ClickButton(QWidget* page, const QString& text)
{
    for (QPushButton* button : page->findChildren<QPushButton*>())
        if (button->text() == text) {
            button->click();
            return;
        }
    ADD_FAILURE() << "no button " << text.toStdString();
}

} // namespace

// Save on the colour pages: a name typed without the file type's extension gets it (so Load
// lists it); any other extension is kept in front of it; the user is asked before a file the
// dialog did not ask about is replaced; a folder that cannot be written gives a message.
TEST_F(ColoringSheetTest, SavedColourFilesGetTheirExtension)
{
    std::string typed;
    SetColorFilePrompt([&](bool, const char*, const char*, const char*) -> std::optional<std::string> { return typed; });
    struct Case {
        CSheetPage* page;
        const char* name;
        const char* saved;
    };
    const Case cases[] = {
        {sheet->Rainfall(), "rain", "rain.bcl"},
        {sheet->Temperature(), "warm.BCL", "warm.BCL"},
        {sheet->Temperature(), "warm.clr", "warm.clr.bcl"},
        {sheet->Climate(), "classes", "classes.clr"},
        {sheet->Climate(), "classes.bcl", "classes.bcl.clr"},
    };
    QuestionRecorder messages;
    for (const Case& c : cases) {
        ShowPage(c.page);
        typed = (env.folder / c.name).string();
        ClickButton(c.page, "Save...");
        EXPECT_TRUE(std::filesystem::exists(env.folder / c.saved)) << c.name;
        if (std::string(c.name) != c.saved)
            EXPECT_FALSE(std::filesystem::exists(env.folder / c.name)) << c.name;
    }
    EXPECT_TRUE(messages.asked.empty());
    EXPECT_TRUE(messages.shown.empty());

    // "rain.bcl" exists now: typed as "rain" again the user is asked; No keeps the file.
    ShowPage(sheet->Rainfall());
    std::ofstream(env.folder / "rain.bcl") << "keep";
    messages.yes = false;
    typed = (env.folder / "rain").string();
    ClickButton(sheet->Rainfall(), "Save...");
    ASSERT_EQ(messages.asked.size(), 1u);
    EXPECT_NE(messages.asked[0].find("rain.bcl already exists"), std::string::npos);
    std::string content;
    std::getline(std::ifstream(env.folder / "rain.bcl"), content);
    EXPECT_EQ(content, "keep");
    messages.yes = true;
    ClickButton(sheet->Rainfall(), "Save...");
    std::getline(std::ifstream(env.folder / "rain.bcl"), content);
    EXPECT_NE(content, "keep");

    // A folder that is not there: a message naming the file, nothing written.
    typed = (env.folder / "missing" / "rain").string();
    ClickButton(sheet->Rainfall(), "Save...");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "Unable to open file " + (env.folder / "missing" / "rain.bcl").string());
    EXPECT_FALSE(std::filesystem::exists(env.folder / "missing"));
    SetColorFilePrompt(nullptr);
}
