#include "gui/dialogs/CBombardmentDlg.h"

#include "base/DisplayUnits.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

CBombardmentDlg::CBombardmentDlg(const BombardmentSettings& v, QWidget* parent)
    : QDialog(parent), values(v), m_count(MakeEdit(this, 5591)), m_largest(MakeEdit(this, 5596)),
      m_smallest(MakeEdit(this, 5598)), m_smooth(MakeEdit(this, 5593)), m_interval(MakeEdit(this, 5594)),
      m_exponent(MakeEdit(this, 5592)), m_largestFirst(MakeCheck(this, 5048, "Draw from largest to smallest"))
{
    setWindowTitle("Planetary Bombardment");
    const QString unit = IsMetric() ? "km" : "mi";
    m_count->setText(QString::number(values.count));
    m_largest->setText(FloatText(static_cast<float>(values.largest)));
    m_smallest->setText(FloatText(static_cast<float>(values.smallest)));
    m_smooth->setText(FloatText(static_cast<float>(values.smoothingAmount)));
    m_interval->setText(QString::number(values.smoothingInterval));
    m_exponent->setText(FloatText(static_cast<float>(values.sizeExponent)));
    m_largestFirst->setChecked(values.largestFirst != 0);
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "Total Craters:"), m_count);
    AddRow(grid, MakeLabel(this, 0, "Largest Crater:"), m_largest, MakeLabel(this, 5599, unit));
    AddRow(grid, MakeLabel(this, 0, "Smallest Crater:"), m_smallest, MakeLabel(this, 5600, unit));
    AddRow(grid, MakeLabel(this, 0, "Distribution Exponent:"), m_exponent);
    AddRow(grid, MakeLabel(this, 0, "Smooth by"), m_smooth);
    AddRow(grid, MakeLabel(this, 0, "after every"), m_interval, MakeLabel(this, 0, "craters"));
    AddRow(grid, nullptr, m_largestFirst);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(this));
}

void CBombardmentDlg::accept()
{
    DialogData dx;
    BombardmentSettings read = values;
    float largest = 0, smallest = 0, smooth = 0, exponent = 0;
    if (!dx.Int(m_count, read.count, 1, 100000) || !dx.Float(m_largest, largest, 1.0f, 1000.0f) ||
        !dx.Float(m_smallest, smallest, 1.0f, 1000.0f) || !dx.Float(m_smooth, smooth, 0.1f, 10.0f) ||
        !dx.Int(m_interval, read.smoothingInterval, 1, 1000000) ||
        !dx.Float(m_exponent, exponent, 0.001f, 100000.0f))
        return;
    read.largest = largest;
    read.smallest = smallest;
    read.smoothingAmount = smooth;
    read.sizeExponent = exponent;
    read.largestFirst = m_largestFirst->isChecked() ? 1 : 0;
    values = read;
    QDialog::accept();
}

} // namespace kv
