// Preferences dialog, about box version texts and the menus' images.
#include "QtTestApp.h"

#include "base/AppSettings.h"
#include "base/AppFolders.h"
#include "base/MessageService.h"
#include "gui/commands/CommandIds.h"
#include "gui/dialogs/CAboutDlg.h"
#include "gui/dialogs/CPreferencesDlg.h"
#include "gui/frame/MenuImages.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>
#include <QLabel>

#include <gtest/gtest.h>

using namespace kv;

namespace {

struct Recorder : MessageService {
    Recorder() { previous = SetMessageService(this); }
    ~Recorder() override { SetMessageService(previous); }
    void Show(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
    MessageService* previous;
};

} // namespace

TEST(AboutBox, VersionTexts)
{
    EXPECT_EQ(AboutVersionText(ParseProductVersion("2, 3, 0, 0"), false), "Version 2.3");
    EXPECT_EQ(AboutVersionText(ParseProductVersion("2, 3, 7, 1"), true), "Version 2.3.7.1");
    // No version at all: all bits set.
    EXPECT_EQ(AboutVersionText(ParseProductVersion(nullptr), false), "Version 255.255");
    // A text that does not give four numbers: 1.0.
    EXPECT_EQ(AboutVersionText(ParseProductVersion("2.3"), false), "Version 1.0");
    EXPECT_EQ(FileVersionString(ParseProductVersion("2, 3, 0, 0")), "2.03.00.00");
    EXPECT_EQ(FileVersionString(-1), "Unknown");
    TestApp();
    CAboutDlg about(GetProductVersion(), false);
    EXPECT_EQ(about.VersionText(), AboutVersionText(GetProductVersion(), false));
}

namespace {

int g_runs = 0;
int AcceptWithXs1024(CPreferencesDlg& dlg)
{
    ++g_runs;
    dlg.Edit(5578)->setText("1024");
    dlg.Edit(5584)->setText("0.015");
    dlg.RateSlider()->setValue(7);
    EXPECT_EQ(dlg.RateReadout()->text(), "7");
    dlg.Check(5102)->setChecked(true); // remember window positions
    dlg.accept();
    return dlg.result();
}
int Cancel(CPreferencesDlg& dlg)
{
    dlg.reject();
    return dlg.result();
}
int RefuseThenCancel(CPreferencesDlg& dlg)
{
    dlg.Edit(5583)->setText("31");
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    dlg.Edit(5583)->setText("2048");
    dlg.Edit(5584)->setText("250");
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    dlg.reject();
    return dlg.result();
}

} // namespace

TEST(PreferencesDlg, OkStoresAndWarnsCancelLeavesTheProfile)
{
    TestApp();
    Recorder messages;
    AppSettings profile;
    Preferences prefs;
    prefs.DT = 1; // the run's "default"
    EXPECT_EQ(EditPreferences(prefs, profile, nullptr, Cancel), QDialog::Rejected);
    EXPECT_EQ(prefs.DT, 1);
    EXPECT_EQ(profile.GetInt("Settings", "DT", -1), -1); // nothing written

    EXPECT_EQ(EditPreferences(prefs, profile, nullptr, RefuseThenCancel), QDialog::Rejected);
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[0], "Please enter an integer between 32 and 2048.");

    messages.texts.clear();
    EXPECT_EQ(EditPreferences(prefs, profile, nullptr, AcceptWithXs1024), QDialog::Accepted);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], CPreferencesDlg::kShadingMessage);
    EXPECT_EQ(prefs.XS, 1024);
    EXPECT_EQ(prefs.DT, 0);
    EXPECT_EQ(prefs.DR, 7);
    EXPECT_EQ(profile.GetInt("Settings", "XS", 0), 1024);
    EXPECT_EQ(profile.GetInt("Settings", "RI", 0), 1);
    Preferences back;
    back.Read(profile);
    EXPECT_FLOAT_EQ(back.RI, 0.01f);

    // The compatibility tick warns and stays.
    messages.texts.clear();
    CPreferencesDlg dlg(back);
    dlg.Check(5004)->setChecked(true);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], CPreferencesDlg::kCompatibilityWarning);
    ASSERT_TRUE(dlg.ReadControls());
    EXPECT_EQ(dlg.Values().V123, 1);
    // A fresh profile's river importance (0) is accepted as it is.
    CPreferencesDlg fresh{Preferences{}};
    EXPECT_TRUE(fresh.ReadControls());
}

TEST(MenuImages, LaterToolbarsWinAndUnknownToolbarsAddNothing)
{
    TestApp();
    MenuImageTable table;
    EXPECT_FALSE(table.LoadToolbar(cmd::kToolbarMenuOnly));
    EXPECT_FALSE(table.HasImage(cmd::kFileNew));
    table.LoadStandard();
    EXPECT_TRUE(table.HasImage(cmd::kFileNew));
    EXPECT_TRUE(table.HasImage(cmd::kAppAbout));
    EXPECT_FALSE(table.HasImage(cmd::kFileSave)); // on no toolbar
    EXPECT_FALSE(table.HasImage(cmd::kMapRegenerate));

    // A command on two toolbars shows the later one's image.
    auto byToolbar = [](int resourceId, int) {
        QPixmap pixmap(16, 15);
        pixmap.fill(resourceId == 1 ? Qt::red : Qt::blue);
        return pixmap;
    };
    MenuImageTable two;
    two.LoadToolbar(ToolbarDef{1, {cmd::kFileNew, cmd::kFileOpen}}, byToolbar);
    two.LoadToolbar(ToolbarDef{2, {0, cmd::kFileNew}}, byToolbar);
    EXPECT_EQ(two.Image(cmd::kFileNew).toImage().pixelColor(3, 3), QColor(Qt::blue));
    EXPECT_EQ(two.Image(cmd::kFileOpen).toImage().pixelColor(3, 3), QColor(Qt::red));

    EXPECT_EQ(MenuItemStyle::Lightened(QColor(0, 100, 255)), QColor(153, 193, 255));
}
