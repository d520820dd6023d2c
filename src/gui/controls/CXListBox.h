// A list of coloured lines, like a log: each line is drawn in its own text and background
// colour, new lines are appended at the bottom and brought into view, the oldest lines go
// when the list is full, and selected lines can be copied.
//
// A stored line is 12 upper-case hexadecimal digits (red, green, blue of the text colour,
// then of the background) followed by the shown text.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>
#include <QStyledItemDelegate>

#include <cstdint>
#include <map>
#include <vector>

class QAction;
class QMenu;

namespace kv {

class CXListBox;

class CXListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const QStringList& Lines() const { return m_lines; }
    void Insert(int row, const QString& stored);
    void RemoveFront(int count);
    void Clear();

private:
    QStringList m_lines;
};

class CXListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CXListDelegate(CXListBox* list);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    CXListBox* m_list;
};

class CXListBox : public QListView {
    Q_OBJECT
public:
    // The list's own commands.
    static constexpr int kClear = 57632;
    static constexpr int kCopy = 57634;
    static constexpr int kSelectAll = 57642;
    static constexpr int kDefaultCapacity = 32767;

    explicit CXListBox(QWidget* parent = nullptr);

    // A stored line and its parts; a line shorter than the prefix is its own text, black on
    // white. A digit other than 0-9, A-F, a-f counts as 0.
    struct Line {
        uint32_t text = 0;         // 0x00BBGGRR
        uint32_t back = 0xFFFFFF;
        QString shown;
    };
    static Line DecodeLine(const QString& stored);
    // Carriage returns and line feeds of `shown` become blanks.
    static QString EncodeLine(uint32_t text, uint32_t back, const QString& shown);

    // Appends a line (black on white while colours are off). When the list is full the
    // oldest lines go first (20, or all but one with 20 or fewer); with fewer than 2 lines
    // nothing is added. The new line becomes the top visible line; nothing stays selected.
    void AddLine(uint32_t textColour, uint32_t backColour, const QString& text);
    // Inserts a black-on-white line at `index` (out of range: at the end).
    void InsertLine(int index, const QString& text);
    int GetCount() const { return m_model->Lines().size(); }
    // The shown text (empty for no such line).
    QString GetText(int index) const;
    // The stored length less the prefix (unchanged below 12).
    int GetTextLen(int index) const;
    QString GetStoredText(int index) const;
    void ResetContent();

    void EnableColors(bool enable) { m_colorsEnabled = enable; }
    bool ColorsEnabled() const { return m_colorsEnabled; }
    // How many lines the list holds before it is full.
    void SetCapacity(int lines) { m_capacity = lines; }
    int Capacity() const { return m_capacity; }

    void SetFont(const QFont& font, bool redraw = true);
    void SetTabSize(int characters);
    int TabSize() const { return m_tabSize; }
    // Pixels between tab stops.
    int TabStopDistance() const;
    int GetVisibleLines() const;
    // The first line after `start`, wrapping round to the top, whose shown text begins with
    // (exact: equals) `text`, without regard to case; a start out of range searches from the
    // top. -1 when none.
    int FindString(int start, const QString& text) const;
    int FindStringExact(int start, const QString& text) const;
    // FindString, then makes the line found the current selection.
    int SelectString(int start, const QString& text);
    void SelectAll();
    // The selected lines in order, their ends trimmed of line breaks, each ended by a line
    // feed, tabs as blanks.
    QString SelectedText() const;
    void Copy();
    std::vector<int> SelectedRows() const;
    // The top visible line.
    int TopIndex() const;

    // Runs one of the list's commands; false for another id.
    bool OnCommand(int id);
    QAction* Action(int id) const;
    // A right-click shows `menu` at the pointer (null: none); its actions carrying one of
    // the list's command ids as data run on this list.
    void SetContextMenu(QMenu* menu);

    // The widest line drawn so far and the width the lines are laid out at.
    int WidestLine() const { return m_widest; }
    void NoteLineWidth(int width);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Append(const QString& stored);
    void ScrollToPending();

    CXListModel* m_model;
    bool m_colorsEnabled = true;
    int m_capacity = kDefaultCapacity;
    int m_tabSize = 8;
    int m_widest = 0;
    int m_pendingTop = -1;
    bool m_scrollQueued = false;
    bool m_relayoutQueued = false;
    QMenu* m_menu = nullptr;
    std::map<int, QAction*> m_actions;
};

} // namespace kv
