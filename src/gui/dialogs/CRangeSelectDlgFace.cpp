#include "gui/dialogs/CRangeSelectDlgFace.h"

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

CRangeSelectDlgFace::CRangeSelectDlgFace(const CRangeSelectDlg& v, QWidget* parent)
    : QDialog(parent), logic(v),
      m_test(MakeCombo(this, 5278, {"Between", "Not Between", "Above", "Below"})), m_low(MakeEdit(this, 5396)),
      m_high(MakeEdit(this, 5391)),
      m_combine(MakeCombo(this, 5565, {"Replace Selection", "Add to Selection", "Subtract from Selection"})),
      m_lowLabel(MakeLabel(this, 0, "Low:")), m_highLabel(MakeLabel(this, 0, "High:"))
{
    setWindowTitle(logic.caption.empty() ? QString("Altitude Range Selection")
                                          : QString::fromStdString(logic.caption));
    m_test->setCurrentIndex(logic.test >= 0 && logic.test < m_test->count() ? logic.test : -1);
    m_combine->setCurrentIndex(logic.combine >= 0 && logic.combine < m_combine->count() ? logic.combine : -1);
    m_low->setText(FloatText(logic.low));
    m_high->setText(FloatText(logic.high));
    auto* grid = new QGridLayout;
    AddRow(grid, nullptr, m_test);
    AddRow(grid, m_lowLabel, m_low);
    AddRow(grid, m_highLabel, m_high);
    AddRow(grid, nullptr, m_combine);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(this));
    Relabel();
    connect(m_test, &QComboBox::currentIndexChanged, this, &CRangeSelectDlgFace::OnTestChanged);
}

void CRangeSelectDlgFace::OnTestChanged(int index)
{
    // The values typed so far are kept as they read.
    logic.test = index;
    if (const std::optional<float> low = ParseFloat(m_low->text()))
        logic.low = *low;
    if (const std::optional<float> high = ParseFloat(m_high->text()))
        logic.high = *high;
    logic.combine = m_combine->currentIndex();
    Relabel();
}

void CRangeSelectDlgFace::Relabel()
{
    if (logic.test < 0)
        return;
    const QString unit = QString::fromStdString(IsMetric() ? logic.metricUnit : logic.imperialUnit);
    if (logic.test == CRangeSelectDlg::kBetween || logic.test == CRangeSelectDlg::kNotBetween) {
        m_lowLabel->setText("Low (" + unit + "):");
        m_highLabel->setText("High (" + unit + "):");
        m_high->setVisible(true);
    } else {
        m_lowLabel->setText("Value (" + unit + "):");
        m_highLabel->clear();
        m_high->setVisible(false);
    }
}

void CRangeSelectDlgFace::accept()
{
    DialogData dx;
    float low = 0.0f, high = 0.0f;
    if (!dx.Float(m_low, low) || !dx.Float(m_high, high))
        return;
    logic.low = low;
    logic.high = high;
    logic.test = m_test->currentIndex();
    logic.combine = m_combine->currentIndex();
    QDialog::accept();
}

} // namespace kv
