#include "gui/dialogs/CGridSettingsDlg.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "gui/dialogs/FileChoice.h"
#include "view/GridListEdits.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

GridEntryEditor& EntryEditor()
{
    static GridEntryEditor editor;
    return editor;
}

// The folders of the last load and save, kept while the program runs.
std::string g_lastLoadPath;
std::string g_lastSavePath;

} // namespace

void SetGridEntryEditor(GridEntryEditor editor)
{
    EntryEditor() = std::move(editor);
}

CGridSettingsDlg::CGridSettingsDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Grid Settings");
    auto* top = new QVBoxLayout(this);
    auto* settings = new QGridLayout;
    top->addLayout(settings);
    m_endcap = new QLineEdit(this);
    m_level = new QSlider(Qt::Horizontal, this);
    m_level->setRange(2, 32);
    m_levelText = new QLabel(this);
    m_adaptive = new QCheckBox("Adaptive Grid Resolution", this);
    settings->addWidget(new QLabel("Latitude Polar Endcaps", this), 0, 0);
    settings->addWidget(m_endcap, 0, 1);
    settings->addWidget(new QLabel("Subdivision Level", this), 1, 0);
    settings->addWidget(m_level, 1, 1);
    settings->addWidget(m_levelText, 1, 2);
    settings->addWidget(m_adaptive, 2, 0, 1, 2);
    m_rows = new QTreeWidget(this);
    m_rows->setRootIsDecorated(false);
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->setSelectionMode(QAbstractItemView::ExtendedSelection);
    top->addWidget(m_rows, 1);
    top->addWidget(new QLabel("Grids are drawn from highest grid number to lowest grid number.", this));
    auto* buttons = new QGridLayout;
    top->addLayout(buttons);
    struct ButtonDef {
        const char* text;
        void (CGridSettingsDlg::*handler)();
    };
    const ButtonDef defs[] = {{"&Add", &CGridSettingsDlg::OnAdd},   {"&Edit", &CGridSettingsDlg::OnEdit},
                              {"&Delete", &CGridSettingsDlg::OnDelete}, {"&Load", &CGridSettingsDlg::OnLoad},
                              {"&Save", &CGridSettingsDlg::OnSave},  {"S&how", &CGridSettingsDlg::OnShow},
                              {"&Hide", &CGridSettingsDlg::OnHide},  {"&Up", &CGridSettingsDlg::OnUp},
                              {"&Down", &CGridSettingsDlg::OnDown}};
    int n = 0;
    for (const ButtonDef& def : defs) {
        auto* button = new QPushButton(def.text, this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, def.handler);
        buttons->addWidget(button, n / 5, n % 5);
        ++n;
    }
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    top->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, &CGridSettingsDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CGridSettingsDlg::reject);
    connect(m_level, &QSlider::valueChanged, this,
            [this](int value) { m_levelText->setText(QString("%1 Divisions").arg(value)); });
    connect(m_rows, &QTreeWidget::itemDoubleClicked, this, [this] { OnEdit(); });
}

void CGridSettingsDlg::LoadControls()
{
    m_endcap->setText(QLocale::c().toString(copy.polarEndcap, 'g', 15));
    m_adaptive->setChecked(copy.adaptive != 0);
    m_level->setValue(copy.subdivisionLevel);
    m_levelText->setText(QString("%1 Divisions").arg(m_level->value()));
    RefillList();
}

void CGridSettingsDlg::RefillList()
{
    m_rows->clear();
    m_rows->setColumnCount(11);
    m_rows->setHeaderLabels({"#", "Show", "Lat", "Lon", "Color", "Line", "Altitude", "Top", "Left", "Right", "Bottom"});
    const int widths[11] = {30, 40, 50, 50, 60, 40, 60, 50, 50, 50, 50};
    for (int k = 0; k < 11; ++k)
        m_rows->setColumnWidth(k, widths[k]);
    const bool metric = IsMetric();
    for (std::size_t i = 0; i < copy.grids.size(); ++i) {
        const GridRowTexts texts = GridRow(copy.grids[i], static_cast<int>(i), metric);
        QStringList columns;
        for (const std::string& t : texts)
            columns << QString::fromStdString(t);
        m_rows->addTopLevelItem(new QTreeWidgetItem(columns));
    }
}

