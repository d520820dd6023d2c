// The command dialogs opened through the document's dialog interface, answered through their
// widgets: OK hands the values back, Cancel leaves them, values out of range keep the dialog
// open with the range message.
#include "gui/dialogs/CBackgroundDlg.h"
#include "gui/dialogs/CBombardmentDlg.h"
#include "gui/dialogs/CClimateSelectDlgFace.h"
#include "gui/dialogs/CEditWorldFParmsDlg.h"
#include "gui/dialogs/CGlobalAltSetDlgFace.h"
#include "gui/dialogs/CImageClimateDlg.h"
#include "gui/dialogs/CImageSaveParmsDlg.h"
#include "gui/dialogs/CMathToolDlgFace.h"
#include "gui/dialogs/CNoiseDataDlgFace.h"
#include "gui/dialogs/CRangeSelectDlgFace.h"
#include "gui/dialogs/CSelectionFileDlgFace.h"
#include "gui/dialogs/CSimpleCreateDlg.h"
#include "gui/dialogs/CSingleEditDlgFace.h"
#include "gui/dialogs/CGlobeExportDlg.h"
#include "gui/dialogs/WindowDialogs.h"

#include "DialogDriver.h"
#include "WorldFixtures.h"
#include "base/AppSettings.h"
#include "base/DisplayUnits.h"
#include "base/ViewHooks.h"
#include "base/color/CColorList.h"
#include "base/color/ClimateParms.h"
#include "base/color/ColorChooser.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/ColorSwatch.h"
#include "shading/Shaders.h"
#include "view/ViewLayers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

#include <cstring>
#include <gtest/gtest.h>

using namespace kv;

namespace {

CommandDialogs& Dialogs()
{
    TestApp();
    InstallWindowDialogs();
    return GetCommandDialogs();
}

TerrainDialogs& Terrain()
{
    TestApp();
    InstallWindowDialogs();
    return GetTerrainDialogs();
}

template <class D> D* As(QDialog* dialog)
{
    auto* d = dynamic_cast<D*>(dialog);
    EXPECT_NE(d, nullptr);
    return d;
}

// Sets the units for one test.
class UnitsScope {
public:
    explicit UnitsScope(int metric) : m_old(MetricUnits.exchange(metric)) {}
    ~UnitsScope() { MetricUnits = m_old; }

private:
    int m_old;
};

} // namespace

TEST(WindowDialogs, SingleEditAndGlobalSetTakeTheirValuesOnOkOnly)
{
    CSingleEditDlg single;
    single.title = "Raise Altitude";
    single.prompt = "Amount:";
    single.value = 2.5f;
    {
        ModalAnswerer answer([](QDialog* d) {
            auto* dlg = As<CSingleEditDlgFace>(d);
            EXPECT_EQ(dlg->windowTitle(), "Raise Altitude");
            EXPECT_EQ(dlg->Label()->text(), "Amount:");
            EXPECT_EQ(dlg->Edit()->text(), "2.5");
            dlg->Edit()->setText(" -12.25 ");
            dlg->accept();
        });
        EXPECT_TRUE(Terrain().RunSingleEdit(single));
    }
    EXPECT_FLOAT_EQ(single.value, -12.25f);
    {
        ModalAnswerer answer([](QDialog* d) {
            As<CSingleEditDlgFace>(d)->Edit()->setText("99");
            d->reject();
        });
        EXPECT_FALSE(Terrain().RunSingleEdit(single));
    }
    EXPECT_FLOAT_EQ(single.value, -12.25f);

    CGlobalAltSetDlg set;
    set.label = "Altitude:";
    set.unit = "m";
    MessageRecorder messages;
    {
        // Samples 0 is refused; then 32 and a value are taken.
        ModalAnswerer answer([&](QDialog* d) {
            auto* dlg = As<CGlobalAltSetDlgFace>(d);
            EXPECT_EQ(dlg->windowTitle(), "Global Altitude Set");
            dlg->ValueEdit()->setText("150");
            dlg->accept();
            EXPECT_TRUE(dlg->isVisible());
            dlg->SamplesEdit()->setText("32");
            dlg->accept();
        });
        EXPECT_TRUE(Terrain().RunGlobalAltSet(set));
    }
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Please enter an integer between 1 and 32."});
    EXPECT_EQ(set.samples, 32);
    EXPECT_FLOAT_EQ(set.value, 150.0f);
}

