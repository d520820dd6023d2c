#include "gui/controls/CXListBox.h"

#include "gui/controls/Clipboard.h"
#include "gui/controls/DialogData.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTextOption>

#include <algorithm>

namespace kv {

namespace {

constexpr int kPrefix = 12;
constexpr int kTabStops = 100;

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return 0;
}

uint32_t Pair(const QString& s, int at) { return static_cast<uint32_t>(HexDigit(s[at]) * 16 + HexDigit(s[at + 1])); }

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

QString TrimLineBreaks(const QString& s)
{
    qsizetype b = 0, e = s.size();
    const auto isBreak = [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
    while (b < e && isBreak(s[b]))
        ++b;
    while (e > b && isBreak(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

} // namespace

// ---------------------------------------------------------------- model

int CXListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_lines.size(); }

void CXListModel::Insert(int row, const QString& stored)
{
    beginInsertRows(QModelIndex(), row, row);
    m_lines.insert(row, stored);
    endInsertRows();
}

void CXListModel::RemoveFront(int count)
{
    beginRemoveRows(QModelIndex(), 0, count - 1);
    m_lines.remove(0, count);
    endRemoveRows();
}

void CXListModel::Clear()
{
    beginResetModel();
    m_lines.clear();
    endResetModel();
}

QVariant CXListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return CXListBox::DecodeLine(m_lines[index.row()]).shown;
    if (role == Qt::UserRole)
        return m_lines[index.row()];
    return QVariant();
}

// ---------------------------------------------------------------- lines

CXListBox::Line CXListBox::DecodeLine(const QString& stored)
{
    Line line;
    if (stored.size() < kPrefix) {
        line.shown = stored;
        return line;
    }
    line.text = Rgb(Pair(stored, 0), Pair(stored, 2), Pair(stored, 4));
    line.back = Rgb(Pair(stored, 6), Pair(stored, 8), Pair(stored, 10));
    line.shown = stored.mid(kPrefix);
    return line;
}

QString CXListBox::EncodeLine(uint32_t text, uint32_t back, const QString& shown)
{
    QString out = QString::asprintf("%02X%02X%02X%02X%02X%02X", text & 0xFF, (text >> 8) & 0xFF, (text >> 16) & 0xFF,
                                    back & 0xFF, (back >> 8) & 0xFF, (back >> 16) & 0xFF);
    QString body = shown;
    body.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out + body;
}

// ---------------------------------------------------------------- the list

CXListBox::CXListBox(QWidget* parent) : QListView(parent), m_model(new CXListModel(this))
{
    setModel(m_model);
    setItemDelegate(new CXListDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    const struct {
        int id;
        const char* text;
        QKeySequence key;
    } commands[] = {{kSelectAll, "Select &All", QKeySequence::SelectAll},
                    {kCopy, "&Copy", QKeySequence::Copy},
                    {kClear, "C&lear", QKeySequence()}};
    for (const auto& c : commands) {
        auto* action = new QAction(QString::fromUtf8(c.text), this);
        action->setData(c.id);
        action->setShortcut(c.key);
        action->setShortcutContext(Qt::WidgetShortcut);
        const int id = c.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        m_actions[c.id] = action;
    }
}

void CXListBox::Append(const QString& stored)
{
    m_model->Insert(GetCount(), stored);
}

void CXListBox::AddLine(uint32_t textColour, uint32_t backColour, const QString& text)
{
    if (!m_colorsEnabled) {
        textColour = 0;
        backColour = 0xFFFFFF;
    }
    const QString stored = EncodeLine(textColour, backColour, text);
    const int count = GetCount();
    if (count >= m_capacity) {
        if (count < 2) {
            clearSelection();
            return;
        }
        // Out of room: the oldest lines go.
        const int drop = count > 20 ? 20 : count - 1;
        setUpdatesEnabled(false);
        m_model->RemoveFront(drop);
        setUpdatesEnabled(true);
    }
    Append(stored);
    clearSelection();
    m_pendingTop = GetCount() - 1;
    if (!m_scrollQueued) {
        m_scrollQueued = true;
        QMetaObject::invokeMethod(this, [this] { ScrollToPending(); }, Qt::QueuedConnection);
    }
}

void CXListBox::ScrollToPending()
{
    m_scrollQueued = false;
    if (m_pendingTop < 0 || m_pendingTop >= GetCount()) {
        m_pendingTop = -1;
        return;
    }
    const int row = m_pendingTop;
    m_pendingTop = -1;
    scrollTo(m_model->index(row), QAbstractItemView::PositionAtTop);
}

int CXListBox::TopIndex() const
{
    const_cast<CXListBox*>(this)->ScrollToPending();
    const_cast<CXListBox*>(this)->executeDelayedItemsLayout();
    return GetCount() == 0 ? -1 : verticalScrollBar()->value();
}

void CXListBox::InsertLine(int index, const QString& text)
{
    const QString stored = EncodeLine(0, 0xFFFFFF, text);
    if (index < 0 || index > GetCount())
        index = GetCount();
    m_model->Insert(index, stored);
}

QString CXListBox::GetStoredText(int index) const
{
    return index >= 0 && index < GetCount() ? m_model->Lines()[index] : QString();
}

QString CXListBox::GetText(int index) const { return DecodeLine(GetStoredText(index)).shown; }

int CXListBox::GetTextLen(int index) const
{
    const int n = GetStoredText(index).size();
    return n >= kPrefix ? n - kPrefix : n;
}

void CXListBox::ResetContent()
{
    m_model->Clear();
    m_pendingTop = -1;
    m_widest = 0;
    scheduleDelayedItemsLayout();
}

void CXListBox::SetFont(const QFont& font, bool redraw)
{
    setFont(font);
    m_widest = 0;
    scheduleDelayedItemsLayout();
    if (redraw)
        viewport()->update();
}

void CXListBox::SetTabSize(int characters)
{
    m_tabSize = std::max(characters, 0);
    viewport()->update();
}

int CXListBox::TabStopDistance() const { return m_tabSize * fontMetrics().horizontalAdvance(QLatin1Char('9')); }

int CXListBox::GetVisibleLines() const
{
    const QFontMetrics fm = fontMetrics();
    const int line = fm.height() + fm.leading();
    return line > 0 ? viewport()->height() / line : 0;
}

int CXListBox::FindString(int start, const QString& text) const
{
    const int count = GetCount();
    if (count == 0)
        return -1;
    const QString wanted = text.toLower();
    if (start < 0 || start >= count)
        start = count - 1; // the search begins with the first line
    for (int k = 1; k <= count; ++k) {
        const int i = (start + k) % count;
        if (GetText(i).toLower().startsWith(wanted))
            return i;
    }
    return -1;
}

int CXListBox::FindStringExact(int start, const QString& text) const
{
    const int count = GetCount();
    if (count == 0)
        return -1;
    const QString wanted = text.toLower();
    if (start < 0 || start >= count)
        start = count - 1;
    for (int k = 1; k <= count; ++k) {
        const int i = (start + k) % count;
        if (GetText(i).toLower() == wanted)
            return i;
    }
    return -1;
}

int CXListBox::SelectString(int start, const QString& text)
{
    const int found = FindString(start, text);
    if (found >= 0)
        setCurrentIndex(m_model->index(found));
    return found;
}

void CXListBox::SelectAll() { selectAll(); }

std::vector<int> CXListBox::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedIndexes())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString CXListBox::SelectedText() const
{
    QString out;
    for (int row : SelectedRows()) {
        QString line = TrimLineBreaks(GetText(row));
        line += QLatin1Char('\n');
        line.replace(QLatin1Char('\t'), QLatin1Char(' '));
        out += line;
    }
    return out;
}

void CXListBox::Copy() { SetClipboardText(SelectedText().toStdString()); }

bool CXListBox::OnCommand(int id)
{
    switch (id) {
    case kSelectAll: SelectAll(); return true;
    case kCopy: Copy(); return true;
    case kClear: ResetContent(); return true;
    default: return false;
    }
}

QAction* CXListBox::Action(int id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CXListBox::SetContextMenu(QMenu* menu)
{
    if (m_menu)
        disconnect(m_menu, nullptr, this, nullptr);
    m_menu = menu;
    if (m_menu)
        connect(m_menu, &QMenu::triggered, this, [this](QAction* action) {
            if (action && m_actions.count(action->data().toInt()) && action != Action(action->data().toInt()))
                OnCommand(action->data().toInt());
        });
}

void CXListBox::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_menu) {
        QListView::contextMenuEvent(event);
        return;
    }
    m_menu->popup(event->globalPos());
    event->accept();
}

bool CXListBox::event(QEvent* e)
{
    // Select All and Copy are this list's while it has the focus, not the window's.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->matches(QKeySequence::SelectAll) || key->matches(QKeySequence::Copy)) {
            e->accept();
            return true;
        }
    }
    return QListView::event(e);
}

