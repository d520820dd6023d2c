#include "gui/dialogs/CRangeSelectDlg.h"

#include "base/DisplayUnits.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

CRangeSelectDlg::CRangeSelectDlg(const RangeSelectValues& v, QWidget* parent)
    : QDialog(parent), values(v),
      m_test(MakeCombo(this, 5278, {"Between", "Not Between", "Above", "Below"})), m_low(MakeEdit(this, 5396)),
      m_high(MakeEdit(this, 5391)),
      m_combine(MakeCombo(this, 5565, {"Replace Selection", "Add to Selection", "Subtract from Selection"})),
      m_lowLabel(MakeLabel(this, 0, "Low:")), m_highLabel(MakeLabel(this, 0, "High:"))
{
    setWindowTitle(values.caption.empty() ? QString("Altitude Range Selection")
                                          : QString::fromStdString(values.caption));
    m_test->setCurrentIndex(values.test >= 0 && values.test < m_test->count() ? values.test : -1);
    m_combine->setCurrentIndex(values.combine >= 0 && values.combine < m_combine->count() ? values.combine : -1);
    m_low->setText(FloatText(values.low));
    m_high->setText(FloatText(values.high));
    auto* grid = new QGridLayout;
    AddRow(grid, nullptr, m_test);
    AddRow(grid, m_lowLabel, m_low);
    AddRow(grid, m_highLabel, m_high);
    AddRow(grid, nullptr, m_combine);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(this));
    Relabel();
    connect(m_test, &QComboBox::currentIndexChanged, this, &CRangeSelectDlg::OnTestChanged);
}

void CRangeSelectDlg::OnTestChanged(int index)
{
    // The values typed so far are kept as they read.
    values.test = index;
    if (const std::optional<float> low = ParseFloat(m_low->text()))
        values.low = *low;
    if (const std::optional<float> high = ParseFloat(m_high->text()))
        values.high = *high;
    values.combine = m_combine->currentIndex();
    Relabel();
}

void CRangeSelectDlg::Relabel()
{
    if (values.test < 0)
        return;
    const QString unit = QString::fromStdString(IsMetric() ? values.metricUnit : values.imperialUnit);
    if (values.test == RangeSelectValues::kBetween || values.test == RangeSelectValues::kNotBetween) {
        m_lowLabel->setText("Low (" + unit + "):");
        m_highLabel->setText("High (" + unit + "):");
        m_high->setVisible(true);
    } else {
        m_lowLabel->setText("Value (" + unit + "):");
        m_highLabel->clear();
        m_high->setVisible(false);
    }
}

void CRangeSelectDlg::accept()
{
    DialogData dx;
    float low = 0.0f, high = 0.0f;
    if (!dx.Float(m_low, low) || !dx.Float(m_high, high))
        return;
    values.low = low;
    values.high = high;
    values.test = m_test->currentIndex();
    values.combine = m_combine->currentIndex();
    QDialog::accept();
}

} // namespace kv
