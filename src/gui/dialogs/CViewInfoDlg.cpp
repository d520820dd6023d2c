#include "gui/dialogs/CViewInfoDlg.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

#include <cstdio>
#include <set>

namespace kv {

namespace {

// Dialog units of the template in pixels (an 8-point dialog font).
int DlgX(int units) { return units * 3 / 2; }
int DlgY(int units) { return units * 13 / 8; }

constexpr int kColumnCount = 7;
const char* const kColumns[kColumnCount] = {"Name", "Projection", "Lat", "Lon", "X Ofs", "Y Ofs", "Scale"};
const int kWidths[kColumnCount] = {180, 100, 50, 50, 50, 50, 60};

// Names and projections sort as text, the other columns as numbers.
class ViewRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column < 2)
            return text(column) < other.text(column);
        return data(column, Qt::UserRole).toDouble() < other.data(column, Qt::UserRole).toDouble();
    }
};

QString Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text);
}

CViewInfo* InfoOf(const QTreeWidgetItem* item)
{
    return static_cast<CViewInfo*>(item->data(0, Qt::UserRole).value<void*>());
}

} // namespace

CViewInfoDlg::CViewInfoDlg(CViewInfoList& views, ViewInfoDlgActions actions, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_views(views), m_actions(std::move(actions))
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("View Management"));
    setMinimumSize(kMinWidth, kMinHeight);
    resize(std::max(DlgX(170), kMinWidth), std::max(DlgY(97), kMinHeight));
    auto button = [this](int id, const char* text, int x, int y, int w) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::number(id));
        b->setGeometry(DlgX(x), DlgY(y), DlgX(w), DlgY(14));
        b->setAutoDefault(false);
        return b;
    };
    m_export = button(kExportId, "&Export As PW2...", 0, 0, 69);
    m_show = button(kShowId, "&Show", 70, 0, 50);
    m_help = button(kHelpId, "&Help", 120, 0, 50);
    m_add = button(kAddId, "&Add Current View", 0, 83, 70);
    m_delete = button(kDeleteId, "&Delete", 70, 83, 50);
    m_close = button(kCloseId, "&Close", 120, 83, 50);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QString::number(kListId));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setGeometry(0, DlgY(14), DlgX(169), DlgY(68));
    m_list->header()->setSectionsClickable(true);
    connect(m_list->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { m_list->sortItems(column, Qt::AscendingOrder); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CViewInfoDlg::UpdateButtons);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { ShowSelected(); });
    connect(m_show, &QPushButton::clicked, this, &CViewInfoDlg::ShowSelected);
    connect(m_delete, &QPushButton::clicked, this, &CViewInfoDlg::DeleteSelected);
    connect(m_export, &QPushButton::clicked, this, &CViewInfoDlg::ExportSelected);
    connect(m_add, &QPushButton::clicked, this, [this] {
        if (m_actions.addCurrent)
            m_actions.addCurrent();
    });
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    FillList();
}

QPushButton* CViewInfoDlg::Button(int id) const
{
    return findChild<QPushButton*>(QString::number(id));
}

void CViewInfoDlg::FillList()
{
    std::set<const CViewInfo*> selected;
    for (const CViewInfo* info : SelectedViews())
        selected.insert(info);
    m_list->clear();
    m_list->setColumnCount(kColumnCount);
    QStringList headers;
    for (const char* c : kColumns)
        headers << QString::fromLatin1(c);
    m_list->setHeaderLabels(headers);
    for (int c = 0; c < kColumnCount; ++c)
        m_list->setColumnWidth(c, kWidths[c]);
    for (int i = 0; i < m_views.Count(); ++i) {
        CViewInfo* info = m_views.At(i);
        auto* row = new ViewRow(m_list);
        row->setText(0, QString::fromStdString(info->name));
        row->setText(1, QString::fromStdString(info->projectionName));
        const double numbers[5] = {info->centerLatitude, info->centerLongitude, info->offsetX, info->offsetY,
                                   info->scale};
        for (int c = 2; c < kColumnCount; ++c) {
            row->setText(c, Format(c == 6 ? "%0.4lf" : "%0.2lf", numbers[c - 2]));
            row->setData(c, Qt::UserRole, numbers[c - 2]);
        }
        row->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(info)));
        if (selected.count(info))
            row->setSelected(true);
    }
    UpdateButtons();
}

std::vector<CViewInfo*> CViewInfoDlg::SelectedViews() const
{
    // Only views still in the list count (a row outlives its view until the next fill).
    std::set<const CViewInfo*> present;
    for (int i = 0; i < m_views.Count(); ++i)
        present.insert(m_views.At(i));
    std::vector<CViewInfo*> views;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->isSelected() && present.count(InfoOf(item)))
            views.push_back(InfoOf(item));
    }
    return views;
}

void CViewInfoDlg::UpdateButtons()
{
    const size_t n = SelectedViews().size();
    m_show->setEnabled(n == 1);
    m_delete->setEnabled(n >= 1);
    m_export->setEnabled(n >= 1);
}

void CViewInfoDlg::ShowSelected()
{
    const std::vector<CViewInfo*> views = SelectedViews();
    if (views.size() == 1 && m_actions.apply)
        m_actions.apply(*views.front());
}

void CViewInfoDlg::DeleteSelected()
{
    const std::vector<CViewInfo*> views = SelectedViews();
    if (views.empty())
        return;
    for (int i = m_list->topLevelItemCount() - 1; i >= 0; --i) {
        if (m_list->topLevelItem(i)->isSelected())
            delete m_list->takeTopLevelItem(i);
    }
    for (CViewInfo* info : views)
        m_views.Remove(info);
    if (m_actions.modified)
        m_actions.modified();
    UpdateButtons();
}

void CViewInfoDlg::ExportSelected()
{
    const std::vector<CViewInfo*> views = SelectedViews();
    if (views.empty() || !m_actions.exportViews)
        return;
    m_actions.exportViews(std::vector<const CViewInfo*>(views.begin(), views.end()));
}

void CViewInfoDlg::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    const int w = width(), h = height();
    if (w == 0 || h == 0)
        return;
    const QRect list = m_list->geometry();
    m_list->setGeometry(list.left(), list.top(), w, h - m_export->height() - m_add->height() - 1);
    for (QPushButton* b : {m_add, m_delete, m_close})
        b->move(b->x(), h - b->height());
}

void CViewInfoDlg::closeEvent(QCloseEvent* e)
{
    // The title bar's close button hides the window, as Close does.
    e->ignore();
    hide();
}

bool CViewInfoDlg::event(QEvent* e)
{
    // The help request is answered as handled and opens nothing.
    if (e->type() == QEvent::WhatsThis || e->type() == QEvent::EnterWhatsThisMode)
        return true;
    return QDialog::event(e);
}

} // namespace kv
