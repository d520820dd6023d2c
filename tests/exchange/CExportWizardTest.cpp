// The export wizard's model: the page order and buttons, the definition's fields in the
// pages, the template check, the Basic page's count line, Add and Remove Multiple.
#include "exchange/CExportWizard.h"

#include "base/MessageService.h"
#include "exchange/FCWBuiltins.h"

#include "OutsideTools.h"

#include <gtest/gtest.h>

#include <deque>

using namespace kv;

namespace {

// Records every message and question, answering the questions in turn (Yes when none left).
struct Answers : MessageService {
    Answers() { m_previous = SetMessageService(this); }
    ~Answers() override { SetMessageService(m_previous); }
    void Show(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override
    {
        asked.push_back(text);
        if (replies.empty())
            return true;
        const bool reply = replies.front();
        replies.pop_front();
        return reply;
    }
    std::vector<std::string> shown, asked;
    std::deque<bool> replies;

private:
    MessageService* m_previous = nullptr;
};

std::vector<double> Levels(const ContourList& list)
{
    std::vector<double> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.At(i)->altitude);
    return out;
}

} // namespace

TEST(ExportWizard, PageOrderAndButtons)
{
    struct Case {
        bool altitude, basic, bitmap, grid;
        int page, next, back;
    };
    const Case cases[] = {
        {false, true, false, false, kPageIntro, kPageDetail, kStayOnPage},
        {true, true, false, false, kPageIntro, kPageSimple, kStayOnPage},
        {true, false, false, false, kPageIntro, kPageAdvanced, kStayOnPage},
        {true, true, false, false, kPageSimple, kPageDetail, kPageIntro},
        {true, false, false, false, kPageAdvanced, kPageDetail, kPageIntro},
        {true, false, false, false, kPageDetail, kPageFrills, kPageAdvanced},
        {true, true, false, false, kPageDetail, kPageFrills, kPageSimple},
        {false, true, false, false, kPageDetail, kPageFrills, kPageIntro},
        {false, true, true, false, kPageFrills, kPageBitmap, kPageDetail},
        {false, true, false, true, kPageFrills, kPageGrid, kPageDetail},
        {false, true, false, false, kPageFrills, kStayOnPage, kPageDetail},
        {false, true, true, true, kPageBitmap, kPageGrid, kPageFrills},
        {false, true, true, false, kPageBitmap, kStayOnPage, kPageFrills},
        {false, true, true, true, kPageGrid, kStayOnPage, kPageBitmap},
        {false, true, false, true, kPageGrid, kStayOnPage, kPageFrills},
    };
    for (const Case& c : cases) {
        ExportWizardRecord r;
        r.altitude = c.altitude;
        r.basic = c.basic;
        r.bitmapBackground = c.bitmap;
        r.rectangularGrid = c.grid;
        std::string message;
        EXPECT_EQ(WizardNext(c.page, r, message), c.next) << WizardPageTitle(c.page);
        EXPECT_EQ(WizardBack(c.page, r, message), c.back) << WizardPageTitle(c.page);
    }
    ExportWizardRecord r;
    EXPECT_TRUE(WizardButtonsOf(kPageFrills, r).finish);
    EXPECT_FALSE(WizardButtonsOf(kPageFrills, r).next);
    r.rectangularGrid = true;
    EXPECT_TRUE(WizardButtonsOf(kPageFrills, r).next);
    EXPECT_TRUE(WizardButtonsOf(kPageGrid, r).finish);
    EXPECT_FALSE(WizardButtonsOf(kPageIntro, r).back);

    // The Basic page keeps a non-positive interval both ways.
    r.interval = 0.0f;
    std::string message;
    EXPECT_EQ(WizardNext(kPageSimple, r, message), kStayOnPage);
    EXPECT_EQ(message, "Interval must be greater than zero");
    EXPECT_EQ(WizardBack(kPageSimple, r, message), kStayOnPage);
}

TEST(ExportWizard, TemplateCheckOnIntroduction)
{
    ScratchFolder dir;
    std::vector<uint8_t> good(fcw::SkyloomHead().begin(), fcw::SkyloomHead().begin() + 128);
    std::vector<uint8_t> compressed = good;
    compressed[48] = 1;
    std::vector<uint8_t> version5 = good;
    version5[26] = '5';
    std::vector<uint8_t> foreign(128, 'x');
    WriteBytes(dir / "good.fcw", good);
    WriteBytes(dir / "packed.fcw", compressed);
    WriteBytes(dir / "v5.fcw", version5);
    WriteBytes(dir / "foreign.fcw", foreign);
    WriteBytes(dir / "short.fcw", std::vector<uint8_t>(good.begin(), good.begin() + 100));
    struct Case {
        std::string file, message;
    };
    for (const Case& c : {Case{"good.fcw", ""}, Case{"packed.fcw", "Must be an uncompressed V6.x PW2 file"},
                          Case{"v5.fcw", "Must be a Version 6.x PW2 file"}, Case{"foreign.fcw", "Not a PW2 file"},
                          Case{"short.fcw", "Unable to read PW2 header"}, Case{"none.fcw", "Unable to open file"}})
        EXPECT_EQ(CheckWizardTemplate(dir / c.file), c.message) << c.file;

    ExportWizardRecord r;
    r.useCustom = true;
    r.templateName = dir / "packed.fcw";
    std::string message;
    EXPECT_EQ(WizardNext(kPageIntro, r, message), kStayOnPage);
    EXPECT_EQ(message, "Must be an uncompressed V6.x PW2 file");
    // Without "Use Custom PW2 File" the name is dropped and not checked.
    r.useCustom = false;
    EXPECT_EQ(WizardNext(kPageIntro, r, message), kPageDetail);
    EXPECT_EQ(r.templateName, "");
}

