#include "gui/dialogs/CGlobalAltSetDlg.h"

#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

CGlobalAltSetDlg::CGlobalAltSetDlg(const GlobalAltSetValues& v, QWidget* parent)
    : QDialog(parent), values(v), m_samples(MakeEdit(this, 5474)), m_value(MakeEdit(this, 5014))
{
    setWindowTitle(values.caption.empty() ? QString("Global Altitude Set") : QString::fromStdString(values.caption));
    m_samples->setText(QString::number(values.samples));
    m_value->setText(FloatText(values.value));
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "Samples Per Cell:"), m_samples);
    AddRow(grid, MakeLabel(this, 5640, QString::fromStdString(values.label)), m_value,
           MakeLabel(this, 5013, QString::fromStdString(values.unit)));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(this));
}

void CGlobalAltSetDlg::accept()
{
    DialogData dx;
    if (!dx.Int(m_samples, values.samples, kMinSamples, kMaxSamples) || !dx.Float(m_value, values.value))
        return;
    QDialog::accept();
}

} // namespace kv
