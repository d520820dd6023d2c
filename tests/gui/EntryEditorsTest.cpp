// The colour-to-altitude entry editor and the colour link editors, run by the model's own
// calls.
#include "gui/controls/CPatchWnd.h"
#include "gui/dialogs/CAltColorSingleDlg.h"
#include "gui/dialogs/CColorLinkEditDlg.h"
#include "gui/dialogs/WindowDialogs.h"

#include "DialogDriver.h"
#include "WorldFixtures.h"
#include "base/DisplayUnits.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

using namespace kv;

TEST(CColorLinkEditDlg, ANameTheGroupHoldsKeepsTheEditorOpen)
{
    TestApp();
    InstallWindowDialogs();
    ColorLinkEntryList group;
    group.name = "Towns";
    ColorLinkEntry taken;
    taken.name = "Harbour";
    group.links.push_back(taken);

    ColorLinkEntry link;
    link.color = 0x0000FF;
    MessageRecorder messages;
    ModalAnswerer answer([](QDialog* d) {
        auto* dlg = dynamic_cast<CColorLinkEditDlg*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), "Color Link");
        EXPECT_EQ(dlg->ColorText()->text(), "FF0000");
        EXPECT_EQ(dlg->LinkEdit()->text(), "< No Link >");
        dlg->NameEdit()->setText(" Harbour ");
        dlg->accept();
        ASSERT_TRUE(dlg->isVisible());
        dlg->NameEdit()->setText("\tMill \n");
        dlg->LinkEdit()->setText("mill.html");
        dlg->CommentEdit()->setPlainText("by the river");
        dlg->SetColor(0x00FF00);
        EXPECT_EQ(dlg->ColorText()->text(), "00FF00");
        dlg->accept();
    });
    EXPECT_TRUE(link.Edit(&group));
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Link Names must be unique within a list"});
    EXPECT_EQ(link.name, "Mill");
    ASSERT_EQ(link.targets.size(), 1u);
    EXPECT_EQ(link.targets[0], "mill.html");
    EXPECT_EQ(link.comments[0], "by the river");
    EXPECT_EQ(link.color, 0x00FF00u);

    ModalAnswerer rename([](QDialog* d) {
        auto* dlg = dynamic_cast<CColorLinkListEditDlg*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->NameEdit()->text(), "Towns");
        dlg->NameEdit()->setText("Cities");
        dlg->accept();
    });
    EXPECT_TRUE(group.EditName());
    EXPECT_EQ(group.name, "Cities");
}
