// The tree-list control: the column sort order, per-column texts, header clicks, the
// shortened cell texts, sideways scrolling in steps of 6 and the scroll bar that shows only
// while the columns overflow.
#include "gui/controls/CTLFrame.h"

#include "InputEvents.h"
#include "QtTestApp.h"

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/controls/DialogData.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace kv;

namespace {

// Ascending order of two plain items (no children).
bool Before(const char* a, const char* b) { return TreeListBefore(a, false, b, false, true, true); }

// A frame in a dialog, shown, with columns of the given widths.
struct ShownTree {
    explicit ShownTree(std::initializer_list<int> widths, QSize size = QSize(300, 200))
    {
        auto* placeholder = new QLabel(&dialog);
        SetControlId(placeholder, 5641);
        auto* layout = new QVBoxLayout(&dialog);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(placeholder);
        frame = new CTLFrame(&dialog);
        EXPECT_EQ(frame->SubclassDlgItem(5641, &dialog), 1);
        tree = frame->Tree();
        int c = 0;
        for (int w : widths)
            tree->InsertColumn(c, QString("C%1").arg(c), CNewTreeListCtrl::kLeft, w), ++c;
        dialog.resize(size);
        dialog.show();
        QCoreApplication::processEvents();
    }
    QApplication& app = TestApp(); // before the dialog
    QDialog dialog;
    CTLFrame* frame = nullptr;
    CNewTreeListCtrl* tree = nullptr;
};

QStringList TopTexts(const CNewTreeListCtrl& tree, int column = 0)
{
    QStringList out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        out << tree.topLevelItem(i)->text(column);
    return out;
}

} // namespace

TEST(TreeListSort, ColumnTextOrder)
{
    const std::string big = "x" + std::string(25, '9');
    const std::string bigger = "x1" + std::string(25, '0');
    const struct {
        const char* a;
        const char* b;
        bool aFirst;
    } cases[] = {
        {"word 9", "word 10", true},         // equal prefixes: the numbers decide
        {"word 10", "word 9", false},
        {"Word 10", "word 9", true},         // prefixes differ in case: whole texts, "1" < "9"
        {"apple", "Banana", true},           // no digits: without regard to case
        {"banana", "Apple", false},
        {"a007", "a7", true},                // equal numbers: the whole texts decide ("0" < "7")
        {"a7", "a007", false},
        {"", "a", true},
        {big.c_str(), bigger.c_str(), true}, // 25-digit runs compared exactly, no overflow
        {"x1234567890123456789012345", "x1234567890123456789012346", true},
        {"x1234567890123456789012346", "x1234567890123456789012345", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Before(c.a, c.b), c.aFirst) << c.a << " vs " << c.b;
}

TEST(TreeListSort, GroupsFirstInBothDirectionsAndDescendingReverses)
{
    for (bool ascending : {true, false}) {
        EXPECT_TRUE(TreeListBefore("zz", true, "aa", false, ascending, true));
        EXPECT_FALSE(TreeListBefore("aa", false, "zz", true, ascending, true));
    }
    // Without the rule the texts alone decide.
    EXPECT_FALSE(TreeListBefore("zz", true, "aa", false, true, false));
    EXPECT_TRUE(TreeListBefore("word 10", false, "word 9", false, false, true));
}

TEST(TreeListSort, AnInconsistentTripleSortsEveryItemOnceAndTheSameWayEachTime)
{
    // "a9" < "a10" (numbers), "A10" < "a9" (whole texts), "A10" ~ "a10": no consistent order.
    TestApp();
    QStringList texts = {"a9", "a10", "A10", "b"};
    std::sort(texts.begin(), texts.end());
    do {
        QStringList results[2];
        for (QStringList& result : results) {
            CNewTreeListCtrl tree;
            tree.InsertColumn(0, "Name");
            for (const QString& t : texts)
                tree.InsertItem(t);
            tree.SortAllLevels(0, true);
            result = TopTexts(tree);
        }
        EXPECT_EQ(results[0], results[1]);
        QStringList sortedIn = texts, sortedOut = results[0];
        std::sort(sortedIn.begin(), sortedIn.end());
        std::sort(sortedOut.begin(), sortedOut.end());
        EXPECT_EQ(sortedOut, sortedIn);
    } while (std::next_permutation(texts.begin(), texts.end()));
}

TEST(CNewTreeListCtrl, ColumnTextsFieldsAndCounts)
{
    TestApp();
    CNewTreeListCtrl tree;
    tree.InsertColumn(0, "Name");
    QTreeWidgetItem* a = tree.InsertItem("alpha");
    tree.SetItemText(a, 3, "four");
    EXPECT_EQ(CNewTreeListCtrl::FieldCount(a), 4);
    EXPECT_EQ(tree.GetItemText(a, 0), "alpha");
    EXPECT_EQ(tree.GetItemText(a, 1), "");
    EXPECT_EQ(tree.GetItemText(a, 2), "");
    EXPECT_EQ(tree.GetItemText(a, 3), "four");
    EXPECT_EQ(tree.GetItemText(a, 5), "");

    QTreeWidgetItem* b = tree.InsertItem("");
    tree.SetItemText(b, 1, "first");
    tree.SetItemText(b, 1, "second");
    EXPECT_EQ(tree.GetItemText(b, 0), "");
    EXPECT_EQ(tree.GetItemText(b, 1), "second");

    // A typed separator-like character stays inside its own column.
    const QString pilcrow = QString("a") + QChar(0xB6) + "b";
    tree.SetItemText(b, 2, pilcrow);
    tree.SetItemText(b, 1, "x");
    EXPECT_EQ(tree.GetItemText(b, 2), pilcrow);
    EXPECT_EQ(CNewTreeListCtrl::FieldCount(b), 3);

    // Long texts are kept whole.
    const QString longText(10000, QChar('w'));
    tree.SetItemText(a, 1, longText);
    EXPECT_EQ(tree.GetItemText(a, 1), longText);

    // Deleting a branch keeps the item count; emptying the tree resets it.
    QTreeWidgetItem* child = tree.InsertItem("child", a);
    tree.InsertItem("grandchild", child);
    EXPECT_EQ(tree.ItemCount(), 4);
    EXPECT_TRUE(tree.DeleteItemTree(a));
    EXPECT_FALSE(tree.DeleteItemTree(nullptr));
    EXPECT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.ItemCount(), 4);
    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(tree.ItemCount(), 0);
    EXPECT_EQ(tree.topLevelItemCount(), 0);
}

