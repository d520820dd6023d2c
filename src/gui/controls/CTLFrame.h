// The tree-list control: a tree whose items carry one text per column under a header that
// sorts the tree when a column is clicked, scrolled sideways with its header while the
// columns are wider than the control. `CTLFrame` takes the place of a placeholder control
// of a dialog and holds the tree.
#pragma once

#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVariant>
#include <QWidget>

#include <functional>

namespace kv {

// The sort order of column texts (ascending; a digit-free text or different prefixes
// compare the whole texts without regard to case; equal prefixes before the first digit
// compare the first digit runs as whole decimal numbers of any length). <0, 0 or >0.
int CompareTreeListTexts(const QString& a, const QString& b);

// Whether `a` goes before `b` when a column is sorted: with `groupsFirst` an item with
// children goes before one without in both directions; descending reverses the text order.
bool TreeListBefore(const QString& a, bool aHasChildren, const QString& b, bool bHasChildren, bool ascending,
                    bool groupsFirst);

// A column text shortened to `available` pixels: while it is wider than available - 8 its
// last character goes; when any went, one more goes (if any is left) and "..." is added.
QString ElideItemText(const QString& text, int available, const std::function<int(const QString&)>& measure);

class CNewTreeListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kLineStep = 6;
    // Column formats.
    enum { kLeft = 0, kRight = 1, kCentre = 2 };

    explicit CNewTreeListCtrl(QWidget* parent = nullptr);

    // Adds a header column at `index` (format 1 right, 2 centred, else left; width -1 keeps
    // the header's default). The first column shows the ascending image. `extra` has no
    // effect. Returns the column's index.
    int InsertColumn(int index, const QString& text, int format = kLeft, int width = -1, int extra = -1);
    int ColumnCount() const { return m_columnCount; }
    // The sum of the column widths.
    int TotalWidth() const;

    // A new item with column 0 = `text`, under `parent` (null: the top level) after `after`
    // (null: last). Counts one more item.
    QTreeWidgetItem* InsertItem(const QString& text, QTreeWidgetItem* parent = nullptr,
                                QTreeWidgetItem* after = nullptr);
    QTreeWidgetItem* InsertItemWithImage(const QString& text, const QIcon& image, QTreeWidgetItem* parent = nullptr,
                                         QTreeWidgetItem* after = nullptr);
    // A column's text; missing columns read empty and setting one beyond the last adds
    // empty ones up to it. Texts are kept per column as typed (no separator character).
    void SetItemText(QTreeWidgetItem* item, int column, const QString& text);
    QString GetItemText(const QTreeWidgetItem* item, int column) const;
    // The number of column texts the item holds.
    static int FieldCount(const QTreeWidgetItem* item);
    void SetItemUserData(QTreeWidgetItem* item, const QVariant& data);
    QVariant GetItemUserData(const QTreeWidgetItem* item) const;

    // Deletes the item with its branch; false for no item. The item count stays.
    bool DeleteItemTree(QTreeWidgetItem* item);
    // Empties the tree (wait cursor meanwhile); the item count becomes 0.
    bool DeleteAllItems();
    // Items inserted since the tree was last emptied.
    int ItemCount() const { return m_itemCount; }

    // The header column's sort image: 0 ascending, 1 descending, -1 none (one column at a time).
    int GetItemImage(int column) const;
    void SetItemImage(int column, int image);

    // Sorts the children of `parent` (null: the top level) by a column; the expansion,
    // selection and current item stay.
    void SortItems(int column, bool ascending, QTreeWidgetItem* parent = nullptr);
    // Sorts every level, as a header click does.
    void SortAllLevels(int column, bool ascending);
    bool groupsFirst = true;

    // How wide a text is drawn (the tree's font metrics unless replaced).
    using Measure = std::function<int(const QString&)>;
    void SetTextMeasure(Measure measure) { m_measure = std::move(measure); }
    int MeasureText(const QString& text) const;
    // What a cell shows, shortened to the pixels it has.
    QString ShownText(const QTreeWidgetItem* item, int column, int available) const;

signals:
    // A double click anywhere in the tree (in column 0 it also opens or closes the item).
    void treeDoubleClicked(QTreeWidgetItem* item);
    // The left button was released in the tree.
    void treeButtonReleased();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void updateGeometries() override;

private:
    void OnSortIndicatorChanged(int section, Qt::SortOrder order);
    void OnScrollAction(int action);
    void SortLevel(int column, bool ascending, QTreeWidgetItem* parent, bool recurse);
    void SortKeepingState(int column, bool ascending, QTreeWidgetItem* parent, bool recurse);

    int m_columnCount = 0;
    int m_itemCount = 0;
    bool m_settingImage = false;
    Measure m_measure;
};

// Draws each cell's text shortened to its column (the tree's own painting draws the rest).
class CTreeListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CTreeListDelegate(CNewTreeListCtrl* tree);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    CNewTreeListCtrl* m_tree;
};

class CTLFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeaderId = 370;
    static constexpr int kTreeId = 373;
    static constexpr int kScrollBarId = 377;

    explicit CTLFrame(QWidget* parent = nullptr);

    // Takes the place (and id) of the dialog's control `id`; 0 when there is none.
    int SubclassDlgItem(int id, QWidget* dialog);
    CNewTreeListCtrl* Tree() const { return m_tree; }

private:
    CNewTreeListCtrl* m_tree;
};

} // namespace kv