void CXListBox::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::SelectAll)) {
        OnCommand(kSelectAll);
        return;
    }
    if (e->matches(QKeySequence::Copy)) {
        OnCommand(kCopy);
        return;
    }
    QListView::keyPressEvent(e);
}

void CXListBox::NoteLineWidth(int width)
{
    const int needed = width + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (needed <= m_widest)
        return;
    m_widest = needed;
    // The lines are laid out at the new width once this paint is over.
    if (!m_relayoutQueued) {
        m_relayoutQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_relayoutQueued = false;
                doItemsLayout();
            },
            Qt::QueuedConnection);
    }
}

// ---------------------------------------------------------------- drawing

CXListDelegate::CXListDelegate(CXListBox* list) : QStyledItemDelegate(list), m_list(list) {}

QSize CXListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    const QFontMetrics fm(option.font);
    const int widest = m_list->WidestLine();
    return QSize(widest + widest / 32, fm.height());
}

void CXListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const CXListBox::Line line = CXListBox::DecodeLine(index.data(Qt::UserRole).toString());
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QColor text = selected ? option.palette.color(QPalette::HighlightedText) : ToQColor(line.text);
    const QColor back = selected ? option.palette.color(QPalette::Highlight) : ToQColor(line.back);
    painter->save();
    painter->fillRect(option.rect, back);
    painter->setPen(text);
    painter->setFont(option.font);
    const QFontMetrics fm(option.font);
    QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
    layout.setWrapMode(QTextOption::NoWrap);
    const int tab = m_list->TabSize() * fm.horizontalAdvance(QLatin1Char('c'));
    if (tab > 0) {
        QList<qreal> stops;
        stops.reserve(kTabStops);
        for (int k = 1; k <= kTabStops; ++k)
            stops.append(static_cast<qreal>(k) * tab);
        layout.setTabArray(stops);
    }
    QRect place = option.rect;
    place.setWidth(std::max(place.width(), fm.horizontalAdvance(line.shown) + 1));
    painter->drawText(place, line.shown, layout);
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(text, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
    }
    painter->restore();
    m_list->NoteLineWidth(fm.horizontalAdvance(line.shown));
}

} // namespace kv