TEST(WindowDialogs, RangeRefusalsKeepTheDialogOpen)
{
    struct Case {
        const char* what;
        const char* text;
        std::string message;
    };
    const std::string octaves = "Please enter a number between 1 and 20.";
    const std::string lacunarity = "Please enter a number between 0 and 12.";
    const Case cases[] = {
        {"octaves 0", "0", octaves},
        {"octaves 21", "21", octaves},
        {"lacunarity 13", "13", lacunarity},
        {"a lacunarity of nan", "nan", lacunarity},
        {"an octave count of inf", "inf", octaves},
        {"octaves beyond a double", "1e999", octaves},
    };
    FractalParmsValues values;
    values.parms = CEditWorldFParmsDlg::DefaultParms();
    std::strcpy(values.info.name, "Ridged");
    for (const Case& c : cases) {
        MessageRecorder messages;
        ModalAnswerer answer([&](QDialog* d) {
            auto* dlg = As<CEditWorldFParmsDlg>(d);
            EXPECT_EQ(dlg->windowTitle(), "Ridged");
            (c.message == lacunarity ? dlg->LacunarityEdit() : dlg->OctavesEdit())->setText(c.text);
            dlg->accept();
        });
        EXPECT_FALSE(Dialogs().EditFractalParms(values)) << c.what;
        EXPECT_EQ(answer.leftOpen, 1) << c.what;
        EXPECT_EQ(messages.texts, std::vector<std::string>{c.message}) << c.what;
        EXPECT_EQ(values.parms.octaves, 12.0) << c.what;
        EXPECT_EQ(values.parms.lacunarity, 2.0) << c.what;
    }

    // A float beyond a float's range is no value either.
    MessageRecorder messages;
    CSingleEditDlg single;
    single.value = 1.0f;
    ModalAnswerer answer([](QDialog* d) {
        As<CSingleEditDlgFace>(d)->Edit()->setText("1e39");
        d->accept();
    });
    EXPECT_FALSE(Terrain().RunSingleEdit(single));
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Please enter a number."});
    EXPECT_FLOAT_EQ(single.value, 1.0f);
}

TEST(WindowDialogs, FractalParmsShowTheSourcesExtrasOnly)
{
    FractalParmsValues values;
    values.parms = CEditWorldFParmsDlg::DefaultParms();
    values.info.extrasMask = 0x05; // extras 0 and 2
    std::strcpy(values.info.extraNames[0], "Offset");
    std::strcpy(values.info.extraNames[2], "Gain");
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = As<CEditWorldFParmsDlg>(d);
        for (int i = 0; i < kTexExtraCount; ++i)
            EXPECT_EQ(dlg->ExtraEdit(i)->isVisibleTo(dlg), i == 0 || i == 2) << i;
        EXPECT_EQ(dlg->ExtraLabel(2)->text(), "Gain");
        dlg->ExtraEdit(2)->setText("0.75");
        dlg->OctavesEdit()->setText("20");
        dlg->LacunarityEdit()->setText("0.5");
        dlg->accept();
    });
    ASSERT_TRUE(Dialogs().EditFractalParms(values));
    EXPECT_EQ(values.parms.extras[2], 0.75);
    EXPECT_EQ(values.parms.octaves, 20.0);
    EXPECT_EQ(values.parms.lacunarity, 0.5);
    EXPECT_EQ(values.parms.seed, 12345);
}

