#include "gui/exchange/CEditContourDlg.h"

#include "base/DisplayUnits.h"
#include "gui/controls/CPatchWnd.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

namespace kv {

namespace {

QString UnitText() { return IsMetric() ? QStringLiteral("meters") : QStringLiteral("feet"); }

// "Lowest:", "Highest:", "Interval:" with the unit after each.
void AddRangeRows(QGridLayout* grid, QWidget* parent, QLineEdit* lowest, QLineEdit* highest, QLineEdit* interval)
{
    AddRow(grid, new QLabel("Lowest:", parent), lowest, new QLabel(UnitText(), parent));
    AddRow(grid, new QLabel("Highest:", parent), highest, new QLabel(UnitText(), parent));
    AddRow(grid, new QLabel("Interval:", parent), interval, new QLabel(UnitText(), parent));
}

void ShowRange(const ContourRange& r, QLineEdit* lowest, QLineEdit* highest, QLineEdit* interval)
{
    lowest->setText(FloatText(r.lowest));
    highest->setText(FloatText(r.highest));
    interval->setText(FloatText(r.interval));
}

bool ReadRange(ContourRange& r, QLineEdit* lowest, QLineEdit* highest, QLineEdit* interval)
{
    DialogData data;
    ContourRange read;
    if (!data.Float(lowest, read.lowest) || !data.Float(highest, read.highest) || !data.Float(interval, read.interval))
        return false;
    r = read;
    return true;
}

} // namespace

// ------------------------------------------------------------------ attributes

ContourAttributes::ContourAttributes(QWidget* parent) : QWidget(parent)
{
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);

    auto* fillBox = new QGroupBox("Fill", this);
    auto* fillGrid = new QGridLayout(fillBox);
    filled = new QCheckBox("Filled", fillBox);
    fillMatch = new QCheckBox("&Match Altitude Color", fillBox);
    fillLabel = new QLabel("Fill Color", fillBox);
    fillPatch = new CPatchWnd(fillBox);
    fillGrid->addWidget(filled, 0, 0);
    fillGrid->addWidget(fillMatch, 0, 1, 1, 2);
    fillGrid->addWidget(fillLabel, 1, 1);
    fillGrid->addWidget(fillPatch, 1, 2);
    top->addWidget(fillBox);

    auto* labelBox = new QGroupBox("Label", this);
    auto* labelGrid = new QGridLayout(labelBox);
    showLabel = new QCheckBox("Show &Label", labelBox);
    positionLabel = new QLabel("Label &Position", labelBox);
    labelPosition = new QComboBox(labelBox);
    labelPosition->addItems({"Top", "Bottom"});
    positionLabel->setBuddy(labelPosition);
    labelGrid->addWidget(showLabel, 0, 0);
    labelGrid->addWidget(positionLabel, 0, 1);
    labelGrid->addWidget(labelPosition, 0, 2);
    top->addWidget(labelBox);

    auto* lineBox = new QGroupBox("Outline", this);
    auto* lineGrid = new QGridLayout(lineBox);
    outline = new QCheckBox("&Outline", lineBox);
    outlineMatch = new QCheckBox("&Match Altitude Color", lineBox);
    outlineLabel = new QLabel("Outline Color", lineBox);
    outlinePatch = new CPatchWnd(lineBox);
    thicknessLabel = new QLabel("Line Thickness", lineBox);
    thickness = new QSlider(Qt::Horizontal, lineBox);
    thickness->setRange(0, kMaxThickness);
    thicknessValue = new QLabel(lineBox);
    styleLabel = new QLabel("&Line Style", lineBox);
    lineStyle = new QComboBox(lineBox);
    lineStyle->addItems({"Dashed", "Solid"});
    styleLabel->setBuddy(lineStyle);
    lineGrid->addWidget(outline, 0, 0);
    lineGrid->addWidget(outlineMatch, 0, 1, 1, 2);
    lineGrid->addWidget(outlineLabel, 1, 1);
    lineGrid->addWidget(outlinePatch, 1, 2);
    lineGrid->addWidget(thicknessLabel, 2, 0);
    lineGrid->addWidget(thickness, 2, 1);
    lineGrid->addWidget(thicknessValue, 2, 2);
    lineGrid->addWidget(styleLabel, 3, 0);
    lineGrid->addWidget(lineStyle, 3, 1);
    top->addWidget(lineBox);

    for (QCheckBox* check : {filled, fillMatch, showLabel, outline, outlineMatch})
        connect(check, &QCheckBox::toggled, this, [this] { ApplyRules(); });
    connect(thickness, &QSlider::valueChanged, this,
            [this](int value) { thicknessValue->setText(QString::fromStdString(PenWidthLabel(value))); });
}