std::vector<int> CGridSettingsDlg::SelectedRows() const
{
    std::vector<int> rows;
    for (QTreeWidgetItem* item : m_rows->selectedItems())
        rows.push_back(m_rows->indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CGridSettingsDlg::SelectRows(const std::vector<int>& rows)
{
    m_rows->clearSelection();
    for (int row : rows)
        if (QTreeWidgetItem* item = m_rows->topLevelItem(row))
            item->setSelected(true);
}

bool CGridSettingsDlg::StoreControls()
{
    bool ok = false;
    const double endcap = QLocale::c().toDouble(m_endcap->text().trimmed(), &ok);
    if (!ok || !std::isfinite(endcap) || endcap < 0.0 || endcap > 90.0) {
        ShowMessage("Please enter a number between 0 and 90.");
        m_endcap->setFocus();
        m_endcap->selectAll();
        return false;
    }
    copy.polarEndcap = endcap;
    copy.adaptive = m_adaptive->isChecked() ? 1 : 0;
    copy.subdivisionLevel = m_level->value();
    UpdateGridShown(copy);
    return true;
}

void CGridSettingsDlg::OnAdd()
{
    if (!EntryEditor())
        return;
    RectInfo grid;
    if (EntryEditor()(this, grid)) {
        copy.grids.push_back(grid);
        RefillList();
    }
}

void CGridSettingsDlg::OnEdit()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        ShowMessage("Please select a grid entry to edit");
        return;
    }
    if (!EntryEditor())
        return;
    RectInfo grid = copy.grids[static_cast<std::size_t>(rows.front())];
    if (EntryEditor()(this, grid)) {
        copy.grids[static_cast<std::size_t>(rows.front())] = grid;
        RefillList();
    }
}

void CGridSettingsDlg::OnDelete()
{
    if (DeleteFirstSelectedGrid(copy, SelectedRows()))
        RefillList();
}

void CGridSettingsDlg::OnUp()
{
    int row = -1;
    if (MoveFirstSelectedGrid(copy, SelectedRows(), -1, row)) {
        RefillList();
        SelectRows({row});
    }
}

void CGridSettingsDlg::OnDown()
{
    int row = -1;
    if (MoveFirstSelectedGrid(copy, SelectedRows(), +1, row)) {
        RefillList();
        SelectRows({row});
    }
}

void CGridSettingsDlg::OnShow()
{
    const std::vector<int> rows = SelectedRows();
    if (ShowSelectedGrids(copy, rows, true)) {
        RefillList();
        SelectRows(rows);
    }
}

void CGridSettingsDlg::OnHide()
{
    const std::vector<int> rows = SelectedRows();
    if (ShowSelectedGrids(copy, rows, false)) {
        RefillList();
        SelectRows(rows);
    }
}

void CGridSettingsDlg::OnLoad()
{
    std::string path;
    if (!ChooseFile(this, {false, "Load Grid Definition File", "Grid Definition Files (*.grd)|*.grd| All Files (*.*)|*.*||",
                           "grd", g_lastLoadPath},
                    path))
        return;
    g_lastLoadPath = path;
    CRectGrid loaded;
    const int result = loaded.Load(path);
    if (result != 0) {
        ShowMessage("Error " + std::to_string(result) + " reading file \"" + path + "\"");
        return;
    }
    copy = loaded;
    LoadControls();
}

void CGridSettingsDlg::OnSave()
{
    std::string path;
    if (!ChooseFile(this, {true, "Save Grid Definition File", "Grid Definition Files (*.grd)|*.grd|All Files (*.*)|*.*||",
                           "grd", g_lastSavePath},
                    path))
        return;
    g_lastSavePath = path;
    if (copy.Save(path) != 0)
        ShowMessage("Error Writing File \"" + path + "\"");
}

void CGridSettingsDlg::accept()
{
    if (StoreControls())
        QDialog::accept();
}

int CGridSettingsDlg::exec()
{
    LoadControls();
    return QDialog::exec();
}

} // namespace kv
