// The windows over the whole-world commands' dialog records, answered through their widgets:
// Find Rivers run by the document with both its dialogs in windows, the curve editor, the
// mound dialogs and Incise Flow.
#include "gui/controls/DialogData.h"
#include "gui/dialogs/MoundDialogFaces.h"
#include "gui/dialogs/ProcessCurvesDlgFace.h"
#include "gui/dialogs/RiverDialogFaces.h"
#include "gui/dialogs/WindowDialogs.h"

#include "DialogDriver.h"
#include "DocumentFixtures.h"
#include "base/DisplayUnits.h"
#include "document/CKVDoc.h"
#include "document/MoundDialogs.h"
#include "document/ProcessCurvesDlg.h"
#include "document/RiverDialogs.h"
#include "document/TerrainDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

using namespace kv;

namespace {

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

void Mouse(QWidget* w, QEvent::Type type, int x, int y)
{
    QMouseEvent event(type, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton),
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

TEST(TerrainDialogFaces, FindRiversRunsThroughBothWindows)
{
    Terrain();
    DocumentEnvironment env;
    HintRecorder hints;
    GetRiverSettings() = RiverSettings();
    CKVDoc doc;
    doc.OnNewDocument();
    bool closeRefused = false;
    ModalAnswerer answers(std::deque<ModalAnswerer::Answer>{
        [](QDialog* d) {
            auto* dlg = As<CRiverEditSizeDlgFace>(d);
            EXPECT_EQ(dlg->windowTitle(), "River Definition Resolution");
            EXPECT_TRUE(dlg->Radio(5653)->isChecked()); // Medium, 1024
            EXPECT_FALSE(dlg->WidthEdit()->isEnabled());
            dlg->Radio(CRiverEditSizeDlg::kCustomRadio)->click();
            EXPECT_TRUE(dlg->WidthEdit()->isEnabled());
            dlg->WidthEdit()->setText("64");
            dlg->accept();
        },
        [&](QDialog* d) {
            auto* dlg = As<CRiverThresholdDlgFace>(d);
            EXPECT_EQ(dlg->windowTitle(), "Select River Length");
            EXPECT_EQ(dlg->Slider()->minimum(), 10);
            EXPECT_EQ(dlg->Slider()->maximum(), 2000);
            EXPECT_EQ(dlg->Slider()->value(), dlg->logic.sliderPosition);
            const QString before = dlg->PercentText()->text();
            dlg->Slider()->setValue(500);
            EXPECT_NE(dlg->PercentText()->text(), before);
            // Esc does not end it.
            dlg->reject();
            closeRefused = dlg->isVisible();
            dlg->KeepCheck()->setChecked(true);
            dlg->accept();
        }});
    doc.OnFindRivers();
    EXPECT_EQ(answers.answered, 2);
    EXPECT_EQ(answers.leftOpen, 0);
    EXPECT_TRUE(closeRefused);
    EXPECT_EQ(GetRiverSettings().width, 64);
    EXPECT_FLOAT_EQ(GetRiverSettings().threshold, 0.05f);
    EXPECT_TRUE(GetRiverSettings().keepOverlay);
    EXPECT_GT(doc.GetRiverCount(), 0);
}

TEST(TerrainDialogFaces, CurveEditorForwardsDragsAndConvertsLimitsBack)
{
    const int old = MetricUnits.exchange(0);
    ProcessCurvesDlg curves;
    curves.lower = 0.0f;
    curves.upper = 1000.0f;
    curves.worldLowest = -100.0f;
    curves.worldHighest = 2000.0f;
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = As<ProcessCurvesDlgFace>(d);
        EXPECT_EQ(dlg->windowTitle(), "Remap Altitudes");
        // With limits shown: Min, Max, their units and World Altitude are there to use.
        for (int id : ProcessCurvesDlg::HiddenControls())
            EXPECT_TRUE(FindControl(dlg, id) != nullptr && FindControl(dlg, id)->isVisibleTo(dlg)) << id;
        EXPECT_FLOAT_EQ(dlg->UpperEdit()->text().toFloat(), 3280.84f);
        // The curve is resampled to the box: width - 2 samples.
        EXPECT_EQ(dlg->logic.curve.samples.size(), static_cast<size_t>(ProcessCurvesDlgFace::kBoxWidth - 2));
        // A press at the box's top-left sets sample 0 to 1.
        Mouse(dlg->Box(), QEvent::MouseButtonPress, 0, 0);
        Mouse(dlg->Box(), QEvent::MouseButtonRelease, 0, 0);
        EXPECT_FLOAT_EQ(dlg->logic.curve.samples.front(), 1.0f);
        dlg->Button(5685)->click(); // World Altitude
        EXPECT_FLOAT_EQ(dlg->LowerEdit()->text().toFloat(), -328.084f);
        dlg->accept();
    });
    ASSERT_TRUE(Terrain().RunProcessCurves(curves));
    MetricUnits = old;
    EXPECT_NEAR(curves.lower, -100.0f, 1e-3);
    EXPECT_NEAR(curves.upper, 2000.0f, 1e-3);
    EXPECT_FLOAT_EQ(curves.curve.samples.front(), 1.0f);
}

