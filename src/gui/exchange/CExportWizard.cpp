#include "gui/exchange/CExportWizard.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "gui/controls/CPatchWnd.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"
#include "gui/dialogs/FileChoice.h"
#include "gui/exchange/CEditPW2GridDlg.h"
#include "gui/exchange/ExchangeDialogParts.h"
#include "view/GridListEdits.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kv {

namespace {

// The values a definition does not hold: outline colour, line style, compass rose and the
// bitmap background stay as the last Finish left them while the program runs.
struct RunValues {
    uint32_t outlineColour = 0;
    int lineStyle = 1;
    bool compassRose = false;
    bool bitmapBackground = false;
};
RunValues g_run;

// The grid page's last file names, kept while the program runs.
std::string g_lastGridLoad;
std::string g_lastGridSave;

QString Text(const std::string& s) { return QString::fromStdString(s); }
QString YesNo(int32_t value) { return value != 0 ? QStringLiteral("Yes") : QStringLiteral("No"); }

QPushButton* Button(QWidget* parent, const char* text)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

QTreeWidget* ReportList(QWidget* parent, const QStringList& headings)
{
    auto* list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setColumnCount(static_cast<int>(headings.size()));
    list->setHeaderLabels(headings);
    return list;
}

std::vector<int> SelectedRowsOf(const QTreeWidget* list)
{
    std::vector<int> rows;
    for (QTreeWidgetItem* item : list->selectedItems())
        rows.push_back(list->indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SelectRowsOf(QTreeWidget* list, const std::vector<int>& rows)
{
    list->clearSelection();
    for (int row : rows)
        if (QTreeWidgetItem* item = list->topLevelItem(row))
            item->setSelected(true);
}

// The Basic page's preview: five areas of a small island, filled and outlined as the page's
// settings would draw them, the third one's edge standing for the coast.
class ContourPreview : public QWidget {
public:
    explicit ContourPreview(CExportPageSimple& page, QWidget* parent) : QWidget(parent), m_page(page)
    {
        setMinimumSize(140, 100);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        static const QPointF kAreas[5][6] = {
            {{0.02, 0.05}, {0.98, 0.05}, {0.98, 0.95}, {0.02, 0.95}, {0.02, 0.5}, {0.02, 0.05}},
            {{0.10, 0.15}, {0.88, 0.12}, {0.92, 0.85}, {0.50, 0.90}, {0.08, 0.80}, {0.10, 0.15}},
            {{0.20, 0.25}, {0.78, 0.22}, {0.84, 0.75}, {0.50, 0.80}, {0.16, 0.70}, {0.20, 0.25}},
            {{0.30, 0.35}, {0.68, 0.32}, {0.72, 0.65}, {0.50, 0.70}, {0.28, 0.60}, {0.30, 0.35}},
            {{0.40, 0.43}, {0.58, 0.42}, {0.60, 0.56}, {0.50, 0.60}, {0.40, 0.55}, {0.40, 0.43}},
        };
        static const uint32_t kFills[5] = {0xC08040, 0x60C060, 0x40A0C0, 0x3070A0, 0xF0F0F0};
        constexpr uint32_t kSeaEdge = 0x800000;
        QPainter p(this);
        const double w = width() - 1, h = height() - 1;
        p.fillRect(rect(), Qt::white);
        for (int k = 0; k < 5; ++k) {
            QPolygonF area;
            for (const QPointF& pt : kAreas[k])
                area << QPointF(pt.x() * w, pt.y() * h);
            p.setBrush(m_page.filled->isChecked() ? ToQColor(kFills[k]) : QColor(Qt::white));
            if (m_page.outline->isChecked()) {
                QPen pen(ToQColor(k == 0 ? kSeaEdge : m_page.outlineColour->Color()));
                pen.setStyle(m_page.lineStyle->currentIndex() == 0 ? Qt::DashLine : Qt::SolidLine);
                p.setPen(pen);
            } else {
                p.setPen(Qt::NoPen);
            }
            p.drawPolygon(area);
            if (k == 2 && m_page.coast->isChecked()) {
                p.setBrush(Qt::NoBrush);
                p.setPen(QPen(ToQColor(m_page.coastColour->Color()), 2));
                p.drawPolygon(area);
            }
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(Qt::black);
        p.drawRect(QRectF(0, 0, w, h));
    }

private:
    CExportPageSimple& m_page;
};

} // namespace

// ------------------------------------------------------------------ Introduction

CExportPageIntro::CExportPageIntro(ExportWizardRecord& record, QWidget* parent) : CExportPage(record, parent)
{
    auto* top = new QVBoxLayout(this);
    top->addWidget(new QLabel("Contour sets to export:", this));
    climate = new QCheckBox("Climate Contours", this);
    altitude = new QCheckBox("Altitude Contours", this);
    rainfall = new QCheckBox("Rainfall Contours", this);
    temperature = new QCheckBox("Temperature Contours", this);
    for (QCheckBox* c : {climate, altitude, rainfall, temperature})
        top->addWidget(c);
    basic = new QRadioButton("&Basic", this);
    advanced = new QRadioButton("&Advanced", this);
    auto* modes = new QButtonGroup(this);
    modes->addButton(basic);
    modes->addButton(advanced);
    explanation = new QLabel("Basic draws altitude contours at a fixed interval; Advanced draws an explicit list of "
                             "contours, each with its own fill, outline and label.",
                             this);
    explanation->setWordWrap(true);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(basic);
    modeRow->addWidget(advanced);
    top->addLayout(modeRow);
    top->addWidget(explanation);
    useCustom = new QCheckBox("Use Custom PW2 File", this);
    top->addWidget(useCustom);
    auto* fileRow = new QHBoxLayout;
    templateLabel = new QLabel("Template:", this);
    templateName = new QLineEdit(this);
    browse = Button(this, "...");
    fileRow->addWidget(templateLabel);
    fileRow->addWidget(templateName, 1);
    fileRow->addWidget(browse);
    top->addLayout(fileRow);
    top->addStretch(1);
    connect(altitude, &QCheckBox::toggled, this, [this] { ApplyRules(); });
    connect(useCustom, &QCheckBox::toggled, this, [this] { ApplyRules(); });
    connect(browse, &QPushButton::clicked, this, [this] {
        std::string path;
        if (ChooseFile(this,
                       {false, "Select PW2 File for Template", "PW2 Files (*.fcw)|*.fcw|All Files (*.*)|*.*||", "fcw",
                        templateName->text().toStdString()},
                       path))
            templateName->setText(Text(path));
    });
}

void CExportPageIntro::Load()
{
    const ExportWizardRecord& r = m_record;
    climate->setChecked(r.climate);
    altitude->setChecked(r.altitude);
    rainfall->setChecked(r.rainfall);
    temperature->setChecked(r.temperature);
    useCustom->setChecked(r.useCustom);
    templateName->setText(Text(r.templateName));
    (r.basic ? basic : advanced)->setChecked(true);
    ApplyRules();
}

bool CExportPageIntro::Store()
{
    ExportWizardRecord& r = m_record;
    r.climate = climate->isChecked();
    r.altitude = altitude->isChecked();
    r.rainfall = rainfall->isChecked();
    r.temperature = temperature->isChecked();
    r.useCustom = useCustom->isChecked();
    r.templateName = templateName->text().toStdString();
    r.basic = basic->isChecked();
    return true;
}

void CExportPageIntro::ApplyRules()
{
    const bool contours = altitude->isChecked();
    basic->setEnabled(contours);
    advanced->setEnabled(contours);
    explanation->setEnabled(contours);
    const bool custom = useCustom->isChecked();
    templateLabel->setEnabled(custom);
    templateName->setEnabled(custom);
    browse->setEnabled(custom);
}

// ------------------------------------------------------------------ Advanced Contour Settings

CExportPageAdvanced::CExportPageAdvanced(ExportWizardRecord& record, QWidget* parent) : CExportPage(record, parent)
{
    auto* top = new QVBoxLayout(this);
    list = ReportList(this, {"Altitude", "Filled", "Match Fill", "Outline", "Match Outline", "Label"});
    top->addWidget(list, 1);
    auto* buttons = new QHBoxLayout;
    QPushButton* edit = Button(this, "&Edit Selected");
    QPushButton* remove = Button(this, "&Delete Selected");
    QPushButton* add = Button(this, "&Add Multiple");
    QPushButton* removeMany = Button(this, "&Remove Multiple");
    for (QPushButton* b : {edit, remove, add, removeMany})
        buttons->addWidget(b);
    top->addLayout(buttons);
    connect(edit, &QPushButton::clicked, this, &CExportPageAdvanced::OnEditSelected);
    connect(list, &QTreeWidget::itemDoubleClicked, this, &CExportPageAdvanced::OnEditSelected);
    connect(remove, &QPushButton::clicked, this, &CExportPageAdvanced::OnDeleteSelected);
    connect(add, &QPushButton::clicked, this, &CExportPageAdvanced::OnAddMultiple);
    connect(removeMany, &QPushButton::clicked, this, &CExportPageAdvanced::OnRemoveMultiple);
    addStyle.fillOn = 1;
    addStyle.fillColorAuto = 1;
}

void CExportPageAdvanced::Load() { Refill({}); }

std::vector<int> CExportPageAdvanced::SelectedRows() const { return SelectedRowsOf(list); }
void CExportPageAdvanced::SelectRows(const std::vector<int>& rows) { SelectRowsOf(list, rows); }

void CExportPageAdvanced::Refill(const std::set<const ContourDef*>& selected)
{
    list->clear();
    const ContourList& contours = m_record.contours;
    for (int i = 0; i < contours.Count(); ++i) {
        const ContourDef& d = *contours.At(i);
        char altitude[64];
        std::snprintf(altitude, sizeof altitude, "%0.0f", d.altitude);
        auto* item = new QTreeWidgetItem(QStringList{altitude, YesNo(d.fillOn), YesNo(d.fillColorAuto), YesNo(d.lineOn),
                                                     YesNo(d.lineColorAuto), YesNo(d.labelOption1)});
        list->addTopLevelItem(item);
        item->setSelected(selected.count(&d) != 0);
    }
}

void CExportPageAdvanced::OnEditSelected()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    ContourList& contours = m_record.contours;
    ContourDef* first = contours.At(rows.front());
    if (first->Edit() != ContourStyleEditor::kOk)
        return;
    std::set<const ContourDef*> selected;
    for (int row : rows) {
        contours.At(row)->CopyStyle(*first);
        selected.insert(contours.At(row));
    }
    Refill(selected);
}

void CExportPageAdvanced::OnDeleteSelected()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    ContourList& contours = m_record.contours;
    ContourList kept;
    for (int i = 0; i < contours.Count(); ++i)
        if (!std::binary_search(rows.begin(), rows.end(), i))
            kept.Append(*contours.At(i));
    contours = std::move(kept);
    Refill({});
}

void CExportPageAdvanced::OnAddMultiple()
{
    CExportAdvAddMultipleDlg dialog(addRange, addStyle, this);
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    addRange = dialog.range;
    addStyle = dialog.style;
    std::set<const ContourDef*> selected;
    for (int row : SelectedRows())
        selected.insert(m_record.contours.At(row));
    AddMultipleContours(m_record.contours, addRange.lowest, addRange.highest, addRange.interval, addStyle,
                        dialog.anyAttribute);
    Refill(selected);
}

void CExportPageAdvanced::OnRemoveMultiple()
{
    CExportAdvDeleteMultipleDlg dialog(removeRange, this);
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    removeRange = dialog.range;
    RemoveMultipleContours(m_record.contours, removeRange.lowest, removeRange.highest, removeRange.interval);
    Refill({});
}

// ------------------------------------------------------------------ Basic Contour Settings

CExportPageSimple::CExportPageSimple(ExportWizardRecord& record, QWidget* parent) : CExportPage(record, parent)
{
    auto* top = new QHBoxLayout(this);
    auto* controls = new QGridLayout;
    filled = new QCheckBox("Draw Filled Colors", this);
    outline = new QCheckBox("Draw Contour Outline", this);
    coast = new QCheckBox("Draw Coast Outline", this);
    lineStyle = new QComboBox(this);
    lineStyle->addItems({"Dashed", "Solid"});
    outlineColour = new CPatchWnd(this);
    coastColour = new CPatchWnd(this);
    interval = new QLineEdit(this);
    unit = new QLabel(this);
    count = new QLineEdit(this);
    count->setReadOnly(true);
    controls->addWidget(filled, 0, 0, 1, 3);
    controls->addWidget(outline, 1, 0, 1, 2);
    controls->addWidget(outlineColour, 1, 2);
    controls->addWidget(coast, 2, 0, 1, 2);
    controls->addWidget(coastColour, 2, 2);
    AddRow(controls, new QLabel("Line Style:", this), lineStyle);
    AddRow(controls, new QLabel("Contour Interval:", this), interval, unit);
    controls->addWidget(count, controls->rowCount(), 0, 1, 3);
    top->addLayout(controls);
    preview = new ContourPreview(*this, this);
    top->addWidget(preview, 1);
    auto redraw = [this] { preview->update(); };
    for (QCheckBox* c : {filled, outline, coast})
        connect(c, &QCheckBox::toggled, this, redraw);
    connect(lineStyle, &QComboBox::currentIndexChanged, this, redraw);
    connect(outlineColour, &CPatchWnd::colorChosen, this, redraw);
    connect(coastColour, &CPatchWnd::colorChosen, this, redraw);
    connect(interval, &QLineEdit::textChanged, this, &CExportPageSimple::OnIntervalChanged);
}

void CExportPageSimple::Load()
{
    const ExportWizardRecord& r = m_record;
    filled->setChecked(r.drawFilled);
    outline->setChecked(r.drawOutline);
    coast->setChecked(r.drawCoast);
    lineStyle->setCurrentIndex(r.lineStyle == 0 ? 0 : 1);
    outlineColour->SetColor(r.outlineColour);
    coastColour->SetColor(r.coastColour);
    unit->setText(IsMetric() ? "meters" : "feet");
    char text[64];
    std::snprintf(text, sizeof text, "%0.0f", static_cast<double>(r.interval));
    // Showing the rounded text does not change the interval.
    interval->blockSignals(true);
    interval->setText(text);
    interval->blockSignals(false);
    count->setText(Text(ContourCountLine(r.interval, !IsMetric(), lowest, highest)));
    preview->update();
}

void CExportPageSimple::OnIntervalChanged(const QString& text)
{
    double value = 0.0;
    if (!ScanDouble(text, value)) {
        count->clear();
        return;
    }
    m_record.interval = static_cast<float>(value);
    count->setText(Text(ContourCountLine(m_record.interval, !IsMetric(), lowest, highest)));
    preview->update();
}

bool CExportPageSimple::Store()
{
    ExportWizardRecord& r = m_record;
    r.drawFilled = filled->isChecked();
    r.drawOutline = outline->isChecked();
    r.drawCoast = coast->isChecked();
    r.lineStyle = lineStyle->currentIndex();
    r.outlineColour = outlineColour->Color();
    r.coastColour = coastColour->Color();
    return true;
}

// ------------------------------------------------------------------ Detail Level

CExportPageDetail::CExportPageDetail(ExportWizardRecord& record, QWidget* parent) : CExportPage(record, parent)
{
    auto* top = new QGridLayout(this);
    detail = new QSlider(Qt::Horizontal, this);
    detail->setRange(1, 8);
    detailText = new QLabel(this);
    multipoly = new QCheckBox("&Multipoly Each Contour Level", this);
    separateOutlines = new QCheckBox("&Outlines as Separate Entities", this);
    relativeToWater = new QCheckBox("&Altitude Relative to Water Level", this);
    smoothing = new QLineEdit(this);
    AddRow(top, new QLabel("Detail Level:", this), detail, detailText);
    top->addWidget(multipoly, top->rowCount(), 0, 1, 3);
    top->addWidget(separateOutlines, top->rowCount(), 0, 1, 3);
    top->addWidget(relativeToWater, top->rowCount(), 0, 1, 3);
    AddRow(top, new QLabel("Altitude smoothing below sea level:", this), smoothing);
    top->setRowStretch(top->rowCount(), 1);
    connect(detail, &QSlider::valueChanged, this, [this](int v) { detailText->setText(QString::number(v * 128)); });
}

void CExportPageDetail::Load()
{
    const ExportWizardRecord& r = m_record;
    detail->setValue(r.detail);
    detailText->setText(QString::number(detail->value() * 128));
    multipoly->setChecked(r.multipoly);
    separateOutlines->setChecked(r.separateOutlines);
    relativeToWater->setChecked(r.relativeToWater);
    smoothing->setText(FloatText(r.seaSmoothing));
}

bool CExportPageDetail::Store()
{
    DialogData data;
    float smooth = 0.0f;
    if (!data.Float(smoothing, smooth))
        return false;
    ExportWizardRecord& r = m_record;
    r.detail = detail->value();
    r.multipoly = multipoly->isChecked();
    r.separateOutlines = separateOutlines->isChecked();
    r.relativeToWater = relativeToWater->isChecked();
    r.seaSmoothing = smooth;
    return true;
}

// ------------------------------------------------------------------ Other Items

CExportPageFrills::CExportPageFrills(ExportWizardRecord& record, QWidget* parent) : CExportPage(record, parent)
{
    auto* top = new QGridLayout(this);
    contourBar = new QCheckBox("Contour Bar", this);
    bitmapBackground = new QCheckBox("Bitmap Background", this);
    border = new QCheckBox("Border", this);
    compassRose = new QCheckBox("Compass Rose", this);
    mapTitle = new QCheckBox("Map Title", this);
    titleText = new QLineEdit(this);
    rectangularGrid = new QCheckBox("Rectangular Grid", this);
    scaleBar = new QCheckBox("Scale Bar", this);
    layerButtons = new QCheckBox("Layer Switch Buttons", this);
    tightBorder = new QCheckBox("Fit border tightly to map", this);
    top->addWidget(contourBar, 0, 0);
    top->addWidget(scaleBar, 0, 1);
    top->addWidget(bitmapBackground, 1, 0);
    top->addWidget(rectangularGrid, 1, 1);
    top->addWidget(border, 2, 0);
    top->addWidget(tightBorder, 2, 1);
    top->addWidget(compassRose, 3, 0);
    top->addWidget(layerButtons, 3, 1);
    top->addWidget(mapTitle, 4, 0);
    top->addWidget(titleText, 4, 1);
    top->setRowStretch(5, 1);
    connect(border, &QCheckBox::toggled, tightBorder, &QWidget::setEnabled);
    for (QCheckBox* c : {bitmapBackground, rectangularGrid})
        connect(c, &QCheckBox::toggled, this, [this] {
            if (loading)
                return;
            m_record.bitmapBackground = bitmapBackground->isChecked();
            m_record.rectangularGrid = rectangularGrid->isChecked();
            emit buttonsChanged();
        });
}

void CExportPageFrills::Load()
{
    const ExportWizardRecord& r = m_record;
    loading = true;
    contourBar->setChecked(r.contourBar);
    bitmapBackground->setChecked(r.bitmapBackground);
    border->setChecked(r.border);
    compassRose->setChecked(r.compassRose);
    mapTitle->setChecked(r.mapTitle);
    titleText->setText(Text(r.titleText));
    rectangularGrid->setChecked(r.rectangularGrid);
    scaleBar->setChecked(r.scaleBar);
    layerButtons->setChecked(r.layerButtons);
    tightBorder->setChecked(r.tightBorder);
    tightBorder->setEnabled(r.border);
    loading = false;
}

bool CExportPageFrills::Store()
{
    ExportWizardRecord& r = m_record;
    r.contourBar = contourBar->isChecked();
    r.bitmapBackground = bitmapBackground->isChecked();
    r.border = border->isChecked();
    r.compassRose = compassRose->isChecked();
    r.mapTitle = mapTitle->isChecked();
    r.titleText = titleText->text().toStdString();
    r.rectangularGrid = rectangularGrid->isChecked();
    r.scaleBar = scaleBar->isChecked();
    r.layerButtons = layerButtons->isChecked();
    r.tightBorder = tightBorder->isChecked();
    return true;
}

// ------------------------------------------------------------------ Bitmap Background Settings

CExportPageBitmap::CExportPageBitmap(ExportWizardRecord& record, QWidget* parent) : CExportPage(record, parent)
{
    auto* top = new QVBoxLayout(this);
    auto* text = new QLabel("The bitmap background takes no settings of its own.", this);
    text->setWordWrap(true);
    top->addWidget(text);
    top->addStretch(1);
}

// ------------------------------------------------------------------ Grid Settings

CExportPageGrid::CExportPageGrid(ExportWizardRecord& record, QWidget* parent) : CExportPage(record, parent)
{
    auto* top = new QVBoxLayout(this);
    list = ReportList(this, {"#", "Show", "Lat", "Lon", "Color", "Line", "Altitude", "Top", "Left", "Right", "Bottom"});
    top->addWidget(list, 1);
    top->addWidget(new QLabel("Grids are drawn from highest grid number to lowest grid number.", this));
    auto* buttons = new QHBoxLayout;
    QPushButton* add = Button(this, "&Add");
    QPushButton* edit = Button(this, "&Edit");
    QPushButton* remove = Button(this, "&Delete");
    QPushButton* up = Button(this, "Move &Up");
    QPushButton* down = Button(this, "Move &Down");
    QPushButton* load = Button(this, "&Load");
    QPushButton* save = Button(this, "&Save");
    for (QPushButton* b : {add, edit, remove, up, down, load, save})
        buttons->addWidget(b);
    top->addLayout(buttons);
    auto* settings = new QGridLayout;
    endcap = new QLineEdit(this);
    level = new QSlider(Qt::Horizontal, this);
    level->setRange(2, 32);
    levelText = new QLabel(this);
    adaptive = new QCheckBox("Adaptive Grid Resolution", this);
    AddRow(settings, new QLabel("Latitude Polar Endcaps:", this), endcap, new QLabel("degrees", this));
    AddRow(settings, new QLabel("Subdivision Level:", this), level, levelText);
    settings->addWidget(adaptive, settings->rowCount(), 0, 1, 3);
    top->addLayout(settings);
    connect(add, &QPushButton::clicked, this, &CExportPageGrid::OnAdd);
    connect(edit, &QPushButton::clicked, this, &CExportPageGrid::OnEdit);
    connect(list, &QTreeWidget::itemDoubleClicked, this, &CExportPageGrid::OnEdit);
    connect(remove, &QPushButton::clicked, this, &CExportPageGrid::OnDelete);
    connect(up, &QPushButton::clicked, this, [this] { OnMove(-1); });
    connect(down, &QPushButton::clicked, this, [this] { OnMove(+1); });
    connect(load, &QPushButton::clicked, this, &CExportPageGrid::OnLoad);
    connect(save, &QPushButton::clicked, this, &CExportPageGrid::OnSave);
    connect(level, &QSlider::valueChanged, this, [this](int v) { levelText->setText(QString("%1 Divisions").arg(v)); });
}

void CExportPageGrid::Load()
{
    const CRectGrid& g = m_record.grid;
    ShowNumber(endcap, g.polarEndcap);
    level->setValue(g.subdivisionLevel);
    levelText->setText(QString("%1 Divisions").arg(level->value()));
    adaptive->setChecked(g.adaptive != 0);
    Refill();
}

bool CExportPageGrid::Store()
{
    DialogData data;
    double cap = 0.0;
    if (!data.Double(endcap, cap, 0.0, 90.0))
        return false;
    CRectGrid& g = m_record.grid;
    g.polarEndcap = cap;
    g.subdivisionLevel = level->value();
    g.adaptive = adaptive->isChecked() ? 1 : 0;
    UpdateGridShown(g);
    return true;
}

std::vector<int> CExportPageGrid::SelectedRows() const { return SelectedRowsOf(list); }
void CExportPageGrid::SelectRows(const std::vector<int>& rows) { SelectRowsOf(list, rows); }

void CExportPageGrid::Refill()
{
    list->clear();
    const bool metric = IsMetric();
    const std::vector<RectInfo>& grids = m_record.grid.grids;
    for (std::size_t i = 0; i < grids.size(); ++i) {
        QStringList columns;
        for (const std::string& t : GridRow(grids[i], static_cast<int>(i), metric))
            columns << Text(t);
        list->addTopLevelItem(new QTreeWidgetItem(columns));
    }
}

void CExportPageGrid::OnAdd()
{
    RectInfo entry;
    if (!EditGridEntry(this, entry))
        return;
    m_record.grid.grids.push_back(entry);
    Refill();
}

void CExportPageGrid::OnEdit()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        ShowMessage("Please select a grid entry to edit");
        return;
    }
    RectInfo& entry = m_record.grid.grids[static_cast<std::size_t>(rows.front())];
    RectInfo edited = entry;
    if (!EditGridEntry(this, edited))
        return;
    entry = edited;
    Refill();
    SelectRows({rows.front()});
}

