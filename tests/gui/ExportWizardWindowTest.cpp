// The export wizard's window over its record: page order and buttons as the user clicks
// through, the template check on leaving the first page, the Basic page's count line, the
// Advanced page's list edits through their dialogs, the grid page, and Cancel/Finish on a
// definition. The contour and grid-entry dialogs on their own.
#include "gui/exchange/CEditContourDlg.h"
#include "gui/exchange/CEditPW2GridDlg.h"
#include "gui/exchange/CExportSettingsDlg.h"
#include "gui/exchange/CExportWizard.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "gui/controls/CPatchWnd.h"
#include "gui/dialogs/FileChoice.h"

#include "DialogDriver.h"
#include "WorldFixtures.h"
#include "OutsideTools.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTreeWidget>

#include <cstring>
#include <gtest/gtest.h>

using namespace kv;

namespace {

using Answers = QuestionRecorder;

struct PathAnswer : FileChoice {
    PathAnswer() { m_previous = SetFileChoice(this); }
    ~PathAnswer() override { SetFileChoice(m_previous); }
    bool Choose(QWidget*, const FileRequest& r, std::string& out) override
    {
        request = r;
        out = path;
        return !path.empty();
    }
    std::string path;
    FileRequest request;

private:
    FileChoice* m_previous = nullptr;
};

struct Installed {
    Installed()
    {
        TestApp();
        InstallExportDefinitionWindows();
    }
    ~Installed() { RemoveExportDefinitionWindows(); }
};

std::string Rows(const QTreeWidget* list, int column)
{
    std::string out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out += (i ? "," : "") + list->topLevelItem(i)->text(column).toStdString();
    return out;
}

// "B" back, "N" next, "F" finish as the buttons show them.
std::string Buttons(const CExportWizard& w)
{
    std::string b;
    if (w.BackButton()->isEnabled())
        b += "B";
    if (!w.NextButton()->isHidden() && w.NextButton()->isEnabled())
        b += "N";
    if (!w.FinishButton()->isHidden())
        b += "F";
    return b;
}

std::string Title(const CExportWizard& w) { return w.CurrentTitle().toStdString(); }

} // namespace