TEST(CNewTreeListCtrl, InsertAfterAnItemAndAtTheEnd)
{
    TestApp();
    CNewTreeListCtrl tree;
    tree.InsertColumn(0, "Name");
    QTreeWidgetItem* first = tree.InsertItem("1");
    tree.InsertItem("3");
    tree.InsertItem("2", nullptr, first);
    EXPECT_EQ(TopTexts(tree), QStringList({"1", "2", "3"}));
    QTreeWidgetItem* x = tree.InsertItem("x", first);
    tree.InsertItem("z", first);
    tree.InsertItem("y", first, x);
    EXPECT_EQ(first->child(1)->text(0), "y");
    EXPECT_EQ(first->child(2)->text(0), "z");
}

TEST(CNewTreeListCtrl, HeaderClicksFlipTheImageAndSortEveryLevel)
{
    ShownTree shown({120, 80});
    CNewTreeListCtrl* tree = shown.tree;
    EXPECT_EQ(tree->GetItemImage(0), 0);
    EXPECT_EQ(tree->GetItemImage(1), -1);
    QTreeWidgetItem* group = tree->InsertItem("m group");
    for (const char* t : {"c2", "c10", "c1"}) {
        QTreeWidgetItem* link = tree->InsertItem(t, group);
        tree->SetItemText(link, 1, QString(t).replace('c', 'k'));
    }
    tree->InsertItem("b item");
    tree->InsertItem("z item");
    group->setExpanded(true);
    tree->setCurrentItem(group->child(0)); // "c2"

    QHeaderView* header = tree->header();
    const auto click = [&](int column) {
        Click(header->viewport(), QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    };
    // First click on column 0: descending (it showed the ascending image); the group stays first.
    click(0);
    EXPECT_EQ(tree->GetItemImage(0), 1);
    EXPECT_EQ(TopTexts(*tree), QStringList({"m group", "z item", "b item"}));
    ASSERT_EQ(group->childCount(), 3);
    EXPECT_EQ(group->child(0)->text(0), "c10");
    EXPECT_EQ(group->child(2)->text(0), "c1");
    EXPECT_TRUE(group->isExpanded());
    EXPECT_EQ(tree->currentItem()->text(0), "c2");
    // Again: ascending.
    click(0);
    EXPECT_EQ(tree->GetItemImage(0), 0);
    EXPECT_EQ(TopTexts(*tree), QStringList({"m group", "b item", "z item"}));
    EXPECT_EQ(group->child(0)->text(0), "c1");
    EXPECT_EQ(group->child(2)->text(0), "c10");

    // First click on another column: ascending, and column 0 loses its image.
    tree->SortAllLevels(0, false);
    click(1);
    EXPECT_EQ(tree->GetItemImage(1), 0);
    EXPECT_EQ(tree->GetItemImage(0), -1);
    EXPECT_EQ(group->child(0)->text(1), "k1");
    EXPECT_EQ(group->child(1)->text(1), "k2");
    EXPECT_EQ(group->child(2)->text(1), "k10");
}

TEST(CNewTreeListCtrl, CellTextsAreShortenedToTheirColumn)
{
    const auto tenEach = [](const QString& t) { return 10 * static_cast<int>(t.size()); };
    const struct {
        const char* text;
        int available;
        const char* shown;
    } cases[] = {
        {"abcdefghij", 58, "abcd..."}, // 5 fit in 50, one more goes
        {"abcde", 58, "abcde"},        // fits
        {"abcdef", 58, "abcd..."},
        {"", 10, ""},                  // nothing to draw
        {"abc", 5, "..."},             // nothing fits
        {"ab", 18, "..."},             // one fits, then goes too
    };
    for (const auto& c : cases)
        EXPECT_EQ(ElideItemText(c.text, c.available, tenEach), QString(c.shown)) << c.text;
    // A long text costs a handful of measurements, not one per character.
    int calls = 0;
    const QString shown = ElideItemText(QString(10000, 'w'), 108, [&](const QString& t) {
        ++calls;
        return tenEach(t);
    });
    EXPECT_EQ(shown, QString(9, 'w') + "...");
    EXPECT_LT(calls, 40);

    // The tree's cells use the same rule with the measure it is given.
    TestApp();
    CNewTreeListCtrl tree;
    tree.SetTextMeasure(tenEach);
    tree.InsertColumn(0, "Name");
    QTreeWidgetItem* item = tree.InsertItem("abcdefghij");
    EXPECT_EQ(tree.ShownText(item, 0, 58), "abcd...");
}

TEST(CNewTreeListCtrl, SidewaysScrollingStepsBySixAndTheBarShowsOnlyWhileColumnsOverflow)
{
    ShownTree shown({150, 100, 400});
    CNewTreeListCtrl* tree = shown.tree;
    for (int i = 0; i < 3; ++i)
        tree->InsertItem(QString("row %1").arg(i));
    QCoreApplication::processEvents();
    QScrollBar* bar = tree->horizontalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    ASSERT_GT(bar->maximum(), 100);
    EXPECT_EQ(bar->singleStep(), 6);

    bar->setSliderPosition(7);
    EXPECT_EQ(bar->value(), 12);
    EXPECT_EQ(tree->header()->offset(), 12); // the header moves with the tree
    bar->setSliderPosition(0);
    EXPECT_EQ(bar->value(), 0);
    bar->setSliderPosition(bar->maximum() - 1);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(30);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), 36);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(bar->value(), 30);

    // Narrow columns fit: the bar goes and the offset returns to 0.
    tree->header()->resizeSection(2, 10);
    QCoreApplication::processEvents(); // the relayout
    QCoreApplication::processEvents(); // the bar's showing follows its range
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(tree->header()->offset(), 0);
}