TEST(WindowDialogs, BombardmentRefusesNoCratersAndTakesTheRest)
{
    UnitsScope imperial(0);
    BombardmentSettings settings;
    MessageRecorder messages;
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = As<CBombardmentDlg>(d);
        EXPECT_EQ(dlg->windowTitle(), "Planetary Bombardment");
        auto* unit = dlg->findChild<QLabel*>("5599");
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->text(), "mi");
        dlg->CountEdit()->setText("0");
        dlg->accept();
        ASSERT_TRUE(dlg->isVisible());
        dlg->CountEdit()->setText("100000");
        dlg->LargestEdit()->setText("1000");
        dlg->SmallestEdit()->setText("1");
        dlg->SmoothEdit()->setText("0.1");
        dlg->IntervalEdit()->setText("1000000");
        dlg->ExponentEdit()->setText("0.001");
        dlg->LargestFirstCheck()->setChecked(false);
        dlg->accept();
    });
    ASSERT_TRUE(Terrain().RunBombardment(settings));
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Please enter an integer between 1 and 100000."});
    EXPECT_EQ(settings.count, 100000);
    EXPECT_FLOAT_EQ(static_cast<float>(settings.largest), 1000.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(settings.smallest), 1.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(settings.smoothingAmount), 0.1f);
    EXPECT_EQ(settings.smoothingInterval, 1000000);
    EXPECT_FLOAT_EQ(static_cast<float>(settings.sizeExponent), 0.001f);
    EXPECT_EQ(settings.largestFirst, 0);
}

TEST(WindowDialogs, RangeSelectRelabelsByTheTest)
{
    UnitsScope imperial(0);
    CRangeSelectDlg values;
    values.metricUnit = "m";
    values.imperialUnit = "ft";
    values.low = 10.0f;
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = As<CRangeSelectDlgFace>(d);
        EXPECT_EQ(dlg->windowTitle(), "Altitude Range Selection");
        // Nothing is relabelled while the test is -1.
        EXPECT_EQ(dlg->TestList()->currentIndex(), -1);
        EXPECT_EQ(dlg->LowLabel()->text(), "Low:");
        dlg->LowEdit()->setText("120");
        dlg->TestList()->setCurrentIndex(CRangeSelectDlg::kAbove);
        EXPECT_EQ(dlg->LowLabel()->text(), "Value (ft):");
        EXPECT_EQ(dlg->HighLabel()->text(), "");
        EXPECT_FALSE(dlg->HighEdit()->isVisibleTo(dlg));
        EXPECT_EQ(dlg->LowEdit()->text(), "120");
        dlg->TestList()->setCurrentIndex(CRangeSelectDlg::kNotBetween);
        EXPECT_EQ(dlg->LowLabel()->text(), "Low (ft):");
        EXPECT_EQ(dlg->HighLabel()->text(), "High (ft):");
        EXPECT_TRUE(dlg->HighEdit()->isVisibleTo(dlg));
        dlg->TestList()->setCurrentIndex(CRangeSelectDlg::kBelow);
        dlg->CombineList()->setCurrentIndex(2);
        dlg->accept();
    });
    ASSERT_TRUE(Terrain().RunRangeSelect(values));
    EXPECT_EQ(values.test, CRangeSelectDlg::kBelow);
    EXPECT_EQ(values.combine, 2);
    EXPECT_FLOAT_EQ(values.low, 120.0f);
}

TEST(WindowDialogs, NoiseDialogKeepsAutoRandseedAndDrawsANewSeedPerOpening)
{
    AppSettings profile;
    const AppSettings* old = SetAppSettings(&profile);
    CNoiseDataDlg values;
    values.seed = 5;
    std::vector<int> seeds;
    auto open = [&](bool switchOff) {
        ModalAnswerer answer([&](QDialog* d) {
            auto* dlg = As<CNoiseDataDlgFace>(d);
            seeds.push_back(dlg->SeedEdit()->text().toInt());
            EXPECT_EQ(dlg->windowTitle(), "Add Noise");
            if (switchOff) {
                dlg->AutoRandseedCheck()->click();
                dlg->SeedEdit()->setText("77");
                dlg->TypeList()->setCurrentIndex(1);
                dlg->MeanEdit()->setText("3");
            }
            dlg->accept();
        });
        return Terrain().RunNoiseData(values);
    };
    // Default on: two openings, two drawn seeds.
    ASSERT_TRUE(open(false));
    ASSERT_TRUE(open(false));
    ASSERT_EQ(seeds.size(), 2u);
    EXPECT_NE(seeds[0], seeds[1]);
    EXPECT_EQ(values.seed, seeds[1]);
    EXPECT_EQ(profile.GetInt("Settings", "AutoRandseed", -1), 1);
    // Switched off: the typed seed is taken and stays on the next opening.
    ASSERT_TRUE(open(true));
    EXPECT_EQ(profile.GetInt("Settings", "AutoRandseed", -1), 0);
    EXPECT_EQ(values.seed, 77);
    EXPECT_EQ(values.noiseType, 1);
    EXPECT_FLOAT_EQ(values.mean, 3.0f);
    ASSERT_TRUE(open(false));
    EXPECT_EQ(seeds.back(), 77);
    // A hand-edited profile value other than 0 counts as on.
    profile.WriteInt("Settings", "AutoRandseed", 7);
    ASSERT_TRUE(open(false));
    EXPECT_NE(seeds.back(), 77);
    EXPECT_EQ(profile.GetInt("Settings", "AutoRandseed", -1), 1);
    SetAppSettings(old);
}

