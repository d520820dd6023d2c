#include "gui/dialogs/CEditWorldFParmsDlg.h"

#include "QtTestApp.h"
#include "WorldFixtures.h"

#include <QLineEdit>

#include <gtest/gtest.h>

using namespace kv;

TEST(CEditWorldFParmsDlg, ALacunarityOfZeroOrLessIsRefused)
{
    TestApp();
    MessageRecorder messages;
    FractalParmsValues values;
    values.parms.lacunarity = 2.0;
    values.parms.octaves = 12.0;
    for (const char* text : {"0", "-1"}) {
        CEditWorldFParmsDlg dialog(values);
        dialog.LacunarityEdit()->setText(text);
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << text;
        EXPECT_EQ(dialog.values.parms.lacunarity, 2.0);
    }
    // 0 lies in the field's range but is refused with its own message; -1 gets the range.
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[0], CEditWorldFParmsDlg::kLacunarityMessage);
    EXPECT_EQ(messages.texts[1], "Please enter a number between 0 and 12.");
    CEditWorldFParmsDlg dialog(values);
    dialog.LacunarityEdit()->setText("2.5");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.values.parms.lacunarity, 2.5);
}
