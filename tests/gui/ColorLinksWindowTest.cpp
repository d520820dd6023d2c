// The colour links window over the store: its tree, its buttons' messages, the inert
// "No Items" row, link edits in place, and the window made once and only hidden.
#include "gui/dialogs/CColorLinksDlg.h"

#include "gui/controls/CTLFrame.h"
#include "gui/controls/DialogData.h"
#include "gui/dialogs/CColorLinkEditDlg.h"
#include "gui/dialogs/WindowDialogs.h"

#include "DialogDriver.h"
#include "InputEvents.h"
#include "WorldFixtures.h"
#include "view/tools/ToolImageOverlay.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace kv;

namespace {

// A fresh store with its window shown; the store goes at the end.
struct LinksWindow {
    LinksWindow()
    {
        TestApp();
        InstallWindowDialogs();
        ColorLinks::DestroyInstance();
        ColorLinks::GetInstance().ShowWindow(true);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<CColorLinksDlg*>(w))
                dlg = d;
    }
    ~LinksWindow() { ColorLinks::DestroyInstance(); }
    void Press(int id) { dlg->Button(id)->click(); }
    QTreeWidgetItem* Top(int i) const { return dlg->Tree()->topLevelItem(i); }
    QPointer<CColorLinksDlg> dlg;
};

int WindowsMade()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<CColorLinksDlg*>(w) != nullptr;
    return n;
}

} // namespace

TEST(CColorLinksDlg, MadeOnceShownAndHiddenAndGoneWithTheStore)
{
    LinksWindow w;
    ASSERT_TRUE(w.dlg);
    EXPECT_EQ(w.dlg->windowTitle(), "Color to Link Translation");
    EXPECT_FALSE(w.dlg->isModal());
    EXPECT_TRUE(ColorLinks::GetInstance().IsWindowVisible());
    QHeaderView* header = w.dlg->Tree()->header();
    ASSERT_EQ(header->count(), 3);
    EXPECT_EQ(w.dlg->Tree()->headerItem()->text(0), "Name");
    EXPECT_EQ(w.dlg->Tree()->headerItem()->text(1), "Color");
    EXPECT_EQ(w.dlg->Tree()->headerItem()->text(2), "Link");
    EXPECT_EQ(header->sectionSize(0), 150);
    EXPECT_EQ(header->sectionSize(1), 100);
    EXPECT_EQ(header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2),
              FindControl(w.dlg, CColorLinksDlg::kTreeControl)->minimumWidth());

    w.Press(2); // "&Close"
    EXPECT_FALSE(w.dlg->isVisible());
    EXPECT_FALSE(ColorLinks::GetInstance().IsWindowVisible());
    ColorLinks::GetInstance().ShowWindow(true);
    EXPECT_TRUE(w.dlg->isVisible());
    EXPECT_EQ(WindowsMade(), 1);

    ColorLinks::DestroyInstance();
    EXPECT_FALSE(w.dlg);
    EXPECT_EQ(WindowsMade(), 0);
}

TEST(CColorLinksDlg, NoItemsIsInertAndNoSelectionAsksForOne)
{
    LinksWindow w;
    CNewTreeListCtrl* tree = w.dlg->Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(w.Top(0)->text(0), "No Items");
    EXPECT_EQ(tree->ItemCount(), 1);

    MessageRecorder messages;
    int dialogs = 0;
    ModalAnswerer none([&](QDialog* d) { ++dialogs, d->reject(); });
    tree->setCurrentItem(w.Top(0));
    for (int id : {CColorLinksDlg::kAddGroup, CColorLinksDlg::kRenameGroup, CColorLinksDlg::kDeleteGroup,
                   CColorLinksDlg::kAddLink, CColorLinksDlg::kDeleteLink})
        w.Press(id);
    w.dlg->EditItem(w.Top(0));
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(dialogs, 0);

    tree->clearSelection();
    for (int id : {CColorLinksDlg::kRenameGroup, CColorLinksDlg::kDeleteGroup, CColorLinksDlg::kAddLink,
                   CColorLinksDlg::kDeleteLink})
        w.Press(id);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Please select a group before clicking rename",
                                                         "Please select a group before clicking delete",
                                                         "Please select a group",
                                                         "Please select a link before clicking delete"}));
    EXPECT_EQ(dialogs, 0);
}

TEST(CColorLinksDlg, ButtonsFillTheTreeAndADoubleClickEditsTheLinkInPlace)
{
    LinksWindow w;
    CNewTreeListCtrl* tree = w.dlg->Tree();
    MessageRecorder messages;
    {
        ModalAnswerer name([](QDialog* d) {
            auto* edit = dynamic_cast<CColorLinkListEditDlg*>(d);
            ASSERT_NE(edit, nullptr);
            edit->NameEdit()->setText("Towns");
            edit->accept();
        });
        w.Press(CColorLinksDlg::kAddGroup);
    }
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(w.Top(0)->text(0), "Towns");

    tree->setCurrentItem(w.Top(0));
    {
        ModalAnswerer link([](QDialog* d) {
            auto* edit = dynamic_cast<CColorLinkEditDlg*>(d);
            ASSERT_NE(edit, nullptr);
            edit->NameEdit()->setText("Mill");
            edit->LinkEdit()->setText("");
            // The map's picker hands its colour to the open editor.
            ASSERT_NE(GetColorLinkColorTarget(), nullptr);
            GetColorLinkColorTarget()->SetColor(0x332211);
            EXPECT_EQ(edit->ColorText()->text(), "112233");
            edit->accept();
        });
        w.Press(CColorLinksDlg::kAddLink);
    }
    ASSERT_EQ(w.Top(0)->childCount(), 1);
    QTreeWidgetItem* mill = w.Top(0)->child(0);
    EXPECT_EQ(mill->text(0), "Mill");
    EXPECT_EQ(mill->text(1), "112233");
    EXPECT_EQ(mill->text(2), "< No Link >");
    EXPECT_EQ(GetColorLinkColorTarget(), nullptr);

    // A double-click on the link's row edits it; the row keeps its place and selection.
    tree->setCurrentItem(mill);
    {
        ModalAnswerer edit([](QDialog* d) {
            auto* e = dynamic_cast<CColorLinkEditDlg*>(d);
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->NameEdit()->text(), "Mill");
            e->NameEdit()->setText("Watermill");
            e->LinkEdit()->setText("mill.html");
            e->accept();
        });
        const QRect row = tree->visualItemRect(mill);
        DoubleClick(tree->viewport(), QPoint(200, row.center().y()));
    }
    ASSERT_EQ(w.Top(0)->childCount(), 1);
    EXPECT_EQ(w.Top(0)->child(0), mill);
    EXPECT_EQ(mill->text(0), "Watermill");
    EXPECT_EQ(mill->text(2), "mill.html");
    EXPECT_TRUE(mill->isSelected());
    EXPECT_EQ(ColorLinks::GetInstance().groups[0].links[0].targets[0], "mill.html");

    // The row's identity reaches the store's actions: deleting the link selected.
    w.Press(CColorLinksDlg::kDeleteLink);
    EXPECT_TRUE(ColorLinks::GetInstance().groups[0].links.empty());
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(w.Top(0)->childCount(), 0);

    // A group selected: Delete Link asks for a link.
    tree->setCurrentItem(w.Top(0));
    w.Press(CColorLinksDlg::kDeleteLink);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Please select a link before cliking delete"});
}
