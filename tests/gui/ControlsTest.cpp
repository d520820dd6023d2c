// The small shared controls: colour patch, colour key, setting-name prompt, the file dialog
// that follows its filter, the clipboard text and the file lists.
#include "gui/controls/CColorKeyDlg.h"
#include "gui/controls/CFileNameDlg.h"
#include "gui/controls/CPatchWnd.h"
#include "gui/controls/Clipboard.h"
#include "gui/controls/ControlGeometry.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/FileDialogs.h"

#include "QtTestApp.h"
#include "WorldFixtures.h"
#include "base/color/CColorList.h"
#include "base/color/ColorChooser.h"
#include "base/color/LightParms.h"
#include "projection/ProjectionParms.h"
#include "shading/ShaderRegistry.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace kv;

namespace {

struct FixedChooser : ColorChooser {
    bool PickPaletteIndex(int& index) override
    {
        ++picks;
        index = 3;
        return true;
    }
    int picks = 0;
};

} // namespace

TEST(CPatchWnd, PicksThroughTheChooserAndPaintsLighterWhenDisabled)
{
    TestApp();
    auto chooser = std::make_shared<FixedChooser>();
    auto old = SetColorChooser(chooser);
    CPatchWnd patch(nullptr, ColorOf(200, 0, 0));
    int notices = 0;
    QObject::connect(&patch, &CPatchWnd::colorChosen, [&](CPatchWnd* p) { notices += p == &patch; });
    EXPECT_TRUE(patch.Pick());
    EXPECT_EQ(patch.Color(), PaletteColor(3));
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(patch.FillColor(), PaletteColor(3));
    EXPECT_EQ(patch.OutlineColor(), 0u);

    patch.SetColor(ColorOf(0, 0, 0));
    patch.setEnabled(false);
    const QColor face = patch.palette().color(QPalette::Active, QPalette::Button);
    EXPECT_EQ(patch.FillColor(), ColorOf(3 * face.red() / 4, 3 * face.green() / 4, 3 * face.blue() / 4));
    EXPECT_EQ(patch.OutlineColor(), patch.FillColor());
    EXPECT_FALSE(patch.Pick());
    EXPECT_EQ(chooser->picks, 1);
    EXPECT_EQ(notices, 1);
    SetColorChooser(old);
}

TEST(CColorKeyDlg, StripRunsThroughTheShaderAndLabelsFollowTheRange)
{
    TestApp();
    ProjectionParms projection;
    SurfMap world(nullptr);
    LightParms light;
    GetShaderRegistry().Init(&world, &light);
    // Altitude (shader 1): the top row is high + 1, the bottom row low.
    SurfaceSampler altitude(&projection, &world, &light, 1);
    CColorKeyDlg key;
    key.SetSource(&altitude);
    const float low = key.Low(), high = key.High();
    ASSERT_LT(low, high);
    EXPECT_EQ(key.Strip().GetPixel(0, 0) & 0xFFFFFFu, altitude.ValueToColor(high + 1.0f));
    EXPECT_EQ(key.Strip().GetPixel(31, 231) & 0xFFFFFFu, altitude.ValueToColor(low));
    ASSERT_EQ(key.Labels().size(), 10u);
    EXPECT_EQ(key.Labels()[0].box.top(), 14);
    EXPECT_EQ(key.Labels()[9].box.top(), 14 + 218);
    EXPECT_TRUE(key.Labels()[9].text.endsWith(QString::fromStdString(" " + altitude.GetShaderName())));

    // Climate (shader 2) over 0..16: 17 class names, class 16 at the top.
    SurfaceSampler climate(&projection, &world, &light, 2);
    key.SetSource(&climate);
    ASSERT_EQ(key.High(), 16.0f);
    ASSERT_EQ(key.Labels().size(), 17u);
    EXPECT_EQ(key.Labels()[0].text.toStdString(), climate.GetClimateName(16));
    EXPECT_EQ(key.Labels()[16].text.toStdString(), climate.GetClimateName(0));
    EXPECT_EQ(key.Labels()[1].box.top(), 232 / 17 + 14);
    ShaderRegistry::Destroy();
}

