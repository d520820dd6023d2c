#include "gui/tools/CToolSettingsDlg.h"

#include "base/MessageService.h"
#include "gui/tools/PanelNumbers.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace kv {

namespace {

QLabel* UnitLabel(QWidget* parent, int id, const char* text)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::number(id));
    return label;
}

QWidget* WithUnit(QWidget* parent, QLineEdit* edit, QLabel* unit)
{
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(edit);
    if (unit)
        row->addWidget(unit);
    return box;
}

} // namespace

CToolSettingsDlg::CToolSettingsDlg(const ToolSettingsValues& values, bool metric, QWidget* parent)
    : QDialog(parent), m_values(values), m_metric(metric)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("Tool Settings"));
    m_temperature = MakePanelEdit(this, 5523);
    m_offset = MakePanelEdit(this, 5417);
    m_prescale = MakePanelEdit(this, 5566);
    m_rainfall = MakePanelEdit(this, 5443);
    m_roughness = MakePanelEdit(this, 5479);
    m_lg = MakePanelEdit(this, 5510);
    m_sm = MakePanelEdit(this, 5511);
    m_xl = MakePanelEdit(this, 5513);
    m_xs = MakePanelEdit(this, 5514);
    m_crater = MakePanelEdit(this, 5515);
    m_water = MakePanelEdit(this, 5563);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Temperature raise/lower:"),
                 WithUnit(this, m_temperature, UnitLabel(this, 5525, metric ? "C" : "F")));
    form->addRow(QStringLiteral("Offset raise/lower/value:"),
                 WithUnit(this, m_offset, UnitLabel(this, 5416, metric ? "m" : "ft")));
    form->addRow(QStringLiteral("Prescale raise/lower/value:"), m_prescale);
    form->addRow(QStringLiteral("Rainfall raise/lower:"),
                 WithUnit(this, m_rainfall, UnitLabel(this, 5446, metric ? "cm/yr" : "in/yr")));
    form->addRow(QStringLiteral("Roughen/smooth:"), m_roughness);
    form->addRow(QStringLiteral("XL brush size:"), m_xl);
    form->addRow(QStringLiteral("LG brush size:"), m_lg);
    form->addRow(QStringLiteral("SM brush size:"), m_sm);
    form->addRow(QStringLiteral("XS brush size:"), m_xs);
    form->addRow(QStringLiteral("Crater distance:"), WithUnit(this, m_crater, UnitLabel(this, 5658, metric ? "km" : "mi")));
    form->addRow(QStringLiteral("Water level:"), WithUnit(this, m_water, UnitLabel(this, 5564, metric ? "m" : "ft")));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* defaults = buttons->addButton(QStringLiteral("Default..."), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QString::number(kDefaultButtonId));
    connect(defaults, &QPushButton::clicked, this, [this] { SetDefaults(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    Fill(values);
}

void CToolSettingsDlg::Fill(const ToolSettingsValues& v)
{
    m_temperature->setText(PanelNumberText(v.temperature));
    m_offset->setText(PanelNumberText(v.offset));
    m_prescale->setText(PanelNumberText(v.prescale));
    m_rainfall->setText(PanelNumberText(v.rainfall));
    m_roughness->setText(PanelNumberText(v.roughness));
    m_lg->setText(PanelIntText(v.presetLG));
    m_sm->setText(PanelIntText(v.presetSM));
    m_xl->setText(PanelIntText(v.presetXL));
    m_xs->setText(PanelIntText(v.presetXS));
    m_crater->setText(PanelNumberText(v.crater));
    m_water->setText(PanelNumberText(v.water));
}

void CToolSettingsDlg::SetDefaults() { Fill(DefaultToolSettings(m_metric)); }

bool CToolSettingsDlg::ReadControls()
{
    ToolSettingsValues v;
    auto number = [](QLineEdit* e, float& out) {
        const std::optional<double> d = ParsePanelNumber(e->text());
        if (!d || !std::isfinite(static_cast<float>(*d))) {
            ShowMessage("Please enter a number.");
            e->setFocus();
            return false;
        }
        out = static_cast<float>(*d);
        return true;
    };
    auto size = [](QLineEdit* e, int& out) {
        const std::optional<int> i = ParsePanelInt(e->text());
        if (!i || *i < 0 || *i > 127) {
            ShowMessage("Please enter an integer between 0 and 127.");
            e->setFocus();
            return false;
        }
        out = *i;
        return true;
    };
    if (!number(m_temperature, v.temperature) || !number(m_offset, v.offset) || !number(m_prescale, v.prescale) ||
        !number(m_rainfall, v.rainfall) || !number(m_roughness, v.roughness) || !size(m_lg, v.presetLG) ||
        !size(m_sm, v.presetSM) || !size(m_xl, v.presetXL) || !size(m_xs, v.presetXS))
        return false;
    const std::optional<double> crater = ParsePanelNumber(m_crater->text());
    if (!crater || *crater < 0.001 || *crater > 100000.0) {
        ShowMessage("Please enter a number between 0.001 and 100000.");
        m_crater->setFocus();
        return false;
    }
    v.crater = *crater;
    if (!number(m_water, v.water))
        return false;
    m_values = v;
    return true;
}

void CToolSettingsDlg::accept()
{
    if (ReadControls())
        QDialog::accept();
}

} // namespace kv