void CExportPageGrid::OnDelete()
{
    if (DeleteFirstSelectedGrid(m_record.grid, SelectedRows()))
        Refill();
}

void CExportPageGrid::OnMove(int direction)
{
    int row = -1;
    if (MoveFirstSelectedGrid(m_record.grid, SelectedRows(), direction, row)) {
        Refill();
        SelectRows({row});
    }
}

void CExportPageGrid::OnLoad()
{
    std::string path;
    if (!ChooseFile(this,
                    {false, "Load Grid Definition File", "Grid Definition Files (*.grd)|*.grd| All Files (*.*)|*.*||",
                     "grd", g_lastGridLoad},
                    path))
        return;
    g_lastGridLoad = path;
    // Read into a scratch grid: a file that fails leaves the page's grid as it was.
    CRectGrid loaded;
    const int result = loaded.Load(path);
    if (result != 0) {
        char text[64];
        std::snprintf(text, sizeof text, "Error %d reading file ", result);
        ShowMessage(text + ("\"" + path + "\""));
        return;
    }
    m_record.grid = loaded;
    Load();
}

void CExportPageGrid::OnSave()
{
    std::string path;
    if (!ChooseFile(this,
                    {true, "Save Grid Definition File", "Grid Definition Files (*.grd)|*.grd| All Files (*.*)|*.*||",
                     "grd", g_lastGridSave},
                    path))
        return;
    g_lastGridSave = path;
    // The file holds the page's current settings.
    CRectGrid current = m_record.grid;
    double cap = 0.0;
    if (ScanDouble(endcap->text(), cap) && std::isfinite(cap) && cap >= 0.0 && cap <= 90.0)
        current.polarEndcap = cap;
    current.subdivisionLevel = level->value();
    current.adaptive = adaptive->isChecked() ? 1 : 0;
    if (current.Save(path) != 0)
        ShowMessage("Error Writing File \"" + path + "\"");
}