TEST(WindowDialogs, ImageSaveKeepsTheMainWindowsProportions)
{
    ImageSaveValues values;
    values.mainWidth = 800;
    values.mainHeight = 600;
    values.jpeg = false;
    values.width = -1000;
    values.height = 5;
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = As<CImageSaveParmsDlg>(d);
        EXPECT_FALSE(dlg->QualitySlider()->isEnabledTo(dlg));
        EXPECT_TRUE(dlg->HeightEdit()->isEnabled());
        dlg->KeepCheck()->setChecked(true);
        EXPECT_EQ(dlg->WidthEdit()->text(), "1000");
        EXPECT_EQ(dlg->HeightEdit()->text(), "750");
        EXPECT_FALSE(dlg->HeightEdit()->isEnabled());
        dlg->accept();
    });
    ASSERT_TRUE(Dialogs().ImageSaveParms(values));
    EXPECT_EQ(values.width, 1000);
    EXPECT_EQ(values.height, 750);
    EXPECT_TRUE(values.keepProportions);
    EXPECT_EQ(values.quality, 75);

    // A JPEG's quality comes from the slider.
    values.jpeg = true;
    ModalAnswerer answer2([](QDialog* d) {
        auto* dlg = As<CImageSaveParmsDlg>(d);
        EXPECT_TRUE(dlg->QualitySlider()->isEnabledTo(dlg));
        dlg->QualitySlider()->setValue(30);
        dlg->accept();
    });
    ASSERT_TRUE(Dialogs().ImageSaveParms(values));
    EXPECT_EQ(values.quality, 30);
}

TEST(WindowDialogs, ClimateSelectionWritesEachCheckBack)
{
    CClimateSelectDlg values;
    values.names = {"Ice", "Tundra", "Desert"};
    values.states = {1, 0, 0};
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = As<CClimateSelectDlgFace>(d);
        ASSERT_EQ(dlg->List()->count(), 3);
        EXPECT_EQ(dlg->List()->item(0)->checkState(), Qt::Checked);
        dlg->List()->item(0)->setCheckState(Qt::Unchecked);
        dlg->List()->item(2)->setCheckState(Qt::Checked);
        dlg->accept();
    });
    ASSERT_TRUE(Terrain().RunClimateSelect(values));
    EXPECT_EQ(values.states, (std::vector<int>{0, 0, 1}));
}

TEST(WindowDialogs, MathToolEnablesTheConstantAndTakesTheChoice)
{
    CMathToolDlg values;
    values.source2 = 3;
    values.operation = 5;
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = As<CMathToolDlgFace>(d);
        EXPECT_EQ(dlg->windowTitle(), "Math Tools");
        // Copy takes one source: Source 2 and the constant are off.
        EXPECT_FALSE(dlg->Source2List()->isEnabled());
        EXPECT_FALSE(dlg->ConstantEdit()->isEnabled());
        dlg->OperationList()->setCurrentIndex(2);
        EXPECT_TRUE(dlg->Source2List()->isEnabled());
        EXPECT_EQ(dlg->OperationList()->currentText(), " * (Multiply)");
        dlg->Source2List()->setCurrentIndex(0);
        EXPECT_FALSE(dlg->ConstantEdit()->isEnabled());
        dlg->Source2List()->setCurrentIndex(CMathToolDlgFace::kConstantSource);
        EXPECT_TRUE(dlg->ConstantEdit()->isEnabled());
        dlg->ConstantEdit()->setText("0.5");
        dlg->DestinationList()->setCurrentIndex(7);
        dlg->Source1List()->setCurrentIndex(8);
        dlg->accept();
    });
    ASSERT_TRUE(Terrain().RunMathTool(values));
    EXPECT_EQ(values.destination, 7);
    EXPECT_EQ(values.source1, 8);
    EXPECT_EQ(values.operation, 2);
    EXPECT_EQ(values.source2, 9);
    EXPECT_FLOAT_EQ(values.constant, 0.5f);
}

