#include "gui/tools/CToolGradientDlg.h"

#include "base/color/LightParms.h"
#include "platform/CLocale.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

namespace kv {

namespace {

void SelectCode(QComboBox* combo, int code)
{
    const int index = combo->findData(code);
    combo->setCurrentIndex(index >= 0 ? index : 0);
}

int CodeOf(const QComboBox* combo) { return combo->currentIndex() >= 0 ? combo->currentData().toInt() : 0; }

} // namespace

CToolGradientDlg::CToolGradientDlg(QWidget* parent)
    : QWidget(parent), m_start(new QLineEdit(this)), m_end(new QLineEdit(this)), m_curve(new QComboBox(this)),
      m_kind(new QComboBox(this)), m_operation(new QComboBox(this))
{
    m_start->setObjectName(QString::number(kStartEdit));
    m_end->setObjectName(QString::number(kEndEdit));
    m_curve->setObjectName(QString::number(kCurveCombo));
    m_kind->setObjectName(QString::number(kKindCombo));
    m_operation->setObjectName(QString::number(kOperationCombo));
    FillBlendCurveCombo([this](const char* name, int code) { m_curve->addItem(QString::fromUtf8(name), code); });
    int code = 0;
    for (const char* name : {"Linear", "Radial", "Double", "Pyramid", "Ramp"})
        m_kind->addItem(QString::fromUtf8(name), code++);
    FillCombineModeCombo([this](const char* name, int c) { m_operation->addItem(QString::fromUtf8(name), c); });
    auto* form = new QFormLayout(this);
    form->setContentsMargins(2, 2, 2, 2);
    form->addRow(tr("Start:"), m_start);
    form->addRow(tr("End:"), m_end);
    form->addRow(tr("Curve:"), m_curve);
    form->addRow(tr("Type:"), m_kind);
    form->addRow(tr("Operation:"), m_operation);
    Load(GradientPanelValues{0.0, 0.0, 0, 0, 0});
}

void CToolGradientDlg::Load(const GradientPanelValues& v)
{
    m_start->setText(QString::fromStdString(FormatC("%g", v.start)));
    m_end->setText(QString::fromStdString(FormatC("%g", v.end)));
    SelectCode(m_curve, v.curve);
    SelectCode(m_kind, v.kind);
    SelectCode(m_operation, v.operation);
}

bool CToolGradientDlg::Read(GradientPanelValues& v)
{
    double start = 0.0, end = 0.0;
    if (!ParsePanelNumber(m_start->text().toStdString(), start) || !ParsePanelNumber(m_end->text().toStdString(), end))
        return false;
    v.start = start;
    v.end = end;
    v.curve = CodeOf(m_curve);
    v.kind = CodeOf(m_kind);
    v.operation = CodeOf(m_operation);
    return true;
}

} // namespace kv