TEST(CExportWizardWindow, NavigationFollowsTheChosenItems)
{
    Installed installed;
    Answers answers;
    struct Case {
        bool altitude, basic, bitmap, grid;
        std::vector<std::string> forward; // titles Next visits after "Introduction"
        std::string lastButtons;
    };
    const Case cases[] = {
        {false, true, false, false, {"Detail Level", "Other Items"}, "BF"},
        {true, true, false, false, {"Basic Contour Settings", "Detail Level", "Other Items"}, "BF"},
        {true, false, true, false,
         {"Advanced Contour Settings", "Detail Level", "Other Items", "Bitmap Background Settings"}, "BF"},
        {false, true, false, true, {"Detail Level", "Other Items", "Grid Settings"}, "BF"},
        {true, false, true, true,
         {"Advanced Contour Settings", "Detail Level", "Other Items", "Bitmap Background Settings", "Grid Settings"},
         "BF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.altitude << c.basic << c.bitmap << c.grid);
        CExportWizard w;
        PW2Output d;
        w.Load(d);
        EXPECT_EQ(Title(w), "Introduction");
        EXPECT_EQ(Buttons(w), "N");
        w.intro->altitude->setChecked(c.altitude);
        (c.basic ? w.intro->basic : w.intro->advanced)->setChecked(true);
        EXPECT_EQ(w.intro->basic->isEnabled(), c.altitude);
        std::vector<std::string> visited;
        for (std::size_t k = 0; k < c.forward.size(); ++k) {
            if (w.CurrentPage() == kPageFrills) {
                w.frills->bitmapBackground->setChecked(c.bitmap);
                w.frills->rectangularGrid->setChecked(c.grid);
                EXPECT_EQ(Buttons(w), c.bitmap || c.grid ? "BN" : "BF");
            }
            w.NextButton()->click();
            visited.push_back(Title(w));
        }
        EXPECT_EQ(visited, c.forward);
        EXPECT_EQ(Buttons(w), c.lastButtons);
        // Back retraces the same pages to the first.
        std::vector<std::string> back;
        while (w.CurrentPage() != kPageIntro && back.size() < 8) {
            w.BackButton()->click();
            back.push_back(Title(w));
        }
        std::vector<std::string> expected(c.forward.rbegin() + 1, c.forward.rend());
        expected.push_back("Introduction");
        EXPECT_EQ(back, expected);
    }
    EXPECT_TRUE(answers.shown.empty());
}

TEST(CExportWizardWindow, BasicPageCountsContoursAndRefusesANonPositiveInterval)
{
    Installed installed;
    Answers answers;
    MetricUnits = 1;
    CExportWizard w;
    PW2Output d; // altitudes -30000 .. 30000, interval 1000
    d.altContourMode = 1;
    w.Load(d);
    w.NextButton()->click();
    ASSERT_EQ(Title(w), "Basic Contour Settings");
    EXPECT_EQ(w.simple->interval->text(), "1000");
    EXPECT_EQ(w.simple->count->text(), "60 Contours");
    EXPECT_EQ(w.simple->unit->text(), "meters");
    w.simple->interval->setText("2500.5");
    EXPECT_EQ(w.simple->count->text(), "23 Contours");
    w.simple->interval->setText("abc");
    EXPECT_EQ(w.simple->count->text(), "");
    w.simple->interval->setText("0");
    EXPECT_EQ(w.simple->count->text(), "Interval must be greater than zero");
    for (QPushButton* move : {w.NextButton(), w.BackButton()}) {
        answers.shown.clear();
        move->click();
        EXPECT_EQ(Title(w), "Basic Contour Settings");
        EXPECT_EQ(answers.shown, std::vector<std::string>{"Interval must be greater than zero"});
    }
    w.simple->interval->setText("500");
    w.NextButton()->click();
    EXPECT_EQ(Title(w), "Detail Level");
    EXPECT_EQ(w.Record().interval, 500.0f);
    // Feet: the interval counts in feet.
    MetricUnits = 0;
    w.BackButton()->click();
    EXPECT_EQ(w.simple->unit->text(), "feet");
    EXPECT_EQ(w.simple->count->text(), "393 Contours");
    MetricUnits = 1;
}

TEST(CExportWizardWindow, TemplateIsCheckedOnLeavingTheFirstPage)
{
    Installed installed;
    Answers answers;
    ScratchFolder dir;
    std::vector<uint8_t> good(200, 0);
    std::memcpy(good.data(), "FCW (FastCAD for Windows) 6.12  \r\n", 34);
    good[48] = 0;
    std::vector<uint8_t> compressed = good;
    compressed[48] = 1;
    std::vector<uint8_t> older = good;
    older[26] = '5';
    std::vector<uint8_t> foreign(200, 'x');
    std::vector<uint8_t> shortFile(good.begin(), good.begin() + 100);
    WriteBytes(dir / "good.fcw", good);
    WriteBytes(dir / "packed.fcw", compressed);
    WriteBytes(dir / "old.fcw", older);
    WriteBytes(dir / "foreign.fcw", foreign);
    WriteBytes(dir / "short.fcw", shortFile);
    const struct {
        std::string file;
        std::string message;
    } cases[] = {
        {"missing.fcw", "Unable to open file"},
        {"short.fcw", "Unable to read PW2 header"},
        {"foreign.fcw", "Not a PW2 file"},
        {"old.fcw", "Must be a Version 6.x PW2 file"},
        {"packed.fcw", "Must be an uncompressed V6.x PW2 file"},
        {"good.fcw", ""},
    };
    PathAnswer files;
    for (const auto& c : cases) {
        CExportWizard w;
        PW2Output d;
        d.altContoursOn = 0;
        w.Load(d);
        EXPECT_FALSE(w.intro->browse->isEnabled());
        w.intro->useCustom->setChecked(true);
        EXPECT_TRUE(w.intro->browse->isEnabled());
        files.path = dir / c.file;
        w.intro->browse->click();
        EXPECT_EQ(files.request.title, "Select PW2 File for Template");
        answers.shown.clear();
        w.NextButton()->click();
        if (c.message.empty()) {
            EXPECT_TRUE(answers.shown.empty());
            EXPECT_EQ(Title(w), "Detail Level");
        } else {
            EXPECT_EQ(answers.shown, std::vector<std::string>{c.message}) << c.file;
            EXPECT_EQ(Title(w), "Introduction");
            // Without "Use Custom PW2 File" the name is dropped, not checked.
            w.intro->useCustom->setChecked(false);
            w.NextButton()->click();
            EXPECT_EQ(Title(w), "Detail Level");
            EXPECT_EQ(w.Record().templateName, "");
        }
    }
}

TEST(CExportWizardWindow, AdvancedPageAddsRemovesEditsAndDeletesThroughItsDialogs)
{
    Installed installed;
    Answers answers;
    CExportWizard w;
    PW2Output d;
    d.altContourMode = 0;
    w.Load(d);
    w.NextButton()->click();
    ASSERT_EQ(Title(w), "Advanced Contour Settings");
    CExportPageAdvanced& page = *w.advanced;
    auto add = [&](const char* low, const char* high, const char* step, bool fill) {
        ModalAnswerer answer([&](QDialog* dialog) {
            auto* dlg = qobject_cast<CExportAdvAddMultipleDlg*>(dialog);
            ASSERT_NE(dlg, nullptr);
            EXPECT_EQ(dlg->windowTitle(), "Add Multiple Contours");
            dlg->LowestEdit()->setText(low);
            dlg->HighestEdit()->setText(high);
            dlg->IntervalEdit()->setText(step);
            dlg->Attributes()->filled->setChecked(fill);
            dlg->Attributes()->outline->setChecked(false);
            dlg->Attributes()->showLabel->setChecked(false);
            dlg->accept();
        });
        page.OnAddMultiple();
    };
    // No attribute: refused.
    add("0", "1000", "100", false);
    EXPECT_EQ(answers.shown.back(), "You have selected no attributes\nfor the contours.\nNo contours will be added");
    EXPECT_EQ(page.list->topLevelItemCount(), 0);
    // 0 to 1000 at 100: eleven levels, asked nothing.
    add("1000", "0", "100", true);
    EXPECT_EQ(Rows(page.list, 0), "0,100,200,300,400,500,600,700,800,900,1000");
    EXPECT_EQ(Rows(page.list, 1), "Yes,Yes,Yes,Yes,Yes,Yes,Yes,Yes,Yes,Yes,Yes");
    EXPECT_TRUE(answers.asked.empty());
    // Equal ends: one contour after asking, and again (a twin) after asking twice.
    add("250", "250", "100", true);
    add("250", "250", "100", true);
    EXPECT_EQ(answers.asked, (std::vector<std::string>{
                                 "Add just one contour at value 250?\n(Clicking No will not add any contours)",
                                 "Add just one contour at value 250?\n(Clicking No will not add any contours)",
                                 "There is already a contour with a value\nvery close or equal to 250.\n\n"
                                 "Would you like to add another contour\nwith this value?"}));
    EXPECT_EQ(page.list->topLevelItemCount(), 13);
    // 200 levels: asked first; No adds nothing.
    answers.yes = false;
    add("0", "20000", "100", true);
    EXPECT_EQ(answers.asked.back(), "Do you really wish to add 200 contours to the list?");
    EXPECT_EQ(page.list->topLevelItemCount(), 13);
    answers.yes = true;
    // The last values come back in the next dialog.
    {
        ModalAnswerer answer([](QDialog* dialog) {
            auto* dlg = qobject_cast<CExportAdvAddMultipleDlg*>(dialog);
            EXPECT_EQ(dlg->LowestEdit()->text(), "0");
            EXPECT_EQ(dlg->HighestEdit()->text(), "20000");
            dlg->reject();
        });
        page.OnAddMultiple();
    }

    // Edit Selected: the first selected contour's dialog, its style copied to the others.
    page.SelectRows({1, 3});
    {
        ModalAnswerer answer([](QDialog* dialog) {
            auto* dlg = qobject_cast<CEditContourDlg*>(dialog);
            ASSERT_NE(dlg, nullptr);
            EXPECT_EQ(dlg->windowTitle(), "Edit Contour Settings");
            dlg->Attributes()->outline->setChecked(true);
            dlg->Attributes()->showLabel->setChecked(true);
            dlg->accept();
        });
        page.OnEditSelected();
    }
    EXPECT_EQ(Rows(page.list, 3), "No,Yes,No,Yes,No,No,No,No,No,No,No,No,No");
    EXPECT_EQ(Rows(page.list, 5), "No,Yes,No,Yes,No,No,No,No,No,No,No,No,No");
    EXPECT_EQ(page.SelectedRows(), (std::vector<int>{1, 3}));

    // Delete Selected.
    page.OnDeleteSelected();
    EXPECT_EQ(Rows(page.list, 0), "0,200,250,300,400,500,600,700,800,900,1000");

    // Remove Multiple at steps, then all of a range after asking.
    auto remove = [&](const char* low, const char* high, const char* step) {
        ModalAnswerer answer([&](QDialog* dialog) {
            auto* dlg = qobject_cast<CExportAdvDeleteMultipleDlg*>(dialog);
            ASSERT_NE(dlg, nullptr);
            dlg->LowestEdit()->setText(low);
            dlg->HighestEdit()->setText(high);
            dlg->IntervalEdit()->setText(step);
            dlg->accept();
        });
        page.OnRemoveMultiple();
    };
    remove("400", "1000", "200");
    EXPECT_EQ(answers.shown.back(), "4 Contours removed");
    EXPECT_EQ(Rows(page.list, 0), "0,200,250,300,500,700,900");
    remove("200", "600", "0");
    EXPECT_EQ(answers.asked.back(), "Do you wish to remove ALL contours\nwithin the interval 200 to 600?");
    EXPECT_EQ(answers.shown.back(), "4 Contours removed");
    EXPECT_EQ(Rows(page.list, 0), "0,700,900");
}

TEST(CExportWizardWindow, CancelLeavesTheDefinitionAndFinishTakesThePages)
{
    Installed installed;
    Answers answers;
    PW2Output d;
    d.mapTitle = "Coast";
    d.altContourMode = 0;
    d.contours.InsertSorted(ContourDef{});
    const PW2Output before = d;
    auto edit = [](QDialog* dialog, bool finish) {
        auto* w = qobject_cast<CExportWizard*>(dialog);
        ASSERT_NE(w, nullptr);
        w->intro->rainfall->setChecked(true);
        w->NextButton()->click(); // Advanced
        w->advanced->SelectRows({0});
        w->advanced->OnDeleteSelected();
        w->NextButton()->click(); // Detail
        w->detail->detail->setValue(5);
        EXPECT_EQ(w->detail->detailText->text(), "640");
        w->NextButton()->click(); // Other Items
        w->frills->titleText->setText("Changed");
        w->frills->compassRose->setChecked(true);
        (finish ? w->FinishButton() : w->CancelButton())->click();
    };
    {
        ModalAnswerer answer([&](QDialog* dialog) { edit(dialog, false); });
        EXPECT_EQ(d.RunWizard(), ExportWizard::kCancelled);
    }
    EXPECT_TRUE(d.SameValues(before));
    {
        ModalAnswerer answer([&](QDialog* dialog) { edit(dialog, true); });
        EXPECT_EQ(d.RunWizard(), ExportWizard::kFinished);
    }
    EXPECT_EQ(d.mapTitle, "Changed");
    EXPECT_EQ(d.rainContoursOn, 1);
    EXPECT_EQ(d.resolution, 5);
    EXPECT_EQ(d.contours.Count(), 0);
    // The compass rose is no part of a definition; the next run shows it as left.
    CExportWizard again;
    again.Load(d);
    EXPECT_TRUE(again.Record().compassRose);
    EXPECT_EQ(again.Record().titleText, "Changed");
}

TEST(CExportWizardWindow, GridPageEditsLoadsAndRefuses)
{
    Installed installed;
    Answers answers;
    ScratchFolder dir;
    CExportWizard w;
    PW2Output d;
    d.altContoursOn = 0;
    d.grid.grids.resize(1);
    d.grid.grids[0].show = 1;
    w.Load(d);
    EXPECT_TRUE(w.Record().rectangularGrid);
    for (int k = 0; k < 3; ++k)
        w.NextButton()->click();
    ASSERT_EQ(Title(w), "Grid Settings");
    CExportPageGrid& page = *w.grid;
    EXPECT_EQ(page.levelText->text(), "2 Divisions");
    page.OnEdit();
    EXPECT_EQ(answers.shown.back(), "Please select a grid entry to edit");
    {
        ModalAnswerer answer([](QDialog* dialog) {
            auto* dlg = qobject_cast<CEditPW2GridDlg*>(dialog);
            ASSERT_NE(dlg, nullptr);
            dlg->LatitudeEdit()->setText("15");
            dlg->accept();
        });
        page.OnAdd();
    }
    EXPECT_EQ(Rows(page.list, 0), "1,2");
    EXPECT_EQ(Rows(page.list, 2), "30.0,15.0");
    page.SelectRows({1});
    page.OnMove(-1);
    EXPECT_EQ(Rows(page.list, 2), "15.0,30.0");
    // A bad file leaves the grids as they were.
    WriteText(dir / "bad.grd", "Nothing here\n");
    PathAnswer files;
    files.path = dir / "bad.grd";
    page.OnLoad();
    EXPECT_EQ(answers.shown.back(), "Error -1 reading file \"" + files.path + "\"");
    EXPECT_EQ(Rows(page.list, 2), "15.0,30.0");
    // Save and load back.
    files.path = dir / "two.grd";
    page.OnSave();
    page.SelectRows({0});
    page.OnDelete();
    EXPECT_EQ(page.list->topLevelItemCount(), 1);
    page.OnLoad();
    EXPECT_EQ(Rows(page.list, 2), "15.0,30.0");
    // The end cap is refused outside 0..90 and Finish stays.
    page.endcap->setText("95");
    answers.shown.clear();
    w.FinishButton()->click();
    EXPECT_EQ(w.result(), 0);
    EXPECT_EQ(answers.shown.size(), 1u);
    page.endcap->setText("45");
    page.level->setValue(9);
    w.FinishButton()->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    PW2Output out;
    w.Store(out);
    EXPECT_EQ(out.grid.polarEndcap, 45.0);
    EXPECT_EQ(out.grid.subdivisionLevel, 9);
    EXPECT_EQ(out.grid.grids.size(), 2u);
}

TEST(CEditPW2GridDlg, FeetAreShownAndStoredAsMetresAndRangesAreChecked)
{
    TestApp();
    Answers answers;
    MetricUnits = 0;
    RectInfo grid;
    grid.altitude = 0.0;
    CEditPW2GridDlg dlg(grid);
    EXPECT_EQ(dlg.windowTitle(), "Grid Settings");
    EXPECT_EQ(dlg.AltitudeEdit()->text(), "0");
    dlg.AltitudeEdit()->setText("1000");
    dlg.ThicknessSlider()->setValue(300);
    EXPECT_EQ(dlg.ThicknessText()->text(), "254");
    dlg.EnableCheck()->setChecked(true);
    dlg.ColorPatch()->SetColor(0x123456);
    const struct {
        QLineEdit* edit;
        const char* bad;
    } refused[] = {{dlg.LatitudeEdit(), "361"}, {dlg.LongitudeEdit(), "-1"}, {dlg.TopEdit(), "91"},
                   {dlg.BottomEdit(), "-91"},   {dlg.LeftEdit(), "-181"},    {dlg.RightEdit(), "361"}};
    for (const auto& r : refused) {
        const QString kept = r.edit->text();
        r.edit->setText(r.bad);
        dlg.accept();
        EXPECT_EQ(dlg.result(), 0) << r.bad;
        r.edit->setText(kept);
    }
    EXPECT_EQ(answers.shown.size(), 6u);
    dlg.RightEdit()->setText("360");
    dlg.accept();
    MetricUnits = 1;
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(dlg.grid.altitude, 304.8);
    EXPECT_EQ(dlg.grid.lineWidth, 254);
    EXPECT_EQ(dlg.grid.show, 1);
    EXPECT_EQ(dlg.grid.colour, 0x123456u);
    EXPECT_EQ(dlg.grid.east, 360.0);
}

TEST(CEditContourDlg, EnablingFollowsTheChecksAndOkTakesTheStyle)
{
    TestApp();
    ContourDef def;
    def.altitude = 1200;
    CEditContourDlg dlg(def);
    ContourAttributes& a = *dlg.Attributes();
    struct Case {
        bool filled, fillMatch, outline, outlineMatch, label;
        bool fillMatchOn, fillPatchOn, lineOn, outlinePatchOn, positionOn;
    };
    const Case cases[] = {
        {false, false, false, false, false, false, false, false, false, false},
        {true, false, false, false, false, true, true, false, false, false},
        {true, true, true, false, true, true, false, true, true, true},
        {false, true, true, true, false, false, false, true, false, false},
    };
    for (const Case& c : cases) {
        a.filled->setChecked(c.filled);
        a.fillMatch->setChecked(c.fillMatch);
        a.outline->setChecked(c.outline);
        a.outlineMatch->setChecked(c.outlineMatch);
        a.showLabel->setChecked(c.label);
        EXPECT_EQ(a.fillMatch->isEnabled(), c.fillMatchOn);
        EXPECT_EQ(a.fillPatch->isEnabled(), c.fillPatchOn);
        EXPECT_EQ(a.thickness->isEnabled(), c.lineOn);
        EXPECT_EQ(a.lineStyle->isEnabled(), c.lineOn);
        EXPECT_EQ(a.outlineMatch->isEnabled(), c.lineOn);
        EXPECT_EQ(a.outlinePatch->isEnabled(), c.outlinePatchOn);
        EXPECT_EQ(a.labelPosition->isEnabled(), c.positionOn);
    }
    a.thickness->setValue(300);
    a.lineStyle->setCurrentIndex(1);
    a.labelPosition->setCurrentIndex(1);
    a.fillPatch->SetColor(0x0000FF);
    dlg.accept();
    const ContourDef& r = dlg.Result();
    EXPECT_EQ(r.altitude, 1200.0);
    EXPECT_EQ(r.penWidth, 250);
    EXPECT_EQ(r.reserved1, 1);
    EXPECT_EQ(r.labelOption2, 1);
    EXPECT_EQ(r.lineOn, 1);
    EXPECT_EQ(r.lineColorAuto, 1);
    EXPECT_EQ(r.fillOn, 0);
    EXPECT_EQ(r.fillColor, 0x0000FF);
}