TEST(CNewTreeListCtrl, DoubleClickOpensAnItemOnlyInTheFirstColumn)
{
    ShownTree shown({120, 120});
    CNewTreeListCtrl* tree = shown.tree;
    QTreeWidgetItem* group = tree->InsertItem("group");
    tree->InsertItem("child", group);
    QCoreApplication::processEvents();
    int told = 0;
    QObject::connect(tree, &CNewTreeListCtrl::treeDoubleClicked, [&](QTreeWidgetItem* item) {
        ++told;
        EXPECT_EQ(item, group);
    });
    const QRect row = tree->visualItemRect(group);
    DoubleClick(tree->viewport(), QPoint(180, row.center().y()));
    EXPECT_FALSE(group->isExpanded());
    DoubleClick(tree->viewport(), QPoint(60, row.center().y()));
    EXPECT_TRUE(group->isExpanded());
    EXPECT_EQ(told, 2);
}

TEST(CTLFrame, TakesThePlaceOfItsPlaceholderOrFails)
{
    TestApp();
    QDialog dialog;
    CTLFrame missing;
    EXPECT_EQ(missing.SubclassDlgItem(5641, &dialog), 0);
    ShownTree shown({100});
    EXPECT_EQ(ControlId(shown.frame), 5641);
    EXPECT_EQ(FindControl(&shown.dialog, 5641), shown.frame);
    EXPECT_EQ(FindControl(&shown.dialog, CTLFrame::kTreeId), shown.tree);
    EXPECT_GT(shown.frame->width(), 200);
}
