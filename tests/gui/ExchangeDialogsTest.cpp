#include "base/color/ColorChooser.h"
#include "exchange/SkyloomTemplate.h"
#include "gui/exchange/CBinaryImportDlg.h"
#include "gui/exchange/CBinaryPictureDlg.h"
#include "gui/exchange/CSuperMDRDlg.h"
#include "gui/exchange/ExportFileDlgs.h"

#include "ElevationFixtures.h"
#include "OutsideTools.h"
#include "QtTestApp.h"
#include "WorldFixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

using namespace kv;

namespace {

// Picks a fixed colour from the system dialog (Shift held).
struct FixedChooser : ColorChooser {
    bool PickSystemColor(uint32_t& colour) override
    {
        colour = 0x00336699;
        return true;
    }
    bool IsShiftHeld() override { return true; }
};

} // namespace

TEST(CBinaryImportDlg, FileButtonFillsTheControls)
{
    TestApp();
    ScratchFolder dir;
    WriteBytes(dir / "a.mdr", elevation::CrvlBytes(8, 4, kCrvlSigned16));
    WriteBytes(dir / "b.raw", std::vector<uint8_t>(64, 0));
    CBinaryImportDlg dlg;
    dlg.values.lineWidth = 99;
    dlg.values.sampleType = 2;
    dlg.RefreshControls();
    EXPECT_EQ(dlg.windowTitle(), "Binary Data");
    EXPECT_EQ(dlg.SampleTypeList()->count(), 4);
    EXPECT_EQ(dlg.SampleTypeList()->itemText(3), "4 byte, float");

    // What the user typed is taken before the file is tried.
    dlg.HeaderLengthEdit()->setText("12");
    dlg.ReadControls();
    dlg.ApplyFile(QString::fromStdString(dir / "b.raw"));
    EXPECT_EQ(dlg.FileNameEdit()->text().toStdString(), dir / "b.raw");
    EXPECT_EQ(dlg.LineWidthEdit()->text(), "99");
    EXPECT_EQ(dlg.HeaderLengthEdit()->text(), "12");
    EXPECT_EQ(dlg.SampleTypeList()->currentText(), "4 byte");

    dlg.ApplyFile(QString::fromStdString(dir / "a.mdr"));
    EXPECT_EQ(dlg.SampleTypeList()->currentText(), "2 byte");
    EXPECT_TRUE(dlg.LittleEndianCheck()->isChecked());
    EXPECT_TRUE(dlg.SignedCheck()->isChecked());
    EXPECT_EQ(dlg.LineWidthEdit()->text(), "16");
    EXPECT_EQ(dlg.HeaderLengthEdit()->text(), "1024");
    EXPECT_EQ(dlg.WidthEdit()->text(), "8");
    EXPECT_EQ(dlg.HeightEdit()->text(), "4");
    EXPECT_EQ(dlg.LeftEdit()->text(), "-30");
    EXPECT_EQ(dlg.RightEdit()->text(), "60");
    EXPECT_EQ(dlg.TopEdit()->text(), "45");
    EXPECT_EQ(dlg.BottomEdit()->text(), "-15");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.values.lineWidth, 16);
    EXPECT_EQ(dlg.values.north, 45.0);
}

TEST(CBinaryImportDlg, LineWidthOutsideItsRangeIsRefused)
{
    TestApp();
    MessageRecorder messages;
    CBinaryImportDlg dlg;
    for (const char* text : {"0", "1048577", "x"}) {
        dlg.LineWidthEdit()->setText(text);
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted) << text;
    }
    EXPECT_EQ(messages.texts.size(), 3u);
    EXPECT_EQ(messages.texts[0], "Please enter an integer between 1 and 1048576.");
    dlg.LineWidthEdit()->setText("1048576");
    dlg.NoDataEdit()->setText("-3.25e38");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.values.lineWidth, 1048576);
    EXPECT_EQ(dlg.values.noData, -3.25e38f);
}

TEST(CBinaryPictureDlg, EdgesAndWindowWithTheOpacityHidden)
{
    TestApp();
    CBinaryPictureDlg dlg;
    dlg.fileName = "/d/picture.bmp";
    dlg.north = 60;
    dlg.south = -20.5;
    dlg.west = -100;
    dlg.east = 40;
    dlg.width = 300;
    dlg.height = 200;
    dlg.shaded = true;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Image Data");
    EXPECT_EQ(dlg.FileNameLabel()->text(), "/d/picture.bmp");
    EXPECT_FALSE(dlg.OpacitySlider()->isVisible());
    for (QLabel* label : dlg.findChildren<QLabel*>())
        for (const char* hidden : {"Opacity", "Clear", "Solid"})
            if (label->text() == hidden)
                EXPECT_FALSE(label->isVisible()) << hidden;
    EXPECT_EQ(dlg.BottomEdit()->text(), "-20.5");
    dlg.XStartEdit()->setText("7");
    dlg.ShadedCheck()->setChecked(false);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.xStart, 7);
    EXPECT_EQ(dlg.width, 300);
    EXPECT_FALSE(dlg.shaded);
    EXPECT_EQ(dlg.east, 40.0);
}

