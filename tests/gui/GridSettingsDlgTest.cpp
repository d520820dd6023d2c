#include "document/CKVDoc.h"
#include "gui/dialogs/CGridSettingsDlg.h"
#include "gui/dialogs/FileChoice.h"

#include "OutsideTools.h"
#include "QtTestApp.h"
#include "WorldFixtures.h"

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kv;

namespace {

struct PathAnswer : FileChoice {
    explicit PathAnswer(std::string p) : path(std::move(p)) { m_previous = SetFileChoice(this); }
    ~PathAnswer() override { SetFileChoice(m_previous); }
    bool Choose(QWidget*, const FileRequest&, std::string& out) override
    {
        out = path;
        return true;
    }
    std::string path;

private:
    FileChoice* m_previous = nullptr;
};

} // namespace

TEST(CGridSettingsDlg, EndcapRangeFilesAndEntryEditor)
{
    TestApp();
    MessageRecorder messages;
    CGridSettingsDlg dlg;
    dlg.copy.grids.resize(2);
    dlg.copy.grids[1].altitude = 1000;
    dlg.copy.subdivisionLevel = 7;
    dlg.LoadControls();
    EXPECT_EQ(dlg.LevelText()->text(), "7 Divisions");
    dlg.LevelSlider()->setValue(9);
    EXPECT_EQ(dlg.LevelText()->text(), "9 Divisions");
    ASSERT_EQ(dlg.ListControl()->topLevelItemCount(), 2);
    EXPECT_EQ(dlg.ListControl()->topLevelItem(0)->text(6), "On Top");
    EXPECT_EQ(dlg.ListControl()->topLevelItem(1)->text(6), "1000");

    for (const char* bad : {"91", "-1", "nan", "inf", ""}) {
        dlg.EndcapEdit()->setText(bad);
        messages.texts.clear();
        EXPECT_FALSE(dlg.StoreControls()) << bad;
        EXPECT_EQ(messages.texts, std::vector<std::string>{"Please enter a number between 0 and 90."});
    }
    dlg.EndcapEdit()->setText("45");
    dlg.SelectRows({1});
    dlg.OnShow();
    ASSERT_TRUE(dlg.StoreControls());
    EXPECT_EQ(dlg.copy.polarEndcap, 45.0);
    EXPECT_EQ(dlg.copy.subdivisionLevel, 9);
    EXPECT_EQ(dlg.copy.shown, 1);

    ScratchFolder dir;
    {
        PathAnswer answer(dir / "g.grd");
        dlg.OnSave();
    }
    WriteText(dir / "other.txt", "Something else\n");
    {
        PathAnswer answer(dir / "other.txt");
        dlg.OnLoad();
    }
    EXPECT_EQ(messages.texts.back(), "Error -1 reading file \"" + dir / "other.txt" + "\"");
    EXPECT_EQ(dlg.copy.grids.size(), 2u);
    {
        PathAnswer answer(dir / "no/such/g.grd");
        dlg.OnSave();
    }
    EXPECT_EQ(messages.texts.back(), "Error Writing File \"" + dir / "no/such/g.grd" + "\"");
    dlg.copy.grids.clear();
    {
        PathAnswer answer(dir / "g.grd");
        dlg.OnLoad();
    }
    EXPECT_EQ(dlg.copy.grids.size(), 2u);
    EXPECT_EQ(dlg.copy.subdivisionLevel, 9);

    // Add and Edit go through the grid-entry dialog when one is installed.
    SetGridEntryEditor([](QWidget*, RectInfo& grid) {
        grid.latSpacing = 12.5;
        return true;
    });
    dlg.OnAdd();
    ASSERT_EQ(dlg.copy.grids.size(), 3u);
    EXPECT_EQ(dlg.copy.grids[2].latSpacing, 12.5);
    dlg.SelectRows({});
    dlg.OnEdit();
    EXPECT_EQ(messages.texts.back(), "Please select a grid entry to edit");
    SetGridEntryEditor(nullptr);
}