TEST(WindowDialogs, SelectionFileGivesThePathAndTheCombineMode)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("mask.bmp");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("BM");
    }
    CSelectionFileDlg values;
    values.showCombine = true;
    values.filter = "Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*||";
    values.path = file.toStdString();
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = As<CSelectionFileDlgFace>(d);
        EXPECT_EQ(dlg->CombineList()->currentIndex(), 0);
        EXPECT_EQ(dlg->CombineList()->itemText(1), "Add to Selection");
        dlg->CombineList()->setCurrentIndex(2);
        dlg->accept();
    });
    ASSERT_TRUE(Terrain().RunFileDialog(values));
    EXPECT_EQ(values.combine, 2);
    EXPECT_EQ(values.path, file.toStdString());
}

TEST(WindowDialogs, ImageClimateChartsTheModelAndSetsTheShaderOnOk)
{
    UnitsScope metric(1);
    Shader_ImgClimate shader;
    shader.SetImage(0, "");
    ClimateParms climate;
    ImageClimateValues values{&shader, &climate};
    ModalAnswerer answer([&](QDialog* d) {
        auto* dlg = As<CImageClimateDlg>(d);
        EXPECT_EQ(dlg->TemperatureUnit(), "C");
        EXPECT_EQ(dlg->RainfallUnit(), "cm/yr");
        EXPECT_FALSE(dlg->ImageCheck()->isChecked());
        // Row 100 of 200 is 150 cm/yr; column 150 of 300 is 10 degrees C.
        const uint32_t expected =
            climate.ClimateColor(ClimateParms::LookupClimateClass(150.0, 10.0 + ClimateParms::kKelvinOffset));
        EXPECT_EQ(dlg->ChartImage().GetPixel(150, 100) & 0xFFFFFFu, expected);
        dlg->ShowPoint(150, 100);
        EXPECT_EQ(dlg->TemperatureText(), "10.00");
        EXPECT_EQ(dlg->RainfallText(), "150.00");
        EXPECT_EQ(dlg->ClimateText().toStdString(),
                  ClimateParms::GetClimateName(
                      ClimateParms::LookupClimateClass(150.0, 10.0 + ClimateParms::kKelvinOffset)));
        // The grid draws black lines at row 0 and column 0.
        dlg->GridCheck()->setChecked(true);
        EXPECT_EQ(dlg->ChartImage().GetPixel(0, 57) & 0xFFFFFFu, 0u);
        dlg->PathEdit()->setText("/nowhere/climate.bmp");
        dlg->accept();
    });
    ASSERT_TRUE(Dialogs().ImageClimate(values));
    int enabled = -1;
    std::string path;
    shader.GetImage(enabled, path);
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(path, "/nowhere/climate.bmp");
}

TEST(WindowDialogs, ImageClimateReadsOutInImperialUnits)
{
    TestApp();
    UnitsScope imperial(0);
    ImageClimateValues values;
    CImageClimateDlg dlg(values);
    EXPECT_EQ(dlg.TemperatureUnit(), "F");
    EXPECT_EQ(dlg.RainfallUnit(), "in/yr");
    dlg.ShowPoint(150, 100);
    EXPECT_EQ(dlg.TemperatureText(), "50.00");      // 10 C
    EXPECT_EQ(dlg.RainfallText(), "59.06");         // 150 cm/yr x 0.39370078
}