// ------------------------------------------------------------------ the wizard

CExportWizard::CExportWizard(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("PW2 Export Wizard");
    auto* top = new QVBoxLayout(this);
    m_title = new QLabel(this);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    top->addWidget(m_title);
    m_stack = new QStackedWidget(this);
    intro = new CExportPageIntro(m_record, m_stack);
    advanced = new CExportPageAdvanced(m_record, m_stack);
    simple = new CExportPageSimple(m_record, m_stack);
    detail = new CExportPageDetail(m_record, m_stack);
    frills = new CExportPageFrills(m_record, m_stack);
    bitmap = new CExportPageBitmap(m_record, m_stack);
    grid = new CExportPageGrid(m_record, m_stack);
    for (int p = 0; p < kWizardPages; ++p)
        m_stack->addWidget(Page(p));
    top->addWidget(m_stack, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_back = new QPushButton("< &Back", this);
    m_next = new QPushButton("&Next >", this);
    m_finish = new QPushButton("Finish", this);
    m_cancel = new QPushButton("Cancel", this);
    for (QPushButton* b : {m_back, m_next, m_finish, m_cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    top->addLayout(buttons);
    connect(m_back, &QPushButton::clicked, this, &CExportWizard::OnBack);
    connect(m_next, &QPushButton::clicked, this, &CExportWizard::OnNext);
    connect(m_finish, &QPushButton::clicked, this, &CExportWizard::OnFinish);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(frills, &CExportPageFrills::buttonsChanged, this, &CExportWizard::UpdateButtons);
    ShowPage(kPageIntro);
}

CExportPage* CExportWizard::Page(int page) const
{
    CExportPage* pages[kWizardPages] = {intro, advanced, simple, detail, frills, bitmap, grid};
    return page >= 0 && page < kWizardPages ? pages[page] : nullptr;
}

void CExportWizard::Load(const PW2Output& d)
{
    m_record.FromDefinition(d);
    m_record.outlineColour = g_run.outlineColour;
    m_record.lineStyle = g_run.lineStyle;
    m_record.compassRose = g_run.compassRose;
    m_record.bitmapBackground = g_run.bitmapBackground;
    simple->lowest = d.altMin;
    simple->highest = d.altMax;
    ShowPage(kPageIntro);
}

void CExportWizard::Store(PW2Output& d) const { m_record.ToDefinition(d); }

QString CExportWizard::CurrentTitle() const { return QString::fromUtf8(WizardPageTitle(m_page)); }

void CExportWizard::ShowPage(int page)
{
    m_page = page;
    Page(page)->Load();
    m_stack->setCurrentIndex(page);
    m_title->setText(CurrentTitle());
    UpdateButtons();
}

void CExportWizard::UpdateButtons()
{
    const WizardButtons b = WizardButtonsOf(m_page, m_record);
    m_back->setEnabled(b.back);
    m_next->setEnabled(b.next);
    m_next->setVisible(b.next || !b.finish);
    m_finish->setVisible(b.finish);
    (b.finish ? m_finish : m_next)->setDefault(true);
}

void CExportWizard::OnNext()
{
    if (!WizardButtonsOf(m_page, m_record).next || !Page(m_page)->Store())
        return;
    std::string message;
    const int next = WizardNext(m_page, m_record, message);
    if (!message.empty())
        ShowMessage(message);
    if (next != kStayOnPage)
        ShowPage(next);
}

void CExportWizard::OnBack()
{
    if (!WizardButtonsOf(m_page, m_record).back || !Page(m_page)->Store())
        return;
    std::string message;
    const int back = WizardBack(m_page, m_record, message);
    if (!message.empty())
        ShowMessage(message);
    if (back != kStayOnPage)
        ShowPage(back);
}

void CExportWizard::OnFinish()
{
    if (!WizardButtonsOf(m_page, m_record).finish || !Page(m_page)->Store())
        return;
    g_run.outlineColour = m_record.outlineColour;
    g_run.lineStyle = m_record.lineStyle;
    g_run.compassRose = m_record.compassRose;
    g_run.bitmapBackground = m_record.bitmapBackground;
    accept();
}

int WindowExportWizard::Run(PW2Output& settings)
{
    CExportWizard wizard;
    wizard.Load(settings);
    if (RunModal(wizard) != QDialog::Accepted)
        return kCancelled;
    wizard.Store(settings);
    return kFinished;
}

} // namespace kv
