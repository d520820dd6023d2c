#include "gui/controls/CTLFrame.h"

#include "gui/controls/DialogData.h"

#include <QApplication>
#include <QHeaderView>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QVBoxLayout>

#include <vector>

namespace kv {

// ---------------------------------------------------------------- sorting

namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The text before the first digit and the first run of digits.
void Split(const QString& text, QStringView& prefix, QStringView& number)
{
    const QStringView all(text);
    qsizetype first = 0;
    while (first < all.size() && !IsDigit(all[first]))
        ++first;
    qsizetype end = first;
    while (end < all.size() && IsDigit(all[end]))
        ++end;
    prefix = all.left(first);
    number = all.mid(first, end - first);
}

// Two digit runs as whole numbers: leading zeros dropped, then the longer is larger, then
// digit by digit. An empty run is 0.
int CompareDecimal(QStringView a, QStringView b)
{
    while (!a.isEmpty() && a.front() == QLatin1Char('0'))
        a = a.mid(1);
    while (!b.isEmpty() && b.front() == QLatin1Char('0'))
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return 0;
}

bool HasDigit(const QString& text)
{
    for (QChar c : text)
        if (IsDigit(c))
            return true;
    return false;
}

// A stable bottom-up merge: takes from the right run only when its item goes strictly
// before the left one. It reads and writes only inside the two buffers, whatever the
// comparison answers, so an inconsistent order still yields every item exactly once.
template <typename T, typename Before>
void MergeSort(std::vector<T>& items, Before before)
{
    const size_t n = items.size();
    std::vector<T> buffer(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n);
            const size_t hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                buffer[k++] = before(items[j], items[i]) ? items[j++] : items[i++];
            while (i < mid)
                buffer[k++] = items[i++];
            while (j < hi)
                buffer[k++] = items[j++];
        }
        items.swap(buffer);
    }
}

} // namespace

int CompareTreeListTexts(const QString& a, const QString& b)
{
    if (HasDigit(a) || HasDigit(b)) {
        QStringView prefixA, numberA, prefixB, numberB;
        Split(a, prefixA, numberA);
        Split(b, prefixB, numberB);
        if (prefixA == prefixB) {
            const int byNumber = CompareDecimal(numberA, numberB);
            if (byNumber != 0)
                return byNumber;
        }
    }
    const int whole = a.compare(b, Qt::CaseInsensitive);
    return whole < 0 ? -1 : whole > 0 ? 1 : 0;
}

bool TreeListBefore(const QString& a, bool aHasChildren, const QString& b, bool bHasChildren, bool ascending,
                    bool groupsFirst)
{
    if (groupsFirst && aHasChildren != bHasChildren)
        return aHasChildren;
    const int order = CompareTreeListTexts(a, b);
    return ascending ? order < 0 : order > 0;
}

QString ElideItemText(const QString& text, int available, const std::function<int(const QString&)>& measure)
{
    const int limit = available - 8;
    if (text.isEmpty() || measure(text) <= limit)
        return text;
    // The longest start that fits (the whole text does not); widths grow with the length,
    // so halving finds what dropping one character at a time would.
    qsizetype lo = 0, hi = text.size() - 1;
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (measure(text.left(mid)) <= limit)
            lo = mid;
        else
            hi = mid - 1;
    }
    QString shown = text.left(lo > 0 ? lo - 1 : 0);
    shown += QStringLiteral("...");
    return shown;
}

// ---------------------------------------------------------------- the tree

CNewTreeListCtrl::CNewTreeListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    SetControlId(this, CTLFrame::kTreeId);
    SetControlId(header(), CTLFrame::kHeaderId);
    SetControlId(horizontalScrollBar(), CTLFrame::kScrollBarId);
    setColumnCount(0);
    setHeaderLabels({});
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setItemDelegate(new CTreeListDelegate(this));
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalScrollBar()->setSingleStep(kLineStep);
    connect(header(), &QHeaderView::sortIndicatorChanged, this, &CNewTreeListCtrl::OnSortIndicatorChanged);
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this, &CNewTreeListCtrl::OnScrollAction);
}

int CNewTreeListCtrl::InsertColumn(int index, const QString& text, int format, int width, int extra)
{
    (void)extra;
    index = std::clamp(index, 0, m_columnCount);
    ++m_columnCount;
    QTreeWidgetItem* head = headerItem();
    // Move the header texts and formats of the later columns one to the right.
    std::vector<std::pair<QString, QVariant>> later;
    for (int c = index; c < m_columnCount - 1; ++c)
        later.emplace_back(head->text(c), head->data(c, Qt::TextAlignmentRole));
    setColumnCount(m_columnCount);
    const Qt::Alignment align = format == kRight ? Qt::AlignRight : format == kCentre ? Qt::AlignHCenter : Qt::AlignLeft;
    head->setText(index, text);
    head->setData(index, Qt::TextAlignmentRole, QVariant::fromValue(int(align | Qt::AlignVCenter)));
    for (size_t k = 0; k < later.size(); ++k) {
        const int c = index + 1 + static_cast<int>(k);
        head->setText(c, later[k].first);
        head->setData(c, Qt::TextAlignmentRole, later[k].second);
    }
    // A click on a column not showing an image sorts it ascending.
    for (int c = 0; c < m_columnCount; ++c)
        head->setData(c, Qt::InitialSortOrderRole, QVariant::fromValue(int(Qt::AscendingOrder)));
    if (width != -1)
        header()->resizeSection(index, width);
    if (m_columnCount == 1)
        SetItemImage(0, 0);
    updateGeometries();
    viewport()->update();
    return index;
}

