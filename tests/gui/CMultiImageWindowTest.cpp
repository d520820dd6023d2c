// The Multiple Image Export window over its model: the label follows the boxes and OK
// hands back each level's values.
#include "gui/exchange/CMultiImageWindow.h"

#include "QtTestApp.h"

#include <QLabel>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace kv;

TEST(CMultiImageWindow, LabelFollowsTheBoxesAndOkTakesTheValues)
{
    TestApp();
    MultiMapSettings s = DefaultAtlasSettings();
    s.writePictures = true;
    s.writePages = true;
    s.levels[0].columns = 3;
    s.levels[0].rows = 2;
    CMultiImageWindow window(s);
    EXPECT_EQ(window.windowTitle(), "Multiple Image Export");
    EXPECT_EQ(window.TotalLabel()->text(), "1 Level (7 total maps)");
    EXPECT_TRUE(window.WideBox(0)->isEnabled());
    EXPECT_FALSE(window.WideBox(1)->isEnabled());
    window.WideBox(0)->setValue(4);
    EXPECT_EQ(window.TotalLabel()->text(), "1 Level (9 total maps)");
    window.accept();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.Result().levels[0].columns, 4);
    EXPECT_EQ(window.Result().levels[0].rows, 2);
    EXPECT_EQ(window.Result().levelCount, 1);
}
