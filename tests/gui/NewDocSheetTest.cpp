// The "New Document" wizard on the offscreen platform: pages by kind, summaries, the
// Synthetic World page's own copy, the Binary Data page's surface mapping, and the
// document's new-world step finished and cancelled through the window.
#include "DialogDriver.h"
#include "DocumentFixtures.h"
#include "OutsideTools.h"
#include "QtTestApp.h"
#include "WorldFixtures.h"

#include "base/DisplayUnits.h"
#include "base/Undo.h"
#include "base/noise/CSourceDatabase.h"
#include "document/CKVDoc.h"
#include "document/NewWorldWizardSteps.h"
#include "gui/exchange/CBinaryImportDlg.h"
#include "gui/sheets/CNewDocSheet.h"
#include "gui/sheets/CWorldEditPages.h"
#include "view/WorldSettingsValues.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

using namespace kv;

namespace {

// A 4 x 2 raster of unsigned 16-bit samples after an 8-byte header: 24 bytes.
constexpr int kRasterBytes = 24;

class NewDocSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApp();
        WriteBytes(Raster(), std::vector<uint8_t>(kRasterBytes, 1));
        metric = MetricUnits;
        sizeDisplay = WorldSizeDisplay;
    }
    void TearDown() override
    {
        MetricUnits = metric;
        WorldSizeDisplay = sizeDisplay;
    }
    std::string Raster() const { return dir / "e.raw"; }
    // The description of the raster above.
    void Describe(CISurf& s) const
    {
        s.SetFileName(Raster());
        s.SetSampleType(CISurf::kUnsigned);
        s.SetSampleSize(2);
        s.SetBigEndian(false);
        s.SetHeaderOffset(8);
        s.SetRowStride(8);
        s.SetRasterWindow(RasterWindow{1, 0, 3, 2});
        GeoBounds b;
        b.west = -20, b.east = 30, b.north = 40, b.south = -10;
        s.SetBounds(b);
        s.SetWrapColumns(true);
        s.SetNoData(true, -5.0f, 7.0f);
    }
    NewDocSettings Settings(int kind) const
    {
        NewDocSettings s;
        s.surfaceType = kind;
        s.metric = 1;
        Describe(s.surface1);
        return s;
    }

    DocumentEnvironment env;
    ScratchFolder dir;
    MessageRecorder messages;
    int metric = 1, sizeDisplay = 0;
};

// Presses a wizard button as the user does.
void Press(QWizard& wizard, QWizard::WizardButton which) { wizard.button(which)->click(); }

} // namespace