TEST(CSuperMDRDlg, WidthAndSixteenBitChoice)
{
    TestApp();
    MessageRecorder messages;
    CSuperMDRDlg dlg("Raw File Export");
    EXPECT_EQ(dlg.width, 0);
    EXPECT_FALSE(dlg.sixteenBit);
    dlg.width = 8192;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Raw File Export");
    EXPECT_EQ(dlg.WidthEdit()->text(), "8192");
    dlg.WidthEdit()->setText("1000001");
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Please enter an integer between 0 and 1000000."});
    dlg.WidthEdit()->setText("4096");
    dlg.SixteenBitCheck()->setChecked(true);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.width, 4096);
    EXPECT_TRUE(dlg.sixteenBit);
    EXPECT_EQ(dlg.SixteenBitCheck()->text(), "&16-bit Integer Output");
}

TEST(ExportFileDlgs, EditsReadAsTheirTextChanges)
{
    TestApp();
    CVRMLExportDlg vrml("", 768);
    EXPECT_EQ(vrml.WidthEdit()->text(), "768");
    vrml.WidthEdit()->setText("1024");
    EXPECT_EQ(vrml.width, 1024);
    vrml.WidthEdit()->setText("abc");
    EXPECT_EQ(vrml.width, 1024);
    EXPECT_FALSE(vrml.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(vrml.testOption(QFileDialog::DontUseNativeDialog));

    SpinSettings spin;
    CMovieDlg movie(spin);
    EXPECT_EQ(movie.windowTitle(), "Save Spin View Sequence Files");
    EXPECT_EQ(movie.SizeEdit()->text(), "192");
    EXPECT_EQ(movie.FramesEdit()->text(), "12");
    movie.FramesEdit()->setText("0");
    movie.SizeEdit()->setText("64px");
    movie.LatitudeEdit()->setText("22.5");
    movie.ShadedCheck()->click();
    EXPECT_EQ(movie.frames, 0); // the command makes it one frame
    EXPECT_EQ(movie.size, 64);
    EXPECT_EQ(movie.latitude, 22.5f);
    EXPECT_TRUE(movie.shaded);
    EXPECT_EQ(movie.background, 0xFFFF00u);
    auto previous = SetColorChooser(std::make_shared<FixedChooser>());
    movie.ColorButton()->click();
    // The picker's 0x00BBGGRR kept as 0xRRGGBB.
    EXPECT_EQ(movie.background, 0x00996633u);

    WorldImageSettings world;
    world.fileType = WorldImageSettings::kJpegType;
    CIcosahedralFileDlg sphere("Save Sphere Map Image", CIcosahedralFileDlg::kSphereMapTemplate, world);
    EXPECT_EQ(sphere.ColorButton(), nullptr);
    EXPECT_EQ(sphere.FilterIndex(), 2);
    EXPECT_EQ(sphere.Settings().fileType, WorldImageSettings::kJpegType);
    CIcosahedralFileDlg net("Save Icosahedral Image", CIcosahedralFileDlg::kIcosahedralTemplate, WorldImageSettings());
    ASSERT_NE(net.ColorButton(), nullptr);
    EXPECT_EQ(net.ColorButton()->text(), "&Background Color");
    EXPECT_EQ(net.FilterIndex(), 1);
    net.WidthEdit()->setText("2048");
    net.ColorButton()->click();
    EXPECT_EQ(net.Settings().width, 2048);
    EXPECT_EQ(net.Settings().background, 0x00336699u);
    SetColorChooser(previous);

    // The Skyloom template's dialog of the same kind offers its drawing.
    WorldImageSettings drawing;
    drawing.filter = kSkyloomDialogFilter;
    drawing.defaultExtension = kSkyloomDialogExtension;
    CIcosahedralFileDlg sky(kSkyloomDialogTitle, CIcosahedralFileDlg::kIcosahedralTemplate, drawing);
    EXPECT_EQ(sky.nameFilters(), (QStringList{"Plotwright 2 Files (*.fcw)", "All Files (*.*)"}));
    EXPECT_EQ(sky.defaultSuffix(), "fcw");
    EXPECT_EQ(sky.Settings().fileType, WorldImageSettings::kBmpType);
}
