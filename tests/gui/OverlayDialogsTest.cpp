#include "base/DisplayUnits.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "gui/dialogs/CImageOverlayEditDlg.h"
#include "gui/dialogs/CImageOverlayListDlg.h"
#include "gui/dialogs/FileChoice.h"

#include "DocumentFixtures.h"
#include "OutsideTools.h"
#include "QtTestApp.h"
#include "WorldFixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <deque>

using namespace kv;

namespace {

struct Answers : MessageRecorder {
    std::deque<bool> answers;
    bool AskYesNo(const std::string& text) override
    {
        texts.push_back(text);
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

struct ScriptedFiles : FileChoice {
    ScriptedFiles() { m_previous = SetFileChoice(this); }
    ~ScriptedFiles() override { SetFileChoice(m_previous); }
    bool Choose(QWidget*, const FileRequest& request, std::string& path) override
    {
        requests.push_back(request);
        if (paths.empty())
            return false;
        path = paths.front();
        paths.pop_front();
        return true;
    }
    std::deque<std::string> paths;
    std::vector<FileRequest> requests;

private:
    FileChoice* m_previous = nullptr;
};

} // namespace

TEST(CImageOverlayEditDlg, RangesUnitsOpacityAndEnabling)
{
    TestApp();
    Answers messages;
    const int saved = MetricUnits.load();
    MetricUnits.store(0);
    CImageOverlayEditDlg dlg;
    dlg.copy.pixels.reset();
    dlg.copy.opacity = 128;
    dlg.copy.softHigh = 304.8f;
    dlg.LoadControls();
    EXPECT_EQ(dlg.windowTitle(), "Edit Image Overlay");
    EXPECT_EQ(dlg.OpacityText()->text(), "50%");
    EXPECT_EQ(dlg.UnitLabel(0)->text(), "ft");
    EXPECT_EQ(dlg.AltitudeEdit(3)->text().toDouble(), 1000.0);
    EXPECT_EQ(dlg.ModeList()->count(), 5);
    EXPECT_FALSE(dlg.AltitudeEdit(0)->isEnabled());
    EXPECT_FALSE(dlg.AltitudeEdit(1)->isEnabled());
    dlg.ModeList()->setCurrentIndex(3);
    EXPECT_FALSE(dlg.AltitudeEdit(0)->isEnabled());
    EXPECT_TRUE(dlg.AltitudeEdit(2)->isEnabled());
    dlg.ModeList()->setCurrentIndex(4);
    EXPECT_TRUE(dlg.AltitudeEdit(3)->isEnabled());
    dlg.OpacitySlider()->setValue(255);
    EXPECT_EQ(dlg.OpacityText()->text(), "100%");

    struct Case {
        QLineEdit* edit;
        const char* text;
        const char* message;
    };
    const Case refused[] = {
        {dlg.WidthEdit(), "5101", "Please enter an integer between 16 and 5100."},
        {dlg.HeightEdit(), "15", "Please enter an integer between 16 and 5100."},
        {dlg.TopEdit(), "91", "Please enter a number between -90 and 90."},
        {dlg.LeftEdit(), "-180.5", "Please enter a number between -180 and 180."},
        {dlg.BottomEdit(), "nan", "Please enter a number between -90 and 90."},
        {dlg.AltitudeEdit(1), "inf", "Please enter a number."},
        {dlg.AltitudeEdit(2), "1e999", "Please enter a number."},
        {dlg.AltitudeEdit(0), "", "Please enter a number."},
    };
    for (const Case& c : refused) {
        const QString before = c.edit->text();
        c.edit->setText(c.text);
        messages.texts.clear();
        EXPECT_FALSE(dlg.StoreControls()) << c.text;
        EXPECT_EQ(messages.texts, std::vector<std::string>{c.message}) << c.text;
        EXPECT_FALSE(dlg.copy.HasPixels());
        c.edit->setText(before);
    }
    dlg.WidthEdit()->setText("5100");
    dlg.HeightEdit()->setText("16");
    ASSERT_TRUE(dlg.StoreControls());
    EXPECT_EQ(dlg.copy.pixels->Width(), 5100u);
    EXPECT_FLOAT_EQ(dlg.copy.hardHigh, 304.8f);  // sorted below the 9144 m hard high
    EXPECT_EQ(dlg.copy.opacity, 255);
    MetricUnits.store(saved);
}

TEST(CImageOverlayEditDlg, ImportAndExportThroughTheButtons)
{
    TestApp();
    Answers messages;
    ScriptedFiles files;
    ScratchFolder dir;
    VideoBuffer picture;
    ASSERT_EQ(picture.Create(4, 2), 0);
    picture.Clear(0x0000FF);
    picture.SetPixel(0, 0, 0x00FF00);  // the key, upper-left
    ASSERT_EQ(picture.SaveBMP(dir / "land.bmp"), 0);
    WriteBytes(dir / "bad.bmp", {'B', 'M', 0, 0});

    CImageOverlayEditDlg dlg;
    dlg.copy.pixels.reset();
    dlg.LoadControls();
    files.paths = {dlg.copy.name + ".png"};
    dlg.OnExport();
    EXPECT_EQ(messages.texts, std::vector<std::string>{"No Image Data has been created"});
    EXPECT_TRUE(files.requests.empty());

    files.paths = {dir / "bad.bmp"};
    dlg.OnImportColor();
    EXPECT_EQ(messages.texts.back(), "Unable to properly read image file " + dir / "bad.bmp");
    EXPECT_FALSE(dlg.copy.HasPixels());
    EXPECT_EQ(files.requests.back().title, "Load Image File");

    messages.answers = {true};
    files.paths = {dir / "land.bmp"};
    dlg.OnImportColor();
    EXPECT_EQ(messages.texts.back(), "Use upper-left pixel as transparent color?");
    EXPECT_EQ(dlg.NameEdit()->text(), "land");
    EXPECT_EQ(dlg.WidthEdit()->text(), "4");
    ASSERT_TRUE(dlg.copy.HasPixels());
    EXPECT_EQ(dlg.copy.PixelRow(1)[0] >> 24, 0u);  // north-west: the key
    EXPECT_EQ(dlg.copy.PixelRow(0)[0], 0xFF0000FFu);

    files.paths = {dir / "land.png"};
    dlg.OnExport();
    EXPECT_EQ(files.requests.back().title, "Export Image File");
    EXPECT_EQ(files.requests.back().fileName, "land.png");
    VideoBuffer written;
    ASSERT_EQ(written.LoadImageFile(dir / "land.png"), 0);
    EXPECT_EQ(written.GetPixel(0, 0) >> 24, 0u);

    files.paths = {dir / "no/such/dir/x.png"};
    dlg.OnExport();
    EXPECT_EQ(messages.texts.back(), "Unable to save image to file " + dir / "no/such/dir/x.png");
}

TEST(CImageOverlayListDlg, ButtonsDriveTheListAndRefreshIt)
{
    TestApp();
    Answers messages;
    HintRecorder hints;
    CKVDoc doc;
    ActiveDocument active{&doc};
    struct Renamer : OverlayEditor {
        int n = 0;
        bool Edit(ImageOverlay& copy) override
        {
            copy.name = "ov" + std::to_string(++n);
            return true;
        }
    } editor;
    CImageOverlayListDlg dlg(doc.GetOverlays());
    dlg.SetEditor(&editor);
    EXPECT_EQ(dlg.ActiveText()->text(), "<No active Overlay; no overlay tools usable>");
    dlg.OnAdd();
    dlg.OnAdd();
    QTreeWidget* rows = dlg.ListControl();
    ASSERT_EQ(rows->topLevelItemCount(), 2);
    EXPECT_EQ(rows->headerItem()->text(0), "Name");
    EXPECT_EQ(rows->headerItem()->text(3), "Height");
    EXPECT_EQ(rows->columnWidth(0), 181);
    EXPECT_EQ(rows->topLevelItem(1)->text(0), "ov2");
    EXPECT_EQ(rows->topLevelItem(1)->text(1), "Yes");
    EXPECT_EQ(dlg.ActiveText()->text(), "ov1");

    dlg.OnHide();
    EXPECT_EQ(messages.texts.back(), "Please select an entry to hide");
    dlg.SelectRow(0);
    dlg.OnMoveDown();
    EXPECT_EQ(rows->topLevelItem(1)->text(0), "ov1");
    EXPECT_TRUE(rows->topLevelItem(1)->isSelected());
    dlg.OnHide();
    EXPECT_EQ(rows->topLevelItem(1)->text(1), "No");

    messages.answers = {true};
    dlg.OnDelete();
    EXPECT_EQ(messages.texts.back(), "Delete overlay \"ov1\"");
    EXPECT_EQ(rows->topLevelItemCount(), 1);
    EXPECT_EQ(dlg.ActiveText()->text(), "<No active Overlay; no overlay tools usable>");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(hints.Hints(), std::vector<int>(5, 13));
}