TEST(CFileNameDlg, TrimsTheNameAndAsksBeforeOverwriting)
{
    TestApp();
    QTemporaryDir dir;
    CFileNameDlg dlg;
    dlg.folder = dir.path().toStdString();
    dlg.extension = "srf";
    int asked = 0;
    CFileNameDlg::Overwrite answer = CFileNameDlg::Overwrite::kNo;
    dlg.askOverwrite = [&] { return ++asked, answer; };

    // An empty name keeps it open.
    dlg.NameEdit()->setText("   ");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    // A new name: the empty file is made.
    dlg.NameEdit()->setText("  Dry World ");
    dlg.accept();
    EXPECT_EQ(dlg.NameEdit()->text(), "Dry World");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.fullPath, dir.path().toStdString() + "/Dry World.srf");
    EXPECT_TRUE(std::filesystem::exists(dlg.fullPath));
    EXPECT_EQ(asked, 0);

    // Existing: No keeps it open, Yes closes with OK, Cancel with Cancel.
    struct Case {
        CFileNameDlg::Overwrite answer;
        bool visible;
        int result;
    };
    for (const Case& c : {Case{CFileNameDlg::Overwrite::kNo, true, QDialog::Rejected},
                          Case{CFileNameDlg::Overwrite::kYes, false, QDialog::Accepted},
                          Case{CFileNameDlg::Overwrite::kCancel, false, QDialog::Rejected}}) {
        dlg.setResult(QDialog::Rejected);
        dlg.show();
        answer = c.answer;
        dlg.NameEdit()->setText("Dry World");
        dlg.accept();
        EXPECT_EQ(dlg.isVisible(), c.visible);
        EXPECT_EQ(dlg.result(), c.result);
    }
    EXPECT_EQ(asked, 3);

    // A missing folder is made; a name that is no file of the folder is refused.
    MessageRecorder messages;
    dlg.folder = dir.filePath("Sub").toStdString();
    dlg.NameEdit()->setText("Wet");
    dlg.setResult(QDialog::Rejected);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(std::filesystem::exists(dir.filePath("Sub/Wet.srf").toStdString()));
    dlg.NameEdit()->setText("../Out");
    dlg.setResult(QDialog::Rejected);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Can't write to \n\"" + dlg.fullPath + "\"\nPlease ensure that it is a valid file name");
}

TEST(CMyFileDialog, ANewFilterGivesTheNameItsExtension)
{
    struct Case {
        const char* name;
        const char* pattern;
        const char* expected; // null: unchanged
    };
    const Case cases[] = {
        {"world.jpg", "*.bmp", "world.bmp"},
        {"world", "*.bmp", "world.bmp"},
        {"my.world.jpg", "*.png", "my.world.png"},
        {"world.jpg", "*.*", nullptr},
        {"world.jpg", "*.bm?", nullptr},
        {"world.jpg", "*.bmp;*.jpg", "world.jpg"},
    };
    for (const Case& c : cases) {
        const std::optional<QString> renamed = NameForFilter(c.name, c.pattern);
        if (c.expected)
            EXPECT_EQ(renamed.value_or("?"), c.expected) << c.name << " " << c.pattern;
        else
            EXPECT_FALSE(renamed.has_value()) << c.name << " " << c.pattern;
    }

    TestApp();
    CMyFileDialog dlg(true, "jpg", "world.jpg", "JPEG Files (*.jpg)|*.jpg|Bitmap Files (*.bmp)|*.bmp|All Files|*.*||");
    ASSERT_EQ(dlg.nameFilters().size(), 3);
    auto* edit = dlg.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText("world.jpg");
    dlg.OnFilterChanged(dlg.nameFilters()[1]);
    EXPECT_EQ(dlg.FileNameText(), "world.bmp");
    dlg.OnFilterChanged(dlg.nameFilters()[2]);
    EXPECT_EQ(dlg.FileNameText(), "world.bmp");
}