namespace {

// Counts the busy counter of the view while installed.
struct BusyRecorder : kv::ViewHooks {
    BusyRecorder() { m_previous = kv::SetViewHooks(this); }
    ~BusyRecorder() override { kv::SetViewHooks(m_previous); }
    int StopActiveViewRender() override { return 0; }
    int UpdateActiveDocViews(int) override { return 0; }
    void EnterBusy() override { ++busy; }
    void LeaveBusy() override { --busy; }
    int busy = 0;

private:
    kv::ViewHooks* m_previous = nullptr;
};

struct PaletteChooser : ColorChooser {
    bool PickPaletteIndex(int& index) override
    {
        index = 9;
        return true;
    }
};

} // namespace

TEST(WindowDialogs, AnOpenDialogHoldsTheViewsBusyCounter)
{
    BusyRecorder view;
    int busyWhileOpen = -1;
    CMathToolDlg values;
    ModalAnswerer answer([&](QDialog* d) {
        busyWhileOpen = view.busy;
        d->reject();
    });
    EXPECT_FALSE(Terrain().RunMathTool(values));
    EXPECT_EQ(busyWhileOpen, 1);
    EXPECT_EQ(view.busy, 0);
}

TEST(WindowDialogs, BackgroundPicksAPatternAndColours)
{
    CommandDialogs& dialogs = Dialogs(); // installs the window's chooser first
    auto old = SetColorChooser(std::make_shared<PaletteChooser>());
    BackgroundValues values{2, ColorOf(255, 255, 255), ColorOf(0, 0, 0)};
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = As<CBackgroundDlg>(d);
        EXPECT_EQ(dlg->windowTitle(), "Background Settings");
        // Each pattern swatch shows its hatch style in the menu text colour on the window colour.
        for (int i = 0; i < CBackgroundDlg::kPatternCount; ++i) {
            const QImage picture = dlg->Pattern(i)->Picture();
            const QColor text = dlg->palette().color(QPalette::Active, QPalette::WindowText);
            const QColor base = dlg->palette().color(QPalette::Active, QPalette::Base);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    ASSERT_EQ(QColor(picture.pixel(x, y)), HatchLineAt(i, x, y) ? text : base) << i;
        }
        dlg->OnPatternClicked(4);
        dlg->OnColorClicked(false);
        EXPECT_EQ(dlg->Background()->Color(), PaletteColor(9));
        const QImage preview = dlg->Preview()->Picture();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(FromQColor(QColor(preview.pixel(x, y))),
                          HatchLineAt(4, x, y) ? ColorOf(255, 255, 255) : PaletteColor(9));
        dlg->accept();
    });
    ASSERT_TRUE(dialogs.Background(values));
    SetColorChooser(old);
    EXPECT_EQ(values.pattern, 4);
    EXPECT_EQ(values.background, PaletteColor(9));
    EXPECT_EQ(values.foreground, ColorOf(255, 255, 255));
}