TEST_F(NewDocSheetTest, PagesSummariesAndBackFollowTheCheckedKind)
{
    struct Case {
        int kind;
        int page;
        const char* parameters; // the window title on Synthetic World
    };
    const Case cases[] = {
        {kSurfaceProcedural, kPageSynthetic, "Synthetic World Parameters"},
        {kSurfaceProceduralNoRoughness, kPageSynthetic, "Flat World Parameters"},
        {kSurfaceProceduralPlanar, kPageSynthetic, "Planar World Parameters"},
        {kSurfaceImported, kPageBinary, nullptr},
    };
    for (const Case& c : cases) {
        // The wizard opens on the Type page with the document's kind checked (Planar here).
        CNewDocSheet sheet(Settings(kSurfaceProceduralPlanar));
        sheet.show();
        EXPECT_EQ(sheet.windowTitle(), "New Document");
        ASSERT_EQ(sheet.currentId(), kPageType);
        EXPECT_TRUE(sheet.TypePage()->Button(kSurfaceProceduralPlanar)->isChecked());
        EXPECT_FALSE(sheet.button(QWizard::BackButton)->isEnabled());

        sheet.TypePage()->Button(c.kind)->click();
        Press(sheet, QWizard::NextButton);
        EXPECT_EQ(sheet.currentId(), c.page) << c.kind;
        EXPECT_EQ(sheet.Working().surfaceType, c.kind);
        if (c.parameters) {
            EXPECT_EQ(sheet.windowTitle(), c.parameters);
        }
        Press(sheet, QWizard::NextButton);
        ASSERT_EQ(sheet.currentId(), kPageSummary) << c.kind;
        EXPECT_EQ(sheet.SummaryPage()->TitleLabel()->text().toStdString(), SummaryTitle(c.kind));
        EXPECT_EQ(sheet.SummaryPage()->TextLabel()->text().toStdString(), SummaryText(c.kind, Raster()));
        EXPECT_TRUE(sheet.button(QWizard::FinishButton)->isVisible());
        Press(sheet, QWizard::BackButton);
        EXPECT_EQ(sheet.currentId(), c.page) << c.kind;
        Press(sheet, QWizard::BackButton);
        EXPECT_EQ(sheet.currentId(), kPageType);
        EXPECT_TRUE(sheet.TypePage()->Button(c.kind)->isChecked());
    }
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(NewDocSheetTest, AKindWithoutAButtonChecksNoneAndNextStays)
{
    CNewDocSheet sheet(Settings(3));
    sheet.show();
    for (int kind : {0, 4, 5, 6})
        EXPECT_FALSE(sheet.TypePage()->Button(kind)->isChecked()) << kind;
    Press(sheet, QWizard::NextButton);
    EXPECT_EQ(sheet.currentId(), kPageType);
    EXPECT_EQ(messages.texts, std::vector<std::string>{kUnimplementedTypeMessage});
    EXPECT_EQ(sheet.Working().surfaceType, 3);
}

TEST_F(NewDocSheetTest, SyntheticValuesReachTheWorkingWorldOnlyByNext)
{
    NewDocSettings settings = Settings(kSurfaceProcedural);
    SurfMap& world = settings.world;
    world.sourceParms.H = 2.2f; // beyond the roughness slider's range
    world.landSize = 1.0f;
    world.waterPercent = 63.5f;
    world.maxAltitude = 4000.0f;
    world.sourceParms.seed = 77;
    world.basisId = 0;
    settings.worldSizeDisplay = 1;
    CNewDocSheet sheet(settings);
    sheet.show();
    Press(sheet, QWizard::NextButton);
    ASSERT_EQ(sheet.currentId(), kPageSynthetic);
    CWorldEditPrimary* primary = sheet.SyntheticPage()->Primary();
    EXPECT_FALSE(primary->ApplyCheck()->isVisibleTo(primary));
    EXPECT_EQ(primary->SizeCombo()->currentIndex(), 1); // Diameter, from the size choice
    EXPECT_EQ(primary->PeakEdit()->text(), "4000");

    // The new seed stays in the page until Next.
    const QString shownSeed = primary->SeedEdit()->text();
    primary->findChild<QPushButton*>()->click();
    EXPECT_EQ(sheet.Working().world.sourceParms.seed, 77);
    primary->PeakEdit()->setText("5000");
    primary->SizeCombo()->setCurrentIndex(0);
    primary->SliderControl(CWorldEditPrimary::kPercentSea)->setValue(40);
    QComboBox* method = sheet.SyntheticPage()->MethodCombo();
    ASSERT_GE(method->count(), 2);
    method->setCurrentIndex(1);
    const int chosenBasis = method->currentData().toInt();
    EXPECT_EQ(sheet.Working().world.maxAltitude, 4000.0f);

    // A refused value: the message, no page change, nothing written.
    primary->DepthEdit()->setText("nan");
    Press(sheet, QWizard::NextButton);
    EXPECT_EQ(sheet.currentId(), kPageSynthetic);
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(sheet.Working().world.maxAltitude, 4000.0f);
    primary->DepthEdit()->setText("-3000");

    Press(sheet, QWizard::NextButton);
    ASSERT_EQ(sheet.currentId(), kPageSummary);
    const SurfMap& w = sheet.Working().world;
    EXPECT_EQ(w.maxAltitude, 5000.0f);
    EXPECT_EQ(w.minAltitude, -3000.0f);
    EXPECT_EQ(w.sourceParms.seed, primary->SeedEdit()->text().toInt());
    EXPECT_NE(primary->SeedEdit()->text(), shownSeed);
    EXPECT_EQ(w.waterPercent, 40.0f);
    // Sliders never moved keep their values exactly, even outside the slider's range.
    EXPECT_EQ(w.sourceParms.H, 2.2f);
    EXPECT_EQ(w.landSize, 1.0f);
    EXPECT_EQ(w.basisId, chosenBasis);
    EXPECT_EQ(sheet.Working().worldSizeDisplay, 0);

    // Back to Type, another kind: the page keeps what was typed and writes it by Next.
    Press(sheet, QWizard::BackButton);
    primary->PeakEdit()->setText("6000");
    Press(sheet, QWizard::BackButton);
    sheet.TypePage()->Button(kSurfaceProceduralNoRoughness)->click();
    Press(sheet, QWizard::NextButton);
    EXPECT_EQ(sheet.windowTitle(), "Flat World Parameters");
    EXPECT_EQ(primary->PeakEdit()->text(), "6000");
    EXPECT_EQ(sheet.Working().world.maxAltitude, 5000.0f);
    Press(sheet, QWizard::NextButton);
    EXPECT_EQ(sheet.Working().world.maxAltitude, 6000.0f);
    EXPECT_EQ(sheet.Working().world.waterPercent, 40.0f);
}

TEST_F(NewDocSheetTest, BinaryDataMapsTheFirstSurfaceBothWaysAndRefusesAnUnmappableOne)
{
    CNewDocSheet sheet(Settings(kSurfaceImported));
    sheet.Working().surface2.SetFileName("/pictures/colour.bmp");
    sheet.Working().secondSurfaceMode = 0;
    sheet.show();
    Press(sheet, QWizard::NextButton);
    ASSERT_EQ(sheet.currentId(), kPageBinary);
    CNewDocBinData* page = sheet.BinaryPage();
    EXPECT_EQ(page->ElevationName()->text().toStdString(), Raster());
    EXPECT_EQ(page->ColorName()->text(), "/pictures/colour.bmp");

    // The surface's settings in the dialog; float and big-endian back.
    {
        ModalAnswerer answer([&](QDialog* d) {
            auto* dlg = qobject_cast<CBinaryImportDlg*>(d);
            ASSERT_NE(dlg, nullptr);
            EXPECT_EQ(dlg->FileNameEdit()->text().toStdString(), Raster());
            EXPECT_EQ(dlg->SampleTypeList()->currentText(), "2 byte");
            EXPECT_FALSE(dlg->SignedCheck()->isChecked());
            EXPECT_TRUE(dlg->LittleEndianCheck()->isChecked());
            EXPECT_EQ(dlg->HeaderLengthEdit()->text(), "8");
            EXPECT_EQ(dlg->LineWidthEdit()->text(), "8");
            EXPECT_EQ(dlg->XStartEdit()->text(), "1");
            EXPECT_EQ(dlg->YStartEdit()->text(), "0");
            EXPECT_EQ(dlg->WidthEdit()->text(), "3");
            EXPECT_EQ(dlg->HeightEdit()->text(), "2");
            EXPECT_EQ(dlg->TopEdit()->text(), "40");
            EXPECT_EQ(dlg->LeftEdit()->text(), "-20");
            EXPECT_EQ(dlg->RightEdit()->text(), "30");
            EXPECT_EQ(dlg->BottomEdit()->text(), "-10");
            EXPECT_TRUE(dlg->WrapCheck()->isChecked());
            EXPECT_EQ(dlg->NoDataEdit()->text(), "-5");
            EXPECT_TRUE(dlg->ReplaceCheck()->isChecked());
            EXPECT_EQ(dlg->NewValueEdit()->text(), "7");
            dlg->SampleTypeList()->setCurrentText("4 byte, float");
            dlg->LittleEndianCheck()->setChecked(false);
            dlg->accept();
        });
        page->ChooseButton()->click();
        EXPECT_EQ(answer.answered, 1);
    }
    CISurf& s = sheet.Working().surface1;
    EXPECT_EQ(s.GetSampleType(), CISurf::kFloat32);
    EXPECT_EQ(s.GetSampleSize(), 4);
    EXPECT_TRUE(s.GetBigEndian());
    EXPECT_EQ(s.GetHeaderOffset(), 8);
    EXPECT_EQ((s.GetRasterWindow()), (RasterWindow{1, 0, 3, 2}));
    EXPECT_EQ(s.GetNoDataResult(), 7.0f);

    // Signed one byte; then a cancelled dialog changes nothing.
    for (bool ok : {true, false}) {
        ModalAnswerer answer([&](QDialog* d) {
            auto* dlg = static_cast<CBinaryImportDlg*>(d);
            EXPECT_EQ(dlg->SampleTypeList()->currentText(), ok ? "4 byte, float" : "1 byte");
            dlg->SampleTypeList()->setCurrentText(ok ? "1 byte" : "2 byte");
            dlg->SignedCheck()->setChecked(ok);
            dlg->HeaderLengthEdit()->setText(ok ? "100" : "0");
            ok ? dlg->accept() : dlg->reject();
        });
        page->ChooseButton()->click();
        EXPECT_EQ(s.GetSampleType(), CISurf::kSigned);
        EXPECT_EQ(s.GetSampleSize(), 1);
        EXPECT_EQ(s.GetHeaderOffset(), 100);
    }

    // A header of 100 bytes reaches past the 24-byte file: Next refuses with the reason.
    Press(sheet, QWizard::NextButton);
    EXPECT_EQ(sheet.currentId(), kPageBinary);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], UnmappableElevationMessage(CISurf::kMapFileTooShort, Raster()));
    EXPECT_NE(messages.texts[0].find("past the end of the file"), std::string::npos);
    s.SetFileName("");
    Press(sheet, QWizard::NextButton);
    EXPECT_EQ(sheet.currentId(), kPageBinary);
    EXPECT_EQ(messages.texts.back(), UnmappableElevationMessage(CISurf::kMapCannotMapFile, ""));

    Describe(s);
    Press(sheet, QWizard::NextButton);
    EXPECT_EQ(sheet.currentId(), kPageSummary);
    EXPECT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(sheet.Working().secondSurfaceMode, 1);
}

