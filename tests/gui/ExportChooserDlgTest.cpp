#include "gui/dialogs/CSelectPW2SettingsFileDlg.h"

#include "QtTestApp.h"

#include <QListWidget>
#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>

using namespace kv;

TEST(CSelectPW2SettingsFileDlg, PreselectsAndReturnsTheChosenName)
{
    TestApp();
    QTemporaryDir dir;
    for (const char* f : {"Coast.xpt", "Atlas.xpt", "Relief.XPT"})
        std::ofstream(dir.filePath(f).toStdString()) << "x";
    CSelectPW2SettingsFileDlg dlg(dir.path().toStdString() + "/", "Coast");
    ASSERT_EQ(dlg.List()->count(), 3);
    EXPECT_EQ(dlg.List()->currentItem()->text(), "Coast");
    dlg.List()->setCurrentRow(2);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Name(), "Relief");

    // An empty folder: OK ends as cancelled.
    QTemporaryDir empty;
    CSelectPW2SettingsFileDlg none(empty.path().toStdString(), "Coast");
    EXPECT_EQ(none.List()->count(), 0);
    none.accept();
    EXPECT_EQ(none.result(), QDialog::Rejected);
    // A name matching no file leaves the list without a selection.
    CSelectPW2SettingsFileDlg unmatched(dir.path().toStdString(), "coast");
    EXPECT_EQ(unmatched.List()->currentItem(), nullptr);
}