void ContourAttributes::Load(const ContourDef& d)
{
    filled->setChecked(d.fillOn != 0);
    fillMatch->setChecked(d.fillColorAuto != 0);
    fillPatch->SetColor(static_cast<uint32_t>(d.fillColor));
    showLabel->setChecked(d.labelOption1 != 0);
    labelPosition->setCurrentIndex(d.labelOption2 == 1 ? 1 : 0);
    outline->setChecked(d.lineOn != 0);
    outlineMatch->setChecked(d.lineColorAuto != 0);
    outlinePatch->SetColor(static_cast<uint32_t>(d.lineColor));
    thickness->setValue(d.penWidth);
    thicknessValue->setText(QString::fromStdString(PenWidthLabel(thickness->value())));
    lineStyle->setCurrentIndex(d.reserved1 == 1 ? 1 : 0);
    ApplyRules();
}

void ContourAttributes::Store(ContourDef& d) const
{
    d.fillOn = filled->isChecked() ? 1 : 0;
    d.fillColorAuto = fillMatch->isChecked() ? 1 : 0;
    d.fillColor = static_cast<int32_t>(fillPatch->Color());
    d.labelOption1 = showLabel->isChecked() ? 1 : 0;
    d.labelOption2 = labelPosition->currentIndex();
    d.lineOn = outline->isChecked() ? 1 : 0;
    d.lineColorAuto = outlineMatch->isChecked() ? 1 : 0;
    d.lineColor = static_cast<int32_t>(outlinePatch->Color());
    d.penWidth = thickness->value();
    d.reserved1 = lineStyle->currentIndex();
}

bool ContourAttributes::AnyAttribute() const
{
    return filled->isChecked() || outline->isChecked() || showLabel->isChecked();
}

void ContourAttributes::ApplyRules()
{
    const bool fill = filled->isChecked();
    fillMatch->setEnabled(fill);
    fillPatch->setEnabled(fill && !fillMatch->isChecked());
    fillLabel->setEnabled(fillPatch->isEnabled());
    const bool line = outline->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{outlineMatch, lineStyle, styleLabel, thickness, thicknessLabel,
                                                       thicknessValue})
        w->setEnabled(line);
    outlinePatch->setEnabled(line && !outlineMatch->isChecked());
    outlineLabel->setEnabled(outlinePatch->isEnabled());
    labelPosition->setEnabled(showLabel->isChecked());
    positionLabel->setEnabled(showLabel->isChecked());
}

// ------------------------------------------------------------------ one contour

CEditContourDlg::CEditContourDlg(const ContourDef& def, QWidget* parent)
    : QDialog(parent), m_def(def), m_attributes(new ContourAttributes(this))
{
    setWindowTitle("Edit Contour Settings");
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_attributes);
    top->addWidget(MakeButtons(this));
    m_attributes->Load(def);
}

void CEditContourDlg::accept()
{
    m_attributes->Store(m_def);
    QDialog::accept();
}

// ------------------------------------------------------------------ ranges

CExportAdvAddMultipleDlg::CExportAdvAddMultipleDlg(const ContourRange& r, const ContourDef& s, QWidget* parent)
    : QDialog(parent), range(r), style(s), m_lowest(new QLineEdit(this)), m_highest(new QLineEdit(this)),
      m_interval(new QLineEdit(this)), m_attributes(new ContourAttributes(this))
{
    setWindowTitle("Add Multiple Contours");
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    AddRangeRows(grid, this, m_lowest, m_highest, m_interval);
    top->addLayout(grid);
    top->addWidget(m_attributes);
    top->addWidget(MakeButtons(this));
    ShowRange(range, m_lowest, m_highest, m_interval);
    m_attributes->Load(style);
}

void CExportAdvAddMultipleDlg::accept()
{
    if (!ReadRange(range, m_lowest, m_highest, m_interval))
        return;
    m_attributes->Store(style);
    anyAttribute = m_attributes->AnyAttribute();
    QDialog::accept();
}

CExportAdvDeleteMultipleDlg::CExportAdvDeleteMultipleDlg(const ContourRange& r, QWidget* parent)
    : QDialog(parent), range(r), m_lowest(new QLineEdit(this)), m_highest(new QLineEdit(this)),
      m_interval(new QLineEdit(this))
{
    setWindowTitle("Remove Multiple Contours");
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    AddRangeRows(grid, this, m_lowest, m_highest, m_interval);
    top->addLayout(grid);
    top->addWidget(MakeButtons(this));
    ShowRange(range, m_lowest, m_highest, m_interval);
}

void CExportAdvDeleteMultipleDlg::accept()
{
    if (ReadRange(range, m_lowest, m_highest, m_interval))
        QDialog::accept();
}

int WindowContourStyleEditor::Edit(ContourDef& style)
{
    CEditContourDlg dialog(style);
    if (RunModal(dialog) != QDialog::Accepted)
        return kCancel;
    style.CopyStyle(dialog.Result());
    return kOk;
}

} // namespace kv