namespace {

struct WizardView : DocumentView {
    SurfaceSampler* GetSurfaceSampler() override { return nullptr; }
    void SetActiveOverlay(ImageOverlay*) override {}
};

// The window's wizard in force while the test runs.
struct WindowWizard {
    WindowWizard() { previous = SetNewWorldWizard(&wizard); }
    ~WindowWizard() { SetNewWorldWizard(previous); }
    WindowNewWorldWizard wizard;
    NewWorldWizard* previous = nullptr;
};

// An answer that picks `kind` and goes to the Summary; `finish` presses Finish, else Cancel.
ModalAnswerer::Answer RunTo(int kind, bool finish)
{
    return [kind, finish](QDialog* d) {
        auto* sheet = qobject_cast<CNewDocSheet*>(d);
        ASSERT_NE(sheet, nullptr);
        sheet->TypePage()->Button(kind)->click();
        Press(*sheet, QWizard::NextButton);
        Press(*sheet, QWizard::NextButton);
        ASSERT_EQ(sheet->currentId(), kPageSummary);
        Press(*sheet, finish ? QWizard::FinishButton : QWizard::CancelButton);
    };
}

} // namespace

TEST_F(NewDocSheetTest, TheDocumentTakesTheWizardsCopiesOnFinishOnly)
{
    CKVDoc doc;
    doc.OnNewDocument();
    WizardView view;
    doc.AttachView(&view);
    WindowWizard window;

    // An edited, named world with an undo step.
    doc.GetWorld().SetCellValue(2, 3, 55.0f, kChannelTemperature);
    doc.GetOverlays().AddNamed("kept", 8, 4, true);
    doc.RecordUndo("Edit", kChannelRainfall);
    doc.SetPathName(dir / "open.kvw");
    doc.SetModifiedFlag(true);
    doc.GetViewSettings().light.azimuth = 33.0;
    MetricUnits = 0;
    WorldSizeDisplay = 1;
    Describe(doc.GetWorld().surface1);
    const int kind = doc.GetWorld().surfaceType;
    const int undoSteps = GetUndoList().GetUndoCount();

    {
        ModalAnswerer answer(RunTo(kSurfaceProceduralPlanar, false));
        EXPECT_FALSE(doc.OnNewDocument());
        EXPECT_EQ(answer.answered, 1);
    }
    EXPECT_EQ(doc.GetWorld().GetCellValue(2, 3, kChannelTemperature), 55.0f);
    EXPECT_EQ(doc.GetOverlays().Count(), 1);
    EXPECT_EQ(GetUndoList().GetUndoCount(), undoSteps);
    EXPECT_EQ(doc.GetPathName(), dir / "open.kvw");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetWorld().surfaceType, kind);
    EXPECT_EQ(doc.GetViewSettings().light.azimuth, 33.0);
    EXPECT_EQ(MetricUnits.load(), 0);
    EXPECT_EQ(WorldSizeDisplay.load(), 1);

    {
        ModalAnswerer answer(RunTo(kSurfaceProceduralPlanar, true));
        EXPECT_TRUE(doc.OnNewDocument());
    }
    EXPECT_EQ(doc.GetWorld().surfaceType, kSurfaceProceduralPlanar);
    EXPECT_EQ(doc.GetWorld().sphericalMapping, 0);
    EXPECT_EQ(doc.GetWorld().GetCellValue(2, 3, kChannelTemperature), 0.0f);
    EXPECT_EQ(doc.GetOverlays().Count(), 0);
    EXPECT_EQ(GetUndoList().GetUndoCount(), 0);
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_FALSE(doc.IsModified());

    {
        ModalAnswerer answer(RunTo(kSurfaceImported, true));
        EXPECT_TRUE(doc.OnNewDocument());
    }
    EXPECT_EQ(doc.GetWorld().surfaceType, kSurfaceImported);
    EXPECT_EQ(doc.GetWorld().sphericalMapping, 1);
    EXPECT_TRUE(doc.GetWorld().surface1.IsMapped());
    EXPECT_EQ(doc.GetWorld().surface1.GetFileName(), Raster());
    EXPECT_TRUE(messages.texts.empty());
    doc.AttachView(nullptr);
}
