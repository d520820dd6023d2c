#include "base/DisplayUnits.h"
#include "base/color/ColorChooser.h"
#include "gui/dialogs/CAltColorDlg.h"
#include "gui/dialogs/CAltColorSingleDlg.h"
#include "gui/dialogs/FileChoice.h"

#include "OutsideTools.h"
#include "QtTestApp.h"
#include "WorldFixtures.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <deque>

using namespace kv;

namespace {

struct OneFile : FileChoice {
    explicit OneFile(std::string p) : path(std::move(p)) { m_previous = SetFileChoice(this); }
    ~OneFile() override { SetFileChoice(m_previous); }
    bool Choose(QWidget*, const FileRequest& request, std::string& out) override
    {
        titles.push_back(request.title);
        out = path;
        return true;
    }
    std::string path;
    std::vector<std::string> titles;

private:
    FileChoice* m_previous = nullptr;
};

// Confirms each edit after setting the altitude it is given.
struct ConfirmingEditor : AltColorEditor {
    ConfirmingEditor() { m_previous = SetAltColorEditor(this); }
    ~ConfirmingEditor() override { SetAltColorEditor(m_previous); }
    int Edit(AltColor& shown, bool) override
    {
        seen.push_back(shown);
        shown.altitude = nextAltitude;
        return confirm ? 1 : 2;
    }
    float nextAltitude = 0;
    bool confirm = true;
    std::vector<AltColor> seen;

private:
    AltColorEditor* m_previous = nullptr;
};

struct FixedColour : ColorChooser {
    bool PickSystemColor(uint32_t& colour) override
    {
        start = colour;
        colour = 0x336699;
        return true;
    }
    uint32_t start = 0;
};

} // namespace

TEST(CAltColorSingleDlg, SwatchTypeRulesAndRefusals)
{
    TestApp();
    MessageRecorder messages;
    auto chooser = std::make_shared<FixedColour>();
    auto previous = SetColorChooser(chooser);
    CAltColorSingleDlg dlg;
    EXPECT_EQ(dlg.entry.color, 255u);
    dlg.entry.kind = AltColor::kBasin;
    dlg.LoadControls();
    EXPECT_EQ(dlg.HexText()->text(), "FF0000");
    dlg.OnSwatchClicked();
    EXPECT_EQ(chooser->start, 255u);
    EXPECT_EQ(dlg.HexText()->text(), "996633");

    struct Case {
        int kind;
        const char* altitudeLabel;
        const char* maxLabel;
        bool maxEnabled, exponentEnabled;
    };
    const Case cases[] = {{0, "Base Alt:", "Low Alt:", true, true},
                          {1, "Altitude:", "", false, false},
                          {2, "Base Alt:", "High Alt:", true, true},
                          {3, "Altitude:", "", true, false}};
    for (const Case& c : cases) {
        dlg.TypeList()->setCurrentIndex(c.kind);
        dlg.OnTypeChanged();
        EXPECT_EQ(dlg.entry.kind, c.kind);
        EXPECT_EQ(dlg.AltitudeLabel()->text(), c.altitudeLabel) << c.kind;
        EXPECT_EQ(dlg.MaxLabel()->text(), c.maxLabel) << c.kind;
        EXPECT_EQ(dlg.MaxEdit()->isEnabled(), c.maxEnabled) << c.kind;
        EXPECT_EQ(dlg.ExponentEdit()->isEnabled(), c.exponentEnabled) << c.kind;
    }
    for (const char* bad : {"nan", "inf", "1e999", ""}) {
        dlg.AltitudeEdit()->setText(bad);
        EXPECT_FALSE(dlg.StoreControls()) << bad;
    }
    dlg.AltitudeEdit()->setText("12.5");
    EXPECT_TRUE(dlg.StoreControls());
    EXPECT_EQ(dlg.entry.altitude, 12.5f);
    SetColorChooser(previous);
}

TEST(CAltColorDlg, RowsAddEditDeleteAndFiles)
{
    TestApp();
    MessageRecorder messages;
    ConfirmingEditor editor;
    const int saved = MetricUnits.load();
    MetricUnits.store(0);
    CAltColorDlg dlg(nullptr, nullptr);
    EXPECT_EQ(dlg.minimumSize(), QSize(400, 200));

    // Add starts from black, then from what the previous Add left.
    editor.nextAltitude = 100;
    dlg.OnAdd();
    EXPECT_EQ(editor.seen.back().color, 0u);
    ASSERT_EQ(dlg.List().size(), 1u);
    EXPECT_NEAR(dlg.List()[0].altitude, 30.48f, 1e-3);  // 100 ft entered
    editor.nextAltitude = 328.084f;
    EXPECT_EQ(dlg.AddEntryForColor(0x336699), 0x336699u);
    EXPECT_NEAR(editor.seen.back().altitude, 100.0f, 1e-3);  // the last one's 30.48 m in feet
    QTreeWidget* rows = dlg.ListControl();
    ASSERT_EQ(rows->topLevelItemCount(), 2);
    EXPECT_EQ(rows->topLevelItem(1)->text(0), "2");
    EXPECT_EQ(rows->topLevelItem(1)->text(1), "996633");
    EXPECT_EQ(rows->topLevelItem(1)->text(2), "328.1");
    EXPECT_EQ(rows->topLevelItem(1)->text(3), "Contour");
    editor.confirm = false;
    dlg.AddEntryForColor(0x111111);
    EXPECT_EQ(dlg.List().size(), 2u);
    MetricUnits.store(saved);

    // Delete rows 1, 3 and 4 (from 1) of five, selected in any order.
    dlg.List().resize(5);
    for (int i = 0; i < 5; ++i)
        dlg.List()[i].altitude = float(i);
    dlg.Refresh();
    dlg.SelectRows({3, 0, 2});
    dlg.OnDelete();
    ASSERT_EQ(dlg.List().size(), 2u);
    EXPECT_EQ(dlg.List()[0].altitude, 1.0f);
    EXPECT_EQ(dlg.List()[1].altitude, 4.0f);
    dlg.SelectRows({});
    dlg.OnDelete();
    EXPECT_EQ(messages.texts.back(), "Please select an entry to delete");

    // Files: a bad list leaves the rows; an unwritable save says so.
    ScratchFolder dir;
    WriteText(dir / "bad.acf", "Nothing here\n");
    {
        OneFile file(dir / "bad.acf");
        dlg.OnLoad();
        EXPECT_EQ(file.titles.back(), "Load Color-Altitude File");
    }
    EXPECT_EQ(messages.texts.back(), "Error loading file " + dir / "bad.acf");
    EXPECT_EQ(dlg.List().size(), 2u);
    {
        OneFile file(dir / "no/such/x.acf");
        dlg.OnSave();
    }
    EXPECT_EQ(messages.texts.back(), "Error savinging file " + dir / "no/such/x.acf");
    {
        OneFile file(dir / "good.acf");
        dlg.OnSave();
        dlg.List().clear();
        dlg.OnLoad();
    }
    EXPECT_EQ(dlg.List().size(), 2u);
    EXPECT_EQ(dlg.ListControl()->topLevelItemCount(), 2);
}
