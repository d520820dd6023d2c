// The coloured line list: the colour prefix of each stored line, adding past a full list,
// searching, copying and its own commands, and what a line looks like on screen.
#include "gui/controls/CXListBox.h"

#include "gui/controls/Clipboard.h"

#include "InputEvents.h"
#include "QtTestApp.h"

#include <QImage>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace kv;

TEST(CXListBox, StoredLinesCarryTheirColours)
{
    EXPECT_EQ(CXListBox::EncodeLine(0x0000FF, 0xFFFFFF, "a\r\nb"), "FF0000FFFFFFa  b");
    const struct {
        const char* stored;
        uint32_t text, back;
        const char* shown;
    } cases[] = {
        {"FF0000FFFFFFa  b", 0x0000FF, 0xFFFFFF, "a  b"},
        {"0a0B0c102030x", 0x0C0B0A, 0x302010, "x"}, // lower case digits count
        {"ZZ00G0zz1020y", 0x000000, 0x201000, "y"}, // anything else counts as 0
        {"hello", 0x000000, 0xFFFFFF, "hello"},     // under 12: black on white, all of it shown
        {"", 0x000000, 0xFFFFFF, ""},
        {"123456789ABC", 0x563412, 0xBC9A78, ""},   // just a prefix
    };
    for (const auto& c : cases) {
        const CXListBox::Line line = CXListBox::DecodeLine(c.stored);
        EXPECT_EQ(line.text, c.text) << c.stored;
        EXPECT_EQ(line.back, c.back) << c.stored;
        EXPECT_EQ(line.shown, QString(c.shown)) << c.stored;
    }
}

TEST(CXListBox, AddInsertAndReadLines)
{
    TestApp();
    CXListBox list;
    list.AddLine(0x0000FF, 0x00FF00, "red on green");
    list.EnableColors(false);
    list.AddLine(0x0000FF, 0x00FF00, "plain");
    list.InsertLine(0, "first");
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetStoredText(0), "000000FFFFFFfirst");
    EXPECT_EQ(list.GetStoredText(1), "FF000000FF00red on green");
    EXPECT_EQ(list.GetStoredText(2), "000000FFFFFFplain");
    EXPECT_EQ(list.GetText(1), "red on green");
    EXPECT_EQ(list.GetTextLen(1), 12);
    EXPECT_EQ(list.GetText(7), "");

    const QString longText(10000, QChar('q'));
    list.AddLine(0, 0xFFFFFF, longText);
    EXPECT_EQ(list.GetText(3), longText);
    EXPECT_EQ(list.GetTextLen(3), 10000);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(CXListBox, AFullListDropsItsOldestLinesAndStillAdds)
{
    TestApp();
    const struct {
        int capacity;
        int added;
        int count;
        const char* first;
    } cases[] = {
        {30, 31, 11, "L20"}, // 30 lines: the oldest 20 go
        {30, 51, 11, "L40"}, // a second drop on the way
        {15, 16, 2, "L14"},  // 20 or fewer: all but one go
        {1, 3, 1, "L0"},     // fewer than 2 lines: nothing more is added
    };
    for (const auto& c : cases) {
        CXListBox list;
        list.SetCapacity(c.capacity);
        for (int i = 0; i < c.added; ++i) {
            list.AddLine(0, 0xFFFFFF, QString("L%1").arg(i));
            if (i == 0)
                list.SelectAll();
        }
        EXPECT_EQ(list.GetCount(), c.count) << c.capacity << " " << c.added;
        EXPECT_EQ(list.GetText(0), c.first) << c.capacity << " " << c.added;
        if (c.capacity > 1)
            EXPECT_EQ(list.GetText(list.GetCount() - 1), QString("L%1").arg(c.added - 1));
        EXPECT_TRUE(list.SelectedRows().empty());
    }
    CXListBox defaults;
    EXPECT_EQ(defaults.Capacity(), 32767);
}

TEST(CXListBox, FindStringWrapsAndAStartOutOfRangeSearchesFromTheTop)
{
    TestApp();
    CXListBox list;
    for (const char* t : {"Alpha", "beta", "Alphabet"})
        list.AddLine(0, 0xFFFFFF, t);
    const struct {
        int start;
        const char* text;
        int prefix, exact;
    } cases[] = {
        {0, "alp", 2, -1}, {2, "ALP", 0, -1}, {-1, "alp", 0, -1}, {99, "alp", 0, -1},
        {0, "alpha", 2, 0}, {1, "BETA", 1, 1}, {0, "gamma", -1, -1}, {0, "", 1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(list.FindString(c.start, c.text), c.prefix) << c.start << " " << c.text;
        EXPECT_EQ(list.FindStringExact(c.start, c.text), c.exact) << c.start << " " << c.text;
    }
    EXPECT_EQ(list.SelectString(-1, "be"), 1);
    EXPECT_EQ(list.SelectedRows(), std::vector<int>{1});
    CXListBox empty;
    EXPECT_EQ(empty.FindString(0, "a"), -1);
}

TEST(CXListBox, CommandsCopyTheSelectedLinesSelectAllAndClear)
{
    TestApp();
    CXListBox list;
    list.AddLine(0, 0xFFFFFF, "a\tb");
    list.AddLine(0, 0xFFFFFF, "skipped");
    list.AddLine(0, 0xFFFFFF, "c");
    list.selectionModel()->select(list.model()->index(2, 0), QItemSelectionModel::Select);
    list.selectionModel()->select(list.model()->index(0, 0), QItemSelectionModel::Select);
    EXPECT_TRUE(list.OnCommand(CXListBox::kCopy));
    EXPECT_EQ(GetClipboardString(), "a b\nc\n");

    EXPECT_TRUE(list.OnCommand(CXListBox::kSelectAll));
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0, 1, 2}));
    list.Action(CXListBox::kCopy)->trigger();
    EXPECT_EQ(GetClipboardString(), "a b\nskipped\nc\n");
    EXPECT_FALSE(list.OnCommand(33193));
    EXPECT_TRUE(list.OnCommand(CXListBox::kClear));
    EXPECT_EQ(list.GetCount(), 0);

    // The keys reach the list itself.
    list.AddLine(0, 0xFFFFFF, "x");
    list.AddLine(0, 0xFFFFFF, "y");
    KeyClick(&list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0, 1}));
    KeyClick(&list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(GetClipboardString(), "x\ny\n");
}

TEST(CXListBox, LinesShowTheirColoursAndTheNewestComesIntoView)
{
    TestApp();
    CXListBox list;
    list.resize(240, 120);
    list.show();
    for (int i = 0; i < 40; ++i)
        list.AddLine(0x0000FF, i == 39 ? 0x00FF00 : 0xFF0000, QString("line %1").arg(i));
    QCoreApplication::processEvents();
    QScrollBar* bar = list.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(list.TopIndex(), bar->maximum());
    const QRect last = list.visualRect(list.model()->index(39, 0));
    ASSERT_TRUE(list.viewport()->rect().contains(last.center()));
    const QImage shot = list.viewport()->grab().toImage();
    const QPoint right(list.viewport()->width() - 3, last.center().y());
    EXPECT_EQ(shot.pixelColor(right * shot.devicePixelRatio()), QColor(0, 255, 0));
    const QRect previous = list.visualRect(list.model()->index(38, 0));
    EXPECT_EQ(shot.pixelColor(QPoint(right.x(), previous.center().y()) * shot.devicePixelRatio()),
              QColor(0, 0, 255));
}
