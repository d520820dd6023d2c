#include "gui/dialogs/CGlobalAltSetDlgFace.h"

#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

CGlobalAltSetDlgFace::CGlobalAltSetDlgFace(const CGlobalAltSetDlg& v, QWidget* parent)
    : QDialog(parent), logic(v), m_samples(MakeEdit(this, 5474)), m_value(MakeEdit(this, 5014))
{
    setWindowTitle(logic.caption.empty() ? QString("Global Altitude Set") : QString::fromStdString(logic.caption));
    m_samples->setText(QString::number(logic.samples));
    m_value->setText(FloatText(logic.value));
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "Samples Per Cell:"), m_samples);
    AddRow(grid, MakeLabel(this, 5640, QString::fromStdString(logic.label)), m_value,
           MakeLabel(this, 5013, QString::fromStdString(logic.unit)));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(this));
}

void CGlobalAltSetDlgFace::accept()
{
    DialogData dx;
    if (!dx.Int(m_samples, logic.samples, kMinSamples, kMaxSamples) || !dx.Float(m_value, logic.value))
        return;
    QDialog::accept();
}

} // namespace kv