TEST(TerrainDialogFaces, MoundDialogsTakeTheirValuesAndTheProfile)
{
    CMoundEditDlg mound;
    ModalAnswerer answers(std::deque<ModalAnswerer::Answer>{
        [](QDialog* d) {
            auto* dlg = As<CMoundEditDlgFace>(d);
            EXPECT_EQ(dlg->windowTitle(), "Profiled Mound");
            EXPECT_EQ(dlg->OperationList()->itemText(6), "Max");
            dlg->OperationList()->setCurrentIndex(2);
            dlg->MaximumEdit()->setText("25");
            dlg->findChild<QPushButton*>(QString::number(CMoundEditDlg::kEditProfileButton))->click();
            dlg->accept();
        },
        [](QDialog* d) {
            // The curve editor over the profile, its limits hidden.
            auto* curves = As<ProcessCurvesDlgFace>(d);
            for (int id : ProcessCurvesDlg::HiddenControls())
                EXPECT_FALSE(FindControl(curves, id)->isVisibleTo(curves)) << id;
            curves->Button(5680)->click(); // Invert
            curves->accept();
        }});
    ASSERT_TRUE(Terrain().RunMoundEdit(mound));
    EXPECT_EQ(answers.answered, 2);
    EXPECT_EQ(mound.operation, 2);
    EXPECT_FLOAT_EQ(mound.maximum, 25.0f);
    EXPECT_NEAR(mound.profile.Evaluate(0.0f), 1.0f, 1e-5);

    CMoundtainSettingsDlg moundtain;
    MessageRecorder messages;
    ModalAnswerer refuse([](QDialog* d) {
        auto* dlg = As<CMoundtainSettingsDlgFace>(d);
        for (const char* contract : {"0", "65"}) {
            dlg->ContractEdit()->setText(contract);
            dlg->accept();
            EXPECT_TRUE(dlg->isVisible()) << contract;
        }
        dlg->ContractEdit()->setText("64");
        dlg->accept();
    });
    ASSERT_TRUE(Terrain().RunMoundtainSettings(moundtain));
    EXPECT_EQ(moundtain.contract, 64);
    EXPECT_EQ(messages.texts.size(), 2u);

    const int old = MetricUnits.exchange(0);
    CMoundSettingsDlg settings;
    ModalAnswerer labels([](QDialog* d) {
        auto* dlg = As<CMoundSettingsDlgFace>(d);
        EXPECT_EQ(dlg->MinLabel()->text(), "Min (ft):");
        dlg->ReplaceCheck()->setChecked(true);
        dlg->GammaEdit()->setText("2");
        dlg->reject();
    });
    EXPECT_FALSE(Terrain().RunMoundSettings(settings));
    MetricUnits = old;
    EXPECT_FALSE(settings.replaceOffset);
    EXPECT_FLOAT_EQ(settings.gamma, 1.0f);
}

TEST(TerrainDialogFaces, InciseFlowTakesItsFourValues)
{
    InciseFlowProcessDlg incise;
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = As<InciseFlowProcessDlgFace>(d);
        EXPECT_EQ(dlg->windowTitle(), "Incise Flow Process");
        dlg->BlurEdit()->setText("2.5");
        dlg->BlendEdit()->setText("0.25");
        dlg->accept();
    });
    ASSERT_TRUE(Terrain().RunInciseFlow(incise));
    EXPECT_FLOAT_EQ(incise.settings.blur, 2.5f);
    EXPECT_FLOAT_EQ(incise.settings.effectBlend, 0.25f);
    EXPECT_FLOAT_EQ(incise.settings.flowExponent, 0.6666667f);
}
