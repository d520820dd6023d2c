#include "gui/dialogs/CImageOverlayListDlg.h"

#include "gui/controls/DialogParts.h"

#include "document/CKVDoc.h"
#include "document/DocumentContext.h"
#include "gui/dialogs/CImageOverlayEditDlg.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

CImageOverlayListDlg::CImageOverlayListDlg(ImageOverlayList& list, QWidget* parent) : QDialog(parent), m_list(list)
{
    setWindowTitle("Image Overlays");
    setModal(false);
    auto* top = new QVBoxLayout(this);
    auto* activeRow = new QHBoxLayout;
    activeRow->addWidget(new QLabel("Active Overlay:", this));
    m_active = new QLabel(this);
    activeRow->addWidget(m_active, 1);
    top->addLayout(activeRow);
    m_rows = new QTreeWidget(this);
    m_rows->setRootIsDecorated(false);
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->setSelectionMode(QAbstractItemView::ExtendedSelection);
    top->addWidget(m_rows, 1);

    auto* buttons = new QGridLayout;
    top->addLayout(buttons);
    struct ButtonDef {
        const char* text;
        void (CImageOverlayListDlg::*handler)();
    };
    const ButtonDef defs[] = {
        {"&Add", &CImageOverlayListDlg::OnAdd},           {"&Edit", &CImageOverlayListDlg::OnEdit},
        {"Sh&ow", &CImageOverlayListDlg::OnShow},         {"H&ide", &CImageOverlayListDlg::OnHide},
        {"&Set Active", &CImageOverlayListDlg::OnSetActive}, {"Move &Up", &CImageOverlayListDlg::OnMoveUp},
        {"&Move Down", &CImageOverlayListDlg::OnMoveDown}, {"&Delete", &CImageOverlayListDlg::OnDelete},
    };
    int index = 0;
    for (const ButtonDef& def : defs) {
        auto* button = new QPushButton(def.text, this);
        connect(button, &QPushButton::clicked, this, def.handler);
        buttons->addWidget(button, index / 4, index % 4);
        ++index;
    }
    auto* close = new QPushButton("&Close", this);
    connect(close, &QPushButton::clicked, this, &CImageOverlayListDlg::accept);
    buttons->addWidget(close, 2, 3);
    connect(m_rows, &QTreeWidget::itemDoubleClicked, this, [this] { OnEdit(); });
    Refresh();
}

OverlayListActions CImageOverlayListDlg::Actions() const
{
    CKVDoc* doc = GetActiveDoc();
    if (doc != nullptr && &doc->GetOverlays() != &m_list)
        doc = nullptr;
    return OverlayListActions(m_list, doc);
}

OverlayEditor& CImageOverlayListDlg::Editor()
{
    if (m_editor != nullptr)
        return *m_editor;
    if (!m_dialogEditor)
        m_dialogEditor = std::make_unique<OverlayEditDialogRunner>(this);
    return *m_dialogEditor;
}

int CImageOverlayListDlg::SelectedRow() const
{
    const QTreeWidgetItem* item = m_rows->currentItem();
    if (item == nullptr || !item->isSelected())
        return -1;
    return m_rows->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
}

std::vector<int> CImageOverlayListDlg::SelectedRows() const
{
    std::vector<int> rows;
    for (QTreeWidgetItem* item : m_rows->selectedItems())
        rows.push_back(m_rows->indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CImageOverlayListDlg::SelectRow(int row)
{
    m_rows->clearSelection();
    if (QTreeWidgetItem* item = m_rows->topLevelItem(row)) {
        m_rows->setCurrentItem(item);
        item->setSelected(true);
    }
}

void CImageOverlayListDlg::Refresh()
{
    const int remembered = SelectedRow();
    m_rows->clear();
    m_rows->setColumnCount(4);
    m_rows->setHeaderLabels({"Name", "Visible", "Width", "Height"});
    const int widths[4] = {181, 65, 55, 55};
    for (int k = 0; k < 4; ++k)
        m_rows->setColumnWidth(k, widths[k]);
    const OverlayListActions actions = Actions();
    for (const OverlayListActions::Row& row : actions.Rows()) {
        auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(row.name), QString::fromStdString(row.visible),
                                                     QString::fromStdString(row.width), QString::fromStdString(row.height)});
        item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(row.overlay)));
        m_rows->addTopLevelItem(item);
    }
    if (remembered >= 0)
        SelectRow(remembered);
    m_active->setText(QString::fromStdString(actions.ActiveText()));
}

void CImageOverlayListDlg::OnAdd()
{
    Actions().Add(Editor());
    Refresh();
}

void CImageOverlayListDlg::OnEdit()
{
    Actions().Edit(SelectedRow(), Editor());
    Refresh();
}

void CImageOverlayListDlg::OnShow()
{
    Actions().SetVisible(SelectedRows(), true);
    Refresh();
}

void CImageOverlayListDlg::OnHide()
{
    Actions().SetVisible(SelectedRows(), false);
    Refresh();
}

void CImageOverlayListDlg::OnSetActive()
{
    Actions().SetActive(SelectedRow());
    Refresh();
}

void CImageOverlayListDlg::OnMoveUp()
{
    const int row = SelectedRow();
    const int now = Actions().Move(row, -1);
    if (row >= 0)
        SelectRow(now);
    Refresh();
}

void CImageOverlayListDlg::OnMoveDown()
{
    const int row = SelectedRow();
    const int now = Actions().Move(row, +1);
    if (row >= 0)
        SelectRow(now);
    Refresh();
}

void CImageOverlayListDlg::OnDelete()
{
    if (Actions().Delete(SelectedRow()))
        m_rows->clearSelection();
    Refresh();
}

// ---------------------------------------------------------------------------------------

bool OverlayListWindowQt::Create()
{
    if (!m_dialog) {
        // Kept above the main window (not its child: the document, not the window, owns it).
        m_dialog = std::make_unique<CImageOverlayListDlg>(m_owner);
        KeepAbove(m_dialog.get(), OwnerWindow());
    }
    return true;
}

bool OverlayListWindowQt::IsVisible() const
{
    return m_dialog && m_dialog->isVisible();
}

void OverlayListWindowQt::Show(int showCommand)
{
    if (!m_dialog)
        return;
    if (showCommand == 0) {
        m_dialog->hide();
    } else {
        m_dialog->show();
        m_dialog->raise();
    }
}

void OverlayListWindowQt::FillList()
{
    if (m_dialog)
        m_dialog->Refresh();
}

void InstallOverlayListWindow()
{
    SetOverlayListWindowFactory(
        [](ImageOverlayList& owner) -> std::unique_ptr<OverlayListWindow> { return std::make_unique<OverlayListWindowQt>(owner); });
}

} // namespace kv