TEST(ExportWizard, DefinitionFieldsRoundTripThroughThePages)
{
    PW2Output d;
    d.altContourMode = 0;
    d.seaOnIntervals = 0;
    d.seaColorIntervals = 0x123456;
    d.resolution = 5;
    d.borderSymbolOn = 1;
    d.drawInMapUnits = 1;
    d.linkPanelOn = 1;
    d.mapTitle = "Atlas";
    d.titleBlockOn = 1;
    d.templatePath = "t.fcw";
    RectInfo g;
    g.show = 1;
    d.grid.grids.push_back(g);
    ExportWizardRecord r;
    r.FromDefinition(d);
    EXPECT_FALSE(r.basic);
    EXPECT_FALSE(r.drawCoast);
    EXPECT_EQ(r.coastColour, 0x123456u);
    EXPECT_EQ(r.detail, 5);
    EXPECT_TRUE(r.border && r.tightBorder && r.layerButtons && r.mapTitle && r.useCustom && r.rectangularGrid);
    PW2Output back;
    r.ToDefinition(back);
    EXPECT_TRUE(back.SameValues(d));
    // A tight border needs a border.
    r.border = false;
    r.ToDefinition(back);
    EXPECT_EQ(back.drawInMapUnits, 0);
}

TEST(ExportWizard, CountLineOverTheContourRange)
{
    EXPECT_EQ(ContourCountLine(1000.0f, false, -30000.0f, 30000.0f), "60 Contours");
    EXPECT_EQ(ContourCountLine(1000.0f, true, -30000.0f, 30000.0f), "196 Contours"); // 60000 / 304.8
    EXPECT_EQ(ContourCountLine(0.0f, false, -30000.0f, 30000.0f), "Interval must be greater than zero");
}

TEST(ExportWizard, AddMultiple)
{
    Answers answers;
    ContourDef style;
    ContourList list;
    EXPECT_EQ(AddMultipleContours(list, 0, 1000, 100, style, true), 11);
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_EQ(Levels(list), (std::vector<double>{0, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));

    // From the lower end at whole steps of the interval: no drift from adding.
    ContourList fine;
    EXPECT_EQ(AddMultipleContours(fine, 1, 0, 0.1, style, true), 11);
    EXPECT_EQ(fine.At(10)->altitude, 0.0 + 10 * 0.1);

    answers.replies = {false};
    EXPECT_EQ(AddMultipleContours(list, 0, 20000, 100, style, true), 0);
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0], "Do you really wish to add 200 contours to the list?");

    // Equal ends: one contour, asked first, and again when one is already there.
    answers.asked.clear();
    EXPECT_EQ(AddMultipleContours(list, 500, 500, 100, style, true), 1);
    ASSERT_EQ(answers.asked.size(), 2u);
    EXPECT_EQ(answers.asked[0], "Add just one contour at value 500?\n(Clicking No will not add any contours)");
    EXPECT_EQ(answers.asked[1].rfind("There is already a contour with a value\nvery close or equal to 500.", 0), 0u);
    EXPECT_EQ(list.Count(), 12);

    // Refused: no attributes; more than a million contours.
    EXPECT_EQ(AddMultipleContours(list, 0, 1000, 100, style, false), 0);
    EXPECT_EQ(answers.shown.back(), "You have selected no attributes\nfor the contours.\nNo contours will be added");
    EXPECT_EQ(AddMultipleContours(list, 0, 1e9, 1, style, true), 0);
    EXPECT_EQ(list.Count(), 12);
}

TEST(ExportWizard, RemoveMultiple)
{
    Answers answers;
    ContourList list;
    ContourDef style;
    AddMultipleContours(list, 0, 1000, 100, style, true);
    EXPECT_EQ(RemoveMultipleContours(list, 0, 1000, 200), 6);
    EXPECT_EQ(answers.shown.back(), "6 Contours removed");
    EXPECT_EQ(Levels(list), (std::vector<double>{100, 300, 500, 700, 900}));

    answers.replies = {false};
    EXPECT_EQ(RemoveMultipleContours(list, 200, 600, 0), 0);
    EXPECT_EQ(answers.asked.back(), "Do you wish to remove ALL contours\nwithin the interval 200 to 600?");
    EXPECT_EQ(RemoveMultipleContours(list, 200, 600, 0), 2);
    EXPECT_EQ(Levels(list), (std::vector<double>{100, 700, 900}));
}
