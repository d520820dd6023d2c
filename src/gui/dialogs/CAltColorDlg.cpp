#include "gui/dialogs/CAltColorDlg.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "document/AltColorGenerate.h"
#include "gui/dialogs/FileChoice.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace kv {

namespace {

constexpr char kAcfFilter[] = "Color-Altitude Files (*.acf)|*.acf|All Files (*.*)|*.*||";

} // namespace

CAltColorDlg::CAltColorDlg(std::function<CKVDoc*()> document, std::function<void()> pick, QWidget* parent)
    : QDialog(parent), m_document(std::move(document)), m_pick(std::move(pick))
{
    setWindowTitle("Color to Altitude");
    setModal(false);
    setMinimumSize(400, 200);
    resize(400, 200);
    auto* grid = new QGridLayout(this);
    struct ButtonDef {
        const char* text;
        void (CAltColorDlg::*handler)();
        int row, column;
    };
    const ButtonDef defs[] = {
        {"&Load", &CAltColorDlg::OnLoad, 0, 0},   {"&Save", &CAltColorDlg::OnSave, 0, 1},
        {"&Add", &CAltColorDlg::OnAdd, 2, 0},     {"&Pick", &CAltColorDlg::OnPick, 2, 1},
        {"&Edit", &CAltColorDlg::OnEdit, 2, 2},   {"&Delete", &CAltColorDlg::OnDelete, 2, 3},
    };
    for (const ButtonDef& def : defs) {
        auto* button = new QPushButton(def.text, this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, def.handler);
        grid->addWidget(button, def.row, def.column);
    }
    auto* generate = new QPushButton("&Generate", this);
    generate->setAutoDefault(false);
    connect(generate, &QPushButton::clicked, this, [this] { OnGenerate(); });
    grid->addWidget(generate, 0, 2);
    auto* help = new QPushButton("&Help", this);
    help->setAutoDefault(false);
    grid->addWidget(help, 0, 4);
    auto* close = new QPushButton("&Close", this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &CAltColorDlg::hide);
    grid->addWidget(close, 2, 4);
    m_rows = new QTreeWidget(this);
    m_rows->setRootIsDecorated(false);
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->addWidget(m_rows, 1, 0, 1, 5);
    connect(m_rows, &QTreeWidget::itemDoubleClicked, this, [this] { OnEdit(); });
    m_addEntry.color = 0;
    Refresh();
}

void CAltColorDlg::Refresh()
{
    m_rows->clear();
    m_rows->setColumnCount(4);
    m_rows->setHeaderLabels({"#", "Color", "Altitude", "Operation"});
    const int width = std::max(1, m_rows->viewport()->width());
    m_rows->setColumnWidth(0, width / 10);
    for (int k = 1; k < 4; ++k)
        m_rows->setColumnWidth(k, width * 3 / 10);
    const bool metric = IsMetric();
    for (std::size_t i = 0; i < m_list.size(); ++i) {
        const AltColor& e = m_list[i];
        m_rows->addTopLevelItem(new QTreeWidgetItem(QStringList{
            QString::number(i + 1), QString::fromStdString(AltColorHexText(e.color)),
            QString::fromStdString(AltColorAltitudeText(e, metric)), QString::fromStdString(AltColorOperationText(e.kind))}));
    }
}

void CAltColorDlg::SelectRows(const std::vector<int>& rows)
{
    m_rows->clearSelection();
    for (int row : rows)
        if (QTreeWidgetItem* item = m_rows->topLevelItem(row))
            item->setSelected(true);
}

uint32_t CAltColorDlg::AddEntryForColor(uint32_t colour)
{
    m_addEntry.color = colour;
    if (m_addEntry.Edit() == 1) {
        m_list.push_back(m_addEntry);
        Refresh();
    }
    return m_addEntry.color;
}

void CAltColorDlg::OnLoad()
{
    std::string path;
    if (!ChooseFile(this, {false, "Load Color-Altitude File", kAcfFilter, "acf", ""}, path))
        return;
    if (m_list.LoadFromFile(path) < 0) {
        ShowMessage("Error loading file " + path);
        return;
    }
    Refresh();
}

void CAltColorDlg::OnSave()
{
    std::string path;
    if (!ChooseFile(this, {true, "Save Color-Altitude File", kAcfFilter, "acf", ""}, path))
        return;
    if (m_list.SaveToFile(path) < 0)
        ShowMessage("Error savinging file " + path);
}

void CAltColorDlg::OnAdd()
{
    m_addColour = AddEntryForColor(m_addColour);
}

void CAltColorDlg::OnPick()
{
    if (m_pick)
        m_pick();
}

void CAltColorDlg::OnEdit()
{
    int first = -1;
    for (QTreeWidgetItem* item : m_rows->selectedItems()) {
        const int row = m_rows->indexOfTopLevelItem(item);
        if (first < 0 || row < first)
            first = row;
    }
    if (first < 0 || first >= static_cast<int>(m_list.size()))
        return;
    AltColor copy = m_list[static_cast<std::size_t>(first)];
    if (copy.Edit() == 1) {
        m_list[static_cast<std::size_t>(first)] = copy;
        Refresh();
        SelectRows({first});
    }
}

void CAltColorDlg::OnDelete()
{
    std::vector<int> rows;
    for (QTreeWidgetItem* item : m_rows->selectedItems())
        rows.push_back(m_rows->indexOfTopLevelItem(item));
    if (rows.empty()) {
        ShowMessage("Please select an entry to delete");
        return;
    }
    std::sort(rows.rbegin(), rows.rend());
    for (int row : rows)
        if (row >= 0 && row < static_cast<int>(m_list.size()))
            m_list.erase(m_list.begin() + row);
    Refresh();
}

int CAltColorDlg::OnGenerate()
{
    CKVDoc* doc = m_document ? m_document() : nullptr;
    if (doc == nullptr)
        return -2;
    return GenerateFromOverlays(*doc, m_list);
}

void CAltColorDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Refresh();
}

void CAltColorDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

} // namespace kv