TEST(WindowDialogs, SimpleCreateTakesAltitudesAndQualityOnOkOnly)
{
    SimpleCreateSettings settings;
    settings.rays = 100;
    MessageRecorder messages;
    {
        // "nan" is refused and the dialog stays open; the quality dialog's sliders pick from
        // their tables; OK takes everything.
        ModalAnswerer answer({[](QDialog* d) {
                                  auto* dlg = As<CSimpleCreateDlg>(d);
                                  EXPECT_EQ(dlg->windowTitle(), "Simple Create Mode");
                                  EXPECT_EQ(dlg->Edit(0)->text(), "7620");
                                  EXPECT_EQ(dlg->Edit(3)->text(), "243.84");
                                  dlg->Edit(6)->setText("nan");
                                  dlg->accept();
                                  ASSERT_TRUE(dlg->isVisible());
                                  dlg->Edit(6)->setText("-9000.5");
                                  dlg->Edit(0)->setText("8000");
                                  dlg->ClimatesOnlyCheck()->setChecked(true);
                                  dlg->OpenQuality();
                                  dlg->accept();
                              },
                              [](QDialog* d) {
                                  auto* q = As<CSimpleCreateQualityDlg>(d);
                                  EXPECT_EQ(q->ResolutionSlider()->value(), 1); // 256
                                  EXPECT_EQ(q->RaysSlider()->value(), 6);       // 100
                                  EXPECT_EQ(q->RaysLabel()->text(), "Per-Sample Quality (100)");
                                  q->ResolutionSlider()->setValue(5);
                                  q->RaysSlider()->setValue(0);
                                  EXPECT_EQ(q->ResolutionLabel()->text(), "Image Resolution (1024)");
                                  q->accept();
                              }});
        ASSERT_TRUE(Terrain().RunSimpleCreate(settings));
    }
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Please enter a number."});
    EXPECT_EQ(settings.mountainPeak, 8000.0);
    EXPECT_EQ(settings.trench, -9000.5);
    EXPECT_EQ(settings.hillBase, 243.84);
    EXPECT_EQ(settings.climatesOnly, 1);
    EXPECT_EQ(settings.resolution, 1024);
    EXPECT_EQ(settings.rays, 8);

    // Cancel, also after a cancelled quality dialog, leaves the record as it was.
    const SimpleCreateSettings before = settings;
    {
        ModalAnswerer answer({[](QDialog* d) {
                                  auto* dlg = As<CSimpleCreateDlg>(d);
                                  dlg->Edit(0)->setText("1");
                                  dlg->OpenQuality();
                                  dlg->reject();
                              },
                              [](QDialog* d) {
                                  As<CSimpleCreateQualityDlg>(d)->ResolutionSlider()->setValue(0);
                                  d->reject();
                              }});
        EXPECT_FALSE(Terrain().RunSimpleCreate(settings));
    }
    EXPECT_EQ(settings.mountainPeak, before.mountainPeak);
    EXPECT_EQ(settings.resolution, before.resolution);
}

TEST(WindowDialogs, GlobeExportGivesFolderLevelsLinkImagesAndFileSetOnOkOnly)
{
    CGlobeExportDlg record;
    record.folder = "/tmp/old";
    record.linkImages = true;
    record.fileSets = {"Globe1a.bmp .. Globe4a.bmp", "Globe1b.bmp .. Globe4b.bmp"};
    {
        ModalAnswerer answer([](QDialog* d) {
            auto* dlg = As<CGlobeExportDlgFace>(d);
            EXPECT_EQ(dlg->windowTitle(), "Globe Setup File Export");
            EXPECT_EQ(dlg->FileSetBox()->itemText(1), "2. Globe1b.bmp .. Globe4b.bmp");
            EXPECT_TRUE(dlg->LevelBox(3)->isChecked());
            auto* dir = dlg->findChild<QLineEdit*>(QString::number(CGlobeExportDlgFace::kDirectoryId));
            ASSERT_NE(dir, nullptr);
            EXPECT_EQ(dir->text(), "/tmp/old");
            dir->setText("/tmp/new");
            dlg->findChild<QCheckBox*>(QString::number(CGlobeExportDlgFace::kLinkFileId))->setChecked(false);
            d->reject();
        });
        EXPECT_FALSE(Terrain().RunGlobeExport(record));
    }
    EXPECT_EQ(record.folder, "/tmp/old");
    EXPECT_TRUE(record.linkImages);
    {
        ModalAnswerer answer([](QDialog* d) {
            auto* dlg = As<CGlobeExportDlgFace>(d);
            dlg->findChild<QLineEdit*>(QString::number(CGlobeExportDlgFace::kDirectoryId))->setText("/tmp/new");
            dlg->findChild<QCheckBox*>(QString::number(CGlobeExportDlgFace::kLinkFileId))->setChecked(false);
            dlg->FileSetBox()->setCurrentIndex(1);
            dlg->LevelBox(2)->click();
            EXPECT_FALSE(dlg->LevelBox(3)->isEnabled());
            for (auto* b : dlg->findChildren<QPushButton*>())
                if (b->text().remove('&') == "OK")
                    b->click();
        });
        EXPECT_TRUE(Terrain().RunGlobeExport(record));
    }
    EXPECT_EQ(record.folder, "/tmp/new");
    EXPECT_FALSE(record.linkImages);
    EXPECT_EQ(record.name, "Globe");
    EXPECT_EQ(record.fileSetIndex, 1);
    EXPECT_TRUE(record.levels[1]);
    EXPECT_FALSE(record.levels[2]);
}
