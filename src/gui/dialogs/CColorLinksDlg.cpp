#include "gui/dialogs/CColorLinksDlg.h"

#include "gui/controls/CTLFrame.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr int kNameWidth = 150;
constexpr int kColorWidth = 100;
constexpr int kTreeWidth = 460;

} // namespace

CColorLinksDlg::CColorLinksDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Color to Link Translation");
    setModal(false);
    // An open links window does not keep the program running once the main window closes.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* placeholder = new QLabel(this);
    SetControlId(placeholder, kTreeControl);
    placeholder->setMinimumSize(kTreeWidth, 240);

    auto* buttons = new QGridLayout;
    const struct {
        int id;
        const char* text;
        int row, column;
    } specs[] = {{kAddGroup, "Add &New Group", 0, 0}, {kDeleteGroup, "&Delete Group", 0, 1},
                 {kRenameGroup, "&Rename Group", 0, 2}, {kAddLink, "&Add New Link", 1, 0},
                 {kDeleteLink, "&Delete Link", 1, 1},  {9, "&Help", 1, 2},
                 {2, "&Close", 1, 3}};
    for (const auto& s : specs) {
        auto* b = new QPushButton(QString::fromUtf8(s.text), this);
        b->setAutoDefault(false);
        SetControlId(b, s.id);
        buttons->addWidget(b, s.row, s.column);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(placeholder, 1);
    layout->addLayout(buttons);

    m_frame = new CTLFrame(this);
    m_frame->SubclassDlgItem(kTreeControl, this);
    CNewTreeListCtrl* tree = m_frame->Tree();
    tree->InsertColumn(0, "Name", CNewTreeListCtrl::kLeft, kNameWidth);
    tree->InsertColumn(1, "Color", CNewTreeListCtrl::kLeft, kColorWidth);
    tree->InsertColumn(2, "Link", CNewTreeListCtrl::kLeft, kTreeWidth - kNameWidth - kColorWidth);

    connect(Button(kAddGroup), &QPushButton::clicked, this, [this] {
        if (const auto row = SelectedRow(); row && row->group < 0)
            return; // "No Items" selected
        ColorLinks::GetInstance().AddNewGroup();
    });
    connect(Button(kRenameGroup), &QPushButton::clicked, this, [this] { RunOnSelection(&ColorLinks::RenameGroup); });
    connect(Button(kDeleteGroup), &QPushButton::clicked, this, [this] { RunOnSelection(&ColorLinks::DeleteGroup); });
    connect(Button(kAddLink), &QPushButton::clicked, this, [this] { RunOnSelection(&ColorLinks::AddNewLink); });
    connect(Button(kDeleteLink), &QPushButton::clicked, this, [this] { RunOnSelection(&ColorLinks::DeleteLink); });
    connect(Button(9), &QPushButton::clicked, this, [] { OpenHelpContext(kHelpContext); });
    connect(Button(2), &QPushButton::clicked, this, &QDialog::hide);
    connect(tree, &CNewTreeListCtrl::treeDoubleClicked, this, &CColorLinksDlg::EditItem);
}

CNewTreeListCtrl* CColorLinksDlg::Tree() const { return m_frame->Tree(); }

QPushButton* CColorLinksDlg::Button(int id) const { return qobject_cast<QPushButton*>(FindControl(this, id)); }

void CColorLinksDlg::Show(bool show)
{
    if (show) {
        QDialog::show();
        raise();
    } else {
        hide();
    }
}

bool CColorLinksDlg::IsVisible() const { return isVisible(); }

void CColorLinksDlg::Refill()
{
    CNewTreeListCtrl* tree = Tree();
    tree->setUpdatesEnabled(false);
    tree->DeleteAllItems();
    QTreeWidgetItem* group = nullptr;
    for (const ColorLinks::Row& row : ColorLinks::GetInstance().TreeRows()) {
        QTreeWidgetItem* item = row.link < 0 ? tree->InsertItem(QString::fromStdString(row.name))
                                             : tree->InsertItem(QString::fromStdString(row.name), group);
        if (row.link < 0) {
            group = item;
        } else {
            tree->SetItemText(item, 1, QString::fromStdString(row.color));
            tree->SetItemText(item, 2, QString::fromStdString(row.target));
        }
        tree->SetItemUserData(item, QVariantList{row.group, row.link});
    }
    tree->expandAll();
    tree->setUpdatesEnabled(true);
    tree->viewport()->update();
}

ColorLinks::Row CColorLinksDlg::RowOf(const QTreeWidgetItem* item)
{
    ColorLinks::Row row;
    const QVariantList ids = item->data(0, Qt::UserRole).toList();
    if (ids.size() == 2) {
        row.group = ids[0].toInt();
        row.link = ids[1].toInt();
    }
    row.name = item->text(0).toStdString();
    row.color = item->text(1).toStdString();
    row.target = item->text(2).toStdString();
    return row;
}

std::optional<ColorLinks::Row> CColorLinksDlg::SelectedRow() const
{
    const QList<QTreeWidgetItem*> selected = Tree()->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return RowOf(selected.front());
}

void CColorLinksDlg::RunOnSelection(void (ColorLinks::*action)(const ColorLinks::Row*))
{
    const std::optional<ColorLinks::Row> row = SelectedRow();
    (ColorLinks::GetInstance().*action)(row ? &*row : nullptr);
}

void CColorLinksDlg::EditItem(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const ColorLinks::Row row = RowOf(item);
    ColorLinks& store = ColorLinks::GetInstance();
    if (!store.EditLink(&row))
        return;
    const ColorLinkEntry& link = store.groups[static_cast<size_t>(row.group)].links[static_cast<size_t>(row.link)];
    CNewTreeListCtrl* tree = Tree();
    tree->SetItemText(item, 0, QString::fromStdString(link.name));
    tree->SetItemText(item, 1, QString::fromStdString(link.ColorText()));
    tree->SetItemText(item, 2, QString::fromStdString(link.LinkText()));
    tree->setCurrentItem(item);
    item->setSelected(true);
}

std::unique_ptr<ColorLinksWindow> MakeColorLinksWindow()
{
    // Kept above the main window (not its child: the colour links store owns it).
    auto window = std::make_unique<CColorLinksDlg>();
    KeepAbove(window.get(), OwnerWindow());
    return window;
}

} // namespace kv