int CNewTreeListCtrl::TotalWidth() const
{
    int total = 0;
    for (int c = 0; c < header()->count(); ++c)
        total += header()->sectionSize(c);
    return total;
}

QTreeWidgetItem* CNewTreeListCtrl::InsertItem(const QString& text, QTreeWidgetItem* parent, QTreeWidgetItem* after)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, text);
    if (parent) {
        const int at = after ? parent->indexOfChild(after) : -1;
        if (at >= 0)
            parent->insertChild(at + 1, item);
        else
            parent->addChild(item);
    } else {
        const int at = after ? indexOfTopLevelItem(after) : -1;
        if (at >= 0)
            insertTopLevelItem(at + 1, item);
        else
            addTopLevelItem(item);
    }
    ++m_itemCount;
    return item;
}

QTreeWidgetItem* CNewTreeListCtrl::InsertItemWithImage(const QString& text, const QIcon& image,
                                                       QTreeWidgetItem* parent, QTreeWidgetItem* after)
{
    QTreeWidgetItem* item = InsertItem(text, parent, after);
    item->setIcon(0, image);
    return item;
}

void CNewTreeListCtrl::SetItemText(QTreeWidgetItem* item, int column, const QString& text)
{
    if (!item || column < 0)
        return;
    for (int c = item->columnCount(); c < column; ++c)
        item->setText(c, QString());
    item->setText(column, text);
}

QString CNewTreeListCtrl::GetItemText(const QTreeWidgetItem* item, int column) const
{
    return item && column >= 0 && column < item->columnCount() ? item->text(column) : QString();
}

int CNewTreeListCtrl::FieldCount(const QTreeWidgetItem* item) { return item ? item->columnCount() : 0; }

void CNewTreeListCtrl::SetItemUserData(QTreeWidgetItem* item, const QVariant& data)
{
    if (item)
        item->setData(0, Qt::UserRole, data);
}

QVariant CNewTreeListCtrl::GetItemUserData(const QTreeWidgetItem* item) const
{
    return item ? item->data(0, Qt::UserRole) : QVariant();
}

bool CNewTreeListCtrl::DeleteItemTree(QTreeWidgetItem* item)
{
    if (!item)
        return false;
    delete item; // with its children
    return true;
}

bool CNewTreeListCtrl::DeleteAllItems()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    clear();
    setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
    viewport()->update();
    m_itemCount = 0;
    return true;
}

int CNewTreeListCtrl::GetItemImage(int column) const
{
    const QHeaderView* h = header();
    if (column < 0 || h->sortIndicatorSection() != column)
        return -1;
    return h->sortIndicatorOrder() == Qt::AscendingOrder ? 0 : 1;
}

