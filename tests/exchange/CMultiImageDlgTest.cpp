// The Multiple Image Export dialog's model: the total label, Ctrl for BMP pictures, which
// controls are enabled, the definition chooser and the values OK hands back.
#include "exchange/CMultiImageDlg.h"

#include "document/DocumentServices.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kv;

namespace {

struct CtrlHeld : InputState {
    CtrlHeld() { m_previous = SetInputState(this); }
    ~CtrlHeld() override { SetInputState(m_previous); }
    bool IsCtrlDown() const override { return true; }

private:
    InputState* m_previous = nullptr;
};

struct Chooser : DefinitionChooser {
    Chooser() { m_previous = SetDefinitionChooser(this); }
    ~Chooser() override { SetDefinitionChooser(m_previous); }
    bool Choose(std::string& name) override
    {
        ++calls;
        shown = name;
        name = answer;
        return ok;
    }
    std::string answer, shown;
    bool ok = true;
    int calls = 0;

private:
    DefinitionChooser* m_previous = nullptr;
};

} // namespace

TEST(CMultiImageDlg, TotalLabelCountsEveryLevelsMaps)
{
    struct Case {
        int levels;
        int wide[2], high[2];
        const char* label;
    };
    for (const Case& c : {Case{1, {3, 1}, {2, 1}, "1 Level (7 total maps)"},
                          Case{2, {2, 2}, {2, 2}, "2 Levels (21 total maps)"},
                          Case{1, {1, 9}, {1, 9}, "1 Level (2 total maps)"}}) {
        CMultiImageDlg d;
        d.levels = c.levels;
        for (int i = 0; i < 2; ++i) {
            d.wide[i] = c.wide[i];
            d.high[i] = c.high[i];
        }
        d.Refresh();
        EXPECT_EQ(d.totalLabel, c.label);
    }
}

TEST(CMultiImageDlg, CtrlAtOpeningWritesBmpPictures)
{
    CMultiImageDlg plain;
    plain.OnInitDialog();
    EXPECT_TRUE(plain.picturesAsJpeg);
    EXPECT_EQ(plain.pictureCheckText, "Generate JPEG files");
    CtrlHeld ctrl;
    CMultiImageDlg d;
    d.OnInitDialog();
    EXPECT_FALSE(d.picturesAsJpeg);
    EXPECT_EQ(d.pictureCheckText, "Generate BMP Files");
    MultiMapSettings s;
    ASSERT_EQ(d.OnOK(s), "");
    EXPECT_FALSE(s.picturesAsJpeg);
}

TEST(CMultiImageDlg, EnablingFollowsTheOutputsAndLevels)
{
    CMultiImageDlg d;
    d.levels = 5;
    d.Refresh();
    for (bool row : d.enabled.row)
        EXPECT_FALSE(row);
    EXPECT_FALSE(d.enabled.slider);
    EXPECT_FALSE(d.enabled.htmlCheck);

    d.OnPictures(true);
    d.OnPages(true);
    d.OnSlider(2);
    EXPECT_TRUE(d.enabled.slider);
    EXPECT_TRUE(d.enabled.htmlCheck);
    EXPECT_TRUE(d.enabled.row[1]);
    EXPECT_FALSE(d.enabled.row[2]);
    EXPECT_FALSE(d.enabled.level5Links);
    EXPECT_FALSE(d.enabled.fileButton[0]);
    // Pictures off takes the pages with them; nothing is active then.
    d.OnPictures(false);
    EXPECT_FALSE(d.writePages);
    EXPECT_FALSE(d.enabled.row[0]);
}

TEST(CMultiImageDlg, DefinitionsFromTheChooser)
{
    Chooser chooser;
    CMultiImageDlg d;
    chooser.ok = false;
    d.OnDrawings(true);
    EXPECT_FALSE(d.writeDrawings); // Cancel turns it off again
    chooser.ok = true;
    chooser.answer = "coast";
    d.OnDrawings(true);
    EXPECT_TRUE(d.writeDrawings);
    for (const std::string& name : d.levelNames)
        EXPECT_EQ(name, "coast");
    EXPECT_EQ(d.definitionLabel, "coast");

    d.OnPerLevel(true);
    d.OnSlider(3);
    EXPECT_TRUE(d.enabled.fileButton[2]);
    EXPECT_FALSE(d.enabled.fileButton[3]);
    chooser.answer = "relief";
    d.OnFileLevel(2);
    EXPECT_EQ(chooser.shown, "coast");
    chooser.ok = false;
    d.OnFileLevel(1);
    EXPECT_EQ(d.fileButtonText[2], "relief");
    EXPECT_EQ(d.fileButtonText[1], "coast");
    MultiMapSettings s;
    ASSERT_EQ(d.OnOK(s), "");
    EXPECT_EQ(s.levels[2].definition, "relief");
    EXPECT_EQ(s.levels[1].definition, "coast");
    EXPECT_EQ(s.levelCount, 3);
}

TEST(CMultiImageDlg, OkTakesEachLevelsOwnValuesAndRefusesBadOnes)
{
    CMultiImageDlg d;
    d.levels = 3;
    for (int i = 0; i < 3; ++i) {
        d.wide[i] = i + 2;
        d.high[i] = i + 1;
        d.overlap[i] = 10.0f * i;
        d.resolution[i] = 100 + i;
    }
    d.folder = "/out";
    MultiMapSettings s;
    ASSERT_EQ(d.OnOK(s), "");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s.levels[i].columns, i + 2);
        EXPECT_EQ(s.levels[i].rows, i + 1);
        EXPECT_EQ(s.levels[i].overlap, 10.0f * i);
        EXPECT_EQ(s.levels[i].pictureWidth, 100 + i);
    }
    EXPECT_EQ(s.outputFolder, "/out");
    CMultiImageDlg back;
    back.Load(s);
    EXPECT_EQ(back.levels, 3);
    EXPECT_EQ(back.overlap[2], 20.0f);

    for (float bad : {-1.0f, 50.5f, std::nanf("")}) {
        d.overlap[1] = bad;
        MultiMapSettings untouched;
        EXPECT_NE(d.OnOK(untouched), "") << bad;
        EXPECT_EQ(untouched.levelCount, MultiMapSettings().levelCount);
    }
    d.overlap[1] = 0.0f;
    d.wide[2] = 0;
    EXPECT_NE(d.OnOK(s), "");
}

TEST(CMultiImageDlg, NewRunStartsFromTheDialogDefaults)
{
    const MultiMapSettings s = DefaultAtlasSettings();
    EXPECT_FALSE(s.writeDrawings);
    EXPECT_TRUE(s.picturesAsJpeg);
    EXPECT_EQ(s.levelCount, 1);
    EXPECT_EQ(s.levels[4].pictureWidth, 384);
}