TEST(Clipboard, TextIsCutToTheBufferAndMissingTextGivesNothing)
{
    TestApp();
    ASSERT_EQ(SetClipboardText("Kelvan"), 1);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetClipboardText(buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "Kel");
    EXPECT_EQ(GetClipboardTextSize(), 7u);
    EXPECT_EQ(GetClipboardString(), "Kelvan");
    char big[16];
    std::memset(big, 'x', sizeof big);
    EXPECT_EQ(GetClipboardText(big, sizeof big), 1);
    EXPECT_STREQ(big, "Kelvan");
    EXPECT_EQ(big[15], '\0');
    EXPECT_EQ(GetClipboardText(nullptr, 8), 0);
    EXPECT_EQ(GetClipboardText(buffer, 0), 0);

    QGuiApplication::clipboard()->clear();
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetClipboardText(buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(GetClipboardTextSize(), 0u);
    EXPECT_EQ(GetClipboardString(), "");
}

TEST(FillListWithFiles, SortedNamesCutBeforeTheExtensionAnyCase)
{
    TestApp();
    QTemporaryDir dir;
    for (const char* f : {"Mars.srf", "earth.SRF", ".srf.srf", "notes.txt", "Moon.srf.bak", "Venus.srf"})
        std::ofstream(dir.filePath(f).toStdString()) << "x";
    std::filesystem::create_directory(dir.filePath("Folder.srf").toStdString());
    QListWidget list;
    list.addItem("stale");
    std::vector<std::string> names;
    const int n = FillListWithFiles(dir.path().toStdString() + "/*.srf", &list, &names);
    ASSERT_EQ(n, 4);
    ASSERT_EQ(list.count(), 4);
    const char* expected[] = {".srf", "Mars", "Venus", "earth"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list.item(i)->text(), expected[i]);
        EXPECT_EQ(list.item(i)->data(Qt::UserRole).toInt(), i);
    }
    EXPECT_EQ(names, (std::vector<std::string>{".srf.srf", "Mars.srf", "Venus.srf", "earth.SRF"}));
    EXPECT_EQ(FillListWithFiles(dir.path().toStdString() + "/M*.srf", &list), 1);
    EXPECT_EQ(FillListWithFiles(dir.path().toStdString() + "/*.lgt", &list), -1);
    EXPECT_EQ(list.count(), 0);
}

TEST(ControlGeometry, ControlRectanglesAndHitsRelativeToTheDialog)
{
    TestApp();
    QWidget dialog;
    dialog.resize(200, 100);
    auto* control = new QWidget(&dialog);
    SetControlId(control, 5429);
    control->setGeometry(20, 30, 40, 10);
    dialog.show();

    ControlRect rect;
    ASSERT_TRUE(GetControlRectInWindow(&dialog, 5429, rect, true));
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.right, 59);  // inclusive
    EXPECT_EQ(rect.bottom, 39);
    ASSERT_TRUE(GetControlRectInWindow(control, rect, true));
    EXPECT_EQ(rect.left, 19);
    EXPECT_EQ(rect.right, 59);  // exclusive, one pixel more taken off the offset
    EXPECT_FALSE(GetControlRectInWindow(&dialog, 9999, rect, true));

    QPoint offset;
    ControlRect screen;
    EXPECT_TRUE(IsPointInControl(&dialog, 5429, QPoint(25, 39), &offset, &screen));
    EXPECT_EQ(offset, QPoint(5, 9));
    EXPECT_EQ(screen.right - screen.left, 40);
    EXPECT_FALSE(IsPointInControl(&dialog, 5429, QPoint(60, 35)));
    EXPECT_FALSE(IsPointInControl(&dialog, 9999, QPoint(25, 35)));
}