void CNewTreeListCtrl::SetItemImage(int column, int image)
{
    m_settingImage = true;
    if (image < 0) {
        if (header()->sortIndicatorSection() == column)
            header()->setSortIndicator(-1, Qt::AscendingOrder);
    } else {
        header()->setSortIndicator(column, image == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
    m_settingImage = false;
    header()->viewport()->update();
}

void CNewTreeListCtrl::OnSortIndicatorChanged(int section, Qt::SortOrder order)
{
    // The header flips the image as a click asks (0 gives descending, none or 1 ascending);
    // the sort follows it.
    if (m_settingImage || section < 0)
        return;
    SortAllLevels(section, order == Qt::AscendingOrder);
}

void CNewTreeListCtrl::SortLevel(int column, bool ascending, QTreeWidgetItem* parent, bool recurse)
{
    QList<QTreeWidgetItem*> taken;
    if (parent) {
        taken = parent->takeChildren();
    } else {
        while (topLevelItemCount() > 0)
            taken.append(takeTopLevelItem(0));
    }
    std::vector<QTreeWidgetItem*> items(taken.begin(), taken.end());
    const bool groups = groupsFirst;
    MergeSort(items, [column, ascending, groups](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return TreeListBefore(a->text(column), a->childCount() > 0, b->text(column), b->childCount() > 0, ascending,
                              groups);
    });
    const QList<QTreeWidgetItem*> sorted(items.begin(), items.end());
    if (parent)
        parent->addChildren(sorted);
    else
        addTopLevelItems(sorted);
    if (recurse)
        for (QTreeWidgetItem* item : items)
            if (item->childCount() > 0)
                SortLevel(column, ascending, item, true);
}

void CNewTreeListCtrl::SortKeepingState(int column, bool ascending, QTreeWidgetItem* parent, bool recurse)
{
    if (column < 0)
        return;
    // Taking items out of the tree forgets their expansion and selection: note them first.
    QSet<QTreeWidgetItem*> expanded;
    const QList<QTreeWidgetItem*> selected = selectedItems();
    QTreeWidgetItem* current = currentItem();
    std::vector<QTreeWidgetItem*> walk;
    for (int i = 0; i < topLevelItemCount(); ++i)
        walk.push_back(topLevelItem(i));
    while (!walk.empty()) {
        QTreeWidgetItem* item = walk.back();
        walk.pop_back();
        if (item->isExpanded())
            expanded.insert(item);
        for (int i = 0; i < item->childCount(); ++i)
            walk.push_back(item->child(i));
    }
    const int scroll = horizontalScrollBar()->value();
    {
        const QSignalBlocker quiet(this);
        SortLevel(column, ascending, parent, recurse);
        for (QTreeWidgetItem* item : expanded)
            item->setExpanded(true);
        if (current)
            setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
        for (QTreeWidgetItem* item : selected)
            item->setSelected(true);
    }
    horizontalScrollBar()->setValue(scroll);
    viewport()->update();
}

void CNewTreeListCtrl::SortItems(int column, bool ascending, QTreeWidgetItem* parent)
{
    SortKeepingState(column, ascending, parent, false);
}

void CNewTreeListCtrl::SortAllLevels(int column, bool ascending) { SortKeepingState(column, ascending, nullptr, true); }

int CNewTreeListCtrl::MeasureText(const QString& text) const
{
    return m_measure ? m_measure(text) : fontMetrics().horizontalAdvance(text);
}

QString CNewTreeListCtrl::ShownText(const QTreeWidgetItem* item, int column, int available) const
{
    return ElideItemText(GetItemText(item, column), available, [this](const QString& t) { return MeasureText(t); });
}

void CNewTreeListCtrl::OnScrollAction(int action)
{
    // Dragging the thumb stops on the next multiple of the line step.
    if (action != QAbstractSlider::SliderMove)
        return;
    QScrollBar* bar = horizontalScrollBar();
    const int p = bar->sliderPosition();
    const int snapped = p <= 0 ? 0 : std::min((p / kLineStep + 1) * kLineStep, bar->maximum());
    bar->setSliderPosition(snapped);
}

void CNewTreeListCtrl::updateGeometries()
{
    QTreeWidget::updateGeometries();
    horizontalScrollBar()->setSingleStep(kLineStep);
}

void CNewTreeListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    QTreeWidgetItem* item = itemAt(at);
    const bool inFirstColumn = header()->count() == 0 ||
                               at.x() < header()->sectionViewportPosition(0) + header()->sectionSize(0);
    if (event->button() == Qt::LeftButton && inFirstColumn && item && item->childCount() > 0)
        item->setExpanded(!item->isExpanded());
    QTreeWidget::mouseDoubleClickEvent(event);
    setFocus();
    if (event->button() == Qt::LeftButton)
        emit treeDoubleClicked(item);
}

void CNewTreeListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit treeButtonReleased();
}

// ---------------------------------------------------------------- the cells

CTreeListDelegate::CTreeListDelegate(CNewTreeListCtrl* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

void CTreeListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const int column = index.column();
    QRect cell = opt.rect;
    if (column == 0 && !opt.icon.isNull())
        cell.setLeft(cell.left() + opt.decorationSize.width() + 4);
    const int x = cell.left() + (column == 0 ? 2 : 0);
    const int available = cell.right() + 1 - x;
    const QString shown = ElideItemText(text, available, [this](const QString& t) { return m_tree->MeasureText(t); });
    const QRect place(x, cell.top(), available - 4, cell.height());
    if (shown.isEmpty() || place.width() <= 0)
        return;
    const QVariant headAlign = m_tree->headerItem()->data(column, Qt::TextAlignmentRole);
    const int horizontal = headAlign.isValid() ? (headAlign.toInt() & Qt::AlignHorizontal_Mask) : Qt::AlignLeft;
    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    const QPalette::ColorGroup group = (opt.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(place, horizontal | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter->restore();
}

// ---------------------------------------------------------------- the frame

CTLFrame::CTLFrame(QWidget* parent) : QWidget(parent), m_tree(new CNewTreeListCtrl(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);
}

int CTLFrame::SubclassDlgItem(int id, QWidget* dialog)
{
    QWidget* placeholder = FindControl(dialog, id);
    if (!placeholder)
        return 0;
    QWidget* parent = placeholder->parentWidget();
    setParent(parent);
    QLayout* layout = parent ? parent->layout() : nullptr;
    QLayoutItem* replaced = layout ? layout->replaceWidget(placeholder, this, Qt::FindChildrenRecursively) : nullptr;
    if (replaced)
        delete replaced;
    else
        setGeometry(placeholder->geometry());
    setMinimumSize(placeholder->minimumSize());
    SetControlId(this, id);
    placeholder->hide();
    placeholder->deleteLater();
    SetControlId(placeholder, 0);
    show();
    return 1;
}

} // namespace kv
