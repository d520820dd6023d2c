// Save As of a view picture asks the Image Save Parameters window of the command dialogs.
#include "document/DocumentServices.h"
#include "gui/exchange/WindowExportDialogs.h"

#include "QtTestApp.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(WindowExportDialogs, ImageSaveParametersGoThroughTheCommandDialog)
{
    TestApp();
    struct Answer : CommandDialogs {
        bool ImageSaveParms(ImageSaveValues& v) override
        {
            seen = v;
            v.width = 640;
            v.height = 320;
            v.quality = 90;
            v.keepProportions = true;
            return ok;
        }
        ImageSaveValues seen;
        bool ok = true;
    } answer;
    CommandDialogs* previous = SetCommandDialogs(&answer);
    WindowExportDialogs dialogs;
    ImageSaveParms parms;
    parms.width = 100;
    parms.height = 50;
    parms.quality = 75;
    parms.mainWidth = 900;
    parms.mainHeight = 450;
    ASSERT_TRUE(dialogs.ImageSaveParameters(parms, 1));
    // "Keep Main Window Proportions" follows the main view's map, not the active window.
    EXPECT_EQ(answer.seen.mainWidth, 900);
    EXPECT_EQ(answer.seen.mainHeight, 450);
    EXPECT_EQ(answer.seen.width, 100);
    EXPECT_EQ(answer.seen.height, 50);
    EXPECT_TRUE(answer.seen.jpeg);
    EXPECT_EQ(parms.width, 640);
    EXPECT_EQ(parms.height, 320);
    EXPECT_EQ(parms.quality, 90);
    EXPECT_EQ(parms.keepProportions, 1);
    answer.ok = false;
    EXPECT_FALSE(dialogs.ImageSaveParameters(parms, 0));
    EXPECT_EQ(parms.width, 640);
    SetCommandDialogs(previous);
}
